#include "ui/slider_scale.h"

#include <algorithm>

int32_t SliderScale::Intervals() const {
    const int64_t n = int64_t{innerTicks} + 1;
    return static_cast<int32_t>(std::clamp<int64_t>(n, 1, kMaxSliderIntervals));
}

int32_t SliderScale::Length() const {
    return std::max(length, 0);
}

int64_t SliderScale::Range() const {
    return int64_t{maxValue} - minValue;
}

int32_t SliderScale::TickOffset(int32_t k) const {
    const int64_t n = Intervals();
    const int64_t range = Range();
    // Equal bounds: the ticks still spread evenly along the line.
    if (range == 0) return static_cast<int32_t>(int64_t{k} * Length() / n);
    return static_cast<int32_t>((range * k / n) * Length() / range);
}

int32_t SliderScale::TickLabel(int32_t k) const {
    return static_cast<int32_t>(Range() * k / Intervals() + minValue);
}

int32_t SliderScale::KnobOffset(int32_t value) const {
    const int64_t range = Range();
    if (range == 0) return 0;
    const int64_t offset = (int64_t{Clamp(value)} - minValue) * Length() / range;
    return static_cast<int32_t>(std::clamp<int64_t>(offset, 0, Length()));
}

int32_t SliderScale::PointerOffset(int32_t a, bool snap) const {
    const int64_t len = Length();
    int64_t p = std::clamp<int64_t>(a, 0, len);
    if (snap && len > 0) {
        const int64_t n = Intervals();
        p = ((p + len / (2 * n)) * n / len) * len / n;
    }
    return static_cast<int32_t>(p);
}

int32_t SliderScale::ValueAtOffset(int32_t p) const {
    const int64_t len = Length();
    if (len == 0) return minValue;
    return Clamp(static_cast<int32_t>(int64_t{p} * Range() / len + minValue));
}

int32_t SliderScale::Clamp(int32_t value) const {
    return std::clamp(value, std::min(minValue, maxValue), std::max(minValue, maxValue));
}
