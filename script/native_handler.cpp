#include "script/native_handler.h"

#include <array>
#include <atomic>
#include <mutex>
#include <unordered_map>

#include "foundation/exceptions.h"

namespace {

// Fixed capacity, so that a reader never sees the table move while another thread registers.
constexpr uint32_t kMaxHandlers = 1u << 16;

struct HandlerTable {
    std::mutex mutex;
    std::unordered_map<NativeHandler, uint32_t> indexOf;
    std::array<std::atomic<NativeHandler>, kMaxHandlers> handlers{};
    std::atomic<uint32_t> count{1};
};

HandlerTable& Table() {
    static HandlerTable table;
    return table;
}

}  // namespace

uint32_t NativeHandlerIndex(NativeHandler handler) {
    if (handler == nullptr) throw FatalExep(String("Null native handler"));
    HandlerTable& t = Table();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto found = t.indexOf.find(handler);
    if (found != t.indexOf.end()) return found->second;
    const uint32_t index = t.count.load(std::memory_order_relaxed);
    if (index >= kMaxHandlers) throw FatalExep(String("Too many native handlers"));
    t.handlers[index].store(handler, std::memory_order_relaxed);
    t.indexOf.emplace(handler, index);
    t.count.store(index + 1, std::memory_order_release);
    return index;
}

NativeHandler NativeHandlerAt(uint32_t index) {
    HandlerTable& t = Table();
    if (index == 0 || index >= t.count.load(std::memory_order_acquire)) {
        ThrowFatal("Native handler %d is not defined", static_cast<int>(index));
    }
    return t.handlers[index].load(std::memory_order_relaxed);
}

uint32_t NativeHandlerCount() {
    return Table().count.load(std::memory_order_acquire);
}
