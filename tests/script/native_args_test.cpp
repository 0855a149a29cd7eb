#include "script/native_args.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "foundation/code_pages.h"
#include "foundation/script_memory.h"
#include "tests/script/native_fixture.h"

namespace {

class NativeArgsTest : public NativeFixture {
  protected:
    NativeArgs Pushed(const std::vector<uint32_t>& words) {
        for (uint32_t w : words) runner.stack.Push(w);
        return NativeArgs(runner);
    }
};

}  // namespace

TEST_F(NativeArgsTest, ArgumentsComeLastPushedFirstAndTyped) {
    ZEMAClass* cls = manager->Get("ZEMAClass");
    NativeArgs args = Pushed({Text("name"), static_cast<uint32_t>(-5), cls->Address(), cls->Address(), 0, 7});
    EXPECT_EQ(args.Word(), 7u);
    EXPECT_EQ(args.ObjectOrNull(0, "object"), nullptr);
    EXPECT_EQ(args.Object(0, "object"), cls);
    EXPECT_EQ(args.Class("class"), cls);
    EXPECT_EQ(args.Int(), -5);
    EXPECT_EQ(args.Text(), "name");
    EXPECT_EQ(Depth(), 0u);
}

TEST_F(NativeArgsTest, BadArgumentsAreEngineErrors) {
    const auto end = static_cast<uint32_t>(kScriptRegionSize);
    const uint32_t text = Text("abc");
    const std::vector<std::pair<const char*, std::function<void(NativeArgs&)>>> cases = {
        {"text at 0", [](NativeArgs& a) { a.Text(); }},
        {"bytes past the end", [](NativeArgs& a) { a.Bytes(8); }},
        {"writable bytes past the end", [](NativeArgs& a) { a.WritableBytes(8); }},
        {"class that is a text", [](NativeArgs& a) { a.Class("class"); }},
        {"object that is a text", [](NativeArgs& a) { a.Object(0, "object"); }},
        {"nothing pushed", [](NativeArgs& a) { a.Word(); }},
    };
    const std::vector<std::vector<uint32_t>> pushed = {{0}, {end - 4}, {end - 4}, {text}, {text}, {}};
    for (size_t i = 0; i < cases.size(); ++i) {
        runner.stack.Drop(runner.stack.Depth());
        NativeArgs args = Pushed(pushed[i]);
        EXPECT_THROW(cases[i].second(args), FatalExep) << cases[i].first;
    }
}

TEST_F(NativeArgsTest, WritableBytesDropDecodedCodeOnTheirPage) {
    auto* block = static_cast<uint8_t*>(ScriptAlloc(16));
    const uint32_t page = CodePageOf(ToScript(block));
    const uint32_t before = MarkCodePage(page);
    NativeArgs args = Pushed({ToScript(block)});
    EXPECT_EQ(args.WritableBytes(16), block);
    EXPECT_NE(CodePageVersion(page), before);
    ScriptFree(block);
}
