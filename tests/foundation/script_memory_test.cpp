#include "foundation/script_memory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "foundation/engine_string.h"
#include "foundation/exceptions.h"
#include "foundation/script_handle.h"

TEST(ScriptMemory, AllocationsOfEverySizeLandInTheRegion) {
    for (size_t size :
         {size_t{1}, size_t{24}, size_t{4096}, size_t{100000}, size_t{3} << 20, size_t{80} << 20}) {
        auto* p = static_cast<uint8_t*>(ScriptAlloc(size));
        EXPECT_TRUE(InScriptRegion(p)) << size;
        EXPECT_TRUE(InScriptRegion(p + size - 1)) << size;
        EXPECT_GE(ToScript(p), kScriptReservedLow);
        EXPECT_EQ(p[0], 0);
        EXPECT_EQ(p[size - 1], 0);
        EXPECT_EQ(FromScript<uint8_t>(ToScript(p)), p);
        ScriptFree(p);
    }
    // Host objects and their texts never do.
    String s("text");
    EXPECT_FALSE(InScriptRegion(s.Text()));
}

TEST(ScriptMemory, FreeingFromAnotherThread) {
    std::vector<void*> blocks;
    std::thread maker([&] {
        for (int i = 0; i < 1000; ++i) blocks.push_back(ScriptAlloc(16 + i));
    });
    maker.join();
    for (void* p : blocks) EXPECT_TRUE(InScriptRegion(p));
    std::thread freer([&] {
        for (void* p : blocks) ScriptFree(p);
    });
    freer.join();
    // The freed memory is reusable.
    void* again = ScriptAlloc(64);
    EXPECT_TRUE(InScriptRegion(again));
    ScriptFree(again);
}

TEST(ScriptMemory, RangeCheck) {
    auto* p = static_cast<uint8_t*>(ScriptAlloc(16));
    uint32_t a = ToScript(p);
    EXPECT_NO_THROW(CheckScriptRange(a, 16));
    EXPECT_THROW(CheckScriptRange(0, 4), FatalExep);
    EXPECT_THROW(CheckScriptRange(100, 4), FatalExep);
    EXPECT_THROW(CheckScriptRange(0x7FFFFFFEu, 4), FatalExep);
    EXPECT_THROW(CheckScriptRange(0xFFFFFFFCu, 4), FatalExep);
    EXPECT_THROW(ScriptLoad32(8), FatalExep);
    ScriptStore32(a + 3, 0x11223344u);  // unaligned is fine
    EXPECT_EQ(ScriptLoad32(a + 3), 0x11223344u);
    EXPECT_EQ(ToScript(nullptr), 0u);
    EXPECT_EQ(FromScript<int>(0), nullptr);
    ScriptFree(p);
}

struct TestObject {
    ScriptHandle handle{HandleFamily::kScriptObject, 42, this};
    int value = 5;
};

TEST(ScriptMemory, HandleCheck) {
    auto object = std::make_unique<TestObject>();
    const uint32_t a = object->handle.Address();
    EXPECT_TRUE(InScriptRegion(FromScript<void>(a)));
    EXPECT_EQ(CheckScriptHandle(a, HandleFamily::kScriptObject, 42, "TestObject"), object.get());
    EXPECT_NO_THROW(CheckScriptHandle(a, HandleFamily::kScriptObject, 0, "any object"));
    EXPECT_THROW(CheckScriptHandle(a, HandleFamily::kScriptObject, 43, "Other"), FatalExep);
    EXPECT_THROW(CheckScriptHandle(a, HandleFamily::kFrame, 0, "frame"), FatalExep);
    EXPECT_THROW(CheckScriptHandle(0, HandleFamily::kScriptObject, 42, "TestObject"), FatalExep);
    try {
        CheckScriptHandle(a + 4, HandleFamily::kScriptObject, 42, "TestObject");
        ADD_FAILURE() << "an address off by a word passed";
    } catch (const FatalExep& e) {
        EXPECT_NE(std::string(e.message.Text()).find("TestObject"), std::string::npos);
    }
    // The kind a script writes into the header counts for nothing; the registered one does.
    ScriptStore32(a + 4, 43);
    EXPECT_EQ(object->handle.Kind(), 42u);
    EXPECT_THROW(CheckScriptHandle(a, HandleFamily::kScriptObject, 43, "Other"), FatalExep);
    object->handle.SetKind(43);
    EXPECT_NO_THROW(CheckScriptHandle(a, HandleFamily::kScriptObject, 43, "Other"));
}

TEST(ScriptMemory, OnlyLiveHandlesPassTheCheck) {
    auto object = std::make_unique<TestObject>();
    auto other = std::make_unique<TestObject>();
    const uint32_t a = object->handle.Address();
    // A copy of a live header elsewhere in script memory names nothing.
    auto* forged = static_cast<uint8_t*>(ScriptAlloc(16));
    std::memcpy(forged, FromScript<uint8_t>(a), 12);
    EXPECT_THROW(CheckScriptHandle(ToScript(forged), HandleFamily::kScriptObject, 42, "TestObject"),
                 FatalExep);
    // A header whose handle a script changed to another object's names nothing either.
    const uint32_t saved = ScriptLoad32(a + 8);
    ScriptStore32(a + 8, ScriptLoad32(other->handle.Address() + 8));
    EXPECT_THROW(CheckScriptHandle(a, HandleFamily::kScriptObject, 42, "TestObject"), FatalExep);
    ScriptStore32(a + 8, saved);
    EXPECT_NO_THROW(CheckScriptHandle(a, HandleFamily::kScriptObject, 42, "TestObject"));
    // A deleted object's address fails even when its bytes are written back.
    uint8_t bytes[12];
    std::memcpy(bytes, FromScript<uint8_t>(a), 12);
    const uint32_t live = LiveScriptHandleCount();
    object.reset();
    EXPECT_EQ(LiveScriptHandleCount(), live - 1);
    EXPECT_EQ(FindScriptHandle(a, HandleFamily::kScriptObject, 0), nullptr);
    ScriptFree(forged);
}

TEST(ScriptMemory, AnAddressHandedOutAgainHasAnotherSerial) {
    auto first = std::make_unique<TestObject>();
    const uint32_t a = first->handle.Address();
    const uint64_t serial = ScriptHandleSerial(a);
    EXPECT_NE(serial, 0u);
    first.reset();
    EXPECT_EQ(ScriptHandleSerial(a), 0u);
    // The freed header is the first one handed out again.
    auto second = std::make_unique<TestObject>();
    ASSERT_EQ(second->handle.Address(), a);
    EXPECT_NE(ScriptHandleSerial(a), serial);
    EXPECT_NE(ScriptHandleSerial(a), 0u);
}

TEST(ScriptMemory, GuardPastTheEndReadsAsAllOnes) {
    // Code that scans forward may read a little past the end; there it must find no valid word.
    const uint8_t* end = ScriptRegionBase() + kScriptRegionSize;
    for (uint32_t i : {0u, 1u, 3u, 4u, 63u, kScriptTailGuard - 1}) EXPECT_EQ(end[i], 0xFF) << i;
}
