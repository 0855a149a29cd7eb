// The direction picker of sprites that turn: a picture made for it holds N sub-images covering one
// quarter turn, and each of them is drawn in the four rotations 0-3, so N pictures serve 4 x N
// directions.
#pragma once

#include <cstdint>

class Image;

// The sub-image for the heading (dirX, dirY) and, in orientation, the rotation code to draw it
// with; rawIndex (when given) receives the sector number, 0 .. 5 x N. A picture without sub-images
// gives itself and orientation 0 (rawIndex untouched).
Image* DirectionToFrame(int32_t dirX, int32_t dirY, Image& picture, uint32_t& orientation,
                        int32_t* rawIndex = nullptr);
