// Data stack shuffles and the stack limits.
#include "tests/script/processor_fixture.h"

namespace {

TEST_F(ProcessorTest, StackShuffles) {
    CheckAll({
        {"Dup", Op::Dup, {1, 2}, {}, {1, 2, 2}},
        {"Swap", Op::Swap, {1, 2}, {}, {2, 1}},
        {"Drop", Op::Drop, {1, 2}, {}, {1}},
        {"Rot", Op::Rot, {1, 2, 3}, {}, {2, 3, 1}},
        {"RotBack", Op::RotBack, {1, 2, 3}, {}, {3, 1, 2}},
        {"Over", Op::Over, {1, 2}, {}, {1, 2, 1}},
        {"DupTwo", Op::DupTwo, {9, 1, 2}, {}, {9, 1, 2, 1, 2}},
        {"Tuck", Op::Tuck, {1, 2}, {}, {2, 1, 2}},
        {"Pick", Op::Pick, {5, 6, 7, 0}, {}, {5, 6, 7, 7}},
        {"Pick", Op::Pick, {5, 6, 7, 2}, {}, {5, 6, 7, 5}},
        {"Roll", Op::Roll, {5, 6, 7, 0}, {}, {5, 6, 7}},
        {"Roll", Op::Roll, {5, 6, 7, 1}, {}, {5, 7, 6}},
        {"Roll", Op::Roll, {5, 6, 7, 2}, {}, {6, 7, 5}},
        {"DupIfNonZero", Op::DupIfNonZero, {3}, {}, {3, 3}},
        {"DupIfNonZero", Op::DupIfNonZero, {0}, {}, {0}},
        {"Depth", Op::Depth, {}, {}, {0}},
        {"Depth", Op::Depth, {8, 8}, {}, {8, 8, 2}},
        {"SwapTwo", Op::SwapTwo, {1, 2, 3, 4}, {}, {3, 4, 1, 2}},
        {"PickTwo", Op::PickTwo, {1, 2, 3}, {}, {1, 2, 3, 1}},
        {"Nip", Op::Nip, {1, 2}, {}, {2}},
        {"NipIfZero", Op::NipIfZero, {1, 2}, {}, {1, 2}},
        {"NipIfZero", Op::NipIfZero, {1, 0}, {}, {0}},
        {"RotTwo", Op::RotTwo, {1, 2, 3, 4, 5, 6}, {}, {3, 4, 5, 6, 1, 2}},
        {"DupN", Op::DupN, {1, 2, 3, 2}, {}, {1, 2, 3, 2, 3}},
        {"DupN", Op::DupN, {1, 2, 3, 0}, {}, {1, 2, 3}},
    });
}

TEST_F(ProcessorTest, PickAndRollMatchTheirShortForms) {
    // Pick 1 is Over; Roll 1 is Swap and Roll 2 is Rot.
    SetData({4, 5, 1});
    RunCode({OpWord(Op::Pick), kReturnWord});
    const std::vector<uint32_t> picked = Data();
    SetData({4, 5});
    RunCode({OpWord(Op::Over), kReturnWord});
    EXPECT_EQ(picked, Data());

    SetData({4, 5, 6, 2});
    RunCode({OpWord(Op::Roll), kReturnWord});
    const std::vector<uint32_t> rolled = Data();
    SetData({4, 5, 6});
    RunCode({OpWord(Op::Rot), kReturnWord});
    EXPECT_EQ(rolled, Data());
}

TEST_F(ProcessorTest, UnderflowLeavesTheStackAsItWas) {
    // Binary operations, shuffles and counted operations check their operands first.
    const std::vector<std::pair<Op, std::vector<uint32_t>>> rows = {
        {Op::Add, {1}},
        {Op::Dup, {}},
        {Op::Rot, {1, 2}},
        {Op::SwapTwo, {1, 2, 3}},
        {Op::RotTwo, {1, 2, 3, 4, 5}},
        {Op::Nip, {1}},
        {Op::Drop, {}},
    };
    for (const auto& row : rows) {
        const Op op = row.first;
        const std::vector<uint32_t>& before = row.second;
        SCOPED_TRACE(Operation(op).name);
        SetData(before);
        EXPECT_EQ(ErrorMessage([&] { RunCode({OpWord(op), kReturnWord}); }), "DStack underflow");
        EXPECT_EQ(Data(), before);
        ClearStacks();
    }
    // Pick and Roll of a value deeper than the stack; DupN of more values than there are.
    for (Op op : {Op::Pick, Op::Roll, Op::DupN}) {
        SetData({1, 2, 3});
        EXPECT_EQ(ErrorMessage([&] {
                      RunCode({OpWord(op), kReturnWord});
                  }),
                  "DStack underflow")
            << Operation(op).name;
        ClearStacks();
    }
}

TEST_F(ProcessorTest, OverflowAtCapacity) {
    // The fixture's data stack holds 63 values.
    std::vector<uint32_t> full(63, 7);
    for (Op op : {Op::Dup, Op::PushZero, Op::DupTwo, Op::Tuck}) {
        SCOPED_TRACE(Operation(op).name);
        SetData(full);
        EXPECT_EQ(ErrorMessage([&] { RunCode({OpWord(op), kReturnWord}); }), "DStack overflow");
        EXPECT_EQ(Data(), full);
        ClearStacks();
    }
    // DupN of more values than there is room for.
    std::vector<uint32_t> half(40, 1);
    half.push_back(39);
    SetData(half);
    EXPECT_EQ(ErrorMessage([&] { RunCode({OpWord(Op::DupN), kReturnWord}); }), "DStack overflow");
}

}  // namespace
