// Jumps, the return stack and loops built on it.
#include "tests/script/processor_fixture.h"
#include "tests/support/script_assembler.h"

namespace {

constexpr uint32_t M(int32_t v) { return static_cast<uint32_t>(v); }
constexpr uint32_t kPushOne = 125, kPushTwo = 126, kSwap = 27, kToReturn = 64, kFromReturn = 65,
                   kDropReturn = 78;

struct JumpCase {
    const char* name;
    uint32_t slot;
    std::vector<uint32_t> before;
    std::vector<uint32_t> after;  // PushOne is skipped when the jump is taken; PushTwo always runs
};

TEST_F(ProcessorTest, ConditionalJumps) {
    const std::vector<JumpCase> cases = {
        {"Jump", 34, {}, {2}},
        {"Jump", 37, {}, {2}},
        {"Jump", 38, {}, {2}},
        {"Jump", 41, {}, {2}},
        {"JumpIfZero", 33, {0}, {2}},
        {"JumpIfZero", 40, {5}, {1, 2}},
        {"JumpIfNonZero", 39, {5}, {2}},
        {"JumpIfNonZero", 39, {0}, {1, 2}},
        {"JumpIfZeroKeep", 35, {0}, {0, 2}},
        {"JumpIfZeroKeep", 35, {5}, {5, 1, 2}},
        {"JumpIfNonZeroKeep", 36, {5}, {5, 2}},
        {"JumpIfNonZeroKeep", 36, {0}, {1, 2}},
        {"JumpDropIfZero", 134, {0}, {2}},
        {"JumpDropIfZero", 134, {5}, {5, 1, 2}},
    };
    for (const JumpCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_STREQ(Operation(c.slot).name, c.name);
        SetData(c.before);
        RunCode({Op(c.slot), 1, Op(kPushOne), Op(kPushTwo), kReturnWord});
        EXPECT_EQ(Data(), c.after);
    }
}

TEST_F(ProcessorTest, JumpOffsetsCountFromTheWordAfterTheOffset) {
    // Offset 0 continues with the next word.
    RunCode({Op(34), 0, Op(kPushOne), kReturnWord});
    EXPECT_EQ(Data(), std::vector<uint32_t>{1});

    // Offset -2 repeats the jump's own word.
    const uint32_t code = Place({Op(34), M(-2)});
    Cpu().SetPC(code);
    EXPECT_FALSE(Cpu().Step());
    EXPECT_EQ(Cpu().PC(), code);
}

TEST_F(ProcessorTest, ReturnStackOperations) {
    struct Row {
        const char* what;
        std::vector<uint32_t> before;
        std::vector<uint32_t> code;
        std::vector<uint32_t> after;
    };
    const std::vector<Row> rows = {
        {"PushReturnAndJump", {7}, {Op(42), 1, Op(kPushOne), Op(kFromReturn)}, {7, 7}},
        {"PushReturnAndJump 115", {7}, {Op(115), 1, Op(kPushOne), Op(kFromReturn)}, {7, 7}},
        {"CopyToReturn", {7}, {Op(43), Op(kFromReturn)}, {7, 7}},
        {"CopyToReturn 79", {7}, {Op(79), Op(kFromReturn)}, {7, 7}},
        {"JumpIfZeroDropReturn taken",
         {9, 0},
         {Op(kSwap), Op(kToReturn), Op(44), 1, Op(kFromReturn), Op(kPushTwo)},
         {2}},
        {"JumpIfZeroDropReturn not taken",
         {9, 5},
         {Op(kSwap), Op(kToReturn), Op(44), 1, Op(kFromReturn), Op(kPushTwo)},
         {9, 2}},
        {"PopReturnAndJump", {9}, {Op(kToReturn), Op(45), 1, Op(kPushOne), Op(kPushTwo)}, {9, 2}},
        {"DropReturnAndJump", {9}, {Op(kToReturn), Op(46), 1, Op(kPushOne), Op(kPushTwo)}, {2}},
        {"DropReturnAndJump 116", {9}, {Op(kToReturn), Op(116), 1, Op(kPushOne), Op(kPushTwo)}, {2}},
        {"ReturnTop Second Third",
         {1, 2, 3},
         {Op(kToReturn), Op(kToReturn), Op(kToReturn), Op(47), Op(48), Op(49), Op(66), Op(kDropReturn),
          Op(kDropReturn), Op(kDropReturn)},
         {1, 2, 3, 1}},
        {"ReturnPick",
         {1, 2, 3},
         {Op(kToReturn), Op(kToReturn), Op(kToReturn), Op(kPushTwo), Op(80), Op(kDropReturn), Op(kDropReturn),
          Op(kDropReturn)},
         {3}},
        {"JumpIfZeroPushReturn taken",
         {9, 0},
         {Op(kSwap), Op(kToReturn), Op(117), 1, Op(kPushOne), Op(kPushTwo), Op(kDropReturn)},
         {9, 2}},
        {"JumpIfZeroPushReturn not taken",
         {9, 5},
         {Op(kSwap), Op(kToReturn), Op(117), 1, Op(kPushOne), Op(kPushTwo), Op(kDropReturn)},
         {1, 2}},
        {"JumpIfNotEqualPushReturn equal",
         {9, 4, 4},
         {Op(29), Op(kToReturn), Op(118), 1, Op(kPushOne), Op(kPushTwo), Op(kDropReturn)},
         {1, 2}},
        {"JumpIfNotEqualPushReturn different",
         {9, 4, 5},
         {Op(29), Op(kToReturn), Op(118), 1, Op(kPushOne), Op(kPushTwo), Op(kDropReturn)},
         {9, 2}},
        {"DropBoth", {9, 8}, {Op(kSwap), Op(kToReturn), Op(119)}, {}},
        // x1 ends on top of the return stack; FromReturnN brings the values back in order.
        {"ToReturnN and FromReturnN", {1, 2, 3, 3}, {Op(137), Op(47), Op(4), 3, Op(138)}, {1, 1, 2, 3}},
        {"ToReturnN of nothing", {5, 0}, {Op(137)}, {5}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        SetData(row.before);
        std::vector<uint32_t> code = row.code;
        code.push_back(kReturnWord);
        const uint32_t depth = Cpu().ReturnStack().Depth();
        EXPECT_EQ(ErrorMessage([&] { RunCode(code); }), "no error");
        EXPECT_EQ(Data(), row.after);
        EXPECT_EQ(Cpu().ReturnStack().Depth(), depth);
        ClearStacks();
    }
}

TEST_F(ProcessorTest, ReturnStackLoopSums) {
    // sum 1..10 with the local's address on the return stack and JumpIfNotEqualPushReturn closing
    // the loop.
    ScriptAssembler a;
    a.Op(125);
    a.Op(96);  // one local
    a.Op(124);
    a.Op(124);
    a.Op(98);
    a.Op(57);  // local 0 = 0
    a.Op(124);
    a.Op(98);
    a.Op(64);  // R: address of local 0
    a.Op(125);
    a.Op(47);  // D: 1 address
    auto loop = a.NewLabel();
    a.Bind(loop);
    a.Op(31);
    a.Op(27);
    a.Op(82);  // local 0 += i
    a.Op(11);
    a.Op(26);
    a.Op(4, {11});
    a.Jump(118, loop);
    a.Op(28);
    a.Op(78);
    a.Op(124);
    a.Op(98);
    a.Op(56);  // the sum
    a.Op(125);
    a.Op(97);
    a.Return();
    RunCode(a.Finish());
    EXPECT_EQ(Data(), std::vector<uint32_t>{55});
    EXPECT_EQ(Cpu().LocalsStack().Depth(), 0u);
}

TEST_F(ProcessorTest, ReturnStackFaults) {
    // A value moved to the return stack and left there is not a place to return to.
    SetData({5});
    EXPECT_EQ(ErrorMessage([&] { RunCode({Op(kToReturn), kReturnWord}); }),
              "Return to 0x00000005, which is not a code address");
    ClearStacks();

    // A method that drops its own return address would return into its caller's frame.
    Cpu().ReturnStack().Push(0x12345678);
    EXPECT_EQ(ErrorMessage([&] { RunCode({Op(kDropReturn), kReturnWord}); }),
              "Script method returned past its caller to 0x12345678");
    ClearStacks();

    // Empty return stack for the return-stack reads.
    Cpu().SetPC(Place({Op(47)}));
    EXPECT_EQ(ErrorMessage([&] { Cpu().Step(); }), "DStack underflow");
}

}  // namespace
