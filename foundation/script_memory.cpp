#include "foundation/script_memory.h"

#include <sys/mman.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <new>

#include "foundation/code_pages.h"
#include "foundation/exceptions.h"

uint32_t ToScript(const void* p) {
    if (p == nullptr) return 0;
#ifndef NDEBUG
    if (!InScriptRegion(p)) std::abort();
#endif
    return static_cast<uint32_t>(static_cast<const uint8_t*>(p) - ScriptRegionBase());
}

void CheckScriptRange(uint32_t address, uint32_t size) {
    uint64_t end = uint64_t{address} + size;
    if (address < kScriptReservedLow || end > kScriptRegionSize) {
        char text[96];
        snprintf(text, sizeof text, "Script memory access outside the address space at 0x%08X, %u bytes",
                 address, size);
        throw FatalExep(text);
    }
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

namespace {

// One bit for every four bytes of the region, set while a live object header starts there. The
// map is reserved whole and its pages are only committed where objects live.
class HeaderMap {
public:
    HeaderMap() {
        void* p = mmap(nullptr, kBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        if (p == MAP_FAILED) std::abort();
        words_ = static_cast<uint64_t*>(p);
    }

    void Set(uint32_t address, bool live) {
        std::atomic_ref<uint64_t> word(words_[address / 4 / 64]);
        const uint64_t bit = uint64_t{1} << (address / 4 % 64);
        if (live) {
            word.fetch_or(bit, std::memory_order_release);
        } else {
            word.fetch_and(~bit, std::memory_order_release);
        }
    }
    bool Live(uint32_t address) const {
        return (address % 4 == 0) &&
               ((std::atomic_ref<uint64_t>(words_[address / 4 / 64]).load(std::memory_order_acquire) >>
                 (address / 4 % 64)) &
                1) != 0;
    }

private:
    static constexpr size_t kBytes = kScriptRegionSize / 4 / 8;
    uint64_t* words_;
};

HeaderMap& Headers() {
    static HeaderMap map;
    return map;
}

// Headers outside the region (none in the program; possible in tests) cannot be named by a
// script value and are not recorded.
void Record(const ScriptObjectHeader* header, bool live) {
    if (InScriptRegion(header)) Headers().Set(ToScript(header), live);
}

}  // namespace

ScriptObjectHeader::ScriptObjectHeader(uint32_t kind) : kind(kind) { Record(this, true); }

ScriptObjectHeader::ScriptObjectHeader(const ScriptObjectHeader& other) : kind(other.kind) { Record(this, true); }

ScriptObjectHeader& ScriptObjectHeader::operator=(const ScriptObjectHeader& other) {
    kind = other.kind;
    return *this;
}

ScriptObjectHeader::~ScriptObjectHeader() {
    Record(this, false);
    // Volatile: a plain store to a dying object is dropped by the optimiser.
    *static_cast<volatile uint32_t*>(&magic) = 0;
}

ScriptObjectHeader* CheckScriptObject(uint32_t address, uint32_t kind, const char* what) {
    if (address == 0) throw FatalExep(String("Null object where ") + what + " expected");
    auto* h = ScriptPointer<ScriptObjectHeader>(address);
    if (!Headers().Live(address) || h->magic != kScriptObjectMagic || (kind != 0 && h->kind != kind)) {
        char text[32];
        snprintf(text, sizeof text, "0x%08X", address);
        throw FatalExep(String("Not a valid object at ") + text + " where " + what + " expected");
    }
    return h;
}
