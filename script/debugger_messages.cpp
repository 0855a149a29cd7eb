#include "script/debugger_messages.h"

#include <atomic>
#include <cstring>

#include "foundation/exceptions.h"

namespace {

constexpr const char* kNames[kDebuggerMessageCount] = {
    "CheckDebugPresenceMessage", "StartedDebuggerMessage", "QuitDebuggerMessage",
    "StartDebugMessage",         "DebugStartedMessage",
};

// There is no system-wide registry here: each name has a fixed number.
constexpr uint32_t kFirstNumber = 0xC0D0;

std::atomic<uint32_t> numbers[kDebuggerMessageCount];

}  // namespace

const char* DebuggerMessageName(DebuggerMessage message) {
    return kNames[static_cast<uint32_t>(message)];
}

uint32_t DebuggerMessageNumber(DebuggerMessage message) {
    return numbers[static_cast<uint32_t>(message)].load(std::memory_order_acquire);
}

uint32_t RegisterWindowMessageName(const char* name) {
    if (name == nullptr) return 0;
    for (uint32_t i = 0; i < kDebuggerMessageCount; ++i) {
        if (std::strcmp(name, kNames[i]) == 0) return kFirstNumber + i;
    }
    return 0;
}

void RegisterDebuggerMessages(MessageRegistrar registrar) {
    for (std::atomic<uint32_t>& number : numbers) number.store(0, std::memory_order_release);
    for (uint32_t i = 0; i < kDebuggerMessageCount; ++i) {
        const uint32_t number = registrar(kNames[i]);
        if (number == 0) throw FatalExep(String("Unable to register window messages"));
        numbers[i].store(number, std::memory_order_release);
    }
}
