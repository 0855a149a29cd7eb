// The setup tools as a user meets them on the terminal: typed answers, command-line flags and
// Ctrl-C, with what they print, what they leave on disk and their exit status.
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <sstream>
#include <thread>

#include "setup/command_line.h"
#include "setup/interrupt_watch.h"
#include "setup/language_selector.h"
#include "setup/terminal_ui.h"
#include "tests/setup/setup_fixture.h"
#include "tests/support/working_folder.h"
#include "tools/setup_content.h"

namespace {

using Words = std::vector<std::string>;

struct Outcome {
    int status;
    std::string output;
    std::string errors;
};

std::string LanguageFile(char number) {
    return std::string("\x53\x45\x4C\x43\x46\x47\x0E\x00\x00\x00\x00\x00", 12) + number +
           std::string(3, '\0');
}

class TerminalSetup : public SetupHome {
  protected:
    // Runs a tool through the terminal front-end with the words of its command line and the input.
    // inputFd: the descriptor the front-end watches for Enter while a worker runs (the lines
    // themselves come from input).
    template <class Tool>
    Outcome OnTerminal(const Words& words, const std::string& input, Tool tool, int interruptFd = -1,
                       int inputFd = -1) {
        const ParsedOptions parsed = ParseSetupOptions(words, {"lang", "dir", "accept-license", "yes"});
        EXPECT_EQ(parsed.error, "");
        std::istringstream in(input);
        std::ostringstream out, err;
        TerminalUi ui(parsed.options, in, out, err, inputFd, interruptFd);
        const int status = tool(ui);
        return {status, out.str(), err.str()};
    }
    Outcome Setup(const Words& words, const std::string& input, const WorkerHook& hook = {},
                  int interruptFd = -1, int inputFd = -1) {
        return OnTerminal(
            words, input, [&](SetupUi& ui) { return Install(ui, hook); }, interruptFd, inputFd);
    }
    Outcome Remove(const Words& words, const std::string& input) {
        return OnTerminal(words, input, [&](SetupUi& ui) { return Uninstall(ui); });
    }
    // Tonvik in the setup folder, which holds "Language.lng".
    Outcome Tonvik(const Words& words, const std::string& input) {
        WorkingFolder here(source);
        return OnTerminal(words, input, [&](SetupUi& ui) { return RunLanguageSelector(ui); });
    }
    void ExpectNothingInstalled() {
        EXPECT_FALSE(std::filesystem::exists(installed));
        EXPECT_FALSE(store.Read());
        EXPECT_FALSE(std::filesystem::exists(applications));
    }
};

}  // namespace

TEST_F(TerminalSetup, OneNumberNamesOneLanguage) {
    struct Case {
        Words words;
        const char* input;
        char written;
    } cases[] = {
        {{}, "2\n", 2},           {{}, "1\n", 1},
        {{}, "7\n1\n", 1},  // a number the list lacks asks again
        {{"--lang", "2"}, "", 2}, {{"--lang", "1"}, "", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.words) + c.input);
        const Outcome run = Tonvik(c.words, c.input);
        EXPECT_EQ(run.status, 0) << run.errors;
        EXPECT_EQ(ReadFile(source / "Language.LCFG"), LanguageFile(c.written));
    }
    // The installer: the number chosen is the install's "Language.LCFG" and the language it speaks.
    const Outcome typed = Setup({}, "1\ny\n\n");
    EXPECT_NE(typed.output.find("setup 1 en: setup 3 en\n"), std::string::npos) << typed.errors;
    EXPECT_EQ(ReadFile(installed / "Language.LCFG"), LanguageFile(1));
}

// Whatever the list's order, the default is the first name shown: the names sort without case,
// each with the blank that follows its number.
TEST_F(TerminalSetup, TheFirstNameShownIsTheDefault) {
    struct Case {
        const char* list;
        const char* shown;  // the list as Tonvik prints it
        char first;
    } cases[] = {
        {"1 English\n2 Deutsch\n", "  2) Deutsch\n  1) English\n", 2},
        {"2 Deutsch\n1 English\n", "  2) Deutsch\n  1) English\n", 2},
        {"1 English\n9 Zulu\n", "  1) English\n  9) Zulu\n", 1},
        {"1 English\n5 alpha\n", "  5) alpha\n  1) English\n", 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.list);
        SetupFolderOptions options;
        options.languages = c.list;
        RebuildSetupFolder(options);
        for (const Words& words : {Words{}, Words{"--yes"}}) {
            SCOPED_TRACE(::testing::PrintToString(words));
            std::filesystem::remove(source / "Language.LCFG");
            const Outcome run = Tonvik(words, "\n");
            EXPECT_EQ(run.status, 0) << run.errors;
            EXPECT_EQ(ReadFile(source / "Language.LCFG"), LanguageFile(c.first));
            if (words.empty()) {
                EXPECT_EQ(run.output, std::string("Set language\n") + c.shown + "Select your language [" +
                                          std::to_string(c.first) + "]: ");
            }
        }
    }
    // setup --yes takes the same default: " Deutsch" sorts before " English".
    RebuildSetupFolder({});
    const Outcome byDefault = Setup({"--yes"}, "");
    EXPECT_NE(byDefault.output.find("setup 1 de: setup 3 de\n"), std::string::npos) << byDefault.errors;
    EXPECT_EQ(ReadFile(installed / "Language.LCFG"), LanguageFile(2));
}

// "Extracting <entry>" on a line of its own for every entry, in the order of the install list.
TEST_F(TerminalSetup, SetupPrintsALineForEveryEntry) {
    const Outcome run = Setup({"--yes"}, "");
    ASSERT_EQ(run.status, 0) << run.errors;
    std::string printed;
    std::istringstream lines(run.output);
    for (std::string line; std::getline(lines, line);) {
        const std::string shown = line.substr(line.rfind('\r') + 1);  // what stays on the screen
        if (shown.rfind("Extracting ", 0) == 0) printed += shown.substr(11) + "\n";
    }
    EXPECT_EQ(printed, ReadFile(installed / "uninst.lst"));
}

TEST_F(TerminalSetup, ExitStatusSaysWhetherItWasDone) {
    const std::pair<Words, const char*> refused[] = {
        {{"--lang", "5"}, ""},  // no such language
        {{}, ""},               // end of input at the language
        {{}, "q\n"},
        {{}, "\nn\n"},  // licence declined
        {{}, "\n"},     // end of input at the licence
        {{}, "\ny\n"},  // end of input at the folder
        {{"--dir", "Games", "--yes"}, ""},
    };
    for (const auto& [words, input] : refused) {
        SCOPED_TRACE(::testing::PrintToString(words) + input);
        EXPECT_EQ(Setup(words, input).status, 1);
        ExpectNothingInstalled();
    }
    for (const auto& [words, input] : {refused[0], refused[1], refused[2]}) {
        EXPECT_EQ(Tonvik(words, input).status, 1);
        EXPECT_FALSE(std::filesystem::exists(source / "Language.LCFG"));
    }
    ASSERT_EQ(Setup({}, "\ny\n\n").status, 0);
    for (const char* input : {"n\n", ""}) {
        EXPECT_EQ(Remove({}, input).status, 1);
        EXPECT_TRUE(store.Read());
    }
    EXPECT_EQ(Remove({"--yes"}, "").status, 0);
    EXPECT_EQ(Remove({"--yes"}, "").status, 1);  // nothing installed any more
}

TEST_F(TerminalSetup, CtrlCDuringExtractionRollsBackAndEndsWithStatusOne) {
    struct Case {
        uint32_t atEntry;
        std::string folder;               // below the home folder
        std::vector<std::string> before;  // there before ('/' at the end: a folder)
        std::vector<std::string> after;   // left below the folder's first component
    } cases[] = {
        {0, ".local/share/Vondrel", {}, {".local/", ".local/share/", ".local/share/Vondrel/"}},
        {4,
         "Games/New/Vondrel",
         {},
         {"Games/", "Games/New/", "Games/New/Vondrel/"}},  // the folders made stay
        {0, "Empty", {"Empty/"}, {"Empty/"}},
        {9, "Mine", {"Mine/keep.txt"}, {"Mine/", "Mine/keep.txt"}},  // after the last entry
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder);
        for (const std::string& name : c.before) {
            if (name.back() == '/')
                std::filesystem::create_directories(home / name);
            else
                temp.Write("home/" + name, "mine");
        }
        InterruptWatch interrupts;
        const WorkerHook ctrlC = [at = c.atEntry](uint32_t index, const InstallControl& control) {
            if (index != at) return;
            std::raise(SIGINT);
            // Held until the interrupt is seen; a front-end that misses it fails instead of hanging.
            const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            while (control.State() != InstallState::Aborting && std::chrono::steady_clock::now() < giveUp)
                std::this_thread::yield();
        };
        const Outcome run = Setup({"--yes", "--dir", (home / c.folder).string()}, "", ctrlC, interrupts.Fd());
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.output.find("setup 4 de: setup 2 de\n"), std::string::npos) << run.output;
        const std::string top = c.folder.substr(0, c.folder.find('/')) + "/";
        std::vector<std::string> left = Tree(home);
        std::erase_if(left, [&](const std::string& name) { return name.rfind(top, 0) != 0; });
        EXPECT_EQ(left, c.after);
        EXPECT_FALSE(store.Read());
        EXPECT_FALSE(std::filesystem::exists(applications));
    }
}

TEST_F(TerminalSetup, RelativeFolderIsNamedInWordsInEachLanguage) {
    SetupFolderOptions options;
    options.setupMessages = SetupMessagesText();
    options.languages = LanguageListText();
    RebuildSetupFolder(options);
    const std::pair<const char*, const char*> cases[] = {
        {"1",
         "Setup error: The install folder must be a full path that begins with \"/\", for example "
         "/home/you/Games/Vondrel.\n"},
        {"2",
         "Fehler bei der Installation: Der Installationsordner muss ein vollständiger Pfad sein, der mit "
         "„/“ beginnt, zum Beispiel /home/sie/Spiele/Vondrel.\n"},
    };
    for (const auto& [language, error] : cases) {
        const Outcome run = Setup({"--lang", language, "--dir", "Games", "--accept-license"}, "");
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.errors, error);
        ExpectNothingInstalled();
    }
}

// Enter while the archive is extracted asks whether to cancel. The question says what each answer
// does, and the input ending there cancels the install, as it ends every other question.
TEST_F(TerminalSetup, EndOfInputAtTheCancelQuestionCancels) {
    int enter[2];
    ASSERT_EQ(pipe(enter), 0);
    // Keeps the watched descriptor readable; the line read comes from the input stream.
    ASSERT_EQ(write(enter[1], "\n", 1), 1);
    const WorkerHook holdUntilPaused = [](uint32_t index, const InstallControl& control) {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (index == 0 && control.State() == InstallState::Running &&
               std::chrono::steady_clock::now() < giveUp)
            std::this_thread::yield();
    };
    const Outcome run = Setup({"--lang", "1", "--accept-license", "--dir", installed.string()}, "\n",
                              holdUntilPaused, -1, enter[0]);
    close(enter[0]);
    close(enter[1]);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(
        run.output.find("setup 10 en: setup 11 en [y = stop and remove what was copied, n or c = go on]: \n"),
        std::string::npos)
        << run.output;
    EXPECT_EQ(run.output.substr(run.output.rfind('\n', run.output.size() - 2) + 1),
              "setup 4 en: setup 2 en\n");
    EXPECT_TRUE(Tree(installed).empty());
    EXPECT_FALSE(store.Read());
}

// An answer that is not taken says what is; the question is asked again.
TEST_F(TerminalSetup, RefusedAnswersSayWhatIsAccepted) {
    const Outcome language = Tonvik({}, "7\nDeutsch\n1\n");
    EXPECT_EQ(language.status, 0);
    const std::string hint = "Type one of the numbers listed, Enter for 2, or q to stop.\n";
    EXPECT_NE(language.output.find("[2]: " + hint + "Select your language [2]: " + hint), std::string::npos)
        << language.output;
    ASSERT_EQ(Setup({"--yes"}, "").status, 0);
    const Outcome remove = Remove({}, "\nmaybe\nn\n");
    EXPECT_EQ(remove.status, 1);
    EXPECT_NE(remove.output.find("[y = remove Vondrel, n or c = keep it]: Please type y, n or c [y = remove "
                                 "Vondrel, n or c = keep it]: Please type y, n or c"),
              std::string::npos)
        << remove.output;
    const Outcome license = Setup({"--lang", "1"}, "\nok\nn\n");
    EXPECT_NE(license.output.find("setup 24 en (y) / setup 25 en (n): Type y to agree or n to disagree.\n"),
              std::string::npos)
        << license.output;
}

// Every question left without an answer (or answered q, or no) ends the tool with status 1 and a
// last line of its own that says nothing was done.
TEST_F(TerminalSetup, EveryQuestionLeftUnansweredEndsOnALineOfItsOwn) {
    struct Case {
        const char* what;
        char tool;  // s: setup, u: uninstall, t: Tonvik
        Words words;
        const char* input;
        const char* end;  // the output's end
    } cases[] = {
        {"setup, language",
         's',
         {},
         "",
         "Select your language [2]: \nSetup: Vondrel has not been installed.\n"},
        {"setup, q", 's', {}, "q\n", "Select your language [2]: Setup: Vondrel has not been installed.\n"},
        {"setup, unknown --lang", 's', {"--lang", "9"}, "", "Setup: Vondrel has not been installed.\n"},
        {"setup, licence", 's', {}, "\n", "(n): \nsetup 4 de: setup 2 de\n"},
        {"setup, folder", 's', {}, "\ny\n", "/Vondrel]: \nsetup 4 de: setup 2 de\n"},
        {"Tonvik", 't', {}, "", "Select your language [2]: \nSet language: The language was not changed.\n"},
        {"Tonvik, q", 't', {}, "q\n", "[2]: Set language: The language was not changed.\n"},
        {"uninstall", 'u', {}, "", "keep it]: \nUninstall: Nothing was removed; Vondrel stays installed in "},
        {"uninstall, no",
         'u',
         {},
         "n\n",
         "keep it]: Uninstall: Nothing was removed; Vondrel stays installed in "},
    };
    ASSERT_EQ(Setup({"--yes"}, "").status, 0);
    const std::string standing = installed.string() + "/.\n";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // setup meets the standing install only once it has a folder, after these questions.
        const Outcome run = c.tool == 's'   ? Setup(c.words, c.input)
                            : c.tool == 't' ? Tonvik(c.words, c.input)
                                            : Remove(c.words, c.input);
        EXPECT_EQ(run.status, 1);
        std::string end = c.end;
        if (c.tool == 'u') end += standing;
        ASSERT_GE(run.output.size(), end.size()) << run.output;
        EXPECT_EQ(run.output.substr(run.output.size() - end.size()), end) << run.output;
    }
    EXPECT_FALSE(std::filesystem::exists(source / "Language.LCFG"));
    EXPECT_TRUE(store.Read());
}
