#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "foundation/block_reader.h"
#include "foundation/exceptions.h"
#include "script/zema_class.h"
#include "tests/support/error_message.h"
#include "tests/support/test_archive.h"
#include "tools/content/block_writer.h"
#include "tools/content/class_library_builder.h"
#include "tools/content/script_assembler.h"

namespace {

// Reads a library the way the loader does, from an archive entry named "X.glc".
std::unique_ptr<ZEMAClass> Read(const std::string& bytes, std::vector<String>* names = nullptr) {
    TestArchive archive({{"X.glc", bytes}});
    EntryBlockReader reader(archive.File());
    reader.Open("X.glc");
    auto cls = std::make_unique<ZEMAClass>(nullptr);
    cls->SetUsesList(names);
    cls->ReadLibrary(reader);
    cls->SetUsesList(nullptr);
    return cls;
}

std::unique_ptr<ZEMAClass> Read(const ClassLibraryBuilder& b, std::vector<String>* names = nullptr) {
    return Read(b.Build(), names);
}

std::string ReadError(const ClassLibraryBuilder& b) {
    return ErrorMessage([&] { Read(b); });
}

// A class with two methods (at words 0 and 2) and three virtual methods (words 2 and 6; virtual 1
// not defined here).
ClassLibraryBuilder TwoMethods() {
    ScriptAssembler a;
    const uint32_t m0 = a.Method();
    a.Return();
    const uint32_t m1 = a.Method();
    a.Op(Op::PushInline, {7});
    a.Return();
    const uint32_t m2 = a.Method();
    a.Return();
    auto b = ClassLibraryBuilder::Named("X");
    b.methods = std::vector<uint32_t>{m0, m1};
    b.virtualMethods = std::vector<uint32_t>{m1, 0, m2};
    b.code = a.Finish();
    return b;
}

TEST(ClassLibrary, MinimalLibrary) {
    auto b = ClassLibraryBuilder::Named("X");
    b.methods = std::vector<uint32_t>{0};
    b.code = std::vector<uint32_t>{1, ScriptAssembler::kReturnWord};
    std::vector<String> names;
    auto c = Read(b, &names);
    EXPECT_EQ(c->ClassName(), "X");
    EXPECT_EQ(c->LibraryName(), "X.glc");
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(c->UsedClassCount(), 1u);
    EXPECT_EQ(c->UsedClass(0), c.get());
    EXPECT_EQ(c->BaseClass(), nullptr);
    EXPECT_EQ(c->MethodSlot(0), 0u);  // an offset until linked
    c->Link();
    EXPECT_EQ(c->MethodSlot(0), c->CodeAddress());
    EXPECT_EQ(ScriptLoad32(c->CodeAddress() + 4), ScriptAssembler::kReturnWord);
    EXPECT_EQ(c->MethodDebugRecord(0), 0u);
    EXPECT_FALSE(c->HasDebugInfo());
    EXPECT_TRUE(InScriptRegion(FromScript<void>(c->CodeAddress())));
}

TEST(ClassLibrary, RepeatedChunks) {
    auto b = ClassLibraryBuilder::Named("First");
    b.uses = {"X", "A"};
    b.methods = std::vector<uint32_t>{0};
    b.code = std::vector<uint32_t>{5, 6};
    b.extraChunks = {ClassLibraryBuilder::NameChunk("Second"),
                     ClassLibraryBuilder::UsesChunk({"B", "C", "D"}),
                     ClassLibraryBuilder::WordsChunk("GLM", {1, 1, 1}), SEBlock("ZZZZ", "ignored")};
    std::vector<String> names;
    auto c = Read(b, &names);
    EXPECT_EQ(c->ClassName(), "Second");
    ASSERT_EQ(names.size(), 5u);
    EXPECT_EQ(names[4], "D");
    EXPECT_EQ(c->UsedClassCount(), 5u);
    EXPECT_EQ(c->UsedClass(0), c.get());
    EXPECT_EQ(c->MethodCount(), 1u);  // the first GLM stays
}

TEST(ClassLibrary, HeaderFieldsAndClassFields) {
    auto b = ClassLibraryBuilder::Named("X", {"Base"});
    b.instanceFields = 4;
    b.classFields = 3;
    b.baseIndex = 1;
    auto c = Read(b);
    EXPECT_EQ(c->InstanceFieldCount(), 4u);
    EXPECT_EQ(c->BaseClassIndex(), 1u);
    ASSERT_EQ(c->ClassFieldCount(), 3u);
    for (uint32_t i = 0; i < 3; ++i) EXPECT_EQ(c->ClassField(i), 0u);
    EXPECT_THROW(c->ClassField(3), FatalExep);
    EXPECT_TRUE(InScriptRegion(c->ClassFields()));
}

TEST(ClassLibrary, LinkTurnsOffsetsIntoAddressesOnce) {
    auto c = Read(TwoMethods());
    const uint32_t code = c->CodeAddress();
    c->Link();
    EXPECT_EQ(c->MethodSlot(0), code);
    EXPECT_EQ(c->MethodSlot(1), code + 8);
    EXPECT_EQ(c->VirtualMethodSlot(0), code + 8);
    EXPECT_EQ(c->VirtualMethodSlot(1), 0u);  // not defined here
    EXPECT_EQ(c->VirtualMethodSlot(2), code + 24);
    EXPECT_EQ(c->VirtualMethodOwner(2), c.get());
    c->Link();
    EXPECT_EQ(c->MethodSlot(1), code + 8);
}

TEST(ClassLibrary, SourceNamesWithoutDebugInfoStay) {
    auto b = ClassLibraryBuilder::Named("X");
    b.sourceNamesPayload = std::string("a\0bc\0", 5);
    auto c = Read(b);
    ASSERT_EQ(c->SourceNames().size(), 2u);
    EXPECT_EQ(c->SourceNames()[0], "a");
    EXPECT_EQ(c->SourceNames()[1], "bc");
    EXPECT_FALSE(c->HasDebugInfo());
}

TEST(ClassLibrary, FullDebugInfoFillsTheRecords) {
    auto b = TwoMethods();
    b.WithDebugInfo("ship.zs");
    auto c = Read(b);
    ASSERT_TRUE(c->HasDebugInfo());
    c->Link();
    const auto* m1 = FromScript<DebugRecord>(c->MethodDebugRecord(1));
    ASSERT_NE(m1, nullptr);
    EXPECT_EQ(m1->line, 101u);
    EXPECT_EQ(m1->code, c->CodeAddress() + 8);
    EXPECT_EQ(ScriptLoad32(m1->debugInfo), 3u);  // debug word of code word 2
    EXPECT_STREQ(FromScript<const char>(m1->sourceName), "ship.zs");
    const auto* v2 = FromScript<DebugRecord>(c->VirtualMethodDebugRecord(2));
    EXPECT_EQ(v2->line, 202u);
    EXPECT_EQ(v2->code, c->CodeAddress() + 24);
    const auto* v1 = FromScript<DebugRecord>(c->VirtualMethodDebugRecord(1));
    EXPECT_EQ(v1->code, 0u);  // undefined slot: empty record
    EXPECT_EQ(c->MethodDebugRecord(2), 0u);
}

TEST(ClassLibrary, IncompleteDebugInfoIsDropped) {
    // GLDI without GLVL: no records, and the source names go.
    auto b = TwoMethods();
    b.WithDebugInfo();
    b.virtualLines.reset();
    auto c = Read(b);
    EXPECT_FALSE(c->HasDebugInfo());
    EXPECT_TRUE(c->SourceNames().empty());
    EXPECT_EQ(c->MethodDebugRecord(0), 0u);

    // Everything but GLDI: the chunks stay, no records.
    auto d = TwoMethods();
    d.WithDebugInfo();
    d.debugInfo.reset();
    auto e = Read(d);
    EXPECT_FALSE(e->HasDebugInfo());
    EXPECT_EQ(e->SourceNames().size(), 1u);
    e->Link();
    EXPECT_EQ(e->MethodDebugRecord(0), 0u);
}

TEST(ClassLibrary, DamagedDebugInfoIsDroppedAndTheClassStillLoads) {
    std::vector<std::function<void(ClassLibraryBuilder&)>> damage = {
        [](ClassLibraryBuilder& b) { b.sourceNamesPayload = std::string("main.zs"); },  // no terminator
        [](ClassLibraryBuilder& b) { b.methodLines->pop_back(); },
        [](ClassLibraryBuilder& b) { b.virtualLines->pop_back(); },
        [](ClassLibraryBuilder& b) { b.methodSources->pop_back(); },
        [](ClassLibraryBuilder& b) { b.virtualSources->pop_back(); },
        [](ClassLibraryBuilder& b) { b.debugInfo->pop_back(); },
        [](ClassLibraryBuilder& b) { (*b.methodSources)[1] = 1; },  // beyond the one source name
        [](ClassLibraryBuilder& b) { (*b.virtualSources)[2] = 9; },
    };
    for (size_t i = 0; i < damage.size(); ++i) {
        auto b = TwoMethods();
        b.WithDebugInfo();
        damage[i](b);
        auto c = Read(b);
        EXPECT_FALSE(c->HasDebugInfo()) << "case " << i;
        c->Link();
        EXPECT_EQ(c->MethodDebugRecord(1), 0u) << "case " << i;
        EXPECT_EQ(c->MethodSlot(1), c->CodeAddress() + 8) << "case " << i;
    }
    // A source index of an undefined virtual method is never used, so it may be anything.
    auto b = TwoMethods();
    b.WithDebugInfo();
    (*b.virtualSources)[1] = 9;
    EXPECT_TRUE(Read(b)->HasDebugInfo());
}

TEST(ClassLibrary, DamagedTablesAreErrorsNamingTheLibrary) {
    using B = ClassLibraryBuilder;
    const struct {
        void (*damage)(B&);
        const char* error;
    } cases[] = {
        {[](B& b) {
             b.uses = {"X", "A"};
             b.usesCount = 3;
         },
         "GLCU holds fewer names than its count"},
        {[](B& b) { b.methodCount = 3; }, "GLM is shorter than its count"},
        {[](B& b) { b.virtualMethodCount = 4; }, "GLVM is shorter than its count"},
        {[](B& b) { (*b.methods)[1] = static_cast<uint32_t>(b.code->size()); },
         "GLM offset outside the code"},
        {[](B& b) { (*b.virtualMethods)[2] = 0xFFFFFFFF; }, "GLVM offset outside the code"},
        {[](B& b) { b.code->at(0) = 0; }, "GLM offset at a zero code word"},
        {[](B& b) { b.code.reset(); }, "GLM names methods but the class has no code"},
        {[](B& b) {
             b.methods.reset();
             b.code.reset();
         },
         "GLVM names methods but the class has no code"},
        {[](B& b) { b.baseIndex = 1; }, "base class index outside the uses table"},
        {[](B& b) { b.classFields = 0x7FFFFFFF; }, "too many class fields"},
        {[](B& b) { b.instanceFields = 0xFFFFFFFF; }, "too many instance fields"},
    };
    for (const auto& c : cases) {
        auto b = TwoMethods();
        c.damage(b);
        EXPECT_EQ(ReadError(b), std::string("Class library X.glc is damaged: ") + c.error);
    }
}

TEST(ClassLibrary, VirtualTableWithoutCodeIsFineWhenEmpty) {
    auto b = ClassLibraryBuilder::Named("X");
    b.virtualMethods = std::vector<uint32_t>{0, 0};
    b.methods = std::vector<uint32_t>{};
    auto c = Read(b);
    c->Link();
    EXPECT_EQ(c->VirtualMethodCount(), 2u);
    EXPECT_EQ(c->VirtualMethodSlot(1), 0u);
}

TEST(ClassLibrary, NoBlockIsTheReadersError) {
    std::string message = ErrorMessage([] { Read(std::string("not a block")); });
    EXPECT_EQ(message.rfind("Signature not found at position", 0), 0u) << message;
}

TEST(ClassLibrary, InheritVirtualMethods) {
    auto base = Read(TwoMethods());
    base->Link();
    base->SetName("Base");

    // The derived class defines virtual 0, leaves 1 and 2 to the base and has a fourth of its own
    // that the base does not have.
    ScriptAssembler a;
    a.Method();
    a.Return();
    const uint32_t v0 = a.Method();
    a.Return();
    auto b = ClassLibraryBuilder::Named("D", {"Base"});
    b.baseIndex = 1;
    b.methods = std::vector<uint32_t>{};
    b.virtualMethods = std::vector<uint32_t>{v0, 0, 0, 0};
    b.code = a.Finish();
    auto d = Read(b);
    d->Link();
    d->SetBase(base.get());
    d->InheritVirtualMethods();
    EXPECT_EQ(d->VirtualMethodSlot(0), d->CodeAddress() + 8);
    EXPECT_EQ(d->VirtualMethodOwner(0), d.get());
    EXPECT_EQ(d->VirtualMethodSlot(1), 0u);
    EXPECT_EQ(d->VirtualMethodSlot(2), base->VirtualMethodSlot(2));
    EXPECT_EQ(d->VirtualMethodOwner(2), base.get());
    EXPECT_EQ(d->VirtualMethodSlot(3), 0u);  // beyond the base's table: empty
    EXPECT_EQ(ErrorMessage([&] { d->VirtualMethodOwner(3); }), "Virtual method 3 not defined in class D");
}

TEST(ClassLibrary, InheritedDebugRecords) {
    auto base = Read(TwoMethods().WithDebugInfo("base.zs"));
    base->Link();
    ScriptAssembler a;
    a.Method();
    a.Return();
    auto b = ClassLibraryBuilder::Named("D", {"Base"});
    b.baseIndex = 1;
    b.methods = std::vector<uint32_t>{0};
    b.virtualMethods = std::vector<uint32_t>{0, 0, 0, 0};
    b.code = a.Finish();
    b.WithDebugInfo("d.zs");
    auto d = Read(b);
    d->Link();
    d->SetBase(base.get());
    d->InheritVirtualMethods();
    const auto* r2 = FromScript<DebugRecord>(d->VirtualMethodDebugRecord(2));
    const auto* b2 = FromScript<DebugRecord>(base->VirtualMethodDebugRecord(2));
    EXPECT_EQ(r2->line, b2->line);
    EXPECT_EQ(r2->code, base->VirtualMethodSlot(2));
    EXPECT_EQ(r2->debugInfo, b2->debugInfo);
    EXPECT_STREQ(FromScript<const char>(r2->sourceName), "base.zs");
    const auto* r3 = FromScript<DebugRecord>(d->VirtualMethodDebugRecord(3));
    EXPECT_EQ(r3->code, 0u);
    EXPECT_EQ(r3->sourceName, 0u);
}

}  // namespace
