#include "ui/draw_state.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

constexpr int64_t kMin = std::numeric_limits<int32_t>::min();
constexpr int64_t kMax = std::numeric_limits<int32_t>::max();

TEST(DrawStateTest, BoxHoldsItsLeftAndTopEdgesButNotItsRightAndBottomAndNoSizeHoldsNothing) {
    const struct {
        int64_t x;
        int64_t y;
        bool inside;
        int64_t width = 4;
        int64_t height = 5;
    } cases[] = {{10, 20, true}, {13, 24, true},  {14, 20, false},    {10, 25, false},
                 {9, 20, false}, {10, 19, false}, {10, 20, false, 0}, {10, 20, false, 4, -1}};
    for (const auto& c : cases)
        EXPECT_EQ(InBox(c.x, c.y, 10, 20, c.width, c.height), c.inside)
            << c.x << "," << c.y << " " << c.width;
}

TEST(DrawStateTest, BoxRectHoldsItsEdgesToThirtyTwoBits) {
    const struct {
        int64_t left, top, width, height;
        Rect rect;
    } cases[] = {
        {1, 2, 3, 4, {1, 2, 4, 6}},
        {kMax - 1, 0, 10, 10, {static_cast<int32_t>(kMax - 1), 0, static_cast<int32_t>(kMax), 10}},
        {kMin,
         kMin - 5,
         -1,
         1,
         {static_cast<int32_t>(kMin), static_cast<int32_t>(kMin), static_cast<int32_t>(kMin),
          static_cast<int32_t>(kMin)}},
    };
    for (const auto& c : cases) {
        const Rect r = BoxRect(c.left, c.top, c.width, c.height);
        EXPECT_EQ(r.left, c.rect.left);
        EXPECT_EQ(r.top, c.rect.top);
        EXPECT_EQ(r.right, c.rect.right);
        EXPECT_EQ(r.bottom, c.rect.bottom);
    }
}

}  // namespace
