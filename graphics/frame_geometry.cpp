#include "graphics/frame_geometry.h"

#include <algorithm>

#include "graphics/frame.h"

bool IsOrientation(uint32_t orientation) {
    return orientation <= 6 && orientation != 4;
}

FrameBox PlacementBox(const Frame& frame, int32_t x, int32_t y, uint32_t orientation) {
    const int64_t w = frame.Width();
    const int64_t h = frame.Height();
    const int64_t ox = frame.OriginX();
    const int64_t oy = frame.OriginY();
    switch (orientation) {
        case 0:
            return {x - ox, y - oy, w, h};
        case 1:
            return {x - (h - oy), y - ox, h, w};
        case 2:
            return {x - (w - ox), y - (h - oy), w, h};
        case 3:
            return {x - oy, y - (w - ox), h, w};
        case 5:
            return {x - (w - ox), y - oy, w, h};
        case 6:
            return {x - ox, y - (h - oy), w, h};
        default:
            return {};
    }
}

FramePoint BoxToFramePixel(uint32_t orientation, int64_t w, int64_t h, int64_t dx, int64_t dy) {
    switch (orientation) {
        case 1:
            return {dy, h - 1 - dx};
        case 2:
            return {w - 1 - dx, h - 1 - dy};
        case 3:
            return {w - 1 - dy, dx};
        case 5:
            return {w - 1 - dx, dy};
        case 6:
            return {dx, h - 1 - dy};
        default:
            return {dx, dy};
    }
}

int Frame::HitTest(const Frame& frame, int32_t x, int32_t y, uint32_t orientation, int32_t px, int32_t py) {
    const FrameBox box = PlacementBox(frame, x, y, orientation);
    if (box.Empty() || !box.Contains(px, py)) return 0;
    if ((frame.Flags() & kFrameTransparent) == 0) return -1;
    if (!frame.HasPixels()) return 0;
    const FramePoint p =
        BoxToFramePixel(orientation, frame.Width(), frame.Height(), px - box.left, py - box.top);
    return frame.PixelAt(p.x, p.y) != 0 ? -1 : 0;
}

int Frame::Collides(const Frame& a, int32_t xa, int32_t ya, uint32_t oa, const Frame& b, int32_t xb,
                    int32_t yb, uint32_t ob, int32_t& cx, int32_t& cy) {
    const FrameBox boxA = PlacementBox(a, xa, ya, oa);
    const FrameBox boxB = PlacementBox(b, xb, yb, ob);
    if (boxA.Empty() || boxB.Empty() || !a.HasPixels() || !b.HasPixels()) return 0;
    const int64_t left = std::max(boxA.left, boxB.left);
    const int64_t top = std::max(boxA.top, boxB.top);
    const int64_t width = std::min(boxA.left + boxA.width, boxB.left + boxB.width) - left;
    const int64_t height = std::min(boxA.top + boxA.height, boxB.top + boxB.height) - top;
    if (width < 1 || height < 1) return 0;
    const int64_t wa = a.Width(), ha = a.Height(), wb = b.Width(), hb = b.Height();
    for (int64_t row = 0; row < height; ++row) {
        for (int64_t column = 0; column < width; ++column) {
            const int64_t px = left + column;
            const int64_t py = top + row;
            const FramePoint pa = BoxToFramePixel(oa, wa, ha, px - boxA.left, py - boxA.top);
            if (a.PixelAt(pa.x, pa.y) == 0) continue;
            const FramePoint pb = BoxToFramePixel(ob, wb, hb, px - boxB.left, py - boxB.top);
            if (b.PixelAt(pb.x, pb.y) == 0) continue;
            cx = static_cast<int32_t>(px);
            cy = static_cast<int32_t>(py);
            return -1;
        }
    }
    return 0;
}
