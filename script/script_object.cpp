#include "script/script_object.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "foundation/exceptions.h"
#include "script/method_runner.h"
#include "script/zema_class.h"

namespace {

uint32_t* NewFields(uint32_t count) {
    return count == 0 ? nullptr : static_cast<uint32_t*>(ScriptAlloc(sizeof(uint32_t) * count));
}

}  // namespace

ScriptObject::ScriptObject(ZEMAClass* cls) : handle_(HandleFamily::kScriptObject, kScriptObjectKind, this), class_(cls) {
    fieldCount_ = cls != nullptr ? cls->InstanceFieldCount() : 0;
    fields_ = NewFields(fieldCount_);
}

ScriptObject::ScriptObject(SelfClass, uint32_t kind) : handle_(HandleFamily::kScriptObject, kind, this), class_(nullptr) {}

ScriptObject::ScriptObject(const ScriptObject& other)
    : handle_(HandleFamily::kScriptObject, kScriptObjectKind, this), class_(other.class_) {
    CopyFields(other);
}

ScriptObject& ScriptObject::operator=(const ScriptObject& other) {
    if (this != &other) {
        uint32_t* old = fields_;
        fields_ = nullptr;
        fieldCount_ = 0;
        ScriptFree(old);
        class_ = other.class_;
        CopyFields(other);
    }
    return *this;
}

void ScriptObject::CopyFields(const ScriptObject& other) {
    fields_ = NewFields(other.fieldCount_);
    fieldCount_ = other.fieldCount_;
    if (fieldCount_ != 0) std::memcpy(fields_, other.fields_, sizeof(uint32_t) * fieldCount_);
}

ScriptObject::~ScriptObject() {
    ScriptFree(fields_);
}

ScriptObject* ScriptObject::Clone() const {
    try {
        return new ScriptObject(*this);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

uint32_t& ScriptObject::Field(uint32_t number) {
    if (number >= fieldCount_) {
        const char* name = class_ != nullptr ? class_->ClassName().Text() : "(none)";
        ThrowFatal("Field %d not found in object of class %s", static_cast<int>(number), name);
    }
    return fields_[number];
}

ScriptObject* ScriptObject::FromAddress(uint32_t address, uint32_t kind, const char* what) {
    return static_cast<ScriptObject*>(CheckScriptHandle(address, HandleFamily::kScriptObject, kind, what));
}

void ScriptObject::RunDestructorMethods() {
    ZEMAClass* cls = class_;
    if (cls == nullptr || static_cast<const ScriptObject*>(cls) == this || cls->GetProcessor() == nullptr) return;
    MethodRunner* runner = cls->GetProcessor();
    for (ZEMAClass* c = cls; c != nullptr; c = c->BaseClass()) {
        if (c->MethodSlot(kDestructorMethod) != 0) runner->CallMethod(this, c, kDestructorMethod);
    }
    if (cls->VirtualMethodSlot(kDestroyVirtualMethod) != 0) runner->CallVirtual(this, kDestroyVirtualMethod);
}

void CheckNotBeingDestroyed(const ScriptObject* object) {
    if (!object->BeingDestroyed()) return;
    ThrowFatal("Object at 0x%08X is being deleted already", object->Address());
}

void DestroyObject(ScriptObject* object) {
    if (object == nullptr) return;
    CheckNotBeingDestroyed(object);
    object->beingDestroyed_ = true;
    const std::unique_ptr<ScriptObject> owned(object);
    owned->RunDestructorMethods();
}

void PushNewObject(MethodRunner& runner, std::unique_ptr<ScriptObject> object) {
    runner.PushObject(object->Address());
    object.release();  // the script holds it now
}
