#include "foundation/ring_buffer.h"

#include <algorithm>
#include <cstring>

#include "foundation/exceptions.h"

namespace {

[[noreturn]] void ThrowTooSmall() {
    throw FatalExep(1, String("FR::Buffer is too small"), 0);
}

}  // namespace

RingBuffer::RingBuffer(uint32_t capacity)
    : capacity_(capacity), storageSize_(capacity + 1), storage_(new uint8_t[capacity + 1]) {}

uint32_t RingBuffer::Used() const {
    return write_ >= read_ ? write_ - read_ : storageSize_ - read_ + write_;
}

uint32_t RingBuffer::Advance(uint32_t index, uint32_t n) const {
    uint32_t next = index + n;
    return next >= storageSize_ ? next - storageSize_ : next;
}

void RingBuffer::Write(const void* source, uint32_t n) {
    if (n > Free()) ThrowTooSmall();
    const auto* src = static_cast<const uint8_t*>(source);
    uint32_t first = std::min(n, storageSize_ - write_);
    std::memcpy(storage_.get() + write_, src, first);
    std::memcpy(storage_.get(), src + first, n - first);
    write_ = Advance(write_, n);
}

uint32_t RingBuffer::Peek(void* destination, uint32_t n, uint32_t offset) const {
    uint32_t used = Used();
    if (offset >= used) return 0;
    n = std::min(n, used - offset);
    auto* dst = static_cast<uint8_t*>(destination);
    uint32_t from = Advance(read_, offset);
    uint32_t first = std::min(n, storageSize_ - from);
    std::memcpy(dst, storage_.get() + from, first);
    std::memcpy(dst + first, storage_.get(), n - first);
    return n;
}

uint32_t RingBuffer::Read(void* destination, uint32_t n) {
    n = Peek(destination, n, 0);
    return Skip(n);
}

uint32_t RingBuffer::Skip(uint32_t n) {
    n = std::min(n, Used());
    read_ = Advance(read_, n);
    // An empty queue starts over at the front, so the next fill gets one contiguous piece.
    if (read_ == write_) read_ = write_ = 0;
    return n;
}

void RingBuffer::Unread(const void* source, uint32_t n) {
    if (n > Free()) ThrowTooSmall();
    read_ = read_ >= n ? read_ - n : storageSize_ - (n - read_);
    const auto* src = static_cast<const uint8_t*>(source);
    uint32_t first = std::min(n, storageSize_ - read_);
    std::memcpy(storage_.get() + read_, src, first);
    std::memcpy(storage_.get(), src + first, n - first);
}

void RingBuffer::Clear() {
    read_ = write_ = 0;
}

uint8_t* RingBuffer::WritableSpan(uint32_t& length) {
    // Up to the storage end, or up to the slot before the read pointer when the data wraps.
    if (write_ >= read_) {
        length = storageSize_ - write_;
        if (read_ == 0) --length;
    } else {
        length = read_ - write_ - 1;
    }
    return storage_.get() + write_;
}

void RingBuffer::Commit(uint32_t n) {
    uint32_t length;
    WritableSpan(length);
    if (n > length) ThrowTooSmall();
    write_ = Advance(write_, n);
}
