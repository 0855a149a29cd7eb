#include <gtest/gtest.h>

#include "foundation/exceptions.h"
#include "setup/language_choice.h"
#include "setup/language_file.h"
#include "setup/language_list.h"
#include "setup/language_selector.h"
#include "tests/setup/setup_fixture.h"
#include "tests/support/error_message.h"
#include "tests/support/working_folder.h"

namespace {

using Pairs = std::vector<std::pair<std::string, int32_t>>;

Pairs ShownPairs(const LanguageList& list) {
    Pairs pairs;
    for (const LanguageChoice& c : list.Shown()) pairs.emplace_back(c.name, c.number);
    return pairs;
}

const std::string kLanguageOne("\x53\x45\x4C\x43\x46\x47\x0E\x00\x00\x00\x00\x00\x01\x00\x00\x00", 16);
const std::string kLanguageTwo("\x53\x45\x4C\x43\x46\x47\x0E\x00\x00\x00\x00\x00\x02\x00\x00\x00", 16);

}  // namespace

TEST(LanguageList, LinesAsPercentIReadsThem) {
    struct Case {
        const char* what;
        std::string text;
        Pairs shown;
    } cases[] = {
        {"blank kept, sorted", "1 English\n2 Deutsch\n", {{" Deutsch", 2}, {" English", 1}}},
        {"no final line end", "1 English\n2 Deutsch", {{" Deutsch", 2}, {" English", 1}}},
        {"carriage returns", "1 English\r\n2 Deutsch\r\n", {{" Deutsch", 2}, {" English", 1}}},
        {"first number absent", "English\n", {{"English", 1}}},
        {"absent keeps previous", "7 A\nB\n", {{" A", 7}, {"B", 7}}},
        {"hex octal sign", "0x10 Hex\n010 Oct\n-3 Neg\n", {{" Hex", 16}, {" Neg", -3}, {" Oct", 8}}},
        {"number runs into name", "5Five\n", {{"Five", 5}}},
        {"number alone, then a name", "3\nThree\n", {{"Three", 3}}},
        {"blank lines skipped", "\n\n1 A\n\n\n2 B\n\n", {{" A", 1}, {" B", 2}}},
        {"case-free order", "1 b\n2 A\n3 C\n", {{" A", 2}, {" b", 1}, {" C", 3}}},
        {"duplicates shown twice", "1 Same\n2 Same\n", {{" Same", 1}, {" Same", 2}}},
        {"huge number clamped", "99999999999 Big\n", {{" Big", INT32_MAX}}},
        {"long line cut to 99",
         "1" + std::string(300, 'x') + "\n2 Next\n",
         {{" Next", 2}, {std::string(99, 'x'), 1}}},
        {"empty file", "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ShownPairs(LanguageList::Parse(c.text)), c.shown);
    }
}

TEST(LanguageList, FindTakesTheFirstLineOfAName) {
    const LanguageList list = LanguageList::Parse("1 Same\n2 Same\n3 Other\n");
    EXPECT_EQ(list.Find(" Same"), 1);
    EXPECT_EQ(list.Find(" Other"), 3);
    EXPECT_EQ(list.Find("Missing"), std::nullopt);
    EXPECT_EQ(list.IndexOfNumber(3), 0u);
    EXPECT_EQ(list.IndexOfNumber(9), std::nullopt);
}

TEST(LanguageList, MissingFileIsTheBoxText) {
    TempDir dir;
    EXPECT_EQ(ErrorMessage([&] { LanguageList::ReadFile((dir.Absolute() / "Language.lng").string()); }),
              "Unable to open file \"Language.lng\"");
}

TEST(LanguageFile, WritesSixteenBytesAndReadsThemBack) {
    TempDir dir;
    const String path((dir / "Language.LCFG").c_str());
    WriteLanguageFile(path, 2);
    EXPECT_EQ(dir.Read("Language.LCFG"), kLanguageTwo);
    EXPECT_EQ(ReadLanguageFile(path, 1), 2);
    WriteLanguageFile(path, -1);
    EXPECT_EQ(ReadLanguageFile(path, 1), -1);
}

// A missing file gives the fallback; a file that is there is read as one block, and a damaged one
// is an engine error naming it.
TEST(LanguageFile, MissingGivesTheFallbackDamagedAnError) {
    TempDir dir;
    EXPECT_EQ(ReadLanguageFile((dir / "absent").c_str(), 1), 1);
    struct Case {
        const char* what;
        std::string bytes;
        int32_t language;  // 0: an error
    } cases[] = {
        {"two", kLanguageTwo, 2},
        {"other tag, read as it is", std::string("SEHCFG\x0E\x00\x00\x00\x00\x00\x05\x00\x00\x00", 16), 5},
        {"not a block", "hello", 0},
        {"empty", "", 0},
        {"truncated", kLanguageTwo.substr(0, 10), 0},
        {"payload past the end", std::string("SELCFG\x0E\x00\xFF\xFF\x00\x00\x05\x00\x00\x00", 16), 0},
    };
    const std::string path = (dir / "Language.LCFG").string();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dir.Write("Language.LCFG", c.bytes);
        if (c.language != 0) {
            EXPECT_EQ(ReadLanguageFile(path.c_str(), 1), c.language);
        } else {
            const std::string error = ErrorMessage([&] { ReadLanguageFile(path.c_str(), 1); });
            EXPECT_NE(error.find(path), std::string::npos) << error;
        }
    }
}

TEST(LanguageSelector, WritesTheChosenLanguageOrNothing) {
    struct Case {
        const char* what;
        std::optional<size_t> choice;
        std::string list;
        int status;
        std::string file;  // empty: untouched
    } cases[] = {
        {"Deutsch sorts first", 0, "1 English\n2 Deutsch\n", 0, kLanguageTwo},
        {"English", 1, "1 English\n2 Deutsch\n", 0, kLanguageOne},
        {"duplicate maps to the first", 1, "1 Same\n2 Same\n", 0, kLanguageOne},
        {"cancel", std::nullopt, "1 English\n2 Deutsch\n", 1, ""},
        {"empty list", 0, "", 1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        dir.Write("Language.lng", c.list);
        WorkingFolder here(dir.Absolute());
        ScriptedSetupUi ui;
        ui.language = c.choice;
        EXPECT_EQ(RunLanguageSelector(ui), c.status);
        EXPECT_EQ(std::filesystem::exists(dir.Absolute() / "Language.LCFG"), !c.file.empty());
        if (!c.file.empty()) {
            EXPECT_EQ(dir.Read("Language.LCFG"), c.file);
        }
    }
}

TEST(LanguageSelector, ErrorsLeaveTheOldFile) {
    TempDir dir;
    WorkingFolder here(dir.Absolute());
    ScriptedSetupUi missing;
    EXPECT_EQ(RunLanguageSelector(missing), 1);
    EXPECT_EQ(missing.errors, (std::vector<std::string>{"Error|Unable to open file \"Language.lng\""}));

    dir.Write("Language.lng", "1 English\n");
    std::filesystem::create_directory(dir.Absolute() / "Language.LCFG");  // cannot be replaced by a file
    ScriptedSetupUi blocked;
    EXPECT_EQ(RunLanguageSelector(blocked), 1);
    EXPECT_EQ(blocked.errors, (std::vector<std::string>{"Error|Cannot open file for writting."}));
    EXPECT_TRUE(std::filesystem::is_directory(dir.Absolute() / "Language.LCFG"));
}
