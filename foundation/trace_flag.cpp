#include "foundation/trace_flag.h"

#include <atomic>

namespace {
// Written before the game thread starts; atomic so that the read on that thread is well defined.
std::atomic<bool> traceFlag{false};
}  // namespace

bool TraceFlag() {
    return traceFlag.load(std::memory_order_relaxed);
}
void SetTraceFlag(bool on) {
    traceFlag.store(on, std::memory_order_relaxed);
}
