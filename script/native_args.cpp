#include "script/native_args.h"

#include "foundation/script_memory.h"
#include "script/method_runner.h"
#include "script/script_object.h"
#include "script/script_text.h"
#include "script/zema_class.h"

NativeArgs::NativeArgs(MethodRunner& runner) : stack_(runner.DataStack()) {}

NativeArgs::NativeArgs(ScriptObject* receiver) : NativeArgs(RunnerOf(receiver)) {}

uint32_t NativeArgs::Word() {
    return stack_.Pop();
}

int32_t NativeArgs::Int() {
    return static_cast<int32_t>(stack_.Pop());
}

std::string_view NativeArgs::Text() {
    const uint32_t address = stack_.Pop();
    const uint32_t length = ScriptTextLength(address);
    return {FromScript<const char>(address), length};
}

String NativeArgs::TextCopy() {
    return TextFromScript(stack_.Pop());
}

const uint8_t* NativeArgs::Bytes(uint32_t n) {
    return ScriptPointer<const uint8_t>(stack_.Pop(), n);
}

uint8_t* NativeArgs::WritableBytes(uint32_t n) {
    return ScriptWritable(stack_.Pop(), n);
}

ZEMAClass* NativeArgs::Class(const char* what) {
    return ZEMAClass::FromAddress(stack_.Pop(), what);
}

ScriptObject* NativeArgs::Object(uint32_t kind, const char* what) {
    return ScriptObject::FromAddress(stack_.Pop(), kind, what);
}

ScriptObject* NativeArgs::ObjectOrNull(uint32_t kind, const char* what) {
    const uint32_t address = stack_.Pop();
    return address != 0 ? ScriptObject::FromAddress(address, kind, what) : nullptr;
}
