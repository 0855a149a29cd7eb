#include "foundation/segmented_array.h"

#include <gtest/gtest.h>

#include <functional>

#include "foundation/exceptions.h"
#include "foundation/script_memory.h"

namespace {

struct Counted {
    explicit Counted(int* deaths) : deaths(deaths) {}
    ~Counted() { ++*deaths; }
    int* deaths;
};

void ExpectOutOfBound(const std::function<void()>& f) {
    try {
        f();
        ADD_FAILURE() << "no exception";
    } catch (const FatalExep& e) {
        EXPECT_EQ(e.message, "Array index is out of bound");
    }
}

}  // namespace

TEST(SegmentedArray, IndexMappingAndCheckedAccess) {
    int a = 0, b = 0, c = 0;
    SegmentedArray<int> arr(4, 8, false);
    ASSERT_NE(arr.AtChecked(2), nullptr);  // direct part: always accepted
    EXPECT_EQ(*arr.AtChecked(2), nullptr);
    ExpectOutOfBound([&] { arr.AtChecked(4); });
    EXPECT_EQ(arr.Get(4), nullptr);
    EXPECT_EQ(arr.DirectorySize(), 10u);

    arr.SetAt(&a, 3);
    arr.SetAt(&b, 4);   // slot 0 of page 0
    arr.SetAt(&c, 20);  // slot 0 of page 2
    EXPECT_EQ(*arr.AtChecked(3), &a);
    EXPECT_EQ(*arr.AtChecked(4), &b);
    EXPECT_EQ(*arr.AtChecked(11), nullptr);  // page 0 exists, slot never written
    EXPECT_EQ(arr.Get(20), &c);
    ExpectOutOfBound([&] { arr.AtChecked(12); });  // page 1 was never made
    EXPECT_EQ(arr.At(12), arr.At(12));
    EXPECT_EQ(*arr.AtChecked(12), nullptr);
    EXPECT_FALSE(InScriptRegion(arr.At(3)));
    EXPECT_FALSE(InScriptRegion(arr.At(20)));

    // Slots never move when the directory grows.
    int** slot = arr.At(20);
    arr.SetAt(&a, 500);
    EXPECT_EQ(arr.At(20), slot);
    EXPECT_EQ(arr.Count(), 4u);
    EXPECT_EQ(arr.End(), 501u);
}

TEST(SegmentedArray, DirectoryGrowth) {
    int x = 0;
    SegmentedArray<int> far(4, 8, false);
    far.SetAt(&x, 1000);  // page 124: p + 1 beats 16
    EXPECT_EQ(far.DirectorySize(), 125u);
    EXPECT_EQ(far.Get(1000), &x);

    SegmentedArray<int> arr(4, 8, false);
    arr.At(4 + 10 * 8);  // page 10
    EXPECT_EQ(arr.DirectorySize(), 16u);
    arr.At(4 + 16 * 8);
    EXPECT_EQ(arr.DirectorySize(), 25u);
    arr.At(4 + 25 * 8);
    EXPECT_EQ(arr.DirectorySize(), 39u);
    EXPECT_EQ(arr.End(), 0u);  // At stores nothing
    EXPECT_EQ(arr.Count(), 0u);
}

TEST(SegmentedArray, SetAtCountsEndAndOwnership) {
    int deaths = 0;
    SegmentedArray<Counted> arr(4, 8, true);
    arr.SetAt(nullptr, 7);
    EXPECT_EQ(arr.End(), 8u);
    EXPECT_EQ(arr.Count(), 0u);

    arr.SetAt(new Counted(&deaths), 2);
    arr.SetAt(new Counted(&deaths), 2);  // the owned old element goes
    EXPECT_EQ(deaths, 1);
    EXPECT_EQ(arr.Count(), 1u);
    arr.SetAt(nullptr, 2);
    EXPECT_EQ(deaths, 2);
    EXPECT_EQ(arr.Count(), 0u);

    // Storing what the slot already holds keeps it alive.
    auto* kept = new Counted(&deaths);
    arr.SetAt(kept, 9);
    arr.SetAt(kept, 9);
    EXPECT_EQ(deaths, 2);
    EXPECT_EQ(arr.Count(), 1u);
    EXPECT_EQ(arr.Get(9), kept);
    EXPECT_EQ(arr.End(), 10u);

    int notOwnedDeaths = 0;
    Counted first(&notOwnedDeaths), second(&notOwnedDeaths);
    {
        SegmentedArray<Counted> view(4, 8, false);
        view.SetAt(&first, 5);
        view.SetAt(&second, 5);
        EXPECT_EQ(view.Count(), 1u);
        view.Clear();
        EXPECT_EQ(view.Count(), 0u);
        EXPECT_EQ(view.End(), 0u);
        ExpectOutOfBound([&] { view.AtChecked(5); });  // pages are freed, the directory stays
        EXPECT_EQ(view.DirectorySize(), 10u);
    }
    EXPECT_EQ(notOwnedDeaths, 0);

    arr.SetAt(new Counted(&deaths), 0);
    arr.Clear();
    EXPECT_EQ(deaths, 4);
    EXPECT_EQ(arr.Get(0), nullptr);
    EXPECT_EQ(arr.Get(9), nullptr);
}

TEST(SegmentedArray, AddFillsHolesFirst) {
    int v[8] = {};
    SegmentedArray<int> arr(2, 2, false);
    EXPECT_EQ(arr.Add(nullptr), -1);
    EXPECT_EQ(arr.Add(&v[0]), 0);
    EXPECT_EQ(arr.Add(&v[1]), 1);
    EXPECT_EQ(arr.Add(&v[2]), 2);  // page 0 is made
    arr.SetAt(&v[3], 7);           // page 2 exists, page 1 does not
    EXPECT_EQ(arr.Add(&v[4]), 3);  // hole in page 0
    EXPECT_EQ(arr.Add(&v[5]), 6);  // hole in existing page 2 before making page 1
    EXPECT_EQ(arr.Add(&v[6]), 4);  // first directory entry without a page
    arr.SetAt(nullptr, 1);
    EXPECT_EQ(arr.Add(&v[7]), 1);
    EXPECT_EQ(arr.Count(), 7u);
    EXPECT_EQ(arr.End(), 8u);

    // Every entry has a full page: the next index is just past the directory.
    SegmentedArray<int> full(0, 1, false);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(full.Add(&v[0]), i);
    EXPECT_EQ(full.DirectorySize(), 10u);
    EXPECT_EQ(full.Add(&v[0]), 10);
    EXPECT_EQ(full.DirectorySize(), 16u);
}

TEST(SegmentedArray, HugeIndexesAreRefusedWithoutGrowing) {
    int x = 0;
    SegmentedArray<int> arr(4, 8, false);
    EXPECT_EQ(arr.Get(0xFFFFFFFFu), nullptr);
    ExpectOutOfBound([&] { arr.AtChecked(0xFFFFFFFFu); });
    ExpectOutOfBound([&] { arr.At(kSegmentedArrayMaxElements); });
    ExpectOutOfBound([&] { arr.SetAt(&x, 0xFFFFFFF0u); });
    EXPECT_EQ(arr.DirectorySize(), 10u);
    EXPECT_EQ(arr.End(), 0u);
    EXPECT_EQ(arr.Count(), 0u);

    // The last allowed index works; the directory stops at the pages that can be reached.
    SegmentedArray<int> edge(0, 8, false);
    edge.SetAt(&x, kSegmentedArrayMaxElements - 1);
    EXPECT_EQ(edge.DirectorySize(), kSegmentedArrayMaxElements / 8);
    EXPECT_EQ(edge.Get(kSegmentedArrayMaxElements - 1), &x);
    EXPECT_EQ(edge.End(), kSegmentedArrayMaxElements);

    // A page size of 0 behaves as 1 instead of dividing by zero.
    SegmentedArray<int> degenerate(0, 0, false);
    degenerate.SetAt(&x, 3);
    EXPECT_EQ(degenerate.Get(3), &x);
}

TEST(PtrArray, GrowthFigures) {
    struct Case {
        uint32_t capacity, needed, maxCapacity, grown;
    };
    const Case cases[] = {
        {0, 1, 100, 1},     // the larger of 1 and (0 + 3) / 2
        {0, 5, 100, 5},     // the larger of 5 and 1
        {10, 1, 100, 16},   // half again, not 11
        {10, 6, 100, 16},   // both figures agree
        {10, 20, 100, 30},  // what was asked beats half again
        {10, 1, 12, 12},    // half again stops at the cap
        {10, 2, 12, 12},    // exactly the cap
        {1, 0, 100, 3},     // nothing asked still grows by half again
    };
    for (const Case& c : cases) {
        PtrArray<int> arr(c.capacity, c.maxCapacity);
        arr.Grow(c.needed);
        EXPECT_EQ(arr.Capacity(), c.grown) << c.capacity << " + " << c.needed;
        for (uint32_t i = 0; i < arr.Capacity(); ++i) EXPECT_EQ(arr[i], nullptr) << i;
    }
}

TEST(PtrArray, ElementsKeepTheirIndexes) {
    int v[10] = {};
    PtrArray<int> arr(10, kSegmentedArrayMaxElements);
    for (uint32_t i = 0; i < 10; i += 2) arr[i] = &v[i];
    arr.Grow(1);
    arr.Grow(30);
    ASSERT_EQ(arr.Capacity(), 46u);
    for (uint32_t i = 0; i < 10; ++i) EXPECT_EQ(arr[i], i % 2 == 0 ? &v[i] : nullptr) << i;
    for (uint32_t i = 10; i < 46; ++i) EXPECT_EQ(arr[i], nullptr) << i;
}

TEST(PtrArray, GrowthBeyondTheCapIsRefused) {
    struct Case {
        uint32_t capacity, needed;
    };
    const Case cases[] = {
        {10, 91},           // one past the cap
        {10, 0xFFFFFFFFu},  // old + needed wraps in 32 bits
        {100, 1},           // already full
    };
    for (const Case& c : cases) {
        int x = 0;
        PtrArray<int> arr(c.capacity, 100);
        arr[0] = &x;
        ExpectOutOfBound([&] { arr.Grow(c.needed); });
        EXPECT_EQ(arr.Capacity(), c.capacity);
        EXPECT_EQ(arr[0], &x);
    }
}
