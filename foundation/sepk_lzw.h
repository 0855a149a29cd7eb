// SEPK packed files: the 18-byte header and the LZW code stream (9 to 12-bit codes packed into
// 16-bit little-endian words, 256 clear, 257 end, 258 up dictionary strings).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "foundation/engine_string.h"

constexpr size_t kSepkHeaderSize = 18;

struct SepkHeader {
    uint16_t headerLength = 16;  // the code stream starts at headerLength + 2
    uint32_t codeStreamSize = 0;
    uint8_t method = 2;
    uint8_t version = 1;
    uint32_t unpackedSize = 0;

    uint32_t CodeStreamStart() const { return uint32_t{headerLength} + 2; }
};

// Returns false when the first six bytes are not "SEPK" and two zero bytes (the file is then read
// raw). Throws FatalExep for an unsupported method or version, or a header too short to hold its
// fields; `name` is the file or entry, for the message.
bool ParseSepkHeader(const uint8_t* bytes, size_t n, SepkHeader& out, const String& name);
void WriteSepkHeader(uint8_t* out18, const SepkHeader& header);
// The most a code stream of that many bytes can unpack to: every code takes at least 9 bits and
// yields at most one pooled string.
uint64_t MaxUnpackedSize(uint64_t codeStreamBytes);
// Throws FatalExep "corrupt packed data in <name>" when the header declares more unpacked bytes
// than the code stream after it (rawSize: the whole file or entry) could produce, so that no
// reader sizes anything by such a claim.
void CheckUnpackedSize(const SepkHeader& header, uint64_t rawSize, const String& name);

// Raw bytes of the code stream, pulled by the unpacker.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    // Reads up to n bytes; 0 at the end of the input.
    virtual size_t ReadRaw(uint8_t* destination, size_t n) = 0;
};

// Completed code words, pushed by the packer.
class ByteSink {
  public:
    virtual ~ByteSink() = default;
    virtual void WriteRaw(const uint8_t* bytes, size_t n) = 0;
};

// Unpacks a code stream (everything after the header) on demand. Keeps a partly delivered string
// between calls so callers can take any amount at a time.
class LzwUnpacker {
  public:
    explicit LzwUnpacker(String name);
    ~LzwUnpacker();
    LzwUnpacker(const LzwUnpacker&) = delete;
    LzwUnpacker& operator=(const LzwUnpacker&) = delete;

    // Dictionary reset and a fresh start of the code stream (bit buffer, pending bytes and the
    // buffered input are dropped). Call after the source is positioned at the code-stream start.
    void Reset();
    // Produces up to n unpacked bytes into destination, or only counts them when destination is
    // null (skipping). Fewer than n only at the end code or the end of the input. Corrupt input
    // throws FatalExep naming the file.
    size_t Read(ByteSource& source, uint8_t* destination, size_t n);
    // Frees the tables (they are allocated again by the next Reset).
    void Free();

  private:
    struct State;
    std::unique_ptr<State> state_;
    String name_;
};

// Greedy LZW packer writing 16-bit code words to a sink. Output is always readable by LzwUnpacker.
class LzwPacker {
  public:
    explicit LzwPacker(ByteSink& sink);
    ~LzwPacker();
    LzwPacker(const LzwPacker&) = delete;
    LzwPacker& operator=(const LzwPacker&) = delete;

    // Dictionary reset; the next Write starts a new code stream with a clear code.
    void Reset();
    void Write(const uint8_t* bytes, size_t n);
    // Writes the current string's code, the end code and the last partial word.
    void Finish();
    uint32_t CodeStreamBytes() const;
    uint32_t InputBytes() const;

  private:
    struct State;
    std::unique_ptr<State> state_;
};
