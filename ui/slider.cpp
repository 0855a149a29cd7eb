#include "ui/slider.h"

#include <algorithm>
#include <limits>

#include "foundation/exceptions.h"
#include "graphics/font.h"
#include "graphics/frame.h"
#include "graphics/image.h"
#include "graphics/screen_buffer.h"
#include "script/create_native.h"
#include "script/field_natives.h"
#include "script/native_args.h"
#include "script/native_binder.h"
#include "script/receiver_of.h"
#include "script/zema_class.h"
#include "ui/draw_state.h"
#include "ui/interface_pictures.h"
#include "ui/ui_objects.h"
#include "ui/window_requests.h"

namespace {

void OnInputHandler(ScriptObject* receiver) {
    SliderObject& slider = SliderObject::Of(receiver);
    NativeArgs args(receiver);
    const uint32_t dialog = args.Word();
    const int32_t kind = args.Int();
    const int32_t a = args.Int();
    args.Int();  // b: only the place along the line counts
    const bool held = kind == kInputOver && WindowPrimaryHeld(dialog);
    String hint;
    const int32_t result = slider.OnInput(kind, a, held, &hint);
    if (result != 0) WindowSetHint(dialog, hint.Text());
    args.Stack().Push(static_cast<uint32_t>(result));
}

void PushMin(ScriptObject* receiver) {
    NativeArgs(receiver).Stack().Push(static_cast<uint32_t>(SliderObject::Of(receiver).MinValue()));
}

void SetMin(ScriptObject* receiver) {
    SliderObject& slider = SliderObject::Of(receiver);
    slider.SetMinValue(NativeArgs(receiver).Int());
}

void PushMax(ScriptObject* receiver) {
    NativeArgs(receiver).Stack().Push(static_cast<uint32_t>(SliderObject::Of(receiver).MaxValue()));
}

void SetMax(ScriptObject* receiver) {
    SliderObject& slider = SliderObject::Of(receiver);
    slider.SetMaxValue(NativeArgs(receiver).Int());
}

void PushValue(ScriptObject* receiver) {
    NativeArgs(receiver).Stack().Push(static_cast<uint32_t>(SliderObject::Of(receiver).Value()));
}

void SetValue(ScriptObject* receiver) {
    SliderObject& slider = SliderObject::Of(receiver);
    slider.SetValue(NativeArgs(receiver).Int());
}

}  // namespace

SliderObject::SliderObject(ZEMAClass* cls, int32_t x, int32_t y, int32_t id, int32_t length, int32_t boundA,
                           int32_t boundB, uint32_t flags)
    : ControlObject(cls, 0, x, y, id, kSliderFieldCount - kControlFieldCount),
      value_(std::min(boundA, boundB)),
      minValue_(std::min(boundA, boundB)),
      maxValue_(std::max(boundA, boundB)),
      length_(length),
      knobPicture_(InterfacePicture(this, "Misc\\Slider.dpf")),
      labelFont_(InterfaceFont(this, "Slider")) {
    Own(kSliderFlags) = flags;
    SetInt(kSliderInnerTicks, 5);
}

SliderScale SliderObject::Scale() const {
    return SliderScale{minValue_, maxValue_, length_, Int(kSliderInnerTicks)};
}

void SliderObject::Draw(ScreenBuffer& buffer) {
    const SliderScale scale = Scale();
    const uint32_t colour = ColourAt(ColourEntryAddress(this, 1));
    const int32_t x = AbsoluteX();
    const int32_t y = AbsoluteY();
    const FontSwitch font(buffer, labelFont_.As<Font>());
    buffer.DrawLine(x, y, Offset(x, scale.Length()), y, colour);
    for (int32_t k = 0; k <= scale.Intervals(); ++k) {
        const int32_t tx = Offset(x, scale.TickOffset(k));
        buffer.DrawLine(tx, Offset(y, -1), tx, Offset(y, 3), colour);
        const String label = String(scale.TickLabel(k));
        buffer.DrawTextAligned(label.Text(), tx, Offset(y, 10), colour, 1, 0, 0);
    }
    if (Image* knob = knobPicture_.As<Image>())
        buffer.DrawFrameBlended(knob->GetFrame(0), Offset(x, scale.KnobOffset(value_)), y, 0, 0);
}

bool SliderObject::HitTest(int32_t x, int32_t y) {
    const int64_t left = AbsoluteX();
    const int64_t top = AbsoluteY();
    return left - 5 <= x && x < left + Scale().Length() + 5 && top - 10 <= y && y < top + 10;
}

int32_t SliderObject::OnInput(int32_t kind, int32_t a, bool primaryHeld, String* hint) {
    if (kind != kInputPress && !(kind == kInputOver && primaryHeld)) return 0;
    const SliderScale scale = Scale();
    value_ = scale.ValueAtOffset(scale.PointerOffset(a, (Own(kSliderFlags) & kSliderSnap) != 0));
    if (hint != nullptr) *hint = String(value_);
    return -1;
}

SliderObject& SliderObject::Of(ScriptObject* receiver) {
    return ReceiverOf<SliderObject>(receiver, "Slider expected");
}

void Slider::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(OnInputHandler, kInputEventVirtual);
    BindNativeBase(row, target);
    target.SetMethod(
        CreateNative<SliderObject, "class", int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, uint32_t>,
        0);
    target.SetMethod(PushMin, 21);
    target.SetMethod(SetMin, 22);
    target.SetMethod(PushMax, 23);
    target.SetMethod(SetMax, 24);
    target.SetMethod(PushValue, 25);
    target.SetMethod(SetValue, 26);
    target.SetMethod(PushFieldAddress<SliderObject, kSliderInnerTicks>, 27);
    target.SetMethod(PushFieldAddress<SliderObject, kSliderFlags>, 28);
}
