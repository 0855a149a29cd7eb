#include "script/weak_object.h"

#include "foundation/exceptions.h"
#include "foundation/script_handle.h"
#include "script/script_object.h"

WeakObject::WeakObject(const ScriptObject* object) {
    if (object == nullptr) return;
    address_ = object->Address();
    serial_ = ScriptHandleSerial(address_);
}

WeakObject WeakObject::AtAddress(uint32_t address, uint32_t kind) {
    WeakObject ref;
    if (FindScriptHandle(address, HandleFamily::kScriptObject, kind) == nullptr) return ref;
    ref.serial_ = ScriptHandleSerial(address);
    ref.address_ = address;
    return ref;
}

ScriptObject* WeakObject::Get(uint32_t kind) const {
    if (address_ == 0) return nullptr;
    return static_cast<ScriptObject*>(FindScriptHandle(address_, HandleFamily::kScriptObject, kind, serial_));
}

ScriptObject* WeakObject::Check(uint32_t kind, const char* what) const {
    if (address_ == 0) ThrowFatal("Null object where %s expected", what);
    ScriptObject* object = Get(kind);
    if (object == nullptr) ThrowFatal("Not a valid object at 0x%08X where %s expected", address_, what);
    return object;
}

WeakObject WeakObject::Follow(uint32_t value) const {
    return value == address_ ? *this : AtAddress(value);
}
