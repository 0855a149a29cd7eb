// One placed picture frame as the game world files it for drawing: the frame, where and how it is
// turned, how high it floats, the heights of the surface it receives shadows on, and its shades.
// The flight loop keeps one per picture per frame in its draw layers; the screen buffer reads the
// silhouette and cast-shadow fields. Twelve 32-bit words besides the frame pointer's width.
#pragma once

#include <cstdint>

class Frame;

struct DrawRecord {
    const Frame* frame = nullptr;  // not owned
    int32_t x = 0;
    int32_t y = 0;
    uint32_t orientation = 0;  // 0-6 as for every placed frame
    int32_t height = 0;        // above the ground; the flight loop files the layer here
    // Receiving heights: h1 and h3 slope the surface vertically, h2 and h4 horizontally.
    int32_t h1 = 0;
    int32_t h2 = 0;
    int32_t h3 = 0;
    int32_t h4 = 0;
    uint32_t mode = 0;       // the flight loop's draw mode; the screen buffer does not read it
    int32_t shade = 0;       // 0-3
    int32_t extraShade = 0;  // added to a caster's shade when this record receives an unscaled shadow
};

// The name the screen buffer's shadow and silhouette drawing knows it by.
using Placement = DrawRecord;
