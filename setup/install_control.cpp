#include "setup/install_control.h"

bool InstallControl::Move(InstallState from, InstallState to) {
    int32_t expected = static_cast<int32_t>(from);
    if (!state_.compare_exchange_strong(expected, static_cast<int32_t>(to))) return false;
    state_.notify_all();
    return true;
}

std::string InstallControl::Entry() const {
    std::lock_guard<std::mutex> lock(entryMutex_);
    return entry_;
}

void InstallControl::SetEntry(const std::string& name) {
    std::lock_guard<std::mutex> lock(entryMutex_);
    entry_ = name;
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
