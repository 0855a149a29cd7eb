// In-memory byte sources and sinks for driving the packer and unpacker without files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/sepk_lzw.h"

// Serves a byte vector, at most `maxChunk` bytes per read (small chunks exercise short reads).
class MemoryByteSource : public ByteSource {
  public:
    explicit MemoryByteSource(std::vector<uint8_t> bytes, size_t maxChunk = SIZE_MAX);
    size_t ReadRaw(uint8_t* destination, size_t n) override;
    void Seek(size_t position);
    size_t Position() const { return position_; }

  private:
    std::vector<uint8_t> bytes_;
    size_t maxChunk_;
    size_t position_ = 0;
};

// Collects everything written; counts the calls.
class MemoryByteSink : public ByteSink {
  public:
    void WriteRaw(const uint8_t* bytes, size_t n) override;
    const std::vector<uint8_t>& Bytes() const { return bytes_; }
    size_t Writes() const { return writes_; }

  private:
    std::vector<uint8_t> bytes_;
    size_t writes_ = 0;
};
