// The plain interpreter: one fetch-decode-dispatch step per word, and the handlers of the operations
// that run inside it. It is the reference that decoded code (decoded_run.cpp) must match, and runs
// Step, StepTraced and the words that decoded code hands over. While a word runs, PC and the
// DataStack's top live in local registers; they are written back before anything else can look at
// the processor (calls, returns, the operations that run as ProcessorOps, every error).
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <utility>

#include "foundation/code_pages.h"
#include "foundation/exceptions.h"
#include "script/decoded_code.h"
#include "script/operations.h"
#include "script/processor.h"

// The loop reads and writes script memory for scripts, which the sandbox's own range checks
// guard; the sanitizer watches the host's accesses, not these.
#if defined(__GNUC__)
#define VONDREL_INLINE [[gnu::always_inline, gnu::no_sanitize_address]] inline
#define VONDREL_COLD [[gnu::cold, gnu::noinline]]
#else
#define VONDREL_INLINE inline
#define VONDREL_COLD
#endif

namespace {

constexpr uint32_t kLow = kScriptReservedLow;
constexpr uint32_t kHigh = static_cast<uint32_t>(kScriptRegionSize);

[[noreturn]] VONDREL_COLD void ThrowBadCodeAddress(uint32_t pc) {
    ThrowFatal("Instruction address 0x%08X outside the script address space", pc);
}

[[noreturn]] VONDREL_COLD void ThrowBadAddress(uint32_t address, uint32_t size) {
    CheckScriptRange(address, size);
    std::abort();  // not reached: the range was found bad before the call
}

[[noreturn]] VONDREL_COLD void ThrowScriptError(const char* message) {
    throw FatalExep(String(message));
}

// The loop's registers. PC is a script address; it is checked whenever it is set other than by
// stepping to the next word, so at every fetch it lies at or below the end of the address space.
// A fetch there reads the guard past the end, whose words are never operations (see the
// dispatch). The DataStack's top value is kept in tos: the
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
    // Set by a jump that goes back: where a run of cold code stops (see kColdRun).
    bool back = false;

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

    // Offset o counts words from the word after it; PC is already there.
    VONDREL_INLINE void JumpBy(uint32_t offset) {
        back |= static_cast<int32_t>(offset) < 0;
        pc = static_cast<uint32_t>(pc + 4 * offset);
        CheckPc();
        // Loops jump backwards: a script that never returns still lets a stop request in.
        if (static_cast<int32_t>(offset) < 0 && p.StopPollDue()) [[unlikely]] {
            Save();
            p.PollStop();
        }
    }

    // Script memory, range-checked.
    VONDREL_INLINE uint8_t* Bytes(uint32_t address, uint32_t size) {
        if (address - kLow > kHigh - kLow - size ||
            (kScriptPoisoning && ScriptRangePoisoned(address, size))) {
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
    // A write of size bytes at address: decoded code of the page is dropped.
    VONDREL_INLINE uint8_t* WritableBytes(uint32_t address, uint32_t size) {
        uint8_t* bytes = Bytes(address, size);
        NoteScriptWrite(address, size);
        return bytes;
    }
    VONDREL_INLINE void Store32(uint32_t address, uint32_t value) {
        std::memcpy(WritableBytes(address, 4), &value, 4);
    }
};

VONDREL_INLINE int32_t Signed(uint32_t v) {
    return static_cast<int32_t>(v);
}
VONDREL_INLINE uint32_t Truth(bool b) {
    return b ? 1u : 0u;
}

// A local variable's slot: "k LocalAddress" gives its script address.
VONDREL_INLINE uint32_t* LocalSlot(Registers& r, uint32_t k) {
    DStack<uint32_t>& locals = r.p.LocalsStack();
    if (k >= locals.Depth()) return nullptr;
    return locals.Slots() + (locals.Depth() - k);
}

// a b -> (a compared with b, signed), 1 or 0.
template <class F>
VONDREL_INLINE void Compare(Registers& r, F holds) {
    r.Need(2);
    r.tos = Truth(holds(Signed(r.top[-1]), Signed(r.tos)));
    --r.top;
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
    VONDREL_INLINE static void PushInline(Registers& r) { r.Push(r.Inline()); }
    VONDREL_INLINE static void PushInlineData(Registers& r) {
        const uint32_t count = r.Inline();
        r.Push(static_cast<uint32_t>(r.pc));
        r.JumpBy(count);
    }
    VONDREL_INLINE static void PushRelativeAddress(Registers& r) {
        const auto at = static_cast<uint32_t>(r.pc);
        r.Push(at + 4 * r.Inline());
    }
    VONDREL_INLINE static void PushZero(Registers& r) { r.Push(0); }
    VONDREL_INLINE static void PushOne(Registers& r) { r.Push(1); }
    VONDREL_INLINE static void PushTwo(Registers& r) { r.Push(2); }
    VONDREL_INLINE static void PushFour(Registers& r) { r.Push(4); }
    VONDREL_INLINE static void PushMinusOne(Registers& r) { r.Push(0xFFFFFFFFu); }
    VONDREL_INLINE static void PushMinusTwo(Registers& r) { r.Push(0xFFFFFFFEu); }
    VONDREL_INLINE static void PushMinusFour(Registers& r) { r.Push(0xFFFFFFFCu); }

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
    VONDREL_INLINE static void Increment(Registers& r) {
        Unary(r, [](uint32_t a) { return a + 1; });
    }
    VONDREL_INLINE static void Decrement(Registers& r) {
        Unary(r, [](uint32_t a) { return a - 1; });
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
    VONDREL_INLINE static void Greater(Registers& r) {
        Compare(r, [](int32_t a, int32_t b) { return a > b; });
    }
    VONDREL_INLINE static void Less(Registers& r) {
        Compare(r, [](int32_t a, int32_t b) { return a < b; });
    }
    VONDREL_INLINE static void Equal(Registers& r) {
        Compare(r, [](int32_t a, int32_t b) { return a == b; });
    }
    VONDREL_INLINE static void GreaterEqual(Registers& r) {
        Compare(r, [](int32_t a, int32_t b) { return a >= b; });
    }
    VONDREL_INLINE static void LessEqual(Registers& r) {
        Compare(r, [](int32_t a, int32_t b) { return a <= b; });
    }
    VONDREL_INLINE static void NotEqual(Registers& r) {
        Compare(r, [](int32_t a, int32_t b) { return a != b; });
    }
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
    VONDREL_INLINE static void Dup(Registers& r) {
        r.Need(1);
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
        *r.WritableBytes(r.tos, 1) = static_cast<uint8_t>(r.top[-1]);
        r.top -= 2;
        r.tos = *r.top;
    }
    // value addr -> : the word at addr combined with value.
    template <class F>
    VONDREL_INLINE static void UpdateMemory(Registers& r, F f) {
        r.Need(2);
        uint8_t* at = r.WritableBytes(r.tos, 4);
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

template <bool kTraced, bool kSingle>
#if defined(__GNUC__)
[[gnu::no_sanitize_address]]
#endif
bool Processor::Interpret(uint32_t stopDepth) {
    // Runs go through decoded code; this loop steps one word, or runs code met for the first time
    // (kColdRun) up to a jump back, a call or a return word.
    if constexpr (!kSingle) {
        if (stopDepth != kColdRun) {
            RunDecoded<kTraced>(stopDepth);
            return true;
        }
    }
    Registers r{*this,
                ScriptRegionBase(),
                data_.Slots(),
                data_.Slots() + (data_.Capacity() - 1),
                data_.Slots() + data_.Depth(),
                0,
                pc_};
    r.tos = *r.top;
    // The word less the operation tag: an operation's slot, or for other words a value from which
    // the word is recovered.
    uint32_t slot;

#if VONDREL_THREADED
#define VONDREL_LABEL_ADDRESS(number, operation, handler, words, place) &&op_##operation,
    static void* const kLabels[kOperationCount] = {VONDREL_PROCESSOR_OPERATIONS(VONDREL_LABEL_ADDRESS)};
#undef VONDREL_LABEL_ADDRESS
#define VONDREL_DISPATCH() goto* kLabels[slot]
#else
#define VONDREL_CASE(slot, operation, handler, words, place) \
    case slot:                                               \
        goto op_##operation;
#define VONDREL_DISPATCH() \
    switch (slot) { VONDREL_PROCESSOR_OPERATIONS(VONDREL_CASE) default : break; }
#endif

#define VONDREL_NEXT()           \
    do {                         \
        if (kSingle || r.back) { \
            r.Save();            \
            return false;        \
        }                        \
        goto fetch;              \
    } while (0)

#define VONDREL_RUN_Loop(name) LoopOps::name(r)
#define VONDREL_RUN_Call(name) \
    r.Save();                  \
    ProcessorOps::name(*this); \
    r.Load()
#define VONDREL_RUN_Empty(name) \
    r.Save();                   \
    ThrowUndefinedOperation(slot)
#define VONDREL_HANDLER(number, operation, handler, words, place) \
    op_##operation : {                                            \
        VONDREL_RUN_##place(handler);                             \
    }                                                             \
    VONDREL_NEXT();

    r.CheckPc();
    // PC is checked whenever it is set other than by stepping on: a word fetched at or past the end
    // of the address space comes from the guard, whose words are no operations.
fetch:
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
    if (const uint32_t word = slot + InstructionWord::kOperationTag; word == InstructionWord::kReturn) {
        // Where the run ends is known to the caller of a cold run only.
        if constexpr (!kSingle) r.pc -= 4;
        r.Save();
        if constexpr (!kSingle) return false;
        Return(kTraced, stopDepth);
        return true;
    } else if (word >= InstructionWord::kOperationTag) {
        r.Save();
        ThrowUndefinedOperation(slot);
    } else {
        r.Save();
        Call(word, static_cast<uint32_t>(r.pc) - 4, kTraced);
    }
    return false;

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
