// Small helpers of the container and slider drawing: the buffer's font, clip and origin put back
// when a drawing ends (also by an error from a child's script), and screen positions from
// script-written offsets held to 32 bits.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>

#include "graphics/screen_buffer.h"

class Font;

// base + delta, held to the int32 range.
inline int32_t Offset(int64_t base, int64_t delta) {
    return static_cast<int32_t>(std::clamp<int64_t>(base + delta, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
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
