#include "script/class_manager.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "foundation/exceptions.h"
#include "foundation/trace_flag.h"
#include "script/native_binder.h"
#include "script/native_descriptor.h"
#include "tests/support/error_message.h"
#include "tests/support/fake_method_runner.h"
#include "tests/support/script_texts.h"
#include "tests/support/test_archive.h"
#include "tools/content/class_library_builder.h"
#include "tools/content/script_assembler.h"

namespace {

void NativeVirtual2(ScriptObject*) {}
void NativeVirtual3(ScriptObject*) {}
void NativeMethod4(ScriptObject*) {}
void NativeMethod5(ScriptObject*) {}

const NativeClassRow kNativeRow{"TestNative", "TestNative", &kZEMAClassRow, 6, 4};

void BindTestNative(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(NativeVirtual2, 2);
    target.SetVirtualMethod(NativeVirtual3, 3);
    BindNativeBase(row, target);
    target.SetMethod(NativeMethod4, 4);
    target.SetMethod(NativeMethod5, 5);
}

// A script class with methods 0 and 1 and four virtual methods, of which it defines those listed.
ClassLibraryBuilder Script(const std::string& name, std::vector<std::string> used = {},
                           uint16_t baseIndex = 0, std::vector<uint32_t> definedVirtuals = {}) {
    ScriptAssembler a;
    const uint32_t m0 = a.Method();
    a.Return();
    const uint32_t m1 = a.Method();
    a.Return();
    std::vector<uint32_t> virtuals(4, 0);
    for (uint32_t v : definedVirtuals) {
        virtuals.at(v) = a.Method();
        a.Return();
    }
    auto b = ClassLibraryBuilder::Named(name, std::move(used));
    b.baseIndex = baseIndex;
    b.methods = std::vector<uint32_t>{m0, m1};
    b.virtualMethods = virtuals;
    b.code = a.Finish();
    return b;
}

FdEntry Library(const ClassLibraryBuilder& b, const std::string& entry = "") {
    return FdEntry{entry.empty() ? *b.name + ".glc" : entry, b.Build()};
}

class ClassManagerTest : public ::testing::Test {
  protected:
    void SetUp() override { RegisterNativeBinder("TestNative", BindTestNative); }

    void Open(const std::vector<FdEntry>& entries) {
        manager.reset();
        archive = std::make_unique<TestArchive>(entries);
        manager.reset(new ClassManager(&runner, 26, archive->File()));
        native = new NativeDescriptor(&runner, kNativeRow);
        manager->Register(native, false);
    }

    // Virtual method 1 calls made on class descriptors, in order.
    std::vector<ZEMAClass*> Notified() const {
        std::vector<ZEMAClass*> classes;
        for (const auto& c : runner.calls) {
            if (c.isVirtual && c.number == kLoadedVirtualMethod)
                classes.push_back(static_cast<ZEMAClass*>(c.object));
        }
        return classes;
    }

    FakeMethodRunner runner;
    std::unique_ptr<TestArchive> archive;
    std::unique_ptr<ClassManager> manager;
    NativeDescriptor* native = nullptr;
};

TEST_F(ClassManagerTest, FreshManager) {
    TestArchive empty({});
    ClassManager m(&runner, 26, empty.File());
    EXPECT_EQ(m.Classes().Count(), 2u);
    ZEMAClass* root = m.FindClass("ZEMAClass");
    EXPECT_EQ(root->ClassName(), "ZEMAClass");
    EXPECT_NE(root, &m);
    EXPECT_EQ(m.FindClass("ClassManager"), &m);
    EXPECT_EQ(m.MethodCount(), 6u);
    EXPECT_EQ(m.VirtualMethodCount(), 2u);
    EXPECT_EQ(root->MethodCount(), 4u);
    EXPECT_EQ(root->GetProcessor(), &runner);
    EXPECT_TRUE(m.IsKindOf("ClassManager"));
    EXPECT_TRUE(m.IsKindOf("ZEMAClass"));
    EXPECT_FALSE(m.IsKindOf("ObjectManager"));
    EXPECT_EQ(ErrorMessage([&] { m.FindClass("Nope"); }), "Class Nope not found in FindClass method");
}

TEST_F(ClassManagerTest, RegisteringANameTwiceIsAWarning) {
    Open({});
    auto* second = new NativeDescriptor(&runner, kNativeRow);
    try {
        manager->Register(second, false);
        FAIL() << "no error";
    } catch (const WarnExep& e) {
        EXPECT_STREQ(e.message.Text(), "Class TestNative is already in class manager");
    }
    EXPECT_EQ(manager->FindClass("TestNative"), native);
    EXPECT_EQ(second->MethodCount(), 0u);  // not bound either
    delete second;
}

TEST_F(ClassManagerTest, ABindingFailureEntersNothing) {
    static const NativeClassRow tooSmall{"TooSmall", "TooSmall", &kZEMAClassRow, 2, 2};
    Open({});
    auto* d = new NativeDescriptor(&runner, tooSmall);
    EXPECT_EQ(ErrorMessage([&] { manager->Register(d, false); }),
              "Not enougth room for methods in class TooSmall");
    EXPECT_THROW(manager->FindClass("TooSmall"), FatalExep);
    delete d;
}

TEST_F(ClassManagerTest, UsesAndBaseResolution) {
    Open({Library(Script("A", {"X", "Y"}, 2)), Library(Script("X")),
          Library(Script("Y", {"TestNative"}, 1, {2}))});
    ZEMAClass* a = manager->Get("A");
    ZEMAClass* x = manager->FindClass("X");
    ZEMAClass* y = manager->FindClass("Y");
    EXPECT_EQ(a->UsedClass(0), a);
    EXPECT_EQ(a->UsedClass(1), x);
    EXPECT_EQ(a->UsedClass(2), y);
    EXPECT_EQ(a->BaseClass(), y);
    EXPECT_EQ(y->BaseClass(), native);
    EXPECT_EQ(a->NativeClass(), native);
    EXPECT_EQ(x->NativeClass(), x);
    EXPECT_EQ(a->GetProcessor(), &runner);
    EXPECT_EQ(manager->Get("A"), a);
    // Through script bases and then the native kind chain.
    EXPECT_TRUE(a->InheritsFrom("Y"));
    EXPECT_TRUE(a->InheritsFrom("TestNative"));
    EXPECT_TRUE(a->InheritsFrom("ZEMAClass"));
    EXPECT_FALSE(a->InheritsFrom("X"));

    // Virtual overriding: Y defines 2, A inherits it; 3 comes from the native through Y.
    EXPECT_EQ(y->VirtualMethodSlot(2), y->CodeAddress() + 16);
    EXPECT_EQ(a->VirtualMethodSlot(2), y->VirtualMethodSlot(2));
    EXPECT_EQ(a->VirtualMethodOwner(2), y);
    EXPECT_EQ(a->VirtualMethodSlot(3), native->VirtualMethodSlot(3));
    EXPECT_EQ(a->VirtualMethodOwner(3), native);
    // Every class with a virtual method 1 was told it is loaded, used classes first; X, a root
    // without one, was not.
    std::vector<ZEMAClass*> expected{y, a};
    EXPECT_EQ(Notified(), expected);
}

TEST_F(ClassManagerTest, ClassesThatUseEachOtherLoadOnce) {
    Open({Library(Script("A", {"B"})), Library(Script("B", {"A"}))});
    ZEMAClass* a = manager->Get("A");
    ZEMAClass* b = manager->FindClass("B");
    EXPECT_EQ(a->UsedClass(1), b);
    EXPECT_EQ(b->UsedClass(1), a);
    EXPECT_EQ(manager->Classes().Count(), 5u);
}

// D's base B uses D. Asking for B first loads D inside B's load, so D finishes before its base has
// a base of its own; D must still end up with B's complete virtual table.
TEST_F(ClassManagerTest, AClassUsedByItsOwnBaseInheritsTheCompleteTable) {
    Open({Library(Script("B", {"D", "TestNative"}, 2, {1})), Library(Script("D", {"B"}, 1, {0}))});
    ZEMAClass* d = nullptr;
    ZEMAClass* b = nullptr;
    std::vector<uint32_t> seenByD;
    runner.beforeCall = [&](const FakeMethodRunner::Call& call) {
        // When D hears it is loaded, its base must be complete already.
        if (call.isVirtual && call.number == kLoadedVirtualMethod &&
            call.object == manager->Classes().Find("D")) {
            ZEMAClass* base = manager->Classes().Find("B");
            for (uint32_t i = 0; i < 4; ++i) seenByD.push_back(base->VirtualMethodSlot(i));
        }
    };
    b = manager->Get("B");
    d = manager->FindClass("D");
    EXPECT_EQ(d->BaseClass(), b);
    EXPECT_EQ(b->BaseClass(), native);
    EXPECT_EQ(d->NativeClass(), native);
    EXPECT_TRUE(d->InheritsFrom("TestNative"));
    EXPECT_EQ(d->VirtualMethodSlot(0), d->CodeAddress() + 16);  // its own
    EXPECT_EQ(d->VirtualMethodSlot(1), b->CodeAddress() + 16);  // B's, linked
    EXPECT_EQ(d->VirtualMethodOwner(1), b);
    EXPECT_EQ(d->VirtualMethodSlot(2), native->VirtualMethodSlot(2));
    EXPECT_EQ(d->VirtualMethodOwner(3), native);
    std::vector<ZEMAClass*> order{d, b};
    EXPECT_EQ(Notified(), order);
    std::vector<uint32_t> complete{native->VirtualMethodSlot(0), b->CodeAddress() + 16,
                                   native->VirtualMethodSlot(2), native->VirtualMethodSlot(3)};
    EXPECT_EQ(seenByD, complete);
}

TEST_F(ClassManagerTest, ABaseCycleIsRefused) {
    Open({Library(Script("A", {"B"}, 1)), Library(Script("B", {"A"}, 1))});
    EXPECT_EQ(ErrorMessage([&] { manager->Get("A"); }), "Class A is its own base class");
    EXPECT_THROW(manager->FindClass("A"), FatalExep);
    EXPECT_THROW(manager->FindClass("B"), FatalExep);

    Open({Library(Script("Self", {"Self"}, 1))});
    EXPECT_EQ(ErrorMessage([&] { manager->Get("Self"); }), "Class Self is its own base class");
}

TEST_F(ClassManagerTest, AFailedLoadLeavesNothingHalfLinkedInTheTable) {
    auto bad = Script("Bad");
    bad.methodCount = 9;
    Open({Library(Script("A", {"Good", "Bad"})), Library(Script("Good", {"A"})), Library(bad)});
    const uint32_t before = manager->Classes().Count();
    const std::string error = "Class library Bad.glc is damaged: GLM is shorter than its count";
    EXPECT_EQ(ErrorMessage([&] { manager->Get("A"); }), error);
    EXPECT_EQ(manager->Classes().Count(), before);
    for (const char* name : {"A", "Good", "Bad"}) {
        EXPECT_EQ(ErrorMessage([&] { manager->FindClass(name); }),
                  std::string("Class ") + name + " not found in FindClass method");
    }
    EXPECT_EQ(manager->FailedClassCount(), 3u);
    EXPECT_TRUE(Notified().empty());
    // A later request tries again and fails the same way.
    EXPECT_EQ(ErrorMessage([&] { manager->Get("A"); }), error);
    // Classes of the failed load can still be loaded on their own when they do not need the bad one.
    Open({Library(Script("A", {"Missing"}))});
    EXPECT_EQ(ErrorMessage([&] { manager->Get("A"); }), "FD::File \"Missing.glc\" Not Found");
    EXPECT_THROW(manager->FindClass("A"), FatalExep);
    EXPECT_EQ(ErrorMessage([&] { manager->Get("Nothing"); }), "FD::File \"Nothing.glc\" Not Found");
}

TEST_F(ClassManagerTest, LoadsAfterAFailureStillWork) {
    auto bad = Script("Bad");
    bad.code->at(0) = 0;
    Open({Library(Script("A", {"Bad"})), Library(bad), Library(Script("C", {"A2", "TestNative"}, 2)),
          Library(Script("A2", {"TestNative"}, 1))});
    EXPECT_THROW(manager->Get("A"), FatalExep);
    ZEMAClass* c = manager->Get("C");
    EXPECT_EQ(c->UsedClass(1), manager->FindClass("A2"));
    EXPECT_EQ(Notified().size(), 2u);
}

TEST_F(ClassManagerTest, SubstitutionsAndAliases) {
    const std::string list = "// classes that moved\nOld New\n\"Quoted Name\" New\r\nLonely";
    Open({Library(Script("New")), {"Classes.subs", list}});
    manager->LoadSubstitutions("Classes.subs");
    ASSERT_NE(manager->Classes().Aliases().Find("Old"), nullptr);
    EXPECT_EQ(*manager->Classes().Aliases().Find("Old"), "New");
    EXPECT_EQ(*manager->Classes().Aliases().Find("Quoted Name"), "New");
    EXPECT_EQ(manager->Classes().Aliases().Find("Lonely"), nullptr);
    ZEMAClass* viaAlias = manager->Get("Old");
    EXPECT_EQ(viaAlias->ClassName(), "New");
    EXPECT_EQ(manager->FindClass("Old"), viaAlias);
    EXPECT_EQ(manager->FindClass("New"), viaAlias);
    EXPECT_EQ(manager->Get("Quoted Name"), viaAlias);
    // Destroying the manager deletes the class once (the sanitizer build checks).
    manager.reset();
}

TEST_F(ClassManagerTest, AliasCycleIsAnError) {
    Open({{"Loop.subs", "A B\nB A\n"}});
    manager->LoadSubstitutions("Loop.subs");
    EXPECT_EQ(ErrorMessage([&] { manager->Get("A"); }), "File B not found");
}

TEST_F(ClassManagerTest, NativeWithALibraryKeepsScriptCodeInVirtualSlots) {
    // The library gives TestNative script code in virtual slot 2 and in method 4.
    ScriptAssembler a;
    a.Method();
    a.Return();
    const uint32_t body = a.Method();
    a.Return();
    auto lib = ClassLibraryBuilder::Named("TestNative");
    lib.methods = std::vector<uint32_t>{0, 0, 0, 0, body, 0};
    lib.virtualMethods = std::vector<uint32_t>{0, 0, body, 0};
    lib.code = a.Finish();
    TestArchive files({{"NativeLib.glc", lib.Build()}, {"Native.subs", "TestNative NativeLib"}});
    ClassManager m(&runner, 26, files.File());
    m.LoadSubstitutions("Native.subs");
    auto* d = new NativeDescriptor(&runner, kNativeRow);
    m.Register(d, true);
    EXPECT_EQ(d->VirtualMethodSlot(2), d->CodeAddress() + 8);  // script code survives
    EXPECT_TRUE(IsNativeBody(d->VirtualMethodSlot(3)));        // empty slot bound
    EXPECT_TRUE(IsNativeBody(d->MethodSlot(4)));               // SetMethod replaces
    EXPECT_TRUE(IsNativeBody(d->MethodSlot(0)));
    EXPECT_EQ(m.FindClass("TestNative"), d);
}

TEST_F(ClassManagerTest, ALibraryTableTooSmallForTheNativeBindingsIsAnError) {
    auto lib = ClassLibraryBuilder::Named("TestNative");
    lib.virtualMethods = std::vector<uint32_t>{0, 0};  // the binder needs four
    TestArchive files({{"TestNative.glc", lib.Build()}});
    ClassManager m(&runner, 26, files.File());
    auto* d = new NativeDescriptor(&runner, kNativeRow);
    EXPECT_EQ(ErrorMessage([&] { m.Register(d, true); }),
              "Not enougth room for virtual methods in class TestNative");
    EXPECT_THROW(m.FindClass("TestNative"), FatalExep);
    delete d;
}

TEST_F(ClassManagerTest, TrailingSpaceRuleAppliesWithTheTraceFlag) {
    Open({Library(Script("A"))});
    SetTraceFlag(true);
    EXPECT_EQ(ErrorMessage([&] { manager->Get("A "); }), "File 'A ' ended with space!");
    SetTraceFlag(false);
    EXPECT_EQ(ErrorMessage([&] { manager->Get("A "); }), "FD::File \"A .glc\" Not Found");
}

TEST_F(ClassManagerTest, ScriptCallableMethods) {
    Open({Library(Script("A")), {"S.subs", "Z A"}});
    ScriptTexts texts;
    runner.stack.Push(texts.Add("A"));
    runner.CallMethod(manager.get(), manager.get(), 4);
    EXPECT_NE(manager->Classes().Find("A"), nullptr);
    EXPECT_EQ(runner.stack.Depth(), 0u);

    runner.stack.Push(texts.Add("S.subs"));
    runner.CallMethod(manager.get(), manager.get(), 5);
    EXPECT_EQ(manager->Get("Z"), manager->FindClass("A"));

    // Method 0 makes a new manager over the same archive.
    runner.stack.Push(26);
    runner.stack.Push(0);
    runner.stack.Push(manager->Address());
    runner.CallMethod(manager.get(), manager.get(), kCreateObjectMethod);
    auto* made = dynamic_cast<ClassManager*>(
        ScriptObject::FromAddress(runner.stack.Pop(), kClassDescriptorKind, "class"));
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->Classes().Count(), 2u);
    delete made;
    // A bucket count no table should have is refused.
    runner.stack.Push(0xFFFFFFF);
    runner.stack.Push(0);
    runner.stack.Push(manager->Address());
    EXPECT_EQ(ErrorMessage([&] { runner.CallMethod(manager.get(), manager.get(), kCreateObjectMethod); }),
              "Bad bucket count for ClassManager");
}

TEST_F(ClassManagerTest, NotificationsRunOnlyWhereVirtualMethodOneExists) {
    auto root = ClassLibraryBuilder::Named("Root");  // no tables at all
    Open({Library(root), Library(Script("Child", {"TestNative"}, 1))});
    manager->Get("Root");
    EXPECT_TRUE(Notified().empty());
    ZEMAClass* child = manager->Get("Child");
    ASSERT_EQ(Notified().size(), 1u);
    EXPECT_EQ(Notified()[0], child);
    EXPECT_TRUE(runner.calls.back().native);
}

TEST_F(ClassManagerTest, NestingDepthIsBounded) {
    std::vector<FdEntry> entries;
    const uint32_t n = ClassManager::kMaxLoadDepth + 1;
    for (uint32_t i = 0; i < n; ++i) {
        std::vector<std::string> used;
        if (i + 1 < n) used.push_back("C" + std::to_string(i + 1));
        entries.push_back(Library(Script("C" + std::to_string(i), used)));
    }
    Open(entries);
    EXPECT_EQ(ErrorMessage([&] { manager->Get("C0"); }), "Class C1000 is used too deeply nested");
    EXPECT_EQ(manager->Classes().Count(), 3u);
    // One level less loads.
    EXPECT_NE(manager->Get("C1"), nullptr);
}

}  // namespace
