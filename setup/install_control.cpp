#include "setup/install_control.h"

#include <utility>

bool InstallControl::Move(InstallState from, InstallState to) {
    int32_t expected = static_cast<int32_t>(from);
    if (!state_.compare_exchange_strong(expected, static_cast<int32_t>(to))) return false;
    state_.notify_all();
    return true;
}

void InstallControl::BeginEntry(const std::string& name) {
    std::lock_guard<std::mutex> lock(entryMutex_);
    begun_.push_back(name);
}

std::vector<std::string> InstallControl::TakeBegunEntries() {
    std::lock_guard<std::mutex> lock(entryMutex_);
    return std::exchange(begun_, {});
}

void InstallControl::Finish() {
    state_.store(static_cast<int32_t>(InstallState::Finished));
    state_.notify_all();
}

bool InstallControl::AbortRequested() {
    state_.wait(static_cast<int32_t>(InstallState::Paused));
    return State() == InstallState::Aborting;
}

void InstallControl::WaitUntilFinished() const {
    for (int32_t seen = state_.load(); seen != static_cast<int32_t>(InstallState::Finished);
         seen = state_.load()) {
        state_.wait(seen);
    }
}
