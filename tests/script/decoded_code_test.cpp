// Decoded code against the plain interpreter: random programs made of whole word sequences run
// through the decoded-code cache (Run) and one word at a time (Step), from the same start, and
// must end with the same stacks, locals, PC, scratch memory and error. Code that rewrites itself
// runs the new words.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/code_pages.h"
#include "foundation/trace_flag.h"
#include "tests/script/processor_fixture.h"
#include "tests/support/random_code.h"

namespace {

struct Outcome {
    std::vector<uint32_t> data, locals, returns, trace, scratch;
    std::string error;
    uint32_t pc = 0;  // where an error stopped, from the first word

    bool operator==(const Outcome&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Outcome& o) {
    auto list = [&out](const char* name, const std::vector<uint32_t>& v) {
        out << name << " {";
        for (uint32_t x : v) out << ' ' << static_cast<int32_t>(x);
        out << " } ";
    };
    list("data", o.data);
    list("locals", o.locals);
    list("returns", o.returns);
    list("trace", o.trace);
    list("scratch", o.scratch);
    return out << "error \"" << o.error << "\" pc " << o.pc;
}

std::string Listing(const std::vector<uint32_t>& code) {
    std::string text = "code:";
    for (uint32_t w : code) {
        const InstructionWord word{w};
        text += ' ';
        text +=
            word.IsOperation()
                ? std::string(word.Operation() < kOperationCount ? Operation(word.Operation()).name : "op?")
                : std::to_string(static_cast<int32_t>(w));
    }
    return text;
}

class DecodedCodeTest : public ProcessorTest {
  protected:
    struct Start {
        std::vector<uint32_t> data = {};
        std::vector<uint32_t> locals = {};
        uint32_t at = 0;  // where the code is written; 0 for a block of its own
        bool traced = false;
    };

    // The code run both ways from the start; both outcomes are expected equal, the first returned.
    // Both runs use the same words at the same address, written afresh before each.
    Outcome Both(const std::vector<uint32_t>& code, Start start) {
        if (start.at == 0) start.at = Place(code);
        // The first run meets each block once (run straight from the words), the second decodes.
        const Outcome cold = Once(code, start, false);
        const Outcome decoded = Once(code, start, false);
        const Outcome stepped = Once(code, start, true);
        EXPECT_EQ(cold, stepped) << Listing(code);
        EXPECT_EQ(decoded, stepped) << Listing(code);
        return decoded;
    }

    uint32_t scratch_ = Place(std::vector<uint32_t>(16, 0));

  private:
    Outcome Once(const std::vector<uint32_t>& code, const Start& start, bool stepped) {
        ClearStacks();
        Processor& p = Cpu();
        SetData(start.data);
        for (uint32_t v : start.locals) p.LocalsStack().Push(v);
        for (uint32_t i = 0; i < 16; ++i) PokeWord(scratch_ + 4 * i, i);
        const uint32_t at = start.at;
        // Only words that changed are written: a write drops the code decoded from the page.
        for (size_t i = 0; i < Fitting(code, at); ++i) {
            const uint32_t address = at + 4 * static_cast<uint32_t>(i);
            if (PeekWord(address) != code[i]) PokeWord(address, code[i]);
        }
        SetTraceFlag(start.traced);
        Outcome end;
        end.error = ErrorMessage([&] {
            p.ClassStack().Push(plainClass->Address());
            p.SetPC(caller_);
            if (!stepped) {
                p.Run(object.get(), at);
                return;
            }
            p.ReturnStack().Push(caller_);
            p.ObjectStack().Push(object->Address());
            p.SetPC(at);
            for (int steps = 0; steps < 100000; ++steps) {
                // The run's own last return goes back to the caller whatever its address, as Run's.
                if (p.ReturnStack().Depth() == 1 &&
                    p.PC() - kScriptReservedLow < kScriptRegionSize - kScriptReservedLow - 3 &&
                    PeekWord(p.PC()) == kReturnWord) {
                    p.SetPC(p.PC() + 4);
                    p.ReturnStack().Pop();
                    p.ClassStack().Pop();
                    p.ObjectStack().Pop();
                    if (start.traced) p.TraceStack().Drop(2);
                    break;
                }
                start.traced ? p.StepTraced() : p.Step();
            }
        });
        SetTraceFlag(false);
        if (end.error != "no error") end.pc = p.PC() - at;
        end.data = Data();
        for (uint32_t d = p.LocalsStack().Depth(); d > 0; --d)
            end.locals.push_back(p.LocalsStack().Peek(d - 1));
        for (uint32_t d = p.ReturnStack().Depth(); d > 0; --d)
            end.returns.push_back(p.ReturnStack().Peek(d - 1));
        for (uint32_t d = p.TraceStack().Depth(); d > 0; --d) end.trace.push_back(p.TraceStack().Peek(d - 1));
        for (uint32_t i = 0; i < 16; ++i) end.scratch.push_back(PeekWord(scratch_ + 4 * i));
        if (stepped) {
            for (size_t i = 0; i < Fitting(code, at); ++i) PokeWord(at + 4 * static_cast<uint32_t>(i), 0);
        }
        return end;
    }

    // How many of the words fit between at and the end of the address space.
    static size_t Fitting(const std::vector<uint32_t>& code, uint32_t at) {
        return std::min<size_t>(code.size(), (kScriptRegionSize - at) / 4);
    }

    uint32_t caller_ = Place({kReturnWord});
};

TEST_F(DecodedCodeTest, RandomProgramsAgreeWithSteppingWordByWord) {
    RandomCode random(2024);
    const uint32_t end = static_cast<uint32_t>(kScriptRegionSize);
    // The fixture's data stack holds 63 values.
    for (int round = 0; round < 3000; ++round) {
        const RandomCodeShape shape{scratch_, 2 + random.Pick(8), 3, 2};
        const std::vector<uint32_t> code = random.Build(shape);
        Start start;
        switch (random.Pick(4)) {
            case 0:  // full and almost full stacks
                start.data.assign(61 + random.Pick(3), 1);
                break;
            case 1:  // at the end of the address space, the return word last or cut off
                start.at = end - 4 * static_cast<uint32_t>(code.size()) + 4 * random.Pick(2);
                [[fallthrough]];
            default:
                for (uint32_t i = random.Pick(5); i > 0; --i) start.data.push_back(random.SmallValue());
                break;
        }
        for (uint32_t i = 0; i < 5; ++i)
            start.locals.push_back(random.Pick(2) == 0 ? 0 : random.SmallValue());
        start.traced = random.Pick(4) == 0;
        Both(code, start);
        if (HasFailure()) break;
    }
}

TEST_F(DecodedCodeTest, FailedEntryChecksReplayTheWordsOneByOne) {
    const std::vector<uint32_t> add = {OpWord(Op::PushOne), OpWord(Op::Add), OpWord(Op::Over),
                                       OpWord(Op::Add), kReturnWord};
    // Too few values: the Over fails after the first Add ran; too many: the push fails.
    EXPECT_EQ(Both(add, Start{{5}}).error, "DStack underflow");
    EXPECT_EQ(Both(add, Start{std::vector<uint32_t>(63, 1)}).error, "DStack overflow");
    EXPECT_EQ(Both(add, Start{{5, 6}}).data, (std::vector<uint32_t>{5, 12}));
}

TEST_F(DecodedCodeTest, AStoreIntoDecodedCodeRunsTheNewWords) {
    // The loop body pushes 1 the first time round; the store then turns that push into PushTwo,
    // and the jump back runs the new word: 1 then 2.
    std::vector<uint32_t> code = {OpWord(Op::PushOne), OpWord(Op::PushOne), OpWord(Op::LocalAddress),
                                  OpWord(Op::Store),  // counter = 1 (local 1)
                                  OpWord(Op::PushOne)};
    const auto top = static_cast<int32_t>(code.size()) - 1;
    code.insert(
        code.end(),
        {OpWord(Op::PushInline), OpWord(Op::PushTwo), OpWord(Op::PushInline), 0 /* the push */,
         OpWord(Op::Store), OpWord(Op::PushOne), OpWord(Op::LocalAddress), OpWord(Op::Fetch),
         OpWord(Op::Decrement), OpWord(Op::Dup), OpWord(Op::PushOne), OpWord(Op::LocalAddress),
         OpWord(Op::Store), OpWord(Op::PushInline), 0, OpWord(Op::GreaterEqual), OpWord(Op::JumpIfNonZero)});
    code.push_back(static_cast<uint32_t>(top - static_cast<int32_t>(code.size() + 1)));
    code.push_back(kReturnWord);
    const uint32_t at = Place(code);
    PokeWord(at + 4 * 8, at + 4 * static_cast<uint32_t>(top));
    std::vector<uint32_t> words(code.size());
    for (size_t i = 0; i < words.size(); ++i) words[i] = PeekWord(at + 4 * static_cast<uint32_t>(i));
    SetData({});
    Cpu().LocalsStack().Push(0);
    Cpu().LocalsStack().Push(0);
    Cpu().ClassStack().Push(plainClass->Address());
    Cpu().Run(object.get(), at);
    EXPECT_EQ(Data(), (std::vector<uint32_t>{1, 2}));
    // Run again: the word stays rewritten.
    ClearStacks();
    for (size_t i = 0; i < words.size(); ++i) PokeWord(at + 4 * static_cast<uint32_t>(i), words[i]);
    Cpu().LocalsStack().Push(0);
    Cpu().LocalsStack().Push(0);
    Cpu().ClassStack().Push(plainClass->Address());
    Cpu().Run(object.get(), at);
    EXPECT_EQ(Data(), (std::vector<uint32_t>{1, 2}));
}

TEST_F(DecodedCodeTest, WritesThatReachCodeOnlyDropThePagesTheyTouch) {
    const uint32_t code = Place({OpWord(Op::PushOne), kReturnWord});
    SetData({});
    // Code is decoded the second time it runs.
    for (int run = 0; run < 2; ++run) {
        Cpu().ClassStack().Push(plainClass->Address());
        Cpu().Run(object.get(), code);
    }
    const uint32_t page = CodePageOf(code);
    const uint32_t version = CodePageVersion(page);
    // A write to the next page leaves the code alone; one into it drops it, once.
    EXPECT_FALSE(NoteScriptWrite(((page + 1) << kCodePageShift) + 64, 4));
    EXPECT_EQ(CodePageVersion(page), version);
    EXPECT_TRUE(NoteScriptWrite(code + 4, 4));
    EXPECT_FALSE(NoteScriptWrite(code + 4, 4));
    EXPECT_EQ(CodePageVersion(page), version + 1);
    // A write across the page boundary reaches it too.
    Cpu().ClassStack().Push(plainClass->Address());
    Cpu().Run(object.get(), code);
    EXPECT_TRUE(NoteScriptWrite((page << kCodePageShift) - 2, 4));
    EXPECT_EQ(Data(), (std::vector<uint32_t>{1, 1, 1}));
}

}  // namespace
