// The base of every control a window holds: the ControlObject (a VisualObject with an id, the
// pointer-over flag, help, a parent control and a hot key), the operations the window calls on any
// control (draw, hit test, size, focus), placement through the parent chain, and the script-level
// input event (virtual method 13) with its default, which shows the control's help.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "foundation/script_memory.h"
#include "script/weak_object.h"
#include "ui/visual.h"

class ScreenBuffer;
class ZEMAClass;
struct Rect;
struct NativeClassRow;

// The script-level input event of a control: takes (pushed) b, a, kind, dialog; gives an int, not 0
// when the control took the event.
constexpr uint32_t kInputEventVirtual = 13;

// Kinds of pointer input the window loop passes to virtual method 13; a and b are the pointer
// relative to the control's absolute position, except for the wheel (a = notches, b = 0).
enum ControlInput : int32_t {
    kInputOver = 0,         // pointer over the control, no button
    kInputPress = 1,        // first button pressed
    kInputSecondPress = 2,  // second button pressed
    kInputRest = 3,         // pointer resting on the same spot for 20 frames or more
    kInputDoubleClick = 9,  // first button again within 10 frames at the same spot
    kInputWheel = 10,
};

// Fields of a ControlObject after Visual's: the identifier within the window; 1 while the pointer
// is over the control; the number of the help message in the help file; the character that, typed
// with ALT, activates the control. A control kind's own fields follow from kControlFieldCount.
constexpr uint32_t kControlId = kVisualFieldCount;
constexpr uint32_t kControlHighlighted = kVisualFieldCount + 1;
constexpr uint32_t kControlHelpNumber = kVisualFieldCount + 2;
constexpr uint32_t kControlHotKey = kVisualFieldCount + 3;
constexpr uint32_t kControlFieldCount = kVisualFieldCount + 4;

class ControlObject : public VisualObject {
  public:
    // The Visual part gets (cls, picture, x, y, 0, 0); extraFields zero-filled fields of a derived
    // kind follow the Control fields.
    ControlObject(ZEMAClass* cls, uint32_t picture, int32_t x, int32_t y, int32_t id,
                  uint32_t extraFields = 0);
    ~ControlObject() override;

    // The pictures of virtual methods 7 and 8, placed at the parent's absolute position.
    virtual void Draw(ScreenBuffer& buffer);
    // Whether the screen point lies on the control.
    virtual bool HitTest(int32_t x, int32_t y);
    // Size of the frame of picture 0 (0 without one).
    virtual int32_t Width();
    virtual int32_t Height();
    // The pointer enters (at x, y) and leaves the control.
    virtual void GainFocus(int32_t x, int32_t y);
    virtual void LoseFocus();

    int32_t Id() const { return Int(kControlId); }
    bool Highlighted() const { return Int(kControlHighlighted) != 0; }
    int32_t HotKey() const { return Int(kControlHotKey); }
    int32_t HelpNumber() const { return Int(kControlHelpNumber); }
    // The help message file name; empty for no help.
    std::string_view HelpText() const;
    // Script address of the help file name (a NUL-terminated text in script memory).
    uint32_t HelpTextAddress() const;
    // Stores the number and a copy of the file name.
    void SetHelpText(std::string_view file, int32_t number);

    // The containing control, or null. The link is weak: a parent that is deleted reads as none.
    ControlObject* Parent() const;
    // Null detaches. FatalExep when the control would become its own ancestor.
    void SetParent(ControlObject* parent);
    // Own position plus the parents' absolute position, up the parent chain.
    int32_t AbsoluteX() const;
    int32_t AbsoluteY() const;

    // The receiver of a Control native; FatalExep when it is not a control.
    static ControlObject& Of(ScriptObject* receiver);
    // The control a script value names; FatalExep (naming what) when it names no live control.
    static ControlObject* FromAddress(uint32_t address, const char* what);

  protected:
    // The box of width x height at the control's absolute position, its edges held to the int32
    // range; whether a screen point lies in it.
    Rect BoxAtPlace(int64_t width, int64_t height) const;
    bool InBoxAtPlace(int64_t x, int64_t y, int64_t width, int64_t height) const;

    // Calls visit(frame, screen x, screen y, orientation) for each picture of virtual methods 7 and
    // 8 until it answers true; the count is asked again before each picture. Pictures without a
    // frame are skipped, and the walk ends when a script destroyed the control. Answers whether a
    // visit answered true.
    bool ForEachPicture(const std::function<bool(const Frame&, int32_t, int32_t, uint32_t)>& visit);

  private:
    ScriptBuffer<char> helpText_;  // in script memory: GetHelp hands it to scripts
    uint32_t helpLength_ = 0;      // kept here, as scripts may overwrite the terminator
    WeakObject parent_;
};

// The Control script class and the native calls into it.
struct Control {
    // Virtual method 13 (OnHelp) into an empty slot, Visual's binding, then natives 0, 16, 18-20.
    static void Bind(ZEMAClass& target, const NativeClassRow& row);

    // Virtual method 13 of the control with (dialog, kind, a, b); its integer answer. dialog is the
    // script value that names the window to scripts (0 for none); the control's help is shown over
    // that window.
    static int32_t CallInputEvent(ScriptObject* control, uint32_t dialog, int32_t kind, int32_t a, int32_t b);
};

// Shows message `number` of the message file `file` in the help window over the window that
// `dialog` names; flags bit 0 marks an unasked tip. The help system installs it; until then help
// requests show nothing.
using HelpRequest =
    std::function<void(uint32_t dialog, std::string_view file, int32_t number, int32_t flags)>;
HelpRequest& HelpRequestHook();
