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

// X(slot, handler, inline words, place). Slots that share a handler behave identically.
#define VONDREL_PROCESSOR_OPERATIONS(X)                        \
    X(0, CreateInstance, None, Call)                           \
    X(1, Nop, None, Loop)                                      \
    X(2, Undefined, None, Empty)                               \
    X(3, Undefined, None, Empty)                               \
    X(4, PushInline, One, Loop)                                \
    X(5, PushInlineData, Counted, Loop)                        \
    X(6, Add, None, Loop)                                      \
    X(7, Sub, None, Loop)                                      \
    X(8, Mul, None, Loop)                                      \
    X(9, Div, None, Loop)                                      \
    X(10, Mod, None, Loop)                                     \
    X(11, Increment, None, Loop)                               \
    X(12, Decrement, None, Loop)                               \
    X(13, Greater, None, Loop)                                 \
    X(14, Less, None, Loop)                                    \
    X(15, Equal, None, Loop)                                   \
    X(16, Not, None, Loop)                                     \
    X(17, GreaterEqual, None, Loop)                            \
    X(18, LessEqual, None, Loop)                               \
    X(19, NotEqual, None, Loop)                                \
    X(20, BitAnd, None, Loop)                                  \
    X(21, BitOr, None, Loop)                                   \
    X(22, BitXor, None, Loop)                                  \
    X(23, BitNot, None, Loop)                                  \
    X(24, And, None, Loop)                                     \
    X(25, Or, None, Loop)                                      \
    X(26, Dup, None, Loop)                                     \
    X(27, Swap, None, Loop)                                    \
    X(28, Drop, None, Loop)                                    \
    X(29, Rot, None, Loop)                                     \
    X(30, RotBack, None, Loop)                                 \
    X(31, Over, None, Loop)                                    \
    X(32, DupTwo, None, Loop)                                  \
    X(33, JumpIfZero, One, Loop)                               \
    X(34, Jump, One, Loop)                                     \
    X(35, JumpIfZeroKeep, One, Loop)                           \
    X(36, JumpIfNonZeroKeep, One, Loop)                        \
    X(37, Jump, One, Loop)                                     \
    X(38, Jump, One, Loop)                                     \
    X(39, JumpIfNonZero, One, Loop)                            \
    X(40, JumpIfZero, One, Loop)                               \
    X(41, Jump, One, Loop)                                     \
    X(42, PushReturnAndJump, One, Loop)                        \
    X(43, CopyToReturn, None, Loop)                            \
    X(44, JumpIfZeroDropReturn, One, Loop)                     \
    X(45, PopReturnAndJump, One, Loop)                         \
    X(46, DropReturnAndJump, One, Loop)                        \
    X(47, ReturnTop, None, Loop)                               \
    X(48, ReturnSecond, None, Loop)                            \
    X(49, ReturnThird, None, Loop)                             \
    X(50, Tuck, None, Loop)                                    \
    X(51, Pick, None, Loop)                                    \
    X(52, Roll, None, Loop)                                    \
    X(53, DupIfNonZero, None, Loop)                            \
    X(54, Depth, None, Loop)                                   \
    X(55, SwapTwo, None, Loop)                                 \
    X(56, Fetch, None, Loop)                                   \
    X(57, Store, None, Loop)                                   \
    X(58, MoveBytes, None, Call)                               \
    X(59, MoveWords, None, Call)                               \
    X(60, FillWords, None, Call)                               \
    X(61, FillBytes, None, Call)                               \
    X(62, PushInline, One, Loop)                               \
    X(63, Execute, None, Call)                                 \
    X(64, ToReturn, None, Loop)                                \
    X(65, FromReturn, None, Loop)                              \
    X(66, ReturnTop, None, Loop)                               \
    X(67, ExecuteAt, None, Call)                               \
    X(68, ExecuteFromTable, Counted, Call)                     \
    X(69, Nop, None, Loop)                                     \
    X(70, FetchByte, None, Loop)                               \
    X(71, StoreByte, None, Loop)                               \
    X(72, PickTwo, None, Loop)                                 \
    X(73, Nip, None, Loop)                                     \
    X(74, SwapHalves, None, Loop)                              \
    X(75, SplitHalves, None, Loop)                             \
    X(76, NipLowHalf, None, Loop)                              \
    X(77, NipIfZero, None, Loop)                               \
    X(78, DropReturn, None, Loop)                              \
    X(79, CopyToReturn, None, Loop)                            \
    X(80, ReturnPick, None, Loop)                              \
    X(81, Abs, None, Loop)                                     \
    X(82, AddToMemory, None, Loop)                             \
    X(83, SubtractFromMemory, None, Loop)                      \
    X(84, ShiftLeftOne, None, Loop)                            \
    X(85, ShiftRightOne, None, Loop)                           \
    X(86, ShiftLeftTwo, None, Loop)                            \
    X(87, ShiftRightTwo, None, Loop)                           \
    X(88, Min, None, Loop)                                     \
    X(89, Max, None, Loop)                                     \
    X(90, WithinOpen, None, Loop)                              \
    X(91, WithinClosed, None, Loop)                            \
    X(92, RotTwo, None, Loop)                                  \
    X(93, CompareBytes, None, Call)                            \
    X(94, CompareBytesNoCase, None, Call)                      \
    X(95, ClassOf, None, Call)                                 \
    X(96, AllocateLocals, None, Call)                          \
    X(97, FreeLocals, None, Call)                              \
    X(98, LocalAddress, None, Loop)                            \
    X(99, FieldAddress, None, Call)                            \
    X(100, ObjectFieldAddress, None, Call)                     \
    X(101, ManagedFieldAddress, None, Call)                    \
    X(102, DeleteObject, None, Call)                           \
    X(103, This, None, Loop)                                   \
    X(104, IndexWords, None, Loop)                             \
    X(105, IndexWordsBack, None, Loop)                         \
    X(106, NextWordAddress, None, Loop)                        \
    X(107, PreviousWordAddress, None, Loop)                    \
    X(108, NewObject, None, Call)                              \
    X(109, SwapObjects, None, Call)                            \
    X(110, Print, None, Call)                                  \
    X(111, PrintString, None, Call)                            \
    X(112, PrintStack, None, Call)                             \
    X(113, Allocate, None, Call)                               \
    X(114, Free, None, Call)                                   \
    X(115, PushReturnAndJump, One, Loop)                       \
    X(116, DropReturnAndJump, One, Loop)                       \
    X(117, JumpIfZeroPushReturn, One, Loop)                    \
    X(118, JumpIfNotEqualPushReturn, One, Loop)                \
    X(119, DropBoth, None, Loop)                               \
    X(120, FrameNumber, None, Loop)                            \
    X(121, ClassFieldAddress, None, Call)                      \
    X(122, ClassFieldAddressDrop, None, Call)                  \
    X(123, DupN, None, Loop)                                   \
    X(124, PushZero, None, Loop)                               \
    X(125, PushOne, None, Loop)                                \
    X(126, PushTwo, None, Loop)                                \
    X(127, PushFour, None, Loop)                               \
    X(128, PushMinusOne, None, Loop)                           \
    X(129, PushMinusTwo, None, Loop)                           \
    X(130, PushMinusFour, None, Loop)                          \
    X(131, DecrementMemory, None, Loop)                        \
    X(132, IncrementMemory, None, Loop)                        \
    X(133, ClearMemory, None, Loop)                            \
    X(134, JumpDropIfZero, One, Loop)                          \
    X(135, ObjectById, None, Call)                             \
    X(136, StoreReversed, None, Loop)                          \
    X(137, ToReturnN, None, Loop)                              \
    X(138, FromReturnN, None, Loop)                            \
    X(139, TimesHundred, None, Loop)                           \
    X(140, DivHundred, None, Loop)                             \
    X(141, PushRelativeAddress, One, Loop)                     \
    X(142, DebugPrint, None, Call)                             \
    X(143, DebugPrintString, None, Call)                       \
    X(144, DebugPrintStack, None, Call)                        \
    X(145, HashStep, None, Call)

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
#define VONDREL_DECLARE_OPERATION(slot, name, words, place) VONDREL_DECLARE_CALL_##place(name)
    VONDREL_PROCESSOR_OPERATIONS(VONDREL_DECLARE_OPERATION)
#undef VONDREL_DECLARE_OPERATION
#undef VONDREL_DECLARE_CALL_Empty
#undef VONDREL_DECLARE_CALL_Loop
#undef VONDREL_DECLARE_CALL_Call
};

// The entry of a slot; slot must be below kOperationCount.
const OperationInfo& Operation(uint32_t slot);

// FatalExep "Method number <slot> not defined in processor".
[[noreturn]] void ThrowUndefinedOperation(uint32_t slot);
