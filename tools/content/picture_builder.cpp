#include "tools/content/picture_builder.h"

#include "tools/content/block_writer.h"

namespace {

// Pixel rows of values at 1 or 2 bytes each, rows padded to 4 bytes.
std::string Rows(uint32_t width, uint32_t height, uint32_t bytesPerPixel,
                 const std::vector<uint16_t>& values) {
    std::string rows;
    for (uint32_t y = 0; y < height; ++y) {
        std::string row;
        for (uint32_t x = 0; x < width; ++x) {
            const size_t i = size_t{y} * width + x;
            const uint16_t v = i < values.size() ? values[i] : 0;
            row += bytesPerPixel == 2 ? LeU16(v) : std::string(1, static_cast<char>(v));
        }
        row.resize((row.size() + 3) / 4 * 4, '\0');
        rows += row;
    }
    return rows;
}

std::string FrameFields(int32_t originX, int32_t originY, uint8_t bitsPerPixel, uint32_t width,
                        uint32_t height, uint32_t flags) {
    return LeU32(static_cast<uint32_t>(originX)) + LeU32(static_cast<uint32_t>(originY)) +
           std::string(3, '\0') + std::string(1, static_cast<char>(bitsPerPixel)) + LeU32(width) +
           LeU32(height) + LeU32(flags);
}

}  // namespace

std::string PaletteBlockBytes(const std::vector<Rgb>& colours, uint8_t dimension,
                              std::optional<uint16_t> storedCount) {
    std::string payload;
    for (const Rgb& c : colours) {
        payload += static_cast<char>(c.blue);
        payload += static_cast<char>(c.green);
        payload += static_cast<char>(c.red);
        payload += '\0';
    }
    const auto count = storedCount.value_or(static_cast<uint16_t>(colours.size()));
    return SEBlock("COL", payload,
                   std::string(1, '\0') + LeU16(count) + std::string(1, static_cast<char>(dimension)));
}

std::string FrameBlock(const FrameFixture& fixture) {
    BlockWriter frame;
    frame.tag = "IMG";
    frame.headerFields = FrameFields(fixture.originX, fixture.originY, fixture.bitsPerPixel, fixture.width,
                                     fixture.height, fixture.flags);
    frame.payload = Rows(fixture.width, fixture.height, fixture.bitsPerPixel / 8, fixture.pixels);
    frame.payload.resize(frame.payload.size() - std::min<size_t>(fixture.trimPayload, frame.payload.size()));
    if (!fixture.mask) return frame.SE();
    const uint32_t w = fixture.maskWidth != 0 ? fixture.maskWidth : fixture.width;
    const uint32_t h = fixture.maskHeight != 0 ? fixture.maskHeight : fixture.height;
    const std::vector<uint16_t> alpha(fixture.mask->begin(), fixture.mask->end());
    frame.subBlocks.push_back(SEBlock("IMG", Rows(w, h, 1, alpha), FrameFields(0, 0, 8, w, h, 0)));
    return frame.SC();
}

std::string PictureBlock(const std::vector<std::string>& subBlocks) {
    return SCBlock("DPF", "", subBlocks);
}
