// Slot controls drawn for each item kind, count, state and place, lit for the held item, and hit
// at their edges.
#include "screens/slot_control.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "graphics/color_manager.h"
#include "graphics/image.h"
#include "tests/support/slot_screen_fixture.h"
#include "world/option.h"
#include "world/ship.h"
#include "world/slot.h"

namespace {

constexpr int32_t kX = 100;
constexpr int32_t kY = 50;

class SlotControlTest : public ::testing::Test {
  protected:
    // A control at (kX, kY) for the slot, lit by what `held` names.
    std::unique_ptr<SlotControlObject, ObjectDiscarder> Control(SlotObject* slot,
                                                                int32_t mode = kSlotControlEquipment,
                                                                ScriptObject* ship = nullptr) {
        // The picture, place, id, slot, held item, mode and ship.
        SlotControlInit init{fixture.SlotPictures()->Address(), kX,   kY,  100, slot,
                             [this] { return held; },           mode, ship};
        return NewSlotControl(fixture.game.Cpu(), init);
    }
    Drawing Draw(SlotControlObject& control) {
        DrawRecorder recorder(&fixture.game.Colours());
        control.Draw(recorder);
        return recorder.drawn;
    }
    bool Drew(const Drawing& drawing, const Frame* frame) {
        return std::any_of(drawing.pictures.begin(), drawing.pictures.end(),
                           [frame](const Drawing::Picture& p) { return p.frame == frame; });
    }
    uint32_t Colour(uint32_t n) { return fixture.game.Colours().Colour(n); }
    static SlotObject* Place(const GameObject& slot) { return static_cast<SlotObject*>(slot.get()); }
    static OptionObject* Opt(const GameObject& item) { return static_cast<OptionObject*>(item.get()); }

    SlotScreenGame fixture;
    OptionObject* held = nullptr;
};

// An item shows its picture and its count unless it has none; an empty place names its kind.
TEST_F(SlotControlTest, AnItemShowsItsPictureAndCountAndAnEmptyPlaceItsKind) {
    struct Case {
        int32_t place;
        int32_t kind;        // of the item in the place, 0 for none
        int32_t efficiency;  // the count of a plain item, none at 100
        bool shown;          // the item's picture
        const char* text;    // "" for none
    };
    const Case cases[] = {
        {kSlotHold, kItemWeapon, 100, true, ""},
        {kSlotHold, kItemShield, 50, true, "50"},
        {kSlotHold, kItemEngine, 0, true, "0"},
        {kSlotHold, kItemCargo, 100, true, ""},
        {kSlotHold, kItemQuest, 30, true, "30"},
        {kSlotHold, 8, 50, false, ""},
        {kSlotHold, 12, 50, false, ""},
        {kSlotWeapon, 0, 0, false, "m150"},
        {kSlotProtection, 0, 0, false, "m153"},
        {kSlotEngine, 0, 0, false, "m152"},
        {kSlotEnergy, 0, 0, false, "m151"},
        {kSlotGrabber, 0, 0, false, "m154"},
        {2, 0, 0, false, ""},
        {kSlotGuide, 0, 0, false, ""},
        {kSlotHold, 0, 0, false, ""},
        {40, 0, 0, false, ""},
    };
    for (const Case& c : cases) {
        GameObject slot = fixture.Slot(c.place);
        GameObject item = c.kind != 0 ? fixture.Item(c.kind, c.efficiency) : GameObject();
        if (item) Place(slot)->SetObject(Opt(item));
        const Drawing drawn = Draw(*Control(Place(slot)));
        SCOPED_TRACE(testing::Message() << c.kind << " in " << c.place);
        ASSERT_EQ(drawn.pictures.size(), c.shown ? 2u : 1u);
        EXPECT_EQ(drawn.pictures[0].frame, fixture.SlotFrame(0));
        EXPECT_EQ(Drew(drawn, fixture.ItemPicture()->GetFrame(0)), c.shown);
        if (*c.text == '\0') {
            EXPECT_TRUE(drawn.texts.empty());
            continue;
        }
        ASSERT_EQ(drawn.texts.size(), 1u);
        EXPECT_EQ(drawn.texts[0].text, c.text);
        EXPECT_EQ(drawn.texts[0].x, c.kind != 0 ? kX - 16 : kX);
        EXPECT_EQ(drawn.texts[0].colour, Colour(c.kind != 0 ? 3 : 6));
    }
}

TEST_F(SlotControlTest, ThePlaceFrameFollowsTheStateAndStrayStatesShowNone) {
    struct Case {
        int32_t state;
        int32_t on;
        int32_t frame;  // -1: no frame
    };
    const Case cases[] = {{0, 0, 0}, {2, 0, 2}, {1, 1, 5}, {2, 1, 6}, {3, 0, -1}, {-1, 1, -1}};
    for (const Case& c : cases) {
        GameObject slot = fixture.Slot(kSlotHold);
        Place(slot)->SetInt(kSlotFirstEnabled, c.state);
        Place(slot)->SetInt(kSlotFirstState, c.on);
        const Drawing drawn = Draw(*Control(Place(slot)));
        SCOPED_TRACE(c.state * 10 + c.on);
        if (c.frame < 0) {
            EXPECT_TRUE(drawn.pictures.empty());
        } else {
            ASSERT_EQ(drawn.pictures.size(), 1u);
            EXPECT_EQ(drawn.pictures[0].frame, fixture.SlotFrame(c.frame));
            EXPECT_EQ(drawn.pictures[0].x, kX);
            EXPECT_EQ(drawn.pictures[0].y, kY);
        }
    }
}

TEST_F(SlotControlTest, ThePlaceLightsUpForAHeldItemThatFits) {
    struct Case {
        int32_t heldKind;  // 0: nothing held
        int32_t lowest;
        int32_t placeKind;
        int32_t present;  // kind of the item in the place, 0 for none
        bool onShip;
        bool lit;
    };
    const Case cases[] = {
        {kItemWeapon, 0, kSlotWeapon, 0, false, true},
        {kItemWeapon, 0, kSlotWeapon, 0, true, true},
        {kItemWeapon, kRigClassNumber + 1, kSlotWeapon, 0, true, false},
        {kItemWeapon, kRigClassNumber + 1, kSlotHold, 0, true, true},  // a hold takes anything
        {kItemShield, 0, kSlotWeapon, 0, true, false},
        {kItemAmmo, 0, kSlotWeapon, kItemWeapon, true, true},
        {kItemAmmo, 0, kSlotWeapon, 0, true, false},
        {kItemAmmo, 0, kSlotProtection, kItemShield, true, false},
        {0, 0, kSlotHold, 0, false, false},
    };
    GameObject rig = fixture.Rig();
    for (const Case& c : cases) {
        GameObject slot = fixture.Slot(c.placeKind);
        GameObject present = c.present != 0 ? fixture.Item(c.present) : GameObject();
        if (present) Place(slot)->SetObject(Opt(present));
        GameObject item = c.heldKind != 0 ? fixture.Item(c.heldKind, 100, c.lowest) : GameObject();
        held = Opt(item);
        auto control = Control(Place(slot), kSlotControlEquipment, c.onShip ? rig.get() : nullptr);
        SCOPED_TRACE(testing::Message() << c.heldKind << " in " << c.placeKind);
        EXPECT_EQ(Drew(Draw(*control), fixture.SlotFrame(kSlotFrameHighlight)), c.lit);
        held = nullptr;
    }
}

TEST_F(SlotControlTest, AGuidePlaceShowsItsGuideOrTheDirectionItAimsAt) {
    // Without a guide, a weapon place and an engine place both show the first direction.
    for (int32_t kind : {kSlotWeapon, kSlotEngine}) {
        GameObject place = fixture.Slot(kind);
        const Drawing drawn = Draw(*Control(Place(place), kSlotControlGuide));
        ASSERT_EQ(drawn.pictures.size(), 2u) << kind;
        EXPECT_EQ(drawn.pictures[1].frame, fixture.GuidesPicture()->EntryAt(0)->GetFrame(0)) << kind;
    }
    GameObject weaponPlace = fixture.Slot(kSlotWeapon);
    GameObject guide = fixture.Item(kItemGuide);
    Place(weaponPlace)->SetObjectB(Opt(guide));
    held = Opt(guide);
    const Drawing drawn = Draw(*Control(Place(weaponPlace), kSlotControlGuide));
    EXPECT_TRUE(Drew(drawn, fixture.SlotFrame(kSlotFrameHighlight)));
    EXPECT_EQ(drawn.pictures.back().frame, fixture.ItemPicture()->GetFrame(0));
    held = nullptr;
}

TEST_F(SlotControlTest, AGoneSlotDrawsNothingAndAScriptMadeControlNeverLightsUp) {
    GameObject slot = fixture.Slot(kSlotWeapon);
    GameObject item = fixture.Item(kItemWeapon);
    held = Opt(item);
    auto control = Control(Place(slot));
    slot.reset();
    const Drawing drawn = Draw(*control);
    EXPECT_TRUE(drawn.pictures.empty());
    EXPECT_TRUE(drawn.texts.empty());

    // Native 0 pops the class, picture, x, y, id and slot: pushed in the reverse order.
    GameObject place = fixture.Slot(kSlotWeapon);
    GameObject made =
        fixture.game.New("SlotControl", {place->Address(), 7, kY, kX, fixture.SlotPictures()->Address()});
    auto& scripted = SlotControlObject::Of(made.get());
    EXPECT_EQ(scripted.Slot(), place.get());
    EXPECT_EQ(scripted.Id(), 7);
    EXPECT_FALSE(scripted.Lit());
    EXPECT_FALSE(Drew(Draw(scripted), fixture.SlotFrame(kSlotFrameHighlight)));
    held = nullptr;
}

TEST_F(SlotControlTest, AHitOnTheLeftOrTopEdgeIsInsideAndOnTheRightOrBottomEdgeOutside) {
    struct Case {
        int32_t x, y;
        bool inside;
    };
    const int32_t halfW = kSlotPictureWidth / 2;
    const int32_t halfH = kSlotPictureHeight / 2;
    const Case cases[] = {
        {kX - halfW, kY - halfH, true}, {kX + halfW - 1, kY + halfH - 1, true},
        {kX + halfW, kY, false},        {kX, kY + halfH, false},
        {kX - halfW - 1, kY, false},    {kX, kY - halfH - 1, false},
    };
    GameObject slot = fixture.Slot(kSlotHold);
    auto control = Control(Place(slot));
    for (const Case& c : cases) EXPECT_EQ(control->HitTest(c.x, c.y), c.inside) << c.x << "," << c.y;
}

}  // namespace
