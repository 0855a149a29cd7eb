#include "graphics/screen_surface.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "foundation/config_blocks.h"

ScreenSurface::ScreenSurface(ScreenSettingsBlock* settings, PaletteBlock* palette, int32_t rowAlignment)
    : width_(settings->Width()),
      height_(settings->Height()),
      bitsPerPixel_(settings->BitsPerPixel()),
      palette_(palette),
      rowAlignment_(rowAlignment < 1 ? 1 : rowAlignment),
      bytesPerPixel_(settings->BitsPerPixel() / 8),
      settings_(settings) {
    // Settings fields are 16-bit, so these products cannot overflow 32 bits.
    int32_t rowBytes = width_ * bytesPerPixel_;
    pitch_ = rowBytes + (rowAlignment_ - rowBytes % rowAlignment_) % rowAlignment_;
}

int32_t ScreenSurface::RowStep() const {
    return pitch_;
}

uint8_t* ScreenSurface::RowAddress(int32_t y) const {
    return pixels_ + static_cast<intptr_t>(pitch_) * y;
}

uint8_t* ScreenSurface::PixelAddress(int32_t x, int32_t y) const {
    return RowAddress(y) + static_cast<intptr_t>(bytesPerPixel_) * x;
}

void ScreenSurface::Fill(uint32_t colour) {
    if (pixels_ == nullptr) return;
    if (bytesPerPixel_ == 2) {
        // Four pixels a store; pitch is even, so the frame holds whole pixels.
        uint64_t pattern = (colour & 0xFFFFu) * 0x0001000100010001ull;
        uint64_t bytes = FrameBytes();
        if ((colour & 0xFF) == ((colour >> 8) & 0xFF)) {
            std::memset(pixels_, static_cast<int>(colour & 0xFF), bytes);
            return;
        }
        uint64_t i = 0;
        if (reinterpret_cast<uintptr_t>(pixels_) % 8 == 0) {
            std::fill_n(reinterpret_cast<uint64_t*>(pixels_), bytes / 8, pattern);
            i = bytes / 8 * 8;
        }
        for (; i + 8 <= bytes; i += 8) std::memcpy(pixels_ + i, &pattern, 8);
        if (i < bytes) std::memcpy(pixels_ + i, &pattern, bytes - i);
    } else {
        std::memset(pixels_, static_cast<int>(colour & 0xFF), FrameBytes());
    }
}

bool ScreenSurface::Lock() {
    return true;
}

void ScreenSurface::Unlock() {}

MemorySurface::MemorySurface(ScreenSettingsBlock* settings, PaletteBlock* palette, int32_t rowAlignment)
    : ScreenSurface(settings, palette, rowAlignment) {
    auto* memory = static_cast<uint8_t*>(std::calloc(FrameBytes() == 0 ? 1 : FrameBytes(), 1));
    if (memory == nullptr) throw std::bad_alloc();
    SetPixels(memory);
}

MemorySurface::~MemorySurface() {
    std::free(Pixels());
}
