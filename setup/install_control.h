// The state an install's worker shares with the thread that watches it: the install state word, the
// progress percent and the name of the entry being extracted. Every change of state is one
// compare-and-exchange, so a request never undoes the worker's end and the worker never misses an abort.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

enum class InstallState : int32_t {
    Idle = 0,  // before Install
    Running = 1,
    Paused = 2,    // the cancel question is open
    Aborting = 3,  // the user answered yes: the worker rolls back
    Finished = 4,  // the worker has ended, whatever the outcome
};

class InstallControl {
  public:
    InstallState State() const { return static_cast<InstallState>(state_.load()); }
    int32_t Percent() const { return percent_.load(); }
    void SetPercent(int32_t percent) { percent_.store(percent); }
    // The archive entry the worker is extracting (its stored name); empty before the first.
    std::string Entry() const;
    void SetEntry(const std::string& name);

    // Idle -> Running.
    bool Begin() { return Move(InstallState::Idle, InstallState::Running); }
    // Running -> Paused; false when the worker has already finished.
    bool Pause() { return Move(InstallState::Running, InstallState::Paused); }
    // Paused -> Running.
    bool Resume() { return Move(InstallState::Paused, InstallState::Running); }
    // Paused or Running -> Aborting; false when the worker has already finished.
    bool Abort() {
        return Move(InstallState::Paused, InstallState::Aborting) ||
               Move(InstallState::Running, InstallState::Aborting);
    }
    // The worker's end; wakes every waiter.
    void Finish();

    // Worker side: blocks while the state is Paused; true when the user asked to abort.
    bool AbortRequested();
    // Watcher side: blocks until the worker has finished.
    void WaitUntilFinished() const;

  private:
    bool Move(InstallState from, InstallState to);

    std::atomic<int32_t> state_{static_cast<int32_t>(InstallState::Idle)};
    std::atomic<int32_t> percent_{0};
    mutable std::mutex entryMutex_;
    std::string entry_;
};
