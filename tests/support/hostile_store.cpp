#include "tests/support/hostile_store.h"

#include "foundation/script_memory.h"

__attribute__((no_sanitize("address"))) void HostileFill(uint32_t address, uint32_t size, uint8_t value) {
    // Volatile byte stores: a memset call would go through the sanitizer's own checked version.
    volatile uint8_t* bytes = FromScript<uint8_t>(address);
    for (uint32_t i = 0; i < size; ++i) bytes[i] = value;
}

void HostileStore32(uint32_t address, uint32_t value) {
    for (uint32_t i = 0; i < 4; ++i) HostileFill(address + i, 1, static_cast<uint8_t>(value >> (8 * i)));
}
