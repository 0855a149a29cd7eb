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
    std::unique_ptr<SlotControlObject> Control(SlotObject* slot, int32_t mode = kSlotControlEquipment,
                                               ScriptObject* ship = nullptr) {
        SlotControlInit init;
        init.picture = fixture.SlotPictures()->Address();
        init.x = kX;
        init.y = kY;
        init.id = 100;
        init.slot = slot;
        init.selection = [this] { return held; };
        init.mode = mode;
        init.ship = ship;
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

    SlotScreenGame fixture;
    OptionObject* held = nullptr;
};

TEST_F(SlotControlTest, AnItemShowsItsPictureAndItsCountUnlessItHasNone) {
    struct Case {
        int32_t kind;
        int32_t efficiency;  // the count of a plain item, none at 100
        bool shown;
        const char* count;  // "" for none
    };
    const Case cases[] = {{kItemWeapon, 100, true, ""}, {kItemShield, 50, true, "50"},
                          {kItemEngine, 0, true, "0"},  {kItemCargo, 100, true, ""},
                          {kItemQuest, 30, true, "30"}, {8, 50, false, ""},
                          {12, 50, false, ""}};
    for (const Case& c : cases) {
        GameObject slot = fixture.Slot(kSlotHold);
        GameObject item = fixture.Item(c.kind, c.efficiency);
        auto& place = static_cast<SlotObject&>(*slot);
        place.SetObject(static_cast<OptionObject*>(item.get()));
        auto control = Control(&place);
        const Drawing drawn = Draw(*control);
        SCOPED_TRACE(c.kind);
        ASSERT_FALSE(drawn.pictures.empty());
        EXPECT_EQ(drawn.pictures[0].frame, fixture.SlotFrame(0));
        EXPECT_EQ(Drew(drawn, fixture.ItemPicture()->GetFrame(0)), c.shown);
        if (*c.count == '\0') {
            EXPECT_TRUE(drawn.texts.empty());
        } else {
            ASSERT_EQ(drawn.texts.size(), 1u);
            EXPECT_EQ(drawn.texts[0].text, c.count);
            EXPECT_EQ(drawn.texts[0].x, kX - 16);
            EXPECT_EQ(drawn.texts[0].colour, Colour(3));
        }
    }
}

TEST_F(SlotControlTest, AnEmptyPlaceNamesItsKind) {
    struct Case {
        int32_t kind;
        const char* name;  // "" for none
    };
    const Case cases[] = {{kSlotWeapon, "m150"}, {kSlotProtection, "m153"}, {kSlotEngine, "m152"},
                          {kSlotEnergy, "m151"}, {kSlotGrabber, "m154"},    {2, ""},
                          {kSlotGuide, ""},      {kSlotHold, ""},           {40, ""}};
    for (const Case& c : cases) {
        GameObject slot = fixture.Slot(c.kind);
        auto control = Control(static_cast<SlotObject*>(slot.get()));
        const Drawing drawn = Draw(*control);
        SCOPED_TRACE(c.kind);
        ASSERT_EQ(drawn.pictures.size(), 1u);
        if (*c.name == '\0') {
            EXPECT_TRUE(drawn.texts.empty());
            continue;
        }
        ASSERT_EQ(drawn.texts.size(), 1u);
        EXPECT_EQ(drawn.texts[0].text, c.name);
        EXPECT_EQ(drawn.texts[0].x, kX);
        EXPECT_EQ(drawn.texts[0].colour, Colour(6));
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
        auto& place = static_cast<SlotObject&>(*slot);
        place.SetInt(kSlotFirstEnabled, c.state);
        place.SetInt(kSlotFirstState, c.on);
        auto control = Control(&place);
        const Drawing drawn = Draw(*control);
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
        auto& place = static_cast<SlotObject&>(*slot);
        GameObject present = c.present != 0 ? fixture.Item(c.present) : GameObject();
        if (present) place.SetObject(static_cast<OptionObject*>(present.get()));
        GameObject item = c.heldKind != 0 ? fixture.Item(c.heldKind, 100, c.lowest) : GameObject();
        held = static_cast<OptionObject*>(item.get());
        auto control = Control(&place, kSlotControlEquipment, c.onShip ? rig.get() : nullptr);
        SCOPED_TRACE(testing::Message() << c.heldKind << " in " << c.placeKind);
        EXPECT_EQ(Drew(Draw(*control), fixture.SlotFrame(kSlotFrameHighlight)), c.lit);
        held = nullptr;
    }
}

TEST_F(SlotControlTest, AGuidePlaceShowsItsGuideOrTheDirectionItAimsAt) {
    GameObject weaponPlace = fixture.Slot(kSlotWeapon);
    GameObject enginePlace = fixture.Slot(kSlotEngine);
    GameObject guide = fixture.Item(kItemGuide);
    Image* guides = fixture.GuidesPicture();

    auto aiming = Control(static_cast<SlotObject*>(weaponPlace.get()), kSlotControlGuide);
    Drawing drawn = Draw(*aiming);
    ASSERT_EQ(drawn.pictures.size(), 2u);
    EXPECT_EQ(drawn.pictures[1].frame, guides->EntryAt(0)->GetFrame(0));

    auto none = Control(static_cast<SlotObject*>(enginePlace.get()), kSlotControlGuide);
    drawn = Draw(*none);
    ASSERT_EQ(drawn.pictures.size(), 2u);
    EXPECT_EQ(drawn.pictures[1].frame, guides->EntryAt(0)->GetFrame(0));

    static_cast<SlotObject&>(*weaponPlace).SetObjectB(static_cast<OptionObject*>(guide.get()));
    held = static_cast<OptionObject*>(guide.get());
    drawn = Draw(*aiming);
    EXPECT_TRUE(Drew(drawn, fixture.SlotFrame(kSlotFrameHighlight)));
    EXPECT_EQ(drawn.pictures.back().frame, fixture.ItemPicture()->GetFrame(0));
    held = nullptr;
}

TEST_F(SlotControlTest, AGoneSlotDrawsNothingAndAScriptMadeControlNeverLightsUp) {
    GameObject slot = fixture.Slot(kSlotWeapon);
    GameObject item = fixture.Item(kItemWeapon);
    held = static_cast<OptionObject*>(item.get());
    auto control = Control(static_cast<SlotObject*>(slot.get()));
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
    auto control = Control(static_cast<SlotObject*>(slot.get()));
    for (const Case& c : cases) EXPECT_EQ(control->HitTest(c.x, c.y), c.inside) << c.x << "," << c.y;
}

}  // namespace
