// The GameManager's own natives: its state at start-up, the flags and references it hands out, the
// head-up columns, the shared amount and the event groups and periods.
#include "campaign/game_manager.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/exceptions.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "shell/game_ids.h"
#include "tests/support/game_harness.h"
#include "ui/time_control.h"
#include "ui/ui_kinds.h"
#include "world/level.h"
#include "world/player.h"

namespace {

class GameManagerTest : public ::testing::Test {
  protected:
    GameManagerTest() {
        game.Start();
        manager = &GameManagerObject::Get(game.Cpu());
    }

    PlayerObject* AddPlayer() {
        auto* player = new PlayerObject(game.Class("Player"));
        game.Players().AppendObject(player);
        return player;
    }
    std::vector<uint32_t> Call(uint32_t method, const std::vector<uint32_t>& pushed = {}) {
        return game.CallMethod(manager, method, pushed);
    }

    GameHarness game;
    GameManagerObject* manager = nullptr;
};

TEST_F(GameManagerTest, StartUpStateAndTheValuesScriptsReach) {
    EXPECT_TRUE(manager->AutoSaveBeforeFlight());
    EXPECT_EQ(manager->GameTime(), GTime());
    EXPECT_EQ(manager->DateStep(), GTime(0, 1));
    EXPECT_TRUE(manager->PendingPlanet().Empty());
    EXPECT_TRUE(manager->PendingSystem().Empty());

    Call(16, {0});
    EXPECT_FALSE(manager->AutoSaveBeforeFlight());
    Call(16, {7});
    EXPECT_TRUE(manager->AutoSaveBeforeFlight());

    // Method 17 names the game time the time control shows; scripts may not delete it.
    const uint32_t address = Call(17).at(0);
    ScriptObject* time = ScriptObject::FromAddress(address, kGTimeObjectKind, "game time");
    EXPECT_EQ(time, &manager->GameTimeObject());
    EXPECT_TRUE(time->KeptByEngine());
    manager->GameTime().Set(151, 72, 3, 4, 5);
    EXPECT_EQ(GameTimeLookupHook()(manager), &manager->GameTime());

    game.Cpu().SetFrameNumber(1234);
    EXPECT_EQ(Call(13), std::vector<uint32_t>{1234});

    Call(20, {game.Text("Saves\\")});
    EXPECT_EQ(manager->BlockFileName(), String("Saves\\"));
}

TEST_F(GameManagerTest, TheFlagReachesEveryPlayer) {
    PlayerObject* first = AddPlayer();
    PlayerObject* second = AddPlayer();
    for (uint32_t flag : {1u, 0u}) {
        Call(14, {flag});
        EXPECT_EQ(first->ExperienceLocked(), flag != 0);
        EXPECT_EQ(second->ExperienceLocked(), flag != 0);
    }
}

TEST_F(GameManagerTest, HeadUpColumnsSpreadOverTheScreen) {
    struct Case {
        int players;
        int32_t index;
        int32_t viewX;
        int32_t x;
        uint32_t alignment;
    };
    const Case cases[] = {
        {1, 0, 0, 10, 0},  {2, 0, 0, 10, 0},  {2, 1, 0, 630, 2},   {3, 1, 0, 320, 1},  {4, 1, 0, 213, 1},
        {4, 2, 0, 426, 1}, {4, 3, 0, 630, 2}, {3, 1, 100, 220, 1}, {1, 0, 50, -40, 0},
    };
    auto* level = new LevelObject(game.Class("Level"), 640);
    game.Objects().SetObject(level, kLevelId);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.players << " players, column " << c.index);
        game.Players().ClearList();
        for (int i = 0; i < c.players; ++i) AddPlayer();
        level->SetViewX(c.viewX);
        EXPECT_EQ(Call(15, {static_cast<uint32_t>(c.index)}),
                  (std::vector<uint32_t>{c.alignment, uint32_t(c.x)}));
    }
}

TEST_F(GameManagerTest, AColumnNeedsAPlayer) {
    const struct {
        int players;
        int32_t index;
    } cases[] = {{0, 0}, {2, 2}, {2, -1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.players << " players, column " << c.index);
        game.Players().ClearList();
        for (int i = 0; i < c.players; ++i) AddPlayer();
        EXPECT_THROW(Call(15, {static_cast<uint32_t>(c.index)}), FatalExep);
    }
}

TEST_F(GameManagerTest, AnAmountIsSharedInWholeUnits) {
    struct Case {
        int players;
        int32_t amount;
        int32_t tenthsEach;
    };
    const Case cases[] = {{3, 2, 0}, {3, 10, 30}, {1, 7, 70}, {2, -7, -30}, {0, 100, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.amount << " among " << c.players);
        game.Players().ClearList();
        std::vector<PlayerObject*> players;
        for (int i = 0; i < c.players; ++i) players.push_back(AddPlayer());
        Call(19, {static_cast<uint32_t>(c.amount)});
        for (PlayerObject* player : players) EXPECT_EQ(player->MoneyTenths(), c.tenthsEach);
    }
}

TEST_F(GameManagerTest, EventGroupsKeepEveryNameAndPeriodsTheLastValues) {
    Call(22, {game.Text("Pirates"), game.Text("Raid")});
    Call(22, {game.Text("Traders"), game.Text("Fair")});
    Call(22, {game.Text("Pirates"), game.Text("Raid")});
    Call(22, {game.Text("Pirates"), game.Text("Ambush")});
    ASSERT_EQ(manager->EventGroups().size(), 2u);
    EXPECT_EQ(manager->EventGroups()[0].name, "Pirates");
    EXPECT_EQ(manager->EventGroups()[0].events, (std::vector<std::string>{"Raid", "Raid", "Ambush"}));
    EXPECT_EQ(manager->EventGroups()[1].events, std::vector<std::string>{"Fair"});

    Call(23, {game.Text("Pirates"), 30, 2});
    Call(23, {game.Text("Pirates"), 7, 1});
    const EventPeriod* period = manager->FindGroupPeriod("Pirates");
    ASSERT_NE(period, nullptr);
    EXPECT_EQ(period->period, 7);
    EXPECT_EQ(period->pick, 1u);
    EXPECT_EQ(manager->FindGroupPeriod("Traders"), nullptr);
}

TEST_F(GameManagerTest, MethodsOfOtherPartsNotThereAreEngineErrors) {
    EXPECT_THROW(Call(5, {0, 0}), FatalExep);
}

}  // namespace
