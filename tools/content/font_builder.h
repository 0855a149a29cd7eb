// Builds ".dff" fonts as bytes (a "DFF" block with "DFFW", "DFFH", "DFFD", "DFFS"; files of several
// blocks for language variants), including damaged variants:
//     FontBlock(UniformFont(96, 5))
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "graphics/font.h"
#include "tools/content/picture_builder.h"

struct GlyphFixture {
    int8_t width = 5;
    int8_t height = 7;
    int8_t offset = 0;
    // The bitmap; empty: every bit set, (width + 7) / 8 bytes a row.
    std::string bits{};
};

struct FontFixture {
    uint16_t firstChar = 32;
    uint16_t lineHeight = 10;
    uint16_t letterSpacing = 1;
    uint16_t lineGap = 2;
    uint16_t underline = 1;
    std::vector<uint32_t> languages = {1};
    std::vector<GlyphFixture> glyphs;

    // Damage: stored counts in place of the real ones, sub-blocks left out ("DFFW"...), bytes cut
    // from the end of a sub-block's payload.
    std::optional<uint16_t> storedGlyphCount;
    std::optional<uint16_t> storedLanguageCount;
    std::vector<std::string> omit;
    std::map<std::string, uint32_t> trim;
};

// count glyphs of the same size from firstChar on.
FontFixture UniformFont(int count = 96, int8_t width = 5, int8_t height = 7, uint16_t firstChar = 32);
// One "DFF" block; a font file is one or more of them, and may hold other blocks.
std::string FontBlock(const FontFixture& fixture);
