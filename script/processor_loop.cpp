// The dispatch loop: one fetch-decode-dispatch step per word, and the handlers of the operations
// that run inside it; a few of them also run the words that usually follow them (the look-ahead). While the loop runs, PC and the DataStack's top live in local registers; they
// are written back before anything else can look at the processor (calls, returns, the operations
// that run as ProcessorOps, every error).
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <utility>

#include "foundation/exceptions.h"
#include "script/operations.h"
#include "script/processor.h"

#if defined(__GNUC__)
#define VONDREL_INLINE [[gnu::always_inline]] inline
#define VONDREL_COLD [[gnu::cold, gnu::noinline]]
#else
#define VONDREL_INLINE inline
#define VONDREL_COLD
#endif

namespace {

constexpr uint32_t kLow = kScriptReservedLow;
constexpr uint32_t kHigh = static_cast<uint32_t>(kScriptRegionSize);

[[noreturn]] VONDREL_COLD void ThrowBadCodeAddress(uint32_t pc) {
    char text[96];
    std::snprintf(text, sizeof text, "Instruction address 0x%08X outside the script address space", pc);
    throw FatalExep(String(text));
}

[[noreturn]] VONDREL_COLD void ThrowBadAddress(uint32_t address, uint32_t size) {
    CheckScriptRange(address, size);
    std::abort();  // not reached: the range was found bad before the call
}

[[noreturn]] VONDREL_COLD void ThrowScriptError(const char* message) { throw FatalExep(String(message)); }

// The loop's registers. PC is a script address; it is checked whenever it is set other than by
// stepping to the next word, so at every fetch it lies at or below the end of the address space.
// A fetch there, or a look at the words after a valid one, reads the guard past the end, whose
// words are never operations (see the dispatch). The DataStack's top value is kept in tos: the
// memory slot at top is stale until Save.
struct Registers {
    Processor& p;
    uint8_t* const mem;
    uint32_t* const bottom;  // the DataStack's slot 0: empty when top is here
    uint32_t* const limit;   // the last slot a push may fill
    uint32_t* top;
    uint32_t tos;
    // Held zero-extended in 64 bits so that it indexes memory directly; it always holds a 32-bit
    // value.
    uint64_t pc;
    // Whether handlers may run a following sequence of words together with their own (the
    // look-ahead below); never while stepping one word at a time.
    const bool fuse;

    VONDREL_INLINE void Save() {
        *top = tos;
        p.SetPC(static_cast<uint32_t>(pc));
        p.DataStack().SetDepth(Depth());
    }
    VONDREL_INLINE void Load() {
        top = bottom + p.DataStack().Depth();
        tos = *top;
        pc = p.PC();
        CheckPc();
    }

    VONDREL_INLINE uint32_t Depth() const { return static_cast<uint32_t>(top - bottom); }
    [[noreturn]] VONDREL_INLINE void Underflow() {
        Save();
        ThrowDStackUnderflow();
    }
    [[noreturn]] VONDREL_INLINE void Overflow() {
        Save();
        ThrowDStackOverflow();
    }
    [[noreturn]] VONDREL_INLINE void Fail(const char* message) {
        Save();
        ThrowScriptError(message);
    }

    // Data stack.
    VONDREL_INLINE void Need(uint32_t n) {
        if (top < bottom + n) Underflow();
    }
    VONDREL_INLINE void Room(uint32_t n) {
        if (static_cast<size_t>(limit - top) < n) Overflow();
    }
    VONDREL_INLINE void Push(uint32_t value) {
        if (top >= limit) Overflow();
        *top++ = tos;
        tos = value;
    }
    VONDREL_INLINE uint32_t Pop() {
        if (top == bottom) Underflow();
        const uint32_t value = tos;
        tos = *--top;
        return value;
    }
    VONDREL_INLINE void DropOne() { tos = *--top; }
    // The value d places below the top.
    VONDREL_INLINE uint32_t At(uint32_t d) {
        if (d >= Depth()) Underflow();
        return d == 0 ? tos : top[-static_cast<ptrdiff_t>(d)];
    }

    // Return stack.
    VONDREL_INLINE DStack<ReturnAddress>& R() { return p.ReturnStack(); }
    VONDREL_INLINE void RPush(uint32_t value) {
        if (R().Depth() + 1 >= static_cast<uint32_t>(R().Capacity())) Overflow();
        R().Push(value);
    }
    VONDREL_INLINE uint32_t RPop() {
        if (R().Depth() == 0) Underflow();
        return R().Pop();
    }
    VONDREL_INLINE uint32_t RPeek(uint32_t d) {
        if (d >= R().Depth()) Underflow();
        return R().Peek(d);
    }

    // PC.
    VONDREL_INLINE void CheckPc() {
        if (pc - kLow > kHigh - kLow - 4) {
            Save();
            ThrowBadCodeAddress(static_cast<uint32_t>(pc));
        }
    }
    VONDREL_INLINE uint32_t Inline() {
        if (pc > kHigh - 4) {
            Save();
            ThrowBadCodeAddress(static_cast<uint32_t>(pc));
        }
        uint32_t value;
        std::memcpy(&value, mem + pc, 4);
        pc += 4;
        return value;
    }
    // Room for n more values on the data stack.
    VONDREL_INLINE bool HasRoom(uint32_t n) const { return static_cast<size_t>(limit - top) >= n; }
    // A word at most a few words past one that was inside the address space: the guard past the
    // end makes the read safe, and its bytes (0xFF) make up no operation word.
    VONDREL_INLINE uint32_t WordAt(uint64_t address) const {
        uint32_t value;
        std::memcpy(&value, mem + address, 4);
        return value;
    }

    // Offset o counts words from the word after it; PC is already there.
    VONDREL_INLINE void JumpBy(uint32_t offset) {
        pc = static_cast<uint32_t>(pc + 4 * offset);
        CheckPc();
    }

    // Script memory, range-checked.
    VONDREL_INLINE uint8_t* Bytes(uint32_t address, uint32_t size) {
        if (address - kLow > kHigh - kLow - size) {
            Save();
            ThrowBadAddress(address, size);
        }
        return mem + address;
    }
    VONDREL_INLINE uint32_t Load32(uint32_t address) {
        uint32_t value;
        std::memcpy(&value, Bytes(address, 4), 4);
        return value;
    }
    VONDREL_INLINE void Store32(uint32_t address, uint32_t value) { std::memcpy(Bytes(address, 4), &value, 4); }
};

VONDREL_INLINE int32_t Signed(uint32_t v) { return static_cast<int32_t>(v); }
VONDREL_INLINE uint32_t Truth(bool b) { return b ? 1u : 0u; }

constexpr uint32_t OpWord(uint32_t slot) { return InstructionWord::kOperationTag + slot; }

// Operation words that the look-ahead recognises.
enum : uint32_t {
    kGreaterWord = OpWord(13),
    kLessWord = OpWord(14),
    kEqualWord = OpWord(15),
    kGreaterEqualWord = OpWord(17),
    kLessEqualWord = OpWord(18),
    kNotEqualWord = OpWord(19),
    kDupWord = OpWord(26),
    kJumpIfZeroWord = OpWord(33),
    kJumpIfNonZeroWord = OpWord(39),
    kJumpIfZeroOtherWord = OpWord(40),
    kFetchWord = OpWord(56),
    kStoreWord = OpWord(57),
    kAddToMemoryWord = OpWord(82),
    kLocalAddressWord = OpWord(98),
    kJumpIfNotEqualPushReturnWord = OpWord(118),
    kPushInlineWord = OpWord(4),
    kPushInlineOtherWord = OpWord(62),
    kPushZeroWord = OpWord(124),
};

// The six comparisons, by operation word, without a branch per kind: each comparison's slot holds
// a nibble with one bit for each outcome (less, equal, greater) that makes it true.
constexpr uint32_t kComparisonOutcomes = (0b100u << 0) |   // 13 Greater
                                         (0b001u << 4) |   // 14 Less
                                         (0b010u << 8) |   // 15 Equal
                                         (0b110u << 16) |  // 17 GreaterEqual (16 is Not)
                                         (0b011u << 20) |  // 18 LessEqual
                                         (0b101u << 24);   // 19 NotEqual

// The outcomes that make the comparison word true; 0 for any other word.
VONDREL_INLINE uint32_t OutcomesOf(uint32_t word) {
    const uint32_t index = word - kGreaterWord;
    return (kComparisonOutcomes >> (4 * (index & 7))) & 0xF & (0u - Truth(index <= kNotEqualWord - kGreaterWord));
}

// 1 when a compared with b (signed) has one of the outcomes, else 0.
VONDREL_INLINE uint32_t Holds(uint32_t outcomes, uint32_t a, uint32_t b) {
    const int64_t difference = int64_t{Signed(a)} - int64_t{Signed(b)};
    return (outcomes >> (1 + Truth(difference > 0) - Truth(difference < 0))) & 1;
}

// A conditional jump word as the truth on which it jumps (1 for a non-zero value, 0 for zero);
// kNoJump for any other word.
constexpr uint32_t kNoJump = 2;

VONDREL_INLINE uint32_t JumpTest(uint32_t word) {
    uint32_t test = word == kJumpIfNonZeroWord ? 1 : kNoJump;
    return ((word == kJumpIfZeroWord) | (word == kJumpIfZeroOtherWord)) ? 0 : test;
}

// Ends a conditional jump whose offset word is at address as if it had popped truth.
VONDREL_INLINE void FinishJump(Registers& r, uint64_t address, uint32_t test, uint32_t truth) {
    const uint32_t offset = r.WordAt(address);
    r.pc = address + 4;
    if (truth == test) [[likely]] r.JumpBy(offset);
}

// Look-ahead. Compiled code is full of a few short sequences: a comparison followed by a conditional
// jump on its result, a constant compared with the top value before such a jump, and a local
// variable read, written or added to through "k LocalAddress Fetch/Store/AddToMemory". The handler
// of a sequence's first word runs the whole sequence as one step when it finds it at PC and none of
// its words could fail; otherwise it does only its own work. The words are read where they stand
// each time, so code that jumps into the middle of a sequence or rewrites it runs as written. The
// tests are combined without branches where that keeps the common path straight.

VONDREL_INLINE void Compare(Registers& r, uint32_t word) {
    r.Need(2);
    const uint32_t truth = Holds(OutcomesOf(word), r.top[-1], r.tos);
    // The jump's offset word must lie inside: there the jump itself would fail.
    if (r.fuse) {
        if (const uint32_t test = JumpTest(r.WordAt(r.pc)); (test != kNoJump) & (r.pc <= kHigh - 8)) [[likely]] {
            r.top -= 2;
            r.tos = *r.top;
            FinishJump(r, r.pc + 4, test, truth);
            return;
        }
    }
    --r.top;
    r.tos = truth;
}

// A local variable's slot: "k LocalAddress" gives its script address.
VONDREL_INLINE uint32_t* LocalSlot(Registers& r, uint32_t k) {
    DStack<uint32_t>& locals = r.p.LocalsStack();
    if (k >= locals.Depth()) return nullptr;
    return locals.Slots() + (locals.Depth() - k);
}

// The words at address follow a push of the constant k: runs them with it when they are one of the
// sequences that use a constant and the top value x ("LocalAddress" then "Store" or "AddToMemory";
// a comparison then a conditional jump) or only the constant ("LocalAddress" then "Fetch"). keep
// leaves x on the stack: the sequence used a copy of it. The caller has made sure that the pushes
// of the sequence's first words fit. False, changing nothing, otherwise.
VONDREL_INLINE bool UseConstant(Registers& r, uint64_t address, uint32_t k, bool keep) {
    const uint32_t next = r.WordAt(address);
    if (next == kLocalAddressWord) {
        uint32_t* slot = LocalSlot(r, k);
        if (slot == nullptr) return false;
        // The locals stack lies in the script address space: its slots need no range check.
        const uint32_t use = r.WordAt(address + 4);
        if (use == kFetchWord) {
            if (keep) r.Push(r.tos);
            r.Push(*slot);
        } else {
            if (r.top == r.bottom) return false;
            if (use == kAddToMemoryWord) {
                *slot += r.tos;
            } else if (use == kStoreWord) {
                *slot = r.tos;
            } else {
                return false;
            }
            if (!keep) r.DropOne();
        }
        r.pc = address + 8;
        return true;
    }
    if (next == kJumpIfNotEqualPushReturnWord) {
        // The loop operation: unequal, it brings back the return stack's top and jumps.
        DStack<ReturnAddress>& returns = r.p.ReturnStack();
        if ((r.top == r.bottom) | (returns.Depth() == 0) | (address > kHigh - 8)) return false;
        const uint32_t offset = r.WordAt(address + 4);
        const uint32_t x = r.tos;
        if (!keep) r.DropOne();
        r.pc = address + 8;
        if (x != k) {
            r.Push(returns.Peek(0));
            r.JumpBy(offset);
        }
        return true;
    }
    const uint32_t outcomes = OutcomesOf(next);
    if (outcomes == 0) return false;
    const uint32_t test = JumpTest(r.WordAt(address + 4));
    if ((test == kNoJump) | (r.top == r.bottom) | (address > kHigh - 12)) return false;
    const uint32_t truth = Holds(outcomes, r.tos, k);
    if (!keep) r.DropOne();
    FinishJump(r, address + 8, test, truth);
    return true;
}

// Whether the word may begin a sequence that UseConstant runs: a cheap first test.
VONDREL_INLINE bool MayUseConstant(uint32_t word) {
    return (word == kLocalAddressWord) | (word - kGreaterWord <= kNotEqualWord - kGreaterWord) |
           (word == kJumpIfNotEqualPushReturnWord);
}

// Runs a copy of the top (Dup) and the constant push at address with a following sequence that
// uses them, when there is one.
VONDREL_INLINE bool CopyAndUseConstant(Registers& r, uint64_t address) {
    static constexpr uint32_t kSmall[] = {0, 1, 2, 4, 0xFFFFFFFFu, 0xFFFFFFFEu, 0xFFFFFFFCu};
    const uint32_t word = r.WordAt(address);
    const uint32_t index = word - kPushZeroWord;
    const bool small = index < std::size(kSmall);
    if (!small & (word != kPushInlineWord) & (word != kPushInlineOtherWord)) return false;
    const uint64_t use = address + (small ? 4 : 8);
    const bool usable = MayUseConstant(r.WordAt(use));
    const bool room = r.HasRoom(2);
    if (!usable | !room) return false;
    return UseConstant(r, use, small ? kSmall[index] : r.WordAt(address + 4), true);
}

VONDREL_INLINE void PushConstant(Registers& r, uint32_t k) {
    if (r.fuse) {
        const bool usable = MayUseConstant(r.WordAt(r.pc));
        const bool room = r.HasRoom(1);
        if (usable & room) {
            if (UseConstant(r, r.pc, k, false)) [[likely]] return;
        }
    }
    r.Push(k);
}

template <class F>
VONDREL_INLINE void Unary(Registers& r, F f) {
    r.Need(1);
    r.tos = f(r.tos);
}

template <class F>
VONDREL_INLINE void Binary(Registers& r, F f) {
    r.Need(2);
    r.tos = f(r.top[-1], r.tos);
    --r.top;
}

// Handlers of the operations that run inside the loop. Arithmetic is done in uint32_t: it wraps.
struct LoopOps {
    // --- inline data and constants ---
    VONDREL_INLINE static void Nop(Registers&) {}
    VONDREL_INLINE static void PushInline(Registers& r) { PushConstant(r, r.Inline()); }
    VONDREL_INLINE static void PushInlineData(Registers& r) {
        const uint32_t count = r.Inline();
        r.Push(static_cast<uint32_t>(r.pc));
        r.JumpBy(count);
    }
    VONDREL_INLINE static void PushRelativeAddress(Registers& r) {
        const auto at = static_cast<uint32_t>(r.pc);
        r.Push(at + 4 * r.Inline());
    }
    VONDREL_INLINE static void PushZero(Registers& r) { PushConstant(r, 0); }
    VONDREL_INLINE static void PushOne(Registers& r) { PushConstant(r, 1); }
    VONDREL_INLINE static void PushTwo(Registers& r) { PushConstant(r, 2); }
    VONDREL_INLINE static void PushFour(Registers& r) { PushConstant(r, 4); }
    VONDREL_INLINE static void PushMinusOne(Registers& r) { PushConstant(r, 0xFFFFFFFFu); }
    VONDREL_INLINE static void PushMinusTwo(Registers& r) { PushConstant(r, 0xFFFFFFFEu); }
    VONDREL_INLINE static void PushMinusFour(Registers& r) { PushConstant(r, 0xFFFFFFFCu); }

    // --- arithmetic ---
    VONDREL_INLINE static void Add(Registers& r) {
        Binary(r, [](uint32_t a, uint32_t b) { return a + b; });
    }
    VONDREL_INLINE static void Sub(Registers& r) {
        Binary(r, [](uint32_t a, uint32_t b) { return a - b; });
    }
    VONDREL_INLINE static void Mul(Registers& r) {
        Binary(r, [](uint32_t a, uint32_t b) { return a * b; });
    }
    // Division by zero and the smallest integer divided by -1 would trap: refused.
    VONDREL_INLINE static void CheckDivisor(Registers& r) {
        r.Need(2);
        if (r.tos == 0) r.Fail("Division by zero in script");
        if (r.top[-1] == 0x80000000u && r.tos == 0xFFFFFFFFu) r.Fail("Division overflow in script");
    }
    VONDREL_INLINE static void Div(Registers& r) {
        CheckDivisor(r);
        Binary(r, [](uint32_t a, uint32_t b) { return static_cast<uint32_t>(Signed(a) / Signed(b)); });
    }
    VONDREL_INLINE static void Mod(Registers& r) {
        CheckDivisor(r);
        Binary(r, [](uint32_t a, uint32_t b) { return static_cast<uint32_t>(Signed(a) % Signed(b)); });
    }
    // A counter that steps is mostly tested next ("Dup", a constant, a comparison, a jump).
    VONDREL_INLINE static void Increment(Registers& r) {
        Unary(r, [](uint32_t a) { return a + 1; });
        if (r.fuse && r.WordAt(r.pc) == kDupWord) CopyAndUseConstant(r, r.pc + 4);
    }
    VONDREL_INLINE static void Decrement(Registers& r) {
        Unary(r, [](uint32_t a) { return a - 1; });
        if (r.fuse && r.WordAt(r.pc) == kDupWord) CopyAndUseConstant(r, r.pc + 4);
    }
    VONDREL_INLINE static void Abs(Registers& r) {
        Unary(r, [](uint32_t a) { return Signed(a) < 0 ? 0u - a : a; });
    }
    VONDREL_INLINE static void ShiftLeftOne(Registers& r) {
        Unary(r, [](uint32_t a) { return a << 1; });
    }
    VONDREL_INLINE static void ShiftRightOne(Registers& r) {
        Unary(r, [](uint32_t a) { return a >> 1; });
    }
    VONDREL_INLINE static void ShiftLeftTwo(Registers& r) {
        Unary(r, [](uint32_t a) { return a << 2; });
    }
    VONDREL_INLINE static void ShiftRightTwo(Registers& r) {
        Unary(r, [](uint32_t a) { return a >> 2; });
    }
    VONDREL_INLINE static void TimesHundred(Registers& r) {
        Unary(r, [](uint32_t a) { return a * 100; });
    }
    VONDREL_INLINE static void DivHundred(Registers& r) {
        Unary(r, [](uint32_t a) { return static_cast<uint32_t>(Signed(a) / 100); });
    }
    VONDREL_INLINE static void Min(Registers& r) {
        Binary(r, [](uint32_t a, uint32_t b) { return Signed(a) < Signed(b) ? a : b; });
    }
    VONDREL_INLINE static void Max(Registers& r) {
        Binary(r, [](uint32_t a, uint32_t b) { return Signed(a) > Signed(b) ? a : b; });
    }
    VONDREL_INLINE static void SwapHalves(Registers& r) {
        Unary(r, [](uint32_t a) { return (a << 16) | (a >> 16); });
    }

    // --- comparison and logic ---
    VONDREL_INLINE static void Greater(Registers& r) { Compare(r, kGreaterWord); }
    VONDREL_INLINE static void Less(Registers& r) { Compare(r, kLessWord); }
    VONDREL_INLINE static void Equal(Registers& r) { Compare(r, kEqualWord); }
    VONDREL_INLINE static void GreaterEqual(Registers& r) { Compare(r, kGreaterEqualWord); }
    VONDREL_INLINE static void LessEqual(Registers& r) { Compare(r, kLessEqualWord); }
    VONDREL_INLINE static void NotEqual(Registers& r) { Compare(r, kNotEqualWord); }
    VONDREL_INLINE static void Not(Registers& r) {
        Unary(r, [](uint32_t a) { return Truth(a == 0); });
    }
    VONDREL_INLINE static void BitAnd(Registers& r) {
        Binary(r, [](uint32_t a, uint32_t b) { return a & b; });
    }
    VONDREL_INLINE static void BitOr(Registers& r) {
        Binary(r, [](uint32_t a, uint32_t b) { return a | b; });
    }
    VONDREL_INLINE static void BitXor(Registers& r) {
        Binary(r, [](uint32_t a, uint32_t b) { return a ^ b; });
    }
    VONDREL_INLINE static void BitNot(Registers& r) {
        Unary(r, [](uint32_t a) { return ~a; });
    }
    VONDREL_INLINE static void And(Registers& r) {
        Binary(r, [](uint32_t a, uint32_t b) { return Truth(a != 0 && b != 0); });
    }
    VONDREL_INLINE static void Or(Registers& r) {
        Binary(r, [](uint32_t a, uint32_t b) { return Truth(a != 0 || b != 0); });
    }
    VONDREL_INLINE static void WithinOpen(Registers& r) {
        r.Need(3);
        const int32_t hi = Signed(r.tos), lo = Signed(r.top[-1]), x = Signed(r.top[-2]);
        r.top -= 2;
        r.tos = Truth(lo < x && x < hi);
    }
    VONDREL_INLINE static void WithinClosed(Registers& r) {
        r.Need(3);
        const int32_t hi = Signed(r.tos), lo = Signed(r.top[-1]), x = Signed(r.top[-2]);
        r.top -= 2;
        r.tos = Truth(lo <= x && x <= hi);
    }

    // --- data stack shuffles ---
    // A copy of the top is mostly used at once by a sequence that takes a constant.
    VONDREL_INLINE static void Dup(Registers& r) {
        r.Need(1);
        if (r.fuse && CopyAndUseConstant(r, r.pc)) return;
        r.Push(r.tos);
    }
    VONDREL_INLINE static void Swap(Registers& r) {
        r.Need(2);
        std::swap(r.tos, r.top[-1]);
    }
    VONDREL_INLINE static void Drop(Registers& r) {
        r.Need(1);
        r.DropOne();
    }
    VONDREL_INLINE static void Rot(Registers& r) {  // a b c -> b c a
        r.Need(3);
        const uint32_t a = r.top[-2];
        r.top[-2] = r.top[-1];
        r.top[-1] = r.tos;
        r.tos = a;
    }
    VONDREL_INLINE static void RotBack(Registers& r) {  // a b c -> c a b
        r.Need(3);
        const uint32_t b = r.top[-1];
        r.top[-1] = r.top[-2];
        r.top[-2] = r.tos;
        r.tos = b;
    }
    VONDREL_INLINE static void Over(Registers& r) {
        r.Need(2);
        r.Push(r.top[-1]);
    }
    VONDREL_INLINE static void DupTwo(Registers& r) {  // a b -> a b a b
        r.Need(2);
        r.Room(2);
        r.top[0] = r.tos;
        r.top[1] = r.top[-1];
        r.top += 2;
    }
    VONDREL_INLINE static void Tuck(Registers& r) {  // a b -> b a b
        r.Need(2);
        r.Room(1);
        r.top[0] = r.top[-1];
        r.top[-1] = r.tos;
        ++r.top;
    }
    VONDREL_INLINE static void Pick(Registers& r) {
        const uint32_t n = r.Pop();
        r.Push(r.At(n));
    }
    VONDREL_INLINE static void Roll(Registers& r) {
        const uint32_t n = r.Pop();
        const uint32_t moved = r.At(n);
        if (n == 0) return;
        *r.top = r.tos;
        uint32_t* from = r.top - n;
        std::memmove(from, from + 1, sizeof(uint32_t) * n);
        r.tos = moved;
    }
    VONDREL_INLINE static void DupIfNonZero(Registers& r) {
        r.Need(1);
        if (r.tos != 0) r.Push(r.tos);
    }
    VONDREL_INLINE static void Depth(Registers& r) { r.Push(r.Depth()); }
    VONDREL_INLINE static void SwapTwo(Registers& r) {  // a b c d -> c d a b
        r.Need(4);
        std::swap(r.top[-3], r.top[-1]);
        std::swap(r.top[-2], r.tos);
    }
    VONDREL_INLINE static void PickTwo(Registers& r) {
        r.Need(3);
        r.Push(r.top[-2]);
    }
    VONDREL_INLINE static void Nip(Registers& r) {
        r.Need(2);
        --r.top;
    }
    VONDREL_INLINE static void SplitHalves(Registers& r) {
        r.Need(1);
        r.Room(1);
        const uint32_t a = r.tos;
        r.tos = a & 0xFFFF;
        r.Push(a >> 16);
    }
    VONDREL_INLINE static void NipLowHalf(Registers& r) {
        r.Need(2);
        --r.top;
        r.tos &= 0xFFFF;
    }
    VONDREL_INLINE static void NipIfZero(Registers& r) {
        r.Need(2);
        if (r.tos == 0) --r.top;
    }
    VONDREL_INLINE static void RotTwo(Registers& r) {  // a1 a2 b1 b2 c1 c2 -> b1 b2 c1 c2 a1 a2
        r.Need(6);
        *r.top = r.tos;
        const uint32_t a1 = r.top[-5], a2 = r.top[-4];
        std::memmove(r.top - 5, r.top - 3, sizeof(uint32_t) * 4);
        r.top[-1] = a1;
        r.tos = a2;
    }
    VONDREL_INLINE static void DupN(Registers& r) {
        const uint32_t n = r.Pop();
        if (n > r.Depth()) r.Underflow();
        r.Room(n);
        *r.top = r.tos;
        std::memcpy(r.top + 1, r.top + 1 - n, sizeof(uint32_t) * n);
        r.top += n;
        r.tos = *r.top;
    }

    // --- jumps ---
    VONDREL_INLINE static void Jump(Registers& r) { r.JumpBy(r.Inline()); }
    VONDREL_INLINE static void JumpIfZero(Registers& r) {
        const uint32_t offset = r.Inline();
        if (r.Pop() == 0) r.JumpBy(offset);
    }
    VONDREL_INLINE static void JumpIfNonZero(Registers& r) {
        const uint32_t offset = r.Inline();
        if (r.Pop() != 0) r.JumpBy(offset);
    }
    VONDREL_INLINE static void JumpIfZeroKeep(Registers& r) {
        const uint32_t offset = r.Inline();
        r.Need(1);
        if (r.tos == 0) r.JumpBy(offset);
    }
    VONDREL_INLINE static void JumpIfNonZeroKeep(Registers& r) {
        const uint32_t offset = r.Inline();
        r.Need(1);
        if (r.tos != 0) {
            r.JumpBy(offset);
        } else {
            r.DropOne();
        }
    }
    VONDREL_INLINE static void JumpDropIfZero(Registers& r) {
        const uint32_t offset = r.Inline();
        r.Need(1);
        if (r.tos == 0) {
            r.DropOne();
            r.JumpBy(offset);
        }
    }

    // --- return stack ---
    VONDREL_INLINE static void PushReturnAndJump(Registers& r) {
        const uint32_t offset = r.Inline();
        r.Need(1);
        r.RPush(r.tos);
        r.JumpBy(offset);
    }
    VONDREL_INLINE static void CopyToReturn(Registers& r) {
        r.Need(1);
        r.RPush(r.tos);
    }
    VONDREL_INLINE static void JumpIfZeroDropReturn(Registers& r) {
        const uint32_t offset = r.Inline();
        if (r.Pop() == 0) {
            r.RPop();
            r.JumpBy(offset);
        }
    }
    VONDREL_INLINE static void PopReturnAndJump(Registers& r) {
        const uint32_t offset = r.Inline();
        r.Room(1);
        r.Push(r.RPop());
        r.JumpBy(offset);
    }
    VONDREL_INLINE static void DropReturnAndJump(Registers& r) {
        const uint32_t offset = r.Inline();
        r.RPop();
        r.JumpBy(offset);
    }
    VONDREL_INLINE static void ReturnTop(Registers& r) { r.Push(r.RPeek(0)); }
    VONDREL_INLINE static void ReturnSecond(Registers& r) { r.Push(r.RPeek(1)); }
    VONDREL_INLINE static void ReturnThird(Registers& r) { r.Push(r.RPeek(2)); }
    VONDREL_INLINE static void ToReturn(Registers& r) {
        r.Need(1);
        r.RPush(r.tos);
        r.DropOne();
    }
    VONDREL_INLINE static void FromReturn(Registers& r) {
        r.Room(1);
        r.Push(r.RPop());
    }
    VONDREL_INLINE static void DropReturn(Registers& r) { r.RPop(); }
    VONDREL_INLINE static void ReturnPick(Registers& r) {
        const uint32_t n = r.Pop();
        r.Push(r.RPeek(n));
    }
    VONDREL_INLINE static void JumpIfZeroPushReturn(Registers& r) {
        const uint32_t offset = r.Inline();
        if (r.Pop() == 0) {
            r.Push(r.RPeek(0));
            r.JumpBy(offset);
        }
    }
    VONDREL_INLINE static void JumpIfNotEqualPushReturn(Registers& r) {
        const uint32_t offset = r.Inline();
        r.Need(2);
        const uint32_t b = r.tos, a = r.top[-1];
        r.top -= 2;
        r.tos = *r.top;
        if (a != b) {
            r.Push(r.RPeek(0));
            r.JumpBy(offset);
        }
    }
    VONDREL_INLINE static void DropBoth(Registers& r) {
        r.Need(1);
        r.RPop();
        r.DropOne();
    }
    // Counts are unsigned: a wild count runs until a stack fails.
    VONDREL_INLINE static void ToReturnN(Registers& r) {
        const uint32_t n = r.Pop();
        for (uint32_t i = 0; i < n; ++i) {
            r.Need(1);
            r.RPush(r.tos);
            r.DropOne();
        }
    }
    VONDREL_INLINE static void FromReturnN(Registers& r) {
        const uint32_t n = r.Pop();
        for (uint32_t i = 0; i < n; ++i) {
            r.Room(1);
            r.Push(r.RPop());
        }
    }

    // --- memory (every address range-checked) ---
    VONDREL_INLINE static void Fetch(Registers& r) {
        r.Need(1);
        r.tos = r.Load32(r.tos);
    }
    VONDREL_INLINE static void Store(Registers& r) {  // value addr ->
        r.Need(2);
        r.Store32(r.tos, r.top[-1]);
        r.top -= 2;
        r.tos = *r.top;
    }
    VONDREL_INLINE static void StoreReversed(Registers& r) {  // addr value ->
        r.Need(2);
        r.Store32(r.top[-1], r.tos);
        r.top -= 2;
        r.tos = *r.top;
    }
    VONDREL_INLINE static void FetchByte(Registers& r) {
        r.Need(1);
        r.tos = *r.Bytes(r.tos, 1);
    }
    VONDREL_INLINE static void StoreByte(Registers& r) {  // value addr ->
        r.Need(2);
        *r.Bytes(r.tos, 1) = static_cast<uint8_t>(r.top[-1]);
        r.top -= 2;
        r.tos = *r.top;
    }
    // value addr -> : the word at addr combined with value.
    template <class F>
    VONDREL_INLINE static void UpdateMemory(Registers& r, F f) {
        r.Need(2);
        uint8_t* at = r.Bytes(r.tos, 4);
        uint32_t value;
        std::memcpy(&value, at, 4);
        value = f(value, r.top[-1]);
        std::memcpy(at, &value, 4);
        r.top -= 2;
        r.tos = *r.top;
    }
    VONDREL_INLINE static void AddToMemory(Registers& r) {
        UpdateMemory(r, [](uint32_t word, uint32_t value) { return word + value; });
    }
    VONDREL_INLINE static void SubtractFromMemory(Registers& r) {
        UpdateMemory(r, [](uint32_t word, uint32_t value) { return word - value; });
    }
    VONDREL_INLINE static void IncrementMemory(Registers& r) {
        r.Need(1);
        r.Store32(r.tos, r.Load32(r.tos) + 1);
        r.DropOne();
    }
    VONDREL_INLINE static void DecrementMemory(Registers& r) {
        r.Need(1);
        r.Store32(r.tos, r.Load32(r.tos) - 1);
        r.DropOne();
    }
    VONDREL_INLINE static void ClearMemory(Registers& r) {
        r.Need(1);
        r.Store32(r.tos, 0);
        r.DropOne();
    }
    VONDREL_INLINE static void IndexWords(Registers& r) {
        Binary(r, [](uint32_t a, uint32_t n) { return a + 4 * n; });
    }
    VONDREL_INLINE static void IndexWordsBack(Registers& r) {
        Binary(r, [](uint32_t a, uint32_t n) { return a - 4 * n; });
    }
    VONDREL_INLINE static void NextWordAddress(Registers& r) {
        Unary(r, [](uint32_t a) { return a + 4; });
    }
    VONDREL_INLINE static void PreviousWordAddress(Registers& r) {
        Unary(r, [](uint32_t a) { return a - 4; });
    }

    // --- locals and objects ---
    VONDREL_INLINE static void LocalAddress(Registers& r) {
        r.Need(1);
        const uint32_t* slot = LocalSlot(r, r.tos);
        if (slot == nullptr) r.Underflow();
        r.tos = static_cast<uint32_t>(reinterpret_cast<const uint8_t*>(slot) - r.mem);
    }
    VONDREL_INLINE static void This(Registers& r) {
        DStack<ObjectAddress>& objects = r.p.ObjectStack();
        if (objects.Depth() == 0) r.Underflow();
        r.Push(objects.Peek(0));
    }
    VONDREL_INLINE static void FrameNumber(Registers& r) { r.Push(static_cast<uint32_t>(r.p.FrameNumber())); }
};

}  // namespace

#if defined(__GNUC__)
// Labels as values: each handler ends with its own dispatch, so each has its own branch history.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpedantic"
#define VONDREL_THREADED 1
#endif

template <bool kTraced, bool kSingle, bool kCounted>
bool Processor::Interpret(uint32_t stopDepth) {
    Registers r{*this,
                ScriptRegionBase(),
                data_.Slots(),
                data_.Slots() + (data_.Capacity() - 1),
                data_.Slots() + data_.Depth(),
                0,
                pc_,
                !kSingle};
    r.tos = *r.top;
    // The word less the operation tag: an operation's slot, or for other words a value from which
    // the word is recovered.
    uint32_t slot;

#if VONDREL_THREADED
#define VONDREL_LABEL_ADDRESS(number, name, words, place) &&op_##number,
    static void* const kLabels[kOperationCount] = {VONDREL_PROCESSOR_OPERATIONS(VONDREL_LABEL_ADDRESS)};
#undef VONDREL_LABEL_ADDRESS
#define VONDREL_DISPATCH() goto* kLabels[slot]
#else
#define VONDREL_CASE(number, name, words, place) \
    case number:                                 \
        goto op_##number;
#define VONDREL_DISPATCH()                                        \
    switch (slot) {                                               \
        VONDREL_PROCESSOR_OPERATIONS(VONDREL_CASE) default : break; \
    }
#endif

#define VONDREL_NEXT()                                                                  \
    do {                                                                                \
        if constexpr (kSingle) {                                                        \
            r.Save();                                                                   \
            return false;                                                               \
        }                                                                               \
        if constexpr (kCounted) {                                                       \
            if (stepsLeft_ == 0) {                                                      \
                r.Save();                                                               \
                ThrowStepsSpent();                                                      \
            }                                                                           \
            --stepsLeft_;                                                               \
        }                                                                               \
        std::memcpy(&slot, r.mem + r.pc, 4);                                            \
        r.pc += 4;                                                                      \
        slot -= InstructionWord::kOperationTag;                                         \
        if (slot >= kOperationCount) goto not_operation;                                \
        VONDREL_DISPATCH();                                                             \
    } while (0)

#define VONDREL_RUN_Loop(name) LoopOps::name(r)
#define VONDREL_RUN_Call(name) \
    r.Save();                  \
    ProcessorOps::name(*this); \
    r.Load()
#define VONDREL_RUN_Empty(name) \
    r.Save();                   \
    ThrowUndefinedOperation(slot)
#define VONDREL_HANDLER(number, name, words, place) \
    op_##number : {                                 \
        VONDREL_RUN_##place(name);                  \
    }                                               \
    VONDREL_NEXT();

    // Enter through the same decoding every handler ends with; from here on PC is only checked
    // against the upper bound when it steps.
    r.CheckPc();
    std::memcpy(&slot, r.mem + r.pc, 4);
    r.pc += 4;
    slot -= InstructionWord::kOperationTag;
    if (slot >= kOperationCount) goto not_operation;
    VONDREL_DISPATCH();

    VONDREL_PROCESSOR_OPERATIONS(VONDREL_HANDLER)

not_operation:
    // A word read at or across the end of the address space came (at least in part) from the
    // guard: its top byte is 0xFF, so it arrives here.
    if (r.pc > kHigh) {
        r.pc -= 4;
        goto bad_pc;
    }
    r.Save();
    if (const uint32_t word = slot + InstructionWord::kOperationTag; word == InstructionWord::kReturn) {
        const bool endsRun = Return(kTraced, stopDepth);
        if (kSingle || endsRun) return true;
    } else if (word >= InstructionWord::kOperationTag) {
        ThrowUndefinedOperation(slot);
    } else {
        Call(word, static_cast<uint32_t>(r.pc) - 4, kTraced);
        if (kSingle) return false;
    }
    r.Load();
    VONDREL_NEXT();

bad_pc:
    r.Save();
    ThrowBadCodeAddress(static_cast<uint32_t>(r.pc));

#undef VONDREL_HANDLER
#undef VONDREL_RUN_Empty
#undef VONDREL_RUN_Call
#undef VONDREL_RUN_Loop
#undef VONDREL_NEXT
#undef VONDREL_DISPATCH
#undef VONDREL_CASE
}

#if VONDREL_THREADED
#pragma GCC diagnostic pop
#endif

template bool Processor::Interpret<false, false>(uint32_t);
template bool Processor::Interpret<false, true>(uint32_t);
template bool Processor::Interpret<true, false>(uint32_t);
template bool Processor::Interpret<true, true>(uint32_t);
template bool Processor::Interpret<false, false, true>(uint32_t);
template bool Processor::Interpret<true, false, true>(uint32_t);
