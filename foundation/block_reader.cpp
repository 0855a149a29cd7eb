#include "foundation/block_reader.h"

#include <algorithm>
#include <string>

#include "foundation/exceptions.h"
#include "foundation/fd_file.h"

BlockReader::BlockReader(uint32_t inputCapacity, uint32_t packedCapacity, uint32_t lookAheadCapacity)
    : input_(inputCapacity), lookAhead_(lookAheadCapacity) {
    (void)packedCapacity;
}

BlockReader::~BlockReader() = default;

const String& BlockReader::Name() const {
    return Stream().Name();
}

void BlockReader::Close() {
    unpacker_.reset();
    packed_ = false;
    Stream().CloseStream();
    ResetBuffers();
}

void BlockReader::ResetBuffers() {
    input_.Clear();
    lookAhead_.Clear();
    position_ = 0;
    produced_ = 0;
    blockLimit_ = UINT32_MAX;
}

void BlockReader::OpenPacked() {
    FRStream& stream = Stream();
    packed_ = false;
    unpacker_.reset();
    uint8_t bytes[kSepkHeaderSize];
    size_t got = 0;
    while (got < sizeof bytes) {
        size_t k = stream.RawRead(bytes + got, sizeof bytes - got);
        if (k == 0) break;
        got += k;
    }
    if (ParseSepkHeader(bytes, got, header_, stream.Name())) {
        CheckUnpackedSize(header_, stream.RawSize(), stream.Name());
        packed_ = true;
        unpacker_ = std::make_unique<LzwUnpacker>(stream.Name());
    }
    stream.RawSeek(packed_ ? header_.CodeStreamStart() : 0, 0);
    position_ = 0;
    produced_ = 0;
}

void BlockReader::ResetTable() {
    if (packed_) unpacker_->Reset();
}

void BlockReader::RestartContent() {
    Stream().RawSeek(packed_ ? header_.CodeStreamStart() : 0, 0);
    ResetTable();
    produced_ = 0;
}

uint32_t BlockReader::Size() {
    return packed_ ? header_.unpackedSize : Stream().RawSize();
}

uint32_t BlockReader::ReadPacked(uint8_t* destination, uint32_t n) {
    // The header's size is the content size: a stream that unpacks to more is cut there.
    n = std::min(n, header_.unpackedSize - std::min(produced_, header_.unpackedSize));
    if (n == 0) return 0;
    auto got = static_cast<uint32_t>(unpacker_->Read(Stream(), destination, n));
    produced_ += got;
    return got;
}

uint32_t BlockReader::Fill(uint32_t n, bool deliver) {
    if (!deliver) {
        if (packed_) return ReadPacked(nullptr, n);
        // Skipping plain content is a seek, kept within the content.
        uint32_t rawPosition = position_ + input_.Used();
        uint32_t size = Size();
        n = std::min(n, size - std::min(rawPosition, size));
        if (n != 0) Stream().RawSeek(n, 1);
        return n;
    }
    uint32_t span;
    uint8_t* destination = input_.WritableSpan(span);
    if (n == 0 || n > span) n = span;
    uint32_t got = 0;
    if (packed_) {
        got = ReadPacked(destination, n);
    } else {
        FRStream& stream = Stream();
        while (got < n) {
            size_t k = stream.RawRead(destination + got, n - got);
            if (k == 0) break;
            got += static_cast<uint32_t>(k);
        }
    }
    input_.Commit(got);
    return got;
}

uint32_t BlockReader::Read(void* buffer, uint32_t n) {
    auto* out = static_cast<uint8_t*>(buffer);
    uint32_t done = lookAhead_.Read(out, n);
    while (done < n) {
        if (input_.Used() == 0 && Fill(0, true) == 0) break;
        uint32_t k = input_.Read(out + done, n - done);
        position_ += k;
        done += k;
    }
    return done;
}

int BlockReader::ReadByte() {
    uint8_t b;
    if (lookAhead_.Read(&b, 1) == 1) return b;
    if (input_.Used() == 0 && Fill(0, true) == 0) return -1;
    input_.Read(&b, 1);
    ++position_;
    return b;
}

void BlockReader::Skip(uint32_t n) {
    n -= lookAhead_.Skip(n);
    uint32_t k = input_.Skip(n);
    position_ += k;
    n -= k;
    if (n != 0) position_ += Fill(n, false);
}

// The look-ahead's overflow, named by the file and the position it happened at.
void BlockReader::ThrowBufferTooSmall() const {
    ThrowFatalCoded(1, 0, "FR::Buffer is too small at position %x in \"%s\"", Tell(), Name().Text());
}

uint32_t BlockReader::PeekAt(void* destination, uint32_t n, uint32_t offset) {
    uint64_t need = uint64_t{offset} + n;
    if (need > lookAhead_.Capacity()) ThrowBufferTooSmall();
    uint8_t piece[256];
    while (lookAhead_.Used() < need) {
        if (input_.Used() == 0 && Fill(0, true) == 0) break;
        uint32_t want = std::min<uint32_t>(static_cast<uint32_t>(need) - lookAhead_.Used(), sizeof piece);
        uint32_t k = input_.Read(piece, want);
        position_ += k;
        lookAhead_.Write(piece, k);
    }
    return lookAhead_.Peek(destination, n, offset);
}

void BlockReader::Unread(const void* bytes, uint32_t n) {
    if (n > lookAhead_.Free()) ThrowBufferTooSmall();
    lookAhead_.Unread(bytes, n);
}

uint32_t BlockReader::Tell() const {
    return position_ - lookAhead_.Used();
}

uint32_t BlockReader::Seek(int64_t offset, int origin) {
    int64_t base = origin == 0 ? 0 : origin == 1 ? int64_t{Tell()} : int64_t{Size()};
    return SeekTo(static_cast<uint32_t>(std::clamp<int64_t>(base + offset, 0, UINT32_MAX)));
}

uint32_t BlockReader::SeekTo(uint32_t target) {
    target = std::min(target, Size());
    const uint32_t logical = Tell();
    // Within the bytes already buffered: move the read pointers only.
    if (target >= logical && target - logical <= lookAhead_.Used() + input_.Used()) {
        Skip(target - logical);
        return target;
    }
    const uint32_t buffered = position_ + input_.Used();
    lookAhead_.Clear();
    input_.Clear();
    if (packed_) {
        // A code stream can only be walked forward: go back to its start when the target lies behind.
        if (target < buffered) RestartContent();
        position_ = produced_;
        position_ += ReadPacked(nullptr, target - produced_);
    } else {
        position_ = Stream().RawSeek(target, 0);
    }
    return position_;
}

bool BlockReader::AtEnd() {
    return lookAhead_.Used() == 0 && input_.Used() == 0 && Fill(0, true) == 0;
}

uint32_t BlockReader::ReadWordInto(String& word) {
    int c;
    do {
        c = ReadByte();
    } while (c == '\n' || c == '\r' || c == ' ');
    std::string bytes;
    while (c >= 0 && c != '\n' && c != '\r' && c != ' ') {
        bytes.push_back(static_cast<char>(c));
        c = ReadByte();
    }
    word = String::FromBytes(bytes.data(), bytes.size());
    return static_cast<uint32_t>(bytes.size());
}

BlockReader& BlockReader::operator>>(String& word) {
    ReadWordInto(word);
    return *this;
}

BlockReader& BlockReader::operator>>(QuotedText text) {
    int c = ReadByte();
    if (c != '"') {
        if (c >= 0) {
            uint8_t b = static_cast<uint8_t>(c);
            Unread(&b, 1);
        }
        ReadWordInto(text.text);
        return *this;
    }
    std::string bytes;
    while ((c = ReadByte()) >= 0 && c != '"' && c != 0xFF) bytes.push_back(static_cast<char>(c));
    text.text = String::FromBytes(bytes.data(), bytes.size());
    return *this;
}

void BlockReader::SkipSpace() {
    bool heldSlash = false;
    for (;;) {
        int c = ReadByte();
        if (c < 0) {
            if (heldSlash) Unread("/", 1);
            return;
        }
        if (c == '\t' || c == '\n' || c == '\r' || c == ' ') {
            heldSlash = false;
            continue;
        }
        if (c == '/') {
            if (!heldSlash) {
                heldSlash = true;
                continue;
            }
            // A comment: the rest of the line, its LF and a CR directly after it.
            heldSlash = false;
            while ((c = ReadByte()) >= 0 && c != '\n') {
            }
            if (c == '\n') {
                c = ReadByte();
                if (c >= 0 && c != '\r') {
                    uint8_t b = static_cast<uint8_t>(c);
                    Unread(&b, 1);
                }
            }
            continue;
        }
        uint8_t b = static_cast<uint8_t>(c);
        Unread(&b, 1);
        if (heldSlash) Unread("/", 1);
        return;
    }
}

void BlockReader::StartContent() {
    try {
        OpenPacked();
        ResetTable();
    } catch (...) {
        Close();
        throw;
    }
}

EntryBlockReader::EntryBlockReader(FD::File* archive, uint32_t inputCapacity, uint32_t packedCapacity,
                                   uint32_t lookAheadCapacity)
    : BlockReader(inputCapacity, packedCapacity, lookAheadCapacity), stream_(archive) {}

EntryBlockReader::~EntryBlockReader() {
    Close();
}

void EntryBlockReader::Open(const String& name) {
    Close();
    stream_.OpenEntry(name);
    StartContent();
}

FileBlockReader::FileBlockReader(uint32_t inputCapacity, uint32_t packedCapacity, uint32_t lookAheadCapacity)
    : BlockReader(inputCapacity, packedCapacity, lookAheadCapacity) {}

FileBlockReader::~FileBlockReader() {
    Close();
}

void FileBlockReader::Open(const String& name) {
    Close();
    stream_.OpenFile(name);
    StartContent();
}
