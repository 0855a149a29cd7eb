// Writes into script memory as a hostile script would: anywhere in the region, freed blocks and red
// zones included. The sanitizer build would report such a store from host code; these helpers are
// left out of its checks so that tests can show the allocator survives what scripts may do.
#pragma once

#include <cstdint>

// Fills size bytes at a script address with value. The range must lie inside the region.
void HostileFill(uint32_t address, uint32_t size, uint8_t value);
// Stores a little-endian 32-bit word at a script address inside the region.
void HostileStore32(uint32_t address, uint32_t value);
