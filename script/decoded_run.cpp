// Runs script code through the decoded-code cache (decoded_code.h): one probe per block entry, one
// check of the data stack's depth and room there, then the block's instructions without further
// data-stack checks. Whatever a decoded instruction cannot finish exactly as the plain interpreter
// would (a failed check of an address, a local, the return stack, a divisor; a failed entry check)
// is handed to the plain interpreter before the instruction changes anything, which then runs the
// words one at a time: results, stacks, PC and error messages are those of stepping the words.
#include <cstring>
#include <memory>
#include <utility>

#include "foundation/code_pages.h"
#include "foundation/script_memory.h"
#include "script/decoded_code.h"
#include "script/operations.h"
#include "script/processor.h"

#if !defined(__GNUC__)
#error "the decoded-code executor needs labels as values"
#endif

namespace {

constexpr uint32_t kLow = kScriptReservedLow;
constexpr uint32_t kHigh = static_cast<uint32_t>(kScriptRegionSize);

inline int32_t Signed(uint32_t v) {
    return static_cast<int32_t>(v);
}
inline uint32_t Truth(bool b) {
    return b ? 1u : 0u;
}
// The same test as the plain interpreter's: [address, address + size) inside the address space
// (and, in sanitizer builds, clear of red zones and freed blocks).
inline bool Outside(uint32_t address, uint32_t size) {
    return address - kLow > kHigh - kLow - size || (kScriptPoisoning && ScriptRangePoisoned(address, size));
}

// Plain steps may follow a failed entry check only over operation words: a call or return word
// ends them, to be run by the executor, which knows where the run ends.
bool StepsOver(uint32_t pc) {
    if (pc - kLow > kHigh - kLow - 4) return true;  // the step reports the address
    return InstructionWord{PeekScriptWord(pc)}.IsOperation();
}

template <class T>
std::pair<uint32_t, uint32_t> RangeOf(DStack<T>& stack) {
    const uint32_t begin = ToScript(stack.Slots());
    return {begin, begin + 4 * static_cast<uint32_t>(stack.Capacity())};
}

}  // namespace

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpedantic"

template <bool kTraced>
[[gnu::no_sanitize_address]] void Processor::RunDecoded(uint32_t stopDepth) {
    if (!decoded_) {
        decoded_ = std::make_unique<DecodedCode>(std::vector<std::pair<uint32_t, uint32_t>>{
            RangeOf(locals_),
            RangeOf(return_),
            RangeOf(objects_),
            RangeOf(classes_),
            RangeOf(data_),
            RangeOf(trace_),
            {ToScript(executeBuffer_), ToScript(executeBuffer_) + 8}});
    }
    DecodedCode& cache = *decoded_;
    uint8_t* const mem = ScriptRegionBase();
    uint32_t* const bottom = data_.Slots();
    uint32_t* const limit = bottom + (data_.Capacity() - 1);
    uint32_t* top = bottom + data_.Depth();
    uint32_t tos = *top;
    uint32_t pc = pc_;
    const DecodedInstruction* ip = nullptr;
    DecodedBlock* block = nullptr;
    // Loops back to a block's own entry are counted here, in a register, for the stop poll.
    uint32_t loopsLeft = kStopPollInterval;

#define VONDREL_DECODED_LABEL(name) &&d_##name,
    static const void* const kHandlers[] = {VONDREL_DECODED_OPERATIONS(VONDREL_DECODED_LABEL)};
#undef VONDREL_DECODED_LABEL

#define SAVE()                                               \
    do {                                                     \
        *top = tos;                                          \
        pc_ = pc;                                            \
        data_.SetDepth(static_cast<uint32_t>(top - bottom)); \
    } while (0)
#define LOAD()                        \
    do {                              \
        top = bottom + data_.Depth(); \
        tos = *top;                   \
        pc = pc_;                     \
    } while (0)
#define NEXT()              \
    do {                    \
        ++ip;               \
        goto * ip->handler; \
    } while (0)
// A block that jumps back to its own entry (a loop) is entered again without the probe. Jumps
// back count towards the stop poll, so a script that never returns still lets a stop request in.
#define EXIT_TO(address)                                  \
    do {                                                  \
        pc = (address);                                   \
        if (pc == block->entry) {                         \
            if (--loopsLeft == 0) [[unlikely]] {          \
                loopsLeft = kStopPollInterval;            \
                SAVE();                                   \
                PollStop();                               \
            }                                             \
            goto again;                                   \
        }                                                 \
        if (pc <= ip->at && StopPollDue()) [[unlikely]] { \
            SAVE();                                       \
            PollStop();                                   \
        }                                                 \
        goto lookup;                                      \
    } while (0)
// The plain interpreter runs the instruction's words; nothing has changed yet.
#define BAIL()       \
    do {             \
        pc = ip->at; \
        goto step;   \
    } while (0)
#define PUSH(value)                  \
    do {                             \
        const uint32_t v_ = (value); \
        *top++ = tos;                \
        tos = v_;                    \
    } while (0)
#define DROP() tos = *--top
#define POP2()      \
    do {            \
        top -= 2;   \
        tos = *top; \
    } while (0)
// After a write: a write into decoded code ends the block, whose words may have changed.
#define WROTE(address, size)                                       \
    do {                                                           \
        if (NoteScriptWrite((address), (size))) EXIT_TO(ip->next); \
    } while (0)
#define BINARY(name, expression)             \
    d_##name : {                             \
        const uint32_t a = top[-1], b = tos; \
        tos = (expression);                  \
        --top;                               \
    }                                        \
    NEXT();
#define UNARY(name, expression) \
    d_##name : {                \
        const uint32_t a = tos; \
        tos = (expression);     \
    }                           \
    NEXT();

    goto lookup;

again:
    if (block->version != CodePageVersion(block->page)) [[unlikely]]
        goto lookup;
    goto enter;

lookup : {
    DecodedCode::Slot& slot = cache.SlotFor(pc);
    block = slot.block;
    if (slot.entry != pc || block == nullptr || block->version != CodePageVersion(block->page)) [[unlikely]] {
        block = cache.FindHot(pc, kHandlers);
        if (block == nullptr) goto cold;
    }
}
enter:
    if (static_cast<uint32_t>(top - bottom) < block->need || static_cast<uint32_t>(limit - top) < block->room)
        [[unlikely]] {
        goto replay;
    }
    ip = block->code.data();
    goto * ip->handler;

cold : {
    // First time here: the plain interpreter runs the words up to the next jump, call or return.
    const uint32_t entry = pc;
    SAVE();
    Interpret<kTraced, false>(kColdRun);
    LOAD();
    if (pc != entry) goto lookup;
    goto step;
}

replay : {
    // The entry check failed: the words run one at a time, and the one that fails reports it.
    const uint32_t words = block->words;
    pc = block->entry;
    SAVE();
    for (uint32_t i = 0; i < words && StepsOver(pc_); ++i) Interpret<kTraced, true>(kNoFrame);
    LOAD();
    goto lookup;
}

d_Step:
    pc = ip->at;
step : {
    // A return word may end the run, which the plain step does not know.
    if (!Outside(pc, 4) && LoadU32(mem + pc) == InstructionWord::kReturn) {
        pc += 4;
        SAVE();
        if (Return(kTraced, stopDepth)) return;
    } else {
        SAVE();
        Interpret<kTraced, true>(kNoFrame);
    }
    LOAD();
    goto lookup;
}

d_Call : {
    pc = ip->next;
    SAVE();
    Call(ip->k, ip->at, kTraced);
    LOAD();
    goto lookup;
}

d_Return : {
    pc = ip->next;
    SAVE();
    if (Return(kTraced, stopDepth)) return;
    LOAD();
    goto lookup;
}

    // --- exits ---
d_Exit:
d_Jump:
    EXIT_TO(ip->target);
d_BranchZero : {
    const uint32_t v = tos;
    DROP();
    EXIT_TO(v == 0 ? ip->target : ip->next);
}
d_BranchNonZero : {
    const uint32_t v = tos;
    DROP();
    EXIT_TO(v != 0 ? ip->target : ip->next);
}
d_BranchZeroKeep:
    EXIT_TO(tos == 0 ? ip->target : ip->next);
d_BranchNonZeroKeep:
    if (tos != 0) EXIT_TO(ip->target);
    DROP();
    EXIT_TO(ip->next);
d_BranchDropIfZero:
    if (tos != 0) EXIT_TO(ip->next);
    DROP();
    EXIT_TO(ip->target);
d_LoopNotEqual : {
    const uint32_t a = top[-1], b = tos;
    if (a == b) {
        POP2();
        EXIT_TO(ip->next);
    }
    if (return_.Depth() == 0) BAIL();
    --top;
    tos = return_.Peek(0);
    EXIT_TO(ip->target);
}
d_ConstLoopNotEqual:
    if (tos == ip->k) {
        DROP();
        EXIT_TO(ip->next);
    }
    if (return_.Depth() == 0) BAIL();
    tos = return_.Peek(0);
    EXIT_TO(ip->target);
d_DupConstLoopNotEqual:
    if (tos == ip->k) EXIT_TO(ip->next);
    if (return_.Depth() == 0) BAIL();
    PUSH(return_.Peek(0));
    EXIT_TO(ip->target);
d_BranchZeroPushReturn:
    if (tos != 0) {
        DROP();
        EXIT_TO(ip->next);
    }
    if (return_.Depth() == 0) BAIL();
    tos = return_.Peek(0);
    EXIT_TO(ip->target);

#define VONDREL_COMPARISON_HANDLERS(kind, test)             \
    d_CmpBranch##kind : {                                   \
        const int32_t a = Signed(top[-1]), b = Signed(tos); \
        POP2();                                             \
        EXIT_TO((test) ? ip->target : ip->next);            \
    }                                                       \
    d_ConstCmpBranch##kind : {                              \
        const int32_t a = Signed(tos), b = Signed(ip->k);   \
        DROP();                                             \
        EXIT_TO((test) ? ip->target : ip->next);            \
    }                                                       \
    d_DupConstCmpBranch##kind : {                           \
        const int32_t a = Signed(tos), b = Signed(ip->k);   \
        EXIT_TO((test) ? ip->target : ip->next);            \
    }                                                       \
    d_Cmp##kind : {                                         \
        const int32_t a = Signed(top[-1]), b = Signed(tos); \
        --top;                                              \
        tos = Truth(test);                                  \
    }                                                       \
    NEXT();
    VONDREL_COMPARISON_HANDLERS(Gt, a > b)
    VONDREL_COMPARISON_HANDLERS(Lt, a < b)
    VONDREL_COMPARISON_HANDLERS(Eq, a == b)
    VONDREL_COMPARISON_HANDLERS(Ge, a >= b)
    VONDREL_COMPARISON_HANDLERS(Le, a <= b)
    VONDREL_COMPARISON_HANDLERS(Ne, a != b)
#undef VONDREL_COMPARISON_HANDLERS

    // --- constants and values ---
d_Push:
    PUSH(ip->k);
    NEXT();
d_Depth:
    PUSH(static_cast<uint32_t>(top - bottom));
    NEXT();
d_FrameNumber:
    PUSH(static_cast<uint32_t>(frameNumber_));
    NEXT();
d_This:
    if (objects_.Depth() == 0) BAIL();
    PUSH(objects_.Peek(0));
    NEXT();

    // --- arithmetic and logic (uint32_t: it wraps) ---
    BINARY(Add, a + b)
    BINARY(Sub, a - b)
    BINARY(Mul, a * b)
d_Div:
d_Mod:
    if (tos == 0 || (top[-1] == 0x80000000u && tos == 0xFFFFFFFFu)) BAIL();
    if (ip->op == DecodedOp::Div) {
        tos = static_cast<uint32_t>(Signed(top[-1]) / Signed(tos));
    } else {
        tos = static_cast<uint32_t>(Signed(top[-1]) % Signed(tos));
    }
    --top;
    NEXT();
    BINARY(BitAnd, a & b)
    BINARY(BitOr, a | b)
    BINARY(BitXor, a ^ b)
    BINARY(And, Truth(a != 0 && b != 0))
    BINARY(Or, Truth(a != 0 || b != 0))
    BINARY(Min, Signed(a) < Signed(b) ? a : b)
    BINARY(Max, Signed(a) > Signed(b) ? a : b)
    BINARY(IndexWords, a + 4 * b)
    BINARY(IndexWordsBack, a - 4 * b)
d_WithinOpen:
d_WithinClosed : {
    const int32_t hi = Signed(tos), lo = Signed(top[-1]), x = Signed(top[-2]);
    top -= 2;
    tos = ip->op == DecodedOp::WithinOpen ? Truth(lo < x && x < hi) : Truth(lo <= x && x <= hi);
}
    NEXT();
    UNARY(Increment, a + 1)
    UNARY(Decrement, a - 1)
    UNARY(Abs, Signed(a) < 0 ? 0u - a : a)
    UNARY(ShiftLeftOne, a << 1)
    UNARY(ShiftRightOne, a >> 1)
    UNARY(ShiftLeftTwo, a << 2)
    UNARY(ShiftRightTwo, a >> 2)
    UNARY(TimesHundred, a * 100)
    UNARY(DivHundred, static_cast<uint32_t>(Signed(a) / 100))
    UNARY(SwapHalves, (a << 16) | (a >> 16))
    UNARY(Not, Truth(a == 0))
    UNARY(BitNot, ~a)
    UNARY(NextWordAddress, a + 4)
    UNARY(PreviousWordAddress, a - 4)
    UNARY(AddConst, a + ip->k)

    // --- shuffles ---
d_Dup:
    PUSH(tos);
    NEXT();
d_Swap:
    std::swap(tos, top[-1]);
    NEXT();
d_Drop:
    DROP();
    NEXT();
d_Rot : {  // a b c -> b c a
    const uint32_t a = top[-2];
    top[-2] = top[-1];
    top[-1] = tos;
    tos = a;
}
    NEXT();
d_RotBack : {  // a b c -> c a b
    const uint32_t b = top[-1];
    top[-1] = top[-2];
    top[-2] = tos;
    tos = b;
}
    NEXT();
d_Over:
    PUSH(top[-1]);
    NEXT();
d_DupTwo:
    top[0] = tos;
    top[1] = top[-1];
    top += 2;
    NEXT();
d_Tuck:
    top[0] = top[-1];
    top[-1] = tos;
    ++top;
    NEXT();
d_SwapTwo:
    std::swap(top[-3], top[-1]);
    std::swap(top[-2], tos);
    NEXT();
d_PickTwo:
    PUSH(top[-2]);
    NEXT();
d_Nip:
    --top;
    NEXT();
d_SplitHalves : {
    const uint32_t a = tos;
    tos = a & 0xFFFF;
    PUSH(a >> 16);
}
    NEXT();
d_NipLowHalf:
    --top;
    tos &= 0xFFFF;
    NEXT();
d_RotTwo : {  // a1 a2 b1 b2 c1 c2 -> b1 b2 c1 c2 a1 a2
    *top = tos;
    const uint32_t a1 = top[-5], a2 = top[-4];
    std::memmove(top - 5, top - 3, sizeof(uint32_t) * 4);
    top[-1] = a1;
    tos = a2;
}
    NEXT();

    // --- memory (every address range-checked) ---
d_Fetch:
    if (Outside(tos, 4)) BAIL();
    std::memcpy(&tos, mem + tos, 4);
    NEXT();
d_FetchByte:
    if (Outside(tos, 1)) BAIL();
    tos = mem[tos];
    NEXT();
d_Store:
d_StoreReversed : {
    const bool reversed = ip->op == DecodedOp::StoreReversed;
    const uint32_t address = reversed ? top[-1] : tos;
    const uint32_t value = reversed ? tos : top[-1];
    if (Outside(address, 4)) BAIL();
    std::memcpy(mem + address, &value, 4);
    POP2();
    WROTE(address, 4);
}
    NEXT();
d_StoreByte : {
    const uint32_t address = tos;
    if (Outside(address, 1)) BAIL();
    mem[address] = static_cast<uint8_t>(top[-1]);
    POP2();
    WROTE(address, 1);
}
    NEXT();
d_AddToMemory:
d_SubtractFromMemory : {
    const uint32_t address = tos;
    if (Outside(address, 4)) BAIL();
    uint32_t word;
    std::memcpy(&word, mem + address, 4);
    word = ip->op == DecodedOp::AddToMemory ? word + top[-1] : word - top[-1];
    std::memcpy(mem + address, &word, 4);
    POP2();
    WROTE(address, 4);
}
    NEXT();
d_OverSwapAddToMemory : {
    const uint32_t address = tos;
    if (Outside(address, 4)) BAIL();
    uint32_t word;
    std::memcpy(&word, mem + address, 4);
    word += top[-1];
    std::memcpy(mem + address, &word, 4);
    DROP();
    WROTE(address, 4);
}
    NEXT();
d_IncrementMemory:
d_DecrementMemory:
d_ClearMemory : {
    const uint32_t address = tos;
    if (Outside(address, 4)) BAIL();
    uint32_t word;
    std::memcpy(&word, mem + address, 4);
    word = ip->op == DecodedOp::IncrementMemory   ? word + 1
           : ip->op == DecodedOp::DecrementMemory ? word - 1
                                                  : 0;
    std::memcpy(mem + address, &word, 4);
    DROP();
    WROTE(address, 4);
}
    NEXT();

    // --- locals: "k LocalAddress" is local k's slot; the locals stack lies in script memory ---
d_LocalAddress:
    if (tos >= locals_.Depth()) BAIL();
    tos = static_cast<uint32_t>(reinterpret_cast<uint8_t*>(locals_.Slots() + (locals_.Depth() - tos)) - mem);
    NEXT();
d_LocalFetch:
    if (ip->k >= locals_.Depth()) BAIL();
    PUSH(locals_.Slots()[locals_.Depth() - ip->k]);
    NEXT();
d_LocalStore:
    if (ip->k >= locals_.Depth()) BAIL();
    locals_.Slots()[locals_.Depth() - ip->k] = tos;
    DROP();
    NEXT();
d_LocalAdd:
    if (ip->k >= locals_.Depth()) BAIL();
    locals_.Slots()[locals_.Depth() - ip->k] += tos;
    DROP();
    NEXT();
d_DupLocalStore:
    if (ip->k >= locals_.Depth()) BAIL();
    locals_.Slots()[locals_.Depth() - ip->k] = tos;
    NEXT();
d_DupLocalAdd:
    if (ip->k >= locals_.Depth()) BAIL();
    locals_.Slots()[locals_.Depth() - ip->k] += tos;
    NEXT();

    // --- return stack ---
d_ToReturn:
    if (return_.Depth() + 1 >= static_cast<uint32_t>(return_.Capacity())) BAIL();
    return_.Push(tos);
    DROP();
    NEXT();
d_CopyToReturn:
    if (return_.Depth() + 1 >= static_cast<uint32_t>(return_.Capacity())) BAIL();
    return_.Push(tos);
    NEXT();
d_FromReturn:
    if (return_.Depth() == 0) BAIL();
    PUSH(return_.Pop());
    NEXT();
d_ReturnTop:
    if (return_.Depth() < 1) BAIL();
    PUSH(return_.Peek(0));
    NEXT();
d_ReturnSecond:
    if (return_.Depth() < 2) BAIL();
    PUSH(return_.Peek(1));
    NEXT();
d_ReturnThird:
    if (return_.Depth() < 3) BAIL();
    PUSH(return_.Peek(2));
    NEXT();
d_DropReturn:
    if (return_.Depth() == 0) BAIL();
    return_.Pop();
    NEXT();
d_DropBoth:
    if (return_.Depth() == 0) BAIL();
    return_.Pop();
    DROP();
    NEXT();

#undef UNARY
#undef BINARY
#undef WROTE
#undef POP2
#undef DROP
#undef PUSH
#undef BAIL
#undef EXIT_TO
#undef NEXT
#undef LOAD
#undef SAVE
}

#pragma GCC diagnostic pop

template void Processor::RunDecoded<false>(uint32_t);
template void Processor::RunDecoded<true>(uint32_t);
