#include "world/player.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "script/object_manager.h"
#include "script/processor.h"
#include "shell/game_ids.h"
#include "shell/input_device.h"
#include "tests/support/error_message.h"
#include "tests/support/game_harness.h"
#include "tests/support/pilot_fixture.h"
#include "tools/content/block_writer.h"
#include "world/option.h"
#include "world/ship.h"
#include "world/skills.h"
#include "world/slot.h"

namespace {

int32_t AsInt(uint32_t word) {
    return static_cast<int32_t>(word);
}

std::string I32(int32_t value) {
    return LeU32(static_cast<uint32_t>(value));
}

std::string Text(const std::string& text) {
    return text + std::string(1, '\0');
}

// A ship file: the test ship with an energy source charged to 77 in slot 0 of the energy group
// (slot index given), weapon slot 1 turned to the right, direction 3 selected.
std::string ShipFile(const std::string& shipClass, int32_t cellSlot) {
    std::string records;
    for (int i = 0; i < 9; ++i) records += i == 0 ? I32(100) + I32(0) + I32(1) : I32(0) + I32(-100) + I32(1);
    return SCBlock(
        "SCFG", Text(shipClass), I32(3),
        {SEBlock("SSLD", records, I32(1) + I32(1)),
         SCBlock("SSLT", Text(kCellClass), I32(5) + I32(1) + I32(cellSlot), {SEBlock("SSLC", I32(77))}),
         SEBlock("SSLC", I32(42))});
}

struct PilotGame {
    PilotGame() {
        game.AddMessages("system.mes", {{479, "is promoted"}});
        game.AddMessages("Keys.mes", {{37, "Left arrow"}});
        AddPilotClasses(game);
        game.AddEntry("Ships\\Scout.SCFG", ShipFile(kShipClass, 0));
        game.AddEntry("Ships\\Far.SCFG", ShipFile(kShipClass, 1));
        game.AddEntry("Ships\\Charm.SCFG", ShipFile(kCharmClass, 0));
        game.Start();
    }
    PlayerObject& Pilot(GameObject& object) { return PlayerObject::Of(object.get()); }
    std::vector<uint32_t> Call(GameObject& player, uint32_t native,
                               const std::vector<uint32_t>& pushed = {}) {
        return game.CallMethod(player.get(), native, pushed);
    }
    bool InShipList(ScriptObject* ship) {
        auto& list = dynamic_cast<ObjectManager&>(*game.Object(kShipListId));
        for (auto* node = list.ObjectList().Head(); node != nullptr; node = node->next)
            if (node->item == ship) return true;
        return false;
    }

    GameHarness game;
};

TEST(PlayerTest, MoneyIsKeptInTenthsAndSaturates) {
    PilotGame t;
    GameObject player = t.game.New("Player");
    struct Row {
        int32_t start;
        uint32_t native;  // 0: none
        int32_t argument;
        int32_t tenths;
        int32_t units;
    };
    const Row rows[] = {
        {1234, 0, 0, 1234, 123},
        {-15, 0, 0, -15, -1},
        {1234, 5, 7, 1304, 130},
        {0, 6, 3, -30, -3},
        {INT32_MAX - 5, 5, 1, INT32_MAX, INT32_MAX / 10},
        {INT32_MIN + 5, 6, 1, INT32_MIN, INT32_MIN / 10},
        {0, 5, INT32_MAX, INT32_MAX, INT32_MAX / 10},
        {0, 6, INT32_MIN, INT32_MAX, INT32_MAX / 10},
    };
    for (const Row& row : rows) {
        t.Pilot(player).SetMoneyTenths(row.start);
        if (row.native != 0) t.Call(player, row.native, {static_cast<uint32_t>(row.argument)});
        EXPECT_EQ(t.Pilot(player).MoneyTenths(), row.tenths) << row.start << " native " << row.native;
        EXPECT_EQ(AsInt(t.Call(player, 4).at(0)), row.units) << row.start;
    }
}

TEST(PlayerTest, LevelThresholdsGrowByAFifthAndSaturate) {
    const std::vector<std::pair<int32_t, int32_t>> rows = {
        {INT32_MIN, 1000}, {0, 1000},        {1, 1000},
        {2, 2200},         {3, 3640},        {4, 5368},
        {5, 7441},         {200, INT32_MAX}, {INT32_MAX, INT32_MAX},
    };
    for (const auto& [level, threshold] : rows)
        EXPECT_EQ(PlayerObject::LevelThreshold(level), threshold) << level;
}

TEST(PlayerTest, ExperienceRaisesTheLevelAndSaturates) {
    PilotGame t;
    struct Row {
        int32_t amount;
        bool locked;
        int32_t level;
        int32_t skillPoints;
        int32_t answer;
    };
    const Row rows[] = {
        {999, false, 1, 0, 999},
        {3640, false, 4, 3, 5368},
        {3640, true, 1, 0, 0},
        {INT32_MAX, false, 0, 0, INT32_MAX},  // level and points checked apart
    };
    for (const Row& row : rows) {
        GameObject object = t.game.New("Player");
        PlayerObject& player = t.Pilot(object);
        player.SetName("Ann");
        player.SetExperienceLocked(row.locked);
        EXPECT_EQ(player.AddExperience(row.amount), row.answer) << row.amount;
        if (row.amount == INT32_MAX) {
            // Ends at the level whose threshold no longer fits, whatever more is added.
            EXPECT_EQ(player.Threshold(), INT32_MAX);
            const int32_t level = player.Level();
            player.AddExperience(INT32_MAX);
            EXPECT_LE(player.Level(), level + 1);
            continue;
        }
        EXPECT_EQ(player.Level(), row.level) << row.amount;
        EXPECT_EQ(player.SkillPoints(), row.skillPoints) << row.amount;
        if (row.level > 1) {
            EXPECT_EQ(player.StatusText(), "Ann is promoted");
            EXPECT_EQ(player.StatusDuration(), 90);
            EXPECT_EQ(player.StatusPriority(), 8);
        }
    }
}

TEST(PlayerTest, StatusMessagesGiveWayOnlyToEqualOrHigherPriority) {
    PilotGame t;
    GameObject object = t.game.New("Player");
    struct Row {
        int32_t runningDuration;
        int32_t newPriority;
        bool replaced;
    };
    const Row rows[] = {{10, 7, false}, {10, 8, true}, {10, 9, true}, {0, 1, true}};
    for (const Row& row : rows) {
        t.Pilot(object).ClearStatusMessage();
        t.Pilot(object).SetStatusMessage("old", row.runningDuration, 8);
        t.Pilot(object).SetStatusColour(0);
        t.Call(object, 10, {t.game.Text("new"), 30, static_cast<uint32_t>(row.newPriority)});
        EXPECT_EQ(t.game.TextAt(t.Call(object, 9).at(0)), row.replaced ? "new" : "old") << row.newPriority;
        EXPECT_EQ(t.Call(object, 12).at(0) != 0, row.replaced)
            << "the pilot's colour comes with a new message";
    }
    t.game.CallVirtual(object.get(), 2, {0});
    EXPECT_EQ(AsInt(t.Call(object, 11).at(0)), 29);
}

TEST(PlayerTest, BadIndexesAnswerNullAndUnknown) {
    PilotGame t;
    GameObject object = t.game.New("Player");
    PlayerObject& player = t.Pilot(object);
    EXPECT_EQ(t.game.TextAt(t.Call(object, 20, {0}).at(0)), "Unknown") << "no input configuration";
    auto input = std::make_unique<InputDevice>();
    input->Actions().SetCodes({37, 200});
    player.SetInput(std::move(input));
    const std::vector<std::pair<int32_t, std::string>> keys = {
        {0, "Left arrow"}, {1, "Unknown"}, {2, "Unknown"}, {-1, "Unknown"}, {INT32_MAX, "Unknown"}};
    for (const auto& [action, name] : keys)
        EXPECT_EQ(t.game.TextAt(t.Call(object, 20, {static_cast<uint32_t>(action)}).at(0)), name) << action;

    GameObject skill = t.game.New("SwitchSkill");
    ScriptObject* placed = skill.release();
    t.Call(object, 19, {7, placed->Address()});
    for (int32_t slot : {-1, 0, 6, 8, kPlayerSkillSlots, INT32_MAX, INT32_MIN})
        EXPECT_EQ(t.Call(object, 18, {static_cast<uint32_t>(slot)}).at(0), 0u) << slot;
    EXPECT_EQ(t.Call(object, 18, {7}).at(0), placed->Address());
    EXPECT_EQ(player.SkillCount(), 8);

    GameObject second = t.game.New("SwitchSkill");
    const WeakObject offered(second.get());
    t.Call(object, 19, {7, second.release()->Address()});
    EXPECT_EQ(offered.Get(), nullptr) << "a skill offered for a taken slot is deleted";
    GameObject wild = t.game.New("SwitchSkill");
    EXPECT_NE(ErrorMessage([&] {
                  t.Call(object, 19, {static_cast<uint32_t>(-3), wild.get()->Address()});
              }),
              "no error");
    EXPECT_EQ(ErrorMessage([&] {
                  t.Call(object, 19, {kPlayerSkillSlots, wild.get()->Address()});
              }),
              "Skill slot 1000 is out of range");

    t.Call(object, 30, {t.game.Text("")});
    EXPECT_EQ(t.game.TextAt(t.game.CallVirtual(object.get(), 3).at(0)), "Player");
}

TEST(PlayerTest, PricesFollowTheSkillInSlot52) {
    PilotGame t;
    GameObject object = t.game.New("Player");
    PlayerObject& player = t.Pilot(object);
    EXPECT_EQ(player.PricePercent90(), 90);
    EXPECT_EQ(player.PricePercent30(), 30);
    EXPECT_EQ(player.PricePercent30Times3(), 90);
    GameObject skill = t.game.New("SwitchSkill");
    SkillObject::Of(skill.get()).SetLevel(4);
    player.PlaceSkill(skill.release(), kPriceSkillSlot);
    EXPECT_EQ(player.PricePercent90(), 72);
    EXPECT_EQ(player.PricePercent30(), 24);
    EXPECT_EQ(player.PricePercent30Times3(), 72);
}

TEST(PlayerTest, ItemsAreOwnedAndWalkedWithACursor) {
    PilotGame t;
    GameObject object = t.game.New("Player");
    std::vector<uint32_t> items;
    for (int i = 0; i < 3; ++i) {
        GameObject item = t.game.New(kCharmClass);
        items.push_back(item->Address());
        t.Call(object, 21, {item.release()->Address()});
    }
    EXPECT_EQ(t.Call(object, 24).at(0), items[0]);
    EXPECT_EQ(t.Call(object, 25).at(0), items[1]);
    EXPECT_EQ(t.Call(object, 26).at(0), items[1]);
    // An item deleted by a script is skipped.
    DestroyObject(ScriptObject::FromAddress(items[2], 0, "item"));
    EXPECT_EQ(t.Call(object, 25).at(0), 0u);
    EXPECT_EQ(t.Call(object, 26).at(0), items[1]) << "the cursor stays at the end";
    EXPECT_NE(ErrorMessage([&] { t.Call(object, 21, {object->Address()}); }), "no error")
        << "a pilot is no item";

    const WeakObject first = WeakObject::AtAddress(items[0]);
    t.Call(object, 23, {t.game.Text(kCharmClass)});
    EXPECT_EQ(first.Get(), nullptr);
    EXPECT_EQ(t.Call(object, 24).at(0), items[1]);
    EXPECT_EQ(t.Call(object, 22, {t.game.Text("nothing by this name")}).at(0), 0u);
}

TEST(PlayerTest, ShipsChangeHandsThroughTheActorList) {
    PilotGame t;
    GameObject object = t.game.New("Player");
    PlayerObject& player = t.Pilot(object);
    ScriptObject* first = t.game.New(kShipClass).release();
    ScriptObject* second = t.game.New(kShipClass).release();
    ScriptObject* third = t.game.New(kShipClass).release();

    EXPECT_EQ(t.Call(object, 27, {first->Address(), 0}).at(0), first->Address());
    EXPECT_TRUE(t.InShipList(first));
    EXPECT_EQ(ShipObject::Of(first).Owner(), &player);
    t.Call(object, 27, {second->Address(), 1});
    EXPECT_EQ(player.Ship(), second);
    EXPECT_EQ(player.ReserveShip(), first) << "flag bit 0 keeps the previous ship in reserve";

    // Native 29 hands the previous ship back alive and out of the list.
    const WeakObject handedBack(second);
    EXPECT_EQ(t.Call(object, 29, {third->Address()}).at(0), second->Address());
    ASSERT_NE(handedBack.Get(), nullptr);
    EXPECT_FALSE(t.InShipList(second));
    EXPECT_EQ(ShipObject::Of(second).Owner(), nullptr);
    EXPECT_EQ(player.Ship(), third);
    DestroyObject(second);

    // Without flag bit 0 the previous ship is dropped: the list deletes it.
    const WeakObject dropped(third);
    ScriptObject* fourth = t.game.New(kShipClass).release();
    t.Call(object, 27, {fourth->Address(), 0});
    EXPECT_EQ(dropped.Get(), nullptr);
    EXPECT_EQ(player.ReserveShip(), first);
}

TEST(PlayerTest, ShipsLoadFromArchiveFiles) {
    PilotGame t;
    GameObject object = t.game.New("Player");
    PlayerObject& player = t.Pilot(object);
    const uint32_t address = t.Call(object, 14, {t.game.Text("Ships\\Scout.SCFG"), 0}).at(0);
    auto* ship = dynamic_cast<ShipObject*>(player.Ship());
    ASSERT_NE(ship, nullptr);
    EXPECT_EQ(ship->Address(), address);
    EXPECT_TRUE(t.InShipList(ship));
    EXPECT_EQ(AkbObject::Of(ship->SlotAt(kEnergyGroup, 0)->First()).Charge(), 77);
    EXPECT_TRUE(ship->SlotAt(kWeaponGroup, 1)->Customised());
    EXPECT_EQ(ship->SlotAt(kWeaponGroup, 1)->Direction(0).x, 100);
    EXPECT_EQ(ship->SlotAt(kWeaponGroup, 0)->SelectedIndex(), 3u);

    const uint32_t reserve = t.Call(object, 28, {t.game.Text("Ships\\Scout.SCFG")}).at(0);
    ASSERT_NE(player.ReserveShip(), nullptr);
    EXPECT_EQ(player.ReserveShip()->Address(), reserve);
    EXPECT_EQ(player.Ship(), ship);

    const std::vector<std::pair<std::string, std::string>> hostile = {
        {"Ships\\Far.SCFG", "Ships\\Far.SCFG"},
        {"Ships\\Charm.SCFG", "Ships\\Charm.SCFG"},
    };
    for (const auto& [file, named] : hostile) {
        const std::string error = ErrorMessage([&] { t.Call(object, 14, {t.game.Text(file), 0}); });
        EXPECT_NE(error.find(named), std::string::npos) << error;
        EXPECT_EQ(player.Ship(), ship) << "a refused file changes nothing";
    }
}

}  // namespace
