// Fixed-capacity byte queue under every reader: the input buffer and the look-ahead.
#pragma once

#include <cstdint>
#include <memory>

class RingBuffer {
  public:
    explicit RingBuffer(uint32_t capacity);
    RingBuffer(const RingBuffer&) = delete;
    RingBuffer& operator=(const RingBuffer&) = delete;

    // Appends n bytes; throws FatalExep code 1 "FR::Buffer is too small" (appending nothing) when
    // fewer than n bytes are free.
    void Write(const void* source, uint32_t n);
    // Takes up to n bytes from the front.
    uint32_t Read(void* destination, uint32_t n);
    // Copies up to n bytes that start offset bytes after the front, without taking them.
    uint32_t Peek(void* destination, uint32_t n, uint32_t offset) const;
    // Drops up to n bytes from the front.
    uint32_t Skip(uint32_t n);
    // Puts n bytes back in front of the queue (the tokenizer's put-back); same overflow error as
    // Write.
    void Unread(const void* source, uint32_t n);
    void Clear();

    uint32_t Capacity() const { return capacity_; }
    uint32_t Used() const;
    uint32_t Free() const { return capacity_ - Used(); }

    // Free space directly after the write pointer, for filling in place; Commit(n) then appends
    // the n bytes written there.
    uint8_t* WritableSpan(uint32_t& length);
    void Commit(uint32_t n);

  private:
    uint32_t Advance(uint32_t index, uint32_t n) const;

    uint32_t capacity_;
    uint32_t storageSize_;  // capacity + 1: one slot always stays empty
    std::unique_ptr<uint8_t[]> storage_;
    uint32_t read_ = 0;
    uint32_t write_ = 0;
};
