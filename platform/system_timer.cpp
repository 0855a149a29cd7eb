#include "platform/system_timer.h"

#include <condition_variable>
#include <mutex>
#include <stop_token>
#include <system_error>
#include <thread>

namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

class ThreadPeriodicTimer final : public PeriodicTimer {
  public:
    explicit ThreadPeriodicTimer(Timer::Callback tick)
        : thread_([this, tick = std::move(tick)](std::stop_token stop) { Run(stop, tick); }) {}
    ~ThreadPeriodicTimer() override { Stop(); }

    void Stop() override {
        if (!thread_.joinable()) return;
        thread_.request_stop();
        thread_.join();
    }
    bool Running() const override { return thread_.joinable(); }

  private:
    void Run(const std::stop_token& stop, const Timer::Callback& tick) {
        // Deadlines advance from a fixed start, so the period does not drift with the callback's cost.
        auto next = steady_clock::now();
        std::unique_lock lock(mutex_);
        while (!stop.stop_requested()) {
            next += milliseconds(1);
            wake_.wait_until(lock, stop, next, [] { return false; });
            if (stop.stop_requested()) break;
            tick();
            // After a stall (suspend, debugger) start afresh instead of replaying the missed ticks.
            const auto now = steady_clock::now();
            if (now - next > milliseconds(100)) next = now;
        }
    }

    std::mutex mutex_;
    std::condition_variable_any wake_;
    std::jthread thread_;  // last member: the thread starts after the rest is built
};

}  // namespace

SystemTimer::SystemTimer() : origin_(steady_clock::now()) {}

std::unique_ptr<PeriodicTimer> SystemTimer::StartPeriodic(Callback tick) {
    try {
        return std::make_unique<ThreadPeriodicTimer>(std::move(tick));
    } catch (const std::system_error&) {
        return nullptr;
    }
}

uint32_t SystemTimer::Milliseconds() const {
    const auto ms = std::chrono::duration_cast<milliseconds>(steady_clock::now() - origin_).count();
    return static_cast<uint32_t>(ms);
}

void SystemTimer::Sleep(uint32_t ms) {
    std::this_thread::sleep_for(milliseconds(ms));
}
