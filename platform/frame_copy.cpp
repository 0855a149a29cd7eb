#include "platform/frame_copy.h"

#include <cstring>

namespace {

const uint8_t* SourceRow(const FrameView& frame, int32_t height, int32_t y) {
    int32_t row = frame.bottomUp ? height - 1 - y : y;
    return frame.pixels + static_cast<size_t>(row) * static_cast<size_t>(frame.pitch);
}

}  // namespace

int32_t RowBytes(int32_t width, int32_t bitsPerPixel) {
    return width * (bitsPerPixel / 8);
}

int32_t AlignedPitch(int32_t width, int32_t bitsPerPixel) {
    return (RowBytes(width, bitsPerPixel) + 3) & ~3;
}

void CopyFrameTopDown(const FrameView& frame, int32_t width, int32_t height, int32_t bitsPerPixel,
                      uint8_t* dst, size_t dstPitch) {
    const size_t rowBytes = static_cast<size_t>(RowBytes(width, bitsPerPixel));
    for (int32_t y = 0; y < height; ++y)
        std::memcpy(dst + static_cast<size_t>(y) * dstPitch, SourceRow(frame, height, y), rowBytes);
}

void ExpandPalettedFrame(const FrameView& frame, int32_t width, int32_t height, const Palette& palette,
                         uint32_t* dst) {
    uint32_t lookup[256];
    for (int i = 0; i < 256; ++i)
        lookup[i] = (uint32_t{palette[i].red} << 16) | (uint32_t{palette[i].green} << 8) | palette[i].blue;
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* src = SourceRow(frame, height, y);
        uint32_t* out = dst + static_cast<size_t>(y) * static_cast<size_t>(width);
        for (int32_t x = 0; x < width; ++x) out[x] = lookup[src[x]];
    }
}
