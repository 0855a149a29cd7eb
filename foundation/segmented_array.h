// Growable array of element pointers whose slots never move: the first indexes live in a fixed
// direct part, the rest in fixed-size pages made (zero-filled) when first reached, listed in a page
// directory that grows by half again. A slot's address stays valid for the array's life, so an
// index can serve as a stable identifier. Direct part, directory and pages hold host pointers and
// so live on the host heap. Optionally owns (deletes) its elements.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <new>

#include "foundation/exceptions.h"

// Zero-filled host memory for n slots; std::bad_alloc when there is none.
template <class S>
S* ZeroedSlots(uint64_t n) {
    void* p = std::calloc(n == 0 ? 1 : n, sizeof(S));
    if (p == nullptr) throw std::bad_alloc();
    return static_cast<S*>(p);
}

// No array holds more than this many slots: a wild index must not grow the directory to gigabytes.
constexpr uint32_t kSegmentedArrayMaxElements = uint32_t{1} << 24;

template <class T>
class SegmentedArray {
  public:
    SegmentedArray(unsigned directSize, unsigned pageSize, bool ownsElements);
    SegmentedArray(const SegmentedArray&) = delete;
    SegmentedArray& operator=(const SegmentedArray&) = delete;
    ~SegmentedArray();

    // Address of the slot, making its page if needed. Changes neither End nor Count.
    T** At(uint32_t index);
    // Address of the slot without making anything; throws "Array index is out of bound" for an
    // index whose page does not exist.
    T** AtChecked(uint32_t index);
    // The element at index, or null where nothing exists; never makes anything.
    T* Get(uint32_t index) const;
    void SetAt(T* value, uint32_t index);
    // Stores value in the first empty slot and gives its index; -1 for a null value.
    int Add(T* value);
    void Clear();

    uint32_t End() const { return end_; }
    uint32_t Count() const { return count_; }
    uint32_t DirectorySize() const { return directorySize_; }
    bool OwnsElements() const { return ownsElements_; }

  private:
    static constexpr uint32_t kInitialDirectory = 10;

    [[noreturn]] static void OutOfBound() { throw FatalExep(String("Array index is out of bound")); }
    // Page number and slot of an index beyond the direct part.
    uint32_t PageOf(uint32_t index) const { return (index - directSize_) / pageSize_; }
    uint32_t SlotOf(uint32_t index) const { return (index - directSize_) % pageSize_; }
    void GrowDirectory(uint32_t page);
    T** MakePage(uint32_t page);
    void Drop(T* element) const {
        if (ownsElements_) delete element;
    }

    T** direct_;
    T*** pages_;
    uint32_t directorySize_;
    uint32_t pageSize_;
    uint32_t directSize_;
    uint32_t end_ = 0;
    uint32_t count_ = 0;
    bool ownsElements_;
};

template <class T>
SegmentedArray<T>::SegmentedArray(unsigned directSize, unsigned pageSize, bool ownsElements)
    : direct_(nullptr),
      pages_(nullptr),
      directorySize_(kInitialDirectory),
      pageSize_(pageSize == 0 ? 1 : pageSize),
      directSize_(std::min<uint32_t>(directSize, kSegmentedArrayMaxElements)),
      ownsElements_(ownsElements) {
    direct_ = ZeroedSlots<T*>(directSize_);
    try {
        pages_ = ZeroedSlots<T**>(directorySize_);
    } catch (...) {
        std::free(direct_);
        throw;
    }
}

template <class T>
SegmentedArray<T>::~SegmentedArray() {
    Clear();
    std::free(pages_);
    std::free(direct_);
}

template <class T>
void SegmentedArray<T>::GrowDirectory(uint32_t page) {
    // Pages needed to reach the last allowed index; page is always below it.
    const uint64_t maxPages =
        (uint64_t{kSegmentedArrayMaxElements} - directSize_ + pageSize_ - 1) / pageSize_;
    uint64_t size = (uint64_t{directorySize_} * 3 + 3) / 2;
    size = std::max<uint64_t>(size, uint64_t{page} + 1);
    size = std::max<uint64_t>(std::min(size, maxPages), uint64_t{page} + 1);
    auto* grown = ZeroedSlots<T**>(size);
    std::copy(pages_, pages_ + directorySize_, grown);
    std::free(pages_);
    pages_ = grown;
    directorySize_ = static_cast<uint32_t>(size);
}

template <class T>
T** SegmentedArray<T>::MakePage(uint32_t page) {
    if (page >= directorySize_) GrowDirectory(page);
    if (pages_[page] == nullptr) pages_[page] = ZeroedSlots<T*>(pageSize_);
    return pages_[page];
}

template <class T>
T** SegmentedArray<T>::At(uint32_t index) {
    if (index >= kSegmentedArrayMaxElements) OutOfBound();
    if (index < directSize_) return &direct_[index];
    return &MakePage(PageOf(index))[SlotOf(index)];
}

template <class T>
T** SegmentedArray<T>::AtChecked(uint32_t index) {
    if (index >= kSegmentedArrayMaxElements) OutOfBound();
    if (index < directSize_) return &direct_[index];
    const uint32_t page = PageOf(index);
    if (page >= directorySize_ || pages_[page] == nullptr) OutOfBound();
    return &pages_[page][SlotOf(index)];
}

template <class T>
T* SegmentedArray<T>::Get(uint32_t index) const {
    if (index >= kSegmentedArrayMaxElements) return nullptr;
    if (index < directSize_) return direct_[index];
    const uint32_t page = PageOf(index);
    if (page >= directorySize_ || pages_[page] == nullptr) return nullptr;
    return pages_[page][SlotOf(index)];
}

template <class T>
void SegmentedArray<T>::SetAt(T* value, uint32_t index) {
    T** slot = At(index);
    // Storing what the slot already holds must not delete the object it keeps.
    if (*slot != value) {
        T* old = *slot;
        *slot = value;
        if (old != nullptr) {
            --count_;
            Drop(old);
        }
        if (value != nullptr) ++count_;
    }
    if (index >= end_) end_ = index + 1;
}

template <class T>
int SegmentedArray<T>::Add(T* value) {
    if (value == nullptr) return -1;
    uint64_t index = 0;
    T** slot = nullptr;
    for (uint32_t i = 0; i < directSize_ && slot == nullptr; ++i) {
        if (direct_[i] == nullptr) {
            slot = &direct_[i];
            index = i;
        }
    }
    uint32_t firstMissing = directorySize_;
    for (uint32_t p = 0; p < directorySize_ && slot == nullptr; ++p) {
        T** page = pages_[p];
        if (page == nullptr) {
            if (firstMissing == directorySize_) firstMissing = p;
            continue;
        }
        const uint64_t base = directSize_ + uint64_t{p} * pageSize_;
        for (uint32_t s = 0; s < pageSize_ && base + s < kSegmentedArrayMaxElements; ++s) {
            if (page[s] == nullptr) {
                slot = &page[s];
                index = base + s;
                break;
            }
        }
    }
    if (slot == nullptr) {
        const uint32_t page = firstMissing;  // directorySize_ when every entry has a page
        index = directSize_ + uint64_t{page} * pageSize_;
        if (index >= kSegmentedArrayMaxElements) OutOfBound();
        slot = MakePage(page);
    }
    *slot = value;
    ++count_;
    if (index >= end_) end_ = static_cast<uint32_t>(index) + 1;
    return static_cast<int>(index);
}

template <class T>
void SegmentedArray<T>::Clear() {
    for (uint32_t i = 0; i < directSize_; ++i) {
        T* element = direct_[i];
        direct_[i] = nullptr;
        Drop(element);
    }
    for (uint32_t p = 0; p < directorySize_; ++p) {
        T** page = pages_[p];
        if (page == nullptr) continue;
        for (uint32_t s = 0; s < pageSize_; ++s) {
            T* element = page[s];
            page[s] = nullptr;
            Drop(element);
        }
        pages_[p] = nullptr;
        std::free(page);
    }
    end_ = 0;
    count_ = 0;
}
