#include "script/zema_class.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "script/native_binder.h"
#include "script/native_descriptor.h"
#include "tests/support/error_message.h"
#include "tests/support/fake_method_runner.h"
#include "tests/support/script_texts.h"
#include "tests/support/working_folder.h"

namespace {

// The handler a slot's method entry names, or null for script code or an empty slot.
NativeHandler HandlerAt(uint32_t slot) {
    if (slot == 0 || ScriptLoad32(slot) != 0) return nullptr;
    return NativeHandlerAt(ScriptLoad32(slot + 4));
}

void BaseVirtual2(ScriptObject*) {}
void BaseVirtual3(ScriptObject*) {}
void BaseCreate(ScriptObject*) {}
void BaseMethod4(ScriptObject*) {}
void DerivedVirtual2(ScriptObject*) {}
void DerivedMethod4(ScriptObject*) {}
void DerivedMethod6(ScriptObject*) {}

const NativeClassRow kTestBaseRow{"TestBase", "TestBaseKind", &kZEMAClassRow, 6, 4};
const NativeClassRow kTestDerivedRow{"TestDerived", "TestDerived", &kTestBaseRow, 8, 4};
const NativeClassRow kTestUnboundRow{"TestUnbound", "TestUnbound", &kTestBaseRow, 8, 4};

// Bound the way every native class binds: own virtual methods, then the base's bindings, then the
// plain methods that replace them.
void BindTestBase(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(BaseVirtual2, 2);
    target.SetVirtualMethod(BaseVirtual3, 3);
    BindNativeBase(row, target);
    target.SetMethod(BaseCreate, 0);
    target.SetMethod(BaseMethod4, 4);
}

void BindTestDerived(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(DerivedVirtual2, 2);
    BindNativeBase(row, target);
    target.SetMethod(DerivedMethod4, 4);
    target.SetMethod(DerivedMethod6, 6);
}

class ZEMAClassTest : public ::testing::Test {
  protected:
    void SetUp() override {
        RegisterNativeBinder("TestBase", BindTestBase);
        RegisterNativeBinder("TestDerived", BindTestDerived);
    }

    // A native descriptor sized and bound as the ClassManager does it.
    static std::unique_ptr<NativeDescriptor> Native(const NativeClassRow& row,
                                                    MethodRunner* runner = nullptr) {
        auto d = std::make_unique<NativeDescriptor>(runner, row);
        d->ReserveMethodTables(*d);
        d->RegisterMethods(*d);
        return d;
    }
};

TEST_F(ZEMAClassTest, FreshDescriptor) {
    auto owned = std::make_unique<ZEMAClass>(nullptr);
    ZEMAClass& c = *owned;
    EXPECT_FALSE(InScriptRegion(&c));
    EXPECT_EQ(c.ClassName(), "ZEMAClass");
    EXPECT_EQ(c.Class(), &c);
    EXPECT_EQ(c.NativeClass(), &c);
    EXPECT_EQ(c.FieldCount(), 0u);
    EXPECT_EQ(c.InstanceFieldCount(), 0u);
    EXPECT_EQ(c.ClassFieldCount(), 0u);
    EXPECT_TRUE(c.IsKindOf("ZEMAClass"));
    EXPECT_FALSE(c.IsKindOf("ClassManager"));
    EXPECT_EQ(ZEMAClass::FromAddress(c.Address(), "class"), &c);
    // Scripts are handed a copy of its name in their memory.
    EXPECT_TRUE(InScriptRegion(FromScript<char>(c.ScriptClassName())));
    c.SetName("Ship");
    EXPECT_EQ(c.ClassName(), "Ship");
}

TEST_F(ZEMAClassTest, ObjectsLiveOnTheHostHeapAndAreChecked) {
    ZEMAClass c(nullptr);
    auto* heap = new ScriptObject(&c);
    EXPECT_FALSE(InScriptRegion(heap));
    EXPECT_TRUE(InScriptRegion(FromScript<void>(heap->Address())));
    EXPECT_EQ(ScriptObject::FromAddress(heap->Address(), kScriptObjectKind, "object"), heap);
    EXPECT_NE(ErrorMessage([&] { ZEMAClass::FromAddress(heap->Address(), "class"); }).find("class"),
              std::string::npos);
    EXPECT_THROW(ScriptObject::FromAddress(heap->Address() + 4, 0, "object"), FatalExep);
    delete heap;
}

TEST_F(ZEMAClassTest, CloneCopiesFieldsAndGivesAPlainObject) {
    auto* c = new ZEMAClass(nullptr);
    StoreU32(c->Header() + 10, 3);  // instance field count
    auto* o = new ScriptObject(c);
    ASSERT_EQ(o->FieldCount(), 3u);
    o->Field(2) = 77;
    std::unique_ptr<ScriptObject> copy(o->Clone());
    EXPECT_EQ(copy->Class(), c);
    EXPECT_EQ(copy->Field(2), 77u);
    EXPECT_NE(copy->Fields(), o->Fields());
    EXPECT_NE(ErrorMessage([&] { o->Field(3); }).find("Field 3 not found"), std::string::npos);

    std::unique_ptr<ScriptObject> ofClass(c->Clone());
    EXPECT_EQ(ofClass->Class(), c);
    EXPECT_EQ(ofClass->FieldCount(), 0u);
    EXPECT_EQ(ofClass->Kind(), kScriptObjectKind);
    delete o;
    delete c;
}

TEST_F(ZEMAClassTest, ReserveMethods) {
    ZEMAClass c(nullptr);
    c.ReserveMethods(0, 0);
    EXPECT_EQ(c.MethodCount(), 0u);
    EXPECT_EQ(c.VirtualMethodCount(), 0u);
    c.ReserveMethods(5, 3);
    EXPECT_EQ(c.MethodCount(), 5u);
    EXPECT_EQ(c.VirtualMethodCount(), 3u);
    for (uint32_t i = 0; i < 5; ++i) EXPECT_EQ(c.MethodSlot(i), 0u);
    for (uint32_t i = 0; i < 3; ++i) EXPECT_EQ(c.VirtualMethodSlot(i), 0u);
    c.SetVirtualMethod(BaseVirtual2, 2);
    EXPECT_EQ(c.VirtualMethodOwner(2), &c);
    // Tables that exist stay as they are.
    c.ReserveMethods(9, 9);
    EXPECT_EQ(c.MethodCount(), 5u);
    EXPECT_EQ(c.VirtualMethodCount(), 3u);
}

TEST_F(ZEMAClassTest, LookupsCheckTableCountAndEmptySlots) {
    ZEMAClass none(nullptr);
    none.SetName("Bare");
    EXPECT_EQ(ErrorMessage([&] { none.GetMethod(0); }), "Method 0 not defined in class Bare");
    EXPECT_EQ(ErrorMessage([&] { none.GetVirtualMethod(1); }), "Virtual method 1 not defined in class Bare");

    ZEMAClass c(nullptr);
    c.SetName("Small");
    c.ReserveMethods(2, 2);
    c.SetMethod(BaseCreate, 0);
    EXPECT_NE(c.GetMethod(0), 0u);
    EXPECT_EQ(ErrorMessage([&] { c.GetMethod(1); }), "Method 1 not defined in class Small");
    EXPECT_EQ(ErrorMessage([&] { c.GetMethod(2); }), "Method 2 not defined in class Small");
    EXPECT_EQ(ErrorMessage([&] { c.GetMethod(0xFFFFFFFF); }), "Method -1 not defined in class Small");
    EXPECT_EQ(ErrorMessage([&] { c.VirtualMethodOwner(5); }), "Virtual method 5 not defined in class Small");
    EXPECT_EQ(c.MethodSlot(7), 0u);
    EXPECT_EQ(ErrorMessage([&] { c.UsedClass(0); }), "Class number 0 not found in class Small");
    EXPECT_EQ(ErrorMessage([&] { c.ClassField(0); }), "Class field 0 not found in class Small");
}

TEST_F(ZEMAClassTest, BindingOutsideTheTableIsAnError) {
    ZEMAClass c(nullptr);
    c.SetName("Tight");
    EXPECT_EQ(ErrorMessage([&] { c.SetMethod(BaseCreate, 0); }),
              "Not enougth room for methods in class Tight");
    c.ReserveMethods(2, 1);
    EXPECT_EQ(ErrorMessage([&] { c.SetMethod(BaseCreate, 2); }),
              "Not enougth room for methods in class Tight");
    EXPECT_EQ(ErrorMessage([&] { c.SetVirtualMethod(BaseCreate, 1); }),
              "Not enougth room for virtual methods in class Tight");
    // Only the low 16 bits of the number count.
    c.SetMethod(BaseCreate, 0x10001);
    EXPECT_EQ(HandlerAt(c.MethodSlot(1)), &BaseCreate);
}

TEST_F(ZEMAClassTest, SetVirtualMethodFillsOnlyEmptySlotsAndSetMethodReplaces) {
    ZEMAClass c(nullptr);
    c.ReserveMethods(2, 2);
    c.SetVirtualMethod(BaseVirtual2, 0);
    const uint32_t first = c.VirtualMethodSlot(0);
    c.SetVirtualMethod(BaseVirtual3, 0);
    EXPECT_EQ(c.VirtualMethodSlot(0), first);

    c.SetMethod(BaseCreate, 1);
    const uint32_t old = c.MethodSlot(1);
    c.SetMethod(BaseMethod4, 1);
    EXPECT_NE(c.MethodSlot(1), old);
    EXPECT_EQ(HandlerAt(c.MethodSlot(1)), &BaseMethod4);
    // The replaced entry stays allocated and bound.
    EXPECT_EQ(HandlerAt(old), &BaseCreate);
}

TEST_F(ZEMAClassTest, TheHundredAndFirstBindingStartsASecondPage) {
    ZEMAClass c(nullptr);
    c.ReserveMethods(101, 0);
    for (uint32_t i = 0; i < 100; ++i) c.SetMethod(BaseCreate, i);
    EXPECT_EQ(c.MethodEntryCount(), 100u);
    const uint32_t first = c.MethodEntryPageAddress(0);
    EXPECT_EQ(c.MethodSlot(99), first + 99 * sizeof(MethodEntry));
    EXPECT_THROW(c.MethodEntryPageAddress(1), std::out_of_range);
    c.SetMethod(BaseMethod4, 100);
    const uint32_t second = c.MethodEntryPageAddress(1);
    EXPECT_EQ(c.MethodSlot(100), second);
    EXPECT_EQ(ScriptLoad32(second), 0u);
    EXPECT_EQ(HandlerAt(c.MethodSlot(100)), &BaseMethod4);
}

TEST_F(ZEMAClassTest, NativeBindingOrderMostDerivedWins) {
    auto derived = Native(kTestDerivedRow);
    EXPECT_EQ(derived->MethodCount(), 8u);
    EXPECT_EQ(derived->VirtualMethodCount(), 4u);
    EXPECT_EQ(HandlerAt(derived->VirtualMethodSlot(2)), &DerivedVirtual2);
    EXPECT_EQ(HandlerAt(derived->VirtualMethodSlot(3)), &BaseVirtual3);
    EXPECT_NE(HandlerAt(derived->VirtualMethodSlot(0)), nullptr);  // the ZEMAClass bindings
    EXPECT_EQ(HandlerAt(derived->MethodSlot(0)), &BaseCreate);
    EXPECT_EQ(HandlerAt(derived->MethodSlot(4)), &DerivedMethod4);
    EXPECT_EQ(HandlerAt(derived->MethodSlot(6)), &DerivedMethod6);
    EXPECT_NE(HandlerAt(derived->MethodSlot(3)), nullptr);
    EXPECT_EQ(derived->MethodSlot(5), 0u);
    EXPECT_EQ(derived->MethodSlot(7), 0u);
    EXPECT_EQ(derived->VirtualMethodOwner(2), derived.get());

    // Without a binder of its own a class gets its nearest ancestor's bindings.
    auto unbound = Native(kTestUnboundRow);
    EXPECT_EQ(unbound->MethodCount(), 8u);
    EXPECT_EQ(HandlerAt(unbound->VirtualMethodSlot(2)), &BaseVirtual2);
    EXPECT_EQ(HandlerAt(unbound->MethodSlot(4)), &BaseMethod4);
}

TEST_F(ZEMAClassTest, KindNamesFollowTheRowChain) {
    auto derived = Native(kTestDerivedRow);
    EXPECT_EQ(derived->ClassName(), "TestDerived");
    EXPECT_TRUE(derived->IsKindOf("TestDerived"));
    EXPECT_TRUE(derived->IsKindOf("TestBaseKind"));
    EXPECT_TRUE(derived->IsKindOf("ZEMAClass"));
    EXPECT_FALSE(derived->IsKindOf("TestBase"));
    EXPECT_FALSE(derived->IsKindOf(""));
}

TEST_F(ZEMAClassTest, InheritsFromScriptBasesAndTheNativeKindChain) {
    auto native = Native(kTestDerivedRow);
    ZEMAClass s1(nullptr);
    s1.SetName("S1");
    s1.SetBase(native.get());
    ZEMAClass s2(nullptr);
    s2.SetName("S2");
    s2.SetBase(&s1);
    EXPECT_EQ(s2.NativeClass(), native.get());
    EXPECT_TRUE(s2.InheritsFrom("S2"));
    EXPECT_TRUE(s2.InheritsFrom("S1"));
    EXPECT_TRUE(s2.InheritsFrom("TestDerived"));
    EXPECT_TRUE(s2.InheritsFrom("TestBaseKind"));
    EXPECT_TRUE(s2.InheritsFrom("ZEMAClass"));
    EXPECT_FALSE(s2.InheritsFrom("TestBase"));
    EXPECT_FALSE(s1.InheritsFrom("S2"));
    // A base chain never loops.
    EXPECT_EQ(ErrorMessage([&] { s1.SetBase(&s2); }), "Class S1 is its own base class");
    EXPECT_EQ(ErrorMessage([&] { s1.SetBase(&s1); }), "Class S1 is its own base class");
    EXPECT_EQ(s1.BaseClass(), native.get());
}

// --- destruction ---

class DestructionTest : public ZEMAClassTest {
  protected:
    // A class with method 1 and virtual 0 bound to empty natives.
    std::unique_ptr<ZEMAClass> Class(const char* name, ZEMAClass* base, bool tables = true) {
        auto c = std::make_unique<ZEMAClass>(&runner);
        c->SetName(name);
        if (base != nullptr) c->SetBase(base);
        if (tables) {
            c->ReserveMethods(2, 1);
            c->SetMethod(Nothing, 1);
            c->SetVirtualMethod(Nothing, 0);
        }
        return c;
    }
    static void Nothing(ScriptObject*) {}

    FakeMethodRunner runner;
};

TEST_F(DestructionTest, DestructorMethodsRunUpTheChainThenVirtualZero) {
    auto a = Class("A", nullptr);
    auto gap = Class("Gap", a.get(), false);  // no method table: skipped
    auto b = Class("B", gap.get());
    auto c = Class("C", b.get());
    auto* object = new ScriptObject(c.get());
    DestroyObject(object);
    ASSERT_EQ(runner.calls.size(), 4u);
    EXPECT_EQ(runner.calls[0].cls, c.get());
    EXPECT_EQ(runner.calls[1].cls, b.get());
    EXPECT_EQ(runner.calls[2].cls, a.get());
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(runner.calls[i].number, 1u);
        EXPECT_FALSE(runner.calls[i].isVirtual);
        EXPECT_EQ(runner.calls[i].object, object);
    }
    EXPECT_TRUE(runner.calls[3].isVirtual);
    EXPECT_EQ(runner.calls[3].number, 0u);
}

TEST_F(DestructionTest, NothingRunsForDescriptorsOrWithoutAProcessor) {
    auto c = Class("C", nullptr);
    DestroyObject(c.release());
    EXPECT_TRUE(runner.calls.empty());

    ZEMAClass lone(nullptr);
    lone.ReserveMethods(2, 1);
    lone.SetMethod(Nothing, 1);
    DestroyObject(new ScriptObject(&lone));
    EXPECT_TRUE(runner.calls.empty());
    DestroyObject(nullptr);
}

TEST_F(DestructionTest, AThrowingDestructorMethodStillFreesTheObject) {
    auto a = Class("A", nullptr);
    auto b = Class("B", a.get());
    runner.beforeCall = [&](const FakeMethodRunner::Call& call) {
        if (call.cls == b.get()) throw FatalExep(String("script failed"));
    };
    // The object is freed (the leak checker of the sanitizer build would see it otherwise).
    EXPECT_EQ(ErrorMessage([&] { DestroyObject(new ScriptObject(b.get())); }), "script failed");
    EXPECT_EQ(runner.calls.size(), 1u);
}

// An owner that discards its object while an error unwinds: the destructor method's error is logged
// and the first error is the one that arrives.
TEST_F(DestructionTest, DiscardingWhileAnErrorUnwindsLogsTheSecondError) {
    const WorkingFolder folder;
    auto a = Class("A", nullptr);
    runner.beforeCall = [](const FakeMethodRunner::Call&) { throw FatalExep(String("DStack overflow")); };
    struct Owner {
        ScriptObject* object;
        ~Owner() { DiscardObject(object); }
    };
    EXPECT_EQ(ErrorMessage([&] {
                  const Owner owner{new ScriptObject(a.get())};
                  ThrowFatal("first error");
              }),
              "first error");
    EXPECT_EQ(runner.calls.size(), 1u);
    EXPECT_NE(folder.Log().find(" : DStack overflow\n"), std::string::npos) << folder.Log();
}

TEST_F(DestructionTest, ANewObjectIsTheScriptsOnceItIsPushedAndFreedWhenThePushFails) {
    auto c = Class("C", nullptr);
    auto kept = std::make_unique<ScriptObject>(c.get());
    ScriptObject* raw = kept.get();
    PushNewObject(runner, std::move(kept));
    ASSERT_EQ(runner.pushedObjects.size(), 1u);
    EXPECT_EQ(ScriptObject::FromAddress(runner.pushedObjects[0], 0, "object"), raw);

    auto refused = std::make_unique<ScriptObject>(c.get());
    const uint32_t address = refused->Address();
    runner.stack.SetDepth(static_cast<uint32_t>(runner.stack.Capacity()) - 1);
    EXPECT_EQ(ErrorMessage([&] { PushNewObject(runner, std::move(refused)); }), "DStack overflow");
    EXPECT_THROW(ScriptObject::FromAddress(address, 0, "object"), FatalExep);
    delete raw;
}

// --- the ZEMAClass natives ---

TEST_F(DestructionTest, NativeMethodsOfZEMAClass) {
    auto owned = std::make_unique<ZEMAClass>(&runner);
    ZEMAClass& c = *owned;
    c.SetName("Thing");
    c.ReserveMethodTables(c);
    c.RegisterMethods(c);
    EXPECT_EQ(c.MethodCount(), 4u);
    EXPECT_EQ(c.VirtualMethodCount(), 2u);

    runner.stack.Push(c.Address());
    runner.CallMethod(&c, &c, kCreateObjectMethod);
    ASSERT_EQ(runner.pushedObjects.size(), 1u);
    ScriptObject* made = ScriptObject::FromAddress(runner.stack.Pop(), kScriptObjectKind, "object");
    EXPECT_EQ(made->Class(), &c);

    ScriptTexts texts;
    runner.stack.Push(texts.Add("Thing"));
    runner.CallMethod(made, &c, 2);
    EXPECT_EQ(runner.stack.Pop(), 1u);
    runner.stack.Push(texts.Add("Other"));
    runner.CallMethod(made, &c, 2);
    EXPECT_EQ(runner.stack.Pop(), 0u);

    runner.CallMethod(made, &c, 3);
    const uint32_t name = runner.stack.Pop();
    EXPECT_EQ(name, c.ScriptClassName());
    EXPECT_STREQ(FromScript<const char>(name), c.ClassName().Text());

    // A value that is not a class is refused before it is used.
    runner.stack.Push(made->Address());
    EXPECT_THROW(runner.CallMethod(&c, &c, kCreateObjectMethod), FatalExep);
    EXPECT_EQ(ErrorMessage([&] { runner.CallMethod(made, &c, 2); }), "DStack underflow");
    DestroyObject(made);
}

}  // namespace
