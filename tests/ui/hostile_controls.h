// Script control classes that do, from inside a call native code makes into them, what a hostile
// script may: take a control out of a dialog, add one to it, destroy an object, or fail. Each may
// also log its visits, so that a test sees which controls a walk went over, in order.
#pragma once

#include <cstdint>
#include <string>

#include "tools/content/script_subclass.h"

class ScriptLog;

// Fields of a hostile control: the dialog (or container) its action works on, and the object (or
// control id) the action names.
enum HostileField : uint32_t { kHostileOn, kHostileTarget, kHostileFieldCount };

enum class HostileAction {
    kNone,
    kRemove,    // the dialog's RemoveControl with the target as the id
    kAdd,       // the dialog's AddControl with the target, owned
    kAddChild,  // the container's AddControl with the target
    kDestroy,   // deletes the target
    kFail,      // reads address 0
};

struct HostileControl {
    std::string name;
    HostileAction action = HostileAction::kNone;
    // The virtual method that acts: 0 (destroyed), 2 (step), 7 (picture count) or 8 (a picture).
    uint32_t when = 0;
    // What virtual method 7 answers; the pictures virtual method 8 gives have no frame.
    int32_t pictures = 0;

    // A Control subclass. With a log, virtual methods 2 and 7 append their number and the control's
    // id, before they act.
    ScriptSubclass Class(const ScriptLog* log = nullptr) const;
};
