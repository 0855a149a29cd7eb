#include <gtest/gtest.h>

#include <sstream>

#include "setup/command_line.h"
#include "setup/terminal_ui.h"

TEST(ProgressLine, TenCellsAndThePercent) {
    const std::pair<int32_t, const char*> cases[] = {
        {0, "[          ] 0%"},     {9, "[          ] 9%"},  {50, "[#####     ] 50%"},
        {100, "[##########] 100%"}, {-5, "[          ] 0%"}, {250, "[##########] 100%"},
    };
    for (const auto& [percent, line] : cases) EXPECT_EQ(ProgressLine(percent), line) << percent;
}

// Each entry gets a line of its own where the bar stood, and the bar is drawn again below it.
TEST(ProgressLine, EachEntryIsNamedOnItsOwnLineAboveTheBar) {
    std::istringstream input;
    std::ostringstream output, errors;
    TerminalUi ui({}, input, output, errors, -1);
    ui.ShowProgress(0, "Misc\\Long.dat");
    ui.ShowProgress(25, "a");
    ui.ShowProgress(50, "");
    ui.ShowProgress(100, "");
    ui.EndProgress();
    const std::string cleared = "\r" + std::string(15, ' ') + "\r";
    EXPECT_EQ(output.str(), "Extracting Misc\\Long.dat\n\r[          ] 0%" + cleared +
                                "Extracting a\n\r[##        ] 25%\r[#####     ] 50%\r[##########] 100%\n");
}

TEST(SetupOptions, FlagsAndTheirErrors) {
    const std::vector<std::string> all = {"lang", "dir", "accept-license", "yes"};
    auto ok = ParseSetupOptions({"--lang", "2", "--dir", "/opt/g", "--accept-license", "--yes"}, all);
    EXPECT_EQ(ok.error, "");
    EXPECT_EQ(ok.options.language, 2);
    EXPECT_EQ(ok.options.folder, "/opt/g");
    EXPECT_TRUE(ok.options.acceptLicense);
    EXPECT_TRUE(ok.options.yes);
    EXPECT_TRUE(ParseSetupOptions({"--help"}, {}).options.help);

    const std::pair<std::vector<std::string>, const char*> bad[] = {
        {{"--lang"}, "--lang needs a value"},
        {{"--lang", "two"}, "--lang takes a whole number, not two"},
        {{"--lang", "99999999999"}, "--lang takes a whole number, not 99999999999"},
        {{"--dir", "/x", "extra"}, "unknown option: extra"},
        {{"--verbose"}, "unknown option: --verbose"},
    };
    for (const auto& [words, error] : bad) EXPECT_EQ(ParseSetupOptions(words, all).error, error);
    EXPECT_EQ(ParseSetupOptions({"--dir", "/x"}, {"yes"}).error, "unknown option: --dir");
}

TEST(TerminalUi, PromptsTakeDefaultsNumbersAndEndOfInput) {
    std::istringstream input("\n2\n7\nEnglish\n1\n\nmaybe\ny\n/opt/game\nn\n");
    std::ostringstream output, errors;
    TerminalUi ui({}, input, output, errors, -1);
    const std::vector<ShownLanguage> languages = {{" Deutsch", 2}, {" English", 1}};
    // The default, then each language by the number it is listed under; other answers ask again.
    EXPECT_EQ(ui.ChooseLanguage("Set language", "Select your language", languages, 1), 1u);
    EXPECT_EQ(ui.ChooseLanguage("Set language", "Select your language", languages, 1), 0u);
    EXPECT_EQ(ui.ChooseLanguage("Set language", "Select your language", languages, 1), 1u);
    EXPECT_EQ(ui.AskFolder("Title", "Folder", "/home/u/.local/share/Vondrel"),
              "/home/u/.local/share/Vondrel");
    EXPECT_TRUE(ui.ShowLicense("Licence", "text", "I agree", "Disagree"));
    EXPECT_EQ(ui.AskFolder("Title", "Folder", "/d"), "/opt/game");
    EXPECT_EQ(ui.Ask("Cancel", "Stop?", {"stop", "go on"}), Answer::No);
    EXPECT_EQ(ui.Ask("Cancel", "Stop?", {"stop", "go on"}), Answer::Unanswered);  // end of input
    EXPECT_EQ(ui.AskFolder("Title", "Folder", "/d"), std::nullopt);
    EXPECT_EQ(ui.ChooseLanguage("Set language", "Select your language", languages, 1), std::nullopt);
    EXPECT_NE(output.str().find("Set language\n  2) Deutsch\n  1) English\nSelect your language [1]: "),
              std::string::npos);
}

TEST(TerminalUi, UnattendedAnswersComeFromTheOptions) {
    std::istringstream input;
    std::ostringstream output, errors;
    SetupOptions options;
    options.yes = true;
    TerminalUi ui(options, input, output, errors, -1);
    const std::vector<ShownLanguage> languages = {{" Deutsch", 2}, {" English", 1}};
    EXPECT_EQ(ui.ChooseLanguage("t", "p", languages, 0), 0u);
    EXPECT_EQ(ui.ChooseLanguage("t", "p", languages, 1), 1u);
    EXPECT_TRUE(ui.ShowLicense("c", "text", "a", "d"));
    EXPECT_EQ(ui.AskFolder("t", "p", "/default"), "/default");
    EXPECT_EQ(ui.Ask("c", "q", {"y", "n"}), Answer::Yes);

    options.language = 1;
    TerminalUi english(options, input, output, errors, -1);
    EXPECT_EQ(english.ChooseLanguage("t", "p", languages, 0), 1u);
    options.language = 5;
    TerminalUi unknown(options, input, output, errors, -1);
    EXPECT_EQ(unknown.ChooseLanguage("t", "p", {{" English", 1}}, 0), std::nullopt);
    EXPECT_EQ(errors.str(), "No language numbered 5 in Language.lng\n");
    EXPECT_EQ(output.str(), "");
}
