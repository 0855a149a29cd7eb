// The GameManager's own natives: its state at start-up, the flags and references it hands out, the
// head-up columns, the shared amount and the event groups and periods.
#include "campaign/game_manager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/exceptions.h"
#include "foundation/fd_file.h"
#include "graphics/image.h"
#include "script/object_lifetime.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "script/weak_object.h"
#include "shell/game_ids.h"
#include "shell/input_device.h"
#include "tests/support/error_message.h"
#include "tests/support/game_harness.h"
#include "tests/support/pilot_fixture.h"
#include "tests/support/save_fixture.h"
#include "tools/content/script_assembler.h"
#include "ui/time_control.h"
#include "ui/ui_kinds.h"
#include "world/level.h"
#include "world/option.h"
#include "world/player.h"
#include "world/ship.h"
#include "world/skills.h"
#include "world/slot.h"

namespace {

// What the processor's data-file readers give for a name.
std::string ReadEntry(Processor& processor, const char* name) {
    FD::File& archive = *processor.Archive();
    const int handle = archive.Open(String(name));
    std::string bytes(archive.Size(handle), '\0');
    archive.Read(handle, bytes.data(), static_cast<uint32_t>(bytes.size()));
    archive.Close(handle);
    return bytes;
}

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

    // Method 20 names the folder the data-file readers look in first.
    WriteGameFile("Saves\\Folder.txt", "in the folder");
    WriteGameFile("Folder.txt", "beside it");
    Call(20, {game.Text("Saves")});
    EXPECT_EQ(ReadEntry(game.Cpu(), "Folder.txt"), "in the folder");
    Call(20, {game.Text("")});
    EXPECT_EQ(ReadEntry(game.Cpu(), "Folder.txt"), "beside it");
}

TEST_F(GameManagerTest, TheGameTimeGoesWithItsManager) {
    GameObject other = game.New("GameManager");
    const WeakObject time(&GameManagerObject::Of(other.get()).GameTimeObject());
    // What native code holds keeps its memory, not its life.
    const ReleaseHold hold;
    other.reset();
    EXPECT_EQ(time.Get(), nullptr);
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

// Message 395, the question, is missing: a test sees that it was asked by the engine error.
class StartQuestionTest : public ::testing::Test {
  protected:
    StartQuestionTest() {
        AddPilotClasses(game);
        // A skill whose use (as a ship's energy is worked out) deletes the last ship of the list.
        game.AddClass({.name = "ShipBreaker",
                       .base = "Skill",
                       .virtuals = {{kSkillApplyVirtual,
                                     {ScriptAssembler::CallWord(
                                          14, 2, false, ScriptAssembler::Receiver::ObjectId, kShipListId),
                                      OpWord(Op::DeleteObject)}}},
                       .uses = {"ObjectManager"}});
        game.AddPicture("Test\\Ship.dpf", {.entries = 5, .frames = 2});
        game.AddMessages("system.mes",
                         {{117, "OK"}, {119, "No"}, {120, "Yes"}, {121, "Other"}, {309, "No ship can fly"}});
        game.Start();
        auto* player = new PlayerObject(game.Class("Player"));
        player->SetInput(std::make_unique<InputDevice>());
        game.Players().AppendObject(player);
    }

    // One slot of each group; with power, an energy source and an engine fitted.
    ShipObject* AddShip(bool powered) {
        std::vector<uint32_t> pushed = {0, 1, 0, 0, 0, 1, 1,
                                        1, 1, 1, 0, 0, 0, game.Picture("Test\\Ship.dpf")->Address()};
        GameObject made = game.New("Ship", pushed);
        auto* ship = &ShipObject::Of(made.get());
        if (powered) {
            ship->SlotAt(kEnergyGroup, 0)
                ->SetObject(&OptionObject::Of(game.New("Akb", {0, 0, 1000, 0}).release()));
            ship->SlotAt(kEnergyGroup, 0)->SetFirstEnabled(1);
            ship->SlotAt(kEngineGroup, 0)
                ->SetObject(&OptionObject::Of(game.New("Engine", {0, 0, 60, 3000, 0}).release()));
            ship->SlotAt(kEngineGroup, 0)->SetFirstEnabled(1);
            ship->Recharge(0);
        }
        dynamic_cast<ObjectManager&>(*game.Object(kShipListId)).AppendObject(made.release());
        return ship;
    }

    GameHarness game;
};

TEST_F(StartQuestionTest, TheQuestionIsAskedOnlyWhenAShipCanFly) {
    struct Case {
        const char* what;
        std::vector<bool> ships;  // powered or not
        const char* error;
        std::vector<int32_t> states;
    };
    const Case cases[] = {
        {"no ship", {}, "no error", {}},
        {"every ship out of energy", {false, false}, "no error", {1, 1}},
        {"one ship can fly", {false, true}, "Message #395 not found in system.mes", {1, 0}},
    };
    for (const Case& c : cases) {
        for (uint32_t method : {11u, 18u}) {
            SCOPED_TRACE(testing::Message() << c.what << ", method " << method);
            dynamic_cast<ObjectManager&>(*game.Object(kShipListId)).ClearList();
            std::vector<ShipObject*> ships;
            for (bool powered : c.ships) ships.push_back(AddShip(powered));
            for (ShipObject* ship : ships) ship->SetState(1 - ship->State());
            std::vector<uint32_t> pushed = {0};  // no dialog, then the text of method 18
            if (method == 18) pushed.push_back(game.Text("Ready?"));
            game.At(game.Now() + 200, [this] { game.TypeChar(27); });
            std::vector<uint32_t> result;
            EXPECT_EQ(
                ErrorMessage([&] { result = game.CallMethod(game.Object(kGameManagerId), method, pushed); }),
                c.error);
            if (std::string(c.error) == "no error") {
                EXPECT_EQ(result, std::vector<uint32_t>{0});
            }
            for (size_t i = 0; i < ships.size(); ++i) EXPECT_EQ(ships[i]->State(), c.states[i]);
        }
    }
}

TEST_F(StartQuestionTest, AShipDeletedWhileAnotherIsWorkedOutIsNotCounted) {
    // The first ship has power but its engine is off: it cannot fly, the second could.
    ShipObject* first = AddShip(true);
    first->SlotAt(kEngineGroup, 0)->SetFirstEnabled(0);
    AddShip(true);
    PlayerObject& pilot = PlayerObject::Of(game.Players().ObjectList().Head()->item);
    pilot.AttachShip(first);
    auto* breaker = dynamic_cast<SkillObject*>(game.New("ShipBreaker").release());
    breaker->SetApplyFlag(1);
    pilot.PlaceSkill(breaker, 0);
    game.At(game.Now() + 200, [this] { game.TypeChar(27); });
    std::vector<uint32_t> result;
    EXPECT_EQ(ErrorMessage([&] { result = game.CallMethod(game.Object(kGameManagerId), 11, {0}); }),
              "no error");
    EXPECT_EQ(result, std::vector<uint32_t>{0});
}

TEST_F(GameManagerTest, MethodsOfOtherPartsNotThereAreEngineErrors) {
    EXPECT_THROW(Call(5, {0, 0}), FatalExep);
}

}  // namespace
