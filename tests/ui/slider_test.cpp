#include "ui/slider.h"

#include <gtest/gtest.h>

#include <limits>

#include "graphics/color_manager.h"
#include "tests/ui/sliders_fixture.h"

namespace {

constexpr uint32_t U(int32_t v) {
    return static_cast<uint32_t>(v);
}

class SliderTest : public SlidersFixture {
  protected:
    // A slider at (100, 200) with id 5.
    GameObject Make(int32_t length, int32_t boundA, int32_t boundB, uint32_t flags = 0) {
        return New("Slider", {100, 200, 5, U(length), U(boundA), U(boundB), flags});
    }
    int32_t Value(const GameObject& slider) {
        return static_cast<int32_t>(CallMethod(slider.get(), 25).at(0));
    }
};

TEST_F(SliderTest, CreationAndNatives) {
    GameObject slider = Make(200, 100, 0);
    SliderObject& s = SliderObject::Of(slider.get());
    EXPECT_EQ(CallMethod(slider.get(), 21), std::vector<uint32_t>{0});
    EXPECT_EQ(CallMethod(slider.get(), 23), std::vector<uint32_t>{100});
    EXPECT_EQ(Value(slider), 0);
    EXPECT_EQ(s.Int(kSliderInnerTicks), 5);
    EXPECT_EQ(CallMethod(slider.get(), 27), std::vector<uint32_t>{s.OwnAddress(kSliderInnerTicks)});
    EXPECT_EQ(CallMethod(slider.get(), 28), std::vector<uint32_t>{s.OwnAddress(kSliderFlags)});
}

TEST_F(SliderTest, ValueIsHeldToTheBounds) {
    struct Case {
        const char* name;
        int32_t min, max, set, read;
    };
    const Case cases[] = {
        {"inside", 0, 100, 40, 40},   {"above", 0, 100, 1000, 100},
        {"below", 0, 100, -5, 0},     {"bounds swapped by natives", 100, 0, 150, 100},
        {"equal bounds", 7, 7, 3, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GameObject slider = Make(200, 0, 100);
        CallMethod(slider.get(), 22, {U(c.min)});
        CallMethod(slider.get(), 24, {U(c.max)});
        CallMethod(slider.get(), 26, {U(c.set)});
        EXPECT_EQ(Value(slider), c.read);
    }
}

TEST_F(SliderTest, PointerInputSetsValueAndHint) {
    struct Case {
        const char* name;
        int32_t length, min, max;
        uint32_t flags;
        int32_t kind;
        bool held;
        int32_t a;
        int32_t result;
        int32_t value;  // after the event
    };
    const Case cases[] = {
        {"press", 200, 0, 100, 0, kInputPress, false, 150, -1, 75},
        {"snap down", 120, 0, 120, kSliderSnap, kInputPress, false, 29, -1, 20},
        {"drag with the button held", 200, 0, 100, 0, kInputOver, true, 50, -1, 25},
        {"over without the button", 200, 0, 100, 0, kInputOver, false, 50, 0, 0},
        {"second button", 200, 0, 100, 0, kInputSecondPress, true, 50, 0, 0},
        {"wheel", 200, 0, 100, 0, kInputWheel, true, 3, 0, 0},
        {"equal bounds", 200, 9, 9, 0, kInputPress, false, 150, -1, 9},
        {"no length", 0, 0, 100, kSliderSnap, kInputPress, false, 150, -1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        hints.clear();
        held = c.held;
        GameObject slider = Make(c.length, c.min, c.max, c.flags);
        EXPECT_EQ(Input(slider, c.kind, c.a, 3), c.result);
        EXPECT_EQ(Value(slider), c.value);
        if (c.result != 0) {
            EXPECT_EQ(hints, std::vector<std::string>{std::to_string(c.value)});
        } else {
            EXPECT_TRUE(hints.empty());
        }
    }
}

// The slider at (100, 200) with a line of 200 takes the pointer from 5 pixels before the line to 5
// past its end, and 10 pixels above and below it; its right and bottom edges are outside.
TEST_F(SliderTest, TheHitAreaReachesFivePixelsPastEachEndOfTheLine) {
    struct Case {
        int32_t x, y;
        bool hit;
    };
    const Case cases[] = {{95, 200, true},  {94, 200, false},  {304, 200, true}, {305, 200, false},
                          {200, 190, true}, {200, 189, false}, {200, 209, true}, {200, 210, false}};
    GameObject slider = Make(200, 0, 100);
    for (const Case& c : cases) EXPECT_EQ(Control(slider).HitTest(c.x, c.y), c.hit) << c.x << "," << c.y;
}

TEST_F(SliderTest, HostileTickCountsAndFlags) {
    for (int32_t ticks : {-1, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()}) {
        SCOPED_TRACE(ticks);
        GameObject slider = Make(120, 0, 120, kSliderSnap);
        SliderObject::Of(slider.get()).SetInt(kSliderInnerTicks, ticks);
        EXPECT_EQ(Input(slider, kInputPress, 61, 0), -1);
        const int32_t value = Value(slider);
        EXPECT_GE(value, 0);
        EXPECT_LE(value, 120);
        Canvas();
        EXPECT_NO_THROW(Control(slider).Draw(game.Buffer()));
    }
}

TEST_F(SliderTest, DrawsLineTicksAndKnob) {
    GameObject slider = Make(120, 0, 120);
    CallMethod(slider.get(), 26, {60});
    ScreenBuffer& buffer = Canvas();
    Control(slider).Draw(buffer);
    const uint32_t line = game.Colours().Colour(1);
    ASSERT_NE(line, 0u);
    // The line from x 100 to 219 (the far end is not drawn), ticks every 20 pixels reaching to y 202.
    EXPECT_EQ(Pixel(100, 200), line);
    EXPECT_EQ(Pixel(219, 200), line);
    for (int32_t tx : {100, 120, 140, 200, 220}) EXPECT_EQ(Pixel(tx, 199), line) << tx;
    EXPECT_EQ(Pixel(110, 199), 0u);
    // The knob's 10x10 frame at offset 60 along the line.
    EXPECT_NE(Pixel(165, 205), 0u);
}

TEST_F(SliderTest, EqualBoundsDrawWithoutDividing) {
    GameObject slider = Make(60, 5, 5);
    ScreenBuffer& buffer = Canvas();
    Control(slider).Draw(buffer);
    const uint32_t line = game.Colours().Colour(1);
    for (int32_t tx : {100, 110, 120, 130, 140, 150, 160}) EXPECT_EQ(Pixel(tx, 199), line) << tx;
}

}  // namespace
