// Slider: a control that chooses an integer between two bounds by the knob's place along a
// horizontal line with labelled ticks. A press on the line, or a drag with the primary button held,
// moves the knob (to the nearest tick when it snaps) and shows the new value as the window's hint.
#pragma once

#include <cstdint>

#include "script/weak_object.h"
#include "ui/control.h"
#include "ui/slider_scale.h"

class Font;
class Image;

// Fields of a SliderObject that scripts reach by reference, after the Control fields.
enum SliderField : uint32_t {
    kSliderInnerTicks = kControlFieldCount,  // ticks between the two end ticks
    kSliderFlags,                            // bit 0: the knob snaps to the ticks
    kSliderFieldCount
};

constexpr uint32_t kSliderSnap = 1;

class SliderObject : public ControlObject {
  public:
    // The value and the lower bound start at the smaller of the two bounds; 5 inner ticks; the knob
    // "Misc\Slider.dpf" and the label font "Slider" when the caches are there.
    SliderObject(ZEMAClass* cls, int32_t x, int32_t y, int32_t id, int32_t length, int32_t boundA,
                 int32_t boundB, uint32_t flags);

    // Line, ticks with their labels, and the knob at the value.
    void Draw(ScreenBuffer& buffer) override;
    // The line with 5 pixels either side and 10 above and below.
    bool HitTest(int32_t x, int32_t y) override;

    // Virtual method 13's work for a pointer event at offset a along the line: a press, or the
    // pointer over the line with the primary button held, sets the value and gives -1; anything
    // else gives 0. hint receives the value's text when it is set.
    int32_t OnInput(int32_t kind, int32_t a, bool primaryHeld, String* hint);

    // The value held between the bounds (scripts may set either bound or the value at any time).
    int32_t Value() const { return Scale().Clamp(value_); }
    int32_t StoredValue() const { return value_; }
    void SetValue(int32_t value) { value_ = value; }
    int32_t MinValue() const { return minValue_; }
    void SetMinValue(int32_t value) { minValue_ = value; }
    int32_t MaxValue() const { return maxValue_; }
    void SetMaxValue(int32_t value) { maxValue_ = value; }
    SliderScale Scale() const;

    static SliderObject& Of(ScriptObject* receiver);

  private:
    int32_t value_;
    int32_t minValue_;
    int32_t maxValue_;
    int32_t length_;
    // The caches' (not owned).
    WeakObject knobPicture_;
    WeakObject labelFont_;
};

struct Slider {
    // Virtual method 13 (OnInput) into an empty slot, the Control binding, then natives 0, 21-28.
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
};
