#include "ui/scroll_box.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

TEST(ScrollBoxTest, ScrollStaysWithinContent) {
    struct Case {
        const char* name;
        int32_t contentBottom;  // of a view 50 tall
        uint32_t flags;
        int32_t start;
        int64_t delta;
        int32_t scrollY;
        bool down, up;
    };
    const Case cases[] = {
        {"down", 120, kScrollVertical, 0, 10, 10, true, true},
        {"to the limit", 120, kScrollVertical, 60, 10, 70, false, true},
        {"past the limit", 120, kScrollVertical, 60, 1000, 70, false, true},
        {"up past the top", 120, kScrollVertical, 5, -10, 0, true, false},
        {"huge down", 120, kScrollVertical, 0, int64_t{kMax} * 4, 70, false, true},
        {"huge up", 120, kScrollVertical, 30, -int64_t{kMax} * 4, 0, true, false},
        {"content that fits", 50, kScrollVertical, 0, 10, 0, false, false},
        {"scrolling off", 120, 0, 0, 30, 0, false, false},
        {"content at the 32-bit end", kMax, kScrollVertical, 0, kMax, kMax - 50, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScrollBox box = ScrollBox::ForView(100, 50);
        box.Cover(0, 0, 100, c.contentBottom);
        box.scrollFlags = c.flags;
        box.scrollY = c.start;
        box.Scroll(c.delta);
        EXPECT_EQ(box.scrollY, c.scrollY);
        EXPECT_EQ(box.canScrollDown, c.down);
        EXPECT_EQ(box.canScrollUp, c.up);
    }
}

TEST(ScrollBoxTest, CoverWidensAndSaturates) {
    ScrollBox box = ScrollBox::ForView(100, 50);
    box.Cover(-5, -7, 20, 20);
    EXPECT_EQ(box.contentLeft, -5);
    EXPECT_EQ(box.contentTop, -7);
    EXPECT_EQ(box.contentRight, 100);
    EXPECT_EQ(box.contentBottom, 50);
    box.Cover(kMax - 1, kMax - 1, kMax, kMax);
    EXPECT_EQ(box.contentRight, kMax);
    EXPECT_EQ(box.contentBottom, kMax);
}

}  // namespace
