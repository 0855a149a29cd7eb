#include "screens/screen_teardown.h"

#include <utility>

#include "script/cleanup_steps.h"

ScreenTeardown::ScreenTeardown(MethodRunner& runner, std::vector<Step> steps)
    : runner_(runner), steps_(std::move(steps)) {}

ScreenTeardown::~ScreenTeardown() {
    std::vector<Step> steps;
    steps.swap(steps_);
    CleanupSteps cleanup(runner_, CleanupSteps::FirstError::kLog);
    for (const Step& step : steps) cleanup.Run(step);
}

void ScreenTeardown::Finish() {
    std::vector<Step> steps;
    steps.swap(steps_);
    CleanupSteps cleanup(runner_);
    for (const Step& step : steps) cleanup.Run(step);
    cleanup.Finish();
}
