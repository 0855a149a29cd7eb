#include "script/operations.h"

#include <iterator>

#include "foundation/exceptions.h"

namespace {

#define VONDREL_HANDLER_Call(name) &ProcessorOps::name
#define VONDREL_HANDLER_Loop(name) nullptr
#define VONDREL_HANDLER_Empty(name) nullptr
#define VONDREL_OPERATION_ENTRY(slot, name, words, place) \
    OperationInfo{#name, InlineWords::words, OperationPlace::place, VONDREL_HANDLER_##place(name)},
constexpr OperationInfo kOperations[] = {VONDREL_PROCESSOR_OPERATIONS(VONDREL_OPERATION_ENTRY)};
#undef VONDREL_OPERATION_ENTRY

#define VONDREL_OPERATION_SLOT(slot, name, words, place) slot,
constexpr uint32_t kSlots[] = {VONDREL_PROCESSOR_OPERATIONS(VONDREL_OPERATION_SLOT)};
#undef VONDREL_OPERATION_SLOT

constexpr bool SlotsInOrder() {
    for (uint32_t i = 0; i < std::size(kSlots); ++i) {
        if (kSlots[i] != i) return false;
    }
    return true;
}

// Only slots 2 and 3 may stay empty.
constexpr bool AllSlotsFilled() {
    for (uint32_t i = 4; i < kOperationCount; ++i) {
        if (kOperations[i].place == OperationPlace::Empty) return false;
    }
    return kOperations[1].place != OperationPlace::Empty;
}

static_assert(std::size(kOperations) == kOperationCount);
static_assert(SlotsInOrder());
static_assert(AllSlotsFilled());

}  // namespace

const OperationInfo& Operation(uint32_t slot) { return kOperations[slot]; }

void ThrowUndefinedOperation(uint32_t slot) {
    throw FatalExep(String("Method number ") + String(static_cast<int>(slot)) + " not defined in processor");
}
