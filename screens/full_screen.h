// What the full-screen pictures (the loading and story screens) take from the engine: pictures by
// name, colour-table entries, and the screen buffer's font kept across a drawing. They draw straight
// into the display, outside any window.
#pragma once

#include <cstdint>

class Font;
class Image;
class Processor;
class ScreenBuffer;

// The ImageManager's picture of that name (object 4), loaded on first use; its errors pass on.
Image* ScreenPicture(Processor& processor, const char* name);
// Entry n of the ColorManager's table (object 21); FatalExep when there is no ColorManager.
uint32_t ScreenColour(Processor& processor, uint32_t n);

// Puts the buffer's font back when the drawing ends, however it ends.
class KeepFont {
  public:
    explicit KeepFont(ScreenBuffer& buffer);
    ~KeepFont();
    KeepFont(const KeepFont&) = delete;
    KeepFont& operator=(const KeepFont&) = delete;

  private:
    ScreenBuffer& buffer_;
    Font* font_;
};
