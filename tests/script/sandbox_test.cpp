// Hostile scripts against the script address space: nothing a script can read there leads to host
// memory, and words a script writes anywhere there give normal results or engine errors, never a
// crash (also under the sanitizers).
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "foundation/exceptions.h"
#include "script/class_manager.h"
#include "script/native_catalogue.h"
#include "script/object_manager.h"
#include "script/string_procs.h"
#include "tests/script/processor_fixture.h"
#include "tools/content/script_assembler.h"

namespace {

constexpr uint32_t kWindow = 256;

// Thing: method 0 creates an instance, method 1 reads and writes its fields and class fields.
ClassLibraryBuilder Thing() {
    ScriptAssembler a;
    const uint32_t m0 = a.Method();
    a.Op(Op::CreateInstance);
    a.Return();
    const uint32_t m1 = a.Method();
    a.Op(Op::PushOne);  // field 1 of This: add 1
    a.Op(Op::This);
    a.Op(Op::SwapObjects);
    a.Op(Op::FieldAddress);
    a.Op(Op::PushOne);
    a.Op(Op::Swap);
    a.Op(Op::AddToMemory);
    a.Return();
    auto b = ClassLibraryBuilder::Named("Thing", {"ObjectManager"});
    b.instanceFields = 3;
    b.classFields = 2;
    b.methods = std::vector<uint32_t>{m0, m1};
    b.virtualMethods = std::vector<uint32_t>{0, 0};
    b.code = a.Finish();
    return b;
}

// Reads script memory the way a script could, red zones included.
__attribute__((no_sanitize("address"))) uint64_t Read64(uint32_t address) {
    uint64_t v;
    std::memcpy(&v, FromScript<uint8_t>(address), 8);
    return v;
}

uint64_t Distance(uint64_t a, uint64_t b) {
    return a > b ? a - b : b - a;
}

class SandboxTest : public ProcessorTest {
  protected:
    void SetUp() override { Open(); }

    void Open() {
        RegisterScriptNatives();
        OpenArchive({Thing()});
        thing = Cpu().ClassByName("Thing");
        lists = Cpu().ClassByName("ObjectManager");
        strings = Cpu().Classes().Register(NewNativeDescriptor(processor.get(), "StringProcs"), false);
        instance = new ScriptObject(thing);
        Cpu().Objects().SetObject(instance, 40);
        text = new StringObject(strings, 32);
        Cpu().Objects().SetObject(text, 41);
        list = new ObjectManager(processor.get(), 1);
        Cpu().Objects().SetObject(list, 42);
        Call(list, lists, 4, {instance->Address()});  // the list holds the instance too
        Call(text, strings, 7, {Place({0x6C6C6568, 0x6F})});
    }

    // A method through the processor with arguments; an engine error is an allowed outcome.
    void Call(ScriptObject* receiver, ZEMAClass* cls, uint32_t number,
              const std::vector<uint32_t>& arguments) {
        try {
            for (uint32_t a : arguments) Cpu().DataStack().Push(a);
            Cpu().CallMethod(receiver, cls, number);
        } catch (const DExep&) {
        }
        ClearStacks();
    }

    // Starts of the script data around the objects: headers, fields, text buffer, stacks, tables.
    std::vector<uint32_t> Targets() {
        return {instance->Address(),
                ToScript(instance->Fields()),
                text->Address(),
                ToScript(text->Text()),
                list->Address(),
                thing->Address(),
                ToScript(thing->ClassFields()),
                thing->MethodSlot(1),
                Cpu().DataStack().BaseAddress(),
                Cpu().LocalsStack().BaseAddress(),
                Cpu().ObjectStack().BaseAddress(),
                thing->CodeAddress()};
    }

    // Addresses of the C++ objects involved and of their tables of virtual functions.
    std::vector<uint64_t> HostAddresses() {
        std::vector<uint64_t> hosts;
        for (const ScriptObject* p :
             std::vector<const ScriptObject*>{instance, text, list, thing, strings, lists, processor.get(),
                                              &Cpu().Classes(), &Cpu().Objects()}) {
            hosts.push_back(reinterpret_cast<uintptr_t>(p));
            uint64_t table;
            std::memcpy(&table, static_cast<const void*>(p), 8);
            hosts.push_back(table);
        }
        hosts.push_back(reinterpret_cast<uintptr_t>(&Cpu().DataStack()));
        hosts.push_back(reinterpret_cast<uintptr_t>(thing->ClassName().Text()));
        hosts.push_back(reinterpret_cast<uintptr_t>(&Read64));
        return hosts;
    }

    // Every 8-byte value at a 4-byte step within the window around address.
    std::vector<uint64_t> Read64Window(uint32_t address) {
        std::vector<uint64_t> values;
        const uint32_t from = std::max(address - kWindow, kScriptReservedLow) & ~3u;
        for (uint32_t a = from; a < address + kWindow && a + 8 <= ScriptHandedOutEnd(); a += 4) {
            values.push_back(Read64(a));
        }
        return values;
    }

    // Random words over the window around address, where a script could write.
    void Scribble(uint32_t address, std::mt19937& random) {
        const uint32_t from = std::max(address - kWindow, kScriptReservedLow) & ~3u;
        for (uint32_t a = from; a < address + kWindow; a += 4) {
            if (ScriptRangeUsable(a, 4) && random() % 3 == 0)
                ScriptStore32(a, static_cast<uint32_t>(random()));
        }
    }

    // What scripts do with the objects: their methods, the string and list natives, deletion.
    void UseEverything() {
        Call(instance, thing, 1, {});
        Call(thing, thing, 0, {thing->Address()});
        Call(text, strings, 6, {12345});
        Call(text, strings, 4, {});
        Call(strings, strings, 8, {ToScript(text->Text())});
        Call(strings, strings, 10, {ToScript(text->Text()), ToScript(instance->Fields())});
        for (uint32_t method : {5u, 7u, 9u, 12u, 14u, 11u, 13u}) Call(list, lists, method, {});
        // Taking the instance out of the list destroyed it, and took it out of the table too.
        instance = Cpu().Objects().GetObject(40);
        if (instance == nullptr) return;
        try {
            Cpu().DataStack().Push(instance->Address());
            RunOn(thing, instance, {OpWord(Op::DeleteObject), kReturnWord});
        } catch (const DExep&) {
        }
        ClearStacks();
    }

    ZEMAClass* thing = nullptr;
    ZEMAClass* lists = nullptr;
    ZEMAClass* strings = nullptr;
    ScriptObject* instance = nullptr;
    StringObject* text = nullptr;
    ObjectManager* list = nullptr;
};

TEST_F(SandboxTest, NoHostAddressCanBeReadNearScriptData) {
    const std::vector<uint64_t> hosts = HostAddresses();
    const auto base = reinterpret_cast<uintptr_t>(ScriptRegionBase());
    for (uint32_t target : Targets()) {
        for (uint64_t v : Read64Window(target)) {
            // Any value within a megabyte of a host object or a table of functions, or a full
            // pointer into the region, would give the host's layout away.
            for (uint64_t host : hosts) ASSERT_GT(Distance(v, host), uint64_t{1} << 20) << std::hex << target;
            ASSERT_FALSE(v >= base && v - base < kScriptRegionSize) << std::hex << target;
        }
    }
}

TEST_F(SandboxTest, RandomWordsOverScriptDataGiveResultsOrEngineErrors) {
    for (uint32_t seed = 1; seed <= 60; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 random(seed);
        for (uint32_t target : Targets()) Scribble(target, random);
        UseEverything();
        Open();
    }
}

TEST_F(SandboxTest, StoresIntoFreedHeapBlocksAreHarmless) {
    // Allocate, free, then store into the freed block through the script: in sanitizer builds the
    // store is refused, otherwise it lands in memory nobody owns. Either way later blocks are fresh.
    SetData({64});
    ASSERT_EQ(ErrorMessage([&] { RunCode({OpWord(Op::Allocate), kReturnWord}); }), "no error");
    const uint32_t block = Data().at(0);
    ClearStacks();
    SetData({block});
    ASSERT_EQ(ErrorMessage([&] { RunCode({OpWord(Op::Free), kReturnWord}); }), "no error");
    ClearStacks();
    for (uint32_t offset = 0; offset < 64; offset += 4) {
        SetData({0xDEADBEEF, block + offset});
        (void)ErrorMessage([&] { RunCode({OpWord(Op::Store), kReturnWord}); });
        ClearStacks();
    }
    std::vector<uint32_t> blocks;
    for (uint32_t i = 0; i < 2000; ++i) {
        SetData({16 + i % 200});
        ASSERT_EQ(ErrorMessage([&] { RunCode({OpWord(Op::Allocate), kReturnWord}); }), "no error");
        blocks.push_back(Data().at(0));
        ClearStacks();
        for (uint32_t a = blocks.back(); a + 4 <= blocks.back() + 16 + i % 200; a += 4)
            ASSERT_EQ(ScriptLoad32(a), 0u);
        if (i % 3 == 0) {
            SetData({blocks.back()});
            ASSERT_EQ(ErrorMessage([&] { RunCode({OpWord(Op::Free), kReturnWord}); }), "no error");
            ClearStacks();
            blocks.pop_back();
        }
    }
}

}  // namespace
