// Time services: a periodic 1 ms tick on a thread of its own (the frame pacing counts it), a
// millisecond clock and sleep. The engine only talks to `Timer`; the backend decides what time is.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

// A running periodic tick. Destroying it stops it; after Stop returns the callback is not running
// and will not run again. Stop must not be called from inside the callback.
class PeriodicTimer {
  public:
    virtual ~PeriodicTimer() = default;
    virtual void Stop() = 0;  // safe to call twice
    virtual bool Running() const = 0;
};

class Timer {
  public:
    using Callback = std::function<void()>;

    virtual ~Timer() = default;
    // Calls tick once per millisecond until the returned timer is stopped; null when no timer could
    // be started. The Timer must outlive the timers it starts.
    virtual std::unique_ptr<PeriodicTimer> StartPeriodic(Callback tick) = 0;
    // Milliseconds since an arbitrary origin; wraps like a 32-bit tick count.
    virtual uint32_t Milliseconds() const = 0;
    virtual void Sleep(uint32_t ms) = 0;
};
