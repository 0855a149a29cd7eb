// Shorthands shared by the graphics tests.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "foundation/palette_block.h"
#include "graphics/frame.h"
#include "tests/support/read_bytes.h"
#include "tools/content/picture_builder.h"

inline std::unique_ptr<Frame> MakeFrame(const FrameFixture& fixture) {
    return ReadBlockObject<Frame>(FrameBlock(fixture));
}

inline std::unique_ptr<PaletteBlock> MakePalette(const std::vector<Rgb>& colours, uint8_t dimension = 0) {
    return ReadBlockObject<PaletteBlock>(PaletteBlockBytes(colours, dimension));
}

// Every pixel, top row first, without the row padding.
inline std::vector<uint32_t> Pixels(const Frame& frame) {
    std::vector<uint32_t> values;
    for (uint32_t y = 0; y < frame.Height(); ++y)
        for (uint32_t x = 0; x < frame.Width(); ++x) values.push_back(frame.PixelAt(x, y));
    return values;
}
