// A signed value as the 32-bit word that script memory holds: the same bits, two's complement.
#pragma once

#include <cstdint>

constexpr uint32_t Word(int32_t value) {
    return static_cast<uint32_t>(value);
}
