#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <map>
#include <new>
#include <random>
#include <thread>
#include <vector>

#include "foundation/script_memory.h"
#include "tests/support/hostile_store.h"

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

struct Block {
    uint8_t* p;
    size_t size;
};

Block Make(size_t size) {
    return {static_cast<uint8_t*>(ScriptAlloc(size)), size};
}

bool AllZero(const Block& b) {
    return std::all_of(b.p, b.p + b.size, [](uint8_t byte) { return byte == 0; });
}

uint32_t Address(const Block& b) {
    return ToScript(b.p);
}

// Live blocks by start, so that each new block can be checked against its neighbours.
class LiveSet {
  public:
    // False when the block overlaps one already in the set.
    bool Add(const Block& b) {
        auto next = blocks_.lower_bound(b.p);
        if (next != blocks_.end() && next->first < b.p + b.size) return false;
        if (next != blocks_.begin()) {
            auto before = std::prev(next);
            if (before->first + before->second > b.p) return false;
        }
        blocks_.emplace(b.p, b.size);
        return true;
    }
    void Remove(const Block& b) { blocks_.erase(b.p); }

  private:
    std::map<uint8_t*, size_t> blocks_;
};

// Sizes on both sides of every boundary the allocator has: the smallest class, 16-byte alignment,
// the largest class, one page, several pages.
const size_t kSizes[] = {1, 8, 9, 16, 24, 100, 256, 1000, 3584, 3585, 4096, 5000, 70000, size_t{1} << 20};

TEST(ScriptHeap, BlocksAreAlignedInTheRegionAndZeroEvenAfterReuse) {
    for (size_t size : kSizes) {
        SCOPED_TRACE(size);
        for (int round = 0; round < 3; ++round) {
            Block b = Make(size);
            EXPECT_TRUE(InScriptRegion(b.p));
            EXPECT_TRUE(InScriptRegion(b.p + size - 1));
            EXPECT_GE(Address(b), kScriptReservedLow);
            EXPECT_LE(uint64_t{Address(b)} + size, ScriptHandedOutEnd());
            EXPECT_EQ(reinterpret_cast<uintptr_t>(b.p) % (size >= 16 ? 16 : 8), 0u);
            EXPECT_TRUE(AllZero(b));
            std::fill(b.p, b.p + size, uint8_t{0xA5});
            ScriptFree(b.p);
        }
    }
}

TEST(ScriptHeap, WritesIntoFreedBlocksAreHarmless) {
    // A script may keep an address after its block is freed and write anything there: the
    // allocator keeps no record in the region for such a store to damage.
    std::mt19937 rng(7);
    for (size_t size : {size_t{16}, size_t{200}, size_t{3000}, size_t{200000}}) {
        SCOPED_TRACE(size);
        std::vector<Block> kept;
        LiveSet live;
        for (int i = 0; i < 3000; ++i) {
            if (!kept.empty() && rng() % 3 == 0) {
                const size_t k = rng() % kept.size();
                live.Remove(kept[k]);
                ScriptFree(kept[k].p);
                EXPECT_EQ(ScriptRangePoisoned(Address(kept[k]), static_cast<uint32_t>(kept[k].size)),
                          kSanitized);
                HostileFill(Address(kept[k]), static_cast<uint32_t>(kept[k].size), 0xFF);
                kept.erase(kept.begin() + static_cast<ptrdiff_t>(k));
                continue;
            }
            Block b = Make(rng() % 4 == 0 ? size : 1 + rng() % 400);
            ASSERT_TRUE(AllZero(b)) << i;
            ASSERT_TRUE(live.Add(b)) << i;
            kept.push_back(b);
        }
        for (const Block& b : kept) ScriptFree(b.p);
    }
}

TEST(ScriptHeap, LiveBlocksNeverOverlap) {
    std::mt19937 rng(11);
    std::vector<Block> kept;
    LiveSet live;
    for (int i = 0; i < 20000; ++i) {
        if (!kept.empty() && rng() % 2 == 0) {
            const size_t k = rng() % kept.size();
            live.Remove(kept[k]);
            ScriptFree(kept[k].p);
            kept[k] = kept.back();
            kept.pop_back();
            continue;
        }
        const uint32_t pick = rng() % 100;
        const size_t size = pick < 85   ? 1 + rng() % 512
                            : pick < 97 ? 513 + rng() % 8000
                                        : 8193 + rng() % 600000;
        Block b = Make(size);
        ASSERT_TRUE(live.Add(b)) << i << " size " << size;
        kept.push_back(b);
    }
    for (const Block& b : kept) ScriptFree(b.p);
}

TEST(ScriptHeap, BlocksFreedOnOtherThreadsAreReused) {
    const ScriptHeapUsage before = GetScriptHeapUsage();
    // Each thread frees what the previous one made, all running at once.
    constexpr int kThreads = 4;
    constexpr int kBlocks = 3000;
    std::vector<std::vector<void*>> made(kThreads, std::vector<void*>(kBlocks));
    std::atomic<int> ready{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kBlocks; ++i) made[t][i] = ScriptAlloc(8 + (i * 37 + t) % 700);
            ready.fetch_add(1);
            while (ready.load() < kThreads) std::this_thread::yield();
            for (void* p : made[(t + 1) % kThreads]) ScriptFree(p);
        });
    }
    for (std::thread& t : threads) t.join();
    // Threads hand back what they kept for reuse when they end.
    EXPECT_EQ(GetScriptHeapUsage().inUse, before.inUse);

    std::vector<void*> blocks;
    std::thread maker([&] {
        for (int i = 0; i < 1000; ++i) blocks.push_back(ScriptAlloc(16 + i));
    });
    maker.join();
    for (void* p : blocks) ScriptFree(p);
    void* again = ScriptAlloc(64);
    EXPECT_TRUE(InScriptRegion(again));
    ScriptFree(again);
}

TEST(ScriptHeap, ImpossibleSizesThrowBadAlloc) {
    for (size_t size : {SIZE_MAX, SIZE_MAX - 4095, size_t{kScriptRegionSize} + 1, size_t{kScriptRegionSize},
                        size_t{kScriptRegionSize} - kScriptReservedLow + 1}) {
        EXPECT_THROW(ScriptAlloc(size), std::bad_alloc) << size;
    }
    // The heap is fine afterwards.
    Block b = Make(100);
    EXPECT_TRUE(AllZero(b));
    ScriptFree(b.p);
}

TEST(ScriptHeap, HandedOutEndCoversEveryBlockAndNeverShrinks) {
    const uint32_t start = ScriptHandedOutEnd();
    EXPECT_GE(start, kScriptReservedLow);
    EXPECT_LE(uint64_t{start}, kScriptRegionSize);
    // Larger than any hole the other tests can have left.
    Block big = Make(size_t{96} << 20);
    const uint32_t grown = ScriptHandedOutEnd();
    EXPECT_GT(grown, start);
    EXPECT_GE(uint64_t{grown}, uint64_t{Address(big)} + big.size);
    EXPECT_EQ(grown % 4096, 0u);
    ScriptFree(big.p);
    EXPECT_EQ(ScriptHandedOutEnd(), grown);
}

TEST(ScriptHeap, RepeatedLargeBlocksReuseTheSamePages) {
    // The same blocks made and freed round after round, as when a level is loaded again and again:
    // the region must not creep upwards.
    std::mt19937 rng(3);
    std::vector<size_t> sizes;
    for (int i = 0; i < 8; ++i) sizes.push_back(4096 + rng() % (2u << 20));
    uint32_t endAfterFirst = 0;
    for (int round = 0; round < 50; ++round) {
        std::vector<void*> blocks;
        for (size_t size : sizes) blocks.push_back(ScriptAlloc(size));
        for (void* p : blocks) ScriptFree(p);
        if (round == 0) endAfterFirst = ScriptHandedOutEnd();
    }
    EXPECT_EQ(ScriptHandedOutEnd(), endAfterFirst);
}

TEST(ScriptHeap, UsageCountsBlocksAndPeak) {
    const ScriptHeapUsage before = GetScriptHeapUsage();
    Block b = Make(size_t{1} << 20);
    const ScriptHeapUsage during = GetScriptHeapUsage();
    EXPECT_GE(during.inUse, before.inUse + b.size);
    EXPECT_GE(during.peak, during.inUse);
    ScriptFree(b.p);
    const ScriptHeapUsage after = GetScriptHeapUsage();
    EXPECT_EQ(after.inUse, before.inUse);
    EXPECT_GE(after.peak, during.inUse);
    ResetScriptHeapPeak();
    EXPECT_EQ(GetScriptHeapUsage().peak, after.inUse);
}

TEST(ScriptHeap, RedZonesAndFreedBlocksArePoisonedInSanitizerBuilds) {
    for (size_t size : {size_t{40}, size_t{3584}, size_t{5000}}) {
        SCOPED_TRACE(size);
        Block b = Make(size);
        const uint32_t a = Address(b);
        const auto n = static_cast<uint32_t>(size);
        EXPECT_FALSE(ScriptRangePoisoned(a, n));
        EXPECT_EQ(ScriptRangePoisoned(a + n, 1), kSanitized);
        EXPECT_EQ(ScriptRangePoisoned(a, n + 1), kSanitized);
        ScriptFree(b.p);
        EXPECT_EQ(ScriptRangePoisoned(a, 1), kSanitized);
        EXPECT_FALSE(ScriptRangePoisoned(a, 0));
    }
}

using ScriptHeapDeathTest = testing::Test;

TEST_F(ScriptHeapDeathTest, FreeingWhatIsNotALiveBlockAborts) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    int onTheStack = 0;
    EXPECT_DEATH(ScriptFree(&onTheStack), "not a live block");
    EXPECT_DEATH(ScriptFree(ScriptRegionBase() + kScriptReservedLow - 4096), "not a live block");

    Block small = Make(64);
    EXPECT_DEATH(ScriptFree(small.p + 16), "not a live block");
    Block large = Make(size_t{64} << 10);
    EXPECT_DEATH(ScriptFree(large.p + 4096), "not a live block");
    EXPECT_DEATH(ScriptFree(large.p + 8), "not a live block");
    ScriptFree(small.p);
    EXPECT_DEATH(ScriptFree(small.p), "already freed");
    ScriptFree(large.p);
    EXPECT_DEATH(ScriptFree(large.p), "not a live block");
    ScriptFree(nullptr);
}

}  // namespace
