#include "graphics/direction_to_frame.h"

#include <algorithm>
#include <cmath>

#include "graphics/image.h"

Image* DirectionToFrame(int32_t dirX, int32_t dirY, Image& picture, uint32_t& orientation,
                        int32_t* rawIndex) {
    const uint32_t n = picture.SubImageCount();
    if (n == 0) {
        orientation = 0;
        return &picture;
    }
    // The angle in [1.571, 7.855), measured from straight up; the constants are the game's own
    // roundings of the quarter turns, and the sectors depend on them.
    double angle = 0.0;
    if (dirX != 0 || dirY != 0) {
        const double x = dirX;
        const double y = dirY;
        const double s = std::asin(std::clamp(y / std::sqrt(x * x + y * y), -1.0, 1.0));
        if (dirX < 0)
            angle = 4.713 - s;
        else if (dirY >= 0)
            angle = s + 1.571;
        else
            angle = s + 7.855;
    }
    const auto index = static_cast<int32_t>((angle + 0.7855 / n) / (1.571 / n));
    orientation = static_cast<uint32_t>(index / static_cast<int64_t>(n)) % 4;
    if (rawIndex != nullptr) *rawIndex = index;
    return picture.EntryAtChecked(static_cast<int32_t>(index % static_cast<int64_t>(n)));
}
