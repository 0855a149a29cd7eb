// A setup that does not finish leaves the install folder as it found it: an earlier install of the
// game stays whole for its uninstaller, the user's files and folders stay, and a setup killed on
// the way leaves its kept files beside the new ones for the next setup or uninstall to put back.
#include <signal.h>

#include <atomic>
#include <memory>
#include <thread>

#include "tests/setup/setup_fixture.h"

namespace {

using Rollback = SetupHome;

// Asks to cancel once the worker has written entry index; the worker waits there until the
// question has been asked, so that the answer meets it paused after that entry.
WorkerHook CancelAfterEntry(ScriptedSetupUi& ui, uint32_t index) {
    auto reached = std::make_shared<std::atomic<bool>>(false);
    auto once = std::make_shared<std::atomic<bool>>(false);
    ui.cancel = [reached, once] { return *reached && !once->exchange(true); };
    return [&ui, reached, index](uint32_t at, const InstallControl&) {
        if (at != index) return;
        const int asked = ui.asked.load();
        *reached = true;
        while (ui.asked.load() == asked) std::this_thread::yield();
    };
}

// The archive's entries in the order they are written: WhatsNew.txt 0, Vondrel 1, uninstall 2,
// Tonvik 3, setup.mes 4, ReadMe.txt 5, Misc\Sub\File.dat 6, main.fd 7, Language.lng 8,
// Docs\License.txt 9.
constexpr uint32_t kAfterLanguageList = 8;

// Another edition of the game, whose read-me differs; with an entry that no file system can
// create (a name longer than a file name may be), written after the read-me.
SetupFolderOptions SecondEdition(bool unwritable) {
    SetupFolderOptions options;
    options.omit = {"ReadMe.txt"};
    options.extra = {{"ReadMe.txt", "read me, second edition"}};
    if (unwritable) options.extra.push_back({"N" + std::string(300, 'x'), "cannot be created"});
    return options;
}

}  // namespace

// Whatever ends a setup before the install is recorded, the folder is left as it was: the files an
// earlier install or the user had there are put back, "uninst.lst" holds what it held, and only
// the folders setup made go. An earlier install then still runs, and its uninstaller removes it.
TEST_F(Rollback, LeavesTheFolderAsItWas) {
    struct Case {
        const char* what;
        bool earlierInstall;
        bool unwritable;                      // the second edition's entry that cannot be written
        std::vector<const char*> usersFiles;  // of the game's names, replaced after a yes
        std::vector<const char*> usersFolders;
    } cases[] = {
        {"reinstall cancelled", true, false, {}, {}},
        {"reinstall failed by a write error", true, true, {}, {}},
        {"the user's files replaced after a yes, then cancelled",
         false,
         false,
         {"ReadMe.txt", "Language.lng"},
         {}},
        {"the user's empty folders, then cancelled", false, false, {}, {"Misc", "Docs", "Saves"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(installed);
        std::filesystem::remove_all(applications);
        RebuildSetupFolder({});
        if (c.earlierInstall) {
            ScriptedSetupUi first;
            ASSERT_EQ(Install(first), 0);
            temp.Write("home/.local/share/Vondrel/Saves/00000001.gsf", "a save");
        }
        for (const char* file : c.usersFiles)
            temp.Write(std::string("home/.local/share/Vondrel/") + file, "mine");
        for (const char* folder : c.usersFolders) std::filesystem::create_directories(installed / folder);
        const auto before = Snapshot(installed);
        const auto recorded = store.Read();
        const auto entries = Tree(applications);

        RebuildSetupFolder(SecondEdition(c.unwritable));
        ScriptedSetupUi again;
        const WorkerHook hook = c.unwritable ? WorkerHook{} : CancelAfterEntry(again, kAfterLanguageList);
        EXPECT_EQ(Install(again, hook), 1);
        EXPECT_EQ(again.errors.size(), c.unwritable ? 1u : 0u);
        EXPECT_EQ(Snapshot(installed), before);
        EXPECT_EQ(store.Read().has_value(), recorded.has_value());
        EXPECT_EQ(Tree(applications), entries);
        if (!c.earlierInstall) continue;

        // The earlier install runs, and its uninstaller removes it, the player's save staying.
        EXPECT_EQ(std::system((installed / "Vondrel").c_str()), 0);
        ScriptedSetupUi remove;
        EXPECT_EQ(Uninstall(remove), 0) << (remove.errors.empty() ? "" : remove.errors[0]);
        EXPECT_EQ(Tree(installed),
                  (std::vector<std::string>{"Language.LCFG", "Saves/", "Saves/00000001.gsf"}));
        EXPECT_TRUE(Tree(applications).empty());
        EXPECT_FALSE(store.Read());
    }
}

// Setup killed during a reinstall leaves each file it was replacing kept beside the new one; the
// next setup or uninstall puts them back before it goes on, and leaves none of them behind.
TEST_F(Rollback, KilledReinstallLeavesKeptFilesTheNextRunPutsBack) {
    GTEST_FLAG_SET(death_test_style, "fast");
    for (bool thenSetup : {false, true}) {
        SCOPED_TRACE(thenSetup ? "then setup" : "then uninstall");
        std::filesystem::remove_all(installed);
        RebuildSetupFolder({});
        ScriptedSetupUi first;
        ASSERT_EQ(Install(first), 0);
        const auto before = Snapshot(installed);
        RebuildSetupFolder(SecondEdition(false));
        EXPECT_EXIT(
            {
                ScriptedSetupUi killed;
                Install(killed, [](uint32_t index, const InstallControl&) {
                    if (index == kAfterLanguageList) raise(SIGKILL);
                });
            },
            testing::KilledBySignal(SIGKILL), "");
        // Nothing of the earlier install is lost: each of its files is there or kept beside it.
        EXPECT_EQ(ReadFile(installed / "ReadMe.txt"), "read me, second edition");
        EXPECT_EQ(ReadFile(installed / "ReadMe.txt:setup-kept"), "read me");
        for (const auto& [name, seen] : before) {
            EXPECT_TRUE(std::filesystem::exists(installed / name) ||
                        std::filesystem::exists(installed / (name + ":setup-kept")))
                << name;
        }
        if (thenSetup) {
            ScriptedSetupUi again;
            ASSERT_EQ(Install(again), 0);
            EXPECT_EQ(ReadFile(installed / "ReadMe.txt"), "read me, second edition");
            for (const std::string& name : Tree(installed))
                EXPECT_EQ(name.find(":setup-kept"), std::string::npos) << name;
        }
        ScriptedSetupUi remove;
        EXPECT_EQ(Uninstall(remove), 0) << (remove.errors.empty() ? "" : remove.errors[0]);
        EXPECT_EQ(Tree(installed), std::vector<std::string>{"Language.LCFG"});
        EXPECT_FALSE(store.Read());
    }
}
