// Taking one entry out of a hash table by its key.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/hash_table.h"

namespace {

struct Counted {
    explicit Counted(int* deaths) : deaths(deaths) {}
    ~Counted() { ++*deaths; }
    int* deaths;
};

// Every key in one bucket, so that removal has neighbours on both sides.
class SharedBucketTable : public HashTable<Counted> {
  public:
    using HashTable<Counted>::HashTable;
    uint32_t Hash(const String&) const override { return 0; }
};

TEST(HashTableRemove, TakesTheEntryWithItsValueAndKeepsTheOthersInOrder) {
    struct Case {
        const char* key;
        bool owns;
        bool removed;
        int deaths;
        std::vector<std::string> left;
    } cases[] = {
        {"b", true, true, 1, {"a", "c"}},
        {"a", true, true, 1, {"b", "c"}},
        {"c", false, true, 0, {"a", "b"}},
        {"B", true, false, 0, {"a", "b", "c"}},  // keys compare with case
        {"z", true, false, 0, {"a", "b", "c"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        int deaths = 0;
        std::vector<Counted*> values;
        {
            SharedBucketTable table(10, false, c.owns);
            for (const char* key : {"a", "b", "c"}) {
                values.push_back(new Counted(&deaths));
                table.FindOrAdd(String(key), values.back());
            }
            EXPECT_EQ(table.Remove(String(c.key)), c.removed);
            EXPECT_EQ(deaths, c.deaths);
            EXPECT_EQ(table.Count(), c.left.size());
            for (const std::string& key : c.left) EXPECT_NE(table.Find(String(key.c_str())), nullptr) << key;
            EXPECT_EQ(table.Find(String(c.key)), c.removed ? nullptr : table.Find(String(c.key)));
            // Truncation still drops the newest of those left.
            table.TruncateTo(1);
            EXPECT_NE(table.Find(String(c.left.front().c_str())), nullptr);
            EXPECT_EQ(table.Count(), 1u);
        }
        if (!c.owns) {
            for (Counted* value : values) delete value;
        }
    }
}

}  // namespace
