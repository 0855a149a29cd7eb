// The small settings windows of equipment in the shop: a 400 x 100 frame opened over the calling
// window, holding a caption and a slider, or a single check button. Weapons set their fire interval
// and guides their turn rate, spread or lock through them.
#pragma once

#include <cstdint>
#include <optional>

class DialogWindow;

struct SliderPanel {
    uint32_t caption;  // message of "system.mes"
    int32_t boundA;
    int32_t boundB;
    uint32_t flags;  // the slider's flags (kSliderSnap)
    int32_t value;
};

// Runs the panel with the caller's input device; the slider's value when the player confirmed,
// nothing otherwise. FatalExep when the caller has no input device.
std::optional<int32_t> RunSliderPanel(DialogWindow& caller, const SliderPanel& panel);
// The same with one check button captioned by the message; its state when confirmed.
std::optional<bool> RunCheckPanel(DialogWindow& caller, uint32_t caption, bool checked);
