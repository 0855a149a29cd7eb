// Data stack shuffles and the stack limits.
#include "tests/script/processor_fixture.h"

namespace {

TEST_F(ProcessorTest, StackShuffles) {
    CheckAll({
        {"Dup", 26, {1, 2}, {}, {1, 2, 2}},
        {"Swap", 27, {1, 2}, {}, {2, 1}},
        {"Drop", 28, {1, 2}, {}, {1}},
        {"Rot", 29, {1, 2, 3}, {}, {2, 3, 1}},
        {"RotBack", 30, {1, 2, 3}, {}, {3, 1, 2}},
        {"Over", 31, {1, 2}, {}, {1, 2, 1}},
        {"DupTwo", 32, {9, 1, 2}, {}, {9, 1, 2, 1, 2}},
        {"Tuck", 50, {1, 2}, {}, {2, 1, 2}},
        {"Pick", 51, {5, 6, 7, 0}, {}, {5, 6, 7, 7}},
        {"Pick", 51, {5, 6, 7, 2}, {}, {5, 6, 7, 5}},
        {"Roll", 52, {5, 6, 7, 0}, {}, {5, 6, 7}},
        {"Roll", 52, {5, 6, 7, 1}, {}, {5, 7, 6}},
        {"Roll", 52, {5, 6, 7, 2}, {}, {6, 7, 5}},
        {"DupIfNonZero", 53, {3}, {}, {3, 3}},
        {"DupIfNonZero", 53, {0}, {}, {0}},
        {"Depth", 54, {}, {}, {0}},
        {"Depth", 54, {8, 8}, {}, {8, 8, 2}},
        {"SwapTwo", 55, {1, 2, 3, 4}, {}, {3, 4, 1, 2}},
        {"PickTwo", 72, {1, 2, 3}, {}, {1, 2, 3, 1}},
        {"Nip", 73, {1, 2}, {}, {2}},
        {"NipIfZero", 77, {1, 2}, {}, {1, 2}},
        {"NipIfZero", 77, {1, 0}, {}, {0}},
        {"RotTwo", 92, {1, 2, 3, 4, 5, 6}, {}, {3, 4, 5, 6, 1, 2}},
        {"DupN", 123, {1, 2, 3, 2}, {}, {1, 2, 3, 2, 3}},
        {"DupN", 123, {1, 2, 3, 0}, {}, {1, 2, 3}},
    });
}

TEST_F(ProcessorTest, PickAndRollMatchTheirShortForms) {
    // Pick 1 is Over; Roll 1 is Swap and Roll 2 is Rot.
    SetData({4, 5, 1});
    RunCode({Op(51), kReturnWord});
    const std::vector<uint32_t> picked = Data();
    SetData({4, 5});
    RunCode({Op(31), kReturnWord});
    EXPECT_EQ(picked, Data());

    SetData({4, 5, 6, 2});
    RunCode({Op(52), kReturnWord});
    const std::vector<uint32_t> rolled = Data();
    SetData({4, 5, 6});
    RunCode({Op(29), kReturnWord});
    EXPECT_EQ(rolled, Data());
}

TEST_F(ProcessorTest, UnderflowLeavesTheStackAsItWas) {
    // Binary operations, shuffles and counted operations check their operands first.
    const std::vector<std::pair<uint32_t, std::vector<uint32_t>>> rows = {
        {6, {1}}, {26, {}}, {29, {1, 2}}, {55, {1, 2, 3}}, {92, {1, 2, 3, 4, 5}}, {73, {1}}, {28, {}},
    };
    for (const auto& row : rows) {
        const uint32_t slot = row.first;
        const std::vector<uint32_t>& before = row.second;
        SCOPED_TRACE(Operation(slot).name);
        SetData(before);
        EXPECT_EQ(ErrorMessage([&] { RunCode({Op(slot), kReturnWord}); }), "DStack underflow");
        EXPECT_EQ(Data(), before);
        ClearStacks();
    }
    // Pick and Roll of a value deeper than the stack; DupN of more values than there are.
    for (uint32_t slot : {51u, 52u, 123u}) {
        SetData({1, 2, 3});
        EXPECT_EQ(ErrorMessage([&] { RunCode({Op(slot), kReturnWord}); }), "DStack underflow") << slot;
        ClearStacks();
    }
}

TEST_F(ProcessorTest, OverflowAtCapacity) {
    // The fixture's data stack holds 63 values.
    std::vector<uint32_t> full(63, 7);
    for (uint32_t slot : {26u, 124u, 32u, 50u}) {
        SCOPED_TRACE(Operation(slot).name);
        SetData(full);
        EXPECT_EQ(ErrorMessage([&] { RunCode({Op(slot), kReturnWord}); }), "DStack overflow");
        EXPECT_EQ(Data(), full);
        ClearStacks();
    }
    // DupN of more values than there is room for.
    std::vector<uint32_t> half(40, 1);
    half.push_back(39);
    SetData(half);
    EXPECT_EQ(ErrorMessage([&] { RunCode({Op(123), kReturnWord}); }), "DStack overflow");
}

}  // namespace
