// Setup and uninstall where a folder they write into is read-only. Root writes into read-only
// folders, so these tests run only where the folder modes hold (CI runs this program once more as
// an ordinary user).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/setup/setup_fixture.h"

namespace {

class ReadOnlyFolders : public SetupHome {
  protected:
    void SetUp() override {
        if (!ModesHold()) {
            GTEST_SKIP() << "this user writes into read-only folders (root does): run the setup tests as an "
                            "ordinary user to test read-only folders";
        }
    }
    ~ReadOnlyFolders() override {
        // Writable again, so that the temporary folder can be removed.
        for (const auto& [path, mode] : locked_) chmod(path.c_str(), mode);
    }

    // Makes the folder (made when missing) read-only for the rest of the test.
    void ReadOnly(const std::filesystem::path& folder) {
        std::filesystem::create_directories(folder);
        Lock(folder, 0555);
    }
    // Gives the file or folder mode for the rest of the test.
    void Lock(const std::filesystem::path& path, mode_t mode) {
        struct stat st {};
        ASSERT_EQ(stat(path.c_str(), &st), 0) << path;
        ASSERT_EQ(chmod(path.c_str(), mode), 0);
        locked_.emplace_back(path, st.st_mode & 07777);
    }
    // Gives back the mode the file or folder had before it was locked.
    void Writable(const std::filesystem::path& path) {
        for (const auto& [locked, mode] : locked_) {
            if (locked == path) {
                ASSERT_EQ(chmod(path.c_str(), mode), 0);
            }
        }
    }

  private:
    bool ModesHold() {
        const std::filesystem::path probe = temp.Absolute() / "probe";
        std::filesystem::create_directories(probe);
        chmod(probe.c_str(), 0555);
        const int fd = open((probe / "file").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        if (fd >= 0) close(fd);
        chmod(probe.c_str(), 0755);
        std::filesystem::remove_all(probe);
        return fd < 0;
    }

    std::vector<std::pair<std::filesystem::path, mode_t>> locked_;
};

}  // namespace

// Without its record nothing could remove the install: it is rolled back, and the error names the
// record's file.
TEST_F(ReadOnlyFolders, ConfigurationFolderFailsTheInstall) {
    ReadOnly(configHome);
    ScriptedSetupUi ui;
    EXPECT_EQ(Install(ui), 1);
    ASSERT_EQ(ui.errors.size(), 1u);
    EXPECT_NE(ui.errors[0].find("\"" + store.FilePath() + "\""), std::string::npos) << ui.errors[0];
    EXPECT_TRUE(Tree(installed).empty());
    EXPECT_TRUE(Tree(applications).empty());
    ScriptedSetupUi remove;
    EXPECT_EQ(Uninstall(remove), 1);
    EXPECT_EQ(remove.errors, (std::vector<std::string>{"Error|Vondrel not installed on your computer"}));
}

TEST_F(ReadOnlyFolders, FileThatCannotBeWrittenIsNamed) {
    ReadOnly(installed / "Docs");
    ScriptedSetupUi ui;
    EXPECT_EQ(Install(ui), 1);
    EXPECT_EQ(ui.errors, (std::vector<std::string>{"setup 5 de|FW::Unable to create file \"" +
                                                   installed.string() + "/Docs/License.txt\""}));
    // The files written before are gone again; the folder setup did not make stays.
    EXPECT_EQ(Tree(installed), std::vector<std::string>{"Docs/"});
    EXPECT_FALSE(store.Read());
}

// The game is installed without its menu entries; the user is told how to start and remove it, and
// the uninstaller removes it.
TEST_F(ReadOnlyFolders, ApplicationsFolderLeavesTheGameInstalled) {
    ReadOnly(applications);
    ScriptedSetupUi ui;
    EXPECT_EQ(Install(ui), 0);
    ASSERT_EQ(ui.errors.size(), 1u);
    EXPECT_NE(ui.errors[0].find(applications.string()), std::string::npos) << ui.errors[0];
    EXPECT_NE(ui.errors[0].find(installed.string() + "/Vondrel"), std::string::npos) << ui.errors[0];
    ScriptedSetupUi remove;
    EXPECT_EQ(Uninstall(remove), 0);
    EXPECT_EQ(Tree(installed), std::vector<std::string>{"Language.LCFG"});
}

// What uninstall cannot delete, or a list it cannot read, stays recorded with the rest of the
// install, so that uninstall can finish once it can; it says what stays and ends with status 1. The
// list, the game's own files and the emptied folders are tried where only they are left.
TEST_F(ReadOnlyFolders, UninstallThatCannotDeleteKeepsTheRecord) {
    struct Case {
        const char* what;
        std::filesystem::path locked;
        mode_t mode;
        const char* named;
        bool onlyTheRestLeft;  // every listed file but the uninstaller and "main.fd" deleted already
        bool played;           // the game wrote its "fps.txt"
    } cases[] = {
        {"install folder", installed, 0555, "ReadMe.txt", false, true},
        {"applications folder", applications, 0555, "vondrel.desktop", false, true},
        {"emptied folder in a read-only one", installed / "Misc", 0555, "Misc/Sub/", false, true},
        {"list that cannot be read", installed / "uninst.lst", 0, "uninst.lst", false, true},
        {"the game's own file", installed, 0555, "fps.txt", true, true},
        {"list in a read-only folder", installed, 0555, "uninst.lst", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedSetupUi install;
        ASSERT_EQ(Install(install), 0);
        if (c.played) temp.Write("home/.local/share/Vondrel/fps.txt", "the game's");
        if (c.onlyTheRestLeft) {
            for (const char* gone : {"Docs", "Misc", "ReadMe.txt", "WhatsNew.txt", "Language.lng", "Tonvik",
                                     "Vondrel", "setup.mes"})
                std::filesystem::remove_all(installed / gone);
        }
        Lock(c.locked, c.mode);
        ScriptedSetupUi ui;
        EXPECT_EQ(Uninstall(ui), 1);
        ASSERT_EQ(ui.errors.size(), 1u);
        EXPECT_NE(ui.errors[0].find(c.named), std::string::npos) << ui.errors[0];
        EXPECT_TRUE(store.Read());
        EXPECT_TRUE(std::filesystem::exists(installed / "uninstall"));
        EXPECT_TRUE(std::filesystem::exists(installed / "main.fd"));
        Writable(c.locked);
        ScriptedSetupUi again;
        EXPECT_EQ(Uninstall(again), 0) << (again.errors.empty() ? "" : again.errors[0]);
        EXPECT_EQ(Tree(installed), std::vector<std::string>{"Language.LCFG"});
        EXPECT_TRUE(Tree(applications).empty());
        EXPECT_FALSE(store.Read());
    }
}

// A record that cannot be deleted once the game is gone is named, and the end is status 1.
TEST_F(ReadOnlyFolders, UninstallNamesTheRecordItCannotDelete) {
    ScriptedSetupUi install;
    ASSERT_EQ(Install(install), 0);
    ReadOnly(configHome / "Dorn/Vondrel");
    ScriptedSetupUi ui;
    EXPECT_EQ(Uninstall(ui), 1);
    ASSERT_EQ(ui.errors.size(), 1u);
    EXPECT_NE(ui.errors[0].find("\"" + store.FilePath() + "\""), std::string::npos) << ui.errors[0];
    EXPECT_EQ(Tree(installed), std::vector<std::string>{"Language.LCFG"});
    EXPECT_TRUE(Tree(applications).empty());
}

// A reinstall that a read-only folder or configuration folder fails leaves the earlier install as
// it was, for its uninstaller to remove.
TEST_F(ReadOnlyFolders, FailedReinstallLeavesTheEarlierInstall) {
    for (const std::filesystem::path& locked : {installed / "Docs", configHome / "Dorn/Vondrel"}) {
        SCOPED_TRACE(locked);
        ScriptedSetupUi first;
        ASSERT_EQ(Install(first), 0);
        ReadOnly(locked);
        const auto before = Snapshot(installed);
        ScriptedSetupUi again;
        EXPECT_EQ(Install(again), 1);
        ASSERT_EQ(again.errors.size(), 1u);
        EXPECT_EQ(Snapshot(installed), before);
        Writable(locked);
        ScriptedSetupUi remove;
        EXPECT_EQ(Uninstall(remove), 0);
        EXPECT_EQ(Tree(installed), std::vector<std::string>{"Language.LCFG"});
        EXPECT_FALSE(store.Read());
    }
}
