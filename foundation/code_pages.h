// Pages of the script address space that hold decoded script code. The processor keeps code it has
// decoded in host memory; a page it decoded from is marked here, and every write into a marked page
// (script stores, checked native writes, blocks handed out or freed) advances the page's version,
// so decoded code of an older version is dropped and decoded again from the words as they are now.
// Plain host memory: scripts can neither read nor write it.
#pragma once

#include <cstdint>

constexpr uint32_t kCodePageShift = 12;
constexpr uint32_t kCodePageCount = uint32_t{1} << (31 - kCodePageShift);

struct CodePages {
    uint8_t marked[kCodePageCount];
    uint32_t version[kCodePageCount];
};
extern CodePages g_codePages;

inline uint32_t CodePageOf(uint32_t address) {
    return (address >> kCodePageShift) & (kCodePageCount - 1);
}

// Marks the page as holding decoded code; answers its current version.
inline uint32_t MarkCodePage(uint32_t page) {
    g_codePages.marked[page] = 1;
    return g_codePages.version[page];
}

inline uint32_t CodePageVersion(uint32_t page) {
    return g_codePages.version[page];
}

// Advances the version of every marked page that [address, address + size) touches and unmarks it;
// true when there was one. size 0 touches nothing.
bool DropCodePages(uint32_t address, uint64_t size);

// The check every write makes: a few instructions when no decoded code is near.
inline bool NoteScriptWrite(uint32_t address, uint32_t size) {
    if (size == 0) return false;
    const uint32_t last = address + (size - 1);
    if ((g_codePages.marked[CodePageOf(address)] | g_codePages.marked[CodePageOf(last)]) == 0 &&
        (last >> kCodePageShift) - (address >> kCodePageShift) <= 1) {
        return false;
    }
    return DropCodePages(address, size);
}
