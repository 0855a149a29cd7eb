#include "tests/ui/hostile_controls.h"

#include <vector>

#include "script/operations.h"
#include "tests/support/hostile_scripts.h"
#include "tests/support/script_log.h"
#include "tools/content/script_assembler.h"

namespace {

// Class numbers the code calls by: 1 the base (Control), then the uses.
constexpr uint32_t kDialogClass = 2;
constexpr uint32_t kContainerClass = 3;
// Natives of Control, Dialog and MultiControl.
constexpr uint32_t kIdReference = 16;
constexpr uint32_t kDialogAddControl = 7;
constexpr uint32_t kDialogRemoveControl = 8;
constexpr uint32_t kContainerAddControl = 21;

// Pushes the target, then calls a native of the class on the object the control acts on.
std::vector<uint32_t> CallOnTarget(uint32_t method, uint32_t cls) {
    return CodeWords(
        {FieldWords(kHostileTarget),
         {ScriptAssembler::CallWord(method, cls, false, ScriptAssembler::Receiver::Field, kHostileOn)}});
}

std::vector<uint32_t> ActionWords(HostileAction action) {
    switch (action) {
        case HostileAction::kNone:
            return {};
        case HostileAction::kRemove:
            return CallOnTarget(kDialogRemoveControl, kDialogClass);
        case HostileAction::kAdd:
            return CallOnTarget(kDialogAddControl, kDialogClass);
        case HostileAction::kAddChild:
            return CallOnTarget(kContainerAddControl, kContainerClass);
        case HostileAction::kDestroy:
            return DeleteFieldWords(kHostileTarget);
        case HostileAction::kFail:
            return FailWords();
    }
    return {};
}

std::vector<uint32_t> LogVisit(const ScriptLog* log, uint32_t number) {
    if (log == nullptr) return {};
    return CodeWords(
        {log->Append(number), {BaseCallWord(kIdReference), OpWord(Op::Fetch)}, log->AppendTop()});
}

}  // namespace

ScriptSubclass HostileControl::Class(const ScriptLog* log) const {
    auto acts = [this](uint32_t number) {
        return when == number ? ActionWords(action) : std::vector<uint32_t>{};
    };
    ScriptSubclass cls{.name = name, .base = "Control", .instanceFields = kHostileFieldCount};
    cls.uses = {"Dialog", "MultiControl"};
    cls.virtuals[0] = acts(0);
    cls.virtuals[2] = CodeWords({{OpWord(Op::Drop)}, LogVisit(log, 2), acts(2)});
    cls.virtuals[7] = CodeWords({LogVisit(log, 7), acts(7), PushIntWords(pictures)});
    // Orientation, y, x and no frame.
    cls.virtuals[8] = CodeWords(
        {{OpWord(Op::Drop)}, acts(8), PushIntWords(0), PushIntWords(0), PushIntWords(0), PushIntWords(0)});
    return cls;
}
