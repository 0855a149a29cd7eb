// Frame pacing: one frame every 28 ms. A 1 ms periodic tick counts the frame's milliseconds down and
// raises the frame-due flag when they are used up; the game thread's loops wait with FrameWait.
// The tick and the waiting code share only the two atomics.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "platform/timer.h"

class FrameTimer {
  public:
    static constexpr int32_t kFramePeriod = 28;

    FrameTimer() = default;
    FrameTimer(const FrameTimer&) = delete;
    FrameTimer& operator=(const FrameTimer&) = delete;
    ~FrameTimer();

    // Resets the flag and the countdown and starts ticking on the timer; true when ticking. A timer
    // that already runs keeps running (a second tick would count the frames twice as fast).
    bool StartFrameTimer(Timer& timer);
    // Safe when not running and twice. A stopped timer no longer sleeps in FrameWait.
    void StopFrameTimer();
    bool Running() const { return periodic_ != nullptr; }

    // The tick, once per millisecond on the timer's thread.
    void FrameTimerTick();
    // Game thread: sleeps once for the rest of the frame unless it is already due, then starts the
    // next frame's 28 ms.
    void FrameWait();

    bool FrameDue() const { return frameDue_.load(std::memory_order_acquire); }
    int32_t Countdown() const { return countdown_.load(std::memory_order_acquire); }

  private:
    std::atomic<bool> frameDue_{false};
    std::atomic<int32_t> countdown_{kFramePeriod};
    Timer* timer_ = nullptr;
    std::unique_ptr<PeriodicTimer> periodic_;
};

// The program's frame timer: start-up starts it, shutdown stops it, the loops wait on it.
FrameTimer& GameFrameTimer();
bool StartFrameTimer(Timer& timer);
void StopFrameTimer();
void FrameWait();
