#include "platform/desktop.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "tests/support/temp_dir.h"

namespace {

DesktopEntry Entry(std::vector<std::string> command) {
    DesktopEntry entry;
    entry.fileName = "vondrel.desktop";
    entry.name = "Vondrel";
    entry.command = std::move(command);
    return entry;
}

}  // namespace

TEST(DesktopFileText, ExecWordsAreQuotedAndEscaped) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"/g/Vondrel"}, "Exec=\"/g/Vondrel\"\n"},
        {{"xdg-open", "/my games/Read me.txt"}, "Exec=\"xdg-open\" \"/my games/Read me.txt\"\n"},
        {{"/g/$HOME`x`\"q\""}, "Exec=\"/g/\\\\$HOME\\\\`x\\\\`\\\\\"q\\\\\"\"\n"},
        {{"/g/back\\slash"}, "Exec=\"/g/back\\\\\\\\slash\"\n"},
        {{"/g/100%f"}, "Exec=\"/g/100%%f\"\n"},
    };
    for (const auto& [command, exec] : cases) {
        const std::string text = DesktopFileText(Entry(command));
        EXPECT_NE(text.find(exec), std::string::npos) << text;
    }
}

TEST(DesktopFileText, ControlCharactersMakeNoEntry) {
    EXPECT_EQ(DesktopFileText(Entry({"/g/a\nExec=evil"})), "");
    DesktopEntry name = Entry({"/g/Vondrel"});
    name.name = "Two\nLines";
    EXPECT_EQ(DesktopFileText(name), "");
    EXPECT_EQ(DesktopFileText(Entry({})), "");
}

TEST(XdgDesktop, AddsAndRemovesEntriesByFixedName) {
    TempDir dir;
    XdgDesktop desktop((dir.Absolute() / "applications").string());
    DesktopEntry entry = Entry({"/g/Vondrel"});
    entry.workingFolder = "/g";
    entry.comment = "Vondrel";
    ASSERT_TRUE(desktop.Add(entry));
    EXPECT_EQ(dir.Read("applications/vondrel.desktop"),
              "[Desktop Entry]\nType=Application\nVersion=1.0\nName=Vondrel\nComment=Vondrel\n"
              "Exec=\"/g/Vondrel\"\nPath=/g\nTerminal=false\nCategories=Game;\n");
    struct stat st {};
    stat((dir.Absolute() / "applications/vondrel.desktop").c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
    entry.fileName = "vondrel-second.desktop";
    ASSERT_TRUE(desktop.Add(entry));
    desktop.Remove("vondrel.desktop");
    EXPECT_FALSE(std::filesystem::exists(dir.Absolute() / "applications/vondrel.desktop"));
    // The folder, every program's, stays when its last entry goes.
    desktop.Remove("vondrel-second.desktop");
    EXPECT_TRUE(std::filesystem::is_directory(dir.Absolute() / "applications"));

    for (const char* bad : {"../escape.desktop", "noext", ".desktop"}) {
        entry.fileName = bad;
        EXPECT_FALSE(desktop.Add(entry)) << bad;
    }
}
