// The script address space: one reserved region whose offsets are the 32-bit addresses that script
// values hold. It holds plain script data only (values and bytes a script may read and overwrite
// without harming the host): no C++ object, host pointer or allocator record is ever placed here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

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
// Whether this build poisons red zones and freed blocks in script memory (sanitizer builds).
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kScriptPoisoning = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kScriptPoisoning = true;
#else
inline constexpr bool kScriptPoisoning = false;
#endif
#else
inline constexpr bool kScriptPoisoning = false;
#endif
// True when some byte of the range is a red zone or a freed block (sanitizer builds only; always
// false otherwise). Script accesses to such bytes are refused rather than reported by the sanitizer.
bool ScriptRangePoisoned(uint32_t address, uint32_t size);

// Bytes of the region held by blocks (each rounded up to its size class or to whole pages): live
// ones and the few freed small ones each thread keeps for quick reuse; now, and the most since the
// start or the last ResetScriptHeapPeak. Tests of bad input use them to show that no allocation
// was sized by an unchecked number.
struct ScriptHeapUsage {
    size_t inUse;
    size_t peak;
};
ScriptHeapUsage GetScriptHeapUsage();
// Starts a new peak at what is in use now.
void ResetScriptHeapPeak();

// Pointer <-> script address. ToScript(nullptr) is 0 and FromScript(0) is nullptr.
uint32_t ToScript(const void* p);
template <class T>
T* FromScript(uint32_t address) {
    return address == 0 ? nullptr : reinterpret_cast<T*>(ScriptRegionBase() + address);
}

// True when [address, address + size) lies in the handed-out part of the region (and, in sanitizer
// builds, touches no red zone or freed block).
inline bool ScriptRangeUsable(uint32_t address, uint32_t size) {
    const uint64_t end = uint64_t{address} + size;
    if (address < kScriptReservedLow || end > ScriptHandedOutEnd()) return false;
    return !(kScriptPoisoning && ScriptRangePoisoned(address, size));
}
// "Script memory access outside the address space at 0x<address>, <size> bytes".
[[noreturn]] void ThrowBadScriptRange(uint32_t address, uint32_t size);
// Throws FatalExep unless the range is usable.
inline void CheckScriptRange(uint32_t address, uint32_t size) {
    if (!ScriptRangeUsable(address, size)) ThrowBadScriptRange(address, size);
}
// Checked access for memory operations that a script starts.
template <class T>
T* ScriptPointer(uint32_t address, uint32_t size = sizeof(T)) {
    CheckScriptRange(address, size);
    return FromScript<T>(address);
}
uint32_t ScriptLoad32(uint32_t address);
// A word of script memory read without any check, red zones included: for code that reads script
// words (code) ahead of the checks that will run them. The address must lie in the region.
uint32_t PeekScriptWord(uint32_t address);
void ScriptStore32(uint32_t address, uint32_t value);
// Checked access for a write of size bytes: decoded code of the pages written is dropped.
uint8_t* ScriptWritable(uint32_t address, uint32_t size);

// Owns a block of script memory.
struct ScriptFreer {
    void operator()(void* p) const noexcept { ScriptFree(p); }
};
template <class T>
using ScriptBuffer = std::unique_ptr<T, ScriptFreer>;
template <class T>
ScriptBuffer<T> NewScriptBuffer(size_t bytes) {
    return ScriptBuffer<T>(static_cast<T*>(ScriptAlloc(bytes)));
}
// A NUL-terminated copy of a text in script memory, for handing the text to scripts.
ScriptBuffer<char> CopyTextToScript(std::string_view text);

// Length of the NUL-terminated text at a script address. Throws FatalExep unless the text, its
// terminator included, lies inside the handed-out part of the region. Scripts own that memory, so
// the scan never trusts it to end.
uint32_t ScriptTextLength(uint32_t address);
