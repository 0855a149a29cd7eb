#include "foundation/list.h"

#include <gtest/gtest.h>

#include <vector>

#include "foundation/script_memory.h"

namespace {

struct Item {
    explicit Item(int id, int* deaths = nullptr) : id(id), deaths(deaths) {}
    virtual ~Item() {
        if (deaths != nullptr) ++*deaths;
    }
    int id;
    int* deaths;
};

struct DerivedItem : Item {
    DerivedItem(int id, int* deaths, int* derivedDeaths) : Item(id, deaths), derivedDeaths(derivedDeaths) {}
    ~DerivedItem() override { ++*derivedDeaths; }
    int* derivedDeaths;
};

// Ids from the head, checking the links both ways and the count on the way.
std::vector<int> Ids(const List<Item>& list) {
    std::vector<int> ids;
    const List<Item>::Node* prev = nullptr;
    for (const auto* n = list.Head(); n != nullptr; n = n->next) {
        EXPECT_EQ(n->prev, prev);
        ids.push_back(n->item != nullptr ? n->item->id : -1);
        prev = n;
    }
    EXPECT_EQ(ids.size(), list.Count());
    return ids;
}

// A list of items 0..n-1 (not owned) with the cursor moved to position `at`.
struct Fixture {
    explicit Fixture(int n, uint32_t at) : list(false) {
        for (int i = 0; i < n; ++i) items.emplace_back(i);
        for (auto& it : items) list.Append(&it);
        list.First();
        for (uint32_t i = 0; i < at; ++i) list.Next();
    }
    std::vector<Item> items;
    List<Item> list;
};

}  // namespace

TEST(List, AppendAndCursorWalk) {
    Fixture f(3, 0);
    EXPECT_EQ(f.list.Current(), &f.items[0]);  // set by the first Append and kept by later ones
    EXPECT_EQ(f.list.Next(), &f.items[1]);
    EXPECT_EQ(f.list.Next(), &f.items[2]);
    EXPECT_EQ(f.list.Next(), nullptr);  // stays on the last node
    EXPECT_EQ(f.list.Index(), 2u);
    EXPECT_EQ(f.list.Prev(), &f.items[1]);
    EXPECT_EQ(f.list.Index(), 1u);
    EXPECT_EQ(f.list.First(), &f.items[0]);
    EXPECT_EQ(f.list.Prev(), nullptr);
    EXPECT_EQ(f.list.Index(), 0u);
    EXPECT_EQ(f.list.Last(), &f.items[2]);
    EXPECT_EQ(f.list.Index(), 2u);
    EXPECT_FALSE(InScriptRegion(f.list.Head()));

    List<Item> empty;
    EXPECT_EQ(empty.Last(), nullptr);
    EXPECT_EQ(empty.Index(), 0u);
    EXPECT_EQ(empty.First(), nullptr);
    EXPECT_EQ(empty.Next(), nullptr);
    EXPECT_EQ(empty.Prev(), nullptr);
    EXPECT_EQ(empty.RemoveCurrent(), nullptr);
    EXPECT_EQ(empty.DeleteCurrent(), nullptr);
    EXPECT_EQ(empty.Remove(nullptr), nullptr);
    EXPECT_EQ(empty.Count(), 0u);
    EXPECT_EQ(empty.Head(), nullptr);
}

TEST(List, WalkEndsAtNullItem) {
    Item a(0), c(2);
    List<Item> list;
    list.Append(&a);
    list.Append(nullptr);
    list.Append(&c);
    int seen = 0;
    for (Item* p = list.First(); p; p = list.Next()) ++seen;
    EXPECT_EQ(seen, 1);
    // Remove does not look past the null item either.
    list.First();
    EXPECT_EQ(list.Remove(&c), &a);
    EXPECT_EQ(Ids(list), (std::vector<int>{0, -1, 2}));
}

TEST(List, RemoveCurrentMovesCursorForwardOrBack) {
    {
        Fixture f(3, 1);  // middle: cursor to the follower, index unchanged
        EXPECT_EQ(f.list.RemoveCurrent(), &f.items[1]);
        EXPECT_EQ(f.list.Current(), &f.items[2]);
        EXPECT_EQ(f.list.Index(), 1u);
        EXPECT_EQ(Ids(f.list), (std::vector<int>{0, 2}));
    }
    {
        Fixture f(3, 2);  // tail: cursor back, index - 1
        EXPECT_EQ(f.list.RemoveCurrent(), &f.items[2]);
        EXPECT_EQ(f.list.Current(), &f.items[1]);
        EXPECT_EQ(f.list.Index(), 1u);
        EXPECT_EQ(f.list.Last(), &f.items[1]);
        EXPECT_EQ(Ids(f.list), (std::vector<int>{0, 1}));
    }
    {
        Fixture f(3, 0);  // head
        EXPECT_EQ(f.list.RemoveCurrent(), &f.items[0]);
        EXPECT_EQ(f.list.Current(), &f.items[1]);
        EXPECT_EQ(f.list.Index(), 0u);
        EXPECT_EQ(f.list.Prev(), nullptr);
        EXPECT_EQ(Ids(f.list), (std::vector<int>{1, 2}));
    }
    // The only node of an owning list: handed over, not deleted.
    int deaths = 0;
    List<Item> owning(true);
    owning.Append(new Item(7, &deaths));
    Item* taken = owning.RemoveCurrent();
    ASSERT_NE(taken, nullptr);
    EXPECT_EQ(deaths, 0);
    EXPECT_EQ(owning.Count(), 0u);
    EXPECT_EQ(owning.Head(), nullptr);
    EXPECT_EQ(owning.Current(), nullptr);
    EXPECT_EQ(owning.Index(), 0u);
    delete taken;
    // An emptied list takes a new first node as its cursor.
    Item again(8);
    owning.Append(&again, 2);
    EXPECT_EQ(owning.Current(), &again);
}

TEST(List, DeleteCurrentAppliesTheRuleAndGivesTheNewCursor) {
    int deaths = 0;
    List<Item> list(true);
    for (int i = 0; i < 3; ++i) list.Append(new Item(i, &deaths));
    list.First();
    list.Next();
    EXPECT_EQ(list.DeleteCurrent()->id, 2);
    EXPECT_EQ(list.Index(), 1u);
    EXPECT_EQ(deaths, 1);
    EXPECT_EQ(list.DeleteCurrent()->id, 0);  // was the tail: back to the head
    EXPECT_EQ(list.Index(), 0u);
    EXPECT_EQ(list.DeleteCurrent(), nullptr);
    EXPECT_EQ(list.Count(), 0u);
    EXPECT_EQ(deaths, 3);
}

TEST(List, RemoveKeepsTheCursorOnItsNode) {
    {
        Fixture f(4, 2);  // before the cursor: same node, index - 1
        EXPECT_EQ(f.list.Remove(&f.items[0]), &f.items[2]);
        EXPECT_EQ(f.list.Index(), 1u);
        EXPECT_EQ(Ids(f.list), (std::vector<int>{1, 2, 3}));
    }
    {
        Fixture f(4, 1);  // after the cursor: index unchanged
        EXPECT_EQ(f.list.Remove(&f.items[3]), &f.items[1]);
        EXPECT_EQ(f.list.Index(), 1u);
        EXPECT_EQ(f.list.Last(), &f.items[2]);
        EXPECT_EQ(Ids(f.list), (std::vector<int>{0, 1, 2}));
    }
    {
        Fixture f(3, 1);  // the cursor's own item: as DeleteCurrent
        EXPECT_EQ(f.list.Remove(&f.items[1]), &f.items[2]);
        EXPECT_EQ(f.list.Index(), 1u);
    }
    {
        Fixture f(3, 2);  // absent: nothing changes
        Item stranger(9);
        EXPECT_EQ(f.list.Remove(&stranger), &f.items[2]);
        EXPECT_EQ(f.list.Index(), 2u);
        EXPECT_EQ(Ids(f.list), (std::vector<int>{0, 1, 2}));
    }
    {
        // With the item twice and the cursor on neither, the first from the head goes.
        Fixture f(3, 2);
        f.list.Append(&f.items[0]);
        EXPECT_EQ(f.list.Remove(&f.items[0]), &f.items[2]);
        EXPECT_EQ(f.list.Index(), 1u);
        EXPECT_EQ(Ids(f.list), (std::vector<int>{1, 2, 0}));
    }
}

TEST(List, DetachTakesEveryNodeOfTheItemAndDeletesNothing) {
    int deaths = 0;
    {
        // Twice, around the cursor: the earlier one moves the index back, the later one not.
        Fixture f(4, 2);
        f.list.Append(&f.items[0]);
        f.list.Detach(&f.items[0]);
        EXPECT_EQ(Ids(f.list), (std::vector<int>{1, 2, 3}));
        EXPECT_EQ(f.list.Current(), &f.items[2]);
        EXPECT_EQ(f.list.Index(), 1u);
    }
    {
        // On the cursor: it moves to the next node, or back from the tail.
        Fixture f(3, 1);
        f.list.Detach(&f.items[1]);
        EXPECT_EQ(f.list.Current(), &f.items[2]);
        EXPECT_EQ(f.list.Index(), 1u);
        f.list.Detach(&f.items[2]);
        EXPECT_EQ(f.list.Current(), &f.items[0]);
        EXPECT_EQ(f.list.Index(), 0u);
        f.list.Detach(&f.items[0]);
        EXPECT_EQ(f.list.Count(), 0u);
        EXPECT_EQ(f.list.Current(), nullptr);
    }
    {
        // An owning list does not delete what it lets go of this way.
        List<Item> owning(true);
        auto* item = new Item(7, &deaths);
        owning.Append(item);
        owning.Append(item, 1);
        owning.Detach(item);
        EXPECT_EQ(owning.Count(), 0u);
        EXPECT_EQ(deaths, 0);
        delete item;
    }
    EXPECT_EQ(deaths, 1);
}

TEST(List, DeletionModes) {
    int deaths = 0;
    Item kept(5);
    {
        List<Item> notOwning(false);
        notOwning.Append(new Item(1, &deaths), 1);  // always deleted
        notOwning.Append(&kept, 0);
        notOwning.Append(&kept, 2);
        notOwning.Clear();
        EXPECT_EQ(deaths, 1);
        EXPECT_EQ(notOwning.Count(), 0u);
        EXPECT_EQ(notOwning.Head(), nullptr);
    }
    deaths = 0;
    Item* survivor = new Item(2, &deaths);
    {
        List<Item> owning(true);
        owning.Append(new Item(1, &deaths), 0);
        owning.Append(survivor, 2);  // never deleted
        owning.Append(new Item(3, &deaths), 1);
        owning.Append(nullptr, 0);
        EXPECT_EQ(owning.Remove(survivor), owning.Current());
        EXPECT_EQ(deaths, 0);
        owning.Append(survivor, 2);
    }  // the destructor clears
    EXPECT_EQ(deaths, 2);
    delete survivor;

    // Deletion goes through the item's virtual destructor.
    int derivedDeaths = 0;
    deaths = 0;
    {
        List<Item> owning(true);
        owning.Append(new DerivedItem(1, &deaths, &derivedDeaths));
    }
    EXPECT_EQ(deaths, 1);
    EXPECT_EQ(derivedDeaths, 1);
}

namespace {
// An item that takes itself out of its list when it dies.
struct SelfRemoving : Item {
    SelfRemoving(int id, int* deaths, List<Item>* list) : Item(id, deaths), list(list) {}
    ~SelfRemoving() override { list->Remove(this); }
    List<Item>* list;
};
}  // namespace

TEST(List, ItemDestructorsMaySeeTheList) {
    int deaths = 0;
    List<Item> list(true);
    for (int i = 0; i < 3; ++i) list.Append(new SelfRemoving(i, &deaths, &list));
    list.First();
    list.DeleteCurrent();
    EXPECT_EQ(list.Count(), 2u);
    list.Clear();
    EXPECT_EQ(deaths, 3);
    EXPECT_EQ(list.Count(), 0u);
}
