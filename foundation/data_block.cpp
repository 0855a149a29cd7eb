#include "foundation/data_block.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "foundation/block_reader.h"
#include "foundation/exceptions.h"
#include "foundation/fw.h"
#include "foundation/script_memory.h"

namespace {

constexpr uint32_t kMinHeaderSize = 10;

struct HostFreer {
    void operator()(uint8_t* p) const noexcept { std::free(p); }
};
using HostBytes = std::unique_ptr<uint8_t, HostFreer>;

HostBytes AllocHostBytes(uint64_t size) {
    void* p = std::calloc(size == 0 ? 1 : size, 1);
    if (p == nullptr) throw std::bad_alloc();
    return HostBytes(static_cast<uint8_t*>(p));
}

// A tag as its 4 signature bytes: a shorter text is padded with NUL bytes instead of being read past.
uint32_t TagWord(const char* tag) {
    uint8_t bytes[4] = {};
    std::memcpy(bytes, tag, strnlen(tag, 4));
    return LoadU32(bytes);
}

[[noreturn]] void Damaged(const BlockReader& reader, uint32_t position, const char* what) {
    ThrowFatal("Damaged block in \"%s\" at position %x: %s", reader.Name().Text(), position, what);
}

// What the mark of a block says, found by peeking: nothing is consumed.
struct BlockMark {
    int version = 0;
    uint32_t start = 0;
    uint64_t end = 0;
    uint32_t prefix = 0;  // P of "SC", Q of "SM"
    uint32_t count = 0;   // sub-blocks of "SC" and "SM"
    uint32_t headerSize = 0;
    uint8_t signature[4] = {};
};

// False when no block mark follows. A mark whose fields cannot describe a block inside limit
// throws.
bool Recognize(BlockReader& reader, BlockMark& mark, uint64_t limit) {
    uint8_t b[14];
    if (reader.PeekAt(b, 2, 0) < 2 || b[0] != 'S' || (b[1] != 'E' && b[1] != 'C' && b[1] != 'M'))
        return false;
    mark.start = reader.Tell();
    if (b[1] == 'E') {
        mark.version = 0;
        if (reader.PeekAt(b, 12, 0) < 12) Damaged(reader, mark.start, "truncated header");
        std::memcpy(mark.signature, b + 2, 4);
        mark.headerSize = LoadU16(b + 6);
        if (mark.headerSize < kMinHeaderSize) Damaged(reader, mark.start, "header size below 10");
        mark.end = uint64_t{mark.start} + 2 + mark.headerSize + LoadU32(b + 8);
    } else if (b[1] == 'C') {
        mark.version = 1;
        if (reader.PeekAt(b, 10, 0) < 10) Damaged(reader, mark.start, "truncated header");
        mark.prefix = LoadU16(b + 2);
        if (mark.prefix < 6) Damaged(reader, mark.start, "prefix length below 6");
        mark.end = uint64_t{mark.start} + 2 + LoadU32(b + 4);
        mark.count = LoadU16(b + 8);
        uint8_t h[6];
        if (reader.PeekAt(h, 6, mark.prefix + 4) < 6) Damaged(reader, mark.start, "truncated header");
        std::memcpy(mark.signature, h, 4);
        mark.headerSize = LoadU16(h + 4);
        if (mark.headerSize < kMinHeaderSize) Damaged(reader, mark.start, "header size below 10");
        if (uint64_t{mark.start} + 4 + mark.prefix + mark.headerSize > mark.end)
            Damaged(reader, mark.start, "header runs past the end of the block");
    } else {
        mark.version = 2;
        if (reader.PeekAt(b, 14, 0) < 14) Damaged(reader, mark.start, "truncated header");
        mark.prefix = LoadU16(b + 2);
        if (mark.prefix < 10) Damaged(reader, mark.start, "prefix length below 10");
        mark.end = uint64_t{mark.start} + 2 + LoadU32(b + 4);
        std::memcpy(mark.signature, b + 8, 4);
        mark.count = LoadU16(b + 12);
        if (uint64_t{mark.start} + 4 + mark.prefix > mark.end)
            Damaged(reader, mark.start, "prefix runs past the end of the block");
    }
    if (mark.end > limit) Damaged(reader, mark.start, "block runs past the end of its container or file");
    return true;
}

// Restores the reader's block limit when a container's sub-blocks are done, also on errors.
class LimitScope {
  public:
    LimitScope(uint32_t& limit, uint32_t inner) : limit_(limit), saved_(limit) { limit_ = inner; }
    ~LimitScope() { limit_ = saved_; }
    LimitScope(const LimitScope&) = delete;
    LimitScope& operator=(const LimitScope&) = delete;

  private:
    uint32_t& limit_;
    uint32_t saved_;
};

}  // namespace

DataBlock::DataBlock(uint32_t headerSize, bool loadPayload)
    : headerSize_(headerSize), loadPayload_(loadPayload) {
    if (headerSize == 0) return;
    if (headerSize < kMinHeaderSize || headerSize > UINT16_MAX)
        ThrowFatal("DataBlock header size out of range: %d", static_cast<int>(headerSize));
    header_ = AllocHostBytes(headerSize).release();
    StoreU16(header_ + 4, static_cast<uint16_t>(headerSize));
}

DataBlock::DataBlock(const DataBlock& other)
    : headerSize_(0),
      payloadPosition_(other.payloadPosition_),
      loadPayload_(other.loadPayload_),
      scriptPayload_(other.scriptPayload_) {
    CopyFrom(other);
}

DataBlock& DataBlock::operator=(const DataBlock& other) {
    if (this != &other) {
        CopyFrom(other);
        payloadPosition_ = other.payloadPosition_;
        loadPayload_ = other.loadPayload_;
    }
    return *this;
}

void DataBlock::CopyFrom(const DataBlock& other) {
    HostBytes header;
    PayloadPtr payload;
    if (other.header_ != nullptr && other.headerSize_ != 0) {
        header = AllocHostBytes(other.headerSize_);
        std::memcpy(header.get(), other.header_, other.headerSize_);
    }
    if (other.payload_ != nullptr) {
        uint32_t size = other.PayloadSize();
        payload = NewPayload(size);
        std::memcpy(payload.get(), other.payload_, size);
    }
    FreeBuffers();
    header_ = header.release();
    payload_ = payload.release();
    headerSize_ = header_ != nullptr ? other.headerSize_ : 0;
}

DataBlock::~DataBlock() {
    FreeBuffers();
}

void DataBlock::FreeBuffers() {
    SetPayload(nullptr);
    std::free(header_);
    header_ = nullptr;
}

void PayloadFreer::operator()(uint8_t* p) const noexcept {
    if (inScriptMemory) {
        ScriptFree(p);
    } else {
        std::free(p);
    }
}

PayloadPtr DataBlock::NewPayload(uint64_t size) const {
    if (scriptPayload_) return PayloadPtr(static_cast<uint8_t*>(ScriptAlloc(size)), PayloadFreer{true});
    return PayloadPtr(AllocHostBytes(size).release(), PayloadFreer{false});
}

void DataBlock::ReadChunk(BlockReader&, const uint8_t*) {}

void DataBlock::AfterRead(BlockReader&) {}

uint32_t DataBlock::ChunkSize() const {
    if (header_ == nullptr) return 2;
    return LoadU16(header_ + 4) + PayloadSize() + 2;
}

uint32_t DataBlock::PayloadSize() const {
    return header_ == nullptr ? 0 : LoadU32(header_ + 6);
}

void DataBlock::SetPayloadSize(uint32_t size) {
    if (header_ != nullptr) StoreU32(header_ + 6, size);
}

void DataBlock::AllocPayload() {
    SetPayload(nullptr);
    SetPayload(NewPayload(PayloadSize()));
}

void DataBlock::SetPayload(PayloadPtr buffer) {
    if (buffer.get() == payload_) {
        (void)buffer.release();  // already owned
        return;
    }
    PayloadPtr old(payload_, PayloadFreer{scriptPayload_});
    payload_ = buffer.release();
}

void DataBlock::SetSignature(const char* tag) {
    if (header_ != nullptr) StoreU32(header_, TagWord(tag));
}

bool DataBlock::HasTag(const char* tag) const {
    return header_ != nullptr && LoadU32(header_) == TagWord(tag);
}

void DataBlock::Write(FW& fw) const {
    if (header_ == nullptr) return;
    // The stored size field decides how much is written, but never more than the header holds.
    fw.Write(header_, std::min<uint32_t>(LoadU16(header_ + 4), headerSize_));
    if (payload_ != nullptr) fw.Write(payload_, PayloadSize());
}

FW& operator<<(FW& fw, const DataBlock& block) {
    fw.Write("SE", 2);
    block.Write(fw);
    return fw;
}

BlockReader& operator>>(BlockReader& reader, DataBlock& block) {
    const uint64_t limit = std::min<uint64_t>(reader.blockLimit_, reader.Size());
    BlockMark mark;
    if (!Recognize(reader, mark, limit))
        ThrowWarn(5, 0, "Signature not found at position %x in \"%s\"", reader.Tell(), reader.Name().Text());
    const auto end = static_cast<uint32_t>(mark.end);
    uint32_t payloadPosition = 0;

    if (mark.version == 2) {
        reader.Skip(mark.prefix + 4);
        payloadPosition = reader.Tell();
    } else {
        reader.Skip(mark.version == 1 ? mark.prefix + 4 : 2);
        // Read into scratch first, so a damaged block leaves the header as it was.
        std::vector<uint8_t> stored(mark.headerSize);
        if (reader.Read(stored.data(), mark.headerSize) != mark.headerSize)
            Damaged(reader, mark.start, "truncated header");
        const uint32_t payloadSize = LoadU32(stored.data() + 6);
        payloadPosition = reader.Tell();
        if (uint64_t{payloadPosition} + payloadSize > end)
            Damaged(reader, mark.start, "payload runs past the end of the block");
        PayloadPtr payload;
        if (block.loadPayload_) {
            payload = block.NewPayload(payloadSize);
            if (reader.Read(payload.get(), payloadSize) != payloadSize)
                Damaged(reader, mark.start, "truncated payload");
        } else if (mark.version == 1) {
            reader.Skip(payloadSize);
        }
        if (block.header_ == nullptr && block.headerSize_ == 0) {
            block.header_ = AllocHostBytes(mark.headerSize).release();
            block.headerSize_ = mark.headerSize;
        }
        if (block.header_ != nullptr) {
            std::memcpy(block.header_, stored.data(), std::min(mark.headerSize, block.headerSize_));
            StoreU16(block.header_ + 4, static_cast<uint16_t>(block.headerSize_));
        }
        if (payload) block.SetPayload(std::move(payload));
    }

    if (mark.version != 0) {
        LimitScope scope(reader.blockLimit_, end);
        for (uint32_t i = 0; i < mark.count && reader.Tell() < end; ++i) {
            BlockMark sub;
            if (!Recognize(reader, sub, end)) break;
            block.ReadChunk(reader, sub.signature);
            reader.SeekTo(static_cast<uint32_t>(std::min<uint64_t>(sub.end, end)));
        }
    }

    block.payloadPosition_ = payloadPosition;
    reader.SeekTo(end);
    block.AfterRead(reader);
    reader.SeekTo(end);
    return reader;
}
