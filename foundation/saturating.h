// Conversions to a signed 32-bit value that never overflow: a value beyond the range becomes the
// nearest end of it, instead of wrapping or being undefined.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

inline int32_t SaturateInt32(int64_t value) {
    return static_cast<int32_t>(
        std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// Truncates toward zero; infinities go to the nearest end, and a value that is not a number gives 0.
inline int32_t TruncateInt32(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483647.0) return std::numeric_limits<int32_t>::max();
    if (value <= -2147483648.0) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}
