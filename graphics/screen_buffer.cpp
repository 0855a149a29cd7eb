#include "graphics/screen_buffer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "foundation/config_blocks.h"
#include "foundation/saturating.h"
#include "graphics/alpha_span.h"
#include "graphics/colour_table.h"
#include "graphics/screen_surface.h"

namespace {

// Callers derive the dot count from values scripts can write (fuel): beyond this many dots a
// circle that crosses the clip is larger than any screen round a centre far off it, and fewer dots
// draw it as well.
constexpr int32_t kMaxCircleDots = 1 << 16;

// Whether a dot of the circle can fall inside the clip. Truncating both coordinates toward zero
// puts each dot less than 1.5 pixels inside the circle.
bool CircleMeetsClip(double cx, double cy, double radius, const Rect& clip) {
    const double r = std::fabs(radius);
    const double left = clip.left;
    const double top = clip.top;
    const double right = clip.right;
    const double bottom = clip.bottom;
    const double nearest = std::hypot(cx - std::clamp(cx, left, right), cy - std::clamp(cy, top, bottom));
    const double farthest = std::hypot(std::max(std::fabs(cx - left), std::fabs(cx - right)),
                                       std::max(std::fabs(cy - top), std::fabs(cy - bottom)));
    return nearest <= r + 1 && farthest >= r - 2;
}

}  // namespace

ScreenBuffer::ScreenBuffer(const ColourTable* colours) : colours_(colours) {}

ScreenBuffer::~ScreenBuffer() = default;

void ScreenBuffer::SetSurface(ScreenSurface* surface) {
    surface_ = surface;
    bounds_ = surface != nullptr ? Rect{0, 0, surface->Width(), surface->Height()} : Rect{};
    clip_ = bounds_;
}

void ScreenBuffer::SetClipRect(const Rect& rect) {
    clip_.left = std::max(bounds_.left, std::min(rect.left, rect.right));
    clip_.top = std::max(bounds_.top, std::min(rect.top, rect.bottom));
    clip_.right = std::min(bounds_.right, std::max(rect.left, rect.right));
    clip_.bottom = std::min(bounds_.bottom, std::max(rect.top, rect.bottom));
}

void ScreenBuffer::IntersectClipRect(const Rect& rect) {
    const int64_t l = int64_t{rect.left} + originX_;
    const int64_t r = int64_t{rect.right} + originX_;
    const int64_t t = int64_t{rect.top} + originY_;
    const int64_t b = int64_t{rect.bottom} + originY_;
    clip_.left = SaturateInt32(std::max<int64_t>(clip_.left, std::min(l, r)));
    clip_.top = SaturateInt32(std::max<int64_t>(clip_.top, std::min(t, b)));
    clip_.right = SaturateInt32(std::min<int64_t>(clip_.right, std::max(l, r)));
    clip_.bottom = SaturateInt32(std::min<int64_t>(clip_.bottom, std::max(t, b)));
}

void ScreenBuffer::SetClip(const Rect& clip) {
    // Clamping keeps an empty clip empty and a clip never reaches past the frame memory.
    clip_.left = std::clamp(clip.left, bounds_.left, bounds_.right);
    clip_.right = std::clamp(clip.right, bounds_.left, bounds_.right);
    clip_.top = std::clamp(clip.top, bounds_.top, bounds_.bottom);
    clip_.bottom = std::clamp(clip.bottom, bounds_.top, bounds_.bottom);
}

bool ScreenBuffer::CanDraw() const {
    if (surface_ == nullptr || surface_->Pixels() == nullptr) return false;
    const int32_t depth = surface_->BitsPerPixel();
    return depth == 8 || depth == 16;
}

int32_t ScreenBuffer::PixelFormat() const {
    return NormalFormat(surface_->Settings() != nullptr ? surface_->Settings()->pixelFormat : 0);
}

uint16_t ScreenBuffer::Flags() const {
    return surface_ != nullptr && surface_->Settings() != nullptr ? surface_->Settings()->Flags() : 0;
}

uint32_t ScreenBuffer::TableColour(uint32_t n) const {
    // Entries the table does not hold are black rather than whatever lies behind it.
    return colours_ != nullptr && n < colours_->TableSize() ? colours_->Colour(n) : 0;
}

void ScreenBuffer::FillSpan(int32_t x, int32_t y, int32_t count, uint32_t colour) {
    if (count <= 0) return;
    uint8_t* row = surface_->RowAddress(y);
    if (surface_->BitsPerPixel() == 16)
        std::fill_n(reinterpret_cast<Pixel16*>(row) + x, count, static_cast<uint16_t>(colour));
    else
        std::memset(row + x, static_cast<int>(colour & 0xFF), static_cast<size_t>(count));
}

void ScreenBuffer::PutPixel(int32_t x, int32_t y, uint32_t colour) {
    uint8_t* p = surface_->PixelAddress(x, y);
    if (surface_->BitsPerPixel() == 16)
        *reinterpret_cast<Pixel16*>(p) = static_cast<uint16_t>(colour);
    else
        *p = static_cast<uint8_t>(colour);
}

void ScreenBuffer::DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour) {
    if (!CanDraw()) return;
    const int64_t ax = int64_t{x1} + originX_, bx = int64_t{x2} + originX_;
    const int64_t ay = int64_t{y1} + originY_, by = int64_t{y2} + originY_;
    const int64_t xa = std::max<int64_t>(clip_.left, std::min(ax, bx));
    const int64_t xb = std::max<int64_t>(0, std::min<int64_t>(clip_.right, std::max(ax, bx)));
    const int64_t ya = std::max<int64_t>(clip_.top, std::min(ay, by));
    const int64_t yb = std::max<int64_t>(0, std::min<int64_t>(clip_.bottom, std::max(ay, by)));
    // Lines on the clip's top or left edge are left out, as the interface's frames expect.
    if (ya == yb) {
        if (clip_.top < ay && ay < clip_.bottom && xa < xb)
            FillSpan(static_cast<int32_t>(xa), static_cast<int32_t>(ya), static_cast<int32_t>(xb - xa),
                     colour);
        return;
    }
    if (!(clip_.left < ax && ax < clip_.right && ya < yb)) return;
    const ptrdiff_t step = surface_->RowStep();
    uint8_t* first = surface_->PixelAddress(static_cast<int32_t>(xa), static_cast<int32_t>(ya));
    const bool deep = surface_->BitsPerPixel() == 16;
    for (int64_t j = 0; j < yb - ya; ++j) {
        uint8_t* p = first + j * step;
        if (deep)
            *reinterpret_cast<Pixel16*>(p) = static_cast<uint16_t>(colour);
        else
            *p = static_cast<uint8_t>(colour);
    }
}

void ScreenBuffer::DrawPanel(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t fill, uint32_t border) {
    if (!CanDraw()) return;
    const int64_t ax = int64_t{x1} + originX_, bx = int64_t{x2} + originX_;
    const int64_t ay = int64_t{y1} + originY_, by = int64_t{y2} + originY_;
    const int64_t xa = std::max<int64_t>(clip_.left, std::min(ax, bx));
    const int64_t ya = std::max<int64_t>(clip_.top, std::min(ay, by));
    const int64_t xb = std::max<int64_t>(0, std::min<int64_t>(clip_.right, std::max(ax, bx)));
    const int64_t yb = std::max<int64_t>(0, std::min<int64_t>(clip_.bottom, std::max(ay, by)));
    // A panel wholly outside the clip has no edge to draw.
    if (xa >= xb || ya >= yb) return;
    const auto left = static_cast<int32_t>(xa), right = static_cast<int32_t>(xb);
    const auto top = static_cast<int32_t>(ya), bottom = static_cast<int32_t>(yb);
    const int32_t width = right - left;
    FillSpan(left, top, width, border);
    if (bottom - top > 2) {
        const bool wide = right - 1 > left;
        const int32_t inner = std::max(0, width - 2);
        const ptrdiff_t step = surface_->RowStep();
        uint8_t* first = surface_->RowAddress(top + 1);
        const bool deep = surface_->BitsPerPixel() == 16;
        const PixelMasks& m = MasksFor(PixelFormat());
        const uint16_t tint = static_cast<uint16_t>(3 * m.Quarter(fill & 0xFFFF));
        for (int32_t j = 0; j < bottom - top - 2; ++j) {
            uint8_t* row = first + j * step;
            if (deep) {
                Pixel16* p = reinterpret_cast<Pixel16*>(row) + left;
                p[0] = static_cast<uint16_t>(border);
                for (int32_t i = 1; i <= inner; ++i) p[i] = static_cast<uint16_t>(tint + m.Quarter(p[i]));
                if (wide) p[width - 1] = static_cast<uint16_t>(border);
            } else {
                uint8_t* p = row + left;
                p[0] = static_cast<uint8_t>(border);
                if (inner > 0) std::memset(p + 1, static_cast<int>(fill & 0xFF), static_cast<size_t>(inner));
                if (wide) p[width - 1] = static_cast<uint8_t>(border);
            }
        }
    }
    if (bottom - 1 > top) FillSpan(left, bottom - 1, width, border);
}

void ScreenBuffer::DrawCircleDots(int32_t x, int32_t y, int32_t radius, int32_t count, uint32_t colour,
                                  int32_t startDegrees) {
    if (count <= 0 || !CanDraw()) return;
    if (!CircleMeetsClip(static_cast<double>(x) + originX_, static_cast<double>(y) + originY_, radius, clip_))
        return;
    count = std::min(count, kMaxCircleDots);
    double angle = startDegrees * 0.017444444444444446;  // the interface was drawn with pi taken as 3.14
    const double step = 6.2832 / count;
    for (int32_t i = 0; i < count; ++i, angle += step) {
        const double px = std::trunc(std::cos(angle) * radius) + x + originX_;
        const double py = std::trunc(std::sin(angle) * radius) + y + originY_;
        if (px >= clip_.left && px < clip_.right && py >= clip_.top && py < clip_.bottom)
            PutPixel(static_cast<int32_t>(px), static_cast<int32_t>(py), colour);
    }
}
