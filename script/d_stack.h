// Fixed-capacity stack of 32-bit words: the processor's typed stacks. The element type only says
// what the owner keeps there (integers, code addresses, object or class addresses, trace records);
// every slot is one 32-bit word in the script address space; the depth and capacity stay on the
// host side, out of scripts' reach.
#pragma once

#include <cstdint>

#include "foundation/exceptions.h"
#include "foundation/script_memory.h"

[[noreturn]] void ThrowDStackOverflow();
[[noreturn]] void ThrowDStackUnderflow();

template <class T = uint32_t>
class DStack {
  public:
    // Slot 0 is never written, so a stack of capacity N holds N - 1 values.
    explicit DStack(int32_t capacity)
        : capacity_(capacity < 1 ? 1 : capacity),
          base_(static_cast<uint32_t*>(ScriptAlloc(sizeof(uint32_t) * static_cast<uint32_t>(capacity_)))) {}
    ~DStack() { ScriptFree(base_); }
    DStack(const DStack&) = delete;
    DStack& operator=(const DStack&) = delete;

    void Push(uint32_t value) {
        if (depth_ + 1 >= static_cast<uint32_t>(capacity_)) ThrowDStackOverflow();
        base_[++depth_] = value;
    }
    uint32_t Pop() {
        if (depth_ == 0) ThrowDStackUnderflow();
        return base_[depth_--];
    }
    // Writable slot d places below the top (0 = top).
    uint32_t& Peek(uint32_t d) {
        if (d >= depth_) ThrowDStackUnderflow();
        return base_[depth_ - d];
    }
    // Underflow error when there is nothing on the stack.
    void CheckNotEmpty() const {
        if (depth_ == 0) ThrowDStackUnderflow();
    }
    // Moves the top by n slots; new slots keep what the array holds, discarded ones are not read.
    void Reserve(int32_t n) {
        if (n < 0) {
            if (static_cast<uint32_t>(-static_cast<int64_t>(n)) > depth_) ThrowDStackUnderflow();
        } else if (uint64_t{depth_} + 1 + static_cast<uint32_t>(n) >= static_cast<uint32_t>(capacity_)) {
            ThrowDStackOverflow();
        }
        depth_ = static_cast<uint32_t>(static_cast<int64_t>(depth_) + n);
    }
    void Drop(uint32_t n) {
        if (depth_ < n) ThrowDStackUnderflow();
        depth_ -= n;
    }
    // Cuts the stack back to a depth it had before (for stack repair); never grows it.
    void TruncateTo(uint32_t depth) {
        if (depth < depth_) depth_ = depth;
    }

    // For an owner that keeps the top in a register while it runs (the processor's dispatch
    // loop): the slot array, and the depth written back, which must stay below the capacity.
    uint32_t* Slots() { return base_; }
    const uint32_t* Slots() const { return base_; }
    void SetDepth(uint32_t depth) { depth_ = depth; }

    uint32_t Depth() const { return depth_; }
    int32_t Capacity() const { return capacity_; }
    // Script address of the top slot (the base slot when empty).
    uint32_t TopAddress() const { return ToScript(base_ + depth_); }
    uint32_t BaseAddress() const { return ToScript(base_); }

  private:
    int32_t capacity_;
    uint32_t* base_;
    uint32_t depth_ = 0;
};
