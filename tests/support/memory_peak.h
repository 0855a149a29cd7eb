// Memory taken while a piece of code runs, from the C library's and the kernel's own counters:
// the host heap in use (glibc mallinfo2) and the peak of resident memory (VmHWM, reset on
// construction), which also sees pages committed in the script region.
#pragma once

#include <cstdint>

class MemoryPeak {
  public:
    MemoryPeak();
    // Growth of the resident peak since construction.
    uint64_t ResidentGrowth() const;
    // Growth of the heap in use (arena and mapped blocks) since construction; 0 when it shrank.
    uint64_t HeapGrowth() const;

  private:
    uint64_t residentAtStart_ = 0;
    uint64_t heapAtStart_ = 0;
};
