#include "ui/scroll_box.h"

#include <algorithm>
#include <limits>

#include "foundation/saturating.h"

namespace {}  // namespace

ScrollBox ScrollBox::ForView(int32_t width, int32_t height) {
    ScrollBox box;
    box.contentRight = width;
    box.contentBottom = height;
    box.viewWidth = width;
    box.viewHeight = height;
    return box;
}

void ScrollBox::Cover(int32_t x, int32_t y, int32_t width, int32_t height) {
    contentLeft = std::min(contentLeft, x);
    contentTop = std::min(contentTop, y);
    contentRight = std::max(contentRight, SaturateInt32(int64_t{x} + width));
    contentBottom = std::max(contentBottom, SaturateInt32(int64_t{y} + height));
}

int32_t ScrollBox::Limit() const {
    const int64_t limit = int64_t{contentBottom} - viewHeight;
    return limit >= 1 ? SaturateInt32(limit) : 0;
}

void ScrollBox::Scroll(int64_t delta) {
    if ((scrollFlags & kScrollVertical) == 0) return;
    const int64_t target = int64_t{scrollY} + delta;
    if (delta < 0) {
        scrollY = SaturateInt32(std::max<int64_t>(0, target));
    } else {
        scrollY = target >= Limit() ? Limit() : SaturateInt32(target);
    }
    canScrollDown = int64_t{scrollY} + viewHeight < int64_t{contentBottom} - 1;
    canScrollUp = scrollY > 0;
}
