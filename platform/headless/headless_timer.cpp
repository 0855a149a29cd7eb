#include "platform/headless/headless_timer.h"

#include <map>
#include <mutex>

struct HeadlessTimer::State {
    mutable std::mutex mutex;
    uint32_t now = 0;
    std::vector<uint32_t> sleeps;
    int nextId = 1;
    std::map<int, std::shared_ptr<Timer::Callback>> ticks;
};

namespace {

class ManualPeriodicTimer final : public PeriodicTimer {
  public:
    ManualPeriodicTimer(std::shared_ptr<HeadlessTimer::State> state, int id)
        : state_(std::move(state)), id_(id) {}
    ~ManualPeriodicTimer() override { Stop(); }

    void Stop() override {
        std::lock_guard lock(state_->mutex);
        state_->ticks.erase(id_);
    }
    bool Running() const override {
        std::lock_guard lock(state_->mutex);
        return state_->ticks.contains(id_);
    }

  private:
    std::shared_ptr<HeadlessTimer::State> state_;
    int id_;
};

}  // namespace

HeadlessTimer::HeadlessTimer() : state_(std::make_shared<State>()) {}

std::unique_ptr<PeriodicTimer> HeadlessTimer::StartPeriodic(Callback tick) {
    std::lock_guard lock(state_->mutex);
    const int id = state_->nextId++;
    state_->ticks.emplace(id, std::make_shared<Callback>(std::move(tick)));
    return std::make_unique<ManualPeriodicTimer>(state_, id);
}

uint32_t HeadlessTimer::Milliseconds() const {
    std::lock_guard lock(state_->mutex);
    return state_->now;
}

void HeadlessTimer::Sleep(uint32_t ms) {
    {
        std::lock_guard lock(state_->mutex);
        state_->sleeps.push_back(ms);
    }
    Advance(ms);
}

void HeadlessTimer::Advance(uint32_t ms) {
    std::vector<std::shared_ptr<Callback>> due;
    for (uint32_t i = 0; i < ms; ++i) {
        {
            // Ticks run unlocked, so a tick may start or stop timers.
            std::lock_guard lock(state_->mutex);
            ++state_->now;
            due.clear();
            for (const auto& [id, tick] : state_->ticks) due.push_back(tick);
        }
        for (const auto& tick : due) (*tick)();
    }
}

std::vector<uint32_t> HeadlessTimer::Sleeps() const {
    std::lock_guard lock(state_->mutex);
    return state_->sleeps;
}

int HeadlessTimer::RunningTimers() const {
    std::lock_guard lock(state_->mutex);
    return static_cast<int>(state_->ticks.size());
}
