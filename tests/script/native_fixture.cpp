#include "tests/script/native_fixture.h"

#include "foundation/exceptions.h"
#include "script/native_catalogue.h"

NativeFixture::NativeFixture() {
    RegisterScriptNatives();
    manager = std::make_unique<ClassManager>(&runner, 26, nullptr);
}

ZEMAClass* NativeFixture::AddNative(const char* name) {
    return manager->Register(NewNativeDescriptor(&runner, name), false);
}

void NativeFixture::Call(ScriptObject* receiver, ZEMAClass* cls, uint32_t number,
                         const std::vector<uint32_t>& arguments) {
    for (uint32_t a : arguments) runner.stack.Push(a);
    runner.CallMethod(receiver, cls, number);
}

uint32_t NativeFixture::Text(const std::string& text) {
    return texts_.Add(text);
}

std::string NativeFixture::TextAt(uint32_t address) {
    return FromScript<const char>(address);
}

bool WarnsOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const DExep& e) {
        return e.IsKindOf("WarnExep") && !e.IsKindOf("FatalExep");
    }
    return false;
}
