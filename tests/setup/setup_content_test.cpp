#include "tools/setup_content.h"

#include <gtest/gtest.h>

#include <map>

#include "foundation/block_reader.h"
#include "foundation/config_blocks.h"
#include "foundation/fd_file.h"
#include "script/message_manager.h"
#include "setup/language_choice.h"
#include "setup/language_list.h"
#include "tests/setup/setup_fixture.h"
#include "tests/support/error_message.h"
#include "tools/content/demo_content.h"
#include "tools/release_folder.h"

namespace {

using Texts = std::map<uint32_t, std::string>;
using Files = std::map<std::string, std::string>;

// Every text of a message file in one language, read as the tools read it.
Texts MessagesOf(const std::string& file, int32_t language) {
    TempDir dir;
    FdWriter writer;
    writer.Group({{"file.mes", file}});
    const auto path = dir.Write("texts.fd", writer.Build());
    FileBlockReader reader;
    reader.Open(path.c_str());
    FD::File archive(&reader, 0, 10);
    LanguageBlock block;
    block.SetLanguage(static_cast<uint32_t>(language));
    MessageManager messages(nullptr, &archive, &block);
    MessageTable* table = messages.LoadFile("file.mes");
    Texts texts;
    for (uint32_t i = 0; i < table->End(); ++i) {
        if (const String* text = table->Get(i)) texts[i] = std::string(text->View());
    }
    return texts;
}

// Every entry of an archive file (a path relative to the working folder), read as setup reads it.
Files ArchiveFiles(const std::filesystem::path& path) {
    FileBlockReader reader;
    reader.Open(path.c_str());
    FD::File archive(&reader, 2, 10);
    std::map<std::string, std::string> files;
    for (uint32_t i = 0; i < archive.EntryCount(); ++i) {
        EntryBlockReader entry(&archive);
        entry.Open(archive.EntryAt(i).name);
        std::string& bytes = files[archive.EntryAt(i).name];
        char block[4096];
        for (uint32_t n = entry.Read(block, sizeof block); n != 0; n = entry.Read(block, sizeof block))
            bytes.append(block, n);
    }
    return files;
}

bool IsAscii(const std::string& text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

}  // namespace

TEST(SetupContent, EveryMessageOfTheToolsInBothLanguages) {
    struct Case {
        std::string text;
        std::vector<uint32_t> numbers;
        std::vector<uint32_t> sameInBoth;  // the game's name and file names
    } cases[] = {
        {SetupMessagesText(),
         {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14,
          15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 29},
         {7, 22, 27}},
        {UninstallMessagesText(), {1, 5, 7, 8, 9, 10, 22, 28, 29, 30, 31, 32, 34}, {7}},
    };
    for (const Case& c : cases) {
        const Texts english = MessagesOf(c.text, kEnglish);
        const Texts deutsch = MessagesOf(c.text, kDeutsch);
        for (uint32_t number : c.numbers) {
            SCOPED_TRACE(number);
            ASSERT_TRUE(english.count(number) && deutsch.count(number));
            EXPECT_TRUE(!english.at(number).empty() && IsAscii(english.at(number)));
            const bool same = std::count(c.sameInBoth.begin(), c.sameInBoth.end(), number) != 0;
            EXPECT_EQ(english.at(number) == deutsch.at(number), same) << english.at(number);
            // Umlauts in the game's code page, Windows-1252, never as UTF-8 (whose lead byte is 0xC3).
            EXPECT_EQ(deutsch.at(number).find('\xC3'), std::string::npos);
        }
    }
    const Texts setup = MessagesOf(SetupMessagesText(), kDeutsch);
    EXPECT_NE(setup.at(13).find("vollst\xE4ndiger"), std::string::npos);
    EXPECT_EQ(setup.at(12).back(), ' ');  // the folder's path follows directly
    // The uninstaller names the menu entries as the installer did.
    const Texts uninstall = MessagesOf(UninstallMessagesText(), kDeutsch);
    for (const auto& [inSetup, inUninstall] : {std::pair{7, 7}, {8, 8}, {9, 9}, {29, 32}, {19, 34}})
        EXPECT_EQ(setup.at(inSetup), uninstall.at(inUninstall));
    const LanguageList list = LanguageList::Parse(LanguageListText());
    EXPECT_EQ(list.Find(" English"), kEnglish);
    EXPECT_EQ(list.Find(" Deutsch"), kDeutsch);
}

TEST(SetupContent, WrittenFolderHoldsEveryFileTheMessagesName) {
    TempDir dir;
    WriteSetupTexts(dir.Absolute().string());
    for (const ContentFile& file : SetupTextFiles()) EXPECT_EQ(dir.Read(file.name), file.bytes) << file.name;
    for (int32_t language : {kEnglish, kDeutsch}) {
        const Texts setup = MessagesOf(SetupMessagesText(), language);
        for (uint32_t document : {20u, 21u, 22u, 27u})
            EXPECT_TRUE(std::filesystem::is_regular_file(dir.Absolute() / setup.at(document))) << document;
    }
    // Documents are UTF-8 for the desktop's viewer; the licence is ASCII, as setup shows it in the
    // game's code page.
    EXPECT_NE(dir.Read(MessagesOf(SetupMessagesText(), kDeutsch).at(21)).find("k\xC3\xA4mpfen"),
              std::string::npos);
    EXPECT_TRUE(IsAscii(LicenseText()));

    const auto blocked = dir.Write("blocked", "a file, not a folder");
    EXPECT_EQ(ErrorMessage([&] { WriteSetupTexts(blocked.string()); }),
              "Cannot write " + blocked.string() + "/Language.lng");
}

TEST(ReleaseFolder, HoldsEveryFileSetupAndUninstallNeed) {
    TempDir dir;
    const auto program = [](const std::string& name) { return "\177ELF " + name; };
    for (const char* name : {"setup", "uninstall", "Tonvik", "Vondrel"})
        dir.Write(std::string("programs/") + name, program(name));
    WriteReleaseFolder((dir.Absolute() / "release").string(), (dir.Absolute() / "programs").string());
    Files beside;
    for (const char* name : {"setup", "Language.lng", kLicenseFile})
        beside[name] = dir.Read(std::string("release/") + name);
    const Files data = ArchiveFiles(dir / "release/data.fd");
    dir.Write("main.fd", data.count("main.fd") ? data.at("main.fd") : "");
    const Files game = ArchiveFiles(dir / "main.fd");

    struct Case {
        const Files& where;
        std::string name;
        std::string bytes;  // empty: any
    };
    std::vector<Case> cases = {
        // Beside "data.fd": what setup reads before it opens the archive.
        {beside, "setup", program("setup")},
        {beside, "Language.lng", LanguageListText()},
        {beside, kLicenseFile, LicenseText()},
        // The programs under the names extraction makes executable and the menu entries start.
        {data, "Vondrel", program("Vondrel")},
        {data, "Tonvik", program("Tonvik")},
        {data, "uninstall", program("uninstall")},
        {data, "setup.mes", SetupMessagesText()},
        {data, "Language.lng", LanguageListText()},
        {data, "main.fd", ""},
        {game, "uninstall.mes", UninstallMessagesText()},
    };
    // The documents the menu entries open, in both languages.
    for (int32_t language : {kEnglish, kDeutsch}) {
        for (uint32_t document : {20u, 21u, 27u})
            cases.push_back({data, MessagesOf(SetupMessagesText(), language).at(document), ""});
    }
    for (const FdEntry& file : DemoLooseFiles()) cases.push_back({data, file.name, file.data});
    for (const FdEntry& entry : DemoArchiveEntries()) cases.push_back({game, entry.name, ""});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(c.where.count(c.name));
        EXPECT_FALSE(c.where.at(c.name).empty());
        if (!c.bytes.empty()) {
            EXPECT_EQ(c.where.at(c.name), c.bytes);
        }
    }
    EXPECT_NE(std::filesystem::status(dir.Absolute() / "release/setup").permissions() &
                  std::filesystem::perms::owner_exec,
              std::filesystem::perms::none);

    std::filesystem::remove(dir.Absolute() / "programs/Tonvik");
    EXPECT_EQ(ErrorMessage([&] {
                  WriteReleaseFolder((dir.Absolute() / "again").string(),
                                     (dir.Absolute() / "programs").string());
              }),
              "Cannot read " + (dir.Absolute() / "programs/Tonvik").string());
}
