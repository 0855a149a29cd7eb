// The ship window: items picked up, moved, loaded, merged, split and thrown away with the pointer,
// the ship's energy balance and refit delays afterwards, guide groups, switching ships, the stock
// view's temporary slots and the slot-window hook of flight.
#include "screens/ship_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "graphics/image.h"
#include "platform/key_table.h"
#include "script/object_manager.h"
#include "shell/game_ids.h"
#include "tests/support/error_message.h"
#include "tests/support/game_harness.h"
#include "tests/support/hostile_scripts.h"
#include "tests/support/pilot_fixture.h"
#include "tests/support/refit_scene.h"
#include "tests/support/script_log.h"
#include "ui/visual.h"
#include "ui/window_services.h"
#include "world/option.h"
#include "world/player.h"
#include "world/ship.h"
#include "world/slot.h"
#include "world/weapon.h"

namespace {

// An engine that fits, whose destruction is logged with 2.
constexpr const char* kLoggedEngine = "TestLoggedEngine";
// Shells whose restore (virtual 6) runs the code given and whose destruction is logged with 1.
constexpr const char* kSelfDeletingCopyShells = "TestShellsCopyDeletes";
constexpr const char* kFailingCopyShells = "TestShellsCopyFails";
constexpr const char* kSelfDeletingFailingCopyShells = "TestShellsCopyDeletesAndFails";

class ShipWindowTest : public ::testing::Test {
  public:
    ShipWindowTest() : scene(game) {
        const std::pair<const char*, std::vector<uint32_t>> restores[] = {
            {kSelfDeletingCopyShells, DeleteSelfWords()},
            {kFailingCopyShells, FailWords()},
            {kSelfDeletingFailingCopyShells, CodeWords({DeleteSelfWords(), FailWords()})}};
        for (const auto& [name, restore] : restores)
            game.AddClass({.name = name,
                           .base = "Ammo",
                           .virtuals = {{0, gone.Append(1)}, {6, restore}},
                           .createValues = {0, 0, 0, 9, 4, 0, 1, 2, 30, 0}});
        game.AddClass({.name = kLoggedEngine,
                       .base = "Engine",
                       .virtuals = {{0, gone.Append(2)}},
                       .createValues = {0, 0, kRefitEngineUse, 3000, 0}});
        game.Start();
        pilot = &scene.AddPilot();
        ship = &RefitScene::ShipOf(*pilot);
    }

    SlotObject* Place(uint32_t group, int32_t index = 0) { return ship->SlotAt(group, index); }
    SlotObject* Engine() { return Place(kEngineGroup); }
    SlotObject* Shield() { return Place(kProtectionGroup); }
    SlotObject* Gun() { return Place(kWeaponGroup); }
    SlotObject* Cargo(int32_t i) { return Place(kPlainGroup, i); }

    // The window opens on the page given: weapons show on the ship page, the other places on the
    // equipment page, the cargo on both. It is closed after the steps unless they close it.
    int32_t Play(std::vector<RefitStep> steps, const std::function<void(ShipWindow&)>& before = {},
                 int32_t page = kEquipmentPage) {
        if (std::none_of(steps.begin(), steps.end(),
                         [](const RefitStep& step) { return step.kind == RefitStep::kClose; }))
            steps.push_back(RefitStep::Close());
        ship->SetWindowPage(page);
        ShipWindow window(*ship);
        if (before) before(window);
        return scene.Play(window, steps);
    }
    static void Empty(SlotObject* slot) {
        if (OptionObject* item = slot->SetObject(nullptr)) DestroyObject(item);
    }
    // Hands each event on to the window, then shows the window to see.
    static std::function<void(ShipWindow&)> After(const std::function<void(ShipWindow&)>& see) {
        return [see](ShipWindow& window) {
            window.SetCallback([&window, see](DialogWindow&, int32_t event, int32_t p1, int32_t p2) {
                window.OnEvent(event, p1, p2);
                see(window);
            });
        };
    }
    // Hands each event on to the window, noting the first engine error instead of passing it on.
    static std::function<void(ShipWindow&)> Catching(std::string& error) {
        return [&error](ShipWindow& window) {
            window.SetCallback([&window, &error](DialogWindow&, int32_t event, int32_t p1, int32_t p2) {
                const std::string message = ErrorMessage([&] { window.OnEvent(event, p1, p2); });
                if (error == "no error") error = message;
            });
        };
    }
    // Notes the tool set when the window is asked to close.
    static std::function<void(ShipWindow&)> ToolAtClose(int32_t& tool) {
        return [&tool](ShipWindow& window) {
            window.SetCallback([&window, &tool](DialogWindow&, int32_t event, int32_t p1, int32_t p2) {
                if (event == kEventClose) tool = window.State().tool;
                window.OnEvent(event, p1, p2);
            });
        };
    }
    std::string ClassOf(const SlotObject* slot) {
        const OptionObject* item = slot != nullptr ? slot->First() : nullptr;
        return item != nullptr ? item->Class()->ClassName().Text() : "";
    }

    GameHarness game;
    ScriptLog gone;
    RefitScene scene;
    PlayerObject* pilot = nullptr;
    ShipObject* ship = nullptr;
};

constexpr int32_t kFullBalance = kRefitCharge - kRefitBaseConsumption;

TEST_F(ShipWindowTest, TakeAndPutMovesItemsAndTheBalanceFollows) {
    struct Case {
        const char* what;
        const char* engineBefore;  // in the engine place, switched on ("" for none)
        const char* cargoBefore;   // in cargo place 0
        bool fromCargo;            // cargo place 0 clicked before the engine place
        bool asked;                // a question comes, answered No
        const char* engineAfter;
        const char* cargoAfter;
        int32_t balance;
    };
    const Case cases[] = {
        {"picked up and stowed on closing", kRefitEngine, "", false, false, "", kRefitEngine, kFullBalance},
        {"moved from the cargo into its place", "", kRefitEngine, true, false, kRefitEngine, "",
         kFullBalance - kRefitEngineUse},
        {"too big for the ship's class", "", kHugeEngine, true, true, "", kHugeEngine, kFullBalance},
        {"of another kind than the place", "", kRefitShield, true, false, "", kRefitShield, kFullBalance},
        {"exchanged with the one in the place", kRefitEngine, kRefitEngine, true, false, kRefitEngine,
         kRefitEngine, kFullBalance - kRefitEngineUse},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (*c.engineBefore != '\0') RefitScene::Fit(*Engine(), scene.Item(c.engineBefore));
        if (*c.cargoBefore != '\0') Cargo(0)->SetObject(&scene.Item(c.cargoBefore));
        ship->RecomputeEnergy();
        std::vector<RefitStep> steps;
        if (c.fromCargo) steps.push_back(RefitStep::Click(Cargo(0)));
        steps.push_back(RefitStep::Click(Engine()));
        if (c.asked) steps.push_back(RefitStep::No());
        EXPECT_EQ(Play(steps), 0);
        EXPECT_EQ(ClassOf(Engine()), c.engineAfter);
        EXPECT_EQ(ClassOf(Cargo(0)), c.cargoAfter);
        EXPECT_EQ(ship->Balance(), c.balance);
        if (Engine()->First() != nullptr) {
            EXPECT_NE(Engine()->FirstState(), 0);
        }
        for (SlotObject* slot : {Engine(), Cargo(0), Cargo(1)}) Empty(slot);
        ship->RecomputeEnergy();
    }
}

TEST_F(ShipWindowTest, AmmunitionIsLoadedIntoTheGunAndMergedWithAStack) {
    auto& gun = static_cast<WeaponObject&>(scene.Item(kGunClass));
    RefitScene::Fit(*Gun(), gun);
    auto& loose = static_cast<AmmoObject&>(scene.Item(kShellsClass));
    Cargo(0)->SetObject(&loose);
    EXPECT_EQ(Play({RefitStep::Click(Cargo(0)), RefitStep::Click(Gun())}, {}, kShipPage), 0);
    EXPECT_EQ(gun.Ammo(), &loose);
    EXPECT_EQ(Cargo(0)->First(), nullptr);

    auto& stack = static_cast<AmmoObject&>(scene.Item(kShellsClass));
    auto& more = static_cast<AmmoObject&>(scene.Item(kShellsClass));
    Cargo(0)->SetObject(&stack);
    Cargo(1)->SetObject(&more);
    const WeakObject merged(&more);
    EXPECT_EQ(Play({RefitStep::Click(Cargo(1)), RefitStep::Click(Cargo(0))}), 0);
    EXPECT_EQ(stack.ShotsLeft(), 60);
    EXPECT_EQ(Cargo(1)->First(), nullptr);
    EXPECT_EQ(merged.Get(), nullptr);  // the merged stack is gone, and nothing holds it
}

// The held shells are offered to a gun whose script hands them on to another weapon and fails, or
// answers with something else: the hand takes back only what no other owner holds (what it gets is
// stowed into cargo place 0 on closing), so nothing ends up in two places or in none.
TEST_F(ShipWindowTest, AnOfferLeavesTheHandOnlyWhatNoOtherOwnerHolds) {
    enum Field { kNothing, kEmptyGun, kOwnShotsWeapon, kFittedEngine };
    enum Hand { kEmpty, kOffered, kFormer };
    struct Case {
        const char* what;
        const char* gun;
        Field field;  // what the gun's field names; weapons go into cargo place 1
        bool fails;
        Hand hand;
    };
    const Case cases[] = {
        {"handed on and loaded, then failed", kHandingGunClass, kEmptyGun, true, kEmpty},
        {"handed on and refused, then failed", kHandingGunClass, kOwnShotsWeapon, true, kOffered},
        {"answered with the fitted engine", kAnsweringGunClass, kFittedEngine, false, kOffered},
        {"answered 0 without loading", kAnsweringGunClass, kNothing, false, kOffered},
        {"swapped for the shells of another class it had", kGunClass, kNothing, false, kFormer},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto& gun = static_cast<WeaponObject&>(scene.Item(c.gun));
        RefitScene::Fit(*Gun(), gun);
        OptionObject& engine = scene.Item(kRefitEngine);
        RefitScene::Fit(*Engine(), engine);
        AmmoObject* former = nullptr;
        if (c.hand == kFormer) {
            former = &static_cast<AmmoObject&>(scene.Item(kFailingCopyShells));
            gun.SetAmmo(former);
        }
        auto& offered = static_cast<AmmoObject&>(scene.Item(kShellsClass));
        Cargo(0)->SetObject(&offered);
        WeaponObject* other = nullptr;
        if (c.field == kEmptyGun) other = &static_cast<WeaponObject&>(scene.Item(kGunClass));
        if (c.field == kOwnShotsWeapon) other = new WeaponObject(game.Class("Weapon"), WeaponInit{});
        if (other != nullptr) Cargo(1)->SetObject(other);
        if (c.gun != kGunClass) {
            const ScriptObject* named = other != nullptr           ? other
                                        : c.field == kFittedEngine ? &engine
                                                                   : nullptr;
            gun.Field(0) = named != nullptr ? named->Address() : 0;
        }
        std::string error = "no error";
        EXPECT_EQ(Play({RefitStep::Click(Cargo(0)), RefitStep::Click(Gun())}, Catching(error), kShipPage), 0);
        EXPECT_EQ(error, c.fails ? FailMessage() : "no error");
        const OptionObject* hand[] = {nullptr, &offered, former};
        EXPECT_EQ(Cargo(0)->First(), hand[c.hand]);
        EXPECT_EQ(Engine()->First(), &engine);
        if (c.field == kEmptyGun) {
            EXPECT_EQ(other->Ammo(), &offered);
        }
        if (c.hand == kFormer) {
            EXPECT_EQ(gun.Ammo(), &offered);
        }
        for (SlotObject* slot : {Gun(), Engine(), Cargo(0), Cargo(1)}) Empty(slot);
    }
}

// While the discard question is open a script gives the item taken out to another place: whatever
// the answer, it stays there, neither thrown away nor put back into its old place as well.
TEST_F(ShipWindowTest, AnItemPlacedElsewhereDuringTheDiscardQuestionStaysThere) {
    for (const bool yes : {true, false}) {
        SCOPED_TRACE(yes);
        OptionObject& engine = scene.Item(kRefitEngine);
        RefitScene::Fit(*Engine(), engine);
        const WeakObject item(&engine);
        // The question opens with the second step and is answered with the third.
        game.At(game.Now() + 750, [&] { Cargo(1)->SetObject(&engine); });
        Play({RefitStep::Command(kDiscardToolId), RefitStep::Click(Engine()),
              yes ? RefitStep::Yes() : RefitStep::No()});
        EXPECT_EQ(item.Get(), &engine);
        EXPECT_EQ(Cargo(1)->First(), &engine);
        EXPECT_EQ(Engine()->First(), nullptr);
        Empty(Cargo(1));
    }
}

TEST_F(ShipWindowTest, TheSplitToolHalvesAStackIntoANewItemAndUnloadsAGun) {
    struct Case {
        int32_t shots;
        int32_t left;
        int32_t taken;  // 0: nothing split
    };
    for (const Case& c : {Case{5, 2, 3}, Case{30, 15, 15}, Case{1, 1, 0}}) {
        SCOPED_TRACE(c.shots);
        auto& stack = static_cast<AmmoObject&>(scene.Item(kShellsClass));
        stack.SetShotsLeft(c.shots);
        Cargo(0)->SetObject(&stack);
        int32_t toolAfter = -1;
        Play({RefitStep::Command(kSplitToolId), RefitStep::Click(Cargo(0))}, ToolAtClose(toolAfter));
        EXPECT_EQ(toolAfter, kToolNone);  // the split tool clears itself after one use
        EXPECT_EQ(stack.ShotsLeft(), c.left);
        OptionObject* stowed = Cargo(1)->First();
        if (c.taken == 0) {
            EXPECT_EQ(stowed, nullptr);
        } else {
            ASSERT_NE(stowed, nullptr);
            ASSERT_NE(stowed, &stack);
            EXPECT_EQ(ClassOf(Cargo(1)), kShellsClass);
            EXPECT_EQ(static_cast<AmmoObject*>(stowed)->ShotsLeft(), c.taken);
            EXPECT_EQ(static_cast<AmmoObject*>(stowed)->KindA(), stack.KindA());
        }
        for (SlotObject* slot : {Cargo(0), Cargo(1)}) Empty(slot);
    }

    auto& gun = static_cast<WeaponObject&>(scene.Item(kGunClass));
    RefitScene::Fit(*Gun(), gun);
    auto& shells = static_cast<AmmoObject&>(scene.Item(kShellsClass));
    gun.SetAmmo(&shells);
    Play({RefitStep::Command(kSplitToolId), RefitStep::Click(Gun())}, {}, kShipPage);
    EXPECT_EQ(gun.Ammo(), nullptr);
    EXPECT_EQ(Cargo(0)->First(), &shells);
}

// The copy that takes half a stack runs its own restore: when that deletes the copy or fails, the
// engine error reaches the window's caller, the stack keeps every shot and the copy is destroyed
// once, never handed to the hand.
TEST_F(ShipWindowTest, ASplitWhoseCopyDoesNotOutliveItsRestoreTakesNothing) {
    struct Case {
        const char* cls;
        std::string error;
    };
    const Case cases[] = {
        {kFailingCopyShells, FailMessage()},
        {kSelfDeletingCopyShells, "where item copy expected"},
        {kSelfDeletingFailingCopyShells, FailMessage()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cls);
        gone.Clear();
        auto& stack = static_cast<AmmoObject&>(scene.Item(c.cls));
        stack.SetShotsLeft(5);
        Cargo(0)->SetObject(&stack);
        const std::string error = ErrorMessage([&] {
            Play({RefitStep::Command(kSplitToolId), RefitStep::Click(Cargo(0))});
        });
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
        EXPECT_EQ(stack.ShotsLeft(), 5);
        EXPECT_EQ(Cargo(1)->First(), nullptr);
        EXPECT_EQ(gone.Entries(), std::vector<uint32_t>{1}) << "the copy, once";
        Empty(Cargo(0));
    }
}

TEST_F(ShipWindowTest, TheDiscardToolAsksAndOnlyYesThrowsTheItemAway) {
    struct Case {
        bool yes;
        bool kept;
        int32_t balance;
    };
    for (const Case& c :
         {Case{true, false, kFullBalance}, Case{false, true, kFullBalance - kRefitEngineUse}}) {
        SCOPED_TRACE(c.yes);
        RefitScene::Fit(*Engine(), scene.Item(kRefitEngine));
        ship->RecomputeEnergy();
        const WeakObject engine(Engine()->First());
        int32_t toolAfter = -1;
        Play({RefitStep::Command(kDiscardToolId), RefitStep::Click(Engine()),
              c.yes ? RefitStep::Yes() : RefitStep::No()},
             ToolAtClose(toolAfter));
        EXPECT_EQ(toolAfter, kToolDiscard);  // the discard tool stays set
        EXPECT_EQ(engine.Get() != nullptr, c.kept);
        EXPECT_EQ(Engine()->First() != nullptr, c.kept);
        if (c.kept) {
            EXPECT_NE(Engine()->FirstState(), 0);  // put back switched on, as it was
        }
        EXPECT_EQ(ship->Balance(), c.balance);
        Empty(Engine());
    }
}

// While the discard question is open a script deletes the item taken out, or its slot: the answer
// touches neither again, and an item whose slot is gone goes as the slot's items went (once).
TEST_F(ShipWindowTest, AnItemOrSlotDeletedDuringTheDiscardQuestionIsNotTouchedAgain) {
    struct Case {
        const char* name;
        bool deleteSlot;  // else the item
        bool yes;
    };
    const Case cases[] = {
        {"item deleted, yes", false, true},
        {"item deleted, no", false, false},
        {"slot deleted, no", true, false},  // last: the ship keeps no engine place after it
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        gone.Clear();
        SlotObject* place = Engine();
        OptionObject& engine = scene.Item(kLoggedEngine);
        RefitScene::Fit(*place, engine);
        const WeakObject item(&engine);
        const WeakObject slot(place);
        // The question opens with the second step and is answered with the third.
        game.At(game.Now() + 750, [&] { DestroyObject(c.deleteSlot ? slot.Get() : item.Get()); });
        const std::string error = ErrorMessage([&] {
            Play({RefitStep::Command(kDiscardToolId), RefitStep::Click(place),
                  c.yes ? RefitStep::Yes() : RefitStep::No()});
        });
        EXPECT_EQ(error, "no error");
        EXPECT_EQ(item.Get(), nullptr);
        EXPECT_EQ(gone.Entries(), std::vector<uint32_t>{2}) << "the engine, once";
        if (!c.deleteSlot) {
            EXPECT_EQ(place->First(), nullptr);
        }
    }
}

TEST_F(ShipWindowTest, ToolButtonsToggleAndTheOtherButtonClearsTheTool) {
    struct Case {
        std::vector<RefitStep> steps;
        int32_t tool;
    };
    const Case cases[] = {
        {{RefitStep::Command(kConfigureToolId)}, kToolConfigure},
        {{RefitStep::Command(kDiscardToolId), RefitStep::Command(kDiscardToolId)}, kToolNone},
        {{RefitStep::Command(kDiscardToolId), RefitStep::Command(kSplitToolId)}, kToolSplit},
        {{RefitStep::Command(kDiscardToolId), RefitStep::OtherClick(Engine())}, kToolNone},
    };
    RefitScene::Fit(*Engine(), scene.Item(kRefitEngine));
    for (const Case& c : cases) {
        int32_t tool = -1;
        Play(c.steps, ToolAtClose(tool));
        EXPECT_EQ(tool, c.tool) << c.steps.size();
    }
}

TEST_F(ShipWindowTest, TheOtherButtonStepsASlotsStateByItsKind) {
    RefitScene::Fit(*Gun(), scene.Item(kGunClass));
    RefitScene::Fit(*Shield(), scene.Item(kRefitShield));
    ship->RecomputeEnergy();
    Play({RefitStep::OtherClick(Gun())}, {}, kShipPage);
    Play({RefitStep::OtherClick(Shield())});
    EXPECT_EQ(Gun()->FirstState(), 2);  // weapons cycle through three trigger groups
    EXPECT_EQ(Shield()->FirstState(), 0);
    EXPECT_EQ(ship->Balance(), kFullBalance);  // the shield no longer uses energy
}

TEST_F(ShipWindowTest, OnTheGuidePageAGuideIsAttachedToAWeaponAndDetachedAgain) {
    RefitScene::Fit(*Gun(), scene.Item(kGunClass));
    OptionObject& guide = scene.Item(kRefitGuide);
    Cargo(0)->SetObject(&guide);
    Play({RefitStep::Click(Cargo(0)), RefitStep::Click(Gun(), true)}, {}, kGuidePage);
    EXPECT_EQ(Gun()->Second(), &guide);
    EXPECT_NE(Gun()->SecondState(), 0);
    EXPECT_EQ(Cargo(0)->First(), nullptr);

    // Taken off again, it goes back to the cargo when the window closes; the weapon keeps firing.
    Play({RefitStep::Click(Gun(), true)}, {}, kGuidePage);
    EXPECT_EQ(Gun()->Second(), nullptr);
    EXPECT_EQ(Cargo(0)->First(), &guide);
    EXPECT_NE(Gun()->FirstState(), 0);
}

TEST_F(ShipWindowTest, ClosingWithTheHandFullAndNoCargoRoomKeepsTheWindowOpen) {
    Cargo(0)->SetObject(&scene.Item(kRefitShield));
    Cargo(1)->SetObject(&scene.Item(kRefitShield));
    RefitScene::Fit(*Engine(), scene.Item(kRefitEngine));
    const OptionObject* engine = Engine()->First();
    OptionObject* heldAtEnd = nullptr;
    const int32_t result = Play({RefitStep::Click(Engine()), RefitStep::Close(), RefitStep::No()},
                                After([&](ShipWindow& window) { heldAtEnd = window.Held(); }));
    EXPECT_EQ(result, RefitScene::kLeftOpen);
    EXPECT_EQ(heldAtEnd, engine);  // still in the hand; the window deleted it when it went
}

TEST_F(ShipWindowTest, RefitDelaysAreChargedForChangedPlacesOnClosing) {
    RefitScene::Fit(*Engine(), scene.Item(kRefitEngine));
    Cargo(0)->SetObject(&scene.Item(kRefitShield));
    Play({});
    EXPECT_EQ(Engine()->Delay(), 0);  // nothing changed
    EXPECT_EQ(Shield()->Delay(), 0);

    Play({RefitStep::Click(Cargo(0)), RefitStep::Click(Shield())});
    const int32_t added = Shield()->Delay();
    EXPECT_GT(added, 0);
    EXPECT_EQ(Engine()->Delay(), 0);

    // A replaced item costs twice what an added one does.
    Cargo(0)->SetObject(&scene.Item(kGunClass));
    Shield()->SetDelay(0);
    Empty(Engine());
    RefitScene::Fit(*Engine(), scene.Item(kHugeEngine));
    Cargo(1)->SetObject(&scene.Item(kRefitEngine));
    Play({RefitStep::Click(Cargo(1)), RefitStep::Click(Engine())});
    EXPECT_EQ(Engine()->Delay(), 2 * added);
}

// A removal costs nothing for an item, but a weapon whose guide was taken off is charged once, as
// for an added guide; nothing else is charged, and without a delay there is no status message.
TEST_F(ShipWindowTest, RefitDelaysForRemovalsOnlyWhereTheRuleSays) {
    RefitScene::Fit(*Engine(), scene.Item(kRefitEngine));
    Play({RefitStep::Click(Engine()), RefitStep::Click(Cargo(0))});
    EXPECT_EQ(Engine()->First(), nullptr);
    EXPECT_EQ(Engine()->Delay(), 0);
    const int32_t added = Cargo(0)->Delay();  // the engine arrived in the cargo
    EXPECT_GT(added, 0);

    RefitScene::Fit(*Gun(), scene.Item(kGunClass));
    OptionObject& guide = scene.Item(kRefitGuide);
    Gun()->SetObjectB(&guide);
    Gun()->SetSecondEnabled(1);
    Cargo(0)->SetDelay(0);
    Play({RefitStep::Click(Gun(), true)}, {}, kGuidePage);
    EXPECT_EQ(Gun()->Second(), nullptr);
    EXPECT_EQ(Gun()->Delay(), added);

    // The weapon taken away from under its guide: the slot holds no item, which costs nothing.
    Gun()->SetObjectB(&guide);
    Gun()->SetSecondEnabled(1);
    Gun()->SetDelay(0);
    Cargo(0)->SetDelay(0);
    Play({RefitStep::Click(Gun()), RefitStep::Click(Cargo(1))}, {}, kShipPage);
    EXPECT_EQ(Gun()->First(), nullptr);
    EXPECT_EQ(Gun()->Delay(), 0);
}

TEST_F(ShipWindowTest, OnlyTheNineGroupLabelsSelectAGroup) {
    struct Case {
        int32_t id;
        uint32_t selected;
    };
    RefitScene::Fit(*Gun(), scene.Item(kGunClass));
    for (const Case& c :
         {Case{kFirstGroupId + 2, 2}, Case{kFirstGroupId + 8, 8}, Case{kFirstGroupId + 9, 0}}) {
        Gun()->SelectDirection(0, false);
        int32_t group = -1;
        Play({RefitStep::Command(c.id)}, After([&](ShipWindow& window) { group = window.State().group; }));
        EXPECT_EQ(Gun()->SelectedIndex(), c.selected) << c.id;
        EXPECT_EQ(group, static_cast<int32_t>(c.selected)) << c.id;
    }
}

TEST_F(ShipWindowTest, ShipAndPlayerButtonsSwitchShipsAndIgnoreAMissingOne) {
    ShipObject* shown = nullptr;
    const auto watch = After([&](ShipWindow& window) { shown = window.Ship(); });
    Play({RefitStep::Command(kSecondShipId)}, watch);
    EXPECT_EQ(shown, ship);

    auto& second = ShipObject::Of(game.New(kRefitShip).release());
    pilot->AttachReserveShip(&second);
    Play({RefitStep::Command(kEquipmentPageId), RefitStep::Command(kSecondShipId)}, watch, kShipPage);
    EXPECT_EQ(shown, &second);
    EXPECT_EQ(ship->WindowPage(), kEquipmentPage);  // stored before the switch
    EXPECT_EQ(second.WindowPage(), kEquipmentPage);

    PlayerObject& other = scene.AddPilot();
    Play({RefitStep::Command(kFirstPlayerId + 1)}, watch);
    EXPECT_EQ(shown, &RefitScene::ShipOf(other));
    Play({RefitStep::Command(kFirstPlayerId + 2)}, watch);  // no third player
    EXPECT_EQ(shown, ship);
}

TEST_F(ShipWindowTest, TheStockViewNeverOwnsThePlayersItems) {
    OptionObject& first = scene.Item(kRefitShield);
    OptionObject& second = scene.Item(kRefitEngine);
    pilot->AddItem(&first);
    pilot->AddItem(&second);
    const WeakObject kept[] = {WeakObject(&first), WeakObject(&second)};
    {
        ShipWindow window(*ship);
        scene.Play(window, {RefitStep::Command(kStockViewId), RefitStep::Command(kCargoViewId),
                            RefitStep::Command(kStockViewId), RefitStep::Close()});
        EXPECT_EQ(window.State().stockSlots.Count(), 2u);
    }
    for (const WeakObject& item : kept) {
        ASSERT_NE(item.Get(), nullptr);
        EXPECT_EQ(static_cast<OptionObject*>(item.Get())->Slot(), nullptr);
    }
    EXPECT_EQ(pilot->Items().size(), 2u);
}

TEST_F(ShipWindowTest, FlightsSlotWindowHookRunsTheWindowForThePilotsShip) {
    ASSERT_TRUE(ShipSlotWindowHook());
    ship->SetWindowPage(kGuidePage);
    bool ran = false;
    game.At(game.Now() + 300, [this, &ran] {
        ran = true;
        game.TypeChar(VK_ESCAPE);
    });
    ShipSlotWindowHook()(*ship);
    EXPECT_TRUE(ran);
    EXPECT_EQ(ship->WindowPage(), kGuidePage);
}

// The hand an opener gives (the shop's) shows as the pointer from the start, and the plain pointer
// once the opener takes it back.
TEST_F(ShipWindowTest, TheHandAnOpenerGivesShowsAsThePointer) {
    OptionObject& item = scene.Item(kRefitEngine);
    item.Own(kVisualPicture) = game.Picture("Misc\\Slots.dpf")->Address();
    ShipWindow window(*ship);
    window.SetHeld(&item);
    EXPECT_EQ(window.Cursor(), item.Picture());
    EXPECT_EQ(window.TakeHeld(), &item);
    EXPECT_EQ(window.Cursor(), EngineCursor(game.Cpu()));
    window.End();
    DestroyObject(&item);
}

}  // namespace
