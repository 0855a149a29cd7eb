// The rows of the save, load and scenario lists: a paged array of owned blocks, indexed from 0,
// where an index may hold nothing.
#pragma once
#include <cstdint>
#include <memory>

#include "foundation/data_block.h"
#include "foundation/segmented_array.h"

class SlotArray {
  public:
    SlotArray(uint32_t directSize, uint32_t pageSize, bool ownsValues);
    // Address of slot i, making its page when needed; changes neither End nor Used.
    DataBlock** At(uint32_t i) { return values_.At(i); }
    // The value at i, or null; makes nothing.
    DataBlock* Get(uint32_t i) const { return values_.Get(i); }
    // Stores value at i; an owned value it replaces is deleted.
    void Set(uint32_t i, DataBlock* value) { values_.SetAt(value, i); }
    void Set(uint32_t i, std::unique_ptr<DataBlock> value);
    // Exchanges the values at i and j; nothing is deleted.
    void Swap(uint32_t i, uint32_t j);
    // Deletes the owned values and frees the pages.
    void Clear() { values_.Clear(); }
    // One more than the highest index ever stored.
    uint32_t End() const { return values_.End(); }
    // Indexes that hold a value.
    uint32_t Used() const { return values_.Count(); }
    bool OwnsValues() const { return values_.OwnsElements(); }

  private:
    SegmentedArray<DataBlock> values_;
};
