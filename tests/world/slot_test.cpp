// Slots in the started game: the fields scripts reach, switching items on and off, choosing a firing
// direction with its delay and message, turning directions, and what a slot's end takes with it.
#include "world/slot.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "foundation/script_memory.h"
#include "script/object_lifetime.h"
#include "script/operations.h"
#include "script/weak_object.h"
#include "tests/support/error_message.h"
#include "tests/support/game_harness.h"
#include "tests/support/hostile_scripts.h"
#include "world/option.h"

namespace {

// What the pilot hooks saw; plain functions cannot capture the test.
struct PilotLog {
    int32_t percent = 0;
    std::vector<std::string> texts;
    std::vector<int32_t> frames;
    std::vector<int32_t> priorities;
};
PilotLog pilotLog;

int32_t SkillPercent(ScriptObject*) {
    return pilotLog.percent;
}

void ShowStatus(ScriptObject*, const String& text, int32_t frames, int32_t priority) {
    pilotLog.texts.emplace_back(text.Text());
    pilotLog.frames.push_back(frames);
    pilotLog.priorities.push_back(priority);
}

uint32_t W(int32_t v) {
    return static_cast<uint32_t>(v);
}

class SlotTest : public ::testing::Test {
  protected:
    SlotTest() {
        game.AddMessages("system.mes", {{476, "Direction changed"}});
        // Records each switch in its own fields: the last state in value D, one more in value G.
        game.AddClass(
            {.name = "Gadget",
             .base = "Option",
             .virtuals = {{kItemSwitchVirtual, CodeWords({{BaseCallWord(18), OpWord(Op::Store)},
                                                          PushIntWords(1),
                                                          {BaseCallWord(25), OpWord(Op::AddToMemory)}})}}});
        game.AddClass({.name = "Frigate", .base = "GTTClass"});
        // Switched off, deletes the object its field 0 names.
        game.AddClass(
            {.name = "Grudge",
             .base = "Option",
             .instanceFields = 1,
             .virtuals = {{kItemSwitchVirtual, CodeWords({{OpWord(Op::Drop)}, DeleteFieldWords(0)})}}});
        game.Start();
        pilotLog = {};
        SetSlotPilotHooks({SkillPercent, ShowStatus});
        ship = game.New("Frigate");
    }
    ~SlotTest() override { SetSlotPilotHooks({}); }

    // Kind 1 at (5, -7) on the test's ship.
    GameObject NewSlot(int32_t kind = kSlotWeapon) {
        return game.New("Slot", {W(kind), W(5), W(-7), ship->Address()});
    }
    GameObject NewItem(const char* className = "Option") {
        return game.New(className, {500, 6, 88, W(kItemWeapon), 30, 0, 0, 0, 0, 0, 0});
    }

    // Switch calls an item had, and the last state it was given.
    static int32_t Calls(ScriptObject* item) {
        return OptionObject::Of(item).Int(kOptionValueG) - kDefaultValueG;
    }
    static int32_t LastState(ScriptObject* item) { return OptionObject::Of(item).Int(kOptionValueD); }

    GameHarness game;
    GameObject ship;
};

TEST_F(SlotTest, NativesHandOutTheirFields) {
    GameObject slotObject = NewSlot();
    SlotObject& slot = SlotObject::Of(slotObject.get());
    const struct {
        uint32_t native;
        int32_t value;
    } cases[] = {{4, 5}, {5, -7}, {6, 0}, {7, -100}, {8, 0}, {9, 0}, {10, 0}, {11, kSlotWeapon}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.native);
        const std::vector<uint32_t> out = game.CallMethod(slotObject.get(), c.native);
        ASSERT_EQ(out.size(), 1u);
        EXPECT_EQ(static_cast<int32_t>(ScriptLoad32(out[0])), c.value);
    }
    EXPECT_EQ(slot.Ship(), ship.get());
    EXPECT_TRUE(slot.OwnsItems());
    for (uint32_t i = 0; i < kSlotDirections; ++i) {
        EXPECT_EQ(slot.Direction(i).y, -100);
        EXPECT_TRUE(slot.Direction(i).enabled);
    }

    // Whatever a script stores, lookups stay inside the records and find no stray object.
    slot.Own(kSlotSelected) = 1000;
    slot.SetDirection(1000 % kSlotDirections, {7, 8, true});
    EXPECT_EQ(ScriptLoad32(game.CallMethod(slotObject.get(), 6).at(0)), 7u);
    EXPECT_EQ(ScriptLoad32(game.CallMethod(slotObject.get(), 7).at(0)), 8u);
    const uint32_t firstField = game.CallMethod(slotObject.get(), 9).at(0);
    for (uint32_t stray : {0x12345678u, ship->Address(), slotObject->Address()}) {
        ScriptStore32(firstField, stray);
        EXPECT_EQ(slot.First(), nullptr);
    }
    EXPECT_THROW(slot.Direction(kSlotDirections), FatalExep);
}

TEST_F(SlotTest, ItemsAreToldOnlyWhenTheirStateChanges) {
    GameObject slotObject = NewSlot();
    SlotObject& slot = SlotObject::Of(slotObject.get());
    GameObject gadget = NewItem("Gadget");
    OptionObject& item = OptionObject::Of(gadget.get());
    EXPECT_EQ(slot.SetObject(&item), nullptr);
    gadget.release();  // the slot owns it now
    EXPECT_EQ(slot.First(), &item);
    EXPECT_EQ(item.Slot(), &slot);
    EXPECT_EQ(item.Ship(), ship.get());
    EXPECT_EQ(game.CallMethod(&item, game.Class("Option"), 17).at(0), ship->Address());

    const struct Step {
        const char* name;
        std::function<void()> act;
        int32_t calls;
        int32_t lastState;
        int32_t slotState;
    } steps[] = {
        {"on in group 1", [&] { slot.SetFirstState(1); }, 1, 1, 1},
        {"the same state again", [&] { slot.SetFirstState(1); }, 1, 1, 1},
        {"group 2", [&] { slot.SetFirstState(2); }, 2, 2, 2},
        {"enabled", [&] { game.CallMethod(slotObject.get(), 13, {1}); }, 2, 2, 2},
        {"disabled switches it off", [&] { game.CallMethod(slotObject.get(), 13, {0}); }, 3, 0, 0},
        {"disabled again", [&] { slot.SetFirstEnabled(0); }, 3, 0, 0},
        {"on, then taken out", [&] { slot.SetFirstState(1), slot.SetObject(nullptr); }, 5, 0, 0},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        s.act();
        EXPECT_EQ(Calls(&item), s.calls);
        EXPECT_EQ(LastState(&item), s.lastState);
        EXPECT_EQ(static_cast<int32_t>(game.CallMethod(slotObject.get(), 12).at(0)), s.slotState);
    }
    EXPECT_EQ(slot.First(), nullptr);
    EXPECT_EQ(item.Slot(), nullptr);
    EXPECT_EQ(item.Ship(), nullptr);
    gadget.reset(&item);
}

TEST_F(SlotTest, ASlotTakesTheItemsItOwnsWithIt) {
    const struct {
        const char* name;
        int32_t owns;
        bool moved;  // the first item went on to another slot
        bool firstAlive;
        bool secondAlive;
    } cases[] = {
        {"owned", 1, false, false, false},
        {"not owned", 0, false, true, true},
        {"owned, first moved on", 1, true, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GameObject other = NewSlot();
        GameObject slotObject = NewSlot();
        SlotObject& slot = SlotObject::Of(slotObject.get());
        slot.SetInt(kSlotOwnsItems, c.owns);
        GameObject first = NewItem();
        GameObject second = NewItem();
        const WeakObject firstRef(first.get()), secondRef(second.get());
        slot.SetObject(&OptionObject::Of(first.get()));
        slot.SetObjectB(&OptionObject::Of(second.get()));
        if (c.moved) SlotObject::Of(other.get()).SetObject(&OptionObject::Of(first.get()));
        first.release();
        second.release();
        slotObject.reset();
        EXPECT_EQ(firstRef.Get() != nullptr, c.firstAlive);
        EXPECT_EQ(secondRef.Get() != nullptr, c.secondAlive);
        // What is left alive is the test's to destroy (or the other slot's).
        if (!c.moved && c.firstAlive) GameObject(firstRef.Get()).reset();
        if (c.secondAlive) GameObject(secondRef.Get()).reset();
    }
}

// The old item's switch-off deletes the old item, the new one or the slot itself: the slot never
// hands back or holds an item that is gone, and a slot that went takes nothing.
TEST_F(SlotTest, PuttingAnItemInSurvivesWhatTheSwitchOffDeletes) {
    enum Victim { kOld, kNew, kSlot };
    const struct {
        const char* name;
        Victim victim;
        bool handedBack;  // the old item
        bool put;         // the new item is in the slot
    } cases[] = {
        {"the old item", kOld, false, true},
        {"the new item", kNew, true, false},
        {"the slot", kSlot, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ReleaseHold hold;
        SlotObject& slot = SlotObject::Of(NewSlot().release());
        OptionObject& old = OptionObject::Of(NewItem("Grudge").release());
        OptionObject& fresh = OptionObject::Of(NewItem().release());
        slot.SetObject(&old);
        slot.SetInt(kSlotFirstState, 1);  // switched on
        const ScriptObject* victims[] = {&old, &fresh, &slot};
        old.Field(0) = victims[c.victim]->Address();

        OptionObject* back = nullptr;
        const std::string error = ErrorMessage([&] { back = slot.SetObject(&fresh); });
        EXPECT_EQ(error, c.victim == kSlot ? NotValid(slot.Address(), "slot") : "no error");
        EXPECT_EQ(back, c.handedBack ? &old : nullptr);
        EXPECT_EQ(slot.First(), c.put ? &fresh : nullptr);
        EXPECT_EQ(fresh.Slot(), c.put ? &slot : nullptr);
        EXPECT_EQ(old.Alive(), c.victim == kNew);
        if (old.Alive()) {
            EXPECT_EQ(old.Slot(), nullptr);
        }
        // What still lives is the test's to destroy; the slot takes what it holds.
        for (ScriptObject* left : {static_cast<ScriptObject*>(&slot), static_cast<ScriptObject*>(&old),
                                   static_cast<ScriptObject*>(&fresh)}) {
            if (left->Alive()) DestroyObject(left);
        }
    }
}

// A script writes into a place the item another slot holds: taking it out hands back nothing and
// leaves it with that slot. An item nobody holds is handed back as before.
TEST_F(SlotTest, APlaceHandsBackOnlyWhatNoOtherOwnerHolds) {
    for (const bool heldElsewhere : {true, false}) {
        SCOPED_TRACE(heldElsewhere);
        GameObject other = NewSlot();
        GameObject slotObject = NewSlot();
        SlotObject& slot = SlotObject::Of(slotObject.get());
        OptionObject& item = OptionObject::Of(NewItem().release());
        if (heldElsewhere) SlotObject::Of(other.get()).SetObject(&item);
        slot.Own(kSlotFirstItem) = item.Address();
        ASSERT_EQ(slot.First(), &item);
        EXPECT_EQ(slot.SetObject(nullptr), heldElsewhere ? nullptr : &item);
        EXPECT_EQ(slot.First(), nullptr);
        EXPECT_EQ(item.Slot(), heldElsewhere ? other.get() : nullptr);
        EXPECT_EQ(SlotObject::Of(other.get()).First(), heldElsewhere ? &item : nullptr);
        if (!heldElsewhere) DestroyObject(&item);
    }
}

TEST_F(SlotTest, SelectingADirectionStepsOverDisabledRecordsAndCostsADelay) {
    GameObject slotObject = NewSlot();
    SlotObject& slot = SlotObject::Of(slotObject.get());
    // Every record its own y but 2, which shares record 0's; 3 and 5 cannot be chosen.
    for (uint32_t i = 0; i < kSlotDirections; ++i)
        slot.SetDirection(i, {0, static_cast<int32_t>(i * 10), i != 3 && i != 5});
    slot.SetDirection(2, {5, 0, true});
    const struct Case {
        const char* name;
        uint32_t start;
        int32_t request;
        bool announce;
        int32_t percent;
        uint32_t selected;
        int32_t delay;
        bool shown;  // the status line, for as long as the delay
    } cases[] = {
        {"an index beyond 8 wraps", 0, 13, true, 50, 4, 15, true},
        {"forward", 0, -1, false, 0, 1, 0, false},
        {"forward over a disabled record", 2, -1, false, 0, 4, 0, false},
        {"backward over a disabled record", 4, -2, false, 0, 2, 0, false},
        {"backward from 0 wraps to 8", 0, -7, false, 0, 8, 0, false},
        {"the same y costs nothing", 0, 2, true, 0, 2, 0, false},
        {"the same record costs nothing", 6, 6, true, 0, 6, 0, false},
        {"no skill: the full delay", 0, 1, true, 0, 1, 30, true},
        {"a skill beyond 100 never turns the delay negative", 0, 1, true, 250, 1, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        slot.SetInt(kSlotSelected, static_cast<int32_t>(c.start));
        slot.SetDelay(0);
        pilotLog = {};
        pilotLog.percent = c.percent;
        slot.SelectDirection(c.request, c.announce);
        EXPECT_EQ(slot.SelectedIndex(), c.selected);
        EXPECT_EQ(slot.Delay(), c.delay);
        ASSERT_EQ(pilotLog.texts.size(), c.shown ? 1u : 0u);
        if (c.shown) {
            EXPECT_EQ(pilotLog.texts[0], "Direction changed");
            EXPECT_EQ(pilotLog.frames[0], c.delay);
            EXPECT_EQ(pilotLog.priorities[0], kDirectionChangedPriority);
        }
    }

    // With nothing else enabled, stepping keeps the record.
    for (uint32_t i = 0; i < kSlotDirections; ++i) slot.SetDirection(i, {0, -100, i == 6});
    slot.SetInt(kSlotSelected, 6);
    slot.SelectDirection(-1, true);
    EXPECT_EQ(slot.SelectedIndex(), 6u);
    slot.SelectDirection(-5, true);
    EXPECT_EQ(slot.SelectedIndex(), 6u);
}

TEST_F(SlotTest, DirectionsTurnBySixteenths) {
    const DirectionRecord ring[16] = {{0, -100}, {38, -92},  {71, -71},  {92, -38}, {100, 0},  {92, 38},
                                      {71, 71},  {38, 92},   {0, 100},   {-38, 92}, {-71, 71}, {-92, 38},
                                      {-100, 0}, {-92, -38}, {-71, -71}, {-38, -92}};
    for (int i = 0; i < 16; ++i) {
        SCOPED_TRACE(i);
        DirectionRecord r = ring[i];
        r.enabled = false;
        Slot::RotateDirectionClockwise(r);
        EXPECT_EQ(r.x, ring[(i + 1) % 16].x);
        EXPECT_EQ(r.y, ring[(i + 1) % 16].y);
        EXPECT_FALSE(r.enabled);
        Slot::RotateDirectionAnticlockwise(r);
        Slot::RotateDirectionAnticlockwise(r);
        EXPECT_EQ(r.x, ring[(i + 15) % 16].x);
        EXPECT_EQ(r.y, ring[(i + 15) % 16].y);
    }
    DirectionRecord odd{13, 17, true};
    Slot::RotateDirectionClockwise(odd);
    EXPECT_EQ(odd.x, 13);
    EXPECT_EQ(odd.y, 17);
}

}  // namespace
