#include "foundation/hash_table.h"

uint32_t NameHash(const String& key) {
    // Unsigned arithmetic wraps exactly as the signed 32-bit sum does, without its overflow.
    uint32_t sum = key.Size();
    for (char c : key.View()) sum += static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(c)));
    return sum;
}
