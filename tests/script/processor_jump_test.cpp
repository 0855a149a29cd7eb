// Jumps, the return stack and loops built on it.
#include "tests/script/processor_fixture.h"
#include "tools/content/script_assembler.h"

namespace {

constexpr uint32_t M(int32_t v) {
    return static_cast<uint32_t>(v);
}
struct JumpCase {
    const char* name;
    Op op;
    std::vector<uint32_t> before;
    std::vector<uint32_t> after;  // PushOne is skipped when the jump is taken; PushTwo always runs
};

TEST_F(ProcessorTest, ConditionalJumps) {
    const std::vector<JumpCase> cases = {
        {"Jump", Op::Jump, {}, {2}},
        {"Jump", Op::Jump37, {}, {2}},
        {"Jump", Op::Jump38, {}, {2}},
        {"Jump", Op::Jump41, {}, {2}},
        {"JumpIfZero", Op::JumpIfZero, {0}, {2}},
        {"JumpIfZero", Op::JumpIfZero40, {5}, {1, 2}},
        {"JumpIfNonZero", Op::JumpIfNonZero, {5}, {2}},
        {"JumpIfNonZero", Op::JumpIfNonZero, {0}, {1, 2}},
        {"JumpIfZeroKeep", Op::JumpIfZeroKeep, {0}, {0, 2}},
        {"JumpIfZeroKeep", Op::JumpIfZeroKeep, {5}, {5, 1, 2}},
        {"JumpIfNonZeroKeep", Op::JumpIfNonZeroKeep, {5}, {5, 2}},
        {"JumpIfNonZeroKeep", Op::JumpIfNonZeroKeep, {0}, {1, 2}},
        {"JumpDropIfZero", Op::JumpDropIfZero, {0}, {2}},
        {"JumpDropIfZero", Op::JumpDropIfZero, {5}, {5, 1, 2}},
    };
    for (const JumpCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_STREQ(Operation(c.op).name, c.name);
        SetData(c.before);
        RunCode({OpWord(c.op), 1, OpWord(Op::PushOne), OpWord(Op::PushTwo), kReturnWord});
        EXPECT_EQ(Data(), c.after);
    }
}

TEST_F(ProcessorTest, JumpOffsetsCountFromTheWordAfterTheOffset) {
    // Offset 0 continues with the next word.
    RunCode({OpWord(Op::Jump), 0, OpWord(Op::PushOne), kReturnWord});
    EXPECT_EQ(Data(), std::vector<uint32_t>{1});

    // Offset -2 repeats the jump's own word.
    const uint32_t code = Place({OpWord(Op::Jump), M(-2)});
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
        {"PushReturnAndJump",
         {7},
         {OpWord(Op::PushReturnAndJump), 1, OpWord(Op::PushOne), OpWord(Op::FromReturn)},
         {7, 7}},
        {"PushReturnAndJump 115",
         {7},
         {OpWord(Op::PushReturnAndJump115), 1, OpWord(Op::PushOne), OpWord(Op::FromReturn)},
         {7, 7}},
        {"CopyToReturn", {7}, {OpWord(Op::CopyToReturn), OpWord(Op::FromReturn)}, {7, 7}},
        {"CopyToReturn 79", {7}, {OpWord(Op::CopyToReturn79), OpWord(Op::FromReturn)}, {7, 7}},
        {"JumpIfZeroDropReturn taken",
         {9, 0},
         {OpWord(Op::Swap), OpWord(Op::ToReturn), OpWord(Op::JumpIfZeroDropReturn), 1, OpWord(Op::FromReturn),
          OpWord(Op::PushTwo)},
         {2}},
        {"JumpIfZeroDropReturn not taken",
         {9, 5},
         {OpWord(Op::Swap), OpWord(Op::ToReturn), OpWord(Op::JumpIfZeroDropReturn), 1, OpWord(Op::FromReturn),
          OpWord(Op::PushTwo)},
         {9, 2}},
        {"PopReturnAndJump",
         {9},
         {OpWord(Op::ToReturn), OpWord(Op::PopReturnAndJump), 1, OpWord(Op::PushOne), OpWord(Op::PushTwo)},
         {9, 2}},
        {"DropReturnAndJump",
         {9},
         {OpWord(Op::ToReturn), OpWord(Op::DropReturnAndJump), 1, OpWord(Op::PushOne), OpWord(Op::PushTwo)},
         {2}},
        {"DropReturnAndJump 116",
         {9},
         {OpWord(Op::ToReturn), OpWord(Op::DropReturnAndJump116), 1, OpWord(Op::PushOne),
          OpWord(Op::PushTwo)},
         {2}},
        {"ReturnTop Second Third",
         {1, 2, 3},
         {OpWord(Op::ToReturn), OpWord(Op::ToReturn), OpWord(Op::ToReturn), OpWord(Op::ReturnTop),
          OpWord(Op::ReturnSecond), OpWord(Op::ReturnThird), OpWord(Op::ReturnTop66), OpWord(Op::DropReturn),
          OpWord(Op::DropReturn), OpWord(Op::DropReturn)},
         {1, 2, 3, 1}},
        {"ReturnPick",
         {1, 2, 3},
         {OpWord(Op::ToReturn), OpWord(Op::ToReturn), OpWord(Op::ToReturn), OpWord(Op::PushTwo),
          OpWord(Op::ReturnPick), OpWord(Op::DropReturn), OpWord(Op::DropReturn), OpWord(Op::DropReturn)},
         {3}},
        {"JumpIfZeroPushReturn taken",
         {9, 0},
         {OpWord(Op::Swap), OpWord(Op::ToReturn), OpWord(Op::JumpIfZeroPushReturn), 1, OpWord(Op::PushOne),
          OpWord(Op::PushTwo), OpWord(Op::DropReturn)},
         {9, 2}},
        {"JumpIfZeroPushReturn not taken",
         {9, 5},
         {OpWord(Op::Swap), OpWord(Op::ToReturn), OpWord(Op::JumpIfZeroPushReturn), 1, OpWord(Op::PushOne),
          OpWord(Op::PushTwo), OpWord(Op::DropReturn)},
         {1, 2}},
        {"JumpIfNotEqualPushReturn equal",
         {9, 4, 4},
         {OpWord(Op::Rot), OpWord(Op::ToReturn), OpWord(Op::JumpIfNotEqualPushReturn), 1, OpWord(Op::PushOne),
          OpWord(Op::PushTwo), OpWord(Op::DropReturn)},
         {1, 2}},
        {"JumpIfNotEqualPushReturn different",
         {9, 4, 5},
         {OpWord(Op::Rot), OpWord(Op::ToReturn), OpWord(Op::JumpIfNotEqualPushReturn), 1, OpWord(Op::PushOne),
          OpWord(Op::PushTwo), OpWord(Op::DropReturn)},
         {9, 2}},
        {"DropBoth", {9, 8}, {OpWord(Op::Swap), OpWord(Op::ToReturn), OpWord(Op::DropBoth)}, {}},
        // x1 ends on top of the return stack; FromReturnN brings the values back in order.
        {"ToReturnN and FromReturnN",
         {1, 2, 3, 3},
         {OpWord(Op::ToReturnN), OpWord(Op::ReturnTop), OpWord(Op::PushInline), 3, OpWord(Op::FromReturnN)},
         {1, 1, 2, 3}},
        {"ToReturnN of nothing", {5, 0}, {OpWord(Op::ToReturnN)}, {5}},
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
    a.Op(Op::PushOne);
    a.Op(Op::AllocateLocals);  // one local
    a.Op(Op::PushZero);
    a.Op(Op::PushZero);
    a.Op(Op::LocalAddress);
    a.Op(Op::Store);  // local 0 = 0
    a.Op(Op::PushZero);
    a.Op(Op::LocalAddress);
    a.Op(Op::ToReturn);  // R: address of local 0
    a.Op(Op::PushOne);
    a.Op(Op::ReturnTop);  // D: 1 address
    auto loop = a.NewLabel();
    a.Bind(loop);
    a.Op(Op::Over);
    a.Op(Op::Swap);
    a.Op(Op::AddToMemory);  // local 0 += i
    a.Op(Op::Increment);
    a.Op(Op::Dup);
    a.Op(Op::PushInline, {11});
    a.Jump(Op::JumpIfNotEqualPushReturn, loop);
    a.Op(Op::Drop);
    a.Op(Op::DropReturn);
    a.Op(Op::PushZero);
    a.Op(Op::LocalAddress);
    a.Op(Op::Fetch);  // the sum
    a.Op(Op::PushOne);
    a.Op(Op::FreeLocals);
    a.Return();
    RunCode(a.Finish());
    EXPECT_EQ(Data(), std::vector<uint32_t>{55});
    EXPECT_EQ(Cpu().LocalsStack().Depth(), 0u);
}

TEST_F(ProcessorTest, ReturnStackFaults) {
    // A value moved to the return stack and left there is not a place to return to.
    SetData({5});
    EXPECT_EQ(ErrorMessage([&] {
                  RunCode({OpWord(Op::ToReturn), kReturnWord});
              }),
              "Return to 0x00000005, which is not a code address");
    ClearStacks();

    // A method that drops its own return address would return into its caller's frame.
    Cpu().ReturnStack().Push(0x12345678);
    EXPECT_EQ(ErrorMessage([&] {
                  RunCode({OpWord(Op::DropReturn), kReturnWord});
              }),
              "Script method returned past its caller to 0x12345678");
    ClearStacks();

    // Empty return stack for the return-stack reads.
    Cpu().SetPC(Place({OpWord(Op::ReturnTop)}));
    EXPECT_EQ(ErrorMessage([&] { Cpu().Step(); }), "DStack underflow");
}

}  // namespace

namespace {

struct Stopped {};

}  // namespace

TEST_F(ProcessorTest, AStopRequestEndsAnEndlessLoop) {
    // The loop counts up in a local forever; the hook asks to stop once it has been polled a few
    // times, and from then on the next poll ends the run.
    uint32_t polls = 0;
    uint32_t requestedAt = 0;
    uint32_t counter = 0;
    Cpu().SetStopHook([&] {
        ++polls;
        if (requestedAt != 0) throw Stopped{};
        if (polls == 3) requestedAt = ScriptLoad32(counter);
    });
    counter = Place({0});
    const std::vector<uint32_t> loop{OpWord(Op::PushInline), counter, OpWord(Op::IncrementMemory),
                                     OpWord(Op::Jump), M(-5)};
    EXPECT_THROW(RunCode(loop), Stopped);
    EXPECT_EQ(polls, 4u);
    // Stopped within one poll interval of the request, a few microseconds of a loop like this.
    EXPECT_LE(ScriptLoad32(counter) - requestedAt, Processor::kStopPollInterval);
}
