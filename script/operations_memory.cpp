// ProcessorOps on blocks of script memory and the script heap. Every range is checked against the
// script address space before a byte is touched.
#include <cstring>

#include "foundation/code_pages.h"
#include "foundation/exceptions.h"
#include "script/operations.h"
#include "script/processor.h"

namespace {

uint8_t* Range(uint32_t address, uint64_t size) {
    // A size beyond the whole region can never fit; CheckScriptRange takes 32 bits.
    CheckScriptRange(address, size > kScriptRegionSize ? 0xFFFFFFFFu : static_cast<uint32_t>(size));
    return FromScript<uint8_t>(address);
}

// A range that is written: decoded code of its pages is dropped.
uint8_t* WritableRange(uint32_t address, uint64_t size) {
    uint8_t* bytes = Range(address, size);
    DropCodePages(address, size);
    return bytes;
}

uint8_t Folded(uint8_t c) {
    return c >= 'A' && c <= 'Z' ? static_cast<uint8_t>(c + ('a' - 'A')) : c;
}

template <bool kFold>
void Compare(Processor& processor) {
    DStack<uint32_t>& data = processor.DataStack();
    const uint32_t n = data.Pop();
    const uint32_t second = data.Pop();
    const uint32_t first = data.Pop();
    const uint8_t* a = n != 0 ? Range(first, n) : nullptr;
    const uint8_t* b = n != 0 ? Range(second, n) : nullptr;
    uint32_t result = 0;
    for (uint32_t i = 0; i < n; ++i) {
        const uint8_t x = kFold ? Folded(a[i]) : a[i];
        const uint8_t y = kFold ? Folded(b[i]) : b[i];
        if (x != y) {
            result = x < y ? 0xFFFFFFFFu : 1u;
            break;
        }
    }
    data.Push(result);
}

}  // namespace

// src dst n: ascending, four bytes at a time, then the rest; overlap is not treated specially.
void ProcessorOps::MoveBytes(Processor& processor) {
    DStack<uint32_t>& data = processor.DataStack();
    const uint32_t n = data.Pop();
    const uint32_t dst = data.Pop();
    const uint32_t src = data.Pop();
    if (n == 0) return;
    const uint8_t* from = Range(src, n);
    uint8_t* to = WritableRange(dst, n);
    uint32_t i = 0;
    for (; n - i >= 4; i += 4) {
        uint32_t word;
        std::memcpy(&word, from + i, 4);
        std::memcpy(to + i, &word, 4);
    }
    for (; i < n; ++i) to[i] = from[i];
}

void ProcessorOps::MoveWords(Processor& processor) {
    DStack<uint32_t>& data = processor.DataStack();
    const auto n = static_cast<int32_t>(data.Pop());
    const uint32_t dst = data.Pop();
    const uint32_t src = data.Pop();
    if (n <= 0) return;
    const uint64_t bytes = uint64_t{4} * static_cast<uint32_t>(n);
    const uint8_t* from = Range(src, bytes);
    uint8_t* to = WritableRange(dst, bytes);
    for (uint64_t i = 0; i < bytes; i += 4) {
        uint32_t word;
        std::memcpy(&word, from + i, 4);
        std::memcpy(to + i, &word, 4);
    }
}

void ProcessorOps::FillWords(Processor& processor) {
    DStack<uint32_t>& data = processor.DataStack();
    const uint32_t value = data.Pop();
    const auto n = static_cast<int32_t>(data.Pop());
    const uint32_t address = data.Pop();
    if (n <= 0) return;
    const uint64_t bytes = uint64_t{4} * static_cast<uint32_t>(n);
    uint8_t* to = WritableRange(address, bytes);
    for (uint64_t i = 0; i < bytes; i += 4) std::memcpy(to + i, &value, 4);
}

void ProcessorOps::FillBytes(Processor& processor) {
    DStack<uint32_t>& data = processor.DataStack();
    const uint32_t value = data.Pop();
    const uint32_t n = data.Pop();
    const uint32_t address = data.Pop();
    if (n == 0) return;
    std::memset(WritableRange(address, n), static_cast<uint8_t>(value), n);
}

void ProcessorOps::CompareBytes(Processor& processor) {
    Compare<false>(processor);
}

void ProcessorOps::CompareBytesNoCase(Processor& processor) {
    Compare<true>(processor);
}

// p a b: the unsigned 64-bit value at p becomes value * 5 + (a XOR b).
void ProcessorOps::HashStep(Processor& processor) {
    DStack<uint32_t>& data = processor.DataStack();
    const uint32_t b = data.Pop();
    const uint32_t a = data.Pop();
    uint8_t* at = WritableRange(data.Pop(), 8);
    uint64_t value;
    std::memcpy(&value, at, 8);
    value = value * 5 + (a ^ b);
    std::memcpy(at, &value, 8);
}

void ProcessorOps::Allocate(Processor& processor) {
    DStack<uint32_t>& data = processor.DataStack();
    const uint32_t size = data.Pop();
    data.Push(processor.AllocateBlock(size));
}

void ProcessorOps::Free(Processor& processor) {
    processor.FreeBlock(processor.DataStack().Pop());
}
