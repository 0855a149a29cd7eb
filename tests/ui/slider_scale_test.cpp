#include "ui/slider_scale.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace {

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

struct PressCase {
    const char* name;
    SliderScale scale;
    bool snap;
    int32_t a;
    int32_t value;
};

TEST(SliderScaleTest, PressGivesValue) {
    const PressCase cases[] = {
        {"middle", {0, 100, 200, 5}, false, 150, 75},
        {"left of line", {0, 100, 200, 5}, false, -20, 0},
        {"right of line", {0, 100, 200, 5}, false, 500, 100},
        {"snap down to tick", {0, 120, 120, 5}, true, 29, 20},
        {"snap up to tick", {0, 120, 120, 5}, true, 31, 40},
        {"snap at the end", {0, 120, 120, 5}, true, 120, 120},
        {"equal bounds", {7, 7, 100, 5}, false, 50, 7},
        {"no length", {0, 100, 0, 5}, false, 50, 0},
        {"negative length", {0, 100, -30, 5}, true, 50, 0},
        {"no intervals", {0, 100, 100, -1}, true, 70, 100},
        {"intervals below zero", {0, 100, 100, kMin}, true, 40, 0},
        {"huge tick count", {0, 100, 100, kMax}, true, 41, 41},
        {"whole 32-bit range", {kMin, kMax, 100, 5}, false, 100, kMax},
        {"whole range, start", {kMin, kMax, 100, 5}, false, 0, kMin},
        {"bounds swapped by a script", {100, 0, 100, 5}, false, 25, 75},
        {"negative bounds", {-50, -10, 40, 3}, false, 10, -40},
    };
    for (const PressCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.scale.ValueAtOffset(c.scale.PointerOffset(c.a, c.snap)), c.value);
    }
}

TEST(SliderScaleTest, TicksAndLabels) {
    struct Case {
        const char* name;
        SliderScale scale;
        std::vector<int32_t> offsets;
        std::vector<int32_t> labels;
    };
    const Case cases[] = {
        {"five inner ticks", {0, 100, 120, 5}, {0, 19, 39, 60, 79, 99, 120}, {0, 16, 33, 50, 66, 83, 100}},
        {"truncated steps", {10, 17, 70, 2}, {0, 20, 40, 70}, {10, 12, 14, 17}},
        {"equal bounds", {5, 5, 90, 2}, {0, 30, 60, 90}, {5, 5, 5, 5}},
        {"no inner ticks", {-3, 3, 10, 0}, {0, 10}, {-3, 3}},
        {"whole 32-bit range", {kMin, kMax, 100, 0}, {0, 100}, {kMin, kMax}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(c.scale.Intervals() + 1, static_cast<int32_t>(c.offsets.size()));
        for (int32_t k = 0; k <= c.scale.Intervals(); ++k) {
            EXPECT_EQ(c.scale.TickOffset(k), c.offsets[k]) << "tick " << k;
            EXPECT_EQ(c.scale.TickLabel(k), c.labels[k]) << "tick " << k;
        }
    }
}

TEST(SliderScaleTest, KnobStaysOnTheLine) {
    struct Case {
        const char* name;
        SliderScale scale;
        int32_t value;
        int32_t offset;
    };
    const Case cases[] = {
        {"minimum", {0, 100, 200, 5}, 0, 0},
        {"inside", {0, 100, 200, 5}, 75, 150},
        {"maximum", {0, 100, 200, 5}, 100, 200},
        {"below the range", {0, 100, 200, 5}, -1000, 0},
        {"above the range", {0, 100, 200, 5}, kMax, 200},
        {"equal bounds", {3, 3, 200, 5}, 50, 0},
        {"no length", {0, 100, 0, 5}, 50, 0},
        {"whole 32-bit range", {kMin, kMax, 100, 5}, kMax, 100},
        {"bounds swapped", {100, 0, 100, 5}, 0, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.scale.KnobOffset(c.value), c.offset);
    }
}

}  // namespace
