#include "graphics/screen_buffer.h"

#include "graphics/screen_surface.h"

ScreenBuffer::ScreenBuffer(const ColourTable* colours) : colours_(colours) {}

ScreenBuffer::~ScreenBuffer() = default;

void ScreenBuffer::SetSurface(ScreenSurface* surface) {
    surface_ = surface;
    bounds_ = surface != nullptr ? Rect{0, 0, surface->Width(), surface->Height()} : Rect{};
    clip_ = bounds_;
}
