// Save games: the stored layouts byte by byte, round trips through the running game, hostile
// files, the slot rows and what a failed or killed save leaves behind.
#include "campaign/save_game.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "campaign/flight_loop.h"
#include "campaign/save_file_reader.h"
#include "campaign/save_slots.h"
#include "campaign/screen_hooks.h"
#include "foundation/fd_file.h"
#include "foundation/fw.h"
#include "foundation/packed_strings.h"
#include "foundation/random.h"
#include "script/object_lifetime.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "script/zema_class.h"
#include "shell/game_ids.h"
#include "shell/sound_system.h"
#include "tests/support/error_message.h"
#include "tests/support/game_harness.h"
#include "tests/support/pilot_fixture.h"
#include "tests/support/save_fixture.h"
#include "tools/content/block_writer.h"
#include "tools/content/script_assembler.h"
#include "tools/content/script_subclass.h"
#include "ui/gtime.h"
#include "world/player.h"
#include "world/player_config.h"

namespace {

using Pilots = std::vector<std::pair<std::string, int32_t>>;

class SaveGameTest : public ::testing::Test {
  protected:
    void SetUp() override {
        AddSaveClasses(game);
        // Scenarios that fail: one whose name takes the caller's two values, leaves two others and
        // fails; one whose destruction fails (method 999 of its base does not exist).
        game.AddClass({.name = "StackTaker",
                       .base = "Scenario",
                       .virtuals = {{3, CodeWords({{OpWord(Op::Drop), OpWord(Op::Drop)},
                                                   PushIntWords(7),
                                                   PushIntWords(8),
                                                   {BaseCallWord(999)}})}}});
        game.AddClass({.name = "DoomedScenario",
                       .base = "Scenario",
                       .virtuals = {{0, {BaseCallWord(999)}},
                                    {3, PushTextWords("Doomed")},
                                    {4, PushTextWords("Never listed")}}});
        game.Start();
        SaveSlots().Clear();
        SelectedSlot() = 0;
        FirstVisibleSlot() = 0;
    }
    void TearDown() override { SaveSlots().Clear(); }

    PlayerObject& AddPilot(const std::string& name, int32_t tenths) {
        GameObject object = game.New("Player");
        PlayerObject& pilot = PlayerObject::Of(object.get());
        pilot.RestoreName(String(name.c_str()));
        pilot.SetMoneyTenths(tenths);
        game.Players().AppendObject(object.release());
        return pilot;
    }
    Pilots Current() {
        Pilots pilots;
        List<ScriptObject>& list = game.Players().ObjectList();
        for (ScriptObject* object = list.First(); object != nullptr; object = list.Next()) {
            auto& pilot = PlayerObject::Of(object);
            pilots.emplace_back(std::string(pilot.Name().View()), pilot.MoneyTenths());
        }
        return pilots;
    }
    static SaveHeader Header(const std::string& stem, const std::string& title = kNewSaveTitle) {
        SaveHeader header;
        SaveTexts texts;
        const std::vector<std::string> given = SaveTextsFor(stem);
        for (uint32_t i = 0; i < kSaveTextCount; ++i) texts[i] = given[i];
        texts[5] = title;
        header.Fill(texts);
        return header;
    }
    void Save(const std::string& stem, const GTime& time = GTime(151072, 12345)) {
        SaveHeader header = Header(stem);
        SaveBlock::StoreStamp(header, time);
        WriteSaveGame(game.Cpu(), header, SaveFileName(stem));
    }
    // A valid save's bytes with one pilot, for building damaged variants.
    std::string SavedBytes(const std::string& stem) {
        Save(stem);
        return ReadGameFile("Saves/" + stem + ".gsf");
    }
    std::vector<std::string> RowStems() {
        std::vector<std::string> stems;
        for (uint32_t i = 0; i < SaveSlots().End(); ++i)
            if (SaveHeader* row = SlotHeader(i)) stems.emplace_back(row->Text(1));
        return stems;
    }

    GameHarness game;
    GTime time;
};

TEST(PackedStringsTest, AccessorsFindTextsAndNeverLeaveThePayload) {
    struct Case {
        std::string payload;
        uint32_t n;
        std::string text;
        bool holds;
    };
    const std::vector<Case> cases = {
        {std::string("a\0\0bc\0", 6), 2, "", true},
        {std::string("a\0\0bc\0", 6), 3, "bc", true},
        {std::string(8, '\0'), 7, "", true},
        {std::string(8, '\0'), 8, "", true},
        {std::string(7, '\0'), 8, "", false},
        {"abc", 1, "abc", false},  // no NUL: ends at the payload's end
        {std::string("a\0bc", 4), 2, "bc", false},
        {std::string("a\0", 2), 3, "", false},
        {"", 1, "", false},
    };
    for (const Case& c : cases) {
        DataBlock block(10, true);
        block.SetPayloadSize(static_cast<uint32_t>(c.payload.size()));
        block.AllocPayload();
        std::copy(c.payload.begin(), c.payload.end(), block.Payload());
        EXPECT_EQ(PackedStrings::Text(block, c.n), c.text) << c.n;
        EXPECT_EQ(PackedStrings::Holds(block, c.n), c.holds) << c.n;
    }
    DataBlock empty(10, true);
    EXPECT_EQ(PackedStrings::Seventh(empty), "");
}

TEST(SlotArrayTest, PagesCountsAndSwaps) {
    SlotArray slots(2, 3, true);
    slots.Set(0, std::make_unique<DataBlock>(10, false));
    EXPECT_EQ(slots.Used(), 1u);
    slots.Set(4, std::make_unique<DataBlock>(10, false));  // first page
    slots.Set(40, nullptr);                                // far past the end: End moves, Used not
    EXPECT_EQ(slots.End(), 41u);
    EXPECT_EQ(slots.Used(), 2u);
    DataBlock* kept = slots.Get(4);
    slots.Swap(4, 4);
    EXPECT_EQ(slots.Get(4), kept);
    slots.Swap(4, 50);
    EXPECT_EQ(slots.Get(50), kept);
    EXPECT_EQ(slots.Get(4), nullptr);
    EXPECT_EQ(slots.Used(), 2u);
    EXPECT_EQ(slots.End(), 51u);
    slots.Set(0, nullptr);  // deletes the owned block
    EXPECT_EQ(slots.Used(), 1u);
}

TEST_F(SaveGameTest, HeaderAndPositionBytesMatchTheirLayouts) {
    SaveHeader header = Header("00000007");
    SaveBlock::StoreStamp(header, GTime(152003, 71234));
    {
        FW out;
        out.Create("plain.SAVE");
        out << header;
        out.Close();
    }
    EXPECT_EQ(ReadGameFile("plain.SAVE"), SaveHeaderBytes(71234, 152003, SaveTextsFor("00000007")));
    GTime back;
    SaveBlock::LoadStamp(header, back);
    EXPECT_EQ(back, GTime(152003, 71234));

    SelectedSlot() = 3;
    FirstVisibleSlot() = 1;
    SaveSavePos();
    EXPECT_EQ(ReadGameFile("Saves/SavePos.SVP"), SavePosBytes(3, 1));
}

TEST_F(SaveGameTest, SavePositionIsLoweredToTheRowCountAndKeptWhenMissing) {
    AddPilot("Ann", 10);
    for (const char* stem : {"00000001", "00000002", "00000003", "00000004", "00000005"}) Save(stem);
    SaveSlotList();
    struct Case {
        std::string bytes;
        uint32_t selected, first;
    };
    const std::vector<Case> cases = {
        {SavePosBytes(40, 2), 5, 2},
        {SavePosBytes(1, 99), 1, 5},
        {"garbage", 1, 5},  // damaged: both stay
        {SEBlock("XXXX", "", LeU32(0) + LeU32(0)), 1, 5},
        {SEBlock("SVPS", "", LeU32(0)), 1, 5},  // a header too short for both indexes
    };
    for (const Case& c : cases) {
        WriteGameFile("Saves\\SavePos.SVP", c.bytes);
        LoadSavePos();
        EXPECT_EQ(SelectedSlot(), c.selected);
        EXPECT_EQ(FirstVisibleSlot(), c.first);
    }
}

TEST_F(SaveGameTest, TwoPilotsSavedAndLoadedAreEqual) {
    AddPilot("Ann", 1230);
    AddPilot("Bob", 450);
    const Pilots saved = Current();
    Save("00000001", GTime(153010, 2040));

    AddPilot("Carl", 10);
    // The folder a script gave the data-file readers belongs to the game the load replaces.
    game.Cpu().Archive()->SetDirectory(String("Saves"));
    GTime loaded;
    SaveGameFile::Load(game.Cpu(), loaded, SaveFileName("00000001"));
    EXPECT_EQ(game.Cpu().Archive()->Directory(), String(""));
    EXPECT_EQ(Current(), saved);
    EXPECT_EQ(loaded, GTime(153010, 2040));
    ScriptObject* scenario = game.Object(kScenarioId);
    ASSERT_NE(scenario, nullptr);
    EXPECT_EQ(scenario->Class()->ClassName().View(), kTestScenarioClass);
    EXPECT_NE(game.Object(kCurrentLocationId), nullptr);
}

TEST_F(SaveGameTest, AnEarlyDateLoadsAsTheStartDate) {
    AddPilot("Ann", 10);
    Save("00000001", GTime(999, 500));
    GTime loaded;
    SaveGameFile::Load(game.Cpu(), loaded, SaveFileName("00000001"));
    EXPECT_EQ(loaded, GTime(151072, 0));
}

TEST_F(SaveGameTest, HostileSavesAreRefusedAndTheGameIsUntouched) {
    AddPilot("Ann", 10);
    const std::string good = SavedBytes("00000001");
    const std::string header = SaveHeaderBytes(0, 151072, SaveTextsFor("00000002"));
    struct Case {
        const char* what;
        std::string bytes;
        bool listed;  // the file begins with a "SAVE" header that can be read
    };
    std::string noNul = header;
    noNul.back() = 'x';
    BlockWriter huge;
    huge.tag = "SAVE";
    huge.headerFields = LeU32(0) + LeU32(0);
    huge.storedPayloadSize = 0x7fffffff;
    BlockWriter big = huge;
    big.storedPayloadSize.reset();
    big.payload = std::string(kMaxSavePayload + 1, '\0');
    const std::vector<Case> cases = {
        {"empty", "", false},
        {"header only", header, true},
        {"truncated", good.substr(0, good.size() / 2), false},
        {"wrong first block", SEBlock("PCFG", "x") + header, false},
        {"huge payload size", huge.SE(), false},
        {"payload over the cap", big.SE(), false},
        {"texts without NUL", noNul, false},
        {"seven texts", SaveHeaderBytes(0, 0, {"a", "b", "c", "d", "e", "f", "g"}), false},
        {"unknown scenario class", SaveHeaderBytes(0, 0, SaveTextsFor("x", "NoSuchClass")), true},
        {"scenario class not a scenario", SaveHeaderBytes(0, 0, SaveTextsFor("x", "Player")), true},
        {"junk after the header", header + "junk", true},
    };
    const Pilots before = Current();
    ScriptObject* player = game.Players().ObjectList().First();
    for (const Case& c : cases) {
        WriteGameFile("Saves\\00000009.gsf", c.bytes);
        GTime loaded(5, 5);
        EXPECT_EQ(ErrorMessage([&] { SaveGameFile::Load(game.Cpu(), loaded, SaveFileName("00000009")); }),
                  "Wrong save game file \"Saves\\00000009.gsf\"")
            << c.what;
        EXPECT_EQ(Current(), before) << c.what;
        EXPECT_EQ(game.Players().ObjectList().First(), player) << c.what;
        EXPECT_EQ(loaded, GTime(5, 5)) << c.what;
        // Listed as its header says, or left out, and kept on disk either way.
        SaveSlotList();
        const std::vector<std::string> listed = {"00000001", "00000009"};
        EXPECT_EQ(RowStems(), c.listed ? listed : std::vector<std::string>{"00000001"}) << c.what;
        EXPECT_EQ(ReadGameFile("Saves/00000009.gsf"), c.bytes) << c.what;
    }
}

TEST_F(SaveGameTest, RowsAreSortedByTheirOwnStemsAndTheNextStemFollowsTheLargest) {
    struct Case {
        std::vector<std::string> stems;
        std::vector<std::string> rows;
        std::string next;
    };
    const std::vector<Case> cases = {
        {{}, {}, "00000001"},
        {{"00000010", "-AutoSav", "00000002"}, {"-AutoSav", "00000002", "00000010"}, "00000011"},
        {{"Zeta", "alpha", "00000003"}, {"00000003", "alpha", "Zeta"}, "00000004"},
    };
    AddPilot("Ann", 10);
    for (const Case& c : cases) {
        std::filesystem::remove_all("Saves");
        for (const std::string& stem : c.stems) Save(stem);
        SaveSlotList();
        EXPECT_EQ(RowStems(), c.rows);
        EXPECT_EQ(NextSaveStem(), c.next);
    }
    // A file that calls itself something else is listed, and overwritten, under its own name; one
    // that is no save is not listed, and the next stem never lands on it.
    WriteGameFile("Saves\\00000020.gsf", ReadGameFile("Saves/00000003.gsf"));
    WriteGameFile("Saves\\00000021.GSF", "not a save");
    SaveSlotList();
    EXPECT_EQ(RowStems(), (std::vector<std::string>{"00000003", "00000020", "alpha", "Zeta"}));
    EXPECT_EQ(NextSaveStem(), "00000022");
}

TEST_F(SaveGameTest, ASaveWithoutPlayersIsRefused) {
    EXPECT_EQ(ErrorMessage([&] { Save("00000001"); }),
              "Save game has no players: \"Saves\\00000001.gsf\" not written");
    EXPECT_EQ(ReadGameFile("Saves/00000001.gsf"), "");
}

TEST_F(SaveGameTest, ASaveFailingHalfwayLeavesThePreviousFile) {
    AddPilot("Ann", 10);
    PlayerObject& bob = AddPilot("Bob", 20);
    Save("00000001");
    const std::string before = ReadGameFile("Saves/00000001.gsf");
    ASSERT_FALSE(before.empty());
    bob.AddItem(game.New(kBombClass).release());
    EXPECT_NE(ErrorMessage([&] { Save("00000001", GTime(160000, 1)); }), "no error");
    EXPECT_EQ(ReadGameFile("Saves/00000001.gsf"), before);
}

// A child writes saves A and B in turn until it is killed at a moment of the parent's choosing;
// the file is then always one of them, whole. The children are forked with the sound thread stopped,
// so that no other thread can hold a lock a child then never gets; one that is not ready within 20 s
// all the same is killed and its trial made again.
TEST_F(SaveGameTest, AKilledSaveLeavesACompleteOldOrNewFile) {
    AddPilot("Ann", 10);
    AddPilot("Bob", 20);
    SeedRandom(7);
    game.SoundOutput().StopThread();
    int stuck = 0;
    for (int trial = 0; trial < 50; ++trial) {
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(ready[0]);
            try {
                for (uint32_t n = 0;; ++n) {
                    SaveHeader header = Header("00000001", n % 2 == 0 ? "A" : "B");
                    WriteSaveGame(game.Cpu(), header, SaveFileName("00000001"));
                    if (n == 0) (void)!write(ready[1], "r", 1);
                }
            } catch (...) {
            }
            _exit(1);
        }
        close(ready[1]);
        pollfd wait = {.fd = ready[0], .events = POLLIN, .revents = 0};
        char byte = 0;
        const bool isReady = poll(&wait, 1, 20000) == 1 && read(ready[0], &byte, 1) == 1;
        close(ready[0]);
        if (!isReady) {
            kill(child, SIGKILL);
            waitpid(child, nullptr, 0);
            ASSERT_LT(++stuck, 5) << "children forked for the saves never got ready";
            --trial;
            continue;
        }
        // Spins rather than sleeps: the moment varies without waiting on the clock.
        const auto spins = static_cast<uint32_t>(EngineRand()) * 8;
        std::atomic<uint32_t> spun{0};
        while (spun.fetch_add(1, std::memory_order_relaxed) < spins) {
        }
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << trial;

        SaveFileContent content = ReadSaveFile(game.Cpu(), SaveFileName("00000001"));
        EXPECT_EQ(content.players.size(), 2u) << trial;
        const std::string title(content.header.Text(6));
        EXPECT_TRUE(title == "A" || title == "B") << trial << " " << title;
    }
}

TEST_F(SaveGameTest, ScenarioRowsComeFromTheScenarioFilesThatCanStart) {
    const std::string pilot = SEBlock("PCFG", std::string("Bo") + '\0', std::string(16, '\0'));
    WriteGameFile("Levels\\Two.PCFG", pilot + SEBlock("JUNK", "x") + pilot);
    WriteGameFile("Levels\\None.PCFG", SEBlock("JUNK", "x"));
    struct Case {
        const char* file;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"Add\\Two.scn", "TestScenario \"Levels\\Two.PCFG\""},
        {"Add\\NoPilots.scn", "TestScenario Levels\\None.PCFG"},
        {"Add\\NoFile.scn", "TestScenario Levels\\Missing.PCFG"},
        {"Add\\NotAScenario.scn", "Player Levels\\Two.PCFG"},
        {"Add\\Unknown.scn", "NoSuchClass Levels\\Two.PCFG"},
        {"Add\\Taker.scn", "StackTaker Levels\\Two.PCFG"},
        {"Add\\Doomed.scn", "DoomedScenario Levels\\Two.PCFG"},
    };
    for (const Case& c : cases) WriteGameFile(c.file, c.text);
    game.Cpu().Archive()->SetDirectory(String("Levels"));
    // What the caller has on the stack is there after the scan, whatever the failed files did.
    game.Cpu().DataStack().Push(11);
    game.Cpu().DataStack().Push(12);
    ScenarioList(game.Cpu());
    ASSERT_EQ(game.Cpu().DataStack().Depth(), 2u);
    EXPECT_EQ(game.Cpu().DataStack().Pop(), 12u);
    EXPECT_EQ(game.Cpu().DataStack().Pop(), 11u);
    // The scan's folder for the data-file readers ends with it.
    EXPECT_EQ(game.Cpu().Archive()->Directory(), String(""));
    ASSERT_EQ(SaveSlots().Used(), 1u);
    EXPECT_EQ(SlotHeader(0)->Texts(), (SaveTexts{"Add\\Two.scn", kTestScenarioClass, kTestScenarioName, "2",
                                                 "", kTestScenarioName, kTestScenarioText, ""}));
    EXPECT_EQ(FirstVisibleSlot(), 0u);
}

TEST_F(SaveGameTest, APilotThatCannotBeMadeLeavesTheOldPilots) {
    AddPilot("Ann", 10);
    PlayerConfig good;
    good.SetName("Eve");
    PlayerConfig bad;
    bad.SetName("Mal");
    bad.Skills().push_back(std::make_unique<PsklBlock>(0, 1, "NoSuchSkill"));
    WriteGameFile("Saves\\00000001.gsf", SaveHeaderBytes(0, 151072, SaveTextsFor("00000001")) +
                                             StoredBytes(good) + StoredBytes(bad));
    const Pilots before = Current();
    const uint32_t ships = dynamic_cast<ObjectManager*>(game.Object(kShipListId))->ObjectList().Count();
    GTime loaded(5, 5);
    EXPECT_NE(ErrorMessage([&] {
                  SaveGameFile::Load(game.Cpu(), loaded, SaveFileName("00000001"));
              }).find("NoSuchSkill"),
              std::string::npos);
    EXPECT_EQ(Current(), before);
    EXPECT_EQ(dynamic_cast<ObjectManager*>(game.Object(kShipListId))->ObjectList().Count(), ships);
    EXPECT_EQ(loaded, GTime(5, 5));
    EXPECT_EQ(game.Object(kScenarioId), nullptr);
}

TEST_F(SaveGameTest, AScenarioAskingToStartAgainLoadsTheSameFileAgain) {
    AddPilot("Ann", 10);
    SaveHeader header;
    header.Fill({"00000001", kAgainScenarioClass, "", "", "", "New", "", ""});
    WriteSaveGame(game.Cpu(), header, SaveFileName("00000001"));
    Save("00000002");
    // The second loading rereads the file, which by then names a scenario that is content to start.
    int loadings = 0;
    const auto kept = Screens().loadingScreen;
    Screens().loadingScreen = [&](Processor&, int32_t) {
        if (++loadings == 2) WriteGameFile("Saves\\00000001.gsf", ReadGameFile("Saves/00000002.gsf"));
    };
    GTime loaded;
    SaveGameFile::Load(game.Cpu(), loaded, SaveFileName("00000001"));
    Screens().loadingScreen = kept;
    EXPECT_EQ(loadings, 2);
    EXPECT_EQ(game.Object(kScenarioId)->Class()->ClassName().View(), kTestScenarioClass);
    EXPECT_EQ(Current(), (Pilots{{"Ann", 10}}));
}

// Each start again replaces the players and the scenario the round before made: given back at the
// next round, not when the game is over.
TEST_F(SaveGameTest, StartingAgainAndAgainHoldsNoMoreThanAFewStarts) {
    AddPilot("Ann", 10);
    SaveHeader header;
    header.Fill({"00000001", kAgainScenarioClass, "", "", "", "New", "", ""});
    WriteSaveGame(game.Cpu(), header, SaveFileName("00000001"));
    const ReleaseHold menu;  // the main screen's loop, whose menu loads
    std::vector<size_t> waiting;
    const auto kept = Screens().loadingScreen;
    Screens().loadingScreen = [&](Processor&, int32_t) {
        waiting.push_back(DestroyedAwaitingRelease());
        if (waiting.size() == 12) throw std::runtime_error("enough");
    };
    GTime loaded;
    EXPECT_THROW(SaveGameFile::Load(game.Cpu(), loaded, SaveFileName("00000001")), std::runtime_error);
    Screens().loadingScreen = kept;
    ASSERT_EQ(waiting.size(), 12u);
    EXPECT_EQ(waiting.back(), waiting[4]);
}

}  // namespace
