#include "world/step_arithmetic.h"

int32_t Interpolate(int32_t start, int32_t target, int32_t index, int32_t count) {
    return static_cast<int32_t>((int64_t{target} - start) * index / count + start);
}
