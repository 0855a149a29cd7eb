#include "foundation/hash_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Item {
    Item(int id, int* deaths) : id(id), deaths(deaths) {}
    ~Item() { ++*deaths; }
    int id;
    int* deaths;
};

std::vector<int> Walk(HashTable<Item>& table) {
    std::vector<int> ids;
    for (Item* p = table.First(); p; p = table.Next()) ids.push_back(p->id);
    return ids;
}

// Every key in one bucket, through the overridden hash.
class OneBucketTable : public HashTable<Item> {
  public:
    using HashTable<Item>::HashTable;
    uint32_t Hash(const String&) const override { return 0xFFFFFFFFu; }
};

}  // namespace

TEST(HashTable, NameHash) {
    EXPECT_EQ(NameHash(String("ab")), 197u);
    EXPECT_EQ(NameHash(String("")), 0u);
    EXPECT_EQ(NameHash(String("\x80")), 0u - 127u);  // bytes from 128 count negative
    EXPECT_EQ(NameHash(String("\xFF\xFF")), 0u);
}

TEST(HashTable, IterationFollowsBucketsThenAddingOrder) {
    int deaths = 0;
    HashTable<Item> table(26, false, true);
    EXPECT_EQ(table.First(), nullptr);
    EXPECT_EQ(table.Next(), nullptr);
    EXPECT_EQ(table.Current(), nullptr);

    // Buckets: "" 0, "ba" and "ab" 15, "a" 20, "c" 22.
    table.FindOrAdd("ba", new Item(1, &deaths), 0);
    table.FindOrAdd("c", new Item(2, &deaths), 0);
    table.FindOrAdd("ab", new Item(3, &deaths), 0);
    table.FindOrAdd("", new Item(4, &deaths), 0);
    table.FindOrAdd("a", new Item(5, &deaths), 0);
    EXPECT_EQ(Walk(table), (std::vector<int>{4, 1, 3, 5, 2}));
    EXPECT_EQ(table.Next(), nullptr);
    ASSERT_NE(table.Current(), nullptr);
    EXPECT_EQ(table.Current()->id, 2);
    EXPECT_EQ(table.Find("ab")->id, 3);
    EXPECT_EQ(table.FindEntry("ab")->key, "ab");
    EXPECT_EQ(table.Find("Ab"), nullptr);  // exact, case-sensitive
    EXPECT_EQ(table.Find("b"), nullptr);
    EXPECT_EQ(table.Count(), 5u);
    EXPECT_EQ(deaths, 0);
}

TEST(HashTable, NegativeSumsUseTheUnsignedBucket) {
    int deaths = 0;
    HashTable<Item> table(7, false, true);
    // "a" 98 -> 0, "c" 100 -> 2, "e" 102 -> 4, "\x80" 4294967169 -> 3.
    table.FindOrAdd("e", new Item(4, &deaths), 0);
    table.FindOrAdd("\x80", new Item(3, &deaths), 0);
    table.FindOrAdd("a", new Item(0, &deaths), 0);
    table.FindOrAdd("c", new Item(2, &deaths), 0);
    EXPECT_EQ(Walk(table), (std::vector<int>{0, 2, 3, 4}));
    EXPECT_EQ(table.Find("\x80")->id, 3);

    // A hash of -1 in a derived table: bucket 4294967295 % 7, all keys together in adding order.
    OneBucketTable one(7, false, true);
    one.FindOrAdd("c", new Item(2, &deaths), 0);
    one.FindOrAdd("a", new Item(0, &deaths), 0);
    EXPECT_EQ(Walk(one), (std::vector<int>{2, 0}));
    EXPECT_EQ(one.Find("a")->id, 0);
}

TEST(HashTable, PresentKeysAndOwnership) {
    int deaths = 0;
    auto* first = new Item(1, &deaths);
    {
        HashTable<Item> owning(26, false, true);
        EXPECT_EQ(owning.DefaultMode(), 1u);
        EXPECT_EQ(owning.FindOrAdd("k", first, 0), first);
        EXPECT_EQ(owning.FindOrAdd("k", new Item(2, &deaths), 0), first);  // offered value deleted
        EXPECT_EQ(deaths, 1);
        EXPECT_EQ(owning.FindOrAdd("k", first, 0), first);  // the held value itself survives
        EXPECT_EQ(deaths, 1);
        EXPECT_EQ(owning.Find("k")->id, 1);
        EXPECT_EQ(owning.Count(), 1u);
        EXPECT_EQ(owning.EntryCount(), 1u);

        Item loose(3, &deaths);
        owning.FindOrAdd("loose", &loose, 2);  // this entry does not own its value
    }
    EXPECT_EQ(deaths, 3);  // the offered one, first with the table, loose as a local
    deaths = 0;

    Item a(1, &deaths), b(2, &deaths);
    {
        HashTable<Item> view(26, false, false);
        EXPECT_EQ(view.DefaultMode(), 2u);
        view.FindOrAdd("k", &a, 0);
        view.FindOrAdd("k", &b, 0);  // not owned: left alone
        EXPECT_EQ(view.Find("k"), &a);
        view.FindOrAdd("k", new Item(3, &deaths), 1);  // would have been owned: deleted
        EXPECT_EQ(deaths, 1);
        view.FindOrAdd("owned", new Item(4, &deaths), 1);
    }
    EXPECT_EQ(deaths, 2);
}

TEST(HashTable, DuplicatesStayAndFindGivesTheFirst) {
    int deaths = 0;
    HashTable<Item> table(26, true, true);
    table.FindOrAdd("k", new Item(1, &deaths), 0);
    table.FindOrAdd("k", new Item(2, &deaths), 0);
    EXPECT_EQ(table.Count(), 2u);
    EXPECT_EQ(table.Find("k")->id, 1);
    EXPECT_EQ(Walk(table), (std::vector<int>{1, 2}));

    // Truncation removes the newer entry by pointer, not by key.
    table.TruncateTo(1);
    EXPECT_EQ(deaths, 1);
    EXPECT_EQ(Walk(table), (std::vector<int>{1}));
}

TEST(HashTable, TruncateToDropsTheNewest) {
    int deaths = 0;
    HashTable<Item> table(3, false, true);
    for (int i = 0; i < 6; ++i) table.FindOrAdd(String(i), new Item(i, &deaths), 0);
    table.TruncateTo(6);
    EXPECT_EQ(deaths, 0);
    table.TruncateTo(2);
    EXPECT_EQ(deaths, 4);
    EXPECT_EQ(table.Count(), 2u);
    EXPECT_EQ(table.EntryCount(), 6u);  // not lowered
    EXPECT_EQ(table.Find("0")->id, 0);
    EXPECT_EQ(table.Find("1")->id, 1);
    for (int i = 2; i < 6; ++i) EXPECT_EQ(table.Find(String(i)), nullptr) << i;

    table.TruncateTo(0);
    EXPECT_EQ(deaths, 6);
    EXPECT_EQ(table.Count(), 0u);
    EXPECT_EQ(table.First(), nullptr);
    EXPECT_EQ(table.Next(), nullptr);
    EXPECT_EQ(table.Current(), nullptr);

    // The emptied buckets take new entries.
    table.FindOrAdd("2", new Item(7, &deaths), 0);
    EXPECT_EQ(table.Find("2")->id, 7);
    EXPECT_EQ(Walk(table), (std::vector<int>{7}));
    EXPECT_EQ(table.EntryCount(), 7u);
}

TEST(HashTable, StringValuesAndZeroBuckets) {
    HashTable<String> aliases(0, false, true);  // treated as one bucket
    EXPECT_EQ(aliases.BucketCount(), 1u);
    aliases.FindOrAdd("Fonts.dff", new String("Small.dff"), 0);
    aliases.FindOrAdd("Big.dff", new String("Large.dff"), 0);
    EXPECT_EQ(*aliases.Find("Fonts.dff"), "Small.dff");
    EXPECT_EQ(*aliases.Find("Big.dff"), "Large.dff");
}
