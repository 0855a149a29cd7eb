// Signed values as the 32-bit words that script memory holds: the same bits, two's complement.
#pragma once

#include <cstdint>

constexpr uint32_t Word(int32_t value) {
    return static_cast<uint32_t>(value);
}

// a + b, wrapping in 32 bits as script arithmetic does.
constexpr int32_t WrappingAdd(int32_t a, int32_t b) {
    return static_cast<int32_t>(Word(a) + Word(b));
}
