// Clean-up steps that must all run whatever each of them does: the destruction of an object (its
// destructor methods, then what it owns), the objects a list lets go of, the parts of a window. The
// first error of a step is kept and passed on by Finish once the last step has run, so that an
// error of a destructor method reaches the caller as any script error does, but only once the
// destruction is complete. An error after it, or any error while another one is already on its
// way (steps that run during unwinding), is written to the log and goes no further; the runner is
// then put back where it stood before that step, so that the error that does go on still finds the
// call stack it was raised in. While the steps run, destroyed objects keep their memory, so that the
// steps may go over pointers taken before the first one ran.
#pragma once

#include <exception>

#include "script/method_runner.h"
#include "script/object_lifetime.h"

class ScriptObject;
class CleanupSteps {
  public:
    enum class FirstError {
        kPassOn,  // Finish passes the first error on
        kLog,     // every error is logged: for clean-up where no error may leave
    };

    // The steps' scripts run on the runner of the owner's class (none: nothing to put back).
    explicit CleanupSteps(const ScriptObject* owner, FirstError first = FirstError::kPassOn);
    explicit CleanupSteps(MethodRunner& runner, FirstError first = FirstError::kPassOn);
    // Logs a kept error that Finish did not pass on.
    ~CleanupSteps();
    CleanupSteps(const CleanupSteps&) = delete;
    CleanupSteps& operator=(const CleanupSteps&) = delete;

    template <class F>
    void Run(F&& step) noexcept {
        // A step whose error will be logged is undone whole, what it popped or overwrote below the
        // depths it began at included; one whose error passes on is not undone, so its depths do.
        const bool undone = logAll_ || first_ != nullptr;
        const RunnerState before = runner_ != nullptr ? runner_->SaveState(undone) : RunnerState{};
        try {
            step();
        } catch (...) {
            OnError(before);
        }
    }
    // Throws the first error a step raised, if any.
    void Finish();
    bool Failed() const { return first_ != nullptr; }

  private:
    struct Runner {
        MethodRunner* runner;
    };
    CleanupSteps(Runner runner, FirstError first);
    // In the catch block of a step that failed.
    void OnError(const RunnerState& before) noexcept;

    ReleaseHold hold_;
    MethodRunner* runner_;
    std::exception_ptr first_;
    bool logAll_;
};
