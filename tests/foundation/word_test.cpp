#include "foundation/word.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

TEST(WordTest, AddsWrappingInThirtyTwoBits) {
    const struct {
        int32_t a;
        int32_t b;
        int32_t sum;
    } cases[] = {{2, 3, 5}, {-7, 3, -4}, {kMax, 1, kMin}, {kMin, -1, kMax}, {kMin, kMin, 0}};
    for (const auto& c : cases) EXPECT_EQ(WrappingAdd(c.a, c.b), c.sum) << c.a << " + " << c.b;
}

}  // namespace
