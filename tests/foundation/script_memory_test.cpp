#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "foundation/engine_string.h"
#include "foundation/exceptions.h"
#include "foundation/script_memory.h"
#include "tests/support/hostile_store.h"

TEST(ScriptMemory, AllocationsOfEverySizeLandInTheRegion) {
    for (size_t size : {size_t{1}, size_t{24}, size_t{4096}, size_t{100000}, size_t{3} << 20, size_t{80} << 20}) {
        auto* p = static_cast<uint8_t*>(ScriptAlloc(size));
        EXPECT_TRUE(InScriptRegion(p)) << size;
        EXPECT_TRUE(InScriptRegion(p + size - 1)) << size;
        EXPECT_GE(ToScript(p), kScriptReservedLow);
        EXPECT_EQ(p[0], 0);
        EXPECT_EQ(p[size - 1], 0);
        EXPECT_EQ(FromScript<uint8_t>(ToScript(p)), p);
        ScriptFree(p);
    }
    String s("text");
    EXPECT_TRUE(InScriptRegion(s.Text()));
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

struct TestObject : ScriptAllocated {
    ScriptObjectHeader header{42};
    int value = 5;
};

TEST(ScriptMemory, ObjectHeaderCheck) {
    auto* object = new TestObject;
    EXPECT_TRUE(InScriptRegion(object));
    uint32_t a = ToScript(object);
    EXPECT_EQ(CheckScriptObject(a, 42, "TestObject"), &object->header);
    EXPECT_NO_THROW(CheckScriptObject(a, 0, "any object"));
    EXPECT_THROW(CheckScriptObject(a, 43, "Other"), FatalExep);
    EXPECT_THROW(CheckScriptObject(0, 42, "TestObject"), FatalExep);
    EXPECT_THROW(CheckScriptObject(a + 4, 42, "TestObject"), FatalExep);
    try {
        CheckScriptObject(a + 4, 42, "TestObject");
    } catch (const FatalExep& e) {
        EXPECT_NE(std::string(e.message.Text()).find("TestObject"), std::string::npos);
    }
    delete object;
}

TEST(ScriptMemory, OnlyLiveHeadersPassTheObjectCheck) {
    // A header written by hand into ordinary script memory looks right but was never built.
    auto* forged = static_cast<uint32_t*>(ScriptAlloc(16));
    forged[0] = kScriptObjectMagic;
    forged[1] = 42;
    EXPECT_THROW(CheckScriptObject(ToScript(forged), 42, "TestObject"), FatalExep);

    // A deleted object's address fails even when its bytes are written back.
    auto* object = new TestObject;
    auto* copy = new TestObject(*object);
    const uint32_t a = ToScript(object);
    delete object;
    EXPECT_THROW(CheckScriptObject(a, 42, "TestObject"), FatalExep);
    HostileStore32(a, kScriptObjectMagic);
    HostileStore32(a + 4, 42);
    EXPECT_THROW(CheckScriptObject(a, 42, "TestObject"), FatalExep);
    // A copy is an object of its own; off by a word is no object.
    EXPECT_NO_THROW(CheckScriptObject(ToScript(copy), 42, "TestObject"));
    EXPECT_THROW(CheckScriptObject(ToScript(copy) + 4, 0, "TestObject"), FatalExep);
    delete copy;
    ScriptFree(forged);
}

TEST(ScriptMemory, GuardPastTheEndReadsAsAllOnes) {
    // Code that scans forward may read a little past the end; there it must find no valid word.
    const uint8_t* end = ScriptRegionBase() + kScriptRegionSize;
    for (uint32_t i : {0u, 1u, 3u, 4u, 63u, kScriptTailGuard - 1}) EXPECT_EQ(end[i], 0xFF) << i;
}
