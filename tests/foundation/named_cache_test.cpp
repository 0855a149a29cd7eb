#include "foundation/named_cache.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "foundation/trace_flag.h"
#include "tests/support/error_message.h"
#include "tests/support/test_archive.h"
#include "tools/content/block_writer.h"

namespace {

struct Resource {
    std::string content;
};

// Entries "<name>.res" hold the resource text; "null" loads as nothing, "fail" throws, and
// "fail once" throws the first time only.
class TestCache : public NamedCache<Resource> {
  public:
    TestCache(FD::File* archive, bool strict) : NamedCache<Resource>(26, true, archive, strict) {}

    String EntryName(const String& name) const override { return name + ".res"; }

    Resource* Load(BlockReader& reader, const String& name) override {
        ++loads;
        std::string content(reader.Size(), '\0');
        content.resize(reader.Read(content.data(), static_cast<uint32_t>(content.size())));
        if (content == "null") return nullptr;
        if (content == "fail" || (content == "fail once" && !failedOnce)) {
            failedOnce = failedOnce || content == "fail once";
            throw FatalExep(String("Bad ") + name);
        }
        owned.push_back(std::make_unique<Resource>(Resource{content}));
        return owned.back().get();
    }

    void Alias(const char* name, const char* target) { Aliases().FindOrAdd(name, new String(target), 0); }

    int loads = 0;
    bool failedOnce = false;
    std::vector<std::unique_ptr<Resource>> owned;  // the cache never deletes what it holds
};

class NamedCacheTest : public ::testing::Test {
  protected:
    NamedCacheTest()
        : archive(
              {{"ship.res", "a ship"},
               {"empty.res", "null"},
               {"broken.res", "fail"},
               {"flaky.res", "fail once"},
               {"aliases.subs",
                "// substitutions\nold ship\n\"quoted name\" \"ship\"\nfirst ship\nfirst empty\nlonely"}}),
          strict(archive.File(), true),
          lenient(archive.File(), false) {}
    ~NamedCacheTest() override { SetTraceFlag(false); }

    TestArchive archive;
    TestCache strict;
    TestCache lenient;
};

TEST_F(NamedCacheTest, LoadsOnceAndComparesNamesExactly) {
    Resource* ship = strict.Get("ship");
    ASSERT_NE(ship, nullptr);
    EXPECT_EQ(ship->content, "a ship");
    EXPECT_EQ(strict.Get("ship"), ship);
    EXPECT_EQ(strict.loads, 1);
    // Another name for the cache, though the archive finds the same entry for it.
    Resource* other = strict.Get("Ship");
    EXPECT_NE(other, ship);
    EXPECT_EQ(other->content, "a ship");
    EXPECT_EQ(strict.Count(), 2u);
    EXPECT_EQ(strict.loads, 2);
    EXPECT_EQ(strict.FindEntry("ship")->mode, 2u);
}

TEST_F(NamedCacheTest, AliasesAndChains) {
    strict.Alias("boat", "ship");
    strict.Alias("vessel", "boat");
    Resource* viaChain = strict.Get("vessel");
    ASSERT_NE(viaChain, nullptr);
    EXPECT_EQ(viaChain->content, "a ship");
    EXPECT_EQ(strict.Find("vessel"), viaChain);
    EXPECT_EQ(strict.Find("boat"), viaChain);
    EXPECT_EQ(strict.Find("ship"), viaChain);
    EXPECT_EQ(strict.Get("ship"), viaChain);
    EXPECT_EQ(strict.loads, 1);
}

TEST_F(NamedCacheTest, AliasCyclesEndAsNotFound) {
    strict.Alias("a", "b");
    strict.Alias("b", "c");
    strict.Alias("c", "a");
    EXPECT_EQ(ErrorMessage([&] { strict.Get("a"); }), "File c not found");
    strict.Alias("self", "self");
    EXPECT_EQ(ErrorMessage([&] { strict.Get("self"); }), "File self not found");
    EXPECT_EQ(strict.Count(), 0u);

    lenient.Alias("x", "y");
    lenient.Alias("y", "x");
    EXPECT_EQ(lenient.Get("x"), nullptr);
    EXPECT_EQ(lenient.loads, 0);
}

TEST_F(NamedCacheTest, AliasOfSomethingThatLoadsAsNothing) {
    strict.Alias("nothing", "empty");
    EXPECT_EQ(ErrorMessage([&] { strict.Get("nothing"); }), "File nothing not found");
    // The null itself was entered: asking again does not load again.
    EXPECT_EQ(strict.Get("empty"), nullptr);
    EXPECT_EQ(strict.loads, 1);
    lenient.Alias("nothing", "empty");
    EXPECT_EQ(lenient.Get("nothing"), nullptr);
}

TEST_F(NamedCacheTest, StrictPassesErrorsOnAndLenientGivesNull) {
    EXPECT_EQ(ErrorMessage([&] { strict.Get("missing"); }), "FD::File \"missing.res\" Not Found");
    EXPECT_EQ(ErrorMessage([&] { strict.Get("broken"); }), "Bad broken");
    EXPECT_EQ(strict.Count(), 0u);

    EXPECT_EQ(lenient.Get("missing"), nullptr);
    EXPECT_EQ(lenient.Get("broken"), nullptr);
    EXPECT_EQ(lenient.Count(), 0u);
    // Nothing was entered for a failure, so the next request tries again.
    EXPECT_EQ(lenient.Get("flaky"), nullptr);
    ASSERT_NE(lenient.Get("flaky"), nullptr);
    EXPECT_EQ(lenient.loads, 3);
}

TEST_F(NamedCacheTest, TrailingSpaceRule) {
    EXPECT_EQ(ErrorMessage([&] { strict.Get("ship "); }), "FD::File \"ship .res\" Not Found");
    EXPECT_EQ(lenient.Get("ship "), nullptr);
    SetTraceFlag(true);
    EXPECT_EQ(ErrorMessage([&] { strict.Get("ship "); }), "File 'ship ' ended with space!");
    EXPECT_EQ(ErrorMessage([&] { lenient.Get("ship "); }), "File 'ship ' ended with space!");
    EXPECT_NE(strict.Get("ship"), nullptr);
    // An alias ending in a space is fine; only the name that is loaded counts.
    strict.Alias("boat ", "ship");
    EXPECT_NE(strict.Get("boat "), nullptr);
}

TEST_F(NamedCacheTest, Substitutions) {
    strict.LoadSubstitutions("aliases.subs");
    HashTable<String>& aliases = strict.Aliases();
    EXPECT_EQ(*aliases.Find("old"), "ship");
    EXPECT_EQ(*aliases.Find("quoted name"), "ship");
    EXPECT_EQ(*aliases.Find("first"), "ship");  // the first pair for a name stays
    EXPECT_EQ(aliases.Find("lonely"), nullptr);
    EXPECT_EQ(aliases.Count(), 3u);
    EXPECT_EQ(strict.Get("quoted name")->content, "a ship");
    EXPECT_EQ(ErrorMessage([&] { strict.LoadSubstitutions("none.subs"); }),
              "FD::File \"none.subs\" Not Found");
}

struct Tagged : DataBlock {
    Tagged() : DataBlock(10, true) {}
};

TEST_F(NamedCacheTest, DefaultLoadReadsABlock) {
    TestArchive blocks({{"tagged", SEBlock("TAG", "payload")}, {"junk", "no block"}});
    NamedCache<Tagged> cache(26, true, blocks.File(), true);
    Tagged* t = cache.Get("tagged");
    ASSERT_NE(t, nullptr);
    EXPECT_TRUE(t->HasTag("TAG"));
    EXPECT_EQ(t->PayloadSize(), 7u);
    EXPECT_THROW(cache.Get("junk"), WarnExep);
    delete t;
}

}  // namespace
