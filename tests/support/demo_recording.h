// Recorded input for the demo game's idle demos, in the form a device replays it: for every poll,
// the key actions' held values then their pressed values, the two mouse buttons' the same way, then
// the pointer x, y and wheel (all 4-byte little-endian).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Actions held down from step first up to (not including) step last.
struct DemoHold {
    uint32_t action;
    uint32_t first;
    uint32_t last;
};

// A recording of steps polls of one device with actionCount key actions and no mouse.
std::string DemoRecording(uint32_t actionCount, uint32_t steps, const std::vector<DemoHold>& holds);
