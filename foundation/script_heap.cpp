// The allocator of the script address space: reserves the region and hands out zero-filled blocks
// inside it. Small blocks come from spans of one size class, large ones are runs of whole pages.
// Every record it keeps (the bitmaps of the spans, the free map of pages, the owner of each page,
// the per-thread caches) lives on the host heap, in thread storage or in a mapping of its own:
// whatever a script writes into the region, including into freed blocks, cannot mislead it.
#include <sys/mman.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

#include "foundation/code_pages.h"
#include "foundation/page_runs.h"
#include "foundation/script_memory.h"

#if defined(__SANITIZE_ADDRESS__)
#define VONDREL_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VONDREL_ASAN 1
#endif
#endif

#ifdef VONDREL_ASAN
#include <sanitizer/asan_interface.h>
#endif

namespace {

#ifdef VONDREL_ASAN
// Bytes after every block that stay poisoned, so that a host overrun inside the region is reported.
constexpr size_t kRedZone = 16;
void Poison(const void* p, size_t n) {
    ASAN_POISON_MEMORY_REGION(p, n);
}
void Unpoison(const void* p, size_t n) {
    ASAN_UNPOISON_MEMORY_REGION(p, n);
}
#else
constexpr size_t kRedZone = 0;
void Poison(const void*, size_t) {}
void Unpoison(const void*, size_t) {}
#endif

constexpr uint32_t kPageSize = 4096;
constexpr uint32_t kPageCount = static_cast<uint32_t>(kScriptRegionSize / kPageSize);
constexpr uint32_t kSpanPages = 16;
constexpr uint32_t kSpanBytes = kSpanPages * kPageSize;

// Every size from 16 up is a multiple of 16, which gives those blocks 16-byte alignment.
constexpr uint32_t kClassSizes[] = {8,    16,   32,   48,   64,   80,   96,   112, 128, 160,
                                    192,  224,  256,  320,  384,  448,  512,  640, 768, 896,
                                    1024, 1280, 1536, 1792, 2048, 2560, 3072, 3584};
constexpr size_t kClassCount = std::size(kClassSizes);
constexpr uint32_t kSmallMax = kClassSizes[kClassCount - 1];

// Smallest class for each size rounded up to 16 bytes.
constexpr auto kClassOf16 = [] {
    std::array<uint8_t, kSmallMax / 16 + 1> table{};
    uint8_t c = 0;
    for (uint32_t i = 0; i < table.size(); ++i) {
        while (kClassSizes[c] < i * 16) ++c;
        table[i] = c;
    }
    return table;
}();

size_t ClassOf(size_t size) {
    return size <= 8 ? 0 : kClassOf16[(size + 15) / 16];
}

// Owner of a page, one word per page: 0 when no live block starts there; for a page of a span,
// the span's address with its class + 1 in the low bits; for the first page of a large block, its
// page count above the large tag. Spans are 64-byte aligned so their low bits are free.
constexpr uint64_t kTagBits = 6;
constexpr uint64_t kTagMask = (uint64_t{1} << kTagBits) - 1;
constexpr uint64_t kLargeTag = kTagMask;
static_assert(kClassCount < kLargeTag);

// Free pages that may keep their old data until the system is asked to drop them; past this, the
// oldest are given back, so memory in use does not creep up over a long run.
constexpr uint64_t kKeepDirtyPages = (32u << 20) / kPageSize;

// Freed small blocks each thread keeps per class for its next allocations, and how many move
// between a thread and the shared spans at a time.
constexpr uint32_t kCacheSlots = 32;
constexpr uint32_t kCacheBatch = 16;

// A run of pages cut into equal slots of one class. A slot is owned while it is handed out or kept
// in a thread's cache (changed under the class lock), and live while handed out (changed without
// the lock, with atomic operations, so that a free finds a block freed twice).
struct alignas(64) Span {
    explicit Span(uint32_t slotSize)
        : slotCount(kSpanBytes / slotSize),
          owned((slotCount + 63) / 64),
          live(std::make_unique<uint64_t[]>(owned.size())) {}

    void Start(uint32_t first) {
        firstPage = first;
        freeCount = slotCount;
        searchWord = 0;
        std::fill(owned.begin(), owned.end(), 0);
        // Bits past the last slot read as taken so the search never finds them.
        if (slotCount % 64 != 0) owned.back() = ~uint64_t{0} << (slotCount % 64);
    }

    // Lowest slot not owned; words before searchWord are all owned.
    uint32_t Take() {
        while (owned[searchWord] == ~uint64_t{0}) ++searchWord;
        const auto bit = static_cast<uint32_t>(std::countr_one(owned[searchWord]));
        owned[searchWord] |= uint64_t{1} << bit;
        --freeCount;
        return searchWord * 64 + bit;
    }
    void Put(uint32_t slot) {
        owned[slot / 64] &= ~(uint64_t{1} << (slot % 64));
        ++freeCount;
        if (slot / 64 < searchWord) searchWord = slot / 64;
    }
    // Sets or clears the live bit of a slot; returns whether it was set before.
    bool SetLive(uint32_t slot, bool on) {
        std::atomic_ref<uint64_t> word(live[slot / 64]);
        const uint64_t bit = uint64_t{1} << (slot % 64);
        const uint64_t old = on ? word.fetch_or(bit, std::memory_order_acq_rel)
                                : word.fetch_and(~bit, std::memory_order_acq_rel);
        return (old & bit) != 0;
    }

    uint32_t firstPage = 0;
    const uint32_t slotCount;
    uint32_t freeCount = 0;
    uint32_t searchWord = 0;
    std::vector<uint64_t> owned;
    std::unique_ptr<uint64_t[]> live;
    // Place in one of its class's lists.
    Span* prev = nullptr;
    Span* next = nullptr;
};

struct SpanList {
    Span* head = nullptr;

    void Push(Span* s) {
        s->prev = nullptr;
        s->next = head;
        if (head != nullptr) head->prev = s;
        head = s;
    }
    void Remove(Span* s) {
        (s->prev != nullptr ? s->prev->next : head) = s->next;
        if (s->next != nullptr) s->next->prev = s->prev;
        s->prev = s->next = nullptr;
    }
};

struct alignas(64) SizeClass {
    std::mutex mutex;
    SpanList partial;  // spans with a slot not owned; refills take from the first
    SpanList full;     // listed so that every span stays reachable from the host side
    // Span objects whose pages went back to the free map, kept for the next span of this class: a
    // free that races with a dropped span then still reads a span object, never freed host memory.
    SpanList spare;
    // One span with no owned slot is kept, so that a block made and freed over and over does not
    // make and drop a span each time.
    uint32_t emptySpans = 0;
};

struct CachedSlot {
    Span* span;
    uint32_t slot;
};

// A thread's freed small blocks, per class, most recent last. Plain data with constant
// initialisation, so it stays usable while other thread storage is being destroyed.
struct ThreadCache {
    struct Bin {
        uint32_t count;
        CachedSlot slots[kCacheSlots];
    };
    Bin bins[kClassCount];
    bool registered;  // the thread's exit will flush the cache
    bool flushed;     // set at thread exit: from then on blocks bypass the cache
};
thread_local ThreadCache t_cache{};

// Counters the public getters read; constant-initialised so reading them needs no set-up.
std::atomic<uint32_t> g_handedOutEnd{kScriptReservedLow};
std::atomic<size_t> g_inUse{0};
std::atomic<size_t> g_peak{0};

void CountTaken(size_t bytes) {
    const size_t now = g_inUse.fetch_add(bytes, std::memory_order_relaxed) + bytes;
    size_t peak = g_peak.load(std::memory_order_relaxed);
    while (now > peak && !g_peak.compare_exchange_weak(peak, now, std::memory_order_relaxed)) {
    }
}

void CountGiven(size_t bytes) {
    g_inUse.fetch_sub(bytes, std::memory_order_relaxed);
}

// Zeroes a slot with aligned 16-byte stores; a slot is a multiple of 16 bytes from 16 up.
void ZeroSlot(uint8_t* p, uint32_t bytes) {
    if (bytes < 16) {
        std::memset(p, 0, 8);
        return;
    }
    using Chunk = uint64_t __attribute__((vector_size(16)));
    for (uint32_t i = 0; i < bytes; i += 16) {
        *reinterpret_cast<Chunk*>(p + i) = Chunk{};
        // Keeps the compiler from turning the loop back into a memset call, whose dispatch on the
        // small and varying sizes here costs more than the stores.
        asm volatile("" ::: "memory");
    }
}

[[noreturn]] void FailReservation(const char* what) {
    std::fprintf(stderr, "Script memory: cannot %s\n", what);
    std::abort();
}

// Makes the pages read as zero and hands their memory back to the system.
void DropPages(uint8_t* p, size_t bytes) {
    if (madvise(p, bytes, MADV_DONTNEED) != 0) {
        Unpoison(p, bytes);
        std::memset(p, 0, bytes);
        Poison(p, bytes);
    }
}

class Heap {
  public:
    Heap() : runs_(kScriptReservedLow / kPageSize, kPageCount) {
        void* region = mmap(nullptr, kScriptRegionSize + kScriptTailGuard, PROT_READ | PROT_WRITE,
                            MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        if (region == MAP_FAILED) FailReservation("reserve the script region");
        base_ = static_cast<uint8_t*>(region);
        uint8_t* guard = base_ + kScriptRegionSize;
        std::memset(guard, 0xFF, kScriptTailGuard);
        if (mprotect(guard, kScriptTailGuard, PROT_READ) != 0)
            FailReservation("protect the script region's guard");
        void* owners = mmap(nullptr, size_t{kPageCount} * sizeof(uint64_t), PROT_READ | PROT_WRITE,
                            MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        if (owners == MAP_FAILED) FailReservation("reserve the script heap's page map");
        owners_ = static_cast<uint64_t*>(owners);
    }

    uint8_t* Base() const { return base_; }

    void* Allocate(size_t size) {
        if (size > kScriptRegionSize) throw std::bad_alloc();
        if (size == 0) size = 1;
        const size_t need = size + kRedZone;
        return need <= kSmallMax ? AllocateSmall(size, ClassOf(need)) : AllocateLarge(size, need);
    }

    void Free(void* p) {
        if (!InScriptRegion(p)) BadFree(p, "outside the script region");
        const auto offset = static_cast<uint32_t>(static_cast<uint8_t*>(p) - base_);
        const uint32_t page = offset / kPageSize;
        const uint64_t owner = Owner(page).load(std::memory_order_acquire);
        const uint64_t tag = owner & kTagMask;
        if (tag == 0) BadFree(p, "no block starts on its page");
        if (tag == kLargeTag) {
            FreeLarge(p, offset, page, owner);
        } else {
            FreeSmall(p, offset, owner);
        }
    }

    // Gives the calling thread's cached blocks back to their spans; later blocks bypass its cache.
    void FlushThread() {
        for (size_t cls = 0; cls < kClassCount; ++cls) Flush(cls, t_cache.bins[cls].count);
        t_cache.flushed = true;
    }

  private:
    std::atomic_ref<uint64_t> Owner(uint32_t page) const { return std::atomic_ref<uint64_t>(owners_[page]); }

    uint8_t* SlotAddress(const CachedSlot& s, uint32_t slotSize) const {
        return base_ + size_t{s.span->firstPage} * kPageSize + size_t{s.slot} * slotSize;
    }

    void* AllocateSmall(size_t size, size_t cls) {
        ThreadCache::Bin& bin = t_cache.bins[cls];
        if (bin.count == 0) Refill(cls);
        const CachedSlot s = bin.slots[--bin.count];
        const uint32_t slotSize = kClassSizes[cls];
        uint8_t* p = SlotAddress(s, slotSize);
        s.span->SetLive(s.slot, true);
        Unpoison(p, size);
        if (kRedZone == 0) {
            ZeroSlot(p, slotSize);
        } else {
            std::memset(p, 0, size);
        }
        if (t_cache.flushed) Flush(cls, bin.count);
        return p;
    }

    void FreeSmall(void* p, uint32_t offset, uint64_t owner) {
        const size_t cls = (owner & kTagMask) - 1;
        const uint32_t slotSize = kClassSizes[cls];
        auto* span = reinterpret_cast<Span*>(owner & ~kTagMask);
        const uint32_t within = offset - span->firstPage * kPageSize;
        const uint32_t slot = within / slotSize;
        if (within % slotSize != 0 || slot >= span->slotCount) BadFree(p, "not the start of a block");
        // Clearing the live bit is what frees the block: of two frees of one block, even racing
        // ones, only one finds it set.
        if (!span->SetLive(slot, false)) BadFree(p, "already freed");
        Poison(p, slotSize);
        if (!t_cache.registered) RegisterThreadFlush();
        ThreadCache::Bin& bin = t_cache.bins[cls];
        if (bin.count == kCacheSlots) Flush(cls, kCacheBatch);
        bin.slots[bin.count++] = {span, slot};
        if (t_cache.flushed) Flush(cls, bin.count);
    }

    // Moves up to kCacheBatch slots from the class's spans into the thread's empty bin. Throws
    // std::bad_alloc only when it could move none.
    void Refill(size_t cls) {
        if (!t_cache.registered) RegisterThreadFlush();
        ThreadCache::Bin& bin = t_cache.bins[cls];
        SizeClass& c = classes_[cls];
        const uint32_t want = t_cache.flushed ? 1 : kCacheBatch;
        std::lock_guard lock(c.mutex);
        while (bin.count < want) {
            Span* span = c.partial.head;
            if (span == nullptr) {
                try {
                    span = NewSpan(c, cls);
                } catch (const std::bad_alloc&) {
                    if (bin.count > 0) break;
                    throw;
                }
            }
            if (span->freeCount == span->slotCount) --c.emptySpans;
            bin.slots[bin.count++] = {span, span->Take()};
            if (span->freeCount == 0) {
                c.partial.Remove(span);
                c.full.Push(span);
            }
        }
        CountTaken(size_t{bin.count} * kClassSizes[cls]);
    }

    // Gives the oldest count slots of the thread's bin back to their spans.
    void Flush(size_t cls, uint32_t count) {
        if (count == 0) return;
        ThreadCache::Bin& bin = t_cache.bins[cls];
        SizeClass& c = classes_[cls];
        {
            std::lock_guard lock(c.mutex);
            for (uint32_t i = 0; i < count; ++i) {
                Span* span = bin.slots[i].span;
                span->Put(bin.slots[i].slot);
                if (span->freeCount == 1) {
                    c.full.Remove(span);
                    c.partial.Push(span);
                }
                if (span->freeCount == span->slotCount) {
                    if (c.emptySpans > 0) {
                        DropSpan(c, span);
                    } else {
                        ++c.emptySpans;
                    }
                }
            }
        }
        std::copy(bin.slots + count, bin.slots + bin.count, bin.slots);
        bin.count -= count;
        CountGiven(size_t{count} * kClassSizes[cls]);
    }

    // Called with the class locked; the new span has no owned slot and is first in the partial list.
    Span* NewSpan(SizeClass& c, size_t cls) {
        std::unique_ptr<Span> made;
        Span* span = c.spare.head;
        if (span != nullptr) {
            c.spare.Remove(span);
        } else {
            made = std::make_unique<Span>(kClassSizes[cls]);
            span = made.get();
        }
        PageRuns::Taken taken;
        try {
            taken = TakePages(kSpanPages);
        } catch (...) {
            if (!made) c.spare.Push(span);
            throw;
        }
        made.release();
        span->Start(taken.first);
        Poison(base_ + size_t{taken.first} * kPageSize, kSpanBytes);
        const uint64_t owner = reinterpret_cast<uintptr_t>(span) | (cls + 1);
        for (uint32_t i = 0; i < kSpanPages; ++i)
            Owner(taken.first + i).store(owner, std::memory_order_release);
        c.partial.Push(span);
        ++c.emptySpans;
        return span;
    }

    // Called with the class locked, for a span with no owned slot.
    void DropSpan(SizeClass& c, Span* span) {
        c.partial.Remove(span);
        const uint32_t first = span->firstPage;
        for (uint32_t i = 0; i < kSpanPages; ++i) Owner(first + i).store(0, std::memory_order_release);
        c.spare.Push(span);
        GivePages(first, kSpanPages);
    }

    void* AllocateLarge(size_t size, size_t need) {
        const auto pages = static_cast<uint32_t>((need + kPageSize - 1) / kPageSize);
        const PageRuns::Taken taken = TakePages(pages);
        uint8_t* p = base_ + size_t{taken.first} * kPageSize;
        const size_t bytes = size_t{pages} * kPageSize;
        if (taken.dirtyPages == 0) {
            // Dropped pages read as zero unless a script wrote into them while they were free;
            // dropping them again is cheap when it did not.
            DropPages(p, bytes);
            Unpoison(p, size);
        } else {
            Unpoison(p, size);
            std::memset(p, 0, size);
        }
        Poison(p + size, bytes - size);
        Owner(taken.first).store(uint64_t{pages} << kTagBits | kLargeTag, std::memory_order_release);
        CountTaken(bytes);
        return p;
    }

    void FreeLarge(void* p, uint32_t offset, uint32_t page, uint64_t owner) {
        if (offset % kPageSize != 0) BadFree(p, "inside a large block");
        // Exchanging the owner word makes a second free of the same block fail even when both race.
        if (!Owner(page).compare_exchange_strong(owner, 0, std::memory_order_acq_rel))
            BadFree(p, "already freed");
        const auto pages = static_cast<uint32_t>(owner >> kTagBits);
        CountGiven(size_t{pages} * kPageSize);
        GivePages(page, pages);
    }

    PageRuns::Taken TakePages(uint32_t count) {
        std::lock_guard lock(pagesMutex_);
        const std::optional<PageRuns::Taken> taken = runs_.Take(count);
        if (!taken) throw std::bad_alloc();
        const uint32_t end = runs_.HighWater() * kPageSize;
        if (end > g_handedOutEnd.load(std::memory_order_relaxed))
            g_handedOutEnd.store(end, std::memory_order_release);
        return *taken;
    }

    void GivePages(uint32_t first, uint32_t count) {
        Poison(base_ + size_t{first} * kPageSize, size_t{count} * kPageSize);
        std::lock_guard lock(pagesMutex_);
        runs_.Give(first, count);
        // Under the lock: once the free map has them back, another thread may take these pages.
        for (const PageRuns::Run& run : runs_.Trim(kKeepDirtyPages)) {
            DropPages(base_ + size_t{run.first} * kPageSize, size_t{run.count} * kPageSize);
        }
    }

    void RegisterThreadFlush();

    [[noreturn]] void BadFree(const void* p, const char* why) const {
        if (InScriptRegion(p)) {
            std::fprintf(stderr, "Script heap: freeing 0x%08X, which is not a live block (%s)\n",
                         static_cast<unsigned>(static_cast<const uint8_t*>(p) - base_), why);
        } else {
            std::fprintf(stderr, "Script heap: freeing %p, which is not a live block (%s)\n", p, why);
        }
        std::abort();
    }

    uint8_t* base_ = nullptr;
    uint64_t* owners_ = nullptr;
    std::mutex pagesMutex_;
    PageRuns runs_;
    SizeClass classes_[kClassCount];
};

// Never destroyed: blocks may still be freed by destructors of other statics at exit.
Heap& TheHeap() {
    static Heap& heap = *new Heap;
    return heap;
}

// Its destructor runs when the thread ends and hands the thread's cached blocks back.
struct ThreadFlush {
    bool armed = false;
    ~ThreadFlush() {
        if (armed) TheHeap().FlushThread();
    }
};
thread_local ThreadFlush t_flush;

void Heap::RegisterThreadFlush() {
    t_flush.armed = true;
    t_cache.registered = true;
}

}  // namespace

uint8_t* ScriptRegionBase() {
    // Asked on every script access: the base is kept once the region exists.
    static uint8_t* const base = TheHeap().Base();
    return base;
}

void* ScriptAlloc(size_t size) {
    void* p = TheHeap().Allocate(size);
    // Code may be written into it next: decoded code of an earlier block there is stale.
    DropCodePages(ToScript(p), size);
    return p;
}

void ScriptFree(void* p) {
    if (p != nullptr) TheHeap().Free(p);
}

bool InScriptRegion(const void* p) {
    auto a = reinterpret_cast<uintptr_t>(p);
    auto base = reinterpret_cast<uintptr_t>(ScriptRegionBase());
    return a >= base && a - base < kScriptRegionSize;
}

uint32_t ScriptHandedOutEnd() {
    return g_handedOutEnd.load(std::memory_order_acquire);
}

bool ScriptRangePoisoned(uint32_t address, uint32_t size) {
#ifdef VONDREL_ASAN
    if (size == 0 || uint64_t{address} + size > kScriptRegionSize) return false;
    return __asan_region_is_poisoned(ScriptRegionBase() + address, size) != nullptr;
#else
    (void)address;
    (void)size;
    return false;
#endif
}

ScriptHeapUsage GetScriptHeapUsage() {
    return {g_inUse.load(std::memory_order_relaxed), g_peak.load(std::memory_order_relaxed)};
}

void ResetScriptHeapPeak() {
    g_peak.store(g_inUse.load(std::memory_order_relaxed), std::memory_order_relaxed);
}
