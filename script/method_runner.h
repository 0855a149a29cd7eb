// What the class system needs from the processor: running a method of an object from native code,
// and the data stack through which natives take arguments and give results. The processor
// implements it; every class descriptor keeps a pointer to its runner.
#pragma once

#include <cstdint>
#include <vector>

#include "script/d_stack.h"

class ScriptObject;
class ZEMAClass;

// Where a runner stands: its PC and the depth of each of its stacks, and, when asked for, what its
// stacks hold, so that a failed step can be undone exactly.
struct RunnerState {
    static constexpr int kStacks = 6;  // data, locals, objects, returns, classes, trace
    uint32_t pc = 0;
    uint32_t depths[kStacks] = {};
    // Empty unless the contents were saved: each stack's slots from the bottom to its depth.
    std::vector<uint32_t> contents[kStacks];
};

class MethodRunner {
  public:
    virtual ~MethodRunner() = default;

    // Method number of the given class on the object, script code or native.
    virtual void CallMethod(ScriptObject* object, ZEMAClass* cls, uint32_t number) = 0;
    // Virtual method number of the object's own class.
    virtual void CallVirtual(ScriptObject* object, uint32_t number) = 0;

    virtual DStack<uint32_t>& DataStack() = 0;
    // Hands a new object to the caller: pushes its address on the data stack and the object stack.
    virtual void PushObject(uint32_t address) = 0;
    // Counts one round of a native loop whose length a script chose. Every so often, as script
    // jumps and calls do, it asks whether the run must stop, and may throw to end it.
    virtual void CountLoopRound() {}

    // Where the runner stands now; with contents, also what its stacks hold.
    virtual RunnerState SaveState(bool contents) const {
        (void)contents;
        return {};
    }
    // Puts the runner back where a saved state says: PC, every depth, and the contents when saved.
    virtual void RestoreState(const RunnerState& state) { (void)state; }
};
