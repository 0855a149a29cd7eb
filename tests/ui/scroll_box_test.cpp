#include "ui/scroll_box.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

// A 100x50 view over content 120 pixels tall.
ScrollBox TallContent() {
    ScrollBox box = ScrollBox::ForView(100, 50);
    box.Cover(0, 0, 100, 120);
    box.Scroll(0);
    return box;
}

TEST(ScrollBoxTest, ScrollStaysWithinContent) {
    struct Case {
        const char* name;
        int32_t start;
        int64_t delta;
        int32_t scrollY;
        bool down;
        bool up;
    };
    const Case cases[] = {
        {"none", 0, 0, 0, true, false},
        {"down", 0, 10, 10, true, true},
        {"to the limit", 60, 10, 70, false, true},
        {"past the limit", 60, 1000, 70, false, true},
        {"up past the top", 5, -10, 0, true, false},
        {"wheel toward the user", 0, -10 * -1, 10, true, true},
        {"huge down", 0, int64_t{kMax} * 4, 70, false, true},
        {"huge up", 30, -int64_t{kMax} * 4, 0, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScrollBox box = TallContent();
        box.scrollY = c.start;
        box.Scroll(c.delta);
        EXPECT_EQ(box.scrollY, c.scrollY);
        EXPECT_EQ(box.canScrollDown, c.down);
        EXPECT_EQ(box.canScrollUp, c.up);
    }
}

TEST(ScrollBoxTest, ContentThatFitsShowsNoArrows) {
    ScrollBox box = ScrollBox::ForView(100, 50);
    box.Cover(10, 10, 50, 40);
    for (int64_t delta : {0, 10, -10, 1000}) {
        box.Scroll(delta);
        EXPECT_EQ(box.scrollY, 0);
        EXPECT_FALSE(box.canScrollDown);
        EXPECT_FALSE(box.canScrollUp);
    }
}

TEST(ScrollBoxTest, ScrollingOffDoesNothing) {
    ScrollBox box = TallContent();
    box.scrollFlags = 0;
    box.Scroll(30);
    EXPECT_EQ(box.scrollY, 0);
    EXPECT_TRUE(box.canScrollDown);
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
    box.Scroll(int64_t{kMax});
    EXPECT_EQ(box.scrollY, kMax - 50);
    EXPECT_FALSE(box.canScrollDown);
}

}  // namespace
