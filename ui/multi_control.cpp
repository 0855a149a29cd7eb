#include "ui/multi_control.h"

#include "foundation/exceptions.h"
#include "graphics/frame.h"
#include "graphics/image.h"
#include "graphics/screen_buffer.h"
#include "script/cleanup_steps.h"
#include "script/method_runner.h"
#include "script/native_args.h"
#include "script/native_binder.h"
#include "script/object_walk.h"
#include "script/receiver_of.h"
#include "script/weak_object.h"
#include "script/zema_class.h"
#include "ui/control_create.h"
#include "ui/draw_state.h"
#include "ui/interface_pictures.h"
#include "ui/window_requests.h"

namespace {

// Arrow places relative to the container.
constexpr int32_t kArrowRight = 15;
constexpr int32_t kDownArrowBottom = 20;
constexpr int32_t kUpArrowTop = 20;
constexpr int32_t kArrowScroll = 10;
constexpr int32_t kWheelScroll = 10;

// The control a child entry names, or null once it was deleted.
ControlObject* Resolve(const WeakObject& entry) {
    return entry.As<ControlObject>();
}

// Destroys a child the way scripts expect, unless the engine keeps it or its destruction began.
void DestroyChild(ControlObject* child) {
    if (child == nullptr || child->KeptByEngine() || child->BeingDestroyed()) return;
    DestroyObject(child);
}

Frame* ArrowFrame(const WeakObject& picture) {
    Image* arrow = picture.As<Image>();
    return arrow != nullptr && arrow->FrameCount() > 0 ? arrow->GetFrame(0) : nullptr;
}

bool OnArrow(const WeakObject& arrow, int32_t x, int32_t y, int32_t a, int32_t b) {
    Frame* frame = ArrowFrame(arrow);
    return frame != nullptr && Frame::HitTest(*frame, x, y, 0, a, b) != 0;
}

void PushControl(NativeArgs& args, ControlObject* control) {
    args.Stack().Push(control != nullptr ? control->Address() : 0);
}

void StepHandler(ScriptObject* receiver) {
    MultiControlObject& container = MultiControlObject::Of(receiver);
    container.StepChildren(NativeArgs(receiver).Int());
}

void OnInputHandler(ScriptObject* receiver) {
    MultiControlObject& container = MultiControlObject::Of(receiver);
    NativeArgs args(receiver);
    const uint32_t dialog = args.Word();
    const int32_t kind = args.Int();
    const int32_t a = args.Int();
    const int32_t b = args.Int();
    const bool pointer =
        kind == kInputOver || kind == kInputPress || kind == kInputRest || kind == kInputDoubleClick;
    const bool held = pointer && WindowPrimaryHeld(dialog);
    args.Stack().Push(static_cast<uint32_t>(container.OnInput(dialog, kind, a, b, held)));
}

void AddControlHandler(ScriptObject* receiver) {
    MultiControlObject& container = MultiControlObject::Of(receiver);
    NativeArgs args(receiver);
    container.AddControl(ControlObject::FromAddress(args.Word(), "control"));
}

void ClearControlsHandler(ScriptObject* receiver) {
    MultiControlObject::Of(receiver).ClearControls();
}

void FirstControlHandler(ScriptObject* receiver) {
    MultiControlObject& container = MultiControlObject::Of(receiver);
    NativeArgs args(receiver);
    PushControl(args, container.FirstControl());
}

void CurrentControlHandler(ScriptObject* receiver) {
    MultiControlObject& container = MultiControlObject::Of(receiver);
    NativeArgs args(receiver);
    PushControl(args, container.CurrentControl());
}

void NextControlHandler(ScriptObject* receiver) {
    MultiControlObject& container = MultiControlObject::Of(receiver);
    NativeArgs args(receiver);
    PushControl(args, container.NextControl());
}

}  // namespace

MultiControlObject::MultiControlObject(ZEMAClass* cls, int32_t x, int32_t y, int32_t width, int32_t height,
                                       int32_t id, uint32_t extraFields)
    : ControlObject(cls, 0, x, y, id, extraFields),
      upPicture_(InterfacePicture(this, "Misc\\Up.dpf")),
      downPicture_(InterfacePicture(this, "Misc\\Down.dpf")),
      box_(ScrollBox::ForView(width, height)) {}

MultiControlObject::~MultiControlObject() {
    ReleaseOwnedQuietly();
}

void MultiControlObject::ReleaseOwned() {
    CleanupSteps steps(this);
    steps.Run([this] { DestroyChildren(); });
    steps.Run([this] { ControlObject::ReleaseOwned(); });
    steps.Finish();
}

void MultiControlObject::DestroyChildren() {
    std::vector<WeakObject> children;
    children.swap(children_);
    cursor_ = 0;
    // Each looked up at its turn: a child's destructor may have destroyed a sibling.
    CleanupSteps steps(this);
    for (const WeakObject& entry : children) steps.Run([&entry] { DestroyChild(Resolve(entry)); });
    steps.Finish();
}

void MultiControlObject::Draw(ScreenBuffer& buffer) {
    const ClipAndOrigin saved(buffer);
    const int32_t x = AbsoluteX();
    const int32_t y = AbsoluteY();
    buffer.IntersectClipRect(BoxAtPlace(int64_t{box_.viewWidth} + 1, int64_t{box_.viewHeight} + 1));
    const int32_t arrowX = Offset(x, int64_t{box_.viewWidth} - kArrowRight);
    if (box_.canScrollDown) {
        if (Frame* down = ArrowFrame(downPicture_))
            buffer.DrawFrameBlended(down, arrowX, Offset(y, int64_t{box_.viewHeight} - kDownArrowBottom), 0,
                                    0);
    }
    if (box_.canScrollUp) {
        if (Frame* up = ArrowFrame(upPicture_))
            buffer.DrawFrameBlended(up, arrowX, Offset(y, kUpArrowTop), 0, 0);
    }
    buffer.SetOrigin(saved.OriginX(), Offset(saved.OriginY(), -int64_t{box_.scrollY}));
    ForEachChild([&buffer](ControlObject& child) {
        child.Draw(buffer);
        return false;
    });
}

bool MultiControlObject::HitTest(int32_t x, int32_t y) {
    return InBoxAtPlace(x, y, box_.viewWidth, box_.viewHeight);
}

int32_t MultiControlObject::Width() {
    return box_.viewWidth;
}

int32_t MultiControlObject::Height() {
    return box_.viewHeight;
}

ControlObject* MultiControlObject::ChildAt(int32_t x, int32_t& y) {
    y = Offset(y, box_.scrollY);
    const int32_t contentY = y;
    return ForEachChild([x, contentY](ControlObject& child) { return child.HitTest(x, contentY); });
}

void MultiControlObject::GainFocus(int32_t x, int32_t y) {
    if (ControlObject* child = ChildAt(x, y)) child->GainFocus(x, y);
}

void MultiControlObject::LoseFocus() {
    ForEachChild([](ControlObject& child) {
        child.LoseFocus();
        return false;
    });
}

void MultiControlObject::AddControl(ControlObject* control) {
    if (control == nullptr) ThrowFatal("Null object where control expected");
    // A container whose destruction began has let go of its children: it takes no more.
    CheckAlive("container");
    control->CheckAlive("control");
    const ControlObject* parent = control->Parent();
    if (parent != nullptr && parent != this) ThrowFatal("The control is already in another container");
    control->SetParent(this);
    children_.emplace_back(control);
    // A control's size may be a script's answer, and that script may destroy the control or this
    // container: a size of what is gone widens nothing.
    const int32_t width = control->Width();
    if (!control->Alive() || !Alive()) return;
    const int32_t height = control->Height();
    if (!control->Alive() || !Alive()) return;
    box_.Cover(control->Int(kVisualX), control->Int(kVisualY), width, height);
    Scroll(0);
}

void MultiControlObject::Scroll(int64_t delta) {
    box_.Scroll(delta);
}

void MultiControlObject::ClearControls() {
    Scroll(0);
    DestroyChildren();
}

void MultiControlObject::Prune() {
    for (size_t i = 0; i < children_.size();) {
        if (Resolve(children_[i]) != nullptr) {
            ++i;
            continue;
        }
        children_.erase(children_.begin() + static_cast<std::ptrdiff_t>(i));
        // The cursor moves off a removed entry to the next one, or back when it was the last.
        if (i < cursor_ || (i == cursor_ && cursor_ == children_.size() && cursor_ > 0)) --cursor_;
    }
}

ControlObject* MultiControlObject::FirstControl() {
    Prune();
    cursor_ = 0;
    return CurrentControl();
}

ControlObject* MultiControlObject::CurrentControl() {
    Prune();
    return cursor_ < children_.size() ? Resolve(children_[cursor_]) : nullptr;
}

ControlObject* MultiControlObject::NextControl() {
    Prune();
    if (cursor_ + 1 >= children_.size()) return nullptr;
    ++cursor_;
    return Resolve(children_[cursor_]);
}

std::vector<ControlObject*> MultiControlObject::Children() const {
    std::vector<ControlObject*> live;
    live.reserve(children_.size());
    for (const WeakObject& entry : children_) {
        if (ControlObject* child = Resolve(entry)) live.push_back(child);
    }
    return live;
}

void MultiControlObject::StepChildren(int32_t value) {
    ForEachChild([value](ControlObject& child) {
        GTTClass::CallStep(&child, value);
        return false;
    });
}

ControlObject* MultiControlObject::ForEachChild(const std::function<bool(ControlObject&)>& visit) {
    // A child's script may add, clear or destroy children, or the container.
    const ObjectWalk<ControlObject> walk(Children());
    ControlObject* found = nullptr;
    walk.ForEachAlive([&](ControlObject& child) {
        if (found != nullptr) return;
        const bool hit = visit(child);
        if (!Alive()) ThrowFatal("A control deleted the container it lies in");
        if (hit && child.Alive()) found = &child;
    });
    return found;
}

int32_t MultiControlObject::OnInput(uint32_t dialog, int32_t kind, int32_t a, int32_t b, bool primaryHeld) {
    const bool pointer =
        kind == kInputOver || kind == kInputPress || kind == kInputRest || kind == kInputDoubleClick;
    if (pointer && primaryHeld) {
        const int32_t arrowX = Offset(box_.viewWidth, -kArrowRight);
        if (box_.canScrollDown &&
            OnArrow(downPicture_, arrowX, Offset(box_.viewHeight, -kDownArrowBottom), a, b)) {
            Scroll(kArrowScroll);
            return -1;
        }
        if (box_.canScrollUp && OnArrow(upPicture_, arrowX, kUpArrowTop, a, b)) {
            Scroll(-kArrowScroll);
            return -1;
        }
    }
    if (kind == kInputWheel) {
        Scroll(-int64_t{kWheelScroll} * a);
        return -1;
    }
    const int32_t x = Offset(AbsoluteX(), a);
    int32_t y = Offset(AbsoluteY(), b);
    ControlObject* child = ChildAt(x, y);
    if (child == nullptr) return 0;
    const int32_t id = child->Id();
    const int32_t relX = Offset(x, -int64_t{child->AbsoluteX()});
    const int32_t relY = Offset(y, -int64_t{child->AbsoluteY()});
    if (Control::CallInputEvent(child, dialog, kind, relX, relY) == 0) WindowPostMessage(dialog, kind, 0, id);
    return -1;
}

MultiControlObject& MultiControlObject::Of(ScriptObject* receiver) {
    return ReceiverOf<MultiControlObject>(receiver, "MultiControl expected");
}

void MultiControl::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(StepHandler, kStepVirtual);
    target.SetVirtualMethod(OnInputHandler, kInputEventVirtual);
    BindNativeBase(row, target);
    target.SetMethod(CreateBoxedControl<MultiControlObject>, 0);
    target.SetMethod(AddControlHandler, 21);
    target.SetMethod(ClearControlsHandler, 22);
    target.SetMethod(FirstControlHandler, 23);
    target.SetMethod(CurrentControlHandler, 24);
    target.SetMethod(NextControlHandler, 25);
}
