#include "tests/support/fake_method_runner.h"

bool IsNativeBody(uint32_t body) {
    return ScriptLoad32(body) == 0;
}

void FakeMethodRunner::Run(const Call& call, uint32_t body) {
    calls.push_back(call);
    if (beforeCall) beforeCall(call);
    if (call.native) NativeHandlerAt(ScriptLoad32(body + 4))(call.object);
}

void FakeMethodRunner::CallMethod(ScriptObject* object, ZEMAClass* cls, uint32_t number) {
    const uint32_t body = cls->GetMethod(number);
    Run({object, cls, number, false, IsNativeBody(body)}, body);
}

void FakeMethodRunner::CallVirtual(ScriptObject* object, uint32_t number) {
    ZEMAClass* cls = object->Class();
    const uint32_t body = cls->GetVirtualMethod(number);
    Run({object, cls->VirtualMethodOwner(number), number, true, IsNativeBody(body)}, body);
}

void FakeMethodRunner::PushObject(uint32_t address) {
    stack.Push(address);
    pushedObjects.push_back(address);
}
