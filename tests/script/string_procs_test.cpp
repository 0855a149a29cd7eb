#include "script/string_procs.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>

#include "foundation/code_pages.h"
#include "foundation/exceptions.h"
#include "tests/script/native_fixture.h"

namespace {

class StringProcsTest : public NativeFixture {
  protected:
    StringProcsTest() : cls(AddNative("StringProcs")) {}

    // A string object made by method 0, as scripts make them.
    StringObject* Create(uint32_t capacity) {
        Call(cls, cls, 0, {capacity, cls->Address()});
        auto* object = dynamic_cast<StringObject*>(ScriptObject::FromAddress(Pop(), 0, "string"));
        objects.emplace_back(object);
        return object;
    }
    std::string Content(StringObject* s) {
        Call(s, cls, 4, {});
        return TextAt(Pop());
    }
    void AppendText(StringObject* s, const std::string& text) { Call(s, cls, 7, {Text(text)}); }
    void AppendInt(StringObject* s, int32_t value) { Call(s, cls, 6, {static_cast<uint32_t>(value)}); }
    int32_t Compare(const std::string& a, const std::string& b) {
        Call(cls, cls, 9, {Text(a), Text(b)});
        return static_cast<int32_t>(Pop());
    }

    ZEMAClass* cls;
    std::vector<std::unique_ptr<ScriptObject>> objects;
};

}  // namespace

TEST_F(StringProcsTest, BindingsAndCreate) {
    EXPECT_EQ(cls->MethodCount(), 11u);
    EXPECT_EQ(cls->VirtualMethodCount(), 2u);
    StringObject* s = Create(16);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->Class(), cls);
    EXPECT_EQ(s->Capacity(), 16u);
    EXPECT_EQ(Content(s), "");
    EXPECT_EQ(runner.pushedObjects.size(), 1u);
    EXPECT_EQ(Depth(), 0u);
    // Methods 2 and 3 stay those of ZEMAClass.
    Call(s, cls, 3, {});
    EXPECT_EQ(TextAt(Pop()), "StringProcs");
}

TEST_F(StringProcsTest, AppendClearAndLength) {
    StringObject* s = Create(16);
    AppendText(s, "x=");
    AppendInt(s, -45);
    EXPECT_EQ(Content(s), "x=-45");
    Call(s, cls, 5, {});
    EXPECT_EQ(Content(s), "");
    AppendInt(s, INT_MIN);
    EXPECT_EQ(Content(s), "-2147483648");

    Call(s, cls, 8, {Text("")});
    EXPECT_EQ(Pop(), 0u);
    Call(s, cls, 8, {Text("hello")});
    EXPECT_EQ(Pop(), 5u);
}

TEST_F(StringProcsTest, AppendsAreCutAtCapacityLessOne) {
    StringObject* s = Create(8);
    AppendText(s, "abcdefghij");
    EXPECT_EQ(Content(s), "abcdefg");
    AppendInt(s, 5);
    EXPECT_EQ(Content(s), "abcdefg");

    StringObject* t = Create(8);
    AppendText(t, "12345");
    AppendInt(t, -9876);
    EXPECT_EQ(Content(t), "12345-9");

    // A buffer whose terminator was overwritten through its address is cut at its end.
    std::memset(t->Text(), 'z', 8);
    AppendText(t, "q");
    EXPECT_EQ(Content(t), "zzzzzzz");
}

TEST_F(StringProcsTest, CapacityZeroIsOneAndHugeIsRefused) {
    StringObject* s = Create(0);
    EXPECT_EQ(s->Capacity(), 1u);
    AppendText(s, "abc");
    AppendInt(s, 7);
    EXPECT_EQ(Content(s), "");
    EXPECT_NE(ErrorMessage([&] { Create(kMaxStringCapacity + 1); }).find("capacity"), std::string::npos);
}

TEST_F(StringProcsTest, AppendingItsOwnText) {
    StringObject* s = Create(8);
    AppendText(s, "abc");
    Call(s, cls, 4, {});
    Call(s, cls, 7, {Pop()});
    EXPECT_EQ(Content(s), "abcabc");
    Call(s, cls, 4, {});
    Call(s, cls, 7, {Pop()});
    EXPECT_EQ(Content(s), "abcabca");
}

TEST_F(StringProcsTest, Compare) {
    EXPECT_EQ(Compare("abc", "abd"), -1);
    EXPECT_EQ(Compare("b", "a"), 1);
    EXPECT_EQ(Compare("same", "same"), 0);
    EXPECT_EQ(Compare("ab", "abc"), -1);
    EXPECT_EQ(Compare("abc", "ab"), 1);
    EXPECT_EQ(Compare("", ""), 0);
    // Bytes compare unsigned.
    EXPECT_EQ(Compare("\x80", "a"), 1);
}

TEST_F(StringProcsTest, CopyIntoAStringBufferIsCut) {
    StringObject* s = Create(6);
    Call(s, cls, 4, {});
    const uint32_t buffer = Pop();
    Call(cls, cls, 10, {Text("abcdefghij"), buffer});
    EXPECT_EQ(Content(s), "abcde");
    EXPECT_EQ(Depth(), 0u);
    // Into the middle: cut at the same end.
    Call(cls, cls, 10, {Text("XYZW"), buffer + 3});
    EXPECT_EQ(Content(s), "abcXY");
    Call(cls, cls, 10, {Text("hi"), buffer});
    EXPECT_EQ(Content(s), "hi");
}

TEST_F(StringProcsTest, CopyElsewhereTakesTheWholeText) {
    auto* block = static_cast<char*>(ScriptAlloc(32));
    std::memset(block, '#', 32);
    Call(cls, cls, 10, {Text("hello world"), ToScript(block)});
    EXPECT_STREQ(block, "hello world");
    EXPECT_EQ(block[12], '#');
    ScriptFree(block);
}

TEST_F(StringProcsTest, CopiesDropDecodedCodeOfThePagesTheyWrite) {
    auto* block = static_cast<char*>(ScriptAlloc(32));
    StringObject* s = Create(16);
    for (const uint32_t destination : {ToScript(block), ToScript(s->Text())}) {
        const uint32_t page = CodePageOf(destination);
        const uint32_t before = MarkCodePage(page);
        Call(cls, cls, 10, {Text("code"), destination});
        EXPECT_NE(CodePageVersion(page), before);
    }
    ScriptFree(block);
}

TEST_F(StringProcsTest, AddressesOutsideScriptMemoryAreErrors) {
    StringObject* s = Create(8);
    for (uint32_t method : {7u, 8u}) {
        EXPECT_NE(ErrorMessage([&] { Call(s, cls, method, {16}); }), "no error");
        runner.stack.Drop(runner.stack.Depth());
    }
    EXPECT_NE(ErrorMessage([&] { Call(cls, cls, 9, {Text("a"), 0}); }), "no error");
    EXPECT_NE(ErrorMessage([&] { Call(cls, cls, 10, {Text("a"), 100}); }), "no error");
    EXPECT_NE(ErrorMessage([&] {
                  Call(cls, cls, 10, {Text("a"), static_cast<uint32_t>(kScriptRegionSize - 1)});
              }),
              "no error");
}

TEST_F(StringProcsTest, TextRunningToTheEndOfScriptMemory) {
    // The last bytes of the region are never handed out in a test run; they are put back to zero.
    const auto last = static_cast<uint32_t>(kScriptRegionSize - 4);
    char* tail = FromScript<char>(last);
    std::memset(tail, 'x', 4);
    const std::string length = ErrorMessage([&] { Call(cls, cls, 8, {last}); });
    runner.stack.Drop(runner.stack.Depth());
    const std::string compare = ErrorMessage([&] { Call(cls, cls, 9, {last, Text("xxxx")}); });
    runner.stack.Drop(runner.stack.Depth());
    std::memset(tail, 0, 4);
    EXPECT_NE(length, "no error");
    EXPECT_NE(compare, "no error");
}

TEST_F(StringProcsTest, ReceiverMustBeAStringObject) {
    EXPECT_EQ(ErrorMessage([&] { Call(cls, cls, 4, {}); }), "StringProcs object expected as receiver");
}

TEST_F(StringProcsTest, EmptyStackUnderflows) {
    EXPECT_EQ(ErrorMessage([&] { Call(cls, cls, 8, {}); }), "DStack underflow");
}
