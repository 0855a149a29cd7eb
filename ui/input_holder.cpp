#include "ui/input_holder.h"

#include "foundation/exceptions.h"
#include "script/script_object.h"

InputDevice& ScriptInputDevice(ScriptObject* holder, const char* what) {
    if (holder == nullptr) ThrowFatal("Null object where %s expected", what);
    auto* devices = dynamic_cast<InputHolder*>(holder);
    InputDevice* device = devices != nullptr ? devices->HeldInput() : nullptr;
    if (device == nullptr) ThrowFatal("No input device at 0x%08X where %s expected", holder->Address(), what);
    return *device;
}
