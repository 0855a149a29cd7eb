// Script code decoded once into blocks of host-side instructions, kept by entry address. A block
// runs straight from its entry to one exit: a jump, a branch, a word the plain interpreter runs
// (calls, returns, operations with effects on the stacks that depend on values, operations that
// call out of the loop), the end of a code page or a known jump target. Jump targets are checked
// when a block is decoded; the data-stack depth a block needs and the room it needs are worked out
// then too, so that running it checks them once on entry. Frequent word sequences become one
// instruction. A block is dropped when a write reaches its code page (foundation/code_pages.h).
#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

// The decoded operations; their handlers are in decoded_run.cpp. Cmp* come in six kinds each, one
// per comparison (Gt, Lt, Eq, Ge, Le, Ne), taken when the comparison holds.
// clang-format off
#define VONDREL_DECODED_COMPARISONS(X, name) \
    X(name##Gt) X(name##Lt) X(name##Eq) X(name##Ge) X(name##Le) X(name##Ne)
// Exits first, then constants and values, arithmetic and logic, shuffles, memory, locals and the
// return stack.
#define VONDREL_DECODED_OPERATIONS(X)                                                                  \
    X(Exit) X(Step) X(Call) X(Return) X(Jump) X(BranchZero) X(BranchNonZero) X(BranchZeroKeep)         \
    X(BranchNonZeroKeep) X(BranchDropIfZero) X(LoopNotEqual) X(ConstLoopNotEqual)                      \
    X(DupConstLoopNotEqual) X(BranchZeroPushReturn)                                                    \
    VONDREL_DECODED_COMPARISONS(X, CmpBranch)                                                          \
    VONDREL_DECODED_COMPARISONS(X, ConstCmpBranch)                                                     \
    VONDREL_DECODED_COMPARISONS(X, DupConstCmpBranch)                                                  \
    X(Push) X(Depth) X(FrameNumber) X(This)                                                            \
    X(Add) X(Sub) X(Mul) X(Div) X(Mod) X(BitAnd) X(BitOr) X(BitXor) X(And) X(Or) X(Min) X(Max)         \
    X(IndexWords) X(IndexWordsBack) X(WithinOpen) X(WithinClosed)                                      \
    VONDREL_DECODED_COMPARISONS(X, Cmp)                                                                \
    X(Increment) X(Decrement) X(Abs) X(ShiftLeftOne) X(ShiftRightOne) X(ShiftLeftTwo)                  \
    X(ShiftRightTwo) X(TimesHundred) X(DivHundred) X(SwapHalves) X(Not) X(BitNot) X(NextWordAddress)   \
    X(PreviousWordAddress) X(AddConst)                                                                 \
    X(Dup) X(Swap) X(Drop) X(Rot) X(RotBack) X(Over) X(DupTwo) X(Tuck) X(SwapTwo) X(PickTwo) X(Nip)    \
    X(SplitHalves) X(NipLowHalf) X(RotTwo)                                                             \
    X(Fetch) X(Store) X(StoreReversed) X(FetchByte) X(StoreByte) X(AddToMemory) X(SubtractFromMemory)  \
    X(IncrementMemory) X(DecrementMemory) X(ClearMemory) X(OverSwapAddToMemory)                        \
    X(LocalAddress) X(LocalFetch) X(LocalStore) X(LocalAdd) X(DupLocalStore) X(DupLocalAdd)            \
    X(ToReturn) X(FromReturn) X(ReturnTop) X(ReturnSecond) X(ReturnThird) X(DropReturn)                \
    X(CopyToReturn) X(DropBoth)
// clang-format on

// The stop depth that asks the plain interpreter for the words at PC up to a jump back, a call or a
// return word (which it leaves unrun): how code that has run only once so far runs, before it is
// decoded. Loops jump back, so they come back to the cache.
constexpr uint32_t kColdRun = 0xFFFFFFFEu;

enum class DecodedOp : uint16_t {
#define VONDREL_DECODED_ENUM(name) name,
    VONDREL_DECODED_OPERATIONS(VONDREL_DECODED_ENUM)
#undef VONDREL_DECODED_ENUM
        Count
};

struct DecodedInstruction {
    const void* handler;  // where the executor continues for this instruction
    uint32_t at;          // address of its first word: the plain interpreter restarts there
    uint32_t next;        // address after its last word
    uint32_t target;      // jump target, or the constant
    uint32_t k;           // the constant of a fused sequence
    DecodedOp op;
};

struct DecodedBlock {
    uint32_t entry;
    uint32_t page;
    uint32_t version;  // of the page when decoded: another version means the words changed
    uint32_t need;     // data-stack depth the block needs on entry
    uint32_t room;     // free data-stack slots it needs on entry
    uint32_t words;    // operation words before its exit word, run one by one on a failed entry check
    std::vector<DecodedInstruction> code;  // the last one is an exit
};

class DecodedCode {
  public:
    // The direct-mapped front of the cache: one probe per block entry.
    struct Slot {
        uint32_t entry = 0;
        DecodedBlock* block = nullptr;
        uint32_t cold = 0;  // an entry met once, not decoded yet
    };
    static constexpr uint32_t kSlots = 4096;

    // Code is never decoded from the pages of these ranges of script memory ([begin, end) pairs):
    // the processor's stacks, which the host writes without the checked helpers.
    explicit DecodedCode(std::vector<std::pair<uint32_t, uint32_t>> plainRanges);

    // The front slot for an entry address (its block may be stale or another entry's).
    Slot& SlotFor(uint32_t entry) { return slots_[(entry >> 2) & (kSlots - 1)]; }
    // The current block for the entry, decoded now if there is none; handlers indexes the
    // executor's handler addresses by DecodedOp.
    DecodedBlock* Find(uint32_t entry, const void* const* handlers);
    // Null the first time the entry is met (code that runs once is not worth decoding), the
    // entry's current block after that.
    DecodedBlock* FindHot(uint32_t entry, const void* const* handlers);

    size_t BlockCount() const { return blocks_.size(); }

  private:
    std::unique_ptr<DecodedBlock> Decode(uint32_t entry, const void* const* handlers);
    void DropStaleBlocks();

    // Where decoding from entry must stop: the page's end or the start of a range never decoded.
    uint64_t DecodableEnd(uint32_t entry) const;

    std::vector<std::pair<uint32_t, uint32_t>> plainRanges_;
    std::vector<Slot> slots_;
    std::unordered_map<uint32_t, std::unique_ptr<DecodedBlock>> blocks_;
    // Targets of the jumps decoded so far: a block decoded later ends before them.
    std::unordered_set<uint32_t> targets_;
};
