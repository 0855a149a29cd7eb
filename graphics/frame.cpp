#include "graphics/frame.h"

#include <algorithm>
#include <cstring>

#include "foundation/block_reader.h"
#include "foundation/exceptions.h"
#include "graphics/graphics_kinds.h"

namespace {

String Number(uint64_t value) {
    return String(static_cast<int>(std::min<uint64_t>(value, INT32_MAX)));
}

[[noreturn]] void Damaged(const BlockReader& reader, const String& what) {
    ThrowFatal("Damaged frame in \"%s\": %s", reader.Name().Text(), what.Text());
}

}  // namespace

uint64_t RowBytes(uint64_t n) {
    return n + (4 - n % 4) % 4;
}

Frame::Frame() : DataBlock(kHeaderSize, true), handle_(HandleFamily::kFrame, kFrameKind, this) {
    SetSignature("IMG");
}

Frame::Frame(const Frame& other)
    : DataBlock(other), handle_(HandleFamily::kFrame, kFrameKind, this), takesMask_(other.takesMask_) {
    if (other.mask_) mask_ = std::make_unique<Frame>(*other.mask_);
}

void Frame::Revoke() {
    handle_.Revoke();
    if (mask_ != nullptr) mask_->Revoke();
}

Frame::~Frame() = default;

Frame* Frame::FromAddress(uint32_t address) {
    return static_cast<Frame*>(CheckScriptHandle(address, HandleFamily::kFrame, kFrameKind, "frame"));
}

void Frame::ReadChunk(BlockReader& reader, const uint8_t* signature) {
    if (!takesMask_ || mask_ || std::memcmp(signature, "IMG\0", 4) != 0) return;
    auto mask = std::make_unique<Frame>();
    mask->takesMask_ = false;
    reader >> *mask;
    mask_ = std::move(mask);
}

void Frame::AfterRead(BlockReader& reader) {
    const uint32_t depth = BitsPerPixel();
    if (depth != 8 && depth != 16)
        Damaged(reader, String("unsupported depth of ") + Number(depth) + " bits per pixel");
    const uint64_t needed = Stride() * Height();
    const uint64_t held = Payload() == nullptr ? 0 : PayloadSize();
    if (held < needed)
        Damaged(reader,
                String("pixel rows need ") + Number(needed) + " bytes, the block holds " + Number(held));
    if (mask_ && (mask_->Width() != Width() || mask_->Height() != Height() || mask_->BitsPerPixel() != 8))
        Damaged(reader, String("the mask is not an 8-bit frame of the frame's size"));
}

uint32_t Frame::ChunkSize() const {
    uint32_t size = DataBlock::ChunkSize();
    if (mask_) size += mask_->ChunkSize() + 8;
    return size;
}

void Frame::SetOrigin(int32_t x, int32_t y) {
    StoreU32(Header() + 10, static_cast<uint32_t>(x));
    StoreU32(Header() + 14, static_cast<uint32_t>(y));
}

void Frame::SetGeometry(uint32_t width, uint32_t height, uint32_t bitsPerPixel) {
    const uint64_t size = RowBytes(uint64_t{width} * (bitsPerPixel / 8)) * height;
    if (size > UINT32_MAX) throw FatalExep(String("Frame too large"));
    Header()[21] = static_cast<uint8_t>(bitsPerPixel);
    StoreU32(Header() + 22, width);
    StoreU32(Header() + 26, height);
    SetPayloadSize(static_cast<uint32_t>(size));
    AllocPayload();
}

bool Frame::HasPixels() const {
    const uint32_t depth = BitsPerPixel();
    if (depth != 8 && depth != 16) return false;
    const uint64_t needed = Stride() * Height();
    if (needed == 0) return true;
    return Payload() != nullptr && PayloadSize() >= needed;
}

uint32_t Frame::PixelAt(uint64_t fx, uint64_t fy) const {
    const uint8_t* row = Payload() + fy * Stride();
    return BitsPerPixel() == 16 ? LoadU16(row + 2 * fx) : row[fx];
}

void Frame::SetPixel(uint64_t fx, uint64_t fy, uint32_t value) {
    uint8_t* row = Payload() + fy * Stride();
    if (BitsPerPixel() == 16)
        StoreU16(row + 2 * fx, static_cast<uint16_t>(value));
    else
        row[fx] = static_cast<uint8_t>(value);
}
