// Native method handlers. A method table slot that leads to a native method points at a
// MethodEntry {0, handler index}; the index selects a function in one process-wide table, so the
// record stays 8 bytes and a script value never holds a host code address.
#pragma once

#include <cstdint>

class ScriptObject;

// A native method: takes the receiving object, pops its arguments from the processor's data stack
// (last argument first) and pushes its results.
using NativeHandler = void (*)(ScriptObject* receiver);

struct MethodEntry {
    uint32_t marker;   // always 0: tells a native body from script code, whose first word is not 0
    uint32_t handler;  // index into the handler table; 0 while the entry is free
};
static_assert(sizeof(MethodEntry) == 8);

// Gives the handler's index, registering it on first use; one function always gets one index.
// Index 0 is never given out.
uint32_t NativeHandlerIndex(NativeHandler handler);
// The handler with that index; FatalExep for 0 or an index never given out.
NativeHandler NativeHandlerAt(uint32_t index);
// Number of indexes given out so far, plus one for the unused index 0.
uint32_t NativeHandlerCount();
