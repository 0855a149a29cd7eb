// DialogWindow::Run: one iteration per frame. Posted messages first (an iteration that dispatches
// them reads no input and draws nothing), then typed characters (Alt hot keys, Escape, edit
// fields), one key, the pointing device, the step and hit test with the pointer events, and last
// the drawing with the pointer, the hint and the screen effects. Every call out of the loop may run
// script code that adds, removes or destroys controls and effects, closes or deletes the window, or
// rebuilds the display: walks go over what was listed when they began, a control held across a
// call is asked whether it is still alive, the window checks that it is still open before it
// touches itself, and the screen's parts are asked for again.
#include <algorithm>
#include <climits>

#include "foundation/exceptions.h"
#include "foundation/saturating.h"
#include "foundation/trace_flag.h"
#include "graphics/colour_table.h"
#include "graphics/display.h"
#include "graphics/font.h"
#include "graphics/image.h"
#include "graphics/screen_buffer.h"
#include "graphics/screen_presenter.h"
#include "graphics/screen_surface.h"
#include "graphics/text_layout.h"
#include "platform/key_table.h"
#include "script/object_lifetime.h"
#include "script/processor.h"
#include "shell/game_stop.h"
#include "shell/input_device.h"
#include "shell/input_queue.h"
#include "ui/control.h"
#include "ui/dialog_window.h"
#include "ui/screen_effects.h"
#include "ui/text_controls.h"
#include "ui/typed_characters.h"
#include "ui/window_requests.h"
#include "ui/window_services.h"

namespace {

// Thrown when a result is stored: the loop unwinds to its end step.
struct RunReturn {};

constexpr uint32_t kInactiveSleep = 300;
constexpr int32_t kRestFrames = 20;
constexpr int64_t kDoubleClickFrames = 10;
constexpr int32_t kWheelDelta = 120;
constexpr int32_t kHintFlags = 2;

// Input actions of a device.
constexpr uint32_t kActionLeft = 0;
constexpr uint32_t kActionRight = 1;
constexpr uint32_t kActionUp = 2;
constexpr uint32_t kActionDown = 3;
constexpr uint32_t kActionPrimary = 4;
constexpr uint32_t kActionSecondary = 5;
constexpr uint32_t kActionClose = 6;
// Buttons of the device's mouse map.
constexpr uint32_t kMouseLeft = 0;
constexpr uint32_t kMouseRight = 1;

// One axis of the pointer speed: held, it grows towards max; released, it falls back towards 0.
void Accelerate(int32_t& speed, bool lowHeld, bool highHeld, int32_t max) {
    if (lowHeld) {
        if (-int64_t{speed} < max) --speed;
    } else if (speed < 0) {
        ++speed;
    }
    if (highHeld) {
        if (speed < max) ++speed;
    } else if (speed > 0) {
        --speed;
    }
}

// Whether the device's key for the action types into an edit field: a keyboard's letter, digit,
// space ... key.
bool KeyTypes(const InputDevice& input, uint32_t action) {
    return input.JoystickNumber() == 0 &&
           KeyTypesInEditField(static_cast<int32_t>(input.Actions().Code(action)));
}

}  // namespace

struct DialogWindow::LoopState {
    std::shared_ptr<DialogWindow*> self;
    InputDevice& input;
    // An edit field takes what is typed this iteration: the keys that type are text only, so an
    // action bound to one of them neither moves the pointer, clicks nor closes the window.
    bool typing = false;
    Font* hintFont = nullptr;
    StackDepths depths{};
    int64_t frame = 0;
    int32_t x = 0;
    int32_t y = 0;
    int32_t previousX = 0;
    int32_t previousY = 0;
    int32_t rest = 0;
    int64_t clickFrame = INT64_MIN / 2;
    int32_t clickX = -1;
    int32_t clickY = -1;

    int32_t Frame() const { return static_cast<int32_t>(frame); }
    // A key of the device's keyboard that types into the active edit field is not an action.
    bool Typed(uint32_t action) const { return typing && KeyTypes(input, action); }
    bool Held(uint32_t action) const { return input.Actions().Held(action) != 0 && !Typed(action); }
    bool Pressed(uint32_t action) const { return input.Actions().Pressed(action) != 0 && !Typed(action); }
    int32_t Position() const {
        return static_cast<int32_t>((static_cast<uint32_t>(y) << 16) | (static_cast<uint32_t>(x) & 0xFFFFu));
    }
};

void DialogWindow::CheckAlive(const std::shared_ptr<DialogWindow*>& self) {
    if (*self == nullptr) ThrowFatal("Dialog window was deleted while it ran");
    const DialogWindow& window = **self;
    // The loop would poll a device that went with its owner.
    if (window.running_ && !window.inputOwner_.Empty() && window.inputOwner_.Get() == nullptr)
        ThrowFatal("The owner of the window's input device was deleted while the window ran");
}

void DialogWindow::Notify(LoopState& s, int32_t event, int32_t p1, int32_t p2) {
    // A copy: the callback may replace the window's callback, or delete the window with it.
    const Callback callback = callback_;
    if (callback) callback(*this, event, p1, p2);
    CheckAlive(s.self);
}

void DialogWindow::EndIfResult() const {
    if (Result() != kNoResult) throw RunReturn{};
}

int32_t DialogWindow::Run(InputDevice& input) {
    return Run(input, nullptr);
}

int32_t DialogWindow::Run(InputDevice& input, const ScriptObject* owner) {
    if (running_) ThrowFatal("Dialog window is already running");
    if (processor_ == nullptr || display_ == nullptr)
        ThrowFatal("Dialog window without a processor or a display");
    LoopState s{self_, input};
    // A device of the last loop whose owner is gone is forgotten before anything can ask for it.
    if (Input() == nullptr) {
        input_ = nullptr;
        inputOwner_.Reset();
    }
    // Controls reach the running window (held button, hint, posted messages) through this.
    const WindowRequestScope requests(*this);
    running_ = true;
    try {
        try {
            s.hintFont = NamedFont(*processor_, "Hint");
            processor_->SaveStackDepths(s.depths);
            SetResult(kNoResult);
            OnStart();
            CheckAlive(s.self);
            hovered_ = {};
            input_ = &input;
            inputOwner_ = WeakObject(owner);
            ForgetInputSoFar();
            input.Poll();
            s.x = s.previousX = input.MouseX();
            s.y = s.previousY = input.MouseY();
            Notify(s, kEventStart, 0, 0);
            EndIfResult();
            Loop(s);
        } catch (const RunReturn&) {
        }
        ClearHovered();
        Notify(s, kEventEnd, 0, 0);
    } catch (...) {
        if (*s.self != nullptr) running_ = false;
        ForgetInputSoFar();
        throw;
    }
    // What ended the window (its key, its character, its press) and what was typed meanwhile
    // belonged to it.
    ForgetInputSoFar();
    running_ = false;
    // Read first: a destructor of what goes now may close or delete the window.
    const int32_t result = Result();
    DeleteDisposed();
    return result;
}

void DialogWindow::Loop(LoopState& s) {
    ReleaseLoop release;
    for (;; ++s.frame) {
        release.Turn();
        DeleteDisposed();
        CheckAlive(s.self);
        CheckGameStop();
        const DisplayServices& services = display_->Services();
        while (!services.Active()) services.Pause(kInactiveSleep);
        s.input.Poll();
        hintText_ = String();

        if (DispatchMessages(s) == Next::kNextFrame) continue;
        if (ReadCharacters(s) == Next::kNextFrame) continue;
        s.typing = EditFieldActive();
        ReadKey(s);
        if (ReadDevice(s) == Next::kNextFrame) continue;
        HitTest(s);
        ReportPointer(s);
        if (skipDraw_) {
            skipDraw_ = false;
            continue;
        }
        DrawFrame(s);
    }
}

DialogWindow::Next DialogWindow::DispatchMessages(LoopState& s) {
    if (messages_.empty()) return Next::kGoOn;
    while (!messages_.empty()) {
        // A handler that posts a message for every message it gets must not hold off a stop.
        CheckGameStop();
        const Message message = messages_.front();
        messages_.pop_front();
        Notify(s, message.code, message.p1, message.p2);
        EndIfResult();
    }
    return Next::kNextFrame;
}

DialogWindow::Next DialogWindow::ReadCharacters(LoopState& s) {
    InputQueue& characters = CharQueue();
    if (characters.Count() >= InputQueue::kValueBytes && characters.PeekInt() == InputQueue::kAltMarker) {
        characters.ReadInt();
        // A marker whose character has not arrived names no character, not -1.
        const bool typed = characters.Count() >= InputQueue::kValueBytes;
        const int32_t c = characters.ReadInt();
        int32_t id = 0;
        bool found = false;
        for (size_t i = 0; typed && i < controls_.size() && !found; ++i) {
            ControlObject* control = LiveControl(controls_[i].object);
            if (control == nullptr || control->HotKey() != c) continue;
            cursorIndex_ = i;
            id = control->Id();
            found = true;
        }
        if (!found && !controls_.empty()) cursorIndex_ = controls_.size() - 1;
        if (found) {
            Notify(s, kEventPrimary, 0, id);
            EndIfResult();
        }
    }
    if (characters.Count() < InputQueue::kValueBytes) return Next::kGoOn;
    if (characters.PeekInt() == VK_ESCAPE) {
        characters.ReadInt();
        Notify(s, kEventCharacter, VK_ESCAPE, CurrentId());
        EndIfResult();
        Notify(s, kEventClose, s.Position(), CurrentId());
        EndIfResult();
        return Next::kNextFrame;
    }
    ReadEditFields(s);
    return Next::kGoOn;
}

void DialogWindow::ReadEditFields(LoopState& s) {
    InputQueue& characters = CharQueue();
    bool anyActive = false;
    bool refused = false;
    // Edit fields are fed from the last control to the first; no script runs while they take
    // characters, so the list stays as it is.
    for (size_t k = controls_.size(); k-- > 0 && !refused;) {
        auto* edit = dynamic_cast<EditControlObject*>(LiveControl(controls_[k].object));
        if (edit == nullptr || !edit->Class()->InheritsFrom("Edit") || !edit->Active()) continue;
        anyActive = true;
        while (characters.Count() >= InputQueue::kValueBytes) {
            const int32_t value = characters.PeekInt();
            if (EditFieldTakes(value)) {
                characters.ReadInt();
                edit->AddChar(static_cast<uint8_t>(value));
            } else if (value == VK_BACK) {
                characters.ReadInt();
                edit->Backspace();
            } else {
                cursorIndex_ = k;
                refused = true;
                break;
            }
        }
    }
    if (!refused) cursorIndex_ = 0;
    if ((!refused && anyActive) || characters.Count() < InputQueue::kValueBytes) return;
    // Taken also from a window without controls, where nobody hears of it: left queued, it would
    // hide every later character, Escape included.
    const int32_t value = characters.ReadInt();
    if (controls_.empty()) return;
    Notify(s, kEventCharacter, value, CurrentId());
    EndIfResult();
}

bool DialogWindow::EditFieldActive() const {
    return std::any_of(controls_.begin(), controls_.end(), [](const Entry& entry) {
        const auto* edit = dynamic_cast<const EditControlObject*>(LiveControl(entry.object));
        return edit != nullptr && edit->Class()->InheritsFrom("Edit") && edit->Active();
    });
}

bool DialogWindow::PrimaryHeld() const {
    const InputDevice* input = Input();
    if (input == nullptr) return false;
    const bool typed = EditFieldActive() && KeyTypes(*input, kActionPrimary);
    return (input->Actions().Held(kActionPrimary) != 0 && !typed) ||
           input->MouseButtons().Held(kMouseLeft) != 0;
}

void DialogWindow::ReadKey(LoopState& s) {
    InputQueue& keys = KeyQueue();
    if (keys.Count() < InputQueue::kValueBytes) return;
    const int32_t key = keys.ReadInt();
    // The key of a character the edit field took was that character and nothing more.
    if (s.typing && KeyTypesInEditField(key)) return;
    if (key == VK_F1 && !helpText_.Empty()) {
        const String file = helpText_;
        const HelpRequest& help = HelpRequestHook();
        if (help) help(DialogValue(), std::string_view(file.Text(), file.Size()), helpNumber_, 0);
        CheckAlive(s.self);
        return;
    }
    Notify(s, kEventKey, key, CurrentId());
    EndIfResult();
}

DialogWindow::Next DialogWindow::ReadDevice(LoopState& s) {
    InputDevice& input = s.input;
    if (s.Pressed(kActionClose)) {
        Notify(s, kEventClose, s.Position(), CurrentId());
        EndIfResult();
        return Next::kNextFrame;
    }
    Accelerate(cursorSpeedX_, s.Held(kActionLeft), s.Held(kActionRight), cursorMaxSpeed_);
    Accelerate(cursorSpeedY_, s.Held(kActionUp), s.Held(kActionDown), cursorMaxSpeed_);
    // The device's pointer may come from a recording: any value is held to the screen.
    const ScreenSurface* surface = display_->Surface();
    const int64_t width = surface != nullptr ? surface->Width() : 0;
    const int64_t height = surface != nullptr ? surface->Height() : 0;
    s.x = static_cast<int32_t>(std::clamp<int64_t>(int64_t{input.MouseX()} + cursorSpeedX_, 0, width));
    s.y = static_cast<int32_t>(std::clamp<int64_t>(int64_t{input.MouseY()} + cursorSpeedY_, 0, height));
    input.SetMousePosition(s.x, s.y);
    if (s.x == s.previousX && s.y == s.previousY) {
        s.rest = std::min(s.rest + 1, INT32_MAX - 1);
    } else {
        s.rest = 0;
    }
    s.previousX = s.x;
    s.previousY = s.y;
    return Next::kGoOn;
}

void DialogWindow::HitTest(LoopState& s) {
    Step(s.Frame());
    CheckAlive(s.self);
    StepControls(s.Frame());
    CheckAlive(s.self);
    ClearHovered();
    // A hit test may run script code that changes the list.
    bool found = false;
    WalkControls(Order::kLastFirst, [&](ControlObject& control) {
        if (!mouseFilter_.empty() &&
            std::find(mouseFilter_.begin(), mouseFilter_.end(), control.Id()) == mouseFilter_.end())
            return false;
        const bool hit = control.HitTest(s.x, s.y);
        CheckAlive(s.self);
        const size_t at = ListedAt(control);
        if (!hit || !control.Alive() || at == controls_.size()) return false;
        found = true;
        hovered_ = WeakObject(&control);
        cursorIndex_ = at;
        control.GainFocus(s.x, s.y);
        CheckAlive(s.self);
        return true;
    });
    if (!found) cursorIndex_ = 0;
}

void DialogWindow::ReportPointer(LoopState& s) {
    InputDevice& input = s.input;
    const bool primary = s.Pressed(kActionPrimary) || input.MouseButtons().Pressed(kMouseLeft) != 0;
    const bool secondary = s.Pressed(kActionSecondary) || input.MouseButtons().Pressed(kMouseRight) != 0;
    const int32_t restEvent = s.rest >= kRestFrames ? kEventRest : kEventPointer;
    const int32_t wheel = input.Wheel() / kWheelDelta;
    const int32_t position = s.Position();

    const WeakObject object = hovered_;
    ControlObject* control = Hovered();
    if (control == nullptr) {
        Notify(s, primary ? kEventPrimary : secondary ? kEventSecondary : restEvent, position, 0);
        if (wheel != 0) {
            Notify(s, kEventWheel, wheel, CurrentId());
            input.SetWheel(0);
        }
        EndIfResult();
        return;
    }
    const int32_t id = control->Id();
    int32_t event = restEvent;
    if (primary) {
        const bool again = s.frame - s.clickFrame < kDoubleClickFrames && s.x == s.clickX && s.y == s.clickY;
        event = again ? kEventDoubleClick : kEventPrimary;
        s.clickFrame = s.frame;
        s.clickX = s.x;
        s.clickY = s.y;
    } else if (secondary) {
        event = kEventSecondary;
    }
    const int32_t relativeX = SaturateInt32(int64_t{s.x} - control->AbsoluteX());
    const int32_t relativeY = SaturateInt32(int64_t{s.y} - control->AbsoluteY());
    const int32_t handled = Control::CallInputEvent(control, DialogValue(), event, relativeX, relativeY);
    CheckAlive(s.self);
    if (handled == 0) Notify(s, event, position, id);
    if (wheel != 0) {
        int32_t wheelHandled = 0;
        if (ControlObject* still = LiveControl(object)) {
            wheelHandled = Control::CallInputEvent(still, DialogValue(), kInputWheel, wheel, 0);
            CheckAlive(s.self);
        }
        if (wheelHandled == 0) Notify(s, kEventWheel, wheel, id);
        input.SetWheel(0);
    }
    EndIfResult();
}

void DialogWindow::DrawFrame(LoopState& s) {
    GameFrameWait();
    display_->LockSurface();
    ScreenSurface* surface = display_->Surface();
    if (surface == nullptr || display_->Buffer() == nullptr || display_->Presenter() == nullptr)
        ThrowFatal("Dialog window has no screen to draw on");
    surface->Fill(0);
    Notify(s, kEventBeforeDraw, 0, 0);
    DrawControls();
    CheckAlive(s.self);
    Notify(s, kEventAfterDraw, 0, 0);
    // The screen's parts are asked for again after every call out: a script may have rebuilt the
    // display meanwhile.
    ScreenBuffer* buffer = display_->Buffer();
    if (Image* cursor = Cursor(); cursor != nullptr && buffer != nullptr)
        buffer->DrawFrameBlended(cursor->GetFrame(0), s.x, s.y, 0, 0);
    DrawHint(s);
    ApplyEffects(s);
    if (display_->Presenter() == nullptr) ThrowFatal("Dialog window has no screen to draw on");
    display_->Presenter()->ShowFrame();
    if (TraceFlag()) {
        if (processor_->SameStackDepths(s.depths) == 0) ThrowWarn(0, 0, "Stacks are not clear");
        processor_->RestoreStackDepths(s.depths);
    }
}

void DialogWindow::DrawHint(LoopState& s) {
    if (hintText_.Empty() || display_->Buffer() == nullptr || display_->Surface() == nullptr) return;
    ScreenBuffer& buffer = *display_->Buffer();
    const ScreenSurface& surface = *display_->Surface();
    const Image* cursor = Cursor();
    const Frame* frame = cursor != nullptr ? const_cast<Image*>(cursor)->GetFrame(0) : nullptr;
    int64_t x = int64_t{s.x} + (frame != nullptr ? frame->Width() : 0) + 2;
    int64_t y = int64_t{s.y} + (frame != nullptr ? frame->Height() : 0) + 2;
    int32_t horizontal = 0;
    int32_t vertical = 0;
    if (s.hintFont != nullptr && x + TextWidth(*s.hintFont, hintText_.Text()) > surface.Width()) {
        horizontal = 2;
        x = surface.Width() - 5;
    }
    if (s.hintFont != nullptr && y + TextHeight(*s.hintFont, hintText_.Text()) > surface.Height()) {
        vertical = 2;
        y = s.y - 2;
    }
    const uint32_t colour = buffer.Colours() != nullptr ? buffer.Colours()->Colour(1) : 0;
    buffer.DrawTextAlignedWithFont(hintText_.Text(), SaturateInt32(x), SaturateInt32(y), colour, s.hintFont,
                                   horizontal, vertical, kHintFlags);
}

void DialogWindow::ApplyEffects(LoopState& s) {
    // A copy to walk: applying and stepping run script code that may change the list.
    const std::vector<Entry> running = effects_;
    auto listed = [this](const WeakObject& object) {
        return std::find_if(effects_.begin(), effects_.end(),
                            [object](const Entry& e) { return e.object == object; });
    };
    for (const Entry& entry : running) {
        if (listed(entry.object) == effects_.end()) continue;
        ScreenEffectObject* effect = LiveEffect(entry.object);
        if (effect != nullptr && effect->State() == kEffectRunning) {
            processor_->CallVirtual(effect, kApplyEffectVirtual);
            CheckAlive(s.self);
            if ((effect = LiveEffect(entry.object)) != nullptr) {
                GTTClass::CallStep(effect, s.Frame());
                CheckAlive(s.self);
            }
            effect = LiveEffect(entry.object);
        }
        // Finished effects leave the list; so do entries whose effect a script deleted.
        if (effect == nullptr || effect->State() == kEffectFinished) {
            const auto at = listed(entry.object);
            if (at == effects_.end()) continue;
            const Entry gone = *at;
            effects_.erase(at);
            if (effect != nullptr) Dispose(gone);
        }
    }
}
