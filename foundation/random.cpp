#include "foundation/random.h"

namespace {

thread_local uint32_t state = 1;

}  // namespace

void SeedRandom(uint32_t seed) {
    state = seed;
}

int32_t EngineRand() {
    state = state * 214013u + 2531011u;
    return static_cast<int32_t>((state >> 16) & 0x7FFF);
}
