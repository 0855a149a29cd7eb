// Items of every kind in the started game: what each kind's create method sets, merging
// ammunition, the energy source's charge, saving and restoring, firing ammunition, and the answers
// an item gets from its ship or its hull's ship.
#include "world/option.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "foundation/script_memory.h"
#include "graphics/image.h"
#include "platform/key_table.h"
#include "script/object_manager.h"
#include "script/operations.h"
#include "script/processor.h"
#include "script/weak_object.h"
#include "shell/game_ids.h"
#include "shell/input_device.h"
#include "tests/support/error_message.h"
#include "tests/support/game_harness.h"
#include "ui/dialog_window.h"
#include "world/ownership.h"
#include "world/player.h"
#include "world/shots.h"
#include "world/shots_manager.h"
#include "world/slot.h"
#include "world/supply.h"
#include "world/weapon.h"

namespace {

uint32_t W(int32_t v) {
    return static_cast<uint32_t>(v);
}

class OptionTest : public ::testing::Test {
  protected:
    OptionTest() {
        game.AddPicture("Test\\Shot.dpf");
        game.AddMessages("system.mes", {{117, "OK"}, {119, "Cancel"}});
        game.AddClass({.name = "Shells", .base = "Ammo"});
        // Its name and description, and 20 for the item question (virtual method 10).
        game.AddClass({.name = "Frigate",
                       .base = "GTTClass",
                       .virtuals = {{3, PushTextWords("Frigate")},
                                    {4, PushTextWords("Fast")},
                                    {10, CodeWords({{OpWord(Op::Drop)}, PushIntWords(20)})}}});
        // A weapon as far as ammunition needs one: it takes the shot it fired.
        game.AddClass({.name = "Blaster", .base = "Option", .virtuals = {{20, {OpWord(Op::Drop)}}}});
        game.Start();
        game.Objects().SetObject(new ShotsManager(&game.Cpu()), kShotsManagerId);
    }

    // Ammunition of a class: shots, kind identifiers, base value, speed, shot value, tables, H.
    GameObject NewAmmo(const char* className, int32_t shots, int32_t kindA = 1, int32_t kindB = 2,
                       uint32_t damage = 0, uint32_t armour = 0) {
        const uint32_t h = game.Picture("Test\\Shot.dpf")->Address();
        return game.New(className, {h, damage, armour, 40, 3, 200, W(kindA), W(kindB), W(shots), 77});
    }

    ShotsManager& Shots() { return *dynamic_cast<ShotsManager*>(game.Object(kShotsManagerId)); }

    GameHarness game;
};

TEST_F(OptionTest, EachKindIsCreatedWithItsOwnValues) {
    std::array<uint32_t, kProtectionKinds> protection{};
    for (uint32_t k = 0; k < kProtectionKinds; ++k) protection[k] = 10 + k;
    const uint32_t table = game.Text(std::string(reinterpret_cast<const char*>(protection.data()), 40));
    const struct Case {
        const char* className;
        std::vector<uint32_t> pushed;  // in the reverse of the pop order
        int32_t kind, consumption, valueF, base;
        uint32_t picture;
        std::vector<std::pair<uint32_t, int32_t>> own;  // further fields
    } cases[] = {
        {"Option",
         {500, 6, 88, 12, 30, 4, 9, 8, 2, 1, 0},
         12,
         30,
         6,
         500,
         88,
         {{kVisualX, 1},
          {kVisualY, 2},
          {kVisualDirX, 8},
          {kVisualDirY, 9},
          {kOptionValueD, 4},
          {kOptionAltPicture, 88}}},
        {"Akb", {300, 2, 1000, 77}, kItemAkb, 0, 2, 300, 77, {{kAkbCapacity, 1000}, {kAkbCharge, 1000}}},
        {"Engine", {400, 3, 25, 900, 77}, kItemEngine, 25, 3, 400, 77, {{kEngineThrust, 900}}},
        {"Shield",
         {450, 4, 35, table, 77},
         kItemShield,
         35,
         4,
         450,
         77,
         {{kShieldProtection, 10}, {kShieldProtection + 9, 19}}},
        {"Shield", {450, 4, 35, 0, 77}, kItemShield, 35, 4, 450, 77, {{kShieldProtection + 9, 0}}},
        {"Grabber", {150, 5, 15, 77}, kItemGrabber, 15, 5, 150, 77, {}},
        {"Hull", {250, 77, 0}, kItemHull, 0, 0, 250, 77, {}},
        {"Cargo", {120, 77}, kItemCargo, 0, 0, 120, 77, {}},
        {"QuestItem", {77}, kItemQuest, 0, 0, 0, 77, {}},
        {"Ammo",
         {66, table, 0, 40, 3, 200, 1, 2, 9, 77},
         kItemAmmo,
         0,
         0,
         200,
         77,
         {{kAmmoKindA, 1},
          {kAmmoKindB, 2},
          {kAmmoShots, 9},
          {kAmmoShotValue, 40},
          {kAmmoShotSpeed, 3},
          {kAmmoValueH, 66},
          {kAmmoDamage + 9, 19},
          {kAmmoArmour, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.className);
        GameObject object = game.New(c.className, c.pushed);
        OptionObject& item = OptionObject::Of(object.get());
        EXPECT_EQ(item.ItemKind(), c.kind);
        EXPECT_EQ(item.Consumption(), c.consumption);
        EXPECT_EQ(item.Int(kOptionValueF), c.valueF);
        EXPECT_EQ(item.BaseValue(), c.base);
        EXPECT_EQ(item.Own(kVisualPicture), c.picture);
        EXPECT_EQ(item.Efficiency(), 100);
        EXPECT_EQ(item.Int(kOptionValueG), 1000);
        EXPECT_EQ(item.Slot(), nullptr);
        for (const auto& [field, value] : c.own) EXPECT_EQ(item.Int(field), value) << "field " << field;
        EXPECT_EQ(game.Cpu().DataStack().Depth(), 0u);
    }
}

TEST_F(OptionTest, AmmunitionMergesOnlyWithItsOwnKind) {
    const struct Case {
        const char* name;
        const char* offeredClass;
        int32_t kindA, kindB;
        bool merges;
    } cases[] = {
        {"same class and identifiers", "Ammo", 1, 2, true},
        {"first identifier differs", "Ammo", 9, 2, false},
        {"second identifier differs", "Ammo", 1, 9, false},
        {"another class", "Shells", 1, 2, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GameObject into = NewAmmo("Ammo", 10);
        GameObject offered = NewAmmo(c.offeredClass, 5, c.kindA, c.kindB);
        const WeakObject offeredRef(offered.get());
        const std::vector<uint32_t> out = game.CallMethod(into.get(), 29, {offered->Address()});
        ASSERT_EQ(out.size(), 1u);
        EXPECT_EQ(static_cast<int32_t>(out[0]), c.merges ? -1 : 0);
        EXPECT_EQ(AmmoObject::Of(into.get()).ShotsLeft(), c.merges ? 15 : 10);
        EXPECT_EQ(offeredRef.Get() == nullptr, c.merges);
        if (c.merges) (void)offered.release();
    }

    GameObject ammo = NewAmmo("Ammo", INT32_MAX - 1);
    GameObject more = NewAmmo("Ammo", 5);
    GameObject cargo = game.New("Cargo", {1, 77});
    OptionObject& item = OptionObject::Of(ammo.get());
    EXPECT_FALSE(Option::TryMerge(item, &item));
    EXPECT_FALSE(Option::TryMerge(item, nullptr));
    EXPECT_FALSE(Option::TryMerge(item, &OptionObject::Of(cargo.get())));
    EXPECT_FALSE(Option::TryMerge(OptionObject::Of(cargo.get()), &item));
    EXPECT_TRUE(Option::TryMerge(item, &OptionObject::Of(more.release())));
    EXPECT_EQ(AmmoObject::Of(ammo.get()).ShotsLeft(), INT32_MAX);
}

// The merge takes only ammunition that no owner holds: an offer another owner holds stays with it,
// whole, and the receiving stack keeps its shots.
TEST_F(OptionTest, AMergeLeavesAnOfferAnotherOwnerHoldsWithIt) {
    const struct Case {
        const char* owner;
        // Gives the offer to an owner made for it (null: none, or one that is no object).
        std::function<GameObject(AmmoObject&)> give;
        bool merges;
    } cases[] = {
        {"nobody", [](AmmoObject&) { return GameObject(); }, true},
        {"a slot",
         [&](AmmoObject& offer) {
             GameObject slot(new SlotObject(game.Class("Slot"), nullptr, 0, 0, kSlotHold));
             dynamic_cast<SlotObject&>(*slot).SetObject(&offer);
             return slot;
         },
         false},
        {"a weapon",
         [&](AmmoObject& offer) {
             GameObject weapon(new WeaponObject(game.Class("Weapon"), WeaponInit{}));
             dynamic_cast<WeaponObject&>(*weapon).SetAmmo(&offer);
             return weapon;
         },
         false},
        {"the ship window's hand",
         [](AmmoObject& offer) {
             MarkHeld(&offer, HolderKind::kHand, nullptr);
             return GameObject();
         },
         false},
        {"a supply service's queue",
         [&](AmmoObject& offer) {
             GameObject service = game.New("SupplyService");
             dynamic_cast<SupplyServiceObject&>(*service).queue.Append(&offer);
             return service;
         },
         false},
        {"a pilot's items",
         [&](AmmoObject& offer) {
             GameObject pilot = game.New("Player");
             dynamic_cast<PlayerObject&>(*pilot).AddItem(&offer);
             return pilot;
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.owner);
        GameObject into = NewAmmo("Ammo", 10);
        auto& offer = AmmoObject::Of(NewAmmo("Ammo", 5).release());
        const WeakObject offered(&offer);
        GameObject owner = c.give(offer);
        const ItemHolder before = offer.Holder();
        const std::vector<uint32_t> out = game.CallMethod(into.get(), 29, {offer.Address()});
        EXPECT_EQ(out, std::vector<uint32_t>{c.merges ? W(-1) : 0u});
        EXPECT_EQ(AmmoObject::Of(into.get()).ShotsLeft(), c.merges ? 15 : 10);
        EXPECT_EQ(offered.Get() == nullptr, c.merges);
        if (offered.Get() == nullptr) continue;
        EXPECT_TRUE(HeldByOwner(&offer));
        EXPECT_EQ(offer.Holder().kind, before.kind);
        EXPECT_EQ(offer.Holder().owner, before.owner);
        EXPECT_EQ(offer.ShotsLeft(), 5);
        // The owner destroys what it holds; the hand that is no object leaves that to its window.
        if (owner == nullptr) {
            MarkLetGo(&offer, HolderKind::kHand, nullptr);
            DestroyObject(&offer);
        }
    }
}

TEST_F(OptionTest, TheChargeChangesOnlyFromTheThresholdOn) {
    const struct Case {
        const char* name;
        int32_t charge;
        uint32_t threshold;
        int32_t after;
        uint32_t left;  // values left on the stack of the two pushed
    } cases[] = {
        {"above", 100, 50, 7, 0},
        {"at", 100, 100, 7, 0},
        {"below: the second value stays", 100, 200, 100, 1},
        {"compared without sign", -1, 5, 7, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GameObject object = game.New("Akb", {0, 0, 500, 77});
        AkbObject& akb = AkbObject::Of(object.get());
        akb.SetCharge(c.charge);
        const std::vector<uint32_t> out = game.CallMethod(object.get(), 27, {7, c.threshold});
        EXPECT_EQ(akb.Charge(), c.after);
        EXPECT_EQ(out.size(), c.left);
        EXPECT_EQ(static_cast<int32_t>(game.CallMethod(object.get(), 26).at(0)), c.after);
        EXPECT_EQ(game.CallMethod(object.get(), 28).at(0), 500u);
    }
}

TEST_F(OptionTest, KindsSaveRestoreAndValueTheirOwnState) {
    GameObject option = game.New("Option", {500, 0, 77, 0, 0, 0, 0, 0, 0, 0, 0});
    GameObject akb = game.New("Akb", {300, 0, 1000, 77});
    GameObject ammo = NewAmmo("Ammo", 30);
    const struct Case {
        const char* name;
        ScriptObject* item;
        std::vector<uint32_t> saved;
        int32_t value;
        int32_t amount;
    } cases[] = {
        {"plain item: nothing kept", option.get(), {0}, 500, -1},
        {"energy source: its charge", akb.get(), {1000, 1}, 300, -1},
        {"ammunition: its shots, worth its share", ammo.get(), {30, 1}, 200 * 30 / 100, 30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(game.CallVirtual(c.item, kSaveStateVirtual), c.saved);
        EXPECT_EQ(static_cast<int32_t>(game.CallVirtual(c.item, kItemValueVirtual).at(0)), c.value);
        EXPECT_EQ(OptionObject::Of(c.item).Amount(), c.amount);
    }
    game.CallVirtual(akb.get(), kRestoreStateVirtual, {42});
    EXPECT_EQ(AkbObject::Of(akb.get()).Charge(), 42);
    game.CallVirtual(ammo.get(), kRestoreStateVirtual, {3});
    EXPECT_EQ(AmmoObject::Of(ammo.get()).ShotsLeft(), 3);
    OptionObject::Of(option.get()).SetEfficiency(80);
    EXPECT_EQ(OptionObject::Of(option.get()).Amount(), 80);
}

TEST_F(OptionTest, TriggeredAmmunitionFiresUntilItIsEmpty) {
    std::array<uint32_t, kProtectionKinds> damage{};
    damage.fill(4);
    const uint32_t table = game.Text(std::string(reinterpret_cast<const char*>(damage.data()), 40));
    GameObject weapon = game.New("Blaster", {0, 0, 77, W(kItemWeapon), 0, 0, W(-100), 0, 2000, 1000, 0});
    GameObject ammo = NewAmmo("Ammo", 2, 1, 2, table);
    const struct {
        int32_t shotsBefore;
        uint32_t shotsMade;
    } steps[] = {{2, 1}, {1, 2}, {0, 2}, {0, 2}};
    for (const auto& s : steps) {
        SCOPED_TRACE(s.shotsBefore);
        EXPECT_EQ(AmmoObject::Of(ammo.get()).ShotsLeft(), s.shotsBefore);
        EXPECT_TRUE(game.CallVirtual(ammo.get(), kAmmoTriggerVirtual, {weapon->Address()}).empty());
        EXPECT_EQ(Shots().ObjectList().Count(), s.shotsMade);
    }
    ShotObject& shot = ShotObject::Of(Shots().ObjectList().First());
    EXPECT_EQ(shot.Int(kVisualX), 1000);
    EXPECT_EQ(shot.Int(kVisualY), 2000);
    EXPECT_EQ(shot.Int(kActorSpeedX), 0);
    EXPECT_EQ(shot.Int(kActorSpeedY), -300);
    EXPECT_EQ(shot.Energy(), 40);
    EXPECT_EQ(shot.Own(kVisualPicture), game.Picture("Test\\Shot.dpf")->Address());
    EXPECT_EQ(shot.Int(kActorDamage + 9), 4);
}

TEST_F(OptionTest, ItemsAskTheirShipAndHullsShowTheirShip) {
    GameObject frigate = game.New("Frigate");
    GameObject slot = game.New("Slot", {W(kSlotHold), 0, 0, frigate->Address()});
    GameObject cargo = game.New("Cargo", {1, 77});
    EXPECT_EQ(game.CallVirtual(cargo.get(), kItemShipQueryVirtual, {5}), std::vector<uint32_t>{0});
    SlotObject::Of(slot.get()).SetObject(&OptionObject::Of(cargo.get()));
    EXPECT_EQ(game.CallVirtual(cargo.get(), kItemShipQueryVirtual, {5}), std::vector<uint32_t>{20});
    SlotObject::Of(slot.get()).SetObject(nullptr);

    GameObject hull = game.New("Hull", {250, 77, frigate->Address()});
    GameObject bare = game.New("Hull", {250, 77, 0});
    const struct {
        const char* name;
        ScriptObject* item;
        uint32_t number;
        const char* text;
    } cases[] = {
        {"name of the ship", hull.get(), kNameVirtual, "Frigate"},
        {"description of the ship", hull.get(), kDescriptionVirtual, "Fast"},
        {"no ship: a plain name", bare.get(), kNameVirtual, "Unnamed"},
        {"no ship: no description", bare.get(), kDescriptionVirtual, "Description not available"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(GameHarness::TextAt(game.CallVirtual(c.item, c.number).at(0)), c.text);
    }
    // A ship that is gone is no longer asked.
    frigate.reset();
    EXPECT_EQ(GameHarness::TextAt(game.CallVirtual(hull.get(), kNameVirtual).at(0)), "Unnamed");
}

// The window a script dialog would be: each frame of a window over it steps it, and there the test
// puts in the input.
class CallerWindow : public DialogWindow {
  public:
    using DialogWindow::DialogWindow;
    void Step(int32_t frame) override {
        ++steps;
        if (onStep) onStep(frame);
    }
    std::function<void(int32_t)> onStep;
    int steps = 0;
};

CallerWindow* caller = nullptr;
DialogWindow* CallerByValue(uint32_t value) {
    return value == 1234 ? caller : nullptr;
}

TEST_F(OptionTest, SettingsOpenAFramedWindowOverTheCaller) {
    GameObject cargo = game.New("Cargo", {1, 77});
    const auto settings = [&](uint32_t value) {
        return ErrorMessage([&] { game.CallVirtual(cargo.get(), kItemSettingsVirtual, {value}); });
    };
    EXPECT_NE(settings(1234), "no error");  // nothing resolves window values yet

    InputDevice device;
    device.Actions().SetCodes({VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_SPACE, VK_RETURN, VK_END});
    CallerWindow window(&game.Cpu(), &game.Screen(), nullptr);
    caller = &window;
    SetCallingWindowLookup(CallerByValue);
    EXPECT_NE(settings(1234), "no error");  // the caller has no input device before its loop ran
    window.Run(device);                     // the fresh window's callback ends it at once

    const struct {
        const char* name;
        uint32_t value;
        bool runs;
    } cases[] = {{"a value naming no window", 99, false}, {"over the caller", 1234, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        window.steps = 0;
        bool childOpenSeen = false;
        window.onStep = [&](int32_t frame) {
            childOpenSeen = childOpenSeen || window.ChildOpen();
            game.SetButton(VK_END, frame >= 1);
        };
        const std::string error = settings(c.value);
        EXPECT_EQ(error == "no error", c.runs) << error;
        game.SetButton(VK_END, false);
        EXPECT_EQ(window.steps > 0, c.runs);
        EXPECT_EQ(childOpenSeen, c.runs);
        EXPECT_FALSE(window.ChildOpen());
        EXPECT_EQ(game.Cpu().DataStack().Depth(), 0u);
    }
    SetCallingWindowLookup(nullptr);
    caller = nullptr;
}

}  // namespace
