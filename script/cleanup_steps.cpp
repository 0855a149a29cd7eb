#include "script/cleanup_steps.h"

#include <utility>

#include "foundation/exceptions.h"
#include "script/zema_class.h"

namespace {

MethodRunner* RunnerOfObject(const ScriptObject* object) {
    const ZEMAClass* cls = object != nullptr ? object->Class() : nullptr;
    return cls != nullptr ? cls->GetProcessor() : nullptr;
}

}  // namespace

CleanupSteps::CleanupSteps(Runner runner, FirstError first)
    : runner_(runner.runner), logAll_(first == FirstError::kLog || std::uncaught_exceptions() > 0) {}

CleanupSteps::CleanupSteps(const ScriptObject* owner, FirstError first)
    : CleanupSteps(Runner{RunnerOfObject(owner)}, first) {}

CleanupSteps::CleanupSteps(MethodRunner& runner, FirstError first) : CleanupSteps(Runner{&runner}, first) {}

CleanupSteps::~CleanupSteps() {
    if (first_ == nullptr) return;
    try {
        std::rethrow_exception(first_);
    } catch (...) {
        LogHandledError();
    }
}

void CleanupSteps::OnError(const RunnerState& before) noexcept {
    if (!logAll_ && first_ == nullptr) {
        first_ = std::current_exception();
        return;
    }
    LogHandledError();
    if (runner_ != nullptr) runner_->RestoreState(before);
}

void CleanupSteps::Finish() {
    if (first_ == nullptr) return;
    std::exception_ptr first = nullptr;
    std::swap(first, first_);
    std::rethrow_exception(first);
}
