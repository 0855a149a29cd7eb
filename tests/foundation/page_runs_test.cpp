#include "foundation/page_runs.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

// One step on a free map of pages [100, 200): take count pages (expecting the first page, or
// nothing when no run fits), or give a run back.
struct Step {
    enum { kTake, kGive } what;
    uint32_t first;
    uint32_t count;
    bool fits = true;
};

struct Case {
    const char* name;
    std::vector<Step> steps;
};

TEST(PageRuns, TakesTheSmallestFittingRunAndMergesWhatIsGiven) {
    const Case cases[] = {
        {"fresh pages in order", {{Step::kTake, 100, 10}, {Step::kTake, 110, 5}, {Step::kTake, 115, 85}}},
        {"no room", {{Step::kTake, 100, 90}, {Step::kTake, 0, 11, false}, {Step::kTake, 190, 10}}},
        {"a freed hole is reused",
         {{Step::kTake, 100, 10}, {Step::kTake, 110, 10}, {Step::kGive, 100, 10}, {Step::kTake, 100, 4}}},
        {"smallest hole wins over the lower one",
         {{Step::kTake, 100, 8},
          {Step::kTake, 108, 1},
          {Step::kTake, 109, 3},
          {Step::kTake, 112, 1},
          {Step::kGive, 100, 8},
          {Step::kGive, 109, 3},
          {Step::kTake, 109, 3},
          {Step::kTake, 100, 2}}},
        {"equal holes: the lowest",
         {{Step::kTake, 100, 2},
          {Step::kTake, 102, 1},
          {Step::kTake, 103, 2},
          {Step::kTake, 105, 1},
          {Step::kGive, 103, 2},
          {Step::kGive, 100, 2},
          {Step::kTake, 100, 2}}},
        {"neighbours on both sides merge",
         {{Step::kTake, 100, 3},
          {Step::kTake, 103, 3},
          {Step::kTake, 106, 3},
          {Step::kTake, 109, 1},
          {Step::kGive, 100, 3},
          {Step::kGive, 106, 3},
          {Step::kGive, 103, 3},
          {Step::kTake, 100, 9}}},
        {"a run that reaches the fresh part joins it",
         {{Step::kTake, 100, 5}, {Step::kTake, 105, 5}, {Step::kGive, 105, 5}, {Step::kTake, 105, 95}}},
        {"everything back, then everything again",
         {{Step::kTake, 100, 60},
          {Step::kTake, 160, 40},
          {Step::kGive, 100, 60},
          {Step::kGive, 160, 40},
          {Step::kTake, 100, 100}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PageRuns runs(100, 200);
        for (const Step& s : c.steps) {
            if (s.what == Step::kGive) {
                runs.Give(s.first, s.count);
                continue;
            }
            const std::optional<PageRuns::Taken> taken = runs.Take(s.count);
            ASSERT_EQ(taken.has_value(), s.fits) << s.count;
            if (taken) {
                EXPECT_EQ(taken->first, s.first);
            }
        }
    }
}

TEST(PageRuns, HighWaterOnlyGrows) {
    PageRuns runs(100, 200);
    EXPECT_EQ(runs.HighWater(), 100u);
    runs.Take(30);
    EXPECT_EQ(runs.HighWater(), 130u);
    runs.Give(100, 30);
    EXPECT_EQ(runs.HighWater(), 130u);
    runs.Take(10);
    EXPECT_EQ(runs.HighWater(), 130u);
    EXPECT_FALSE(runs.Take(0).has_value());
}

TEST(PageRuns, GivenPagesStayDirtyUntilTakenOrTrimmed) {
    PageRuns runs(100, 200);
    EXPECT_EQ(runs.Take(10)->dirtyPages, 0u);  // 100..109
    EXPECT_EQ(runs.Take(10)->dirtyPages, 0u);  // 110..119
    EXPECT_EQ(runs.Take(10)->dirtyPages, 0u);  // 120..129
    EXPECT_EQ(runs.Take(1)->dirtyPages, 0u);   // 130
    runs.Give(100, 10);
    runs.Give(120, 10);
    EXPECT_EQ(runs.DirtyPages(), 20u);

    // Part of a dirty run: only those pages stop counting.
    EXPECT_EQ(runs.Take(4)->dirtyPages, 4u);
    EXPECT_EQ(runs.DirtyPages(), 16u);

    // Trimming hands back the oldest given pages first, only those still free and dirty.
    const std::vector<PageRuns::Run> dropped = runs.Trim(10);
    ASSERT_EQ(dropped.size(), 1u);
    EXPECT_EQ(dropped[0].first, 104u);
    EXPECT_EQ(dropped[0].count, 6u);
    EXPECT_EQ(runs.DirtyPages(), 10u);
    EXPECT_TRUE(runs.Trim(10).empty());

    // A run that straddles trimmed and dirty pages.
    runs.Give(110, 10);  // merges 104..129 into one free run
    const std::optional<PageRuns::Taken> mixed = runs.Take(26);
    ASSERT_TRUE(mixed.has_value());
    EXPECT_EQ(mixed->first, 104u);
    EXPECT_EQ(mixed->dirtyPages, 20u);
    EXPECT_EQ(runs.DirtyPages(), 0u);
    EXPECT_TRUE(runs.Trim(0).empty());
}

TEST(PageRuns, ManyGivesAndTakesKeepTheCountsRight) {
    // Runs given and taken over and over: the list of given runs stays short and the counts exact.
    PageRuns runs(0, 1 << 16);
    std::vector<uint32_t> firsts;
    for (int round = 0; round < 20000; ++round) {
        const std::optional<PageRuns::Taken> t = runs.Take(1 + round % 7);
        ASSERT_TRUE(t.has_value());
        runs.Give(t->first, 1 + round % 7);
    }
    EXPECT_LE(runs.DirtyPages(), 7u);
    EXPECT_EQ(runs.FreeRuns(), 0u);
    const std::vector<PageRuns::Run> dropped = runs.Trim(0);
    uint64_t pages = 0;
    for (const PageRuns::Run& r : dropped) pages += r.count;
    EXPECT_LE(pages, 7u);
    EXPECT_EQ(runs.DirtyPages(), 0u);
}

}  // namespace
