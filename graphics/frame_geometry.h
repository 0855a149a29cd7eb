// Where a frame lands when placed at (x, y) with an orientation code, and which frame pixel shows at
// each position of its placement box. Codes: 0 as stored, 1 quarter turn clockwise, 2 half turn,
// 3 quarter turn counter-clockwise, 5 mirrored left to right, 6 mirrored top to bottom; 4 and codes
// above 6 place nothing. The origin pixel always lands on (x, y).
#pragma once

#include <cstdint>

class Frame;

// Kept in 64 bits: origins and sizes come from files and must not overflow the box arithmetic.
struct FrameBox {
    int64_t left = 0;
    int64_t top = 0;
    int64_t width = 0;
    int64_t height = 0;

    bool Empty() const { return width <= 0 || height <= 0; }
    bool Contains(int64_t px, int64_t py) const {
        return px >= left && px < left + width && py >= top && py < top + height;
    }
};

struct FramePoint {
    int64_t x;
    int64_t y;
};

bool IsOrientation(uint32_t orientation);
// The placement box; empty for codes that place nothing.
FrameBox PlacementBox(const Frame& frame, int32_t x, int32_t y, uint32_t orientation);
// The frame pixel shown at box pixel (dx, dy) of a w x h frame placed with the orientation (a valid
// code; dx, dy inside the box).
FramePoint BoxToFramePixel(uint32_t orientation, int64_t w, int64_t h, int64_t dx, int64_t dy);
