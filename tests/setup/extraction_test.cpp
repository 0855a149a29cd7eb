#include "setup/extraction.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <fstream>
#include <thread>

#include "foundation/block_reader.h"
#include "foundation/exceptions.h"
#include "tests/setup/setup_fixture.h"
#include "tests/support/error_message.h"
#include "tests/support/working_folder.h"

namespace {

class Extraction : public ::testing::Test {
  protected:
    // Writes an archive of entries and extracts it into the install folder.
    bool Extract(const std::vector<FdEntry>& entries, const EntryHook& afterEntry = {}) {
        return ExtractWith(control, entries, afterEntry);
    }
    bool ExtractWith(InstallControl& with, const std::vector<FdEntry>& entries, const EntryHook& afterEntry) {
        FdWriter writer;
        writer.Group(entries);
        const auto archive = temp.Write("data.fd", writer.Build());
        FileBlockReader reader;
        reader.Open(archive.c_str());
        WorkingFolder inFolder(folder);
        return ExtractArchive(String((folder.string() + "/").c_str()), reader, with, texts, afterEntry);
    }
    std::vector<std::string> Tree() const { return ::Tree(folder); }

    TempDir temp;
    std::filesystem::path folder = [this] {
        std::filesystem::create_directories(temp.Absolute() / "game");
        return temp.Absolute() / "game";
    }();
    InstallControl control;
    ExtractionTexts texts{"cannot make ", "no list"};
};

// Written in directory order: Misc\Sub\c.dat, Misc\b.dat, d.txt, a.txt.
const std::vector<FdEntry> kFour = {
    {"d.txt", "4"}, {"Misc\\Sub\\c.dat", "3"}, {"Misc\\b.dat", "2"}, {"a.txt", "1"}};

}  // namespace

TEST_F(Extraction, PercentAndNamePerEntryFoldersAndList) {
    std::vector<int32_t> percents;
    std::vector<std::vector<std::string>> begun;
    EXPECT_TRUE(Extract(kFour, [&](uint32_t) {
        percents.push_back(control.Percent());
        begun.push_back(control.TakeBegunEntries());
    }));
    EXPECT_EQ(percents, (std::vector<int32_t>{0, 25, 50, 75}));
    EXPECT_EQ(begun, (std::vector<std::vector<std::string>>{
                         {"Misc\\Sub\\c.dat"}, {"Misc\\b.dat"}, {"d.txt"}, {"a.txt"}}));
    EXPECT_EQ(control.Percent(), 75);
    EXPECT_EQ(Tree(), (std::vector<std::string>{"Misc/", "Misc/Sub/", "Misc/Sub/c.dat", "Misc/b.dat", "a.txt",
                                                "d.txt", "uninst.lst"}));
    EXPECT_EQ(ReadFile(folder / "uninst.lst"), "Misc\\Sub\\c.dat\nMisc\\b.dat\nd.txt\na.txt\n");
    EXPECT_EQ(ReadFile(folder / "Misc/Sub/c.dat"), "3");
}

TEST_F(Extraction, OneEntryEndsAtZero) {
    std::vector<int32_t> percents;
    EXPECT_TRUE(Extract({{"only", "x"}}, [&](uint32_t) { percents.push_back(control.Percent()); }));
    EXPECT_EQ(percents, (std::vector<int32_t>{0}));
    EXPECT_EQ(control.Percent(), 0);
}

TEST_F(Extraction, ExistingFoldersAreMatchedWithoutCase) {
    std::filesystem::create_directories(folder / "MISC");
    EXPECT_TRUE(Extract({{"Misc\\b.dat", "2"}}));
    EXPECT_EQ(Tree(), (std::vector<std::string>{"MISC/", "MISC/b.dat", "uninst.lst"}));
}

// The folder is left as this run found it: its files deleted, an older list cut back to what it
// held, and only the folders it made removed (the user's empty "Misc" stays, "Misc\Sub" goes).
TEST_F(Extraction, AbortAfterThirdEntryRollsBackThisRun) {
    struct Case {
        const char* what;
        const char* list;  // an older "uninst.lst"; nullptr: none
        bool usersFolder;
        std::vector<std::string> left;
    } cases[] = {
        {"empty folder", nullptr, false, {}},
        {"older list", "old\n", false, {"uninst.lst"}},
        {"the user's empty folder", nullptr, true, {"Misc/"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        if (c.list != nullptr) temp.Write("game/uninst.lst", c.list);
        if (c.usersFolder) std::filesystem::create_directories(folder / "Misc");
        InstallControl aborted;
        aborted.Begin();
        EXPECT_FALSE(ExtractWith(aborted, kFour, [&](uint32_t index) {
            if (index == 2) {
                aborted.Pause();
                aborted.Abort();
            }
        }));
        EXPECT_EQ(Tree(), c.left);
        if (c.list != nullptr) {
            EXPECT_EQ(ReadFile(folder / "uninst.lst"), c.list);
        }
    }
}

TEST_F(Extraction, PauseHoldsTheWorkerBetweenEntries) {
    control.Begin();
    std::atomic<bool> paused{false};
    std::thread worker([&] {
        EXPECT_TRUE(Extract(kFour, [&](uint32_t index) {
            if (index == 1) {
                control.Pause();
                paused = true;
                paused.notify_all();
            }
        }));
    });
    paused.wait(false);
    // The worker stays after its second entry until resumed.
    EXPECT_EQ(control.Percent(), 25);
    EXPECT_EQ(control.State(), InstallState::Paused);
    EXPECT_TRUE(std::filesystem::exists(folder / "Misc/b.dat"));
    EXPECT_FALSE(std::filesystem::exists(folder / "d.txt"));
    EXPECT_TRUE(control.Resume());
    worker.join();
    EXPECT_EQ(control.Percent(), 75);
    EXPECT_TRUE(std::filesystem::exists(folder / "a.txt"));
}

TEST_F(Extraction, HostileNamesAreRefusedBeforeAnythingIsWritten) {
    const char* names[] = {"..\\..\\x", "../x", "Misc\\..\\..\\x", "/etc/x", "\\x",        "C:\\x", "C:x",
                           "a\\\\b",    "a\\",  "a\\.\\b",         ".",      "line\nbreak"};
    for (const char* name : names) {
        SCOPED_TRACE(name);
        const std::string error = ErrorMessage([&] { Extract({{"a.txt", "1"}, {name, "evil"}}); });
        EXPECT_NE(error.find(std::string("holds the entry \"") + name + "\""), std::string::npos) << error;
        EXPECT_TRUE(Tree().empty());
        EXPECT_EQ(::Tree(temp.Absolute()), (std::vector<std::string>{"data.fd", "game/"}));
    }
}

TEST_F(Extraction, PlantedLinksAreNeverWrittenThrough) {
    temp.Write("outside/b.dat", "precious");
    struct Case {
        const char* link;
        std::filesystem::path target;
        bool folder;
    } cases[] = {
        {"Misc", temp.Absolute() / "outside", true},
        {"a.txt", temp.Absolute() / "outside/b.dat", false},
        {"uninst.lst", temp.Absolute() / "outside/b.dat", false},
        {"d.txt", temp.Absolute() / "outside/missing", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.link);
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        if (c.folder) {
            std::filesystem::create_directory_symlink(c.target, folder / c.link);
        } else {
            std::filesystem::create_symlink(c.target, folder / c.link);
        }
        EXPECT_NE(ErrorMessage([&] { Extract(kFour); }), "no error");
        EXPECT_EQ(ReadFile(temp.Absolute() / "outside/b.dat"), "precious");
        EXPECT_EQ(::Tree(temp.Absolute() / "outside"), (std::vector<std::string>{"b.dat"}));
        // Only the planted link is left: what this run wrote was rolled back.
        EXPECT_EQ(Tree(), (std::vector<std::string>{c.link}));
    }
}

// Something that is not a folder where an entry's folder goes is message 12 with its path, as a
// folder that cannot be made; a link there is refused and never followed.
TEST_F(Extraction, WhatIsNoFolderWhereAFolderGoesStopsTheInstall) {
    struct Case {
        const char* what;
        void (*plant)(const std::filesystem::path& misc, const std::filesystem::path& outside);
        const char* error;  // the path follows
    } cases[] = {
        {"file", [](const auto& misc, const auto&) { std::ofstream(misc) << "x"; }, "cannot make "},
        {"pipe", [](const auto& misc, const auto&) { mkfifo(misc.c_str(), 0644); }, "cannot make "},
        {"link",
         [](const auto& misc, const auto& outside) {
             std::filesystem::create_directory_symlink(outside, misc);
         },
         "Refused to write through \""},
    };
    std::filesystem::create_directories(temp.Absolute() / "outside");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        c.plant(folder / "Misc", temp.Absolute() / "outside");
        const std::string error = ErrorMessage([&] { Extract({{"Misc\\b.dat", "2"}}); });
        EXPECT_EQ(error.rfind(c.error + (folder / "Misc").string(), 0), 0u) << error;
        EXPECT_EQ(Tree(), (std::vector<std::string>{"Misc"}));
        EXPECT_TRUE(::Tree(temp.Absolute() / "outside").empty());
    }
}
