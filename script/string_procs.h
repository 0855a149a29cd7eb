// StringProcs: a script object that owns a fixed-capacity text buffer, and a few utilities on
// zero-terminated texts at script addresses. Nothing written through these natives goes past a
// string object's buffer or outside the script address space.
#pragma once

#include <cstdint>

#include "script/native_binder.h"
#include "script/script_object.h"

// Largest buffer a script may ask for.
constexpr uint32_t kMaxStringCapacity = uint32_t{1} << 24;

// A string object: a script object of the StringProcs class (or one derived from it) with its own
// buffer of `capacity` bytes, holding a zero-terminated text that is empty after creation.
class StringObject : public ScriptObject {
  public:
    // A capacity of 0 is taken as 1, so there is always room for the terminator; above
    // kMaxStringCapacity throws FatalExep.
    StringObject(ZEMAClass* cls, uint32_t capacity);
    StringObject(const StringObject&) = delete;
    StringObject& operator=(const StringObject&) = delete;
    ~StringObject() override;

    char* Text() { return text_; }
    uint32_t Capacity() const { return capacity_; }
    // Length of the text, at most capacity - 1 (a buffer that lost its terminator is cut there).
    uint32_t TextLength();
    // Appends up to capacity - 1 in all, cutting what does not fit.
    void Append(const char* bytes, uint32_t n);

    // The capacity of the string buffer that holds the script address, and the address of that
    // buffer; 0 when no live string object's buffer holds it.
    static uint32_t BufferHolding(uint32_t address, uint32_t& bufferStart);

  private:
    char* text_;
    uint32_t capacity_;
};

// The natives; each takes the receiver and works on its processor's data stack.
struct StringProcs {
    // Binds methods 4 to 8, the ZEMAClass methods, then 0, 9 and 10.
    static void Bind(ZEMAClass& target, const NativeClassRow& row);

    static void Create(ScriptObject* receiver);      // 0: capacity class -> object
    static void GetText(ScriptObject* receiver);     // 4: -> text
    static void Clear(ScriptObject* receiver);       // 5
    static void AppendInt(ScriptObject* receiver);   // 6: value ->
    static void AppendText(ScriptObject* receiver);  // 7: text ->
    static void Length(ScriptObject* receiver);      // 8: text -> length
    static void Compare(ScriptObject* receiver);     // 9: a b -> -1, 0 or 1
    static void Copy(ScriptObject* receiver);        // 10: source destination ->
};
