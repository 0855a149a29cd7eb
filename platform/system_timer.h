// The real clock: steady_clock time, a thread per periodic tick, and real sleeps. Needs nothing but
// the standard library, so it is always built.
#pragma once

#include <chrono>

#include "platform/timer.h"

class SystemTimer final : public Timer {
  public:
    SystemTimer();

    std::unique_ptr<PeriodicTimer> StartPeriodic(Callback tick) override;
    uint32_t Milliseconds() const override;
    void Sleep(uint32_t ms) override;

  private:
    std::chrono::steady_clock::time_point origin_;
};
