#include "foundation/code_pages.h"

CodePages g_codePages;

bool DropCodePages(uint32_t address, uint64_t size) {
    if (size == 0) return false;
    const uint64_t first = address >> kCodePageShift;
    const uint64_t last = (uint64_t{address} + size - 1) >> kCodePageShift;
    bool dropped = false;
    for (uint64_t page = first; page <= last && page < kCodePageCount; ++page) {
        if (g_codePages.marked[page].exchange(0, std::memory_order_relaxed) != 0) {
            g_codePages.version[page].fetch_add(1, std::memory_order_relaxed);
            dropped = true;
        }
    }
    return dropped;
}
