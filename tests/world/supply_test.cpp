// Supply in the started game: contracts kept as event records, the supplier chosen for the player's
// place, a service sending a ship with what it gathered, and the ship dropping its cargo as paid
// bonuses along the level.
#include "world/supply.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "foundation/exceptions.h"
#include "platform/key_table.h"
#include "script/object_lifetime.h"
#include "script/object_manager.h"
#include "script/operations.h"
#include "script/processor.h"
#include "script/weak_object.h"
#include "shell/game_ids.h"
#include "shell/input_device.h"
#include "tests/support/error_message.h"
#include "tests/support/game_harness.h"
#include "tests/support/hostile_scripts.h"
#include "ui/dialog_window.h"
#include "ui/window_services.h"
#include "world/bonuses.h"
#include "world/event_manager.h"
#include "world/level.h"
#include "world/option.h"
#include "world/player.h"

namespace {

constexpr uint32_t kShipSlot = 99;  // where the test service's ship comes from

class SupplyTest : public ::testing::Test {
  protected:
    SupplyTest() {
        game.AddPicture("Misc\\Bonus.dpf");
        game.AddMessages("system.mes", {{kSignContractMessage, "Sign with %s?"}, {120, "Yes"}, {121, "No"}});
        ScriptSubclass supplier{.name = "TestSupplier", .base = "GTTClass"};
        supplier.virtuals[kStepVirtual] = {OpWord(Op::Drop)};
        supplier.virtuals[7] = {OpWord(Op::Drop)};
        game.AddClass(supplier);
        // A supplier whose destruction deletes the supply.
        ScriptSubclass last{.name = "LastSupplier", .base = "GTTClass"};
        last.virtuals[0] =
            CodeWords({PushIntWords(kSupplyId), {OpWord(Op::ObjectById), OpWord(Op::DeleteObject)}});
        game.AddClass(last);
        ScriptSubclass service{.name = "TestService", .base = "SupplyService"};
        service.virtuals[8] = CodeWords({PushIntWords(kShipSlot), {OpWord(Op::ObjectById)}});
        game.AddClass(service);
        // Answers the ship in its field 0 and deletes itself.
        ScriptSubclass vanishing{.name = "VanishingService", .base = "SupplyService", .instanceFields = 1};
        vanishing.virtuals[8] = CodeWords({FieldWords(0), DeleteSelfWords()});
        game.AddClass(vanishing);
        // An item whose price cannot be asked.
        game.AddClass({.name = "PricelessItem",
                       .base = "Option",
                       .virtuals = {{kItemValueVirtual, FailWords()}},
                       .createValues = std::vector<int32_t>(11, 0)});
        game.Start();
        flight = new ObjectManager(&game.Cpu(), 1);
        game.Objects().SetObject(flight, kTestRunListId);
        bonuses = new ObjectManager(&game.Cpu(), 1);
        game.Objects().SetObject(bonuses, kBonusListId);
        PublishedFlight().sceneWidthX100 = 40000;
        pilot = new PlayerObject(game.Class("Player"));
        game.Players().AppendObject(pilot);
        supply = game.Object(kSupplyId);
    }
    ~SupplyTest() override {
        PublishedFlight() = FlightValues{};
        SupplyHooksInstalled() = SupplyHooks{};
    }

    OptionObject* NewItem(int32_t baseValue) {
        OptionInit init;
        init.baseValue = baseValue;
        return new OptionObject(game.Class("Option"), init);
    }
    uint32_t Sign(const std::string& key, const std::string& cls, const std::string& name, uint32_t flags = 0,
                  ScriptObject* dialog = nullptr) {
        return game
            .CallMethod(supply, 7,
                        {game.Text(key), game.Text(cls), game.Text(name), flags,
                         dialog != nullptr ? dialog->Address() : 0})
            .at(0);
    }
    uint32_t Cancel(const std::string& key) {
        return game.CallMethod(supply, 8, {game.Text(key), game.Text("unused"), 0, 0}).at(0);
    }
    uint32_t Check(const std::string& key, const std::string& cls) {
        return game.CallMethod(supply, 9, {game.Text(key), game.Text(cls)}).at(0);
    }
    std::string Event(const char* key) {
        String text;
        return EventManager::EventText(pilot, key, text) ? std::string(text.View()) : "<none>";
    }

    GameHarness game;
    ObjectManager* flight = nullptr;
    ObjectManager* bonuses = nullptr;
    PlayerObject* pilot = nullptr;
    ScriptObject* supply = nullptr;
};

TEST(SupplyFormat, TheNameFillsOnePlaceAndNothingElseActsAsAFormat) {
    struct Case {
        const char* format;
        const char* name;
        const char* expected;
    } cases[] = {
        {"Sign with %s?", "Brisk", "Sign with Brisk?"},
        {"%s and %s", "A", "A and %s"},
        {"100%% by %s", "B", "100% by B"},
        {"%d %n %x %s", "C", "%d %n %x C"},
        {"Sign with %s", "%s%n%d", "Sign with %s%n%d"},
        {"no place", "D", "no place"},
        {"trailing %", "E", "trailing %"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(std::string(FormatWithName(c.format, c.name).View()), c.expected) << c.format;
    }
}

TEST_F(SupplyTest, ContractsAreSignedCheckedAndCancelledAsEventRecords) {
    EXPECT_EQ(Sign("Tera", "TestSupplier", "Brisk & Sons"), 1u);
    EXPECT_EQ(Event("SupplyerClass-Tera"), "TestSupplier");
    EXPECT_EQ(EventManager::EventValue(pilot, "SupplyerClass-Tera"), 1);
    EXPECT_EQ(Event("SupplyerName-Tera"), "Brisk & Sons");
    EXPECT_EQ(EventManager::EventValue(pilot, "SupplyerName-Tera"), 0);

    struct Case {
        const char* key;
        const char* cls;
        uint32_t expected;
    } checks[] = {{"Tera", "TestSupplier", 1}, {"Tera", "testsupplier", 0}, {"Sol", "TestSupplier", 0}};
    for (const Case& c : checks) EXPECT_EQ(Check(c.key, c.cls), c.expected) << c.key << " " << c.cls;

    EXPECT_EQ(Cancel("Tera"), 1u);
    EXPECT_EQ(Event("SupplyerClass-Tera"), "<none>");
    EXPECT_EQ(Event("SupplyerName-Tera"), "<none>");
    EXPECT_EQ(Check("Tera", "TestSupplier"), 0u);
}

TEST_F(SupplyTest, AContractNobodyAgreedToOrNowhereToKeepIsNotSigned) {
    // Asked over a dialog that has no window to ask over: nobody agreed.
    GameObject dialog = game.New("GTTClass");
    EXPECT_EQ(Sign("Tera", "TestSupplier", "Brisk", 1, dialog.get()), 0u);
    EXPECT_EQ(Event("SupplyerClass-Tera"), "<none>");
    game.Objects().SetObject(nullptr, kEventManagerId);
    EXPECT_EQ(Sign("Tera", "TestSupplier", "Brisk"), 0u);
    EXPECT_EQ(Check("Tera", "TestSupplier"), 0u);
    EXPECT_EQ(Event("SupplyerClass-Tera"), "<none>");
}

TEST_F(SupplyTest, ThePlanetsSupplierComesBeforeTheSystemsAndWithoutOneOffersAreDeleted) {
    SupplyHooksInstalled().place = [](ScriptObject*, SupplyPlace& place) {
        place.planet = "Tera";
        place.system = "Sol";
        return true;
    };
    game.Keep(kStarSystemWindowId, game.New("GTTClass"));
    SupplyObject& held = SupplyObject::Of(supply);
    struct Case {
        const char* what;
        const char* planetClass;  // nullptr: no record
        const char* systemClass;
        const char* supplier;  // nullptr: none held
    } cases[] = {
        {"none for either", nullptr, nullptr, nullptr},
        {"the system's", nullptr, "TestSupplier", "TestSupplier"},
        {"the planet's first", "GTTClass", "TestSupplier", "GTTClass"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.planetClass != nullptr) Sign("Tera", c.planetClass, "P");
        if (c.systemClass != nullptr) Sign("Sol", c.systemClass, "S");
        game.CallMethod(supply, 4);
        ScriptObject* supplier = held.Supplier();
        EXPECT_EQ(supplier != nullptr ? std::string(supplier->Class()->ClassName().View()) : "<none>",
                  c.supplier != nullptr ? c.supplier : "<none>");
    }

    Cancel("Tera");
    game.CallMethod(supply, 4);
    GameObject kept = game.New("GTTClass");
    game.CallMethod(supply, 5, {kept->Address()});  // the supplier's virtual method 7 takes it
    EXPECT_NE(WeakObject(kept.get()).Get(), nullptr);

    Cancel("Sol");
    game.CallMethod(supply, 4);
    EXPECT_EQ(held.Supplier(), nullptr);
    ScriptObject* offered = game.New("GTTClass").release();
    const WeakObject gone(offered);
    game.CallMethod(supply, 6, {offered->Address()});
    EXPECT_EQ(gone.Get(), nullptr);
}

TEST_F(SupplyTest, AServiceSendsItsShipWhenTheDelayIsOverAndObjectsWait) {
    GameObject idle = game.New("TestService");
    game.CallVirtual(idle.get(), kStepVirtual, {1000});  // nothing waits: no ship is asked for
    EXPECT_EQ(flight->ObjectList().Count(), 0u);

    GameObject service = game.New("TestService");
    for (int i = 0; i < 3; ++i) game.CallVirtual(service.get(), 7, {NewItem(10)->Address()});
    ScriptObject* ship = game.Keep(kShipSlot, game.New("SupplyShip", {0, 0, 0, 0, 0}));
    game.CallVirtual(service.get(), kStepVirtual, {99});
    EXPECT_EQ(flight->ObjectList().Count(), 0u);
    game.CallVirtual(service.get(), kStepVirtual, {100});
    game.Objects().Forget(ship);
    ASSERT_EQ(flight->ObjectList().Count(), 1u);
    EXPECT_EQ(game.CallMethod(ship, 36), std::vector<uint32_t>{3});
    EXPECT_EQ(SupplyShipObject::Of(ship).Value(), SupplyServiceObject::kDefaultShipValue);
}

// The service deletes itself while it makes the ship: what it queued went with it, and the ship
// made for it is left in no flight, owned by nobody.
TEST_F(SupplyTest, AServiceThatWentWhileMakingItsShipSendsNothing) {
    const ReleaseHold hold;
    ScriptObject& service = *game.New("VanishingService").release();
    const WeakObject queued(NewItem(10));
    game.CallVirtual(&service, 7, {queued.Address()});
    const WeakObject ship(game.New("SupplyShip", {0, 0, 0, 0, 0}).release());
    service.Field(0) = ship.Address();
    EXPECT_EQ(ErrorMessage([&] { game.CallVirtual(&service, kStepVirtual, {1000}); }), "no error");
    EXPECT_FALSE(service.Alive());
    EXPECT_EQ(queued.Get(), nullptr);
    EXPECT_EQ(ship.Get(), nullptr);
    EXPECT_EQ(flight->ObjectList().Count(), 0u);
}

// The supplier held before goes first, and its destruction deletes the supply: the new supplier is
// refused (its maker discards it), never kept by a supply that is gone.
TEST_F(SupplyTest, ASupplyItsOldSupplierDeletedHoldsNoNewOne) {
    const ReleaseHold hold;
    SupplyObject& held = SupplyObject::Of(supply);
    held.Hold(game.New("LastSupplier").release());
    const GameObject next = game.New("TestSupplier");
    EXPECT_EQ(ErrorMessage([&] { held.Hold(next.get()); }), NotValid(held.Address(), "Supply"));
    EXPECT_EQ(held.Supplier(), nullptr);
    EXPECT_EQ(game.Class("LastSupplier")->InstanceCount(), 0u);
}

// The price of the object about to drop cannot be asked: the half-made bonus goes with the object
// it took, each destroyed once, and the error reaches the step's caller.
TEST_F(SupplyTest, ADropThatFailsDestroysTheObjectOnce) {
    ScriptObject* ship = game.New("SupplyShip", {0, 0, 100, 30000, 0}).release();
    flight->AppendObject(ship);
    game.CallMethod(ship, 35, {game.New("PricelessItem").release()->Address()});
    EXPECT_EQ(ErrorMessage([&] { game.CallVirtual(ship, kStepVirtual, {0}); }), FailMessage());
    EXPECT_EQ(game.Class("PricelessItem")->InstanceCount(), 0u);
    EXPECT_EQ(bonuses->ObjectList().Count(), 0u);
    EXPECT_EQ(game.Log().find("being deleted already"), std::string::npos) << game.Log();
}

TEST_F(SupplyTest, TheShipDropsTheKthOfNObjectsAtKOverNPlusOneOfTheLevel) {
    // Picture 0, x 8000, y 100, one pixel... ten pixels right a step.
    ScriptObject* ship = game.New("SupplyShip", {0, 1000, 100, 8000, 0}).release();
    flight->AppendObject(ship);
    SupplyShipObject& s = SupplyShipObject::Of(ship);
    std::vector<OptionObject*> items;
    for (int32_t value : {100, 200, 300}) {
        items.push_back(NewItem(value));
        game.CallMethod(ship, 35, {items.back()->Address()});
    }
    struct Step {
        int32_t x;  // before the step
        uint32_t dropped;
    } steps[] = {{8000, 0}, {9000, 0}, {10000, 1}, {19000, 1}, {19001, 2}, {29500, 3}, {39000, 3}};
    for (const Step& step : steps) {
        SCOPED_TRACE(step.x);
        s.SetInt(kVisualX, step.x);
        s.SetState(kActorAlive);
        game.CallVirtual(ship, kStepVirtual, {0});
        EXPECT_EQ(bonuses->ObjectList().Count(), step.dropped);
    }
    // Each one a paid bonus carrying its object, priced at the ship's share of the object's worth.
    uint32_t i = 0;
    for (auto* node = bonuses->ObjectList().Head(); node != nullptr; node = node->next, ++i) {
        BonusObject& bonus = BonusObject::Of(node->item);
        EXPECT_TRUE(bonus.Class()->InheritsFrom("PaidBonus"));
        EXPECT_EQ(bonus.Item(), items[i]);
        EXPECT_EQ(bonus.Int(kBonusPrice), items[i]->BaseValue() * SupplyShipObject::kDefaultValue / 100);
        EXPECT_EQ(bonus.Y(), 100);
    }
    EXPECT_EQ(game.CallMethod(ship, 36), std::vector<uint32_t>{3});
}

}  // namespace

namespace {

TEST_F(SupplyTest, WhatTheEngineKeepsIsNeverCarriedQueuedOrLoaded) {
    const uint32_t engineObject = game.Object(kClassManagerId)->Address();
    GameObject service = game.New("TestService");
    GameObject ship = game.New("SupplyShip", {0, 0, 0, 0, 0});
    struct Case {
        const char* what;
        std::function<void()> call;
    } cases[] = {
        {"a bonus",
         [&] {
             game.New("Bonus", {7, 0, 0, engineObject});
         }},
        {"a service's queue", [&] { game.CallVirtual(service.get(), 7, {engineObject}); }},
        {"a ship's cargo", [&] { game.CallMethod(ship.get(), 35, {engineObject}); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_THROW(c.call(), FatalExep);
        EXPECT_NE(game.Object(kClassManagerId), nullptr);
    }
    EXPECT_EQ(game.CallMethod(ship.get(), 36), std::vector<uint32_t>{0});
}

// The window a contract question is asked over: the box steps it every frame, which is where the
// test answers.
class AskingWindow : public DialogWindow {
  public:
    using DialogWindow::DialogWindow;
    void Step(int32_t) override {
        ++steps;
        if (onStep) onStep();
    }
    std::function<void()> onStep;
    int steps = 0;
};

TEST_F(SupplyTest, AQuestionRefusedOverTheDialogsWindowSignsNothing) {
    InputDevice device;
    device.SetMouseEnabled(true);
    AskingWindow window(&game.Cpu(), &game.Screen(), EngineCursor(game.Cpu()));
    GameObject dialog = game.New("GTTClass");
    SupplyHooksInstalled().windowOf = [&](ScriptObject* d) { return d == dialog.get() ? &window : nullptr; };
    window.onStep = [&] { game.TypeChar(27); };  // Escape: no agreement
    uint32_t answer = 99;
    int boxSteps = 0;
    window.SetCallback([&](DialogWindow& w, int32_t event, int32_t, int32_t) {
        if (event != kEventStart) return;
        const int before = window.steps;
        answer = Sign("Tera", "TestSupplier", "Brisk", 1, dialog.get());
        boxSteps = window.steps - before;
        w.SetResult(0);
    });
    window.Run(device);
    EXPECT_EQ(answer, 0u);
    EXPECT_GE(boxSteps, 1);  // the box ran over the window
    EXPECT_EQ(Event("SupplyerClass-Tera"), "<none>");
    EXPECT_EQ(Event("SupplyerName-Tera"), "<none>");
}

}  // namespace
