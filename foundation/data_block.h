// A tagged block: a header (4-byte signature, u16 header size, u32 payload size, class fields) and
// an optional payload. The header lives on the host heap, out of scripts' reach, since its sizes
// bound every access; the payload too, unless scripts are handed its address (method tables and
// code), in which case it lives in the script address space and its contents are untrusted. Stored as "SE" +
// header + payload; "SC" and "SM" containers with sub-blocks are read too.
#pragma once

#include <cstdint>
#include <memory>

class BlockReader;
class FW;

// Frees a payload where it was made.
struct PayloadFreer {
    bool inScriptMemory = false;
    void operator()(uint8_t* p) const noexcept;
};
using PayloadPtr = std::unique_ptr<uint8_t, PayloadFreer>;

class DataBlock {
  public:
    // headerSize 0: the header is taken from the first block read; otherwise at least 10.
    DataBlock(uint32_t headerSize, bool loadPayload);
    DataBlock(const DataBlock& other);
    DataBlock& operator=(const DataBlock& other);
    virtual ~DataBlock();

    // Called for each sub-block of an "SC" or "SM" block, with the reader at the sub-block's mark;
    // the reader then moves to the sub-block's end, whatever was consumed. The base ignores it.
    virtual void ReadChunk(BlockReader& reader, const uint8_t* signature);
    // Called once the block and its sub-blocks are read; the reader may be moved freely.
    virtual void AfterRead(BlockReader& reader);
    // Bytes the block takes when written as "SE": header size + payload size + 2.
    virtual uint32_t ChunkSize() const;

    uint8_t* Header() { return header_; }
    const uint8_t* Header() const { return header_; }
    uint32_t HeaderSize() const { return headerSize_; }
    uint32_t PayloadSize() const;
    void SetPayloadSize(uint32_t size);
    uint8_t* Payload() { return payload_; }
    const uint8_t* Payload() const { return payload_; }
    // Stream position of the payload (or first sub-block) at the last read.
    uint32_t PayloadPosition() const { return payloadPosition_; }
    bool LoadsPayload() const { return loadPayload_; }
    void SetLoadPayload(bool load) { loadPayload_ = load; }

    // Payloads made from now on live in the script address space. Set before the payload is made.
    void KeepPayloadInScriptMemory() { scriptPayload_ = true; }
    bool PayloadInScriptMemory() const { return scriptPayload_; }
    // Zero-filled memory where this block keeps its payload, for SetPayload.
    PayloadPtr NewPayload(uint64_t size) const;
    // Replaces the payload with one of the header's payload size (zero-filled).
    void AllocPayload();
    // Takes ownership of a buffer from NewPayload; the caller keeps the header's payload size
    // consistent with it.
    void SetPayload(PayloadPtr buffer);
    // tag: up to 4 bytes, NUL-padded ("FDN" is "FDN" and one NUL).
    void SetSignature(const char* tag);
    // All four signature bytes compare, NUL padding included; false without a header.
    bool HasTag(const char* tag) const;
    // Header and payload without a mark.
    void Write(FW& fw) const;

  private:
    friend BlockReader& operator>>(BlockReader& reader, DataBlock& block);
    void FreeBuffers();
    void CopyFrom(const DataBlock& other);

    uint32_t headerSize_;
    uint8_t* header_ = nullptr;
    uint8_t* payload_ = nullptr;
    uint32_t payloadPosition_ = 0;
    bool loadPayload_;
    bool scriptPayload_ = false;
};

// Writes "SE" and the block.
FW& operator<<(FW& fw, const DataBlock& block);
// Reads the next block. No block mark here: WarnExep code 5 "Signature not found at position <hex>
// in "<file or entry>"".
// A damaged block throws FatalExep naming the file.
BlockReader& operator>>(BlockReader& reader, DataBlock& block);
