// The processor's instruction set: the decoding of an instruction word and the operation table.
// The table below is the one place that says which handler runs for each operation slot; the
// slot numbers are the instruction set of compiled scripts and never change.
#pragma once

#include <cstdint>

class Processor;

// A ProcessorOp handler, for the operations that run outside the dispatch loop.
using ProcessorOp = void (*)(Processor& processor);

constexpr uint32_t kOperationCount = 146;

// Decoding of one 32-bit instruction word.
struct InstructionWord {
    static constexpr uint32_t kReturn = 0xFFFFFFFFu;
    static constexpr uint32_t kOperationTag = 0xF0000000u;

    enum Receiver : uint32_t { Current = 0, Field = 1, ObjectId = 2, Local = 3, Popped = 4 };

    uint32_t word;

    bool IsReturn() const { return word == kReturn; }
    bool IsOperation() const { return (word >> 28) == 0xF && !IsReturn(); }
    bool IsCall() const { return (word >> 28) != 0xF; }
    uint32_t Operation() const { return word & 0x0FFFFFFFu; }

    uint32_t ReceiverKind() const { return word >> 28; }
    uint32_t Operand() const { return word & 0xFFu; }
    uint32_t ClassNumber() const { return (word >> 8) & 0xFFu; }
    uint32_t Method() const { return (word >> 16) & 0x7FFu; }
    bool Virtual() const { return (word >> 27) & 1u; }
};

// How many inline words follow an operation word: none, one (a value or a jump offset), or a
// count followed by that many words.
enum class InlineWords : uint8_t { None, One, Counted };

// Where a slot's handler runs: inside the dispatch loop (the small, frequent operations, which work
// on the loop's registers), as a ProcessorOp called from the loop, or nowhere (an empty slot).
enum class OperationPlace : uint8_t { Loop, Call, Empty };

// X(slot, operation, handler, inline words, place). Slots that share a handler behave identically;
// the operation name is the handler's, with the slot number added where a handler serves several.
#define VONDREL_PROCESSOR_OPERATIONS(X)                                   \
    X(0, CreateInstance, CreateInstance, None, Call)                      \
    X(1, Nop, Nop, None, Loop)                                            \
    X(2, Undefined2, Undefined, None, Empty)                              \
    X(3, Undefined3, Undefined, None, Empty)                              \
    X(4, PushInline, PushInline, One, Loop)                               \
    X(5, PushInlineData, PushInlineData, Counted, Loop)                   \
    X(6, Add, Add, None, Loop)                                            \
    X(7, Sub, Sub, None, Loop)                                            \
    X(8, Mul, Mul, None, Loop)                                            \
    X(9, Div, Div, None, Loop)                                            \
    X(10, Mod, Mod, None, Loop)                                           \
    X(11, Increment, Increment, None, Loop)                               \
    X(12, Decrement, Decrement, None, Loop)                               \
    X(13, Greater, Greater, None, Loop)                                   \
    X(14, Less, Less, None, Loop)                                         \
    X(15, Equal, Equal, None, Loop)                                       \
    X(16, Not, Not, None, Loop)                                           \
    X(17, GreaterEqual, GreaterEqual, None, Loop)                         \
    X(18, LessEqual, LessEqual, None, Loop)                               \
    X(19, NotEqual, NotEqual, None, Loop)                                 \
    X(20, BitAnd, BitAnd, None, Loop)                                     \
    X(21, BitOr, BitOr, None, Loop)                                       \
    X(22, BitXor, BitXor, None, Loop)                                     \
    X(23, BitNot, BitNot, None, Loop)                                     \
    X(24, And, And, None, Loop)                                           \
    X(25, Or, Or, None, Loop)                                             \
    X(26, Dup, Dup, None, Loop)                                           \
    X(27, Swap, Swap, None, Loop)                                         \
    X(28, Drop, Drop, None, Loop)                                         \
    X(29, Rot, Rot, None, Loop)                                           \
    X(30, RotBack, RotBack, None, Loop)                                   \
    X(31, Over, Over, None, Loop)                                         \
    X(32, DupTwo, DupTwo, None, Loop)                                     \
    X(33, JumpIfZero, JumpIfZero, One, Loop)                              \
    X(34, Jump, Jump, One, Loop)                                          \
    X(35, JumpIfZeroKeep, JumpIfZeroKeep, One, Loop)                      \
    X(36, JumpIfNonZeroKeep, JumpIfNonZeroKeep, One, Loop)                \
    X(37, Jump37, Jump, One, Loop)                                        \
    X(38, Jump38, Jump, One, Loop)                                        \
    X(39, JumpIfNonZero, JumpIfNonZero, One, Loop)                        \
    X(40, JumpIfZero40, JumpIfZero, One, Loop)                            \
    X(41, Jump41, Jump, One, Loop)                                        \
    X(42, PushReturnAndJump, PushReturnAndJump, One, Loop)                \
    X(43, CopyToReturn, CopyToReturn, None, Loop)                         \
    X(44, JumpIfZeroDropReturn, JumpIfZeroDropReturn, One, Loop)          \
    X(45, PopReturnAndJump, PopReturnAndJump, One, Loop)                  \
    X(46, DropReturnAndJump, DropReturnAndJump, One, Loop)                \
    X(47, ReturnTop, ReturnTop, None, Loop)                               \
    X(48, ReturnSecond, ReturnSecond, None, Loop)                         \
    X(49, ReturnThird, ReturnThird, None, Loop)                           \
    X(50, Tuck, Tuck, None, Loop)                                         \
    X(51, Pick, Pick, None, Loop)                                         \
    X(52, Roll, Roll, None, Loop)                                         \
    X(53, DupIfNonZero, DupIfNonZero, None, Loop)                         \
    X(54, Depth, Depth, None, Loop)                                       \
    X(55, SwapTwo, SwapTwo, None, Loop)                                   \
    X(56, Fetch, Fetch, None, Loop)                                       \
    X(57, Store, Store, None, Loop)                                       \
    X(58, MoveBytes, MoveBytes, None, Call)                               \
    X(59, MoveWords, MoveWords, None, Call)                               \
    X(60, FillWords, FillWords, None, Call)                               \
    X(61, FillBytes, FillBytes, None, Call)                               \
    X(62, PushInline62, PushInline, One, Loop)                            \
    X(63, Execute, Execute, None, Call)                                   \
    X(64, ToReturn, ToReturn, None, Loop)                                 \
    X(65, FromReturn, FromReturn, None, Loop)                             \
    X(66, ReturnTop66, ReturnTop, None, Loop)                             \
    X(67, ExecuteAt, ExecuteAt, None, Call)                               \
    X(68, ExecuteFromTable, ExecuteFromTable, Counted, Call)              \
    X(69, Nop69, Nop, None, Loop)                                         \
    X(70, FetchByte, FetchByte, None, Loop)                               \
    X(71, StoreByte, StoreByte, None, Loop)                               \
    X(72, PickTwo, PickTwo, None, Loop)                                   \
    X(73, Nip, Nip, None, Loop)                                           \
    X(74, SwapHalves, SwapHalves, None, Loop)                             \
    X(75, SplitHalves, SplitHalves, None, Loop)                           \
    X(76, NipLowHalf, NipLowHalf, None, Loop)                             \
    X(77, NipIfZero, NipIfZero, None, Loop)                               \
    X(78, DropReturn, DropReturn, None, Loop)                             \
    X(79, CopyToReturn79, CopyToReturn, None, Loop)                       \
    X(80, ReturnPick, ReturnPick, None, Loop)                             \
    X(81, Abs, Abs, None, Loop)                                           \
    X(82, AddToMemory, AddToMemory, None, Loop)                           \
    X(83, SubtractFromMemory, SubtractFromMemory, None, Loop)             \
    X(84, ShiftLeftOne, ShiftLeftOne, None, Loop)                         \
    X(85, ShiftRightOne, ShiftRightOne, None, Loop)                       \
    X(86, ShiftLeftTwo, ShiftLeftTwo, None, Loop)                         \
    X(87, ShiftRightTwo, ShiftRightTwo, None, Loop)                       \
    X(88, Min, Min, None, Loop)                                           \
    X(89, Max, Max, None, Loop)                                           \
    X(90, WithinOpen, WithinOpen, None, Loop)                             \
    X(91, WithinClosed, WithinClosed, None, Loop)                         \
    X(92, RotTwo, RotTwo, None, Loop)                                     \
    X(93, CompareBytes, CompareBytes, None, Call)                         \
    X(94, CompareBytesNoCase, CompareBytesNoCase, None, Call)             \
    X(95, ClassOf, ClassOf, None, Call)                                   \
    X(96, AllocateLocals, AllocateLocals, None, Call)                     \
    X(97, FreeLocals, FreeLocals, None, Call)                             \
    X(98, LocalAddress, LocalAddress, None, Loop)                         \
    X(99, FieldAddress, FieldAddress, None, Call)                         \
    X(100, ObjectFieldAddress, ObjectFieldAddress, None, Call)            \
    X(101, ManagedFieldAddress, ManagedFieldAddress, None, Call)          \
    X(102, DeleteObject, DeleteObject, None, Call)                        \
    X(103, This, This, None, Loop)                                        \
    X(104, IndexWords, IndexWords, None, Loop)                            \
    X(105, IndexWordsBack, IndexWordsBack, None, Loop)                    \
    X(106, NextWordAddress, NextWordAddress, None, Loop)                  \
    X(107, PreviousWordAddress, PreviousWordAddress, None, Loop)          \
    X(108, NewObject, NewObject, None, Call)                              \
    X(109, SwapObjects, SwapObjects, None, Call)                          \
    X(110, Print, Print, None, Call)                                      \
    X(111, PrintString, PrintString, None, Call)                          \
    X(112, PrintStack, PrintStack, None, Call)                            \
    X(113, Allocate, Allocate, None, Call)                                \
    X(114, Free, Free, None, Call)                                        \
    X(115, PushReturnAndJump115, PushReturnAndJump, One, Loop)            \
    X(116, DropReturnAndJump116, DropReturnAndJump, One, Loop)            \
    X(117, JumpIfZeroPushReturn, JumpIfZeroPushReturn, One, Loop)         \
    X(118, JumpIfNotEqualPushReturn, JumpIfNotEqualPushReturn, One, Loop) \
    X(119, DropBoth, DropBoth, None, Loop)                                \
    X(120, FrameNumber, FrameNumber, None, Loop)                          \
    X(121, ClassFieldAddress, ClassFieldAddress, None, Call)              \
    X(122, ClassFieldAddressDrop, ClassFieldAddressDrop, None, Call)      \
    X(123, DupN, DupN, None, Loop)                                        \
    X(124, PushZero, PushZero, None, Loop)                                \
    X(125, PushOne, PushOne, None, Loop)                                  \
    X(126, PushTwo, PushTwo, None, Loop)                                  \
    X(127, PushFour, PushFour, None, Loop)                                \
    X(128, PushMinusOne, PushMinusOne, None, Loop)                        \
    X(129, PushMinusTwo, PushMinusTwo, None, Loop)                        \
    X(130, PushMinusFour, PushMinusFour, None, Loop)                      \
    X(131, DecrementMemory, DecrementMemory, None, Loop)                  \
    X(132, IncrementMemory, IncrementMemory, None, Loop)                  \
    X(133, ClearMemory, ClearMemory, None, Loop)                          \
    X(134, JumpDropIfZero, JumpDropIfZero, One, Loop)                     \
    X(135, ObjectById, ObjectById, None, Call)                            \
    X(136, StoreReversed, StoreReversed, None, Loop)                      \
    X(137, ToReturnN, ToReturnN, None, Loop)                              \
    X(138, FromReturnN, FromReturnN, None, Loop)                          \
    X(139, TimesHundred, TimesHundred, None, Loop)                        \
    X(140, DivHundred, DivHundred, None, Loop)                            \
    X(141, PushRelativeAddress, PushRelativeAddress, One, Loop)           \
    X(142, DebugPrint, DebugPrint, None, Call)                            \
    X(143, DebugPrintString, DebugPrintString, None, Call)                \
    X(144, DebugPrintStack, DebugPrintStack, None, Call)                  \
    X(145, HashStep, HashStep, None, Call)

// The operations by name; the one place that holds their slot numbers is the table above.
enum class Op : uint32_t {
#define VONDREL_OPERATION_ENUM(slot, operation, handler, words, place) operation = slot,
    VONDREL_PROCESSOR_OPERATIONS(VONDREL_OPERATION_ENUM)
#undef VONDREL_OPERATION_ENUM
};

constexpr uint32_t ToSlot(Op op) {
    return static_cast<uint32_t>(op);
}
// The instruction word that runs the operation.
constexpr uint32_t OpWord(Op op) {
    return InstructionWord::kOperationTag | ToSlot(op);
}

struct OperationInfo {
    const char* name;
    InlineWords inlineWords;
    OperationPlace place;
    ProcessorOp handler;  // null for the handlers that run inside the loop and for empty slots
};

// The ProcessorOp handlers (definitions in operations_*.cpp).
struct ProcessorOps {
#define VONDREL_DECLARE_CALL_Call(name) static void name(Processor& processor);
#define VONDREL_DECLARE_CALL_Loop(name)
#define VONDREL_DECLARE_CALL_Empty(name)
#define VONDREL_DECLARE_OPERATION(slot, operation, handler, words, place) \
    VONDREL_DECLARE_CALL_##place(handler)
    VONDREL_PROCESSOR_OPERATIONS(VONDREL_DECLARE_OPERATION)
#undef VONDREL_DECLARE_OPERATION
#undef VONDREL_DECLARE_CALL_Empty
#undef VONDREL_DECLARE_CALL_Loop
#undef VONDREL_DECLARE_CALL_Call
};

// The entry of a slot; slot must be below kOperationCount.
const OperationInfo& Operation(uint32_t slot);
inline const OperationInfo& Operation(Op op) {
    return Operation(ToSlot(op));
}

// FatalExep "Method number <slot> not defined in processor".
[[noreturn]] void ThrowUndefinedOperation(uint32_t slot);
