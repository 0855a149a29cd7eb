// ProcessorOps on objects, classes, fields and locals. Every object taken from a script value is
// checked to be a live object of the expected kind, and every field number against the count.
#include <memory>
#include <new>
#include <utility>

#include "foundation/exceptions.h"
#include "script/class_manager.h"
#include "script/object_manager.h"
#include "script/operations.h"
#include "script/processor.h"

namespace {

ScriptObject* ObjectWithId(Processor& processor, uint32_t id) {
    if (ScriptObject* object = processor.Objects().GetObject(id)) return object;
    ThrowFatal("No object with ID %u", id);
}

uint32_t FieldAddress(ScriptObject* object, uint32_t number) {
    return ToScript(&object->Field(number));
}

}  // namespace

// The class is popped only once the object exists; without memory 0 goes on both stacks.
void ProcessorOps::CreateInstance(Processor& processor) {
    DStack<uint32_t>& data = processor.DataStack();
    ZEMAClass* cls = ZEMAClass::FromAddress(data.Peek(0), "class");
    std::unique_ptr<ScriptObject> object;
    try {
        object = std::make_unique<ScriptObject>(cls);
    } catch (const std::bad_alloc&) {
        processor.PushObject(0);
        return;
    }
    data.Pop();
    PushNewObject(processor, std::move(object));
}

void ProcessorOps::ClassOf(Processor& processor) {
    DStack<uint32_t>& data = processor.DataStack();
    const uint32_t number = data.Pop();
    data.Push(processor.CurrentClass()->UsedClass(number)->Address());
}

void ProcessorOps::AllocateLocals(Processor& processor) {
    processor.LocalsStack().Reserve(static_cast<int32_t>(processor.DataStack().Pop()));
}

void ProcessorOps::FreeLocals(Processor& processor) {
    processor.LocalsStack().Drop(processor.DataStack().Pop());
}

void ProcessorOps::FieldAddress(Processor& processor) {
    DStack<uint32_t>& data = processor.DataStack();
    const uint32_t number = data.Pop();
    data.Push(::FieldAddress(processor.CurrentObject(), number));
}

void ProcessorOps::ObjectFieldAddress(Processor& processor) {
    DStack<uint32_t>& data = processor.DataStack();
    const uint32_t number = data.Pop();
    ScriptObject* object = ScriptObject::FromAddress(data.Pop(), 0, "object");
    data.Push(::FieldAddress(object, number));
}

void ProcessorOps::ManagedFieldAddress(Processor& processor) {
    DStack<uint32_t>& data = processor.DataStack();
    const uint32_t number = data.Pop();
    ScriptObject* object = ObjectWithId(processor, data.Pop());
    data.Push(::FieldAddress(object, number));
}

void ProcessorOps::DeleteObject(Processor& processor) {
    const uint32_t value = processor.DataStack().Pop();
    if (value == 0) return;
    ScriptObject* object = ScriptObject::FromAddress(value, 0, "object");
    if (processor.Objects().BelongsToEngine(object)) {
        ThrowFatal("Object at 0x%08X belongs to the engine and cannot be deleted", value);
    }
    // Refused before any manager lets go of it: its destruction is already someone else's, or
    // objects depend on it.
    CheckNotBeingDestroyed(object);
    object->CheckMayBeDestroyed();
    // No object table or list may keep, and later use or destroy again, what is gone.
    if (object->ManagerHolds() > 0) ObjectManager::ForgetEverywhere(object);
    DestroyObject(object);
}

void ProcessorOps::NewObject(Processor& processor) {
    ZEMAClass* cls = ZEMAClass::FromAddress(processor.DataStack().Peek(0), "class");
    processor.CallMethod(cls, cls, kCreateObjectMethod);
    processor.ObjectStack().Pop();
}

void ProcessorOps::SwapObjects(Processor& processor) {
    DStack<ObjectAddress>& objects = processor.ObjectStack();
    uint32_t& top = objects.Peek(0);
    uint32_t& below = objects.Peek(1);
    std::swap(top, below);
}

void ProcessorOps::ObjectById(Processor& processor) {
    DStack<uint32_t>& data = processor.DataStack();
    ScriptObject* object = processor.Objects().GetObject(data.Pop());
    data.Push(object != nullptr ? object->Address() : 0);
}

void ProcessorOps::ClassFieldAddress(Processor& processor) {
    DStack<uint32_t>& data = processor.DataStack();
    const uint32_t number = data.Pop();
    const uint32_t cls = data.Pop();
    data.Push(ToScript(&processor.CurrentClass()->UsedClass(cls)->ClassField(number)));
}

void ProcessorOps::ClassFieldAddressDrop(Processor& processor) {
    DStack<uint32_t>& data = processor.DataStack();
    const uint32_t number = data.Pop();
    const uint32_t cls = data.Pop();
    data.Pop();
    data.Push(ToScript(&processor.CurrentClass()->UsedClass(cls)->ClassField(number)));
}
