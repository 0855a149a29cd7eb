// Builds ".dpf" pictures as bytes ("DPF" with "COL", "IMG" frames with optional masks, nested
// "DPF" sub-images), including damaged variants:
//     PictureBlock({PaletteBlockBytes({{0, 0, 0}, {255, 0, 0}}),
//                   FrameBlock({.width = 2, .height = 1, .pixels = {1, 0}})})
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct Rgb {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
};

struct FrameFixture {
    uint32_t width = 0;
    uint32_t height = 0;
    uint8_t bitsPerPixel = 8;
    int32_t originX = 0;
    int32_t originY = 0;
    uint32_t flags = 0;
    // width x height values, top row first; missing values are 0.
    std::vector<uint16_t> pixels{};
    // An alpha mask (8-bit, width x height values, or of maskWidth x maskHeight when those are set).
    std::optional<std::vector<uint8_t>> mask{};
    uint32_t maskWidth = 0;
    uint32_t maskHeight = 0;
    // Damage: bytes cut from the end of the pixel rows.
    uint32_t trimPayload = 0;
};

// "COL": colour count entries, dimension byte; storedCount falsifies the count.
std::string PaletteBlockBytes(const std::vector<Rgb>& colours, uint8_t dimension = 0,
                              std::optional<uint16_t> storedCount = std::nullopt);
// "IMG": an "SE" block, or an "SC" block holding the mask.
std::string FrameBlock(const FrameFixture& fixture);
// "DPF" holding the given sub-blocks in order.
std::string PictureBlock(const std::vector<std::string>& subBlocks);
