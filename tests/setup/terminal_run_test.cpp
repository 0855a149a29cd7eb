// The setup tools as a user meets them on the terminal: typed answers, command-line flags and
// Ctrl-C, with what they print, what they leave on disk and their exit status.
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <sstream>
#include <thread>

#include "setup/command_line.h"
#include "setup/interrupt_watch.h"
#include "setup/language_choice.h"
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

// "Language.LCFG" holding a language number.
std::string LanguageFile(int32_t number) {
    std::string bytes("\x53\x45\x4C\x43\x46\x47\x0E\x00\x00\x00\x00\x00", 12);
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<char>((number >> shift) & 0xFF));
    return bytes;
}

// Sets the locale variables for the object's life; nullptr unsets one.
class LocaleVariables {
  public:
    LocaleVariables(const char* lcAll, const char* lcMessages, const char* lang) {
        Set("LC_ALL", lcAll);
        Set("LC_MESSAGES", lcMessages);
        Set("LANG", lang);
    }
    ~LocaleVariables() {
        for (const auto& [name, value] : saved_) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
    }

  private:
    void Set(const char* name, const char* value) {
        const char* old = std::getenv(name);
        saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

class TerminalSetup : public SetupHome {
  protected:
    Outcome Setup(const Words& words, const std::string& input, int32_t preferred = kEnglish,
                  const WorkerHook& hook = {}, int interruptFd = -1) {
        const ParsedOptions parsed = ParseSetupOptions(words, {"lang", "dir", "accept-license", "yes"});
        EXPECT_EQ(parsed.error, "");
        std::istringstream in(input);
        std::ostringstream out, err;
        TerminalUi ui(parsed.options, in, out, err, -1, interruptFd);
        const int status = Install(ui, hook, preferred);
        return {status, out.str(), err.str()};
    }
    Outcome Remove(const Words& words, const std::string& input) {
        const ParsedOptions parsed = ParseSetupOptions(words, {"yes"});
        std::istringstream in(input);
        std::ostringstream out, err;
        TerminalUi ui(parsed.options, in, out, err, -1);
        const int status = Uninstall(ui);
        return {status, out.str(), err.str()};
    }
    // Tonvik in the setup folder, which holds "Language.lng".
    Outcome Tonvik(const Words& words, const std::string& input, int32_t preferred) {
        const ParsedOptions parsed = ParseSetupOptions(words, {"lang", "yes"});
        std::istringstream in(input);
        std::ostringstream out, err;
        TerminalUi ui(parsed.options, in, out, err, -1);
        WorkingFolder here(source);
        const int status = RunLanguageSelector(ui, preferred);
        return {status, out.str(), err.str()};
    }
    // The setup folder with the texts a release ships.
    void UseShippedTexts() {
        SetupFolderOptions options;
        options.setupMessages = SetupMessagesText();
        options.uninstallMessages = UninstallMessagesText();
        options.languages = LanguageListText();
        options.license = LicenseText();
        RebuildSetupFolder(options);
    }
    void ExpectNothingInstalled() {
        EXPECT_FALSE(std::filesystem::exists(installed));
        EXPECT_FALSE(store.Read());
        EXPECT_FALSE(std::filesystem::exists(applications));
    }
};

}  // namespace

TEST(LocaleLanguage, LcAllThenLcMessagesThenLangPickDeutschByDe) {
    struct Case {
        const char* lcAll;
        const char* lcMessages;
        const char* lang;
        int32_t language;
    } cases[] = {
        {nullptr, nullptr, nullptr, kEnglish},
        {nullptr, nullptr, "de_DE.UTF-8", kDeutsch},
        {nullptr, nullptr, "de", kDeutsch},
        {nullptr, nullptr, "en_GB.UTF-8", kEnglish},
        {nullptr, nullptr, "C", kEnglish},
        {nullptr, nullptr, "d", kEnglish},
        {"en_US.UTF-8", nullptr, "de_DE.UTF-8", kEnglish},
        {"de_AT.UTF-8", "en_US", "en_US", kDeutsch},
        {"", nullptr, "de_CH.UTF-8", kDeutsch},  // set but empty counts as not set
        {nullptr, "de_DE", "en_US", kDeutsch},
        {nullptr, "C", "de_DE", kEnglish},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.lcAll ? c.lcAll : "-") + " " + (c.lcMessages ? c.lcMessages : "-") + " " +
                     (c.lang ? c.lang : "-"));
        LocaleVariables locale(c.lcAll, c.lcMessages, c.lang);
        EXPECT_EQ(LocaleLanguage(), c.language);
    }
}

TEST_F(TerminalSetup, OneNumberNamesOneLanguage) {
    struct Case {
        Words words;
        const char* input;
        int32_t preferred;
        int32_t written;
    } cases[] = {
        {{}, "\n", kEnglish, 1},
        {{}, "\n", kDeutsch, 2},
        {{}, "2\n", kEnglish, 2},
        {{}, "1\n", kDeutsch, 1},
        {{"--lang", "2"}, "", kEnglish, 2},
        {{"--lang", "1"}, "", kDeutsch, 1},
        {{"--yes"}, "", kDeutsch, 2},
        {{"--yes"}, "", kEnglish, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.words) + " " + c.input + " " + std::to_string(c.preferred));
        std::filesystem::remove(source / "Language.LCFG");
        const Outcome run = Tonvik(c.words, c.input, c.preferred);
        EXPECT_EQ(run.status, 0) << run.errors;
        EXPECT_EQ(ReadFile(source / "Language.LCFG"), LanguageFile(c.written));
        if (c.words.empty()) {
            EXPECT_EQ(run.output, "Set language\n  2) Deutsch\n  1) English\nSelect your language [" +
                                      std::to_string(c.preferred) + "]: ");
        }
    }

    // The installer: the number chosen is the install's "Language.LCFG" and the language it speaks.
    const Outcome byDefault = Setup({"--yes"}, "", kDeutsch);
    EXPECT_EQ(byDefault.status, 0) << byDefault.errors;
    EXPECT_EQ(ReadFile(installed / "Language.LCFG"), LanguageFile(2));
    EXPECT_NE(byDefault.output.find("setup 1 de: setup 3 de\n"), std::string::npos);
    const Outcome typed = Setup({}, "1\ny\n\n", kDeutsch);
    EXPECT_EQ(typed.status, 0) << typed.errors;
    EXPECT_EQ(ReadFile(installed / "Language.LCFG"), LanguageFile(1));
    EXPECT_NE(typed.output.find("setup 1 en: setup 3 en\n"), std::string::npos);
}

TEST_F(TerminalSetup, ExitStatusSaysWhetherItWasDone) {
    struct Case {
        const char* what;
        Words words;
        const char* input;
    } refused[] = {
        {"unknown --lang", {"--lang", "5"}, ""},
        {"end of input at the language", {}, ""},
        {"language question left with q", {}, "q\n"},
        {"licence declined", {}, "\nn\n"},
        {"end of input at the licence", {}, "\n"},
        {"end of input at the folder", {}, "\ny\n"},
        {"relative folder", {"--dir", "Games", "--yes"}, ""},
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Setup(c.words, c.input).status, 1);
        ExpectNothingInstalled();
    }
    ASSERT_EQ(Setup({}, "\ny\n\n").status, 0);

    const std::pair<const char*, const char*> kept[] = {{"answered no", "n\n"}, {"end of input", ""}};
    for (const auto& [what, input] : kept) {
        SCOPED_TRACE(what);
        EXPECT_EQ(Remove({}, input).status, 1);
        EXPECT_TRUE(store.Read());
    }
    EXPECT_EQ(Remove({"--yes"}, "").status, 0);
    EXPECT_EQ(Remove({"--yes"}, "").status, 1);  // nothing installed any more

    const std::pair<Words, const char*> notChosen[] = {{{}, ""}, {{}, "q\n"}, {{"--lang", "9"}, ""}};
    for (const auto& [words, input] : notChosen) {
        SCOPED_TRACE(::testing::PrintToString(words) + input);
        EXPECT_EQ(Tonvik(words, input, kEnglish).status, 1);
        EXPECT_FALSE(std::filesystem::exists(source / "Language.LCFG"));
    }
}

TEST_F(TerminalSetup, CtrlCDuringExtractionRollsBackAndEndsWithStatusOne) {
    struct Case {
        const char* what;
        uint32_t atEntry;
        std::string folder;               // below the home folder
        std::vector<std::string> before;  // files there before (a trailing '/' makes a folder)
        std::vector<std::string> after;   // what is left below the home folder's first component
    } cases[] = {
        {"the default folder", 0, ".local/share/Vondrel", {}, {".local/", ".local/share/"}},
        {"folders made along the way", 4, "Games/New/Vondrel", {}, {}},
        {"an empty folder that was there", 0, "Empty", {"Empty/"}, {"Empty/"}},
        {"the player's file", 9, "Mine", {"Mine/keep.txt"}, {"Mine/", "Mine/keep.txt"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const std::string& name : c.before) {
            if (name.back() == '/')
                std::filesystem::create_directories(home / name);
            else
                temp.Write("home/" + name, "mine");
        }
        const std::string top = c.folder.substr(0, c.folder.find('/'));
        const std::filesystem::path folder = home / c.folder;
        InterruptWatch interrupts;
        const uint32_t at = c.atEntry;
        const WorkerHook ctrlC = [at](uint32_t index, const InstallControl& control) {
            if (index != at) return;
            std::raise(SIGINT);
            // Held until the interrupt has been seen; a front-end that misses it fails the test
            // instead of hanging it.
            const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            while (control.State() != InstallState::Aborting && std::chrono::steady_clock::now() < giveUp)
                std::this_thread::yield();
        };
        const Outcome run = Setup({"--yes", "--dir", folder.string()}, "", kEnglish, ctrlC, interrupts.Fd());
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.output.find("setup 4 en: setup 2 en\n"), std::string::npos) << run.output;
        std::vector<std::string> left;
        for (const std::string& name : Tree(home)) {
            if (name.rfind(top + "/", 0) == 0) left.push_back(name);
        }
        EXPECT_EQ(left, c.after);
        EXPECT_FALSE(store.Read());
        EXPECT_FALSE(std::filesystem::exists(applications));
    }
}

TEST_F(TerminalSetup, RelativeFolderIsNamedInWordsInEachLanguage) {
    UseShippedTexts();
    const std::pair<const char*, const char*> cases[] = {
        {"1",
         "Setup error: The install folder must be a full path that begins with \"/\", for example "
         "/home/you/Games/Vondrel.\n"},
        {"2",
         "Fehler bei der Installation: Der Installationsordner muss ein vollständiger Pfad sein, der mit "
         "„/“ beginnt, zum Beispiel /home/sie/Spiele/Vondrel.\n"},
    };
    for (const auto& [language, error] : cases) {
        SCOPED_TRACE(language);
        const Outcome run = Setup({"--lang", language, "--dir", "Games", "--accept-license"}, "");
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.errors, error);
        ExpectNothingInstalled();
    }
}

TEST_F(TerminalSetup, ShippedTextsSpeakDeutschOnTheTerminalAndInTheMenu) {
    UseShippedTexts();
    const Outcome install = Setup({"--yes"}, "", kDeutsch);
    ASSERT_EQ(install.status, 0) << install.errors;
    EXPECT_NE(install.output.find("Vondrel-Installation: Vondrel ist installiert. Sie starten es im Bereich "
                                  "„Spiele“ Ihres Anwendungsmenüs.\n"),
              std::string::npos);
    EXPECT_NE(ReadFile(applications / "vondrel-uninstall.desktop").find("Name=Vondrel deinstallieren\n"),
              std::string::npos);
    EXPECT_NE(ReadFile(applications / "vondrel-release-notes.desktop").find("/LiesMich.txt\""),
              std::string::npos);
    const Outcome removal = Remove({"--yes"}, "");
    EXPECT_EQ(removal.status, 0) << removal.errors;
    EXPECT_EQ(removal.output, "Vondrel deinstallieren: Vondrel wurde entfernt.\n");
}
