// Texts packed in a block payload: one NUL-terminated text after another, no count, no padding.
// The payload comes from files, so every accessor stops at the payload's end: a text that is not
// there reads as empty, and a last text without its NUL ends at the payload's end.
#pragma once
#include <cstdint>
#include <string_view>
class DataBlock;

namespace PackedStrings {
// Text n, counting from 1; empty when the payload does not reach it.
std::string_view Text(const DataBlock& block, uint32_t n);
// Whether the payload holds at least n texts, each ending with its NUL inside the payload.
bool Holds(const DataBlock& block, uint32_t n);
// Where text n starts, from the payload start; nothing when the payload does not reach it.
bool Offset(const DataBlock& block, uint32_t n, uint32_t& offset);
inline std::string_view Second(const DataBlock& block) {
    return Text(block, 2);
}
inline std::string_view Third(const DataBlock& block) {
    return Text(block, 3);
}
inline std::string_view Fourth(const DataBlock& block) {
    return Text(block, 4);
}
inline std::string_view Fifth(const DataBlock& block) {
    return Text(block, 5);
}
inline std::string_view Sixth(const DataBlock& block) {
    return Text(block, 6);
}
inline std::string_view Seventh(const DataBlock& block) {
    return Text(block, 7);
}
}  // namespace PackedStrings
