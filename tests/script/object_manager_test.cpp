// The object table, the object list natives and the order in which a main ObjectManager lets go
// of what it holds.
#include "script/object_manager.h"

#include <memory>
#include <string>
#include <vector>

#include "script/class_manager.h"
#include "script/weak_object.h"
#include "tests/script/processor_fixture.h"

namespace {

// An object that notes its destruction.
class Noted : public ScriptObject {
  public:
    Noted(std::vector<std::string>& log, std::string name)
        : ScriptObject(nullptr), log_(log), name_(std::move(name)) {}
    ~Noted() override { log_.push_back(name_); }

  private:
    std::vector<std::string>& log_;
    std::string name_;
};

TEST(ObjectManager, FreshManagers) {
    std::unique_ptr<ObjectManager> main(new ObjectManager(nullptr, 0));
    EXPECT_EQ(main->GetObject(0), main.get());
    EXPECT_EQ(main->StoredCount(), 1u);
    EXPECT_EQ(main->EndIndex(), 1u);
    EXPECT_EQ(main->ClassName(), "ObjectManager");
    EXPECT_TRUE(main->IsKindOf("ObjectManager"));
    EXPECT_TRUE(main->IsKindOf("ZEMAClass"));
    EXPECT_FALSE(main->IsKindOf("ClassManager"));

    std::unique_ptr<ObjectManager> secondary(new ObjectManager(nullptr, 1));
    EXPECT_EQ(secondary->GetObject(0), nullptr);
    EXPECT_EQ(secondary->StoredCount(), 0u);
    EXPECT_EQ(secondary->EndIndex(), 0u);
}

TEST(ObjectManager, TableSlots) {
    std::vector<std::string> log;
    std::unique_ptr<ObjectManager> main(new ObjectManager(nullptr, 0));
    EXPECT_EQ(main->GetObject(25), nullptr);
    EXPECT_EQ(main->DirectorySize(), 10u);
    EXPECT_EQ(main->GetObject(115), nullptr);
    EXPECT_EQ(main->DirectorySize(), 16u);

    auto* a = new Noted(log, "A");
    auto* b = new Noted(log, "B");
    main->SetObject(a, 12);
    EXPECT_EQ(main->StoredCount(), 2u);
    // Storing what the slot already holds keeps it.
    main->SetObject(a, 12);
    EXPECT_EQ(log, std::vector<std::string>{});
    main->SetObject(b, 12);
    EXPECT_EQ(log, std::vector<std::string>{"A"});
    EXPECT_EQ(main->StoredCount(), 2u);
    EXPECT_EQ(main->GetObject(12), b);

    main->SetObject(nullptr, 40);
    EXPECT_EQ(main->EndIndex(), 41u);
    EXPECT_EQ(main->StoredCount(), 2u);

    // IDs from 2^24 on: nothing is made and nothing stored.
    EXPECT_EQ(main->GetObject(ObjectManager::kMaxObjectId), nullptr);
    EXPECT_EQ(main->GetObject(0xFFFFFFFF), nullptr);
    std::unique_ptr<Noted> far(new Noted(log, "far"));
    EXPECT_EQ(ErrorMessage([&] { main->SetObject(far.get(), ObjectManager::kMaxObjectId); }),
              "Object ID 16777216 is out of range");
    EXPECT_EQ(main->DirectorySize(), 16u);
    EXPECT_EQ(main->EndIndex(), 41u);
}

TEST(ObjectManager, SubManagersGoFirstAndNeverItself) {
    std::vector<std::string> log;
    auto* main = new ObjectManager(nullptr, 0);
    auto* sub = new ObjectManager(nullptr, 1);
    sub->AppendObject(new Noted(log, "inner"));
    main->SetObject(new Noted(log, "outer"), 20);
    main->SetObject(sub, 30);
    main->AppendObject(new Noted(log, "listed"));
    delete main;
    EXPECT_EQ(log, (std::vector<std::string>{"inner", "outer", "listed"}));
}

class ObjectManagerNatives : public ProcessorTest {
  protected:
    void SetUp() override {
        managerClass = Cpu().ClassByName("ObjectManager");
        ScriptObject* made = Cpu().NewObject(managerClass);
        list = dynamic_cast<ObjectManager*>(made);
        ASSERT_NE(list, nullptr);
        for (int i = 0; i < 5; ++i) {
            items.push_back(new Noted(log, "item" + std::to_string(i)));
            Call(4, {items.back()->Address()});
        }
    }
    void TearDown() override { delete list; }

    // Native method n of the list with these arguments; what it pushed.
    std::vector<uint32_t> Call(uint32_t n, std::vector<uint32_t> arguments = {}) {
        SetData(arguments);
        Cpu().CallMethod(list, managerClass, n);
        return Data();
    }
    uint32_t Item(int i) { return items.at(static_cast<size_t>(i))->Address(); }
    uint32_t Index() { return Call(10).at(0); }

    ZEMAClass* managerClass = nullptr;
    ObjectManager* list = nullptr;
    std::vector<ScriptObject*> items;
    std::vector<std::string> log;
};

TEST_F(ObjectManagerNatives, CursorMoves) {
    EXPECT_EQ(list->Secondary(), 1u);
    EXPECT_EQ(Call(12), std::vector<uint32_t>{5});
    EXPECT_EQ(Call(5), std::vector<uint32_t>{Item(0)});
    EXPECT_EQ(Index(), 0u);

    // Seek past the end puts the cursor on the last item.
    EXPECT_EQ(Call(6, {7}), std::vector<uint32_t>{});
    EXPECT_EQ(Index(), 4u);
    EXPECT_EQ(Call(9), std::vector<uint32_t>{Item(4)});
    // Next at the last item pushes 0 and stays.
    EXPECT_EQ(Call(7), std::vector<uint32_t>{0});
    EXPECT_EQ(Index(), 4u);

    for (uint32_t n : {2u, 1u, 3u, 0u, 4u}) {
        Call(6, {n});
        EXPECT_EQ(Index(), n);
        EXPECT_EQ(Call(9), std::vector<uint32_t>{Item(static_cast<int>(n))});
    }
    Call(6, {1});
    EXPECT_EQ(Call(8), std::vector<uint32_t>{Item(0)});
    EXPECT_EQ(Call(8), std::vector<uint32_t>{0});
    EXPECT_EQ(Index(), 0u);
    EXPECT_EQ(Call(14), std::vector<uint32_t>{Item(4)});
    EXPECT_EQ(Index(), 4u);
}

TEST_F(ObjectManagerNatives, RemoveDetachAndClear) {
    // Removing the last item destroys it and moves the cursor back.
    Call(14);
    Call(11);
    EXPECT_EQ(log, std::vector<std::string>{"item4"});
    EXPECT_EQ(Index(), 3u);
    EXPECT_EQ(Call(9), std::vector<uint32_t>{Item(3)});

    // Detach keeps the item.
    Call(5);
    Call(15);
    EXPECT_EQ(log, std::vector<std::string>{"item4"});
    EXPECT_EQ(Call(9), std::vector<uint32_t>{Item(1)});
    EXPECT_EQ(Call(12), std::vector<uint32_t>{3});
    delete items[0];

    Call(13);
    EXPECT_EQ(log, (std::vector<std::string>{"item4", "item0", "item1", "item2", "item3"}));
    EXPECT_EQ(Call(12), std::vector<uint32_t>{0});
    EXPECT_EQ(Index(), 0u);
    EXPECT_EQ(Call(5), std::vector<uint32_t>{0});
    EXPECT_EQ(Call(14), std::vector<uint32_t>{0});
    Call(6, {3});
    Call(11);
    Call(15);
}

TEST_F(ObjectManagerNatives, BadArguments) {
    const uint32_t notObject = Place({5, 6});
    char text[80];
    std::snprintf(text, sizeof text, "Not a valid object at 0x%08X where object expected", notObject);
    EXPECT_EQ(ErrorMessage([&] { Call(4, {notObject}); }), text);
    ClearStacks();
    EXPECT_EQ(ErrorMessage([&] { Cpu().CallMethod(object.get(), managerClass, 12); }),
              "ObjectManager expected as receiver");
    ClearStacks();
    EXPECT_EQ(ErrorMessage([&] { Call(6); }), "DStack underflow");
}

TEST_F(ProcessorTest, MainObjectTableOfTheProcessor) {
    ObjectManager& main = Cpu().Objects();
    EXPECT_EQ(main.GetObject(0), &main);
    EXPECT_EQ(main.GetObject(1), &Cpu().Classes());
    EXPECT_EQ(Cpu().Classes().FindClass("ObjectManager"), &main);

    auto* fifteen = new ScriptObject(nullptr);
    main.SetObject(fifteen, 15);
    std::unique_ptr<ObjectManager> secondary(new ObjectManager(&Cpu(), 1));
    EXPECT_EQ(secondary->GetObject15(), fifteen);

    // At shutdown registered classes stay with the ClassManager and sub-managers go first; the
    // sanitizer build checks that nothing is deleted twice.
    std::vector<std::string> log;
    main.SetObject(Cpu().ClassByName("ZEMAClass"), 3);
    main.SetObject(new Noted(log, "outer"), 4);
    auto* sub = new ObjectManager(&Cpu(), 1);
    sub->AppendObject(new Noted(log, "inner"));
    main.SetObject(sub, 5);
    processor.reset();
    EXPECT_EQ(log, (std::vector<std::string>{"inner", "outer"}));
}

}  // namespace

TEST(WeakObject, LosesTheObjectAndNeverTakesALaterOneForIt) {
    auto first = std::make_unique<ScriptObject>(nullptr);
    const uint32_t address = first->Address();
    const WeakObject ref(first.get());
    EXPECT_EQ(ref.Get(), first.get());
    EXPECT_EQ(ref.Get(kClassDescriptorKind), nullptr);
    EXPECT_EQ(WeakObject::AtAddress(address), ref);
    first.reset();
    EXPECT_EQ(ref.Get(), nullptr);
    // Headers are handed out again: a later object at the same address is not the one referred to.
    std::vector<std::unique_ptr<ScriptObject>> later;
    while (later.size() < 64 && (later.empty() || later.back()->Address() != address))
        later.push_back(std::make_unique<ScriptObject>(nullptr));
    ASSERT_EQ(later.back()->Address(), address);
    EXPECT_EQ(ref.Get(), nullptr);
    EXPECT_EQ(ref.Address(), address);
    EXPECT_TRUE(WeakObject::AtAddress(0).Empty());
    EXPECT_TRUE(WeakObject(nullptr).Empty());
}
