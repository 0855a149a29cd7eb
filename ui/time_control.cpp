#include "ui/time_control.h"

#include <memory>

#include "foundation/exceptions.h"
#include "script/method_runner.h"
#include "script/native_args.h"
#include "script/native_binder.h"
#include "script/receiver_of.h"
#include "script/zema_class.h"
#include "shell/game_ids.h"
#include "ui/control_create.h"
#include "ui/gtime.h"
#include "ui/ui_objects.h"

namespace {

const GTime* GameTime(const ScriptObject* from) {
    ScriptObject* manager = WellKnownObject(from, kGameManagerId);
    if (manager == nullptr) return nullptr;
    // An installed lookup that does not know the object leaves it to be read as a plain time.
    if (const GameTimeLookup& lookup = GameTimeLookupHook()) {
        if (const GTime* time = lookup(manager)) return time;
    }
    auto* time = dynamic_cast<GTimeObject*>(manager);
    return time != nullptr ? &time->Value() : nullptr;
}

void StepHandler(ScriptObject* receiver) {
    TimeControlObject& clock = TimeControlObject::Of(receiver);
    NativeArgs(receiver).Int();
    clock.ShowGameTime();
}

}  // namespace

GameTimeLookup& GameTimeLookupHook() {
    static GameTimeLookup lookup;
    return lookup;
}

TimeControlObject::TimeControlObject(ZEMAClass* cls, int32_t x, int32_t y, int32_t id)
    : StaticTextObject(cls, x, y, "Time", id) {
    ShowGameTime();
}

void TimeControlObject::ShowGameTime() {
    if (const GTime* time = GameTime(this)) SetText(time->ClockText().Text());
}

TimeControlObject& TimeControlObject::Of(ScriptObject* receiver) {
    return ReceiverOf<TimeControlObject>(receiver, "TimeControl expected");
}

void TimeControl::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(StepHandler, kStepVirtual);
    BindNativeBase(row, target);
    target.SetMethod(CreatePlacedControl<TimeControlObject>, 0);
}
