#include "foundation/packed_stream.h"

PackedStream::PackedStream(uint8_t method) : method_(method) {}

PackedStream::~PackedStream() {
    CloseOnDestroy();
}

void PackedStream::BeginStream() {
    if (method_ != 2) return;
    BeginPacked();
    ResetDictionary();
}

void PackedStream::BeginPacked() {
    headerStart_ = Seek(0, 1);
    uint8_t header[kSepkHeaderSize];
    WriteSepkHeader(header, SepkHeader{});
    RawWrite(header, sizeof header);
    packer_ = std::make_unique<LzwPacker>(static_cast<ByteSink&>(*this));
}

void PackedStream::ResetDictionary() {
    if (packer_) packer_->Reset();
}

void PackedStream::WritePacked(const uint8_t* bytes, uint32_t n) {
    if (!packer_) {
        RawWrite(bytes, n);
        return;
    }
    packer_->Write(bytes, n);
}

void PackedStream::Write(const void* buffer, uint32_t n) {
    if (method_ == 2 && packer_) {
        WritePacked(static_cast<const uint8_t*>(buffer), n);
    } else {
        RawWrite(buffer, n);
    }
}

void PackedStream::WriteRaw(const uint8_t* bytes, size_t n) {
    RawWrite(bytes, static_cast<uint32_t>(n));
}

void PackedStream::ClosePacked() {
    if (!packer_) return;
    packer_->Finish();
    SepkHeader header;
    header.codeStreamSize = packer_->CodeStreamBytes();
    header.unpackedSize = packer_->InputBytes();
    packer_.reset();
    uint8_t bytes[kSepkHeaderSize];
    WriteSepkHeader(bytes, header);
    Seek(headerStart_, 0);
    RawWrite(bytes, sizeof bytes);
    Seek(0, 2);
}

void PackedStream::Close() {
    if (!IsOpen()) return;
    try {
        ClosePacked();
    } catch (...) {
        packer_.reset();
        Abandon();
        throw;
    }
    FW::Close();
}
