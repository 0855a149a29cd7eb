// The state an install's worker shares with the thread that watches it: the install state word, the
// progress percent and the names of the entries it has begun. Every change of state is one
// compare-and-exchange, so a request never undoes the worker's end and the worker never misses an abort.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

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
    // Worker side: the extraction of this archive entry (its stored name) begins.
    void BeginEntry(const std::string& name);
    // Watcher side: the entries begun since the last call, in order, so that each is named once
    // however far the watcher falls behind.
    std::vector<std::string> TakeBegunEntries();

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
    std::mutex entryMutex_;
    std::vector<std::string> begun_;
};
