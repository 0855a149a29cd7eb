// What a screen lets go of when it ends: its window's controls, the shared objects it made, what it
// still holds. Finish, on the normal path, runs every step and passes the first error of a script
// destructor on once all ran; a screen left by an error instead runs them from the destructor,
// where every error is logged.
#pragma once

#include <functional>
#include <vector>

class MethodRunner;

class ScreenTeardown {
  public:
    using Step = std::function<void()>;

    ScreenTeardown(MethodRunner& runner, std::vector<Step> steps);
    ~ScreenTeardown();
    ScreenTeardown(const ScreenTeardown&) = delete;
    ScreenTeardown& operator=(const ScreenTeardown&) = delete;

    // Runs the steps unless they ran; the first error passes on.
    void Finish();

  private:
    MethodRunner& runner_;
    std::vector<Step> steps_;  // empty once run
};
