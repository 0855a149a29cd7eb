#include "platform/install_store.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/temp_dir.h"

TEST(IniInstallStore, WritesReadsAndRemovesTheRecord) {
    TempDir dir;
    IniInstallStore store(dir.Absolute().string());
    EXPECT_FALSE(store.Read());
    ASSERT_TRUE(store.Write({"/games/Vondrel/", "Vondrel", "/games/Vondrel/uninstall"}));
    EXPECT_EQ(
        dir.Read("Dorn/Vondrel/install.ini"),
        "[Vondrel]\npath=/games/Vondrel/\nDisplayName=Vondrel\nUninstallString=/games/Vondrel/uninstall\n");
    auto record = store.Read();
    ASSERT_TRUE(record);
    EXPECT_EQ(record->path, "/games/Vondrel/");
    EXPECT_EQ(record->displayName, "Vondrel");
    EXPECT_EQ(record->uninstallCommand, "/games/Vondrel/uninstall");
    store.Remove();
    EXPECT_FALSE(store.Read());
    EXPECT_FALSE(std::filesystem::exists(dir.Absolute() / "Dorn"));
}

TEST(IniInstallStore, DamagedRecordsGiveWhatTheyHold) {
    TempDir dir;
    IniInstallStore store(dir.Absolute().string());
    struct Case {
        const char* what;
        std::string text;
        std::string path;
    } cases[] = {
        {"crlf and first key wins", "[Vondrel]\r\npath=/a/\r\npath=/b/\r\n", "/a/"},
        {"no path", "[Vondrel]\nDisplayName=Vondrel\n", ""},
        {"garbage", std::string("\0\x01\xFFpath", 7), ""},
        {"too large", "path=/a/\n" + std::string(70000, 'x'), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dir.Write("Dorn/Vondrel/install.ini", c.text);
        auto record = store.Read();
        ASSERT_TRUE(record);
        EXPECT_EQ(record->path, c.path);
    }
}

TEST(IniInstallStore, ValueWithALineEndIsNotWritten) {
    TempDir dir;
    IniInstallStore store(dir.Absolute().string());
    ASSERT_TRUE(store.Write({"/good/", "Vondrel", "/good/uninstall"}));
    EXPECT_FALSE(store.Write({"/x/\npath=/", "Vondrel", "/x/uninstall"}));
    EXPECT_EQ(store.Read()->path, "/good/");
}
