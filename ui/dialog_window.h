// The native window behind every dialog, menu, panel, message box and game screen outside flight:
// a list of controls, a queue of posted messages, running screen effects, a pointer picture and a
// hint text, and the modal loop Run, one iteration per frame (modal_loop.cpp). Everything the loop
// sees happen is reported to one callback with an event code; the loop ends when a result is stored.
//
// Controls and effects are script objects that scripts may delete at any time, so the window holds
// them by their script value and looks each one up at each use: a deleted one is simply gone from
// the window. A window is no script object: what must not outlive it (the window in front of it,
// its running loop) holds its life token, which points at null once it is closed or deleted.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "foundation/engine_string.h"
#include "script/cleanup_steps.h"
#include "script/script_fields.h"
#include "script/weak_object.h"

class ControlObject;
class Display;
class Image;
class InputDevice;
class Processor;
class ScriptObject;
class ScreenEffectObject;

// Event codes of the window callback. Position values are (y << 16) | x of the pointer.
enum WindowEvent : int32_t {
    kEventPointer = 0,      // position, id under the pointer
    kEventPrimary = 1,      // position (0 for commands and hot keys), id
    kEventSecondary = 2,    // position, id under the pointer
    kEventRest = 3,         // position, id under the pointer: the pointer rested 20 frames or more
    kEventClose = 4,        // position, current id
    kEventCharacter = 5,    // character, current id
    kEventKey = 6,          // virtual key, current id
    kEventBeforeDraw = 7,   // 0, 0
    kEventAfterDraw = 8,    // 0, 0
    kEventDoubleClick = 9,  // position, id under the pointer
    kEventWheel = 10,       // wheel notches, id under the pointer or current id
    kEventStart = 11,       // 0, 0
    kEventEnd = 12,         // 0, 0
};

// Ownership modes of list entries: kListOwned entries are owned because every list of a window owns
// its items; kNeverOwned entries stay when they leave the list.
constexpr uint8_t kListOwned = 0;
constexpr uint8_t kAlwaysOwned = 1;
constexpr uint8_t kNeverOwned = 2;

constexpr int32_t kNoResult = -1;

class DialogWindow {
  public:
    using Callback = std::function<void(DialogWindow& window, int32_t event, int32_t p1, int32_t p2)>;

    // Neither the processor, the display nor the cursor picture is owned.
    DialogWindow(Processor* processor, Display* display, Image* cursor);
    DialogWindow(const DialogWindow&) = delete;
    DialogWindow& operator=(const DialogWindow&) = delete;
    // Closes the window unless that was done, logging the errors of script destructors: a
    // destructor cannot pass them on.
    virtual ~DialogWindow();
    // Ends the window: its life token points at null from here on (a loop running it stops with
    // FatalExep at its next check), the parent's childOpen is cleared, and it lets go of everything
    // its lists hold, deleting what they own. Every entry goes; the first error of a script
    // destructor passes on once all went. What owns a window closes it on the normal path.
    void Close();
    bool Closed() const { return *self_ == nullptr; }

    // The four operations of a window. A plain window's Step goes to the parent; StepControls and
    // DrawControls do the parent's controls first; OnStart does nothing.
    virtual void Step(int32_t frame);
    virtual void StepControls(int32_t frame);
    virtual void DrawControls();
    virtual void OnStart();
    // The script value handed to the controls' input event as their dialog: the dialog object of a
    // script dialog, 0 for a native window.
    virtual uint32_t DialogValue() const { return 0; }
    // Points at the window while it lives and at null once it is deleted: what holders that must
    // not outlive the window keep.
    std::shared_ptr<DialogWindow*> LifeToken() const { return self_; }

    // The modal loop: runs until the callback (or a script, through ResultAddress) stores a result
    // and returns it. A window runs one loop at a time: FatalExep for a second one inside the first.
    int32_t Run(InputDevice& input);
    // The same with a device that belongs to a script object (a pilot): once the owner is deleted
    // the loop ends with FatalExep, and the window no longer gives the device out.
    int32_t Run(InputDevice& input, const ScriptObject* owner);
    bool Running() const { return running_; }

    // FatalExep for an object that is not a live control, and on a closed window.
    void AddControl(ScriptObject* control, uint8_t mode);
    // The first control with the id leaves the list (deleted when owned); unknown ids are ignored.
    void RemoveControl(int32_t id);
    void ClearControls();
    // The first live control with the id, or null.
    ControlObject* FindControl(int32_t id);
    uint32_t ControlCount() const { return static_cast<uint32_t>(controls_.size()); }
    // The live control at list position i, or null.
    ControlObject* ControlAt(uint32_t i);

    // FatalExep for an object that is not a live screen effect, and on a closed window.
    void AddEffect(ScriptObject* effect, uint8_t mode);
    void ClearEffects();
    uint32_t EffectCount() const { return static_cast<uint32_t>(effects_.size()); }

    void PostMessage(int32_t code, int32_t p1, int32_t p2);
    // The picture drawn as the pointer; null gives back the one the window was made with.
    void SetCursor(Image* image);
    Image* Cursor() const;
    Image* DefaultCursor() const;
    // The hovered control loses focus and nothing stays hovered.
    void ReleaseFocus();
    ControlObject* Hovered();
    // Id of the control at the list cursor, 0 without controls.
    int32_t CurrentId();

    void SetCallback(Callback callback) { callback_ = std::move(callback); }
    // The callback of a fresh window: stores result 0 at once.
    static void DefaultCallback(DialogWindow& window, int32_t event, int32_t p1, int32_t p2);

    // The standard frame (window_frame.cpp): a centred frame of width x height with its background,
    // the buttons buttons asks for (bit 1 cancel, bit 0 OK) and its closer; the callback becomes
    // FrameCallback.
    void BuildFrame(int32_t width, int32_t height, uint32_t buttons);
    // The frame's answers: OK 1, cancel and the close request 0.
    static void FrameCallback(DialogWindow& window, int32_t event, int32_t p1, int32_t p2);
    int32_t Result() const;
    void SetResult(int32_t result);
    // Where the result lives in script memory: script dialogs end the loop by writing it.
    uint32_t ResultAddress() const { return resultField_.Address(0); }

    // The window behind this one: drawn and stepped first. Its childOpen is set now and cleared when
    // this window goes. Null detaches.
    void SetParent(DialogWindow* parent);
    DialogWindow* Parent() const { return parent_ != nullptr ? *parent_ : nullptr; }
    bool ChildOpen() const { return childOpen_; }
    void SetChildOpen(bool open) { childOpen_ = open; }

    void SetHint(const String& text) { hintText_ = text; }
    const String& Hint() const { return hintText_; }
    void SetHelp(int32_t number, const String& text) {
        helpNumber_ = number;
        helpText_ = text;
    }
    int32_t HelpNumber() const { return helpNumber_; }
    const String& HelpText() const { return helpText_; }
    // Ids of the only controls the pointer finds, when not empty.
    std::vector<int32_t>& MouseFilter() { return mouseFilter_; }
    void SetSkipDraw() { skipDraw_ = true; }
    void SetCursorMaxSpeed(int32_t speed) { cursorMaxSpeed_ = speed; }

    Display* GetDisplay() const { return display_; }
    Processor* GetProcessor() const { return processor_; }
    // The device of the running (or last) loop; null before the first and once its owner is gone.
    InputDevice* Input() const;
    // Action 4 held or the left mouse button down, as that device reports them (false without one):
    // what controls ask while they follow a held button. While an edit field takes typing, a key
    // that types is text, not the action.
    bool PrimaryHeld() const;
    // The object the device belongs to; null for a device without one, or once it is gone.
    ScriptObject* InputOwner() const { return inputOwner_.Get(); }

  private:
    struct Entry {
        WeakObject object;
        uint8_t mode;
    };
    struct Message {
        int32_t code, p1, p2;
    };
    struct LoopState;
    enum class Next { kGoOn, kNextFrame };

    // The live control (effect) of an entry, null once a script deleted it.
    static ControlObject* LiveControl(const WeakObject& ref);
    static ScreenEffectObject* LiveEffect(const WeakObject& ref);
    enum class Order { kListed, kLastFirst };
    // The walks that call script code: visit(control) for each control listed when the walk began
    // that is still alive and still listed when the walk comes to it, until visit answers true.
    void WalkControls(Order order, const std::function<bool(ControlObject&)>& visit);
    // The list position of a control; ControlCount() when it is not listed.
    size_t ListedAt(const ControlObject& control) const;
    // FatalExep unless the window is open and the object alive.
    void CheckTakes(const ScriptObject& object) const;
    // Takes an owned object out of reach; while the loop runs the deletion waits for the end of the
    // iteration, as the object's own code may be what asked for it.
    void Dispose(const Entry& entry);
    static void DeleteOwned(const WeakObject& ref);
    void DeleteDisposed();
    void DisposeAll(std::vector<Entry> entries);
    void ReleaseEverything(CleanupSteps::FirstError errors);
    void ClearHovered();

    // modal_loop.cpp
    void Loop(LoopState& s);
    Next DispatchMessages(LoopState& s);
    Next ReadCharacters(LoopState& s);
    void ReadEditFields(LoopState& s);
    // Whether an edit field of this window takes typed text now.
    bool EditFieldActive() const;
    void ReadKey(LoopState& s);
    Next ReadDevice(LoopState& s);
    void HitTest(LoopState& s);
    void ReportPointer(LoopState& s);
    void DrawFrame(LoopState& s);
    void DrawHint(LoopState& s);
    void ApplyEffects(LoopState& s);
    // Calls the callback; FatalExep when the call deleted this window.
    void Notify(LoopState& s, int32_t event, int32_t p1, int32_t p2);
    // Ends the loop (through RunReturn) when a result is stored.
    void EndIfResult() const;
    // FatalExep, touching nothing of the window, when it was deleted during a call out of the loop;
    // FatalExep too when the owner of the running loop's device was.
    static void CheckAlive(const std::shared_ptr<DialogWindow*>& self);

    bool skipDraw_ = false;
    std::vector<Entry> controls_;
    size_t cursorIndex_ = 0;  // the list cursor that gives the current id
    WeakObject hovered_;
    std::vector<int32_t> mouseFilter_;
    std::deque<Message> messages_;
    String hintText_;
    int32_t helpNumber_ = 0;
    String helpText_;
    Callback callback_;
    int32_t cursorSpeedX_ = 0;
    int32_t cursorSpeedY_ = 0;
    int32_t cursorMaxSpeed_ = 15;
    Display* display_;
    WeakObject cursor_;         // a pointer picture set by SetCursor; none for the default
    WeakObject defaultCursor_;  // the window's own; none once a scene reset took it
    InputDevice* input_ = nullptr;
    WeakObject inputOwner_;  // empty for a device without an owner
    std::shared_ptr<DialogWindow*> parent_;
    Processor* processor_;
    std::vector<Entry> effects_;
    bool childOpen_ = false;
    ScriptFields resultField_{1};
    bool running_ = false;
    std::vector<WeakObject> disposed_;
    // Points at this window until it is destroyed; children and running loops keep a copy.
    std::shared_ptr<DialogWindow*> self_;
};
