#include "foundation/script_memory.h"

#include <sys/mman.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <new>

#include "foundation/code_pages.h"
#include "foundation/exceptions.h"

uint32_t ToScript(const void* p) {
    if (p == nullptr) return 0;
    // A host address has no script value: handing one out would be a host bug.
    if (!InScriptRegion(p)) {
        std::fputs("ToScript: address outside the script address space\n", stderr);
        std::abort();
    }
    return static_cast<uint32_t>(static_cast<const uint8_t*>(p) - ScriptRegionBase());
}

void ThrowBadScriptRange(uint32_t address, uint32_t size) {
    ThrowFatal("Script memory access outside the address space at 0x%08X, %u bytes", address, size);
}

// A plain load (not LoadU32, which may stay a call of its own and so be checked).
__attribute__((no_sanitize("address"))) uint32_t PeekScriptWord(uint32_t address) {
    uint32_t value;
    std::memcpy(&value, FromScript<uint8_t>(address), 4);
    return value;
}

uint32_t ScriptLoad32(uint32_t address) {
    uint32_t v;
    std::memcpy(&v, ScriptPointer<uint8_t>(address, 4), 4);
    return v;
}

void ScriptStore32(uint32_t address, uint32_t value) {
    std::memcpy(ScriptWritable(address, 4), &value, 4);
}

uint8_t* ScriptWritable(uint32_t address, uint32_t size) {
    CheckScriptRange(address, size);
    NoteScriptWrite(address, size);
    return FromScript<uint8_t>(address);
}

ScriptBuffer<char> CopyTextToScript(std::string_view text) {
    auto buffer = NewScriptBuffer<char>(text.size() + 1);
    std::memcpy(buffer.get(), text.data(), text.size());
    return buffer;
}

namespace {

// Scripts may leave red zones in the way in sanitizer builds: the scan reads them without a
// report, and the range check that follows refuses the text.
__attribute__((no_sanitize("address"))) uint32_t ScanForEnd(const char* text, uint32_t room) {
    uint32_t n = 0;
    while (n < room && text[n] != '\0') ++n;
    return n;
}

}  // namespace

uint32_t ScriptTextLength(uint32_t address) {
    CheckScriptRange(address, 1);
    const uint32_t room = ScriptHandedOutEnd() - address;
    const uint32_t length = ScanForEnd(FromScript<const char>(address), room);
    // A text that runs to the end of what was handed out has no terminator inside it.
    CheckScriptRange(address, length == room ? room + 1 : length + 1);
    return length;
}
