#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <thread>

#include "foundation/fd_file.h"
#include "platform/headless/headless_install_store.h"
#include "tests/setup/setup_fixture.h"
#include "tests/support/error_message.h"
#include "tests/support/working_folder.h"

namespace {

using Installer = SetupHome;

const std::vector<std::string> kInstalledTree = {
    "Docs/",        "Docs/License.txt",  "Language.LCFG", "Language.lng", "Misc/",
    "Misc/Sub/",    "Misc/Sub/File.dat", "ReadMe.txt",    "Tonvik",       "Vondrel",
    "WhatsNew.txt", "main.fd",           "setup.mes",     "uninst.lst",   "uninstall"};

const std::vector<std::string> kEntryFiles = {"vondrel-language.desktop",      "vondrel-license.desktop",
                                              "vondrel-release-notes.desktop", "vondrel-uninstall.desktop",
                                              "vondrel-whats-new.desktop",     "vondrel.desktop"};

// The install list of the archive: its names in directory order (descending, without case).
std::string ListOf(std::vector<FdEntry> entries) {
    std::sort(entries.begin(), entries.end(), [](const FdEntry& a, const FdEntry& b) {
        return FD::CompareNames(a.name.c_str(), b.name.c_str()) > 0;
    });
    std::string list;
    for (const FdEntry& e : entries) list += e.name + "\n";
    return list;
}

mode_t ModeOf(const std::filesystem::path& path) {
    struct stat st {};
    stat(path.c_str(), &st);
    return st.st_mode & 0777;
}

// Asks to cancel once; the worker waits after its first entry until the question has been asked,
// so the answer meets it paused there.
WorkerHook CancelDuringFirstEntry(ScriptedSetupUi& ui) {
    auto once = std::make_shared<std::atomic<bool>>(false);
    ui.cancel = [once] { return !once->exchange(true); };
    return [&ui](uint32_t index, const InstallControl&) {
        while (index == 0 && ui.asked.load() == 0) std::this_thread::yield();
    };
}

}  // namespace

TEST_F(Installer, InstallsFilesListRecordEntriesAndLanguage) {
    ScriptedSetupUi ui;
    ui.language = 0;  // " Deutsch" sorts first
    ASSERT_EQ(Install(ui), 0) << (ui.errors.empty() ? "" : ui.errors[0]);

    EXPECT_EQ(ui.languageNames, (std::vector<std::string>{"2) Deutsch", "1) English"}));
    EXPECT_EQ(ui.offeredLanguage, 0u);  // the first name shown
    EXPECT_EQ(ui.licenseText, "Licence text\nline 2\n");
    EXPECT_EQ(ui.offeredFolder, installed.string());
    EXPECT_EQ(Tree(installed), kInstalledTree);
    EXPECT_EQ(ReadFile(installed / "uninst.lst"), ListOf(SetupArchiveEntries()));
    EXPECT_EQ(ReadFile(installed / "Misc/Sub/File.dat"), std::string(3000, 'x'));  // stored packed
    EXPECT_EQ(ReadFile(installed / "Language.LCFG"),
              std::string("\x53\x45\x4C\x43\x46\x47\x0E\x00\x00\x00\x00\x00\x02\x00\x00\x00", 16));
    EXPECT_EQ(ModeOf(installed / "Vondrel"), 0755u);
    EXPECT_EQ(ModeOf(installed / "uninstall"), 0755u);
    EXPECT_EQ(ModeOf(installed / "ReadMe.txt") & 0111, 0u);
    EXPECT_EQ(ReadFile(configHome / "Dorn/Vondrel/install.ini"),
              "[Vondrel]\npath=" + installed.string() +
                  "/\nDisplayName=Vondrel\nUninstallString=" + installed.string() + "/uninstall\n");
    EXPECT_EQ(ui.told, (std::vector<std::string>{"setup 1 de|setup 3 de"}));
    // The bar ends where the last entry leaves it.
    const size_t entries = SetupArchiveEntries().size();
    EXPECT_EQ(ui.progress.back(), static_cast<int32_t>((entries - 1) * 100 / entries));

    EXPECT_EQ(Tree(applications), kEntryFiles);
    const std::string game = ReadFile(applications / "vondrel.desktop");
    EXPECT_NE(game.find("Name=setup 7 de\n"), std::string::npos);
    EXPECT_NE(game.find("Exec=\"" + installed.string() + "/Vondrel\"\n"), std::string::npos);
    EXPECT_NE(game.find("Path=" + installed.string() + "\n"), std::string::npos);
    EXPECT_NE(ReadFile(applications / "vondrel-license.desktop")
                  .find("Exec=\"xdg-open\" \"" + installed.string() + "/Docs/License.txt\"\n"),
              std::string::npos);
    if (std::system("command -v desktop-file-validate >/dev/null 2>&1") == 0) {
        for (const std::string& file : kEntryFiles) {
            const std::string command = "desktop-file-validate '" + (applications / file).string() + "'";
            EXPECT_EQ(std::system(command.c_str()), 0) << file;
        }
    }
}

// Every entry is named once, in the order it is extracted, however far the watching thread falls
// behind the worker: here it looks only once the worker has written the last entry.
TEST_F(Installer, EveryEntryIsNamedInOrder) {
    const size_t count = SetupArchiveEntries().size();
    for (bool behind : {false, true}) {
        SCOPED_TRACE(behind);
        std::atomic<bool> lastWritten{false};
        ScriptedSetupUi ui;
        if (behind) {
            ui.cancel = [&] {
                // Held until the worker is done; a worker that stops early fails instead of hanging.
                const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
                while (!lastWritten && std::chrono::steady_clock::now() < giveUp) std::this_thread::yield();
                return false;
            };
        }
        const WorkerHook hook = [&](uint32_t index, const InstallControl&) {
            if (index + 1 == count) lastWritten = true;
        };
        ASSERT_EQ(Install(ui, hook), 0);
        std::string named;
        for (const std::string& entry : ui.progressEntries) {
            if (!entry.empty()) named += entry + "\n";
        }
        EXPECT_EQ(named, ListOf(SetupArchiveEntries()));
        std::filesystem::remove_all(installed);
    }
}

TEST_F(Installer, MenuEntriesCarryTheirDescriptions) {
    ScriptedSetupUi ui;
    ASSERT_EQ(Install(ui), 0);
    const std::pair<const char*, const char*> cases[] = {
        {"vondrel.desktop", "Vondrel"},
        {"vondrel-release-notes.desktop", "Release notes"},
        {"vondrel-whats-new.desktop", "Whats new"},
        {"vondrel-license.desktop", "License agreement"},
        {"vondrel-language.desktop", "Set Language"},
        {"vondrel-uninstall.desktop", "Uninstall"},
    };
    for (const auto& [file, description] : cases) {
        EXPECT_NE(ReadFile(applications / file).find(std::string("\nComment=") + description + "\n"),
                  std::string::npos)
            << file;
    }
}

TEST_F(Installer, SecondInstallAppendsToTheList) {
    ScriptedSetupUi first, second;
    ASSERT_EQ(Install(first), 0);
    ASSERT_EQ(Install(second), 0);
    const std::string once = ListOf(SetupArchiveEntries());
    EXPECT_EQ(ReadFile(installed / "uninst.lst"), once + once);
}

TEST_F(Installer, RefusalsAndCancelsWriteNothing) {
    struct Case {
        const char* what;
        void (*answer)(ScriptedSetupUi&);
        int status;
        const char* told;
    } cases[] = {
        {"language cancelled", [](ScriptedSetupUi& ui) { ui.language.reset(); }, 1, nullptr},
        {"licence refused", [](ScriptedSetupUi& ui) { ui.agree = false; }, 1, "setup 4 en|setup 2 en"},
        {"folder cancelled", [](ScriptedSetupUi& ui) { ui.folder = std::nullopt; }, 1,
         "setup 4 en|setup 2 en"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedSetupUi ui;
        ui.language = 1;  // English
        c.answer(ui);
        EXPECT_EQ(Install(ui), c.status);
        EXPECT_FALSE(std::filesystem::exists(installed));
        EXPECT_FALSE(store.Read());
        EXPECT_TRUE(Tree(applications).empty());
        if (c.told != nullptr) {
            EXPECT_EQ(ui.told, (std::vector<std::string>{c.told}));
        }
    }
}

TEST_F(Installer, RelativeFolderIsMessageThirteen) {
    ScriptedSetupUi ui;
    ui.language = 1;
    ui.folder = "Games";
    EXPECT_EQ(Install(ui), 1);
    EXPECT_EQ(ui.errors, (std::vector<std::string>{"setup 5 en|setup 13 en"}));
}

// The path is shown as the system spells it, in UTF-8, beside the message file's text.
TEST_F(Installer, FileInPlaceOfTheFolderIsMessageTwelve) {
    for (const char* name : {"file", "Datei \xC3\xA4"}) {
        SCOPED_TRACE(name);
        temp.Write(std::string("home/") + name, "x");
        ScriptedSetupUi ui;
        ui.language = 1;
        ui.folder = (home / name / "Vondrel").string();
        EXPECT_EQ(Install(ui), 1);
        EXPECT_EQ(ui.errors, (std::vector<std::string>{"setup 5 en|setup 12 en" + (home / name).string()}));
    }
}

TEST_F(Installer, CancelAnsweredYesRollsBack) {
    ScriptedSetupUi ui;
    EXPECT_EQ(Install(ui, CancelDuringFirstEntry(ui)), 1);
    EXPECT_EQ(ui.questions, (std::vector<std::string>{"setup 10 de|setup 11 de"}));
    // The folder stays, emptied of what this run wrote.
    EXPECT_TRUE(std::filesystem::is_directory(installed));
    EXPECT_TRUE(Tree(installed).empty());
    EXPECT_FALSE(store.Read());
    EXPECT_TRUE(Tree(applications).empty());
    EXPECT_EQ(ui.told, (std::vector<std::string>{"setup 4 de|setup 2 de"}));
}

TEST_F(Installer, CancelAnsweredNoResumes) {
    ScriptedSetupUi ui;
    ui.answers = {Answer::No};
    EXPECT_EQ(Install(ui, CancelDuringFirstEntry(ui)), 0);
    EXPECT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(Tree(installed), kInstalledTree);
}

TEST_F(Installer, WorkerErrorIsReportedAndMakesNoEntries) {
    SetupFolderOptions options;
    options.extra = {{"..\\..\\x", "evil"}};
    RebuildSetupFolder(options);
    ScriptedSetupUi ui;
    ui.language = 1;
    HeadlessDesktop entries;
    HeadlessInstallStore record;
    WorkingFolder here(source);
    SetupServices services{ui, record, entries, installed.string()};
    EXPECT_EQ(RunSetup(services), 1);
    ASSERT_EQ(ui.errors.size(), 1u);
    EXPECT_NE(ui.errors[0].find("..\\..\\x"), std::string::npos);
    EXPECT_TRUE(entries.entries.empty());
    EXPECT_FALSE(record.record);
    EXPECT_TRUE(std::filesystem::is_directory(installed));
    EXPECT_TRUE(Tree(installed).empty());
    EXPECT_FALSE(std::filesystem::exists(temp.Absolute() / "x"));
}

TEST_F(Installer, MissingFilesAreEngineErrors) {
    struct Case {
        const char* file;
        const char* error;
    } cases[] = {
        {"Language.lng", "Error|Unable to open file \"Language.lng\""},
        {"data.fd", "Error|FR::File \"data.fd\"Not Found"},
        {"License.txt", "Error|FR::File \"License.txt\"Not Found"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        RebuildSetupFolder({});
        std::filesystem::remove(source / c.file);
        ScriptedSetupUi ui;
        EXPECT_EQ(Install(ui), 1);
        EXPECT_EQ(ui.errors, (std::vector<std::string>{c.error}));
        EXPECT_FALSE(std::filesystem::exists(installed));
    }
}

TEST_F(Installer, MenuNamesMissingAfterTheInstallFallBackTextsMissingBeforeItStopIt) {
    struct Case {
        uint32_t omitted;
        int status;
        const char* entry;  // the menu entry the message names
        const char* name;   // its Name line; nullptr: no entry
    } cases[] = {
        {26, 0, "vondrel-uninstall.desktop", "Name=Uninstall Vondrel\n"},
        {7, 0, "vondrel.desktop", "Name=Vondrel\n"},
        {21, 0, "vondrel-release-notes.desktop", nullptr},  // the document it opens is not named
        {3, 1, nullptr, nullptr},                           // shown after the install: nothing installed
        {11, 1, nullptr, nullptr},                          // the cancel question
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.omitted);
        SetupFolderOptions options;
        const std::string prefix = std::to_string(c.omitted) + " ";
        std::istringstream lines(SetupMessageFile());
        for (std::string line; std::getline(lines, line);) {
            if (line.rfind(prefix, 0) != 0) options.setupMessages += line + "\n";
        }
        RebuildSetupFolder(options);
        ScriptedSetupUi ui;
        ui.language = 1;
        EXPECT_EQ(Install(ui), c.status);
        if (c.status != 0) {
            EXPECT_EQ(ui.errors, (std::vector<std::string>{"Error|Message #" + std::to_string(c.omitted) +
                                                           " not found in setup.mes"}));
            EXPECT_FALSE(std::filesystem::exists(installed));
            continue;
        }
        EXPECT_EQ(ui.told, (std::vector<std::string>{"setup 1 en|setup 3 en"}));
        EXPECT_TRUE(std::filesystem::exists(installed / "Language.LCFG"));
        if (c.name != nullptr) {
            EXPECT_NE(ReadFile(applications / c.entry).find(c.name), std::string::npos);
        } else {
            EXPECT_FALSE(std::filesystem::exists(applications / c.entry));
        }
        EXPECT_EQ(Tree(applications).size(), c.name != nullptr ? 6u : 5u);
        std::filesystem::remove_all(installed);
        std::filesystem::remove_all(applications);
        store.Remove();
    }
}

// Each missing folder along the path is made in turn; the first that cannot be made stops it.
TEST_F(Installer, FoldersAlongThePathAreMadeUpToOneThatCannotBe) {
    const std::string made = (home / "new").string();
    const std::string tooLong = made + "/" + std::string(300, 'x');
    EXPECT_EQ(ErrorMessage([&] { PrepareInstallFolder(tooLong + "/Vondrel", "relative", "cannot make "); }),
              "cannot make " + tooLong);
    EXPECT_TRUE(std::filesystem::is_directory(made));
    EXPECT_EQ(PrepareInstallFolder(made + "/a/b", "relative", "cannot make ").View(), made + "/a/b/");
    EXPECT_TRUE(std::filesystem::is_directory(made + "/a/b"));
}

// Without its record the install could not be removed again: a record that cannot be written
// fails the install, which is rolled back like any other failure.
TEST_F(Installer, RecordThatCannotBeWrittenFailsAndRollsBack) {
    ScriptedSetupUi ui;
    HeadlessInstallStore record;
    record.failWrites = true;
    HeadlessDesktop entries;
    WorkingFolder here(source);
    SetupServices services{ui, record, entries, installed.string()};
    EXPECT_EQ(RunSetup(services), 1);
    ASSERT_EQ(ui.errors.size(), 1u);
    EXPECT_NE(ui.errors[0].find("install record"), std::string::npos) << ui.errors[0];
    EXPECT_EQ(ui.told, (std::vector<std::string>{"setup 4 de|setup 2 de"}));
    EXPECT_TRUE(Tree(installed).empty());
    EXPECT_TRUE(entries.entries.empty());
    EXPECT_FALSE(record.record);
}

// Files of the game's names that no earlier install made are the user's: setup replaces them (and
// uninstall deletes them later) only after a yes, and under --yes it refuses, naming them.
TEST_F(Installer, UsersFilesOfTheGamesNamesAreReplacedOnlyAfterAYes) {
    struct Case {
        const char* what;
        bool unattended;
        std::vector<Answer> answers;
        int status;
    } cases[] = {
        {"--yes", true, {}, 1},
        {"no", false, {Answer::No}, 1},
        {"cancel", false, {Answer::Cancel}, 1},
        {"no answer", false, {Answer::Unanswered}, 1},
        {"yes", false, {Answer::Yes}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(installed);
        std::filesystem::remove_all(applications);
        temp.Write("home/.local/share/Vondrel/ReadMe.txt", "mine");
        temp.Write("home/.local/share/Vondrel/language.lng", "mine too");  // the game's name, in another case
        temp.Write("home/.local/share/Vondrel/Notes.txt", "no name of the game's");
        ScriptedSetupUi ui;
        ui.unattended = c.unattended;
        ui.answers = c.answers;
        EXPECT_EQ(Install(ui), c.status);
        const std::vector<std::string>& shown = c.unattended ? ui.errors : ui.questions;
        ASSERT_EQ(shown.size(), 1u);
        for (const char* name : {"ReadMe.txt", "language.lng"})
            EXPECT_NE(shown[0].find(name), std::string::npos);
        EXPECT_EQ(shown[0].find("Notes.txt"), std::string::npos);
        if (c.status == 0) {
            EXPECT_EQ(ReadFile(installed / "ReadMe.txt"), "read me");
            store.Remove();
            continue;
        }
        EXPECT_EQ(ReadFile(installed / "ReadMe.txt"), "mine");
        EXPECT_EQ(ReadFile(installed / "language.lng"), "mine too");
        EXPECT_EQ(Tree(installed), (std::vector<std::string>{"Notes.txt", "ReadMe.txt", "language.lng"}));
        EXPECT_FALSE(store.Read());
        EXPECT_EQ(ui.told.back(), "setup 4 de|setup 2 de");
    }
}

// The files an earlier install listed are the game's: installing over it asks nothing, and neither
// does installing again where an uninstall left the language and the player's files.
TEST_F(Installer, InstallOverTheGamesOwnFilesAsksNothing) {
    ScriptedSetupUi first;
    ASSERT_EQ(Install(first), 0);
    for (bool uninstalled : {false, true}) {
        SCOPED_TRACE(uninstalled);
        if (uninstalled) {
            ScriptedSetupUi remove;
            ASSERT_EQ(Uninstall(remove), 0);
            temp.Write("home/.local/share/Vondrel/Saves/00000001.gsf", "a save");
        }
        ScriptedSetupUi again;
        again.unattended = true;
        EXPECT_EQ(Install(again), 0);
        EXPECT_TRUE(again.questions.empty());
        EXPECT_TRUE(again.errors.empty()) << again.errors[0];
    }
}

// One install at a time: while one stands, another folder is refused, naming the install there;
// once it is removed the other folder takes the next one. After the uninstallers nothing is left.
TEST_F(Installer, AnotherFolderIsRefusedWhileAnInstallStands) {
    const std::filesystem::path other = home / "Other Games/Vondrel";
    ScriptedSetupUi first;
    ASSERT_EQ(Install(first), 0);
    const std::string recorded = store.Read()->path;
    for (bool yes : {false, true}) {
        ScriptedSetupUi second;
        second.folder = other.string();
        second.unattended = yes;
        EXPECT_EQ(Install(second), 1);
        ASSERT_EQ(second.errors.size(), 1u);
        EXPECT_NE(second.errors[0].find(installed.string() + "/uninstall"), std::string::npos)
            << second.errors[0];
        EXPECT_FALSE(std::filesystem::exists(other));
        EXPECT_EQ(store.Read()->path, recorded);
    }
    // The same folder again, however it is typed, is a reinstall.
    ScriptedSetupUi same;
    same.folder = installed.string() + "/";
    EXPECT_EQ(Install(same), 0);

    ScriptedSetupUi removeFirst, third, removeThird;
    ASSERT_EQ(Uninstall(removeFirst), 0);
    third.folder = other.string();
    EXPECT_EQ(Install(third), 0);
    EXPECT_EQ(Uninstall(removeThird), 0);
    EXPECT_EQ(Tree(installed), std::vector<std::string>{"Language.LCFG"});
    EXPECT_EQ(Tree(other), std::vector<std::string>{"Language.LCFG"});
    EXPECT_TRUE(Tree(applications).empty());
    EXPECT_FALSE(store.Read());
}

// A record whose folder no longer holds an install stands for nothing the uninstaller could
// remove: it does not keep setup from installing elsewhere.
TEST_F(Installer, RecordOfAFolderThatIsGoneDoesNotStopAnInstall) {
    ScriptedSetupUi first;
    ASSERT_EQ(Install(first), 0);
    std::filesystem::remove_all(installed);
    ScriptedSetupUi second;
    second.folder = (home / "Other").string();
    EXPECT_EQ(Install(second), 0) << (second.errors.empty() ? "" : second.errors[0]);
    EXPECT_EQ(store.Read()->path, (home / "Other").string() + "/");
}

// The game is installed and its uninstaller can remove it, so the install stands; what the user
// is told says which entries are missing and how to start and remove the game without them.
TEST_F(Installer, MenuEntriesNotWrittenAreNamedWithHowToStartTheGame) {
    ScriptedSetupUi ui;
    HeadlessInstallStore record;
    HeadlessDesktop entries;
    entries.failWrites = true;
    WorkingFolder here(source);
    SetupServices services{ui, record, entries, installed.string()};
    EXPECT_EQ(RunSetup(services), 0);
    EXPECT_EQ(ui.told, (std::vector<std::string>{"setup 1 de|setup 3 de"}));
    ASSERT_EQ(ui.errors.size(), 1u);
    for (const std::string& named : {std::string("vondrel.desktop"), std::string("vondrel-uninstall.desktop"),
                                     installed.string() + "/Vondrel", installed.string() + "/uninstall"}) {
        EXPECT_NE(ui.errors[0].find(named), std::string::npos) << named;
    }
    EXPECT_TRUE(record.record);
}
