// The engine's random numbers: the same sequence as the C library's rand of the game's original
// platform, so that recorded demos replay the same on every build. Each thread has its own state,
// starting at 1; the game thread's is the one scripts and game code draw from.
#pragma once

#include <cstdint>

// Sets the calling thread's state.
void SeedRandom(uint32_t seed);
// Next value, 0..32767: state = state x 214013 + 2531011, bits 16-30 of the new state.
int32_t EngineRand();
