#include "script/script_object.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "foundation/exceptions.h"
#include "script/cleanup_steps.h"
#include "script/method_runner.h"
#include "script/object_lifetime.h"
#include "script/object_manager.h"
#include "script/zema_class.h"

ScriptObject::ScriptObject(ZEMAClass* cls)
    : handle_(HandleFamily::kScriptObject, kScriptObjectKind, this),
      class_(cls),
      fields_(cls != nullptr ? cls->InstanceFieldCount() : 0),
      birth_(NextObjectBirth()) {
    JoinClass();
}

ScriptObject::ScriptObject(SelfClass, uint32_t kind)
    : handle_(HandleFamily::kScriptObject, kind, this), class_(nullptr), birth_(NextObjectBirth()) {}

ScriptObject::ScriptObject(const ScriptObject& other)
    : handle_(HandleFamily::kScriptObject, kScriptObjectKind, this),
      class_(other.class_),
      fields_(other.fields_),
      birth_(NextObjectBirth()) {
    JoinClass();
}

ScriptObject& ScriptObject::operator=(const ScriptObject& other) {
    if (this != &other) {
        fields_ = other.fields_;
        if (class_ != other.class_) {
            if (other.class_ != nullptr) other.class_->CheckMakesObjects();
            LeaveClass();
            class_ = other.class_;
            JoinClass();
        }
    }
    return *this;
}

ScriptObject::~ScriptObject() {
    LeaveClass();
}

void ScriptObject::JoinClass() {
    if (class_ == nullptr || static_cast<const ScriptObject*>(class_) == this) return;
    class_->CheckMakesObjects();
    class_->AddInstance(this);
}

void ScriptObject::LeaveClass() {
    if (class_ != nullptr && static_cast<const ScriptObject*>(class_) != this) class_->RemoveInstance(this);
}

ScriptObject* ScriptObject::Clone() const {
    try {
        return new ScriptObject(*this);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

uint32_t& ScriptObject::Field(uint32_t number) {
    if (number >= fields_.Count()) {
        const char* name = class_ != nullptr ? class_->ClassName().Text() : "(none)";
        ThrowFatal("Field %d not found in object of class %s", static_cast<int>(number), name);
    }
    return fields_.Data()[number];
}

ScriptObject* ScriptObject::FromAddress(uint32_t address, uint32_t kind, const char* what) {
    return static_cast<ScriptObject*>(CheckScriptHandle(address, HandleFamily::kScriptObject, kind, what));
}

void ScriptObject::RunDestructorMethods() {
    ZEMAClass* cls = class_;
    if (cls == nullptr || static_cast<const ScriptObject*>(cls) == this || cls->GetProcessor() == nullptr)
        return;
    MethodRunner* runner = cls->GetProcessor();
    for (ZEMAClass* c = cls; c != nullptr; c = c->BaseClass()) {
        if (c->MethodSlot(kDestructorMethod) != 0) runner->CallMethod(this, c, kDestructorMethod);
        // A method that had the class unloaded moved this object to the unloaded class: the chain
        // it walks is gone.
        if (class_ != cls) return;
    }
    if (cls->VirtualMethodSlot(kDestroyVirtualMethod) != 0) runner->CallVirtual(this, kDestroyVirtualMethod);
}

void ScriptObject::CheckAlive(const char* what) const {
    if (!Alive()) ThrowFatal("Not a valid object at 0x%08X where %s expected", Address(), what);
}

void CheckNotBeingDestroyed(const ScriptObject* object) {
    if (!object->BeingDestroyed()) return;
    ThrowFatal("Object at 0x%08X is being deleted already", object->Address());
}

void ScriptObject::ReleaseOwnedQuietly() noexcept {
    if (ownedReleased_) return;
    ownedReleased_ = true;
    CleanupSteps steps(this, CleanupSteps::FirstError::kLog);
    steps.Run([this] { ReleaseOwned(); });
}

void ScriptObject::BeginDestruction() {
    // No object table or list may keep, and later use or destroy again, what is gone.
    if (ManagerHolds() > 0) ObjectManager::ForgetEverywhere(this);
    if (class_ != nullptr && static_cast<const ScriptObject*>(class_) != this) {
        class_->InstanceDestroyed(this);
    } else {
        beingDestroyed_ = true;
    }
}

void ScriptObject::TakeOutOfUse() {
    BeginDestruction();
    ownedReleased_ = true;
    RetireParts();
    handle_.Revoke();
    destroyed_ = true;
}

void ScriptObject::RetirePart(ScriptObject* part) {
    if (part != nullptr && !part->BeingDestroyed()) part->TakeOutOfUse();
}

void RetireObject(ScriptObject* object) {
    if (object == nullptr || object->BeingDestroyed()) return;
    object->TakeOutOfUse();
    ReleaseWhenUnheld(object);
}

void DestroyObject(ScriptObject* object) {
    if (object == nullptr) return;
    CheckNotBeingDestroyed(object);
    object->CheckMayBeDestroyed();
    object->BeginDestruction();
    CleanupSteps steps(object);
    steps.Run([object] { object->RunDestructorMethods(); });
    object->ownedReleased_ = true;
    steps.Run([object] { object->ReleaseOwned(); });
    object->handle_.Revoke();
    object->destroyed_ = true;
    ReleaseWhenUnheld(object);
    steps.Finish();
}

void DiscardObject(ScriptObject* object) noexcept {
    if (object == nullptr || object->BeingDestroyed()) return;
    CleanupSteps steps(object, CleanupSteps::FirstError::kLog);
    steps.Run([object] { DestroyObject(object); });
}

void PushNewObject(MethodRunner& runner, std::unique_ptr<ScriptObject> object) {
    runner.PushObject(object->Address());
    object.release();  // the script holds it now
}
