// Dialog: the script class of the modal windows scripts build and run. Its native object embeds one
// DialogWindow whose step and start go to the dialog's virtual methods 2 and 8 and whose every event
// goes to its virtual method 7; scripts add controls, a frame, help and a pointer through its
// natives, run it with an input device and end it by writing the result. Native screens derive
// from it and bind through Bind first.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "foundation/script_memory.h"
#include "script/script_object.h"
#include "script/weak_object.h"

class DialogWindow;
class Processor;
struct NativeClassRow;

// Virtual methods a dialog adds to GTTClass's: every window event (code, p1, p2 pushed, p2 on top;
// the default stores result 0), and the start of the loop, before event 11 (the default does
// nothing).
constexpr uint32_t kDialogEventVirtual = 7;
constexpr uint32_t kDialogStartVirtual = 8;

class ZEMADialogObject : public ScriptObject {
  public:
    // A dialog of the class over the game's display, with the engine's pointer picture; the
    // processor is the class's. FatalExep when the display or the picture is missing.
    explicit ZEMADialogObject(ZEMAClass* cls);
    ~ZEMADialogObject() override;
    ZEMADialogObject(const ZEMADialogObject&) = delete;
    ZEMADialogObject& operator=(const ZEMADialogObject&) = delete;

    DialogWindow& Window() { return *window_; }
    // Runs the window with the device of holder (a script object that holds one); the result.
    int32_t Run(ScriptObject& holder);
    // The object that holds the device of the window's last run, or null (gone, or the window ran
    // with another device since).
    ScriptObject* InputHolderObject() const;
    // Script address of the help text, for handing to scripts: it stays readable while the dialog
    // lives, and a later text is written over it in place when it fits.
    uint32_t HelpTextAddress();

    // The receiver of a Dialog native; FatalExep when it is not a dialog.
    static ZEMADialogObject& Of(ScriptObject* receiver);

    // What the embedded window's step and control drawing do; a native dialog kind may replace
    // them. The defaults: the dialog's virtual method 2, and the window's own drawing.
    virtual void StepWindow(int32_t frame);
    virtual void DrawWindowControls();

  protected:
    // The window closes: its controls and effects go, and a loop running it stops.
    void ReleaseOwned() override;

  private:
    std::unique_ptr<DialogWindow> window_;
    WeakObject inputHolder_;
    ScriptBuffer<char> helpCopy_;
    size_t helpCapacity_ = 0;
    // Copies too small for a later text; kept, as scripts may still read them.
    std::vector<ScriptBuffer<char>> outgrownHelp_;
};

struct ZEMADialog {
    // Virtual methods 7 and 8 into empty slots, the GTTClass binding, then natives 0 and 4-18.
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
};
