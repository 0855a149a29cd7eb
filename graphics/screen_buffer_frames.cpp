// The frame primitives: plain, blended and masked draws, silhouettes and cast shadows.
#include <algorithm>
#include <cstring>
#include <optional>

#include "graphics/alpha_span.h"
#include "graphics/draw_record.h"
#include "graphics/frame.h"
#include "graphics/frame_geometry.h"
#include "graphics/screen_buffer.h"
#include "graphics/screen_surface.h"

namespace {

// The visible part of a placed frame: a screen rectangle, and the affine walk of frame pixels
// under it (the frame pixel at its first pixel, the step to the right and the step down).
struct Placed {
    int32_t x0, y0, width, height;
    int64_t fx, fy;
    int64_t alongX, alongY;
    int64_t downX, downY;
};

std::optional<Placed> Place(const Frame& frame, int64_t x, int64_t y, uint32_t orientation,
                            const Rect& clip) {
    if (!IsOrientation(orientation)) return std::nullopt;
    FrameBox box = PlacementBox(frame, 0, 0, orientation);
    box.left += x;
    box.top += y;
    const int64_t x0 = std::max<int64_t>(box.left, clip.left);
    const int64_t y0 = std::max<int64_t>(box.top, clip.top);
    const int64_t x1 = std::min<int64_t>(box.left + box.width, clip.right);
    const int64_t y1 = std::min<int64_t>(box.top + box.height, clip.bottom);
    if (x0 >= x1 || y0 >= y1) return std::nullopt;
    const int64_t w = frame.Width(), h = frame.Height();
    const int64_t dx = x0 - box.left, dy = y0 - box.top;
    const FramePoint at = BoxToFramePixel(orientation, w, h, dx, dy);
    const FramePoint right = BoxToFramePixel(orientation, w, h, dx + 1, dy);
    const FramePoint down = BoxToFramePixel(orientation, w, h, dx, dy + 1);
    return Placed{static_cast<int32_t>(x0),
                  static_cast<int32_t>(y0),
                  static_cast<int32_t>(x1 - x0),
                  static_cast<int32_t>(y1 - y0),
                  at.x,
                  at.y,
                  right.x - at.x,
                  right.y - at.y,
                  down.x - at.x,
                  down.y - at.y};
}

// Element offsets of a walk through rows of stride elements.
struct Walk {
    ptrdiff_t first, along, down;
};

Walk WalkOf(const Placed& p, ptrdiff_t stride) {
    return {static_cast<ptrdiff_t>(p.fy * stride + p.fx),
            static_cast<ptrdiff_t>(p.alongX + p.alongY * stride),
            static_cast<ptrdiff_t>(p.downX + p.downY * stride)};
}

// One run: dst[i] = op(source element i of the walk, dst[i]). The common steps are spelled out
// so that the compiler can keep whole runs in vector registers.
template <class P, class Op>
inline void Span(P* dst, const P* src, ptrdiff_t step, int32_t n, Op op) {
    if (step == 1) {
        for (int32_t i = 0; i < n; ++i) dst[i] = op(src[i], dst[i]);
    } else if (step == -1) {
        for (int32_t i = 0; i < n; ++i) dst[i] = op(*(src - i), dst[i]);
    } else {
        for (int32_t i = 0; i < n; ++i) dst[i] = op(src[i * step], dst[i]);
    }
}

// Every visible row of a placed frame through op, rows stepped by the surface's row step.
template <class P, class Op>
void Rows(ScreenSurface& surface, const Placed& p, const Frame& frame, Op op) {
    const auto* pixels = reinterpret_cast<const P*>(frame.Payload());
    const Walk walk = WalkOf(p, static_cast<ptrdiff_t>(frame.Stride() / sizeof(P)));
    uint8_t* first = surface.PixelAddress(p.x0, p.y0);
    const ptrdiff_t rowStep = surface.RowStep();
    for (int32_t j = 0; j < p.height; ++j) {
        P* dst = reinterpret_cast<P*>(first + j * rowStep);
        Span(dst, pixels + walk.first + j * walk.down, walk.along, p.width, op);
    }
}

// Straight copies, where a row of the frame is a row of the screen.
template <class P>
void CopyRows(ScreenSurface& surface, const Placed& p, const Frame& frame) {
    const Walk walk = WalkOf(p, static_cast<ptrdiff_t>(frame.Stride() / sizeof(P)));
    if (walk.along != 1) {
        Rows<P>(surface, p, frame, [](P s, P) { return s; });
        return;
    }
    const auto* pixels = reinterpret_cast<const P*>(frame.Payload());
    uint8_t* first = surface.PixelAddress(p.x0, p.y0);
    const ptrdiff_t rowStep = surface.RowStep();
    for (int32_t j = 0; j < p.height; ++j)
        std::memcpy(first + j * rowStep, pixels + walk.first + j * walk.down, sizeof(P) * size_t(p.width));
}

bool Absurd(int64_t v) {
    // Positions and heights far beyond any screen: the shadow arithmetic would overflow.
    constexpr int64_t kLimit = int64_t{1} << 24;
    return v > kLimit || v < -kLimit;
}

}  // namespace

void ScreenBuffer::DrawFrame(const Frame* frame, int32_t x, int32_t y, uint32_t orientation) {
    if (frame == nullptr || !CanDraw() || !frame->HasPixels() ||
        frame->BitsPerPixel() != static_cast<uint32_t>(surface_->BitsPerPixel()))
        return;
    const Frame* mask = frame->Mask();
    const bool masked = frame->BitsPerPixel() == 16 && mask != nullptr && mask->BitsPerPixel() == 8 &&
                        mask->Width() == frame->Width() && mask->Height() == frame->Height() &&
                        mask->HasPixels();
    if (masked)
        DrawFrameMasked(*frame, x, y, orientation);
    else
        DrawFramePlain(*frame, x, y, orientation, 0);
}

void ScreenBuffer::DrawFrameMasked(const Frame& frame, int32_t x, int32_t y, uint32_t orientation) {
    const auto p = Place(frame, int64_t{x} + originX_, int64_t{y} + originY_, orientation, clip_);
    if (!p) return;
    const Frame& mask = *frame.Mask();
    const auto* pixels = reinterpret_cast<const Pixel16*>(frame.Payload());
    const uint8_t* alpha = mask.Payload();
    const Walk source = WalkOf(*p, static_cast<ptrdiff_t>(frame.Stride() / 2));
    const Walk opacity = WalkOf(*p, static_cast<ptrdiff_t>(mask.Stride()));
    const AlphaWalk walk{pixels + source.first, source.along,  source.down,
                         alpha + opacity.first, opacity.along, opacity.down};
    AlphaRectWriterFor(PixelFormat())(surface_->PixelAddress(p->x0, p->y0), surface_->RowStep(), walk,
                                      p->width, p->height);
}

void ScreenBuffer::DrawFrameBlended(const Frame* frame, int32_t x, int32_t y, uint32_t orientation,
                                    uint32_t mode) {
    if (frame == nullptr || !CanDraw() || !frame->HasPixels() ||
        frame->BitsPerPixel() != static_cast<uint32_t>(surface_->BitsPerPixel()))
        return;
    if (frame->BitsPerPixel() == 16 && frame->Mask() != nullptr && (Flags() & kDrawThroughMask) != 0) {
        DrawFrame(frame, x, y, orientation);
        return;
    }
    DrawFramePlain(*frame, x, y, orientation, mode);
}

void ScreenBuffer::DrawFramePlain(const Frame& frame, int32_t x, int32_t y, uint32_t orientation,
                                  uint32_t mode) {
    const auto p = Place(frame, int64_t{x} + originX_, int64_t{y} + originY_, orientation, clip_);
    if (!p) return;
    const bool transparent = (frame.Flags() & kFrameTransparent) != 0;
    if (frame.BitsPerPixel() == 8) {
        if (transparent)
            Rows<uint8_t>(*surface_, *p, frame, [](uint8_t s, uint8_t d) { return s != 0 ? s : d; });
        else
            CopyRows<uint8_t>(*surface_, *p, frame);
        return;
    }
    const PixelMasks m = MasksFor(PixelFormat());
    switch (mode) {
        case 0:
            if (transparent)
                Rows<Pixel16>(*surface_, *p, frame, [](uint16_t s, uint16_t d) { return s != 0 ? s : d; });
            else
                CopyRows<Pixel16>(*surface_, *p, frame);
            break;
        case 1:
            Rows<Pixel16>(*surface_, *p, frame,
                          [m](uint16_t s, uint16_t d) { return s != 0 ? m.Mix31(s, d) : d; });
            break;
        case 3:
            Rows<Pixel16>(*surface_, *p, frame,
                          [m](uint16_t s, uint16_t d) { return s != 0 ? m.Mix31(d, s) : d; });
            break;
        default:
            Rows<Pixel16>(*surface_, *p, frame,
                          [m](uint16_t s, uint16_t d) { return s != 0 ? m.Mix11(s, d) : d; });
            break;
    }
}

void ScreenBuffer::DrawSilhouette(const DrawRecord& placement, uint32_t colour, int32_t baseHeight) {
    const Frame* frame = placement.frame;
    if (frame == nullptr || !CanDraw() || !frame->HasPixels() ||
        frame->BitsPerPixel() != static_cast<uint32_t>(surface_->BitsPerPixel()))
        return;
    const int64_t lift = int64_t{placement.height} - baseHeight;
    const auto p = Place(*frame, int64_t{placement.x} + originX_ + lift,
                         int64_t{placement.y} + originY_ + lift, placement.orientation, clip_);
    if (!p) return;
    if (frame->BitsPerPixel() == 8) {
        Rows<uint8_t>(*surface_, *p, *frame, [](uint8_t s, uint8_t d) { return s != 0 ? uint8_t{0} : d; });
        return;
    }
    const PixelMasks& m = MasksFor(PixelFormat());
    const uint32_t c = colour & 0xFFFF;
    uint16_t shaded = static_cast<uint16_t>(c);
    switch (placement.shade) {
        case 0:
            shaded = 0;
            break;
        case 1:
            shaded = static_cast<uint16_t>(7 * m.Eighth(m.Half(3 * m.Eighth(c))));
            break;
        case 2:
            shaded = static_cast<uint16_t>(7 * m.Eighth(m.Half(c)));
            break;
        case 3:
            shaded = static_cast<uint16_t>(7 * m.Eighth(c));
            break;
        default:
            break;
    }
    Rows<Pixel16>(*surface_, *p, *frame, [shaded](uint16_t s, uint16_t d) { return s != 0 ? shaded : d; });
}

void ScreenBuffer::DrawCastShadow(const DrawRecord& caster, const DrawRecord& receiver) {
    if (caster.frame == nullptr || receiver.frame == nullptr || !CanDraw()) return;
    const Frame& cf = *caster.frame;
    const Frame& rf = *receiver.frame;
    const auto depth = static_cast<uint32_t>(surface_->BitsPerPixel());
    if (!cf.HasPixels() || !rf.HasPixels() || cf.BitsPerPixel() != depth) return;
    if (!IsOrientation(caster.orientation) || !IsOrientation(receiver.orientation)) return;
    const FrameBox a = PlacementBox(cf, 0, 0, caster.orientation);
    const FrameBox b = PlacementBox(rf, 0, 0, receiver.orientation);
    // A receiver without width or height has nothing to fall on (and would divide by zero).
    if (a.Empty() || b.Empty()) return;
    const int64_t aL = a.left + caster.x + originX_, aT = a.top + caster.y + originY_, aW = a.width,
                  aH = a.height;
    const int64_t bL = b.left + receiver.x + originX_, bT = b.top + receiver.y + originY_, bW = b.width,
                  bH = b.height;
    const int64_t zA = caster.height, zB = receiver.height;
    const int64_t h1 = receiver.h1, h2 = receiver.h2, h3 = receiver.h3, h4 = receiver.h4;
    for (int64_t v : {aL, aT, aW, aH, bL, bT, bW, bH, zA, zB, h1, h2, h3, h4})
        if (Absurd(v)) return;

    // The caster's box projected onto the receiver's sloped surface.
    int64_t sL, sR, sT, sB;
    if (h4 == h2) {
        sL = aL + zA - (h4 + zB);
        sR = sL + aW;
    } else {
        if ((h4 - h2) / bW >= 1) return;
        const int64_t base = (h4 - h2) * bL / bW + zB + h4;
        const int64_t d = (h2 - h4) + bW;
        sL = (aL + zA - base) * bW / d;
        sR = (aL + zA + aW - base) * bW / d;
    }
    if (h1 == h3) {
        sT = aT + zA - (zB + h1);
        sB = sT + aH;
    } else {
        if ((h1 - h3) / bH >= 1) return;
        const int64_t base = (h1 - h3) * bT / bH + zB + h1;
        const int64_t d = (h3 - h1) + bH;
        sT = (aT + zA - base) * bH / d;
        sB = (aT + zA + aH - base) * bH / d;
    }
    const int64_t X0 = std::max<int64_t>({clip_.left, sL, bL});
    const int64_t X1 = std::min<int64_t>({clip_.right, sR, bL + bW});
    const int64_t Y0 = std::max<int64_t>({clip_.top, sT, bT});
    const int64_t Y1 = std::min<int64_t>({clip_.bottom, sB, bT + bH});
    if (!(X0 < bL + bW && bL <= X1 && Y0 < bT + bH && bT <= Y1)) return;
    const int64_t W = X1 - X0, H = Y1 - Y0;
    if (W <= 0 || H <= 0) return;

    // The part of the caster that lands there, in caster box coordinates.
    const int64_t cL = sL < X0 ? (zB - zA - aL) + X0 + h4 : 0;
    const int64_t cR = X1 < sR ? (zB - zA - aL) + X1 - 1 + h2 : aW - 1;
    const int64_t cT = sT < Y0 ? (zB - zA - aT) + Y0 + h1 : 0;
    const int64_t cB = Y1 < sB ? (zB - zA - aT) + Y1 - 1 + h3 : aH - 1;
    if (cT > aH || cB < 0) return;
    const int64_t sx = (cR - cL + 1) * 100 / W;
    const int64_t sy = (cB - cT + 1) * 100 / H;

    const int64_t shade = sx == 100 && sy == 100 ? int64_t{caster.shade} + receiver.extraShade : caster.shade;
    if (depth == 16 && (shade < 0 || shade > 3)) return;
    const PixelMasks& m = MasksFor(PixelFormat());
    const auto darken = [&](uint16_t d) -> uint16_t {
        switch (shade) {
            case 1:
                return static_cast<uint16_t>((d >> 2) & m.shadowQuarter);
            case 2:
                return m.Half(d);
            case 3:
                return static_cast<uint16_t>(3 * ((d >> 2) & m.shadowQuarter));
            default:
                return 0;
        }
    };

    const int64_t cw = cf.Width(), ch = cf.Height(), rw = rf.Width(), rh = rf.Height();
    uint8_t* first = surface_->PixelAddress(static_cast<int32_t>(X0), static_cast<int32_t>(Y0));
    const ptrdiff_t rowStep = surface_->RowStep();
    for (int64_t j = 0; j < H; ++j) {
        uint8_t* row = first + j * rowStep;
        const int64_t cy = cT + j * sy / 100;
        if (cy < 0 || cy >= aH) continue;  // outside the caster: transparent
        for (int64_t i = 0; i < W; ++i) {
            const int64_t cx = cL + i * sx / 100;
            if (cx < 0 || cx >= aW) continue;
            const FramePoint c = BoxToFramePixel(caster.orientation, cw, ch, cx, cy);
            if (cf.PixelAt(c.x, c.y) == 0) continue;
            const FramePoint r = BoxToFramePixel(receiver.orientation, rw, rh, X0 - bL + i, Y0 - bT + j);
            if (r.x < 0 || r.x >= rw || r.y < 0 || r.y >= rh || rf.PixelAt(r.x, r.y) == 0) continue;
            if (depth == 16) {
                auto* p = reinterpret_cast<Pixel16*>(row) + i;
                *p = darken(*p);
            } else {
                row[i] = 0;
            }
        }
    }
}
