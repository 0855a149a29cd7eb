// The five window message numbers reserved for talking to a script debugger. The names are the
// interface: every process that registers a name gets the same number. The game only registers
// them, at the beginning of start-up (so that a failure takes the start-up error path); it neither
// sends nor handles any of them.
#pragma once

#include <cstdint>

enum class DebuggerMessage : uint32_t {
    CheckDebugPresence,  // "CheckDebugPresenceMessage"
    StartedDebugger,     // "StartedDebuggerMessage"
    QuitDebugger,        // "QuitDebuggerMessage"
    StartDebug,          // "StartDebugMessage"
    DebugStarted,        // "DebugStartedMessage"
};
constexpr uint32_t kDebuggerMessageCount = 5;

// The registered name of a message.
const char* DebuggerMessageName(DebuggerMessage message);
// Its number; 0 until registered.
uint32_t DebuggerMessageNumber(DebuggerMessage message);

// The number registered for a window message name: the same in every process, in the range that
// registered messages take (0xC000 to 0xFFFF), so never one the window procedure handles; 0 for a
// name that cannot be registered.
uint32_t RegisterWindowMessageName(const char* name);

using MessageRegistrar = uint32_t (*)(const char* name);
// Registers the five names in order, stopping at the first that gets 0: FatalExep "Unable to
// register window messages" (the names after it stay 0).
void RegisterDebuggerMessages(MessageRegistrar registrar = RegisterWindowMessageName);
