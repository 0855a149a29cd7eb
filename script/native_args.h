// A native method's arguments, popped off the data stack one at a time and checked before the
// native sees them: a plain word or integer, a text or a byte range inside script memory, a live
// object of a kind. Natives pop in the order their script callers pushed, last first.
#pragma once

#include <cstdint>
#include <string_view>

#include "foundation/engine_string.h"
#include "script/d_stack.h"

class MethodRunner;
class ScriptObject;
class ZEMAClass;

class NativeArgs {
  public:
    explicit NativeArgs(MethodRunner& runner);
    // The arguments of a native called on receiver (FatalExep when its class has no processor).
    explicit NativeArgs(ScriptObject* receiver);

    uint32_t Word();
    int32_t Int();
    // A NUL-terminated text that ends inside script memory, without its terminator.
    std::string_view Text();
    String TextCopy();
    // n bytes inside script memory, to read.
    const uint8_t* Bytes(uint32_t n);
    // n bytes inside script memory, to write: decoded code on their pages is dropped.
    uint8_t* WritableBytes(uint32_t n);
    ZEMAClass* Class(const char* what);
    // A live object of the given handle kind (0: any object).
    ScriptObject* Object(uint32_t kind, const char* what);
    // The same, or null for 0.
    ScriptObject* ObjectOrNull(uint32_t kind, const char* what);

    // Where results go.
    DStack<uint32_t>& Stack() { return stack_; }

  private:
    DStack<uint32_t>& stack_;
};
