#include "foundation/word.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

TEST(WordTest, KeepsTheBitsOfASignedValue) {
    const struct {
        int32_t value;
        uint32_t word;
    } cases[] = {{0, 0u}, {1, 1u}, {-1, 0xFFFFFFFFu}, {kMax, 0x7FFFFFFFu}, {kMin, 0x80000000u}};
    for (const auto& c : cases) EXPECT_EQ(Word(c.value), c.word) << c.value;
}

TEST(WordTest, AddsWrappingInThirtyTwoBits) {
    const struct {
        int32_t a;
        int32_t b;
        int32_t sum;
    } cases[] = {{2, 3, 5}, {-7, 3, -4}, {kMax, 1, kMin}, {kMin, -1, kMax}, {kMin, kMin, 0}};
    for (const auto& c : cases) EXPECT_EQ(WrappingAdd(c.a, c.b), c.sum) << c.a << " + " << c.b;
}

}  // namespace
