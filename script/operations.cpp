#include "script/operations.h"

#include <iterator>

#include "foundation/exceptions.h"

namespace {

#define VONDREL_HANDLER_Call(name) &ProcessorOps::name
#define VONDREL_HANDLER_Loop(name) nullptr
#define VONDREL_HANDLER_Empty(name) nullptr
#define VONDREL_OPERATION_ENTRY(slot, operation, handler, words, place) \
    OperationInfo{#handler, InlineWords::words, OperationPlace::place, VONDREL_HANDLER_##place(handler)},
constexpr OperationInfo kOperations[] = {VONDREL_PROCESSOR_OPERATIONS(VONDREL_OPERATION_ENTRY)};
#undef VONDREL_OPERATION_ENTRY

#define VONDREL_OPERATION_SLOT(slot, operation, handler, words, place) slot,
constexpr uint32_t kSlots[] = {VONDREL_PROCESSOR_OPERATIONS(VONDREL_OPERATION_SLOT)};
#undef VONDREL_OPERATION_SLOT

constexpr bool SlotsInOrder() {
    for (uint32_t i = 0; i < std::size(kSlots); ++i) {
        if (kSlots[i] != i) return false;
    }
    return true;
}

// Only the two slots named empty in the table stay empty.
constexpr bool AllSlotsFilled() {
    for (uint32_t i = 0; i < kOperationCount; ++i) {
        const bool undefined = i == ToSlot(Op::Undefined2) || i == ToSlot(Op::Undefined3);
        if ((kOperations[i].place == OperationPlace::Empty) != undefined) return false;
    }
    return true;
}

static_assert(std::size(kOperations) == kOperationCount);
static_assert(SlotsInOrder());
static_assert(AllSlotsFilled());

}  // namespace

const OperationInfo& Operation(uint32_t slot) {
    return kOperations[slot];
}

void ThrowUndefinedOperation(uint32_t slot) {
    ThrowFatal("Method number %d not defined in processor", static_cast<int>(slot));
}
