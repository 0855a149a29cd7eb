#include "setup/install_folder.h"

#include <gtest/gtest.h>

#include "setup/entry_name.h"
#include "setup/install_list.h"
#include "tests/setup/setup_fixture.h"

TEST(EntryComponents, NamesThatStayInsideTheFolder) {
    using Parts = std::vector<std::string>;
    const std::pair<const char*, std::optional<Parts>> cases[] = {
        {"Vondrel", Parts{"Vondrel"}},
        {"Misc\\Sub\\File.dat", Parts{"Misc", "Sub", "File.dat"}},
        {"Misc/b.dat", Parts{"Misc", "b.dat"}},
        {"a..b", Parts{"a..b"}},
        {"", std::nullopt},
        {"..\\..\\x", std::nullopt},
        {"Misc\\..", std::nullopt},
        {"\\x", std::nullopt},
        {"/etc/x", std::nullopt},
        {"C:\\x", std::nullopt},
        {"a\\\\b", std::nullopt},
        {"a\\", std::nullopt},
        {".\\a", std::nullopt},
        {"a\tb", std::nullopt},
        {"a\rb", std::nullopt},
    };
    for (const auto& [name, parts] : cases) EXPECT_EQ(EntryComponents(name), parts) << name;
}

TEST(InstallListLines, LinesReadWhole) {
    using Lines = std::vector<std::string>;
    const std::pair<std::string, Lines> cases[] = {
        {"a\nb\\c\n", Lines{"a", "b\\c"}},
        {"a\r\nb", Lines{"a", "b"}},
        {"\n\n", Lines{"", ""}},
        {std::string(1000, 'x') + "\n", Lines{std::string(1000, 'x')}},
        {"", Lines{}},
    };
    for (const auto& [text, lines] : cases) EXPECT_EQ(InstallListLines(text), lines);
}

TEST(RemoveListedFolders, OnlyEmptiedParentsOfListedFilesGo) {
    TempDir dir;
    dir.Write("Misc/Sub/Deep/x", "");
    std::filesystem::remove(dir.Absolute() / "Misc/Sub/Deep/x");
    dir.Write("Keep/Sub/mine.txt", "mine");
    dir.Write("Unlisted/Empty/.keep", "");
    std::filesystem::remove(dir.Absolute() / "Unlisted/Empty/.keep");
    RemoveListedFolders(dir.Absolute().string() + "/", {"Misc\\Sub\\Deep\\gone.dat", "Keep\\Sub\\gone.dat",
                                                        "Keep\\gone.dat", "..\\outside\\x"});
    EXPECT_EQ(Tree(dir.Absolute()), (std::vector<std::string>{"Keep/", "Keep/Sub/", "Keep/Sub/mine.txt",
                                                              "Unlisted/", "Unlisted/Empty/"}));
}
