// A manual clock for tests: time moves only when the test advances it, and the periodic ticks run
// synchronously on the advancing thread, so frame pacing can be checked without real time.
#pragma once

#include <memory>
#include <vector>

#include "platform/timer.h"

class HeadlessTimer final : public Timer {
  public:
    HeadlessTimer();

    std::unique_ptr<PeriodicTimer> StartPeriodic(Callback tick) override;
    uint32_t Milliseconds() const override;
    // Advances the clock by ms instead of sleeping, and records the request.
    void Sleep(uint32_t ms) override;

    // Moves the clock on by ms, one millisecond at a time, running every running tick once per step.
    void Advance(uint32_t ms);
    std::vector<uint32_t> Sleeps() const;  // every Sleep request, in order
    int RunningTimers() const;

    struct State;  // the clock, the sleep record and the running ticks

  private:
    std::shared_ptr<State> state_;  // shared with the timers handed out
};
