// The drawing target of the whole game: clipping, origin, the current font and the colour table
// of the text escapes, over the current surface.
#pragma once

#include <cstdint>

class ColourTable;
class Font;
class ScreenSurface;

struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

class ScreenBuffer {
public:
    explicit ScreenBuffer(const ColourTable* colours);
    virtual ~ScreenBuffer();
    ScreenBuffer(const ScreenBuffer&) = delete;
    ScreenBuffer& operator=(const ScreenBuffer&) = delete;

    void SetSurface(ScreenSurface* surface);
    ScreenSurface* Surface() const { return surface_; }

protected:
    ScreenSurface* surface_ = nullptr;
    Font* font_ = nullptr;
    Rect bounds_;
    Rect clip_;
    int32_t originX_ = 0;
    int32_t originY_ = 0;
    const ColourTable* colours_;
};
