// Constants, inline data, integer arithmetic (wrapping at 32 bits) and comparisons and logic.
#include "tests/script/processor_fixture.h"

namespace {

constexpr uint32_t kMin = 0x80000000u;  // the smallest 32-bit integer
constexpr uint32_t kMax = 0x7FFFFFFFu;
constexpr uint32_t M(int32_t v) {
    return static_cast<uint32_t>(v);
}

TEST_F(ProcessorTest, Constants) {
    CheckAll({
        {"Nop", Op::Nop, {7}, {}, {7}},
        {"Nop", Op::Nop69, {}, {}, {}},
        {"PushInline", Op::PushInline, {1}, {0xDEADBEEF}, {1, 0xDEADBEEF}},
        {"PushInline", Op::PushInline62, {}, {M(-5)}, {M(-5)}},
        {"PushZero", Op::PushZero, {}, {}, {0}},
        {"PushOne", Op::PushOne, {}, {}, {1}},
        {"PushTwo", Op::PushTwo, {}, {}, {2}},
        {"PushFour", Op::PushFour, {}, {}, {4}},
        {"PushMinusOne", Op::PushMinusOne, {}, {}, {M(-1)}},
        {"PushMinusTwo", Op::PushMinusTwo, {}, {}, {M(-2)}},
        {"PushMinusFour", Op::PushMinusFour, {}, {}, {M(-4)}},
    });
}

TEST_F(ProcessorTest, Arithmetic) {
    CheckAll({
        {"Add", Op::Add, {2, 3}, {}, {5}},
        {"Add", Op::Add, {kMax, 1}, {}, {kMin}},
        {"Sub", Op::Sub, {7, 3}, {}, {4}},
        {"Sub", Op::Sub, {kMin, 1}, {}, {kMax}},
        {"Mul", Op::Mul, {M(-6), 7}, {}, {M(-42)}},
        {"Mul", Op::Mul, {0x10000, 0x10001}, {}, {0x10000}},
        {"Div", Op::Div, {M(-7), 2}, {}, {M(-3)}},
        {"Div", Op::Div, {7, M(-2)}, {}, {M(-3)}},
        {"Mod", Op::Mod, {M(-7), 2}, {}, {M(-1)}},
        {"Mod", Op::Mod, {7, M(-2)}, {}, {1}},
        {"Increment", Op::Increment, {kMax}, {}, {kMin}},
        {"Decrement", Op::Decrement, {0}, {}, {M(-1)}},
        {"Abs", Op::Abs, {M(-9)}, {}, {9}},
        {"Abs", Op::Abs, {kMin}, {}, {kMin}},
        {"ShiftLeftOne", Op::ShiftLeftOne, {0x80000001}, {}, {2}},
        {"ShiftRightOne", Op::ShiftRightOne, {0xFFFFFFFE}, {}, {0x7FFFFFFF}},
        {"ShiftLeftTwo", Op::ShiftLeftTwo, {M(-3)}, {}, {M(-12)}},
        {"ShiftRightTwo", Op::ShiftRightTwo, {0xFFFFFFFF}, {}, {0x3FFFFFFF}},
        {"Min", Op::Min, {M(-1), 1}, {}, {M(-1)}},
        {"Max", Op::Max, {M(-1), 1}, {}, {1}},
        {"TimesHundred", Op::TimesHundred, {M(-3)}, {}, {M(-300)}},
        {"TimesHundred", Op::TimesHundred, {0x7FFFFFFF}, {}, {0x7FFFFFFFu * 100u}},
        {"DivHundred", Op::DivHundred, {M(-250)}, {}, {M(-2)}},
        {"SwapHalves", Op::SwapHalves, {0x12345678}, {}, {0x56781234}},
        {"SplitHalves", Op::SplitHalves, {0x12345678}, {}, {0x5678, 0x1234}},
        {"NipLowHalf", Op::NipLowHalf, {9, 0xABCD1234}, {}, {0x1234}},
    });
}

TEST_F(ProcessorTest, ComparisonsAndLogic) {
    CheckAll({
        {"Greater", Op::Greater, {7, 3}, {}, {1}},
        {"Greater", Op::Greater, {M(-1), 1}, {}, {0}},
        {"Less", Op::Less, {7, 3}, {}, {0}},
        {"Less", Op::Less, {M(-1), 1}, {}, {1}},
        {"Equal", Op::Equal, {5, 5}, {}, {1}},
        {"Not", Op::Not, {0}, {}, {1}},
        {"Not", Op::Not, {42}, {}, {0}},
        {"GreaterEqual", Op::GreaterEqual, {3, 3}, {}, {1}},
        {"LessEqual", Op::LessEqual, {4, 3}, {}, {0}},
        {"NotEqual", Op::NotEqual, {4, 3}, {}, {1}},
        {"BitAnd", Op::BitAnd, {0xF0F0, 0x3C3C}, {}, {0x3030}},
        {"BitOr", Op::BitOr, {0xF0F0, 0x0F00}, {}, {0xFFF0}},
        {"BitXor", Op::BitXor, {0xFF00, 0x0FF0}, {}, {0xF0F0}},
        {"BitNot", Op::BitNot, {0}, {}, {0xFFFFFFFF}},
        {"And", Op::And, {5, 9}, {}, {1}},
        {"And", Op::And, {5, 0}, {}, {0}},
        {"Or", Op::Or, {0, 9}, {}, {1}},
        {"Or", Op::Or, {0, 0}, {}, {0}},
        {"WithinOpen", Op::WithinOpen, {5, 1, 9}, {}, {1}},
        {"WithinOpen", Op::WithinOpen, {1, 1, 9}, {}, {0}},
        {"WithinClosed", Op::WithinClosed, {9, 1, 9}, {}, {1}},
        {"WithinClosed", Op::WithinClosed, {M(-2), M(-1), 9}, {}, {0}},
    });
}

TEST_F(ProcessorTest, InlineData) {
    // PushInlineData pushes the address of its first data word and continues after the data.
    const uint32_t code = Place({OpWord(Op::PushInlineData), 2, 111, 222, OpWord(Op::Fetch), kReturnWord});
    Cpu().ClassStack().Push(plainClass->Address());
    Cpu().Run(object.get(), code);
    EXPECT_EQ(Data(), std::vector<uint32_t>{111});

    // With count 0 it pushes the address of the next instruction word and continues there.
    SetData({});
    const uint32_t empty = Place({OpWord(Op::PushInlineData), 0, kReturnWord});
    Cpu().ClassStack().Push(plainClass->Address());
    Cpu().Run(object.get(), empty);
    EXPECT_EQ(Data(), std::vector<uint32_t>{empty + 8});

    // PushRelativeAddress counts from its offset word itself.
    SetData({});
    const uint32_t relative = Place({OpWord(Op::PushRelativeAddress), 3, kReturnWord});
    Cpu().ClassStack().Push(plainClass->Address());
    Cpu().Run(object.get(), relative);
    EXPECT_EQ(Data(), std::vector<uint32_t>{relative + 4 + 12});
}

TEST_F(ProcessorTest, DivisionFaultsAreEngineErrors) {
    struct Row {
        Op op;
        std::vector<uint32_t> before;
        const char* message;
    };
    const std::vector<Row> rows = {
        {Op::Div, {5, 0}, "Division by zero in script"},
        {Op::Mod, {5, 0}, "Division by zero in script"},
        {Op::Div, {kMin, M(-1)}, "Division overflow in script"},
        {Op::Mod, {kMin, M(-1)}, "Division overflow in script"},
    };
    for (const Row& row : rows) {
        SetData(row.before);
        EXPECT_EQ(ErrorMessage([&] { RunCode({OpWord(row.op), kReturnWord}); }), row.message);
        // Nothing was popped.
        EXPECT_EQ(Data(), row.before);
        ClearStacks();
    }
}

}  // namespace
