#include "tests/support/random_code.h"

#include "script/operations.h"

namespace {

constexpr Op kComparisons[] = {Op::Greater,      Op::Less,      Op::Equal,
                               Op::GreaterEqual, Op::LessEqual, Op::NotEqual};
constexpr Op kConditionalJumps[] = {Op::JumpIfZero,     Op::JumpIfZero40,      Op::JumpIfNonZero,
                                    Op::JumpIfZeroKeep, Op::JumpIfNonZeroKeep, Op::JumpDropIfZero};
constexpr Op kOneWord[] = {
    Op::Add,          Op::Sub,          Op::Mul,          Op::Div,         Op::Mod,          Op::Increment,
    Op::Decrement,    Op::Not,          Op::BitXor,       Op::And,         Op::Dup,          Op::Swap,
    Op::Drop,         Op::Rot,          Op::RotBack,      Op::Over,        Op::DupTwo,       Op::Tuck,
    Op::SwapTwo,      Op::PickTwo,      Op::Nip,          Op::SplitHalves, Op::RotTwo,       Op::Min,
    Op::WithinOpen,   Op::Depth,        Op::Nop,          Op::ToReturn,    Op::FromReturn,   Op::ReturnTop,
    Op::DropReturn,   Op::CopyToReturn, Op::ReturnSecond, Op::DropBoth,    Op::LocalAddress, Op::Abs,
    Op::ShiftLeftTwo, Op::Greater,      Op::LessEqual,    Op::DivHundred};

uint32_t W(Op op) {
    return OpWord(op);
}

}  // namespace

std::vector<uint32_t> RandomCode::Build(const RandomCodeShape& shape) {
    std::vector<uint32_t> code;
    for (uint32_t i = 0; i < shape.sequences; ++i) Sequence(code, shape, 0);
    code.push_back(InstructionWord::kReturn);
    return code;
}

void RandomCode::Loop(std::vector<uint32_t>& code, const RandomCodeShape& shape, uint32_t depth) {
    // counter = n; do { body } while (--counter != 0), the counter in a local of its own.
    const uint32_t counter = shape.plainLocals + depth;
    code.insert(code.end(), {W(Op::PushInline), 1 + Pick(3), W(Op::PushInline), counter, W(Op::LocalAddress),
                             W(Op::Store)});
    const auto top = static_cast<int64_t>(code.size());
    for (uint32_t i = 1 + Pick(3); i > 0; --i) Sequence(code, shape, depth + 1);
    code.insert(code.end(),
                {W(Op::PushInline), counter, W(Op::LocalAddress), W(Op::Fetch), W(Op::Decrement), W(Op::Dup),
                 W(Op::PushInline), counter, W(Op::LocalAddress), W(Op::Store), W(Op::JumpIfNonZero)});
    code.push_back(static_cast<uint32_t>(top - static_cast<int64_t>(code.size() + 1)));
}

void RandomCode::Sequence(std::vector<uint32_t>& code, const RandomCodeShape& shape, uint32_t depth) {
    // Now and then a local that does not exist: the access fails. Loop counters are never touched.
    uint32_t local = Pick(shape.plainLocals + 1);
    if (local == shape.plainLocals) local += shape.loopDepth;
    const uint32_t k = SmallValue();
    switch (Pick(depth < shape.loopDepth ? 14 : 13)) {
        case 0:  // a local read, written or added to
            code.insert(code.end(), {W(Op::PushInline), local, W(Op::LocalAddress)});
            code.push_back(W(Pick(2) == 0 ? Op::Fetch : Pick(2) == 0 ? Op::Store : Op::AddToMemory));
            break;
        case 1:  // the same on a copy of the top
            code.insert(code.end(),
                        {W(Op::Dup), W(Pick(2) == 0 ? Op::PushZero : Op::PushOne), W(Op::LocalAddress)});
            code.push_back(W(Pick(2) == 0 ? Op::Store : Op::AddToMemory));
            break;
        case 2:  // a comparison before a conditional jump over one word
            code.insert(code.end(),
                        {W(kComparisons[Pick(6)]), W(kConditionalJumps[Pick(6)]), 1, W(Op::PushOne)});
            break;
        case 3:  // a constant compared before a jump, maybe on a copy of the top
            if (Pick(2) == 0) code.push_back(W(Op::Dup));
            code.insert(code.end(), {W(Op::PushInline), k, W(kComparisons[Pick(6)]),
                                     W(kConditionalJumps[Pick(3)]), 1, W(Op::PushTwo)});
            break;
        case 4:  // the loop operation over one word
            if (Pick(2) == 0) code.push_back(W(Op::Dup));
            code.insert(code.end(), {W(Op::PushInline), k, W(Op::JumpIfNotEqualPushReturn), 1, W(Op::Drop)});
            break;
        case 5:  // a scratch word read, written, added to
            code.insert(code.end(), {W(Op::PushInline), shape.scratch + 4 * Pick(16)});
            code.push_back(W(Pick(3) == 0 ? Op::Fetch : Pick(2) == 0 ? Op::Store : Op::AddToMemory));
            break;
        case 6:  // an address that is refused, or a byte of the scratch area
            code.insert(code.end(), {W(Op::PushInline), Pick(2) == 0 ? 16u : shape.scratch + Pick(64)});
            code.push_back(W(Pick(2) == 0 ? Op::FetchByte : Op::Fetch));
            break;
        case 7:  // a forward jump over one word, taken always
            code.insert(code.end(), {W(Op::Jump), 1, W(Op::PushOne)});
            break;
        case 8:  // a constant added; or a value added to a scratch word (or a refused address) and kept
            if (Pick(2) == 0) {
                code.insert(code.end(), {W(Op::PushInline), k, W(Op::Add)});
            } else {
                code.insert(code.end(), {W(Op::PushInline), Pick(4) == 0 ? 8u : shape.scratch + 4 * Pick(16),
                                         W(Op::Over), W(Op::Swap), W(Op::AddToMemory)});
            }
            break;
        case 9:
        case 10:
        case 11:
            code.push_back(W(kOneWord[Pick(sizeof kOneWord / sizeof kOneWord[0])]));
            break;
        case 12:  // small constants
            code.push_back(W(Pick(2) == 0 ? Op::PushMinusOne : Op::PushZero));
            break;
        default:
            Loop(code, shape, depth);
            break;
    }
}
