#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>

#include "platform/headless/headless_timer.h"
#include "platform/system_timer.h"

namespace {

TEST(HeadlessTimerTest, AdvanceRunsEachRunningTickOncePerMillisecond) {
    HeadlessTimer clock;
    int a = 0;
    int b = 0;
    auto ta = clock.StartPeriodic([&] { ++a; });
    ASSERT_TRUE(ta);
    clock.Advance(28);
    EXPECT_EQ(a, 28);
    EXPECT_EQ(clock.Milliseconds(), 28u);

    auto tb = clock.StartPeriodic([&] { ++b; });
    clock.Advance(3);
    EXPECT_EQ(a, 31);
    EXPECT_EQ(b, 3);

    ta->Stop();
    ta->Stop();
    EXPECT_FALSE(ta->Running());
    tb.reset();  // destroying the handle stops it too
    EXPECT_EQ(clock.RunningTimers(), 0);
    clock.Advance(10);
    EXPECT_EQ(a, 31);
    EXPECT_EQ(b, 3);
    EXPECT_EQ(clock.Milliseconds(), 41u);
}

TEST(HeadlessTimerTest, SleepRecordsTheRequestAndLetsTheTicksRun) {
    HeadlessTimer clock;
    int countdown = 28;
    auto t = clock.StartPeriodic([&] { --countdown; });
    clock.Sleep(17);
    clock.Sleep(0);
    clock.Sleep(11);
    EXPECT_EQ(clock.Sleeps(), (std::vector<uint32_t>{17, 0, 11}));
    EXPECT_EQ(countdown, 0);
    EXPECT_EQ(clock.Milliseconds(), 28u);
}

TEST(SystemTimerTest, PeriodicThreadStartsTicksAndJoinsOnStop) {
    SystemTimer clock;
    std::atomic<int> ticks{0};
    std::atomic<bool> stopped{false};
    std::atomic<bool> tickAfterStop{false};
    std::promise<void> firstTick;
    auto t = clock.StartPeriodic([&] {
        if (stopped) tickAfterStop = true;
        if (ticks.fetch_add(1) == 0) firstTick.set_value();
    });
    ASSERT_TRUE(t);
    EXPECT_TRUE(t->Running());
    // Generous bound: only guards against a timer that never ticks.
    ASSERT_EQ(firstTick.get_future().wait_for(std::chrono::seconds(30)), std::future_status::ready);
    t->Stop();
    stopped = true;
    EXPECT_FALSE(t->Running());
    t->Stop();
    t.reset();
    EXPECT_FALSE(tickAfterStop);
    EXPECT_GE(ticks.load(), 1);
}

TEST(SystemTimerTest, TimersStopWhenDestroyedAndTheClockNeverGoesBack) {
    SystemTimer clock;
    std::atomic<int> ticks{0};
    for (int i = 0; i < 20; ++i) {
        auto t = clock.StartPeriodic([&] { ++ticks; });
        ASSERT_TRUE(t);
    }
    const uint32_t a = clock.Milliseconds();
    clock.Sleep(0);
    EXPECT_GE(clock.Milliseconds(), a);
}

}  // namespace
