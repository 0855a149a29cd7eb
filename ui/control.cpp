#include "ui/control.h"

#include <string>

#include "foundation/exceptions.h"
#include "foundation/script_handle.h"
#include "foundation/word.h"
#include "graphics/frame.h"
#include "graphics/screen_buffer.h"
#include "script/create_native.h"
#include "script/field_natives.h"
#include "script/method_runner.h"
#include "script/native_args.h"
#include "script/native_binder.h"
#include "script/receiver_of.h"
#include "script/zema_class.h"
#include "shell/draw_layers.h"
#include "ui/draw_state.h"
#include "ui/ui_kinds.h"

namespace {

// Deeper parent chains than this are taken as a loop (a parent link can only name a live control,
// so SetParent's check holds; the bound keeps a walk finite whatever happens).
constexpr uint32_t kMaxParentDepth = 64;

// Virtual method 13 default: a second-button press on a control with help shows it.
void OnHelp(ScriptObject* receiver) {
    ControlObject& control = ControlObject::Of(receiver);
    NativeArgs args(receiver);
    const uint32_t dialog = args.Word();
    const int32_t kind = args.Int();
    args.Int();
    args.Int();
    int32_t answer = 0;
    if (kind == kInputSecondPress && !control.HelpText().empty()) {
        // A copy: the help window runs scripts, which may give the control another help text.
        const std::string file(control.HelpText());
        if (HelpRequestHook()) HelpRequestHook()(dialog, file, control.HelpNumber(), 0);
        answer = -1;
    }
    args.Stack().Push(static_cast<uint32_t>(answer));
}

void SetHelp(ScriptObject* receiver) {
    ControlObject& control = ControlObject::Of(receiver);
    NativeArgs args(receiver);
    const int32_t number = args.Int();
    control.SetHelpText(args.Text(), number);
}

void GetHelp(ScriptObject* receiver) {
    ControlObject& control = ControlObject::Of(receiver);
    DStack<uint32_t>& stack = NativeArgs(receiver).Stack();
    stack.Push(control.HelpTextAddress());
    stack.Push(static_cast<uint32_t>(control.HelpNumber()));
}

}  // namespace

ControlObject::ControlObject(ZEMAClass* cls, uint32_t picture, int32_t x, int32_t y, int32_t id,
                             uint32_t extraFields)
    : VisualObject(cls, picture, x, y, 0, 0, kControlFieldCount - kVisualFieldCount + extraFields),
      helpText_(CopyTextToScript("")) {
    SetInt(kControlId, id);
}

ControlObject::~ControlObject() = default;

bool ControlObject::ForEachPicture(
    const std::function<bool(const Frame&, int32_t, int32_t, uint32_t)>& visit) {
    const ControlObject* parent = Parent();
    const int32_t baseX = parent != nullptr ? parent->AbsoluteX() : 0;
    const int32_t baseY = parent != nullptr ? parent->AbsoluteY() : 0;
    // The count is a script's answer: asked again before every picture, as a script may change it.
    // Held to what a drawing takes, and stopped when the program is, as script loops are. A script
    // that destroys the control ends the walk: nothing more of it is drawn or hit.
    MethodRunner& runner = RunnerOf(this);
    for (int32_t i = 0;; ++i) {
        const int32_t count = VisibleEntryCount(Visual::CallEvent7(this));
        if (!Alive() || i >= count) return false;
        runner.CountLoopRound();
        int32_t px = 0;
        int32_t py = 0;
        uint32_t orientation = 0;
        const uint32_t value = Visual::CallEvent8(this, static_cast<int32_t>(i), px, py, orientation);
        if (!Alive()) return false;
        if (value == 0) continue;
        const Frame* frame = Frame::FromAddress(value);
        if (visit(*frame, WrappingAdd(px, baseX), WrappingAdd(py, baseY), orientation)) return true;
    }
}

void ControlObject::Draw(ScreenBuffer& buffer) {
    ForEachPicture([&](const Frame& frame, int32_t x, int32_t y, uint32_t orientation) {
        buffer.DrawFrameBlended(&frame, x, y, orientation, 0);
        return false;
    });
}

Rect ControlObject::BoxAtPlace(int64_t width, int64_t height) const {
    return BoxRect(AbsoluteX(), AbsoluteY(), width, height);
}

bool ControlObject::InBoxAtPlace(int64_t x, int64_t y, int64_t width, int64_t height) const {
    return InBox(x, y, AbsoluteX(), AbsoluteY(), width, height);
}

bool ControlObject::HitTest(int32_t x, int32_t y) {
    return ForEachPicture([&](const Frame& frame, int32_t fx, int32_t fy, uint32_t orientation) {
        return Frame::HitTest(frame, fx, fy, orientation, x, y) != 0;
    });
}

namespace {

// The frame of picture 0 (null when there is none).
const Frame* FirstFrame(ControlObject& control) {
    int32_t x = 0;
    int32_t y = 0;
    uint32_t orientation = 0;
    const uint32_t value = Visual::CallEvent8(&control, 0, x, y, orientation);
    return value != 0 ? Frame::FromAddress(value) : nullptr;
}

}  // namespace

int32_t ControlObject::Width() {
    const Frame* frame = FirstFrame(*this);
    return frame != nullptr ? static_cast<int32_t>(frame->Width()) : 0;
}

int32_t ControlObject::Height() {
    const Frame* frame = FirstFrame(*this);
    return frame != nullptr ? static_cast<int32_t>(frame->Height()) : 0;
}

void ControlObject::GainFocus(int32_t, int32_t) {
    SetInt(kControlHighlighted, 1);
}

void ControlObject::LoseFocus() {
    SetInt(kControlHighlighted, 0);
}

std::string_view ControlObject::HelpText() const {
    return {helpText_.get(), helpLength_};
}

uint32_t ControlObject::HelpTextAddress() const {
    return ToScript(helpText_.get());
}

void ControlObject::SetHelpText(std::string_view file, int32_t number) {
    helpText_ = CopyTextToScript(file);
    helpLength_ = static_cast<uint32_t>(file.size());
    SetInt(kControlHelpNumber, number);
}

ControlObject* ControlObject::Parent() const {
    return parent_.As<ControlObject>();
}

void ControlObject::SetParent(ControlObject* parent) {
    uint32_t depth = 0;
    for (const ControlObject* p = parent; p != nullptr; p = p->Parent()) {
        if (p == this || ++depth > kMaxParentDepth) ThrowFatal("A control cannot contain itself");
    }
    parent_ = WeakObject(parent);
}

int32_t ControlObject::AbsoluteX() const {
    int32_t x = Int(kVisualX);
    uint32_t depth = 0;
    for (const ControlObject* p = Parent(); p != nullptr; p = p->Parent()) {
        if (++depth > kMaxParentDepth) ThrowFatal("A control cannot contain itself");
        x = WrappingAdd(x, p->Int(kVisualX));
    }
    return x;
}

int32_t ControlObject::AbsoluteY() const {
    int32_t y = Int(kVisualY);
    uint32_t depth = 0;
    for (const ControlObject* p = Parent(); p != nullptr; p = p->Parent()) {
        if (++depth > kMaxParentDepth) ThrowFatal("A control cannot contain itself");
        y = WrappingAdd(y, p->Int(kVisualY));
    }
    return y;
}

ControlObject& ControlObject::Of(ScriptObject* receiver) {
    return ReceiverOf<ControlObject>(receiver, "Control object expected");
}

ControlObject* ControlObject::FromAddress(uint32_t address, const char* what) {
    auto* control = dynamic_cast<ControlObject*>(ScriptObject::FromAddress(address, kVisualObjectKind, what));
    if (control == nullptr) ThrowFatal("Not a control where %s expected", what);
    return control;
}

void Control::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(OnHelp, kInputEventVirtual);
    BindNativeBase(row, target);
    target.SetMethod(CreateNative<ControlObject, "class", uint32_t, int32_t, int32_t, int32_t>, 0);
    target.SetMethod(PushFieldAddress<ControlObject, kControlId>, 16);
    target.SetMethod(PushFieldAddress<ControlObject, kControlHotKey>, 18);
    target.SetMethod(SetHelp, 19);
    target.SetMethod(GetHelp, 20);
}

int32_t Control::CallInputEvent(ScriptObject* control, uint32_t dialog, int32_t kind, int32_t a, int32_t b) {
    if (control == nullptr) ThrowFatal("Input event for no control");
    MethodRunner& runner = RunnerOf(control);
    DStack<uint32_t>& stack = runner.DataStack();
    stack.Push(static_cast<uint32_t>(b));
    stack.Push(static_cast<uint32_t>(a));
    stack.Push(static_cast<uint32_t>(kind));
    stack.Push(dialog);
    runner.CallVirtual(control, kInputEventVirtual);
    return static_cast<int32_t>(runner.DataStack().Pop());
}

HelpRequest& HelpRequestHook() {
    static HelpRequest hook;
    return hook;
}
