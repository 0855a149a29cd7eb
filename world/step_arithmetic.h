// The integer arithmetic of movement that the path and maze actors share: positions wrap in 32 bits
// as the script values they are, and interpolation runs in 64 bits so no intermediate overflows.
#pragma once

#include <cstdint>

#include "foundation/word.h"

// start + (target - start) x index / count, truncating toward zero; count must not be 0. The
// difference needs 33 bits and the index at most 31, so the product fits in 64.
int32_t Interpolate(int32_t start, int32_t target, int32_t index, int32_t count);
