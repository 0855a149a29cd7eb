#include "script/script_object.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "foundation/exceptions.h"
#include "script/method_runner.h"
#include "script/zema_class.h"

namespace {

// header_ is ScriptObject's first member, right behind the table pointer; FromAddress steps back
// over it. The constructor checks that the layout holds.
constexpr std::ptrdiff_t kHeaderOffset = sizeof(void*);

uint32_t* NewFields(uint32_t count) {
    return count == 0 ? nullptr : static_cast<uint32_t*>(ScriptAlloc(sizeof(uint32_t) * count));
}

}  // namespace

ScriptObject::ScriptObject(ZEMAClass* cls) : class_(cls) {
    header_.kind = kScriptObjectKind;
    if (reinterpret_cast<uint8_t*>(&header_) - reinterpret_cast<uint8_t*>(this) != kHeaderOffset) std::abort();
    fieldCount_ = cls != nullptr ? cls->InstanceFieldCount() : 0;
    fields_ = NewFields(fieldCount_);
}

ScriptObject::ScriptObject(SelfClass, uint32_t kind) : class_(nullptr) {
    header_.kind = kind;
    if (reinterpret_cast<uint8_t*>(&header_) - reinterpret_cast<uint8_t*>(this) != kHeaderOffset) std::abort();
}

ScriptObject::ScriptObject(const ScriptObject& other) : ScriptAllocated(other), class_(other.class_) {
    header_.kind = kScriptObjectKind;
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
        throw FatalExep(String("Field ") + String(static_cast<int>(number)) + " not found in object of class " +
                        name);
    }
    return fields_[number];
}

ScriptObject* ScriptObject::FromAddress(uint32_t address, uint32_t kind, const char* what) {
    ScriptObjectHeader* header = CheckScriptObject(address, kind, what);
    return reinterpret_cast<ScriptObject*>(reinterpret_cast<uint8_t*>(header) - kHeaderOffset);
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
    char text[80];
    std::snprintf(text, sizeof text, "Object at 0x%08X is being deleted already", object->Address());
    throw FatalExep(String(text));
}

void DestroyObject(ScriptObject* object) {
    if (object == nullptr) return;
    CheckNotBeingDestroyed(object);
    object->beingDestroyed_ = true;
    try {
        object->RunDestructorMethods();
    } catch (...) {
        delete object;
        throw;
    }
    delete object;
}
