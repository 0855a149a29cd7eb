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
        for (const std::filesystem::path& folder : locked_) chmod(folder.c_str(), 0755);
    }

    // Makes the folder (made when missing) read-only for the rest of the test.
    void ReadOnly(const std::filesystem::path& folder) {
        std::filesystem::create_directories(folder);
        ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
        locked_.push_back(folder);
    }
    void Writable(const std::filesystem::path& folder) { ASSERT_EQ(chmod(folder.c_str(), 0755), 0); }

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

    std::vector<std::filesystem::path> locked_;
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
    EXPECT_TRUE(Tree(installed).empty());  // emptied folders go with the rollback
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

// What uninstall cannot delete stays recorded with the rest of the install, so that uninstall can
// finish once it can; it says what stays and ends with status 1.
TEST_F(ReadOnlyFolders, UninstallThatCannotDeleteKeepsTheRecord) {
    struct Case {
        const char* what;
        std::filesystem::path folder;
        const char* named;
    } cases[] = {
        {"install folder", installed, "ReadMe.txt"},
        {"applications folder", applications, "vondrel.desktop"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedSetupUi install;
        ASSERT_EQ(Install(install), 0);
        const auto before = Tree(installed);
        ReadOnly(c.folder);
        ScriptedSetupUi ui;
        EXPECT_EQ(Uninstall(ui), 1);
        ASSERT_EQ(ui.errors.size(), 1u);
        EXPECT_NE(ui.errors[0].find(c.named), std::string::npos) << ui.errors[0];
        EXPECT_TRUE(store.Read());
        EXPECT_TRUE(std::filesystem::exists(installed / "uninstall"));
        Writable(c.folder);
        ScriptedSetupUi again;
        EXPECT_EQ(Uninstall(again), 0);
        EXPECT_EQ(Tree(installed), std::vector<std::string>{"Language.LCFG"});
        EXPECT_TRUE(Tree(applications).empty());
        EXPECT_FALSE(store.Read());
    }
}
