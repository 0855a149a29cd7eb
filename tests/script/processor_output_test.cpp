// The print operations: message boxes through the processor's hook and lines in "Debug.txt".
#include <filesystem>
#include <sstream>

#include "foundation/log_writer.h"
#include "tests/script/processor_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

using Messages = std::vector<std::pair<std::string, std::string>>;

TEST_F(ProcessorTest, MessageBoxes) {
    const uint32_t text = Place({0x00216948});  // "Hi!"
    SetData({static_cast<uint32_t>(-5), text, 5, static_cast<uint32_t>(-1)});
    RunCode({OpWord(Op::PrintStack), OpWord(Op::Drop), OpWord(Op::Drop), OpWord(Op::PrintString),
             OpWord(Op::Print), kReturnWord});
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0],
              (std::pair<std::string, std::string>{
                  "PrintStack", "-5; " + std::to_string(static_cast<int32_t>(text)) + "; 5; -1; "}));
    EXPECT_EQ(messages[1], (std::pair<std::string, std::string>{"PrintString", "Hi!"}));
    EXPECT_EQ(messages[2], (std::pair<std::string, std::string>{"Print", "-5"}));
    EXPECT_EQ(Data(), std::vector<uint32_t>{});

    // PrintStack lists bottom first and leaves the stack alone.
    messages.clear();
    SetData({5, static_cast<uint32_t>(-1)});
    RunCode({OpWord(Op::PrintStack), kReturnWord});
    EXPECT_EQ(messages, (Messages{{"PrintStack", "5; -1; "}}));
    EXPECT_EQ(Data(), (std::vector<uint32_t>{5, static_cast<uint32_t>(-1)}));

    // Without a hook the text goes nowhere.
    Cpu().SetMessageBoxHook(nullptr);
    SetData({1});
    RunCode({OpWord(Op::Print), kReturnWord});
}

TEST(ProcessorOutput, LongListingsAreCut) {
    std::unique_ptr<Processor> processor(new Processor(nullptr, 16, 16, 16, 200));
    std::string shown;
    processor->SetMessageBoxHook([&](const String&, const String& text) { shown = text.Text(); });
    for (int i = 0; i < 150; ++i) processor->DataStack().Push(0x80000000u);
    auto code = static_cast<uint32_t*>(ScriptAlloc(8));
    code[0] = OpWord(Op::PrintStack);
    code[1] = kReturnWord;
    processor->ClassStack().Push(processor->Address());
    processor->Run(nullptr, ToScript(code));
    ScriptFree(code);
    // 78 whole entries of 13 characters fit in the 1024-character buffer.
    std::string expected;
    for (int i = 0; i < 78; ++i) expected += "-2147483648; ";
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(processor->DataStack().Depth(), 150u);
}

TEST_F(ProcessorTest, DebugOutput) {
    TempDir dir;
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.Absolute());
    SetLogClock([] {
        std::tm t{};
        t.tm_year = 101;
        t.tm_mday = 2;
        return t;
    });
    const uint32_t text = Place({0x00216948});
    SetData({7, 8, text, static_cast<uint32_t>(-3)});
    const std::string error = ErrorMessage([&] {
        RunCode(
            {OpWord(Op::DebugPrint), OpWord(Op::DebugPrintString), OpWord(Op::DebugPrintStack), kReturnWord});
    });
    SetLogClock(nullptr);
    std::filesystem::current_path(previous);
    EXPECT_EQ(error, "no error");

    std::istringstream lines(dir.Read("Debug.txt"));
    std::vector<std::string> tails;
    for (std::string line; std::getline(lines, line);) {
        EXPECT_EQ(line.rfind("<02/01/01 00:00:00>", 0), 0u) << line;
        tails.push_back(line.substr(line.find("] : ") + 4));
    }
    EXPECT_EQ(tails, (std::vector<std::string>{"-3", "Hi!", "7; 8; "}));
    EXPECT_EQ(Data(), (std::vector<uint32_t>{7, 8}));
}

}  // namespace
