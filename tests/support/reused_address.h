// Objects at an address a deleted object had: script object headers are handed out again, so a
// holder that kept the old object's address must not take the new one for it. Tests of weak
// references make the new object with this.
#pragma once

#include <cstdint>
#include <functional>

class ScriptObject;

// Calls make until the object it gives has the script value address (that of an object deleted
// before) and gives that object; the misses stay with whoever make handed them to, so that they
// keep their addresses. Null after 64 tries. make keeps what it makes (the caller destroys it).
ScriptObject* MakeAtAddress(uint32_t address, const std::function<ScriptObject*()>& make);
