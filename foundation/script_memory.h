// The script address space: one reserved region whose offsets are the 32-bit addresses that script
// values hold. Everything whose address can reach a script value is allocated here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "foundation/byte_order.h"

// Size of the region, and the low part of it that is never handed out, so that null and small
// offsets always fault as script errors.
constexpr uint64_t kScriptRegionSize = uint64_t{1} << 31;
constexpr uint32_t kScriptReservedLow = 32u << 20;

// Bytes just past the region's end that can be read but not written; they all hold 0xFF. Code
// that scans forward from a valid address may read this far past the end without a check.
constexpr uint32_t kScriptTailGuard = 4096;

// Base of the region; the region is reserved on first use.
uint8_t* ScriptRegionBase();

// Allocation inside the region (zero-filled). Any thread may allocate and any thread may free.
// ScriptAlloc never returns null: exhaustion throws std::bad_alloc.
void* ScriptAlloc(size_t size);
void ScriptFree(void* p);
bool InScriptRegion(const void* p);
// End of the part of the region the allocator has handed out so far (it only grows): script
// accesses at or beyond it are refused.
uint32_t ScriptHandedOutEnd();
// True when some byte of the range is a red zone or a freed block (sanitizer builds only; always
// false otherwise). Script accesses to such bytes are refused rather than reported by the sanitizer.
bool ScriptRangePoisoned(uint32_t address, uint32_t size);

// Pointer <-> script address. ToScript(nullptr) is 0 and FromScript(0) is nullptr.
uint32_t ToScript(const void* p);
template <class T>
T* FromScript(uint32_t address) {
    return address == 0 ? nullptr : reinterpret_cast<T*>(ScriptRegionBase() + address);
}

// Throws FatalExep unless [address, address + size) lies in the allocatable part of the region.
void CheckScriptRange(uint32_t address, uint32_t size);
// Checked access for memory operations that a script starts.
template <class T>
T* ScriptPointer(uint32_t address, uint32_t size = sizeof(T)) {
    CheckScriptRange(address, size);
    return FromScript<T>(address);
}
uint32_t ScriptLoad32(uint32_t address);
void ScriptStore32(uint32_t address, uint32_t value);
// Checked access for a write of size bytes: decoded code of the pages written is dropped.
uint8_t* ScriptWritable(uint32_t address, uint32_t size);

// Base for native objects that live in the region: class-level operator new/delete.
struct ScriptAllocated {
    static void* operator new(size_t size) { return ScriptAlloc(size); }
    static void* operator new[](size_t size) { return ScriptAlloc(size); }
    static void operator delete(void* p) noexcept { ScriptFree(p); }
    static void operator delete[](void* p) noexcept { ScriptFree(p); }
};

// Header of every script-visible object, so that a value taken from a script can be checked
// before it is used as an object. Building a header registers its address and destroying it
// withdraws it: only live headers pass the check, never one that a script wrote into memory it
// may write, nor that of a deleted object.
constexpr uint32_t kScriptObjectMagic = 0x4F42445Au;  // "ZDBO"
struct ScriptObjectHeader {
    explicit ScriptObjectHeader(uint32_t kind = 0);
    ScriptObjectHeader(const ScriptObjectHeader& other);
    // Takes the kind; the header's own address stays registered.
    ScriptObjectHeader& operator=(const ScriptObjectHeader& other);
    ~ScriptObjectHeader();

    uint32_t magic = kScriptObjectMagic;
    uint32_t kind = 0;
};

// Returns the header at a script address after checking range, registration and magic; if kind is
// not 0 the header's kind must equal it. Throws FatalExep otherwise, naming what was expected.
ScriptObjectHeader* CheckScriptObject(uint32_t address, uint32_t kind, const char* what);
