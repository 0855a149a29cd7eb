#include "foundation/page_runs.h"

#include <algorithm>
#include <iterator>

PageRuns::PageRuns(uint32_t first, uint32_t end)
    : top_(first), end_(end), highWater_(first), dirty_((uint64_t{end} + 63) / 64) {}

std::optional<PageRuns::Taken> PageRuns::Take(uint32_t count) {
    if (count == 0) return std::nullopt;
    uint32_t first;
    auto fit = bySize_.lower_bound({count, 0});
    if (fit != bySize_.end()) {
        const auto [size, start] = *fit;
        first = start;
        Erase(byStart_.find(first));
        if (size > count) Insert(first + count, size - count);
    } else {
        if (count > end_ - top_) return std::nullopt;
        first = top_;
        top_ += count;
        if (top_ > highWater_) highWater_ = top_;
    }
    uint32_t dirty = 0;
    for (uint32_t page = first; page < first + count; ++page) {
        if (Dirty(page)) {
            SetDirty(page, false);
            ++dirty;
        }
    }
    dirtyPages_ -= dirty;
    return Taken{first, dirty};
}

void PageRuns::Give(uint32_t first, uint32_t count) {
    for (uint32_t page = first; page < first + count; ++page) {
        if (!Dirty(page)) {
            SetDirty(page, true);
            ++dirtyPages_;
        }
    }
    given_.push_back({first, count});
    if (given_.size() >= forgetAt_) ForgetCleanRuns();

    auto after = byStart_.lower_bound(first);
    if (after != byStart_.end() && after->first == first + count) {
        count += after->second;
        Erase(after);
        after = byStart_.lower_bound(first);
    }
    if (after != byStart_.begin()) {
        auto before = std::prev(after);
        if (before->first + before->second == first) {
            first = before->first;
            count += before->second;
            Erase(before);
        }
    }
    // A run that reaches the fresh part joins it, so the free map keeps only holes.
    if (first + count == top_) {
        top_ = first;
    } else {
        Insert(first, count);
    }
}

std::vector<PageRuns::Run> PageRuns::Trim(uint64_t keepPages) {
    std::vector<Run> drop;
    while (!given_.empty() && dirtyPages_ > keepPages) {
        const Run run = given_.front();
        given_.pop_front();
        // Only the pages of the run that are still free and dirty; the rest were taken since.
        for (uint32_t page = run.first; page < run.first + run.count;) {
            if (!Dirty(page)) {
                ++page;
                continue;
            }
            const uint32_t start = page;
            while (page < run.first + run.count && Dirty(page)) SetDirty(page++, false);
            dirtyPages_ -= page - start;
            drop.push_back({start, page - start});
        }
    }
    return drop;
}

bool PageRuns::AnyDirty(Run run) const {
    for (uint32_t page = run.first; page < run.first + run.count; ++page) {
        if (Dirty(page)) return true;
    }
    return false;
}

// Most given runs are soon taken again; dropping those from the list keeps it short. The next
// pass waits until the list has doubled, so each run is looked at a bounded number of times.
void PageRuns::ForgetCleanRuns() {
    std::erase_if(given_, [&](const Run& run) { return !AnyDirty(run); });
    forgetAt_ = std::max<size_t>(1024, 2 * given_.size());
}

void PageRuns::SetDirty(uint32_t page, bool on) {
    const uint64_t bit = uint64_t{1} << (page % 64);
    if (on) {
        dirty_[page / 64] |= bit;
    } else {
        dirty_[page / 64] &= ~bit;
    }
}

void PageRuns::Insert(uint32_t first, uint32_t count) {
    byStart_.emplace(first, count);
    bySize_.emplace(count, first);
}

void PageRuns::Erase(std::map<uint32_t, uint32_t>::iterator run) {
    bySize_.erase({run->second, run->first});
    byStart_.erase(run);
}
