#include "script/decoded_code.h"

#include <algorithm>
#include <iterator>

#include "foundation/byte_order.h"
#include "foundation/code_pages.h"
#include "foundation/script_memory.h"
#include "script/operations.h"

namespace {

constexpr uint32_t kLow = kScriptReservedLow;
constexpr uint32_t kHigh = static_cast<uint32_t>(kScriptRegionSize);
constexpr uint32_t kPageBytes = uint32_t{1} << kCodePageShift;
// Blocks are dropped only when the front has far more entries than any program's code needs.
constexpr size_t kMaxBlocks = 1u << 16;

// Where the plain interpreter lets PC be when it fetches a word.
bool ValidPc(uint32_t pc) {
    return pc - kLow <= kHigh - kLow - 4;
}

enum class Cmp : uint8_t { Gt, Lt, Eq, Ge, Le, Ne, None };

Cmp CmpOf(uint32_t word) {
    if (word == OpWord(Op::Greater)) return Cmp::Gt;
    if (word == OpWord(Op::Less)) return Cmp::Lt;
    if (word == OpWord(Op::Equal)) return Cmp::Eq;
    if (word == OpWord(Op::GreaterEqual)) return Cmp::Ge;
    if (word == OpWord(Op::LessEqual)) return Cmp::Le;
    if (word == OpWord(Op::NotEqual)) return Cmp::Ne;
    return Cmp::None;
}

Cmp Negated(Cmp c) {
    static constexpr Cmp kNegated[] = {Cmp::Le, Cmp::Ge, Cmp::Ne, Cmp::Lt, Cmp::Gt, Cmp::Eq};
    return kNegated[static_cast<int>(c)];
}

// The decoded operation of a comparison kind, from the Gt member of a group of six.
DecodedOp Kind(DecodedOp gt, Cmp c) {
    return static_cast<DecodedOp>(static_cast<int>(gt) + static_cast<int>(c));
}

// The conditional jumps that pop their value: 1 jumps on non-zero, 0 on zero, -1 is none.
int JumpSense(uint32_t word) {
    if (word == OpWord(Op::JumpIfNonZero)) return 1;
    if (word == OpWord(Op::JumpIfZero) || word == OpWord(Op::JumpIfZero40)) return 0;
    return -1;
}

// How an instruction uses the data stack: it needs `need` values, changes the depth by delta and on
// the way (its words run one at a time) reaches at most peak above the depth it started at.
struct Effect {
    int32_t need;
    int32_t delta;
    int32_t peak;
};

class Decoder {
  public:
    // Decodes the words from the block's entry up to end at most.
    Decoder(DecodedBlock& block, uint64_t end, const std::unordered_set<uint32_t>& targets,
            const void* const* handlers)
        : block_(block), targets_(targets), handlers_(handlers), end_(end) {}

    void Run() {
        uint32_t at = block_.entry;
        for (;;) {
            if (!Has(at, 1) || (at != block_.entry && targets_.count(at) != 0)) {
                Exit(DecodedOp::Exit, at, at, at, 0);
                return;
            }
            const uint32_t next = DecodeAt(at);
            if (next == kEnded) return;
            at = next;
        }
    }

  private:
    bool Has(uint32_t at, uint32_t words) const { return uint64_t{at} + 4 * words <= end_; }
    uint32_t Word(uint32_t at) const { return PeekScriptWord(at); }

    // A jump's target from its offset word at `at`, or 0 when the plain interpreter would refuse it.
    uint32_t Target(uint32_t at) const {
        const uint32_t target = at + 4 + 4 * Word(at);
        return ValidPc(target) ? target : 0;
    }

    void Add(DecodedOp op, uint32_t at, uint32_t next, Effect e, uint32_t words, uint32_t k = 0,
             uint32_t target = 0) {
        need_ = std::max(need_, e.need - depth_);
        peak_ = std::max(peak_, depth_ + e.peak);
        depth_ += e.delta;
        block_.words += words;
        block_.code.push_back(DecodedInstruction{handlers_[static_cast<int>(op)], at, next, target, k, op});
    }

    // The block's last instruction; afterwards the entry needs are final.
    void Exit(DecodedOp op, uint32_t at, uint32_t next, uint32_t target, uint32_t words, Effect e = {0, 0, 0},
              uint32_t k = 0) {
        Add(op, at, next, e, words, k, target);
        block_.need = static_cast<uint32_t>(need_);
        block_.room = static_cast<uint32_t>(peak_);
    }

    // A constant push at `at`: its value and its length in words.
    bool Constant(uint32_t at, uint32_t& k, uint32_t& length) const {
        static constexpr uint32_t kSmall[] = {0, 1, 2, 4, 0xFFFFFFFFu, 0xFFFFFFFEu, 0xFFFFFFFCu};
        static_assert(ToSlot(Op::PushMinusFour) - ToSlot(Op::PushZero) + 1 == std::size(kSmall));
        if (!Has(at, 1)) return false;
        const uint32_t word = Word(at);
        if (const uint32_t index = word - OpWord(Op::PushZero); index < std::size(kSmall)) {
            k = kSmall[index];
            length = 1;
            return true;
        }
        if (!Has(at, 2)) return false;
        if (word == OpWord(Op::PushInline) || word == OpWord(Op::PushInline62)) {
            k = Word(at + 4);
            length = 2;
            return true;
        }
        if (word == OpWord(Op::PushRelativeAddress)) {
            k = at + 4 + 4 * Word(at + 4);
            length = 2;
            return true;
        }
        return false;
    }

    // "LocalAddress use" at `at`: the use's word, or 0.
    uint32_t LocalUse(uint32_t at) const {
        if (!Has(at, 2) || Word(at) != OpWord(Op::LocalAddress)) return 0;
        const uint32_t use = Word(at + 4);
        const bool known =
            use == OpWord(Op::Fetch) || use == OpWord(Op::Store) || use == OpWord(Op::AddToMemory);
        return known ? use : 0;
    }

    // "comparison conditional-jump offset" at `at`: the comparison that makes it jump, and where.
    bool CompareAndJump(uint32_t at, Cmp& c, uint32_t& target) const {
        if (!Has(at, 3)) return false;
        c = CmpOf(Word(at));
        const int sense = JumpSense(Word(at + 4));
        if (c == Cmp::None || sense < 0) return false;
        target = Target(at + 8);
        if (target == 0) return false;
        if (sense == 0) c = Negated(c);
        return true;
    }

    // "JumpIfNotEqualPushReturn offset" at `at`: where it jumps, or 0.
    uint32_t LoopAt(uint32_t at) const {
        if (!Has(at, 2) || Word(at) != OpWord(Op::JumpIfNotEqualPushReturn)) return 0;
        return Target(at + 4);
    }

    // Sequences with a constant, after a copy of the top (Dup) when dup: the address after the
    // sequence, kEnded when it was the block's exit, or kNoMatch.
    uint32_t Fused(uint32_t at, bool dup) {
        const uint32_t start = dup ? at + 4 : at;
        uint32_t k, length;
        if (!Constant(start, k, length)) return kNoMatch;
        const uint32_t use = start + 4 * length;
        const uint32_t extra = dup ? 1 : 0;
        Cmp c;
        uint32_t target;
        if (const uint32_t local = LocalUse(use); local != 0) {
            if (local == OpWord(Op::Fetch)) {
                if (dup) return kNoMatch;
                Add(DecodedOp::LocalFetch, at, use + 8, {0, 1, 1}, 3, k);
            } else if (dup) {
                const DecodedOp op =
                    local == OpWord(Op::Store) ? DecodedOp::DupLocalStore : DecodedOp::DupLocalAdd;
                Add(op, at, use + 8, {1, 0, 2}, 4, k);
            } else {
                const DecodedOp op = local == OpWord(Op::Store) ? DecodedOp::LocalStore : DecodedOp::LocalAdd;
                Add(op, at, use + 8, {1, -1, 1}, 3, k);
            }
            return use + 8;
        }
        if (CompareAndJump(use, c, target)) {
            const DecodedOp group = dup ? DecodedOp::DupConstCmpBranchGt : DecodedOp::ConstCmpBranchGt;
            Exit(Kind(group, c), at, use + 12, target, 3 + extra, {1, 0, 1 + static_cast<int32_t>(extra)}, k);
            return kEnded;
        }
        if (const uint32_t loop = LoopAt(use); loop != 0) {
            const DecodedOp op = dup ? DecodedOp::DupConstLoopNotEqual : DecodedOp::ConstLoopNotEqual;
            Exit(op, at, use + 8, loop, 2 + extra, {1, 0, 1 + static_cast<int32_t>(extra)}, k);
            return kEnded;
        }
        if (!dup && Has(use, 1) && Word(use) == OpWord(Op::Add)) {
            Add(DecodedOp::AddConst, at, use + 4, {1, 0, 1}, 2, k);
            return use + 4;
        }
        if (dup) return kNoMatch;
        Add(DecodedOp::Push, at, use, {0, 1, 1}, 1, k);
        return use;
    }

    // Decodes the instruction at `at`; the address after it, or kEnded once the block has its exit.
    uint32_t DecodeAt(uint32_t at) {
        const uint32_t word = Word(at);
        const InstructionWord w{word};
        if (w.IsReturn()) {
            Exit(DecodedOp::Return, at, at + 4, 0, 0);
            return kEnded;
        }
        if (w.IsCall()) {
            Exit(DecodedOp::Call, at, at + 4, 0, 0, {0, 0, 0}, word);
            return kEnded;
        }
        const uint32_t slot = w.Operation();
        if (slot >= kOperationCount) return Plain(at);
        const auto op = static_cast<Op>(slot);
        if (op == Op::Nop || op == Op::Nop69) {
            ++block_.words;
            return at + 4;
        }
        if (op == Op::Dup) {
            if (const uint32_t next = Fused(at, true); next != kNoMatch) return next;
        }
        // "value address Over Swap AddToMemory": the value is added at the address and stays.
        if (op == Op::Over && Has(at, 3) && Word(at + 4) == OpWord(Op::Swap) &&
            Word(at + 8) == OpWord(Op::AddToMemory)) {
            Add(DecodedOp::OverSwapAddToMemory, at, at + 12, {2, -1, 1}, 3);
            return at + 12;
        }
        if (const uint32_t next = Fused(at, false); next != kNoMatch) return next;
        if (const Cmp plain = CmpOf(word); plain != Cmp::None) {
            Cmp c;
            uint32_t target;
            if (CompareAndJump(at, c, target)) {
                Exit(Kind(DecodedOp::CmpBranchGt, c), at, at + 12, target, 2, {2, -2, 0});
                return kEnded;
            }
            Add(Kind(DecodedOp::CmpGt, plain), at, at + 4, {2, -1, 0}, 1);
            return at + 4;
        }
        if (Operation(op).inlineWords == InlineWords::One) return Jump(op, at);
        if (Operation(op).inlineWords != InlineWords::None || Operation(op).place != OperationPlace::Loop) {
            return Plain(at);
        }
        const Simple* simple = FindSimple(op);
        if (simple == nullptr) return Plain(at);
        Add(simple->decoded, at, at + 4, simple->effect, 1);
        return at + 4;
    }

    // The jumps (every other operation with one inline word is a constant, decoded before).
    uint32_t Jump(Op op, uint32_t at) {
        if (!Has(at, 2)) return Plain(at);
        const uint32_t target = Target(at + 4);
        if (target == 0) return Plain(at);
        DecodedOp decoded;
        Effect e{1, -1, 0};
        switch (op) {
            case Op::Jump:
            case Op::Jump37:
            case Op::Jump38:
            case Op::Jump41:
                decoded = DecodedOp::Jump;
                e = {0, 0, 0};
                break;
            case Op::JumpIfZero:
            case Op::JumpIfZero40:
                decoded = DecodedOp::BranchZero;
                break;
            case Op::JumpIfNonZero:
                decoded = DecodedOp::BranchNonZero;
                break;
            case Op::JumpIfZeroKeep:
                decoded = DecodedOp::BranchZeroKeep;
                break;
            case Op::JumpIfNonZeroKeep:
                decoded = DecodedOp::BranchNonZeroKeep;
                break;
            case Op::JumpDropIfZero:
                decoded = DecodedOp::BranchDropIfZero;
                break;
            case Op::JumpIfNotEqualPushReturn:
                decoded = DecodedOp::LoopNotEqual;
                e = {2, -1, 0};
                break;
            case Op::JumpIfZeroPushReturn:
                decoded = DecodedOp::BranchZeroPushReturn;
                break;
            default:
                return Plain(at);
        }
        Exit(decoded, at, at + 8, target, 1, e);
        return kEnded;
    }

    // A word the plain interpreter runs: the block's exit.
    uint32_t Plain(uint32_t at) {
        Exit(DecodedOp::Step, at, at, 0, 0);
        return kEnded;
    }

    struct Simple {
        Op op;
        DecodedOp decoded;
        Effect effect;
    };
    static const Simple* FindSimple(Op op);

    // Never addresses a block continues at: those lie at or above kLow.
    static constexpr uint32_t kEnded = 0;
    static constexpr uint32_t kNoMatch = 1;

    DecodedBlock& block_;
    const std::unordered_set<uint32_t>& targets_;
    const void* const* handlers_;
    const uint64_t end_;
    int32_t depth_ = 0;
    int32_t need_ = 0;
    int32_t peak_ = 0;
};

// The operations that decode one for one, with their use of the data stack.
const Decoder::Simple* Decoder::FindSimple(Op op) {
    using D = DecodedOp;
    static constexpr Effect kBinary{2, -1, 0}, kUnary{1, 0, 0}, kPush{0, 1, 1};
    static const Simple kSimple[] = {
        {Op::Add, D::Add, kBinary},
        {Op::Sub, D::Sub, kBinary},
        {Op::Mul, D::Mul, kBinary},
        {Op::Div, D::Div, kBinary},
        {Op::Mod, D::Mod, kBinary},
        {Op::BitAnd, D::BitAnd, kBinary},
        {Op::BitOr, D::BitOr, kBinary},
        {Op::BitXor, D::BitXor, kBinary},
        {Op::And, D::And, kBinary},
        {Op::Or, D::Or, kBinary},
        {Op::Min, D::Min, kBinary},
        {Op::Max, D::Max, kBinary},
        {Op::IndexWords, D::IndexWords, kBinary},
        {Op::IndexWordsBack, D::IndexWordsBack, kBinary},
        {Op::WithinOpen, D::WithinOpen, {3, -2, 0}},
        {Op::WithinClosed, D::WithinClosed, {3, -2, 0}},
        {Op::Increment, D::Increment, kUnary},
        {Op::Decrement, D::Decrement, kUnary},
        {Op::Abs, D::Abs, kUnary},
        {Op::ShiftLeftOne, D::ShiftLeftOne, kUnary},
        {Op::ShiftRightOne, D::ShiftRightOne, kUnary},
        {Op::ShiftLeftTwo, D::ShiftLeftTwo, kUnary},
        {Op::ShiftRightTwo, D::ShiftRightTwo, kUnary},
        {Op::TimesHundred, D::TimesHundred, kUnary},
        {Op::DivHundred, D::DivHundred, kUnary},
        {Op::SwapHalves, D::SwapHalves, kUnary},
        {Op::Not, D::Not, kUnary},
        {Op::BitNot, D::BitNot, kUnary},
        {Op::NextWordAddress, D::NextWordAddress, kUnary},
        {Op::PreviousWordAddress, D::PreviousWordAddress, kUnary},
        {Op::Depth, D::Depth, kPush},
        {Op::FrameNumber, D::FrameNumber, kPush},
        {Op::This, D::This, kPush},
        {Op::Dup, D::Dup, {1, 1, 1}},
        {Op::Swap, D::Swap, {2, 0, 0}},
        {Op::Drop, D::Drop, {1, -1, 0}},
        {Op::Rot, D::Rot, {3, 0, 0}},
        {Op::RotBack, D::RotBack, {3, 0, 0}},
        {Op::Over, D::Over, {2, 1, 1}},
        {Op::DupTwo, D::DupTwo, {2, 2, 2}},
        {Op::Tuck, D::Tuck, {2, 1, 1}},
        {Op::SwapTwo, D::SwapTwo, {4, 0, 0}},
        {Op::PickTwo, D::PickTwo, {3, 1, 1}},
        {Op::Nip, D::Nip, {2, -1, 0}},
        {Op::SplitHalves, D::SplitHalves, {1, 1, 1}},
        {Op::NipLowHalf, D::NipLowHalf, {2, -1, 0}},
        {Op::RotTwo, D::RotTwo, {6, 0, 0}},
        {Op::Fetch, D::Fetch, kUnary},
        {Op::Store, D::Store, {2, -2, 0}},
        {Op::StoreReversed, D::StoreReversed, {2, -2, 0}},
        {Op::FetchByte, D::FetchByte, kUnary},
        {Op::StoreByte, D::StoreByte, {2, -2, 0}},
        {Op::AddToMemory, D::AddToMemory, {2, -2, 0}},
        {Op::SubtractFromMemory, D::SubtractFromMemory, {2, -2, 0}},
        {Op::IncrementMemory, D::IncrementMemory, {1, -1, 0}},
        {Op::DecrementMemory, D::DecrementMemory, {1, -1, 0}},
        {Op::ClearMemory, D::ClearMemory, {1, -1, 0}},
        {Op::LocalAddress, D::LocalAddress, kUnary},
        {Op::ToReturn, D::ToReturn, {1, -1, 0}},
        {Op::FromReturn, D::FromReturn, kPush},
        {Op::ReturnTop, D::ReturnTop, kPush},
        {Op::ReturnTop66, D::ReturnTop, kPush},
        {Op::ReturnSecond, D::ReturnSecond, kPush},
        {Op::ReturnThird, D::ReturnThird, kPush},
        {Op::DropReturn, D::DropReturn, {0, 0, 0}},
        {Op::CopyToReturn, D::CopyToReturn, {1, 0, 0}},
        {Op::CopyToReturn79, D::CopyToReturn, {1, 0, 0}},
        {Op::DropBoth, D::DropBoth, {1, -1, 0}},
    };
    for (const Simple& s : kSimple) {
        if (s.op == op) return &s;
    }
    return nullptr;
}

}  // namespace

DecodedCode::DecodedCode(std::vector<std::pair<uint32_t, uint32_t>> plainRanges)
    : plainRanges_(std::move(plainRanges)), slots_(kSlots) {}

uint64_t DecodedCode::DecodableEnd(uint32_t entry) const {
    uint64_t end = (uint64_t{entry} | (kPageBytes - 1)) + 1;
    for (const auto& [begin, rangeEnd] : plainRanges_) {
        if (begin <= entry && entry < rangeEnd) return entry;
        if (entry < begin) end = std::min<uint64_t>(end, begin);
    }
    return end;
}

DecodedBlock* DecodedCode::Find(uint32_t entry, const void* const* handlers) {
    Slot& slot = SlotFor(entry);
    auto found = blocks_.find(entry);
    if (found == blocks_.end() || found->second->version != CodePageVersion(found->second->page)) {
        if (found == blocks_.end() && blocks_.size() >= kMaxBlocks) DropStaleBlocks();
        std::unique_ptr<DecodedBlock> block = Decode(entry, handlers);
        found = blocks_.insert_or_assign(entry, std::move(block)).first;
    }
    slot.entry = entry;
    slot.block = found->second.get();
    return slot.block;
}

DecodedBlock* DecodedCode::FindHot(uint32_t entry, const void* const* handlers) {
    // An entry whose block left the front runs once more from the words before it is found again.
    Slot& slot = SlotFor(entry);
    if (slot.cold != entry) {
        slot.cold = entry;
        return nullptr;
    }
    return Find(entry, handlers);
}

void DecodedCode::DropStaleBlocks() {
    std::fill(slots_.begin(), slots_.end(), Slot{});
    std::erase_if(blocks_, [](const auto& entry) {
        return entry.second->version != CodePageVersion(entry.second->page);
    });
    if (blocks_.size() >= kMaxBlocks) blocks_.clear();
}

std::unique_ptr<DecodedBlock> DecodedCode::Decode(uint32_t entry, const void* const* handlers) {
    auto block = std::make_unique<DecodedBlock>();
    block->entry = entry;
    block->page = CodePageOf(entry);
    block->version = CodePageVersion(block->page);
    block->need = 0;
    block->room = 0;
    block->words = 0;
    const auto step = [&] {
        block->code.push_back(DecodedInstruction{handlers[static_cast<int>(DecodedOp::Step)], entry, entry, 0,
                                                 0, DecodedOp::Step});
    };
    const uint64_t end = ValidPc(entry) ? DecodableEnd(entry) : entry;
    if (end < uint64_t{entry} + 4) {
        step();
        return block;
    }
    block->version = MarkCodePage(block->page);
    Decoder(*block, end, targets_, handlers).Run();
    for (const DecodedInstruction& i : block->code) {
        if (i.target != 0 && i.op != DecodedOp::Exit && i.op != DecodedOp::Step) targets_.insert(i.target);
    }
    return block;
}
