#include "ui/dialog_window.h"

#include <algorithm>

#include "foundation/exceptions.h"
#include "graphics/display.h"
#include "graphics/font.h"
#include "graphics/graphics_kinds.h"
#include "graphics/image.h"
#include "graphics/screen_buffer.h"
#include "script/cleanup_steps.h"
#include "script/object_walk.h"
#include "script/processor.h"
#include "ui/control.h"
#include "ui/screen_effects.h"
#include "ui/ui_kinds.h"
#include "ui/visual.h"

// Owned objects are deleted through the script engine, so that their script destructors run.
void DialogWindow::DeleteOwned(const WeakObject& ref) {
    ScriptObject* live = ref.Get();
    // One that is being destroyed already is what is taking this window down.
    if (live != nullptr && !live->BeingDestroyed()) DestroyObject(live);
}

DialogWindow::DialogWindow(Processor* processor, Display* display, Image* cursor)
    : callback_(DefaultCallback),
      display_(display),
      defaultCursor_(cursor),
      processor_(processor),
      self_(std::make_shared<DialogWindow*>(this)) {
    SetResult(kNoResult);
}

DialogWindow::~DialogWindow() {
    // A window never closed goes while an error unwinds, or with an owner deleted directly: a
    // destructor cannot pass errors on.
    ReleaseEverything(CleanupSteps::FirstError::kLog);
}

void DialogWindow::Close() {
    ReleaseEverything(CleanupSteps::FirstError::kPassOn);
}

void DialogWindow::ReleaseEverything(CleanupSteps::FirstError errors) {
    if (*self_ == nullptr) return;
    // Gone from here on for the loops that run it and the windows in front of it.
    *self_ = nullptr;
    if (DialogWindow* parent = Parent()) parent->childOpen_ = false;
    std::vector<Entry> effects;
    std::vector<Entry> controls;
    std::vector<WeakObject> disposed;
    effects.swap(effects_);
    controls.swap(controls_);
    disposed.swap(disposed_);
    hovered_.Reset();
    CleanupSteps steps(processor_, errors);
    for (const std::vector<Entry>* list : {&effects, &controls}) {
        for (const Entry& entry : *list) {
            if (entry.mode != kNeverOwned) steps.Run([&entry] { DeleteOwned(entry.object); });
        }
    }
    for (const WeakObject& object : disposed) steps.Run([&object] { DeleteOwned(object); });
    steps.Finish();
}

void DialogWindow::Step(int32_t frame) {
    if (DialogWindow* parent = Parent()) parent->Step(frame);
}

// Steps and drawing run script code, which may add, remove or destroy controls, close this window
// or (through the screen options) rebuild the display: each walk goes over the controls listed when
// it began, the window is checked after each call and the buffer asked for again.
void DialogWindow::StepControls(int32_t frame) {
    const std::shared_ptr<DialogWindow*> self = self_;
    if (DialogWindow* parent = Parent()) {
        parent->StepControls(frame);
        CheckAlive(self);
    }
    WalkControls(Order::kListed, [&](ControlObject& control) {
        GTTClass::CallStep(&control, frame);
        CheckAlive(self);
        return false;
    });
}

void DialogWindow::DrawControls() {
    if (display_ == nullptr || display_->Buffer() == nullptr) return;
    Font* font = display_->Buffer()->CurrentFont();
    const std::shared_ptr<DialogWindow*> self = self_;
    if (DialogWindow* parent = Parent()) {
        parent->DrawControls();
        CheckAlive(self);
    }
    WalkControls(Order::kListed, [&](ControlObject& control) {
        if (display_->Buffer() == nullptr) return true;
        control.Draw(*display_->Buffer());
        CheckAlive(self);
        if (display_->Buffer() != nullptr) display_->Buffer()->SetFont(font);
        return false;
    });
}

void DialogWindow::OnStart() {}

ControlObject* DialogWindow::LiveControl(const WeakObject& ref) {
    return ref.As<ControlObject>();
}

ScreenEffectObject* DialogWindow::LiveEffect(const WeakObject& ref) {
    return dynamic_cast<ScreenEffectObject*>(ref.Get(kScreenEffectKind));
}

void DialogWindow::WalkControls(Order order, const std::function<bool(ControlObject&)>& visit) {
    std::vector<ControlObject*> listed;
    listed.reserve(controls_.size());
    for (const Entry& entry : controls_) {
        if (ControlObject* control = LiveControl(entry.object)) listed.push_back(control);
    }
    if (order == Order::kLastFirst) std::reverse(listed.begin(), listed.end());
    const ObjectWalk<ControlObject> walk(std::move(listed));
    bool done = false;
    walk.ForEachAlive([&](ControlObject& control) {
        // One a script took out of the list meanwhile is no longer the window's.
        if (!done && ListedAt(control) != controls_.size()) done = visit(control);
    });
}

size_t DialogWindow::ListedAt(const ControlObject& control) const {
    const WeakObject ref(&control);
    for (size_t i = 0; i < controls_.size(); ++i) {
        if (controls_[i].object == ref) return i;
    }
    return controls_.size();
}

void DialogWindow::AddControl(ScriptObject* control, uint8_t mode) {
    if (dynamic_cast<ControlObject*>(control) == nullptr) ThrowFatal("Not a control added to a window");
    CheckTakes(*control);
    controls_.push_back({WeakObject(control), mode});
}

void DialogWindow::CheckTakes(const ScriptObject& object) const {
    // A closed window lets go of nothing more: what it took now would be owned by nobody.
    if (Closed()) ThrowFatal("Object at 0x%08X added to a closed window", object.Address());
    object.CheckAlive("window entry");
}

void DialogWindow::Dispose(const Entry& entry) {
    if (entry.mode == kNeverOwned) return;
    if (running_) {
        disposed_.push_back(entry.object);
    } else {
        DeleteOwned(entry.object);
    }
}

void DialogWindow::DeleteDisposed() {
    std::vector<WeakObject> disposed;
    disposed.swap(disposed_);
    // Every entry goes, whatever a script destructor of another one does (close or free this
    // window, or fail): nothing of the window is touched once the first has run.
    CleanupSteps steps(processor_);
    for (const WeakObject& object : disposed) steps.Run([&object] { DeleteOwned(object); });
    steps.Finish();
}

void DialogWindow::DisposeAll(std::vector<Entry> entries) {
    const std::shared_ptr<DialogWindow*> self = self_;
    // Every entry goes, whatever a script destructor of another one does (close this window, or
    // fail); the first error passes on once all went.
    CleanupSteps steps(processor_);
    for (const Entry& entry : entries) {
        steps.Run([&] {
            if (*self != nullptr) {
                Dispose(entry);
            } else if (entry.mode != kNeverOwned) {
                DeleteOwned(entry.object);
            }
        });
    }
    steps.Finish();
}

void DialogWindow::RemoveControl(int32_t id) {
    for (size_t i = 0; i < controls_.size(); ++i) {
        ControlObject* control = LiveControl(controls_[i].object);
        if (control == nullptr || control->Id() != id) continue;
        if (hovered_ == controls_[i].object) hovered_.Reset();
        const Entry entry = controls_[i];
        controls_.erase(controls_.begin() + static_cast<std::ptrdiff_t>(i));
        // The cursor stays on the control it was on.
        if (cursorIndex_ > i) --cursorIndex_;
        Dispose(entry);
        return;
    }
}

void DialogWindow::ClearControls() {
    hovered_.Reset();
    cursorIndex_ = 0;
    std::vector<Entry> entries;
    entries.swap(controls_);
    DisposeAll(std::move(entries));
}

ControlObject* DialogWindow::FindControl(int32_t id) {
    for (const Entry& entry : controls_) {
        ControlObject* control = LiveControl(entry.object);
        if (control != nullptr && control->Id() == id) return control;
    }
    return nullptr;
}

ControlObject* DialogWindow::ControlAt(uint32_t i) {
    return i < controls_.size() ? LiveControl(controls_[i].object) : nullptr;
}

void DialogWindow::AddEffect(ScriptObject* effect, uint8_t mode) {
    if (effect == nullptr || effect->Kind() != kScreenEffectKind)
        ThrowFatal("Not a screen effect added to a window");
    CheckTakes(*effect);
    effects_.push_back({WeakObject(effect), mode});
}

void DialogWindow::ClearEffects() {
    std::vector<Entry> entries;
    entries.swap(effects_);
    DisposeAll(std::move(entries));
}

void DialogWindow::PostMessage(int32_t code, int32_t p1, int32_t p2) {
    messages_.push_back({code, p1, p2});
}

void DialogWindow::SetCursor(Image* image) {
    cursor_ = WeakObject(image);
}

Image* DialogWindow::Cursor() const {
    // A pointer picture that is gone falls back to the window's own.
    if (auto* image = dynamic_cast<Image*>(cursor_.Get(kImageKind))) return image;
    return DefaultCursor();
}

Image* DialogWindow::DefaultCursor() const {
    return dynamic_cast<Image*>(defaultCursor_.Get(kImageKind));
}

ControlObject* DialogWindow::Hovered() {
    return LiveControl(hovered_);
}

void DialogWindow::ClearHovered() {
    ControlObject* control = Hovered();
    hovered_.Reset();
    if (control != nullptr) control->LoseFocus();
}

void DialogWindow::ReleaseFocus() {
    ClearHovered();
}

int32_t DialogWindow::CurrentId() {
    if (controls_.empty()) return 0;
    cursorIndex_ = std::min(cursorIndex_, controls_.size() - 1);
    ControlObject* control = LiveControl(controls_[cursorIndex_].object);
    return control != nullptr ? control->Id() : 0;
}

InputDevice* DialogWindow::Input() const {
    return inputOwner_.Empty() || inputOwner_.Get() != nullptr ? input_ : nullptr;
}

int32_t DialogWindow::Result() const {
    return static_cast<int32_t>(resultField_.Data()[0]);
}

void DialogWindow::SetResult(int32_t result) {
    resultField_.Data()[0] = static_cast<uint32_t>(result);
}

void DialogWindow::SetParent(DialogWindow* parent) {
    if (DialogWindow* old = Parent()) old->childOpen_ = false;
    for (DialogWindow* w = parent; w != nullptr; w = w->Parent()) {
        if (w == this) ThrowFatal("A window cannot lie behind itself");
    }
    parent_ = parent != nullptr ? parent->self_ : nullptr;
    if (parent != nullptr) parent->childOpen_ = true;
}

void DialogWindow::DefaultCallback(DialogWindow& window, int32_t, int32_t, int32_t) {
    window.SetResult(0);
}
