#include "shell/frame_timer.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/headless/headless_timer.h"

namespace {

TEST(FrameTimer, RaisesTheFlagEvery28TicksAndHoldsTheCountdownWhileRaised) {
    HeadlessTimer clock;
    FrameTimer timer;
    ASSERT_TRUE(timer.StartFrameTimer(clock));
    EXPECT_FALSE(timer.FrameDue());
    EXPECT_EQ(timer.Countdown(), 28);

    clock.Advance(27);
    EXPECT_FALSE(timer.FrameDue());
    EXPECT_EQ(timer.Countdown(), 1);
    clock.Advance(1);
    EXPECT_TRUE(timer.FrameDue());
    clock.Advance(50);
    EXPECT_EQ(timer.Countdown(), 0);

    // The next frame is counted from the wait, not from when the flag rose.
    timer.FrameWait();
    EXPECT_FALSE(timer.FrameDue());
    EXPECT_EQ(timer.Countdown(), 28);
    clock.Advance(28);
    EXPECT_TRUE(timer.FrameDue());
}

TEST(FrameTimer, WaitSleepsForTheRestOfTheFrameOnly) {
    HeadlessTimer clock;
    FrameTimer timer;
    ASSERT_TRUE(timer.StartFrameTimer(clock));

    timer.FrameWait();  // right after the start: the whole frame
    clock.Advance(10);  // 10 ms of work
    timer.FrameWait();
    clock.Advance(40);  // 40 ms of work: the frame is already due
    timer.FrameWait();
    clock.Advance(27);
    timer.FrameWait();
    EXPECT_EQ(clock.Sleeps(), (std::vector<uint32_t>{28, 18, 1}));
    // The sleeps ran the ticks: each wait ended with a due frame and started the next one.
    EXPECT_EQ(clock.Milliseconds(), 28u + 10u + 18u + 40u + 27u + 1u);
    EXPECT_EQ(timer.Countdown(), 28);
}

TEST(FrameTimer, StartAndStop) {
    HeadlessTimer clock;
    FrameTimer timer;
    timer.StopFrameTimer();  // not running: nothing happens
    EXPECT_FALSE(timer.Running());

    ASSERT_TRUE(timer.StartFrameTimer(clock));
    clock.Advance(5);
    // Starting again resets the frame but keeps one tick: the countdown still falls by one a tick.
    ASSERT_TRUE(timer.StartFrameTimer(clock));
    EXPECT_EQ(clock.RunningTimers(), 1);
    clock.Advance(3);
    EXPECT_EQ(timer.Countdown(), 25);

    timer.StopFrameTimer();
    timer.StopFrameTimer();
    EXPECT_FALSE(timer.Running());
    EXPECT_EQ(clock.RunningTimers(), 0);
    clock.Advance(30);
    EXPECT_EQ(timer.Countdown(), 25);
}

}  // namespace
