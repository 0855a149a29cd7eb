// Checked reading of packed texts.
#include "foundation/packed_strings.h"

#include <cstring>

#include "foundation/data_block.h"

namespace {

uint32_t StoredSize(const DataBlock& block) {
    return block.Payload() != nullptr ? block.PayloadSize() : 0;
}

// Bytes of the text at offset up to its NUL or the payload's end, and whether the NUL was there.
uint32_t TextLength(const DataBlock& block, uint32_t offset, bool& terminated) {
    const uint32_t size = StoredSize(block);
    const auto* start = block.Payload() + offset;
    const void* end = std::memchr(start, 0, size - offset);
    terminated = end != nullptr;
    return terminated ? static_cast<uint32_t>(static_cast<const uint8_t*>(end) - start) : size - offset;
}

}  // namespace

namespace PackedStrings {

bool Offset(const DataBlock& block, uint32_t n, uint32_t& offset) {
    const uint32_t size = StoredSize(block);
    uint32_t at = 0;
    for (uint32_t i = 1; i < n; ++i) {
        if (at >= size) return false;
        bool terminated = false;
        at += TextLength(block, at, terminated);
        if (!terminated) return false;
        ++at;
    }
    if (n == 0 || at >= size) return false;
    offset = at;
    return true;
}

std::string_view Text(const DataBlock& block, uint32_t n) {
    uint32_t offset = 0;
    if (!Offset(block, n, offset)) return {};
    bool terminated = false;
    const uint32_t length = TextLength(block, offset, terminated);
    return {reinterpret_cast<const char*>(block.Payload()) + offset, length};
}

bool Holds(const DataBlock& block, uint32_t n) {
    uint32_t offset = 0;
    if (n == 0) return true;
    if (!Offset(block, n, offset)) return false;
    bool terminated = false;
    TextLength(block, offset, terminated);
    return terminated;
}

}  // namespace PackedStrings
