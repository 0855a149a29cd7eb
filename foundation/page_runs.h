// Free map of the script region's pages: hands out runs of consecutive pages and takes them back,
// merging neighbours. It knows only page numbers, never the memory, so its records stay on the host
// heap where no script can reach them. Not thread-safe: the caller holds the lock.
//
// It also remembers which free pages may still hold data (were handed out and given back since the
// system last dropped them), so the caller zeroes only what needs it and can give the oldest of
// them back to the system.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <set>
#include <utility>
#include <vector>

class PageRuns {
  public:
    struct Run {
        uint32_t first;
        uint32_t count;
    };
    struct Taken {
        uint32_t first;
        uint32_t dirtyPages;  // pages of the run that may hold old data
    };

    // Pages [first, end) are available; none is handed out yet.
    PageRuns(uint32_t first, uint32_t end);

    // A run of count pages: the smallest free run that fits (the lowest of equal ones), else fresh
    // pages above everything handed out so far. Empty when no run fits.
    std::optional<Taken> Take(uint32_t count);
    // Returns a run that Take handed out; its pages count as dirty from now on.
    void Give(uint32_t first, uint32_t count);
    // Runs of dirty free pages, oldest given first, that the caller must drop (make read as zero)
    // so that at most keepPages dirty pages remain; they count as clean once returned.
    std::vector<Run> Trim(uint64_t keepPages);

    // One past the highest page ever handed out; it only grows.
    uint32_t HighWater() const { return highWater_; }
    uint64_t DirtyPages() const { return dirtyPages_; }
    size_t FreeRuns() const { return byStart_.size(); }

  private:
    void Insert(uint32_t first, uint32_t count);
    void Erase(std::map<uint32_t, uint32_t>::iterator run);
    bool Dirty(uint32_t page) const { return (dirty_[page / 64] >> (page % 64) & 1) != 0; }
    void SetDirty(uint32_t page, bool on);
    bool AnyDirty(Run run) const;
    void ForgetCleanRuns();

    std::map<uint32_t, uint32_t> byStart_;            // first page -> count
    std::set<std::pair<uint32_t, uint32_t>> bySize_;  // (count, first page)
    uint32_t top_;                                    // pages from here to end_ are not in a run
    uint32_t end_;
    uint32_t highWater_;
    std::vector<uint64_t> dirty_;  // one bit per page
    uint64_t dirtyPages_ = 0;
    std::deque<Run> given_;   // runs in the order they were given; pages may have been taken since
    size_t forgetAt_ = 1024;  // size of given_ at which runs with no dirty page left are forgotten
};
