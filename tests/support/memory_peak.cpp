#include "tests/support/memory_peak.h"

#include <malloc.h>

#include <fstream>
#include <string>

namespace {

// A "VmHWM:" or "VmRSS:" line of /proc/self/status, in bytes.
uint64_t StatusBytes(const std::string& key) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(key, 0) == 0) return std::stoull(line.substr(key.size())) * 1024;
    }
    return 0;
}

uint64_t HeapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

}  // namespace

MemoryPeak::MemoryPeak() {
    // Writing 5 resets the resident peak to the current resident size.
    std::ofstream("/proc/self/clear_refs") << "5";
    residentAtStart_ = StatusBytes("VmRSS:");
    heapAtStart_ = HeapInUse();
}

uint64_t MemoryPeak::ResidentGrowth() const {
    const uint64_t peak = StatusBytes("VmHWM:");
    return peak > residentAtStart_ ? peak - residentAtStart_ : 0;
}

uint64_t MemoryPeak::HeapGrowth() const {
    const uint64_t now = HeapInUse();
    return now > heapAtStart_ ? now - heapAtStart_ : 0;
}
