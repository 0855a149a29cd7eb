// Growable array of element pointers whose slots never move: the first indexes live in a fixed
// direct part, the rest in fixed-size pages made (zero-filled) when first reached, listed in a page
// directory that grows by half again. A slot's address stays valid for the array's life, so an
// index can serve as a stable identifier. Direct part, directory and pages hold host pointers and
// so live on the host heap. Optionally owns (deletes) its elements. The directory is a PtrArray, the
// one growable pointer table.
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

[[noreturn]] inline void ThrowArrayOutOfBound() {
    throw FatalExep(String("Array index is out of bound"));
}

// A table of host pointers that grows in place: elements that hold nothing are null. It owns the
// table, never what the elements point to.
template <class E>
class PtrArray {
  public:
    // capacity null elements; the table never grows beyond maxCapacity (itself at least capacity).
    PtrArray(uint32_t capacity, uint32_t maxCapacity)
        : elements_(ZeroedSlots<E*>(capacity)),
          capacity_(capacity),
          maxCapacity_(std::max(capacity, maxCapacity)) {}
    PtrArray(const PtrArray&) = delete;
    PtrArray& operator=(const PtrArray&) = delete;
    ~PtrArray() { std::free(elements_); }

    // Makes room for at least needed more elements: the capacity becomes the larger of old + needed
    // and half again ((3 x old + 3) / 2), the latter cut at the cap. Elements keep their indexes and
    // values, the new ones are null. When old + needed passes the cap (an unsigned overflow included)
    // FatalExep "Array index is out of bound" and nothing changes.
    void Grow(uint32_t needed);

    uint32_t Capacity() const { return capacity_; }
    // Element i; i must be below Capacity().
    E*& operator[](uint32_t i) { return elements_[i]; }
    E* operator[](uint32_t i) const { return elements_[i]; }

  private:
    E** elements_;
    uint32_t capacity_;
    uint32_t maxCapacity_;
};

template <class E>
void PtrArray<E>::Grow(uint32_t needed) {
    const uint64_t wanted = uint64_t{capacity_} + needed;
    if (wanted > maxCapacity_) ThrowArrayOutOfBound();
    const uint64_t halfAgain = std::min<uint64_t>((uint64_t{capacity_} * 3 + 3) / 2, maxCapacity_);
    const uint64_t size = std::max(wanted, halfAgain);
    E** grown = ZeroedSlots<E*>(size);
    std::copy(elements_, elements_ + capacity_, grown);
    std::free(elements_);
    elements_ = grown;
    capacity_ = static_cast<uint32_t>(size);
}

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
    uint32_t DirectorySize() const { return pages_.Capacity(); }
    bool OwnsElements() const { return ownsElements_; }

  private:
    static constexpr uint32_t kInitialDirectory = 10;

    [[noreturn]] static void OutOfBound() { ThrowArrayOutOfBound(); }
    // Page number and slot of an index beyond the direct part.
    uint32_t PageOf(uint32_t index) const { return (index - directSize_) / pageSize_; }
    uint32_t SlotOf(uint32_t index) const { return (index - directSize_) % pageSize_; }
    T** MakePage(uint32_t page);
    void Drop(T* element) const {
        if (ownsElements_) delete element;
    }

    // Pages needed to reach the last allowed index.
    static uint32_t MaxPages(uint32_t directSize, uint32_t pageSize) {
        return static_cast<uint32_t>((uint64_t{kSegmentedArrayMaxElements} - directSize + pageSize - 1) /
                                     pageSize);
    }

    uint32_t pageSize_;
    uint32_t directSize_;
    PtrArray<T*> pages_;  // made before the direct part, so a failed allocation of that frees it
    T** direct_;
    uint32_t end_ = 0;
    uint32_t count_ = 0;
    bool ownsElements_;
};

template <class T>
SegmentedArray<T>::SegmentedArray(unsigned directSize, unsigned pageSize, bool ownsElements)
    : pageSize_(pageSize == 0 ? 1 : pageSize),
      directSize_(std::min<uint32_t>(directSize, kSegmentedArrayMaxElements)),
      pages_(kInitialDirectory, MaxPages(directSize_, pageSize_)),
      direct_(ZeroedSlots<T*>(directSize_)),
      ownsElements_(ownsElements) {}

template <class T>
SegmentedArray<T>::~SegmentedArray() {
    Clear();
    std::free(direct_);
}

template <class T>
T** SegmentedArray<T>::MakePage(uint32_t page) {
    // page is below MaxPages, so the directory can always reach it.
    if (page >= pages_.Capacity()) pages_.Grow(page + 1 - pages_.Capacity());
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
    if (page >= pages_.Capacity() || pages_[page] == nullptr) OutOfBound();
    return &pages_[page][SlotOf(index)];
}

template <class T>
T* SegmentedArray<T>::Get(uint32_t index) const {
    if (index >= kSegmentedArrayMaxElements) return nullptr;
    if (index < directSize_) return direct_[index];
    const uint32_t page = PageOf(index);
    if (page >= pages_.Capacity() || pages_[page] == nullptr) return nullptr;
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
    uint32_t firstMissing = pages_.Capacity();
    for (uint32_t p = 0; p < pages_.Capacity() && slot == nullptr; ++p) {
        T** page = pages_[p];
        if (page == nullptr) {
            if (firstMissing == pages_.Capacity()) firstMissing = p;
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
        const uint32_t page = firstMissing;  // the directory size when every entry has a page
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
    for (uint32_t p = 0; p < pages_.Capacity(); ++p) {
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
