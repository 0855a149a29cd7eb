// The allocator of the script address space: reserves the region and hands out zero-filled blocks
// inside it.
#include <mimalloc.h>
#include <sys/mman.h>

#include <cstdlib>
#include <cstring>
#include <new>

#include "foundation/code_pages.h"
#include "foundation/script_memory.h"

namespace {

// mimalloc wants arena memory aligned to its segment size; reserve one extra alignment unit and
// place the region on an aligned boundary.
constexpr uint64_t kAlign = uint64_t{64} << 20;
constexpr size_t kGuardSize = kScriptTailGuard;

struct Region {
    uint8_t* base = nullptr;
    mi_arena_id_t arena{};
};

Region& TheRegion() {
    static Region region = [] {
        Region r;
        const size_t reserve = kScriptRegionSize + kAlign + kGuardSize;
        void* p = mmap(nullptr, reserve, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE,
                       -1, 0);
        if (p == MAP_FAILED) std::abort();
        auto start = reinterpret_cast<uintptr_t>(p);
        uintptr_t aligned = (start + kAlign - 1) & ~(kAlign - 1);
        r.base = reinterpret_cast<uint8_t*>(aligned);
        uint8_t* guard = r.base + kScriptRegionSize;
        std::memset(guard, 0xFF, kGuardSize);
        if (mprotect(guard, kGuardSize, PROT_READ) != 0) std::abort();
        // The low part of the region stays out of the arena; memory is zero and uncommitted until
        // touched.
        if (!mi_manage_os_memory_ex(r.base + kScriptReservedLow, kScriptRegionSize - kScriptReservedLow,
                                    /*is_committed=*/true, /*is_large=*/false, /*is_zero=*/true,
                                    /*numa_node=*/-1, /*exclusive=*/true, &r.arena)) {
            std::abort();
        }
        return r;
    }();
    return region;
}

mi_heap_t* ThreadHeap() {
    // One heap per allocating thread; mimalloc abandons it to other threads when this one ends.
    thread_local mi_heap_t* heap = mi_heap_new_in_arena(TheRegion().arena);
    return heap;
}

}  // namespace

uint8_t* ScriptRegionBase() { return TheRegion().base; }

void* ScriptAlloc(size_t size) {
    void* p = mi_heap_zalloc(ThreadHeap(), size == 0 ? 1 : size);
    if (p == nullptr || !InScriptRegion(p)) {
        if (p != nullptr) mi_free(p);
        throw std::bad_alloc();
    }
    // Code may be written into it next: decoded code of an earlier block there is stale.
    DropCodePages(ToScript(p), size);
    return p;
}

void ScriptFree(void* p) {
    if (p == nullptr) return;
    DropCodePages(ToScript(p), mi_usable_size(p));
    mi_free(p);
}

bool InScriptRegion(const void* p) {
    auto a = reinterpret_cast<uintptr_t>(p);
    auto base = reinterpret_cast<uintptr_t>(ScriptRegionBase());
    return a >= base && a - base < kScriptRegionSize;
}

uint32_t ScriptHandedOutEnd() { return static_cast<uint32_t>(kScriptRegionSize); }

bool ScriptRangePoisoned(uint32_t, uint32_t) { return false; }
