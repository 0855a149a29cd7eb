// Constants, inline data, integer arithmetic (wrapping at 32 bits) and comparisons and logic.
#include "tests/script/processor_fixture.h"

namespace {

constexpr uint32_t kMin = 0x80000000u;  // the smallest 32-bit integer
constexpr uint32_t kMax = 0x7FFFFFFFu;
constexpr uint32_t M(int32_t v) { return static_cast<uint32_t>(v); }

TEST_F(ProcessorTest, Constants) {
    CheckAll({
        {"Nop", 1, {7}, {}, {7}},
        {"Nop", 69, {}, {}, {}},
        {"PushInline", 4, {1}, {0xDEADBEEF}, {1, 0xDEADBEEF}},
        {"PushInline", 62, {}, {M(-5)}, {M(-5)}},
        {"PushZero", 124, {}, {}, {0}},
        {"PushOne", 125, {}, {}, {1}},
        {"PushTwo", 126, {}, {}, {2}},
        {"PushFour", 127, {}, {}, {4}},
        {"PushMinusOne", 128, {}, {}, {M(-1)}},
        {"PushMinusTwo", 129, {}, {}, {M(-2)}},
        {"PushMinusFour", 130, {}, {}, {M(-4)}},
    });
}

TEST_F(ProcessorTest, Arithmetic) {
    CheckAll({
        {"Add", 6, {2, 3}, {}, {5}},
        {"Add", 6, {kMax, 1}, {}, {kMin}},
        {"Sub", 7, {7, 3}, {}, {4}},
        {"Sub", 7, {kMin, 1}, {}, {kMax}},
        {"Mul", 8, {M(-6), 7}, {}, {M(-42)}},
        {"Mul", 8, {0x10000, 0x10001}, {}, {0x10000}},
        {"Div", 9, {M(-7), 2}, {}, {M(-3)}},
        {"Div", 9, {7, M(-2)}, {}, {M(-3)}},
        {"Mod", 10, {M(-7), 2}, {}, {M(-1)}},
        {"Mod", 10, {7, M(-2)}, {}, {1}},
        {"Increment", 11, {kMax}, {}, {kMin}},
        {"Decrement", 12, {0}, {}, {M(-1)}},
        {"Abs", 81, {M(-9)}, {}, {9}},
        {"Abs", 81, {kMin}, {}, {kMin}},
        {"ShiftLeftOne", 84, {0x80000001}, {}, {2}},
        {"ShiftRightOne", 85, {0xFFFFFFFE}, {}, {0x7FFFFFFF}},
        {"ShiftLeftTwo", 86, {M(-3)}, {}, {M(-12)}},
        {"ShiftRightTwo", 87, {0xFFFFFFFF}, {}, {0x3FFFFFFF}},
        {"Min", 88, {M(-1), 1}, {}, {M(-1)}},
        {"Max", 89, {M(-1), 1}, {}, {1}},
        {"TimesHundred", 139, {M(-3)}, {}, {M(-300)}},
        {"TimesHundred", 139, {0x7FFFFFFF}, {}, {0x7FFFFFFFu * 100u}},
        {"DivHundred", 140, {M(-250)}, {}, {M(-2)}},
        {"SwapHalves", 74, {0x12345678}, {}, {0x56781234}},
        {"SplitHalves", 75, {0x12345678}, {}, {0x5678, 0x1234}},
        {"NipLowHalf", 76, {9, 0xABCD1234}, {}, {0x1234}},
    });
}

TEST_F(ProcessorTest, ComparisonsAndLogic) {
    CheckAll({
        {"Greater", 13, {7, 3}, {}, {1}},
        {"Greater", 13, {M(-1), 1}, {}, {0}},
        {"Less", 14, {7, 3}, {}, {0}},
        {"Less", 14, {M(-1), 1}, {}, {1}},
        {"Equal", 15, {5, 5}, {}, {1}},
        {"Not", 16, {0}, {}, {1}},
        {"Not", 16, {42}, {}, {0}},
        {"GreaterEqual", 17, {3, 3}, {}, {1}},
        {"LessEqual", 18, {4, 3}, {}, {0}},
        {"NotEqual", 19, {4, 3}, {}, {1}},
        {"BitAnd", 20, {0xF0F0, 0x3C3C}, {}, {0x3030}},
        {"BitOr", 21, {0xF0F0, 0x0F00}, {}, {0xFFF0}},
        {"BitXor", 22, {0xFF00, 0x0FF0}, {}, {0xF0F0}},
        {"BitNot", 23, {0}, {}, {0xFFFFFFFF}},
        {"And", 24, {5, 9}, {}, {1}},
        {"And", 24, {5, 0}, {}, {0}},
        {"Or", 25, {0, 9}, {}, {1}},
        {"Or", 25, {0, 0}, {}, {0}},
        {"WithinOpen", 90, {5, 1, 9}, {}, {1}},
        {"WithinOpen", 90, {1, 1, 9}, {}, {0}},
        {"WithinClosed", 91, {9, 1, 9}, {}, {1}},
        {"WithinClosed", 91, {M(-2), M(-1), 9}, {}, {0}},
    });
}

TEST_F(ProcessorTest, InlineData) {
    // PushInlineData pushes the address of its first data word and continues after the data.
    const uint32_t code = Place({Op(5), 2, 111, 222, Op(56), kReturnWord});
    Cpu().ClassStack().Push(plainClass->Address());
    Cpu().Run(object.get(), code);
    EXPECT_EQ(Data(), std::vector<uint32_t>{111});

    // With count 0 it pushes the address of the next instruction word and continues there.
    SetData({});
    const uint32_t empty = Place({Op(5), 0, kReturnWord});
    Cpu().ClassStack().Push(plainClass->Address());
    Cpu().Run(object.get(), empty);
    EXPECT_EQ(Data(), std::vector<uint32_t>{empty + 8});

    // PushRelativeAddress counts from its offset word itself.
    SetData({});
    const uint32_t relative = Place({Op(141), 3, kReturnWord});
    Cpu().ClassStack().Push(plainClass->Address());
    Cpu().Run(object.get(), relative);
    EXPECT_EQ(Data(), std::vector<uint32_t>{relative + 4 + 12});
}

TEST_F(ProcessorTest, DivisionFaultsAreEngineErrors) {
    struct Row {
        uint32_t slot;
        std::vector<uint32_t> before;
        const char* message;
    };
    const std::vector<Row> rows = {
        {9, {5, 0}, "Division by zero in script"},
        {10, {5, 0}, "Division by zero in script"},
        {9, {kMin, M(-1)}, "Division overflow in script"},
        {10, {kMin, M(-1)}, "Division overflow in script"},
    };
    for (const Row& row : rows) {
        SetData(row.before);
        EXPECT_EQ(ErrorMessage([&] { RunCode({Op(row.slot), kReturnWord}); }), row.message);
        // Nothing was popped.
        EXPECT_EQ(Data(), row.before);
        ClearStacks();
    }
}

}  // namespace
