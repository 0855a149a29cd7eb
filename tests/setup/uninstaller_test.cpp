#include "setup/uninstaller.h"

#include <fstream>
#include <sstream>

#include "platform/headless/headless_install_store.h"
#include "tests/setup/setup_fixture.h"

namespace {

using Uninstaller = SetupHome;

}  // namespace

TEST_F(Uninstaller, RemovesExactlyWhatWasInstalled) {
    ScriptedSetupUi install;
    ASSERT_EQ(Install(install), 0);
    // What the game and the user add: the game's own files go, the user's file and its folder stay,
    // and so does the language chosen.
    for (const char* own : {"fps.txt", "vondrel.log", "Screen.SCRS", "Sound.SNDS"})
        temp.Write(std::string("home/.local/share/Vondrel/") + own, "the game's");
    temp.Write("home/.local/share/Vondrel/Misc/Sub/mine.txt", "mine");
    temp.Write("home/.local/share/Vondrel/Docs/Notes/keep.txt", "keep");
    temp.Write("home/.local/share/applications/other.desktop", "another program's entry");

    ScriptedSetupUi ui;
    EXPECT_EQ(Uninstall(ui), 0);
    EXPECT_EQ(ui.questions, (std::vector<std::string>{"uninstall 10 de|uninstall 28 de"}));
    // What is being done while it is done, then that it is done.
    EXPECT_EQ(ui.told, (std::vector<std::string>{"uninstall 31 de|uninstall 30 de",
                                                 "uninstall 1 de|uninstall 29 de"}));
    EXPECT_EQ(Tree(installed),
              (std::vector<std::string>{"Docs/", "Docs/Notes/", "Docs/Notes/keep.txt", "Language.LCFG",
                                        "Misc/", "Misc/Sub/", "Misc/Sub/mine.txt"}));
    EXPECT_EQ(Tree(applications), (std::vector<std::string>{"other.desktop"}));
    EXPECT_FALSE(store.Read());
    EXPECT_FALSE(std::filesystem::exists(configHome / "Dorn"));
}

// The install folder stays with the language chosen in it, and so does the applications folder
// that other programs share, whether or not it holds anything besides the game's entries.
TEST_F(Uninstaller, KeepsTheInstallFolderAndTheApplicationsFolder) {
    for (bool otherEntry : {false, true}) {
        SCOPED_TRACE(otherEntry);
        ScriptedSetupUi install;
        ASSERT_EQ(Install(install), 0);
        if (otherEntry) temp.Write("home/.local/share/applications/other.desktop", "another program's entry");
        ScriptedSetupUi ui;
        EXPECT_EQ(Uninstall(ui), 0);
        EXPECT_TRUE(std::filesystem::is_directory(installed));
        EXPECT_EQ(Tree(installed), std::vector<std::string>{"Language.LCFG"});
        EXPECT_TRUE(std::filesystem::is_directory(applications));
        EXPECT_EQ(Tree(applications),
                  otherEntry ? std::vector<std::string>{"other.desktop"} : std::vector<std::string>{});
    }
    ScriptedSetupUi again;
    EXPECT_EQ(Uninstall(again), 1);
    EXPECT_EQ(again.errors, (std::vector<std::string>{"Error|Vondrel not installed on your computer"}));
}

TEST_F(Uninstaller, AnswerOtherThanYesDeletesNothing) {
    ScriptedSetupUi install;
    ASSERT_EQ(Install(install), 0);
    const auto before = Tree(installed);
    for (Answer answer : {Answer::No, Answer::Cancel}) {
        ScriptedSetupUi ui;
        ui.answers = {answer};
        EXPECT_EQ(Uninstall(ui), 1);
        EXPECT_EQ(Tree(installed), before);
        EXPECT_TRUE(store.Read());
        EXPECT_EQ(Tree(applications).size(), 6u);
    }
}

// Every text the uninstaller shows once it has begun is fetched before it deletes anything.
TEST_F(Uninstaller, TextMissingStopsItBeforeAnythingIsDeleted) {
    for (uint32_t omitted : {1u, 29u, 30u, 31u}) {
        SCOPED_TRACE(omitted);
        SetupFolderOptions options;
        const std::string prefix = std::to_string(omitted) + " ";
        std::istringstream lines(UninstallMessageFile());
        for (std::string line; std::getline(lines, line);) {
            if (line.rfind(prefix, 0) != 0) options.uninstallMessages += line + "\n";
        }
        RebuildSetupFolder(options);
        ScriptedSetupUi install;
        ASSERT_EQ(Install(install), 0);
        const auto before = Tree(installed);
        ScriptedSetupUi ui;
        EXPECT_EQ(Uninstall(ui), 1);
        EXPECT_EQ(ui.errors, (std::vector<std::string>{"Error|Message #" + std::to_string(omitted) +
                                                       " not found in uninstall.mes"}));
        EXPECT_EQ(ui.told,
                  (std::vector<std::string>{"Uninstall|Nothing was removed; Vondrel stays installed in " +
                                            installed.string() + "/."}));
        EXPECT_EQ(Tree(installed), before);
        EXPECT_TRUE(store.Read());
    }
}

TEST_F(Uninstaller, WithoutLanguageFileTextsComeInLanguageOne) {
    ScriptedSetupUi install;
    ASSERT_EQ(Install(install), 0);
    std::filesystem::remove(installed / "Language.LCFG");
    ScriptedSetupUi ui;
    ui.answers = {Answer::No};
    EXPECT_EQ(Uninstall(ui), 1);
    EXPECT_EQ(ui.questions, (std::vector<std::string>{"uninstall 10 en|uninstall 28 en"}));
}

TEST_F(Uninstaller, DamagedLanguageFileIsAnErrorThatDeletesNothing) {
    ScriptedSetupUi install;
    ASSERT_EQ(Install(install), 0);
    temp.Write("home/.local/share/Vondrel/Language.LCFG", "damaged");
    const auto before = Tree(installed);
    ScriptedSetupUi ui;
    EXPECT_EQ(Uninstall(ui), 1);
    ASSERT_EQ(ui.errors.size(), 1u);
    EXPECT_NE(ui.errors[0].find("Language.LCFG"), std::string::npos) << ui.errors[0];
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_EQ(Tree(installed), before);
    EXPECT_TRUE(store.Read());
}

TEST_F(Uninstaller, RecordThatPointsAnywhereElseDeletesNothing) {
    temp.Write("home/keep.txt", "keep");
    temp.Write("home/uninst.lst", "keep.txt\n");
    temp.Write("other/main.fd", "not an archive");
    temp.Write("plain/uninst.lst", "");
    temp.Write("plain/file.txt", "x");
    std::filesystem::create_symlink(home, temp.Absolute() / "home-link");
    const std::string cases[] = {"/",
                                 home.string(),
                                 home.string() + "/",
                                 (temp.Absolute() / "home-link").string(),
                                 "relative/folder",
                                 (temp.Absolute() / "missing").string(),
                                 (temp.Absolute() / "plain/file.txt").string(),
                                 (temp.Absolute() / "empty").string()};
    std::filesystem::create_directories(temp.Absolute() / "empty");
    for (const std::string& path : cases) {
        SCOPED_TRACE(path);
        HeadlessInstallStore record;
        record.record = InstallRecord{path, "Vondrel", path + "uninstall"};
        HeadlessDesktop entries;
        ScriptedSetupUi ui;
        UninstallServices services{ui, record, entries, home.string()};
        EXPECT_EQ(RunUninstall(services), 1);
        EXPECT_EQ(ui.errors.size(), 1u);
        EXPECT_TRUE(ui.questions.empty());
        EXPECT_TRUE(record.record);
        EXPECT_EQ(ReadFile(home / "keep.txt"), "keep");
    }
}

// The home folder is refused even when it holds both files an install leaves; any other folder
// needs only one of them.
TEST_F(Uninstaller, TheHomeGuardDecidesAndEitherInstallFileMarksAFolder) {
    struct Case {
        const char* folder;  // below the temporary folder
        bool list;
        bool archive;
        bool accepted;
    };
    const Case cases[] = {
        {"home", true, true, false}, {"only-list", true, false, true}, {"only-archive", false, true, true},
        {"both", true, true, true},  {"neither", false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder);
        const std::filesystem::path folder = temp.Absolute() / c.folder;
        std::filesystem::create_directories(folder);
        if (c.list) temp.Write(std::string(c.folder) + "/uninst.lst", "");
        if (c.archive) temp.Write(std::string(c.folder) + "/main.fd", "");
        const auto checked = CheckedInstallFolder(folder.string(), home.string());
        EXPECT_EQ(checked.has_value(), c.accepted);
        if (checked) {
            EXPECT_EQ(*checked, folder.string() + "/");
        }
    }
}

TEST_F(Uninstaller, HostileListLinesAndLinksDeleteNothingOutside) {
    ScriptedSetupUi install;
    ASSERT_EQ(Install(install), 0);
    temp.Write("outside/victim.txt", "v");
    temp.Write("outside/sub/victim.txt", "v");
    std::filesystem::create_directories(installed / "Docs");
    // A folder of the install replaced by a link to the outside, and lines that leave the folder.
    std::filesystem::create_directory_symlink(temp.Absolute() / "outside/sub", installed / "Linked");
    std::ofstream(installed / "uninst.lst", std::ios::app)
        << "..\\..\\..\\..\\outside\\victim.txt\n"
        << (temp.Absolute() / "outside/victim.txt").string() << "\n"
        << "Linked\\victim.txt\n"
        << "C:\\outside\\victim.txt\n"
        << "Docs\\\\x\n"
        << std::string(5000, 'a') << "\r\n";
    ScriptedSetupUi ui;
    EXPECT_EQ(Uninstall(ui), 0);
    EXPECT_EQ(ReadFile(temp.Absolute() / "outside/victim.txt"), "v");
    EXPECT_EQ(ReadFile(temp.Absolute() / "outside/sub/victim.txt"), "v");
    EXPECT_EQ(Tree(installed), (std::vector<std::string>{"Language.LCFG", "Linked"}));
}

// Once the game is gone, a record that cannot be deleted is named and the end is status 1.
TEST_F(Uninstaller, RecordThatCannotBeDeletedIsNamed) {
    ScriptedSetupUi install;
    ASSERT_EQ(Install(install), 0);
    HeadlessInstallStore record;
    record.record = store.Read();
    record.failWrites = true;
    ScriptedSetupUi ui;
    UninstallServices services{ui, record, desktop, home.string()};
    EXPECT_EQ(RunUninstall(services), 1);
    ASSERT_EQ(ui.errors.size(), 1u);
    EXPECT_NE(ui.errors[0].find(record.Location()), std::string::npos) << ui.errors[0];
    EXPECT_EQ(ui.told.size(), 1u);  // what is being done, and no "done"
    EXPECT_EQ(Tree(installed), std::vector<std::string>{"Language.LCFG"});
    EXPECT_TRUE(Tree(applications).empty());
}
