// Unpacks arbitrary bytes as a SEPK file (or, without the mark, as a bare code stream), then checks
// that packing the same bytes and unpacking them gives them back.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "foundation/exceptions.h"
#include "foundation/sepk_lzw.h"

namespace {

constexpr size_t kOutputLimit = 16u << 20;

class SpanSource : public ByteSource {
  public:
    SpanSource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    size_t ReadRaw(uint8_t* destination, size_t n) override {
        size_t take = std::min(n, size_ - position_);
        if (take) std::memcpy(destination, data_ + position_, take);
        position_ += take;
        return take;
    }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
};

class VectorSink : public ByteSink {
  public:
    void WriteRaw(const uint8_t* bytes, size_t n) override { bytes_.insert(bytes_.end(), bytes, bytes + n); }
    const std::vector<uint8_t>& Bytes() const { return bytes_; }

  private:
    std::vector<uint8_t> bytes_;
};

void UnpackUntrusted(const uint8_t* data, size_t size) {
    size_t start = 0;
    SepkHeader header;
    try {
        if (ParseSepkHeader(data, size, header, "fuzz.bin"))
            start = std::min<size_t>(header.CodeStreamStart(), size);
    } catch (const DExep&) {
        return;
    }
    SpanSource source(data + start, size - start);
    LzwUnpacker unpacker("fuzz.bin");
    unpacker.Reset();
    // Odd request sizes exercise strings split across calls.
    std::vector<uint8_t> out(4093);
    size_t total = 0;
    try {
        while (total < kOutputLimit) {
            size_t request = 1 + (total % out.size());
            size_t got = unpacker.Read(source, out.data(), request);
            total += got;
            if (got < request) break;
        }
    } catch (const DExep&) {
    }
}

void RoundTrip(const uint8_t* data, size_t size) {
    VectorSink sink;
    LzwPacker packer(sink);
    // Two pieces, so that a piece may end right at a dictionary reset.
    size_t split = size ? data[0] % (size + 1) : 0;
    packer.Write(data, split);
    packer.Write(data + split, size - split);
    packer.Finish();
    if (packer.CodeStreamBytes() != sink.Bytes().size() || packer.InputBytes() != size) std::abort();

    SpanSource source(sink.Bytes().data(), sink.Bytes().size());
    LzwUnpacker unpacker("round trip");
    unpacker.Reset();
    std::vector<uint8_t> out(size + 1);
    size_t got = 0;
    try {
        got = unpacker.Read(source, out.data(), out.size());
    } catch (const DExep&) {
        std::abort();
    }
    if (got != size || (size && std::memcmp(out.data(), data, size) != 0)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    UnpackUntrusted(data, size);
    RoundTrip(data, size);
    return 0;
}
