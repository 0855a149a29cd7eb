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

namespace {

using Texts = std::map<uint32_t, std::string>;

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
