#include "foundation/disk_path.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "tests/support/temp_dir.h"
#include "tests/support/working_folder.h"

TEST(DiskPath, ComponentsMatchWithoutCaseRelativeToTheGameFolder) {
    TempDir dir;
    dir.Write("Saves/Slot1.gsf", "1");
    dir.Write("Misc/Default.col", "c");
    WorkingFolder here(dir.Absolute());
    EXPECT_EQ(FindDiskFile("saves\\SLOT1.GSF").value_or(""), "Saves/Slot1.gsf");
    EXPECT_EQ(FindDiskFile("Misc\\Default.col").value_or(""), "Misc/Default.col");
    EXPECT_EQ(FindDiskFile("MISC/default.COL").value_or(""), "Misc/Default.col");
    EXPECT_FALSE(FindDiskFile("Misc\\Other.col"));
    EXPECT_FALSE(FindDiskFile("Nothing\\Default.col"));
    EXPECT_FALSE(FindDiskFile("Misc"));  // a folder is not a file
    EXPECT_FALSE(FindDiskFile(""));
}

TEST(DiskPath, ExactSpellingFirstThenTheFirstByName) {
    TempDir dir;
    dir.Write("keys.inpd", "lower");
    dir.Write("Keys.INPD", "mixed");
    dir.Write("KEYS.inpd", "upper");
    WorkingFolder here(dir.Absolute());
    EXPECT_EQ(FindDiskFile("keys.inpd").value_or(""), "keys.inpd");
    EXPECT_EQ(FindDiskFile("kEYS.INPD").value_or(""), "KEYS.inpd");  // sorted: "KEYS" < "Keys" < "keys"
}

TEST(DiskPath, CreationKeepsANewNameAsGiven) {
    TempDir dir;
    dir.Write("Saves/Old.gsf", "x");
    WorkingFolder here(dir.Absolute());
    EXPECT_EQ(DiskPathForCreate("SAVES\\New.gsf"), "Saves/New.gsf");
    EXPECT_EQ(DiskPathForCreate("saves\\old.GSF"), "Saves/Old.gsf");
    EXPECT_EQ(DiskPathForCreate("Missing\\New.gsf"), "Missing/New.gsf");
    EXPECT_EQ(DiskPathForCreate((dir.Absolute() / "saves" / "x").string()), "");  // absolute: refused
}

TEST(DiskPath, NamesThatClimbOutOfTheGameFolderAreRefused) {
    TempDir dir;
    dir.Write("outside.txt", "secret");
    dir.Write("Game/Saves/Slot1.gsf", "1");
    WorkingFolder here(dir.Absolute() / "Game");
    EXPECT_FALSE(FindDiskFile("..\\outside.txt"));
    EXPECT_FALSE(FindDiskFile("Saves/../../outside.txt"));
    EXPECT_FALSE(FindDiskFile("Saves\\..\\Saves\\Slot1.gsf"));
    EXPECT_EQ(DiskPathForCreate("..\\outside.txt"), "");
    EXPECT_EQ(DiskPathForCreate("Saves\\..\\..\\new.txt"), "");
    // "." and names that merely contain dots are fine.
    EXPECT_EQ(FindDiskFile(".\\Saves\\Slot1.gsf").value_or(""), "./Saves/Slot1.gsf");
    EXPECT_EQ(DiskPathForCreate("Saves\\..x"), "Saves/..x");
}
