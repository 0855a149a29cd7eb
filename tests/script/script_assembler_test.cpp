#include "tools/content/script_assembler.h"

#include <gtest/gtest.h>

#include <stdexcept>

using Receiver = ScriptAssembler::Receiver;

TEST(ScriptAssembler, WordEncodings) {
    EXPECT_EQ(ScriptAssembler::OperationWord(Op::PushInlineData), 0xF0000005u);
    EXPECT_EQ(ScriptAssembler::CallWord(3, 0, true), 0x08030000u);
    EXPECT_EQ(ScriptAssembler::CallWord(3, 0, false), 0x00030000u);
    EXPECT_EQ(ScriptAssembler::CallWord(0x7FF, 0xFF, false, Receiver::Popped, 0), 0x47FFFF00u);
    EXPECT_EQ(ScriptAssembler::CallWord(1, 2, false, Receiver::Field, 9), 0x10010209u);
    EXPECT_THROW(ScriptAssembler::CallWord(0x800, 0, false), std::invalid_argument);
    EXPECT_THROW(ScriptAssembler::CallWord(0, 0x100, false), std::invalid_argument);
}

TEST(ScriptAssembler, JumpsAndRelativeAddresses) {
    ScriptAssembler a;
    auto top = a.NewLabel();
    auto end = a.NewLabel();
    EXPECT_EQ(a.Method(), 0u);
    a.Bind(top);
    a.Jump(Op::JumpIfZero, end);                      // words 1, 2
    a.Jump(Op::Jump, top);                            // words 3, 4
    a.RelativeAddress(Op::PushRelativeAddress, end);  // words 5, 6
    a.Op(Op::PushInline, {42});                       // words 7, 8
    a.Bind(end);
    a.Return();  // word 9
    auto words = a.Finish();
    ASSERT_EQ(words.size(), 10u);
    // Taken jumps land at (offset word) + 1 + offset.
    EXPECT_EQ(static_cast<int32_t>(words[2]), 9 - 3);
    EXPECT_EQ(static_cast<int32_t>(words[4]), 1 - 5);
    EXPECT_EQ(static_cast<int32_t>(words[6]), 9 - 6);
    EXPECT_EQ(words[7], 0xF0000004u);
    EXPECT_EQ(words[8], 42u);
    EXPECT_EQ(words[9], 0xFFFFFFFFu);

    ScriptAssembler b;
    b.Jump(Op::Jump, b.NewLabel());
    EXPECT_THROW(b.Finish(), std::logic_error);
    EXPECT_THROW(b.Method(0), std::invalid_argument);
}
