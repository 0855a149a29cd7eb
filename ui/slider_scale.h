// The arithmetic of a slider: where its ticks, labels and knob lie along its line and which value a
// pointer position stands for. Bounds, length and tick count come from script-writable fields, so
// every input is taken as it comes: equal bounds, a line of no length, a negative tick count and a
// value outside the bounds give positions on the line, never a division by zero or an overflow.
#pragma once

#include <cstdint>

// A line never gets more intervals than this; more could not be told apart on any screen.
constexpr int32_t kMaxSliderIntervals = 1000;

struct SliderScale {
    int32_t minValue = 0;
    int32_t maxValue = 0;
    int32_t length = 0;
    int32_t innerTicks = 0;

    // innerTicks + 1, held to 1..kMaxSliderIntervals.
    int32_t Intervals() const;
    // Line length, at least 0.
    int32_t Length() const;
    // maxValue - minValue without overflow.
    int64_t Range() const;
    // Offset from the line's start of tick k (0..Intervals()).
    int32_t TickOffset(int32_t k) const;
    // The value written under tick k.
    int32_t TickLabel(int32_t k) const;
    // Offset of the knob for a value; a value beyond the bounds sits at the nearer end.
    int32_t KnobOffset(int32_t value) const;
    // The pointer offset a, held to the line and, with snap, moved to the nearest tick.
    int32_t PointerOffset(int32_t a, bool snap) const;
    // The value at an offset along the line (from PointerOffset).
    int32_t ValueAtOffset(int32_t p) const;
    // value held between the smaller and the larger bound.
    int32_t Clamp(int32_t value) const;
};
