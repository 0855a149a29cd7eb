// The list rows' paged array.
#include "campaign/slot_array.h"

SlotArray::SlotArray(uint32_t directSize, uint32_t pageSize, bool ownsValues)
    : values_(directSize, pageSize, ownsValues) {}

void SlotArray::Set(uint32_t i, std::unique_ptr<DataBlock> value) {
    values_.SetAt(value.get(), i);
    (void)value.release();  // the array holds it now
}

void SlotArray::Swap(uint32_t i, uint32_t j) {
    if (i == j) return;
    DataBlock** first = values_.At(i);
    DataBlock** second = values_.At(j);
    DataBlock* held = *first;
    // Written in place: the same values stay held, so nothing is deleted and Used is unchanged;
    // storing them again moves End.
    *first = *second;
    *second = held;
    values_.SetAt(*first, i);
    values_.SetAt(held, j);
}
