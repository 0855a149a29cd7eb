// Sequences that decoded code runs as one instruction (a comparison and a conditional jump, a
// constant and a local access or a test, a copy of the top before those, a counter step before a test) must
// behave exactly like their words run one at a time: same stacks, same locals, same PC and the same
// error. Every case runs both ways: Run (sequences joined) and Step (one word at a time).
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "tests/script/processor_fixture.h"

namespace {

constexpr uint32_t M(int32_t v) {
    return static_cast<uint32_t>(v);
}

// The machine state a case starts from and ends with.
struct State {
    std::vector<uint32_t> data = {};
    std::vector<uint32_t> locals = {};   // slot 1 first (local 0 is the last)
    std::vector<uint32_t> returns = {};  // the return stack, bottom first
    std::string error = "no error";
    uint32_t pc = 0;  // where an error stopped, from the first word

    bool operator==(const State&) const = default;
};

std::ostream& operator<<(std::ostream& out, const State& s) {
    auto list = [&out](const char* name, const std::vector<uint32_t>& v) {
        out << name << " {";
        for (uint32_t x : v) out << ' ' << static_cast<int32_t>(x);
        out << " } ";
    };
    list("data", s.data);
    list("locals", s.locals);
    list("returns", s.returns);
    return out << "error \"" << s.error << "\" pc " << s.pc;
}

class ProcessorLookAheadTest : public ProcessorTest {
  protected:
    // Runs the code from the start state both ways and expects the same end state; returns it.
    // With at, the code is written there instead of into a block of its own (and cleared after).
    State Both(const std::vector<uint32_t>& code, const State& start, uint32_t at = 0) {
        const State joined = Once(code, start, false, at);
        const State stepped = Once(code, start, true, at);
        EXPECT_EQ(joined, stepped) << Listing(code);
        return joined;
    }

    static std::string Listing(const std::vector<uint32_t>& code) {
        std::string text = "code:";
        for (uint32_t w : code) {
            text += ' ';
            text += (w >> 28) == 0xF && w != kReturnWord ? "op" + std::to_string(w & 0x0FFFFFFF)
                                                         : std::to_string(static_cast<int32_t>(w));
        }
        return text;
    }

  private:
    State Once(const std::vector<uint32_t>& code, const State& start, bool stepped, uint32_t at) {
        ClearStacks();
        Processor& p = Cpu();
        SetData(start.data);
        for (uint32_t v : start.locals) p.LocalsStack().Push(v);
        for (uint32_t v : start.returns) p.ReturnStack().Push(v);
        // Code written at a given address (the end of the address space) is cleared afterwards.
        const bool placed = at == 0;
        if (placed) {
            at = Place(code);
        } else {
            // Through the checked store, which drops code decoded from these words before.
            for (size_t i = 0; i < code.size(); ++i) PokeWord(at + 4 * static_cast<uint32_t>(i), code[i]);
        }
        State end;
        end.error = ErrorMessage([&] {
            p.ClassStack().Push(plainClass->Address());
            p.SetPC(caller_);
            if (stepped) {
                // What Run does before it runs the words.
                p.ReturnStack().Push(caller_);
                p.ObjectStack().Push(object->Address());
                p.SetPC(at);
                for (int steps = 0; steps < 10000 && !p.Step(); ++steps) {
                }
            } else {
                p.Run(object.get(), at);
            }
        });
        if (end.error != "no error") end.pc = p.PC() - at;
        end.data = Data();
        DStack<uint32_t>& locals = p.LocalsStack();
        for (uint32_t d = locals.Depth(); d > 0; --d) end.locals.push_back(locals.Peek(d - 1));
        DStack<ReturnAddress>& returns = p.ReturnStack();
        for (uint32_t d = returns.Depth(); d > 0; --d) end.returns.push_back(returns.Peek(d - 1));
        if (!placed) {
            for (size_t i = 0; i < code.size(); ++i) PokeWord(at + 4 * static_cast<uint32_t>(i), 0);
        }
        return end;
    }

    uint32_t caller_ = Place({kReturnWord});
};

TEST_F(ProcessorLookAheadTest, ComparisonsBeforeConditionalJumps) {
    // a b cmp J(+1) PushOne PushTwo: PushOne is skipped when the jump is taken.
    const Op comparisons[] = {Op::Greater,      Op::Less,      Op::Equal,
                              Op::GreaterEqual, Op::LessEqual, Op::NotEqual};
    const Op jumps[] = {Op::JumpIfZero, Op::JumpIfZero40, Op::JumpIfNonZero};
    const std::vector<std::pair<uint32_t, uint32_t>> pairs = {
        {1, 2}, {2, 2}, {3, 2}, {M(-1), 1}, {0x80000000u, 0x7FFFFFFFu}, {0x7FFFFFFFu, 0x80000000u}};
    for (Op cmp : comparisons) {
        for (Op jump : jumps) {
            for (const auto& [a, b] : pairs) {
                SCOPED_TRACE(testing::Message() << "cmp " << ToSlot(cmp) << " jump " << ToSlot(jump) << " a "
                                                << a << " b " << b);
                // Directly, after a constant, and after a copy of the top and a constant.
                Both({OpWord(cmp), OpWord(jump), 1, OpWord(Op::PushOne), OpWord(Op::PushTwo), kReturnWord},
                     State{{9, a, b}});
                Both({OpWord(Op::PushInline), b, OpWord(cmp), OpWord(jump), 1, OpWord(Op::PushOne),
                      OpWord(Op::PushTwo), kReturnWord},
                     State{{9, a}});
                Both({OpWord(Op::Dup), OpWord(Op::PushInline), b, OpWord(cmp), OpWord(jump), 1,
                      OpWord(Op::PushOne), kReturnWord},
                     State{{9, a}});
                Both({OpWord(Op::Decrement), OpWord(Op::Dup), OpWord(Op::PushInline62), b, OpWord(cmp),
                      OpWord(jump), 1, OpWord(Op::PushOne), kReturnWord},
                     State{{9, a + 1}});
            }
        }
    }
    // Small constants, and "Not", which is no comparison.
    for (Op push : {Op::PushZero, Op::PushOne, Op::PushTwo, Op::PushMinusOne}) {
        Both({OpWord(push), OpWord(Op::Less), OpWord(Op::JumpIfNonZero), 1, OpWord(Op::PushOne), kReturnWord},
             State{{0}});
        Both({OpWord(Op::Increment), OpWord(Op::Dup), OpWord(push), OpWord(Op::Greater),
              OpWord(Op::JumpIfZero), 1, OpWord(Op::PushOne), kReturnWord},
             State{{0}});
    }
    Both({OpWord(Op::Not), OpWord(Op::JumpIfNonZero), 1, OpWord(Op::PushOne), kReturnWord}, State{{0}});
    EXPECT_EQ(Both({OpWord(Op::PushZero), OpWord(Op::Equal), OpWord(Op::JumpIfNonZero), 1,
                    OpWord(Op::PushOne), OpWord(Op::PushTwo), kReturnWord},
                   State{{0}})
                  .data,
              (std::vector<uint32_t>{2}));
}

TEST_F(ProcessorLookAheadTest, LocalVariables) {
    const State three{{7, 40}, {10, 20, 30}};  // local 0 holds 30, local 2 holds 10
    EXPECT_EQ(
        Both({OpWord(Op::PushZero), OpWord(Op::LocalAddress), OpWord(Op::AddToMemory), kReturnWord}, three)
            .locals,
        (std::vector<uint32_t>{10, 20, 70}));
    EXPECT_EQ(
        Both({OpWord(Op::PushTwo), OpWord(Op::LocalAddress), OpWord(Op::Store), kReturnWord}, three).locals,
        (std::vector<uint32_t>{40, 20, 30}));
    EXPECT_EQ(
        Both({OpWord(Op::PushOne), OpWord(Op::LocalAddress), OpWord(Op::Fetch), kReturnWord}, three).data,
        (std::vector<uint32_t>{7, 40, 20}));
    // A copy of the top kept.
    const State kept = Both({OpWord(Op::Dup), OpWord(Op::PushInline), 1, OpWord(Op::LocalAddress),
                             OpWord(Op::Store), kReturnWord},
                            three);
    EXPECT_EQ(kept.data, (std::vector<uint32_t>{7, 40}));
    EXPECT_EQ(kept.locals, (std::vector<uint32_t>{10, 40, 30}));
    Both({OpWord(Op::Dup), OpWord(Op::PushZero), OpWord(Op::LocalAddress), OpWord(Op::AddToMemory),
          kReturnWord},
         three);
    Both({OpWord(Op::Dup), OpWord(Op::PushZero), OpWord(Op::LocalAddress), OpWord(Op::Fetch), kReturnWord},
         three);
    Both({OpWord(Op::Increment), OpWord(Op::Dup), OpWord(Op::PushZero), OpWord(Op::LocalAddress),
          OpWord(Op::Store), kReturnWord},
         three);
    // Other words after LocalAddress leave the address on the stack.
    Both({OpWord(Op::PushZero), OpWord(Op::LocalAddress), OpWord(Op::Drop), kReturnWord}, three);
    Both({OpWord(Op::Dup), OpWord(Op::PushZero), OpWord(Op::LocalAddress), OpWord(Op::Swap), kReturnWord},
         three);

    // Failures stop at the same word with the same message.
    EXPECT_EQ(
        Both({OpWord(Op::PushInline), 3, OpWord(Op::LocalAddress), OpWord(Op::Fetch), kReturnWord}, three)
            .error,
        "DStack underflow");
    EXPECT_EQ(
        Both({OpWord(Op::PushZero), OpWord(Op::LocalAddress), OpWord(Op::Store), kReturnWord}, State{{}, {5}})
            .error,
        "DStack underflow");
    EXPECT_EQ(Both({OpWord(Op::Dup), OpWord(Op::PushZero), OpWord(Op::LocalAddress), OpWord(Op::Store),
                    kReturnWord},
                   State{{}, {5}})
                  .error,
              "DStack underflow");
    EXPECT_EQ(Both({OpWord(Op::PushZero), OpWord(Op::LocalAddress), OpWord(Op::AddToMemory), kReturnWord},
                   State{{1}, {}})
                  .error,
              "DStack underflow");
}

TEST_F(ProcessorLookAheadTest, LoopOperationAfterAConstant) {
    // x k JumpIfNotEqualPushReturn: unequal brings back the return stack's top and jumps.
    for (uint32_t x : {4u, 5u}) {
        // The return stack's top is 77, put there by the code's own first words.
        const std::vector<uint32_t> keep77 = {OpWord(Op::PushInline), 77, OpWord(Op::ToReturn)};
        auto with = [&keep77](std::vector<uint32_t> body) {
            body.insert(body.begin(), keep77.begin(), keep77.end());
            body.insert(body.end() - 1, OpWord(Op::DropReturn));  // drop it again before the return
            return body;
        };
        Both(with({OpWord(Op::PushInline), 5, OpWord(Op::JumpIfNotEqualPushReturn), 1, OpWord(Op::PushOne),
                   kReturnWord}),
             State{{x}});
        Both(with({OpWord(Op::Dup), OpWord(Op::PushInline), 5, OpWord(Op::JumpIfNotEqualPushReturn), 1,
                   OpWord(Op::PushOne), kReturnWord}),
             State{{x}});
        Both(with({OpWord(Op::Increment), OpWord(Op::Dup), OpWord(Op::PushInline), 5,
                   OpWord(Op::JumpIfNotEqualPushReturn), 1, OpWord(Op::PushOne), kReturnWord}),
             State{{x}});
    }
    // Unequal with only the caller's entry there pushes that entry; an empty data stack fails.
    Both({OpWord(Op::PushInline), 5, OpWord(Op::JumpIfNotEqualPushReturn), 1, OpWord(Op::Drop), kReturnWord},
         State{{4}});
    EXPECT_EQ(Both({OpWord(Op::PushInline), 5, OpWord(Op::JumpIfNotEqualPushReturn), 1, kReturnWord}, State{})
                  .error,
              "DStack underflow");
    // With the return stack emptied (DropReturn) the unequal case fails.
    EXPECT_EQ(Both({OpWord(Op::DropReturn), OpWord(Op::PushInline), 5, OpWord(Op::JumpIfNotEqualPushReturn),
                    1, kReturnWord},
                   State{{4}})
                  .error,
              "DStack underflow");
    EXPECT_EQ(Both({OpWord(Op::DropReturn), OpWord(Op::Dup), OpWord(Op::PushInline), 5,
                    OpWord(Op::JumpIfNotEqualPushReturn), 1, kReturnWord},
                   State{{4}})
                  .error,
              "DStack underflow");
}

TEST_F(ProcessorLookAheadTest, FullStacksAndTheEndOfTheAddressSpace) {
    // The data stack holds capacity - 1 values: a full stack makes the push of the constant fail.
    std::vector<uint32_t> full(63, 1);
    for (const std::vector<uint32_t>& code : std::vector<std::vector<uint32_t>>{
             {OpWord(Op::PushZero), OpWord(Op::LocalAddress), OpWord(Op::Fetch), kReturnWord},
             {OpWord(Op::PushZero), OpWord(Op::Less), OpWord(Op::JumpIfZero), 1, kReturnWord},
             {OpWord(Op::Dup), OpWord(Op::PushZero), OpWord(Op::LocalAddress), OpWord(Op::Store),
              kReturnWord},
             {OpWord(Op::Increment), OpWord(Op::Dup), OpWord(Op::PushOne), OpWord(Op::Less),
              OpWord(Op::JumpIfZero), 0, kReturnWord}}) {
        EXPECT_EQ(Both(code, State{full, {3}}).error, "DStack overflow") << Listing(code);
        std::vector<uint32_t> almost(62, 1);
        Both(code, State{almost, {3}});
    }

    // Sequences cut off by the end of the address space: the last word or its operand would lie
    // past it.
    const uint32_t end = static_cast<uint32_t>(kScriptRegionSize);
    for (const std::vector<uint32_t>& tail : std::vector<std::vector<uint32_t>>{
             {OpWord(Op::Less), OpWord(Op::JumpIfNonZero)},
             {OpWord(Op::PushOne), OpWord(Op::Less), OpWord(Op::JumpIfNonZero)},
             {OpWord(Op::Dup), OpWord(Op::PushOne), OpWord(Op::Less), OpWord(Op::JumpIfZero)},
             {OpWord(Op::PushInline), 9, OpWord(Op::JumpIfNotEqualPushReturn)},
             {OpWord(Op::Dup), OpWord(Op::PushZero), OpWord(Op::LocalAddress)},
             {OpWord(Op::PushInline)}}) {
        const State last = Both(tail, State{{1, 2}, {5}}, end - 4 * static_cast<uint32_t>(tail.size()));
        EXPECT_NE(last.error.find("outside the script address space"), std::string::npos) << last.error;
    }
}

TEST_F(ProcessorLookAheadTest, JumpsIntoTheMiddleOfASequence) {
    // The jump lands on LocalAddress of "1 LocalAddress Store", and on the comparison of
    // "PushInline 3 Less JumpIfZero".
    const State start{{4, 0}, {8, 9}};
    Both({OpWord(Op::Jump), 1, OpWord(Op::PushOne), OpWord(Op::LocalAddress), OpWord(Op::Store), kReturnWord},
         start);
    Both({OpWord(Op::Jump), 2, OpWord(Op::PushInline), 3, OpWord(Op::Less), OpWord(Op::JumpIfZero), 1,
          OpWord(Op::PushOne), kReturnWord},
         start);
}

// Random straight-line code over the words the look-ahead knows, with forward jumps only so that
// every run ends: whatever the words do, both ways agree.
TEST_F(ProcessorLookAheadTest, RandomCodeAgrees) {
    std::mt19937 random(12345);
    const std::vector<Op> words = {Op::PushInline,
                                   Op::Increment,
                                   Op::Decrement,
                                   Op::Greater,
                                   Op::Less,
                                   Op::Equal,
                                   Op::GreaterEqual,
                                   Op::LessEqual,
                                   Op::NotEqual,
                                   Op::Dup,
                                   Op::Swap,
                                   Op::Drop,
                                   Op::JumpIfZero,
                                   Op::JumpIfNonZero,
                                   Op::Fetch,
                                   Op::Store,
                                   Op::AddToMemory,
                                   Op::LocalAddress,
                                   Op::JumpIfNotEqualPushReturn,
                                   Op::PushZero,
                                   Op::PushOne,
                                   Op::PushTwo,
                                   Op::PushMinusOne};
    auto pick = [&](uint32_t n) { return static_cast<uint32_t>(random() % n); };
    for (int round = 0; round < 3000; ++round) {
        std::vector<uint32_t> code;
        const uint32_t length = 3 + pick(10);
        for (uint32_t i = 0; i < length; ++i) {
            const Op w = words[pick(static_cast<uint32_t>(words.size()))];
            code.push_back(OpWord(w));
            if (w == Op::PushInline) code.push_back(pick(4) - 1);
            if (w == Op::JumpIfZero || w == Op::JumpIfNonZero || w == Op::JumpIfNotEqualPushReturn)
                code.push_back(pick(3));
        }
        code.insert(code.end(), 4, kReturnWord);
        State start;
        for (uint32_t i = pick(4); i > 0; --i) start.data.push_back(pick(4) - 1);
        for (uint32_t i = pick(4); i > 0; --i) start.locals.push_back(pick(100));
        Both(code, start);
        if (HasFailure()) break;
    }
}

}  // namespace
