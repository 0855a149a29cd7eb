// Small helpers of the container and slider drawing: the buffer's font, clip and origin put back
// when a drawing ends (also by an error from a child's script), and screen positions from
// script-written offsets held to 32 bits.
#pragma once

#include <cstdint>

#include "foundation/saturating.h"
#include "graphics/screen_buffer.h"

class Font;

// base + delta, held to the int32 range.
inline int32_t Offset(int64_t base, int64_t delta) {
    return SaturateInt32(base + delta);
}

// The box of width x height at (left, top), its edges held to the int32 range.
inline Rect BoxRect(int64_t left, int64_t top, int64_t width, int64_t height) {
    return {SaturateInt32(left), SaturateInt32(top), SaturateInt32(left + width),
            SaturateInt32(top + height)};
}

// Whether (px, py) lies in the box of width x height at (left, top).
inline bool InBox(int64_t px, int64_t py, int64_t left, int64_t top, int64_t width, int64_t height) {
    return left <= px && px < left + width && top <= py && py < top + height;
}

// Switches the buffer to font (when not null) until the end of the scope.
class FontSwitch {
  public:
    FontSwitch(ScreenBuffer& buffer, Font* font) : buffer_(buffer), saved_(buffer.CurrentFont()) {
        if (font != nullptr) buffer.SetFont(font);
    }
    ~FontSwitch() { buffer_.SetFont(saved_); }
    FontSwitch(const FontSwitch&) = delete;
    FontSwitch& operator=(const FontSwitch&) = delete;

  private:
    ScreenBuffer& buffer_;
    Font* saved_;
};

// Puts the buffer's clip back at the end of the scope.
class ClipGuard {
  public:
    explicit ClipGuard(ScreenBuffer& buffer) : buffer_(buffer), saved_(buffer.Clip()) {}
    ~ClipGuard() { buffer_.SetClip(saved_); }
    ClipGuard(const ClipGuard&) = delete;
    ClipGuard& operator=(const ClipGuard&) = delete;

  private:
    ScreenBuffer& buffer_;
    Rect saved_;
};

// Puts the buffer's clip and origin back at the end of the scope.
class ClipAndOrigin {
  public:
    explicit ClipAndOrigin(ScreenBuffer& buffer)
        : buffer_(buffer), clip_(buffer.Clip()), x_(buffer.OriginX()), y_(buffer.OriginY()) {}
    ~ClipAndOrigin() {
        buffer_.SetClip(clip_);
        buffer_.SetOrigin(x_, y_);
    }
    ClipAndOrigin(const ClipAndOrigin&) = delete;
    ClipAndOrigin& operator=(const ClipAndOrigin&) = delete;

    int32_t OriginX() const { return x_; }
    int32_t OriginY() const { return y_; }

  private:
    ScreenBuffer& buffer_;
    Rect clip_;
    int32_t x_;
    int32_t y_;
};
