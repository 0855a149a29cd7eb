// The star-system window's date steps and the distinct random pick of the periodic-event pass.
#include "campaign/date_steps.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "foundation/random.h"
#include "ui/gtime.h"

namespace {

TEST(DateSteps, EachCodeSetsItsAmountAndReadsBack) {
    struct Case {
        int32_t code;
        GTime amount;
    };
    const Case cases[] = {{1, GTime(0, 100)}, {2, GTime(0, 10000)}, {3, GTime(0, 20000)}, {4, GTime(1, 0)}};
    for (const Case& c : cases) {
        GTime step(5, 5);
        EXPECT_TRUE(SetDateStep(step, c.code)) << c.code;
        EXPECT_EQ(step, c.amount) << c.code;
        EXPECT_EQ(DateStepCode(step), c.code) << c.code;
    }
}

TEST(DateSteps, UnknownCodesLeaveTheStep) {
    for (int32_t code : {0, 5, -1, 1000}) {
        GTime step(0, 10000);
        EXPECT_FALSE(SetDateStep(step, code)) << code;
        EXPECT_EQ(step, GTime(0, 10000)) << code;
    }
}

TEST(DateSteps, CodeOfAnyAmount) {
    struct Case {
        GTime step;
        int32_t code;
    };
    const Case cases[] = {
        {GTime(0, 1), 1},       // the step at creation: one second
        {GTime(0, 9999), 1},    // just under an hour
        {GTime(0, 15000), 2},   // an hour and a half
        {GTime(0, 99999), 3},   // nine hours and more
        {GTime(1000, 0), 4},    // a whole year
        {GTime(2001, 0), 4},    // days beside years
        {GTime(-1, 20000), 3},  // no days when the date is negative: the hours decide
        {GTime(0, -10000), 1},  // a negative hour counts as below one
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DateStepCode(c.step), c.code) << c.step.Date() << " " << c.step.Time();
    }
}

TEST(PeriodicEvents, DistinctPickWithFixedSeeds) {
    struct Case {
        uint32_t seed, count, wanted;
        std::vector<uint32_t> picked;
        int32_t nextDraw;  // the generator's next value: the pick took exactly its draws
    };
    // Worked out by hand from the generator (state x 214013 + 2531011, bits 16-30) and the draw
    // rule: a first draw below the last index is replaced by a second draw.
    const Case cases[] = {
        {1, 10, 3, {4, 5, 8}, 11478},
        {7, 4, 4, {0, 1, 2, 3}, 6215},
        {1, 1, 1, {0}, 18467},        // one event: always index 0
        {3, 3, 5, {0, 1, 2}, 21578},  // asks for more than the group holds: all of them
        {1, 5, 0, {}, 41},            // asks for none
        {1, 0, 3, {}, 41},            // an empty group
        {12345, 100000, 4, {16519, 58483, 67520, 71426}, 29072},
        {1, 1u << 24, 2, {9455104, 13568000}, 19169},  // a draw times the count passes 32 bits
        // The first draw lands on the last index: it is taken without a second draw (3 draws, not 4).
        {10000, 4, 2, {1, 3}, 20150},
    };
    for (const Case& c : cases) {
        SeedRandom(c.seed);
        EXPECT_EQ(PickDistinctEvents(c.count, c.wanted), c.picked) << c.seed << " " << c.count;
        EXPECT_EQ(EngineRand(), c.nextDraw) << c.seed << " " << c.count;
    }
    SeedRandom(1);
}

TEST(PeriodicEvents, PickFromAHugeGroupEnds) {
    // Only 32768 indexes of a longer group can be drawn: asking for more takes all of those.
    SeedRandom(3);
    const std::vector<uint32_t> picked = PickDistinctEvents(100000, 50000);
    EXPECT_EQ(picked.size(), 32768u);
    EXPECT_LT(picked.back(), 100000u);
    SeedRandom(1);
}

}  // namespace
