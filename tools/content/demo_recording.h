// Recorded input for the demo game's idle demos, in the form a device replays it: for every poll,
// the key actions' held values then their pressed values, the two mouse buttons' the same way, then
// the pointer x, y and wheel (all 4-byte little-endian).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Where the pointer is at a step; between two waypoints it moves in a straight line.
struct DemoWaypoint {
    uint32_t step;
    int32_t x;
    int32_t y;
};

// A recording of steps polls of one device with actionCount key actions (left, right, up, down,
// fire, ...). The ship flies the same way whether its device steers by the pointer or by the
// keys, near enough: the pointer follows the waypoints, and the arrow actions are held while it
// moves that way.
// Fire (action 4 and the left button) is held from step fireFrom up to fireTo.
std::string DemoRecording(uint32_t actionCount, uint32_t steps, const std::vector<DemoWaypoint>& path,
                          uint32_t fireFrom, uint32_t fireTo);
