#include "tools/content/memory_bytes.h"

#include <algorithm>
#include <cstring>
#include <utility>

MemoryByteSource::MemoryByteSource(std::vector<uint8_t> bytes, size_t maxChunk)
    : bytes_(std::move(bytes)), maxChunk_(maxChunk == 0 ? 1 : maxChunk) {}

size_t MemoryByteSource::ReadRaw(uint8_t* destination, size_t n) {
    size_t take = std::min({n, maxChunk_, bytes_.size() - position_});
    if (take) std::memcpy(destination, bytes_.data() + position_, take);
    position_ += take;
    return take;
}

void MemoryByteSource::Seek(size_t position) {
    position_ = std::min(position, bytes_.size());
}

void MemoryByteSink::WriteRaw(const uint8_t* bytes, size_t n) {
    bytes_.insert(bytes_.end(), bytes, bytes + n);
    ++writes_;
}
