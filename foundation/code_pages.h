// Pages of the script address space that hold decoded script code. The processor keeps code it has
// decoded in host memory; a page it decoded from is marked here, and every write into a marked page
// (script stores, checked native writes, blocks handed out or freed) advances the page's version,
// so decoded code of an older version is dropped and decoded again from the words as they are now.
// Plain host memory: scripts can neither read nor write it. Any thread may allocate script memory,
// so the marks and versions are atomics (relaxed: each is a flag or a counter of its own).
#pragma once

#include <atomic>
#include <cstdint>

constexpr uint32_t kCodePageShift = 12;
constexpr uint32_t kCodePageCount = uint32_t{1} << (31 - kCodePageShift);

struct CodePages {
    std::atomic<uint8_t> marked[kCodePageCount];
    std::atomic<uint32_t> version[kCodePageCount];
};
extern CodePages g_codePages;

inline uint32_t CodePageOf(uint32_t address) {
    return (address >> kCodePageShift) & (kCodePageCount - 1);
}

// Marks the page as holding decoded code; answers its current version.
inline uint32_t MarkCodePage(uint32_t page) {
    g_codePages.marked[page].store(1, std::memory_order_relaxed);
    return g_codePages.version[page].load(std::memory_order_relaxed);
}

inline uint32_t CodePageVersion(uint32_t page) {
    return g_codePages.version[page].load(std::memory_order_relaxed);
}

// Advances the version of every marked page that [address, address + size) touches and unmarks it;
// true when there was one. size 0 touches nothing.
bool DropCodePages(uint32_t address, uint64_t size);

// The check every write makes: a few instructions when no decoded code is near.
inline bool NoteScriptWrite(uint32_t address, uint32_t size) {
    if (size == 0) return false;
    const uint32_t last = address + (size - 1);
    const uint8_t first = g_codePages.marked[CodePageOf(address)].load(std::memory_order_relaxed);
    const uint8_t end = g_codePages.marked[CodePageOf(last)].load(std::memory_order_relaxed);
    if ((first | end) == 0 && (last >> kCodePageShift) - (address >> kCodePageShift) <= 1) {
        return false;
    }
    return DropCodePages(address, size);
}
