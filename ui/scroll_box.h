// The vertical scrolling of a container: the box its children cover, the view it shows of them and
// the scroll offset, with the two arrows' state. Child positions and sizes reach it from
// script-writable fields, so the sums are taken wide and held to 32 bits.
#pragma once

#include <cstdint>

// Bit of the scroll flags: vertical scrolling enabled.
constexpr uint32_t kScrollVertical = 1;

struct ScrollBox {
    int32_t contentLeft = 0;
    int32_t contentRight = 0;
    int32_t contentTop = 0;
    int32_t contentBottom = 0;
    int32_t scrollY = 0;
    int32_t viewWidth = 0;
    int32_t viewHeight = 0;
    uint32_t scrollFlags = kScrollVertical;
    bool canScrollDown = false;
    bool canScrollUp = false;

    // A view of the given size whose content is the view itself.
    static ScrollBox ForView(int32_t width, int32_t height);

    // Widens the content to cover a child at (x, y) of the given size.
    void Cover(int32_t x, int32_t y, int32_t width, int32_t height);
    // Scrolls by delta pixels (down for a positive delta) between 0 and the content's end, then
    // updates the arrows; nothing while vertical scrolling is off.
    void Scroll(int64_t delta);
    // The farthest scroll offset: the content below the view, 0 when it fits.
    int32_t Limit() const;
};
