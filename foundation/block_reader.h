// Input stream of blocks, raw bytes and text tokens over an archive entry or a disk file. SEPK
// packed content is detected on Open and unpacked on the fly, so readers see plain bytes.
#pragma once

#include <cstdint>
#include <memory>

#include "foundation/engine_string.h"
#include "foundation/fr_stream.h"
#include "foundation/ring_buffer.h"
#include "foundation/sepk_lzw.h"

class DataBlock;

namespace FD {
class File;
}

// `reader >> QuotedText{s}` reads a double-quoted text, or a word when no quote follows.
struct QuotedText {
    String& text;
};

class BlockReader {
  public:
    // Capacities of the input buffer, the packed-input buffer and the look-ahead. The unpacker
    // keeps its own input buffer, so the second capacity is accepted for the callers' sake only.
    BlockReader(uint32_t inputCapacity, uint32_t packedCapacity, uint32_t lookAheadCapacity);
    BlockReader(const BlockReader&) = delete;
    BlockReader& operator=(const BlockReader&) = delete;
    virtual ~BlockReader();

    // Opens name and positions at the start of its plain content; what was open is closed first.
    virtual void Open(const String& name) = 0;
    // Frees the unpacker tables, then closes the entry or file.
    virtual void Close();

    // Reads up to n bytes; fewer only at the end of the content.
    uint32_t Read(void* buffer, uint32_t n);
    // 0..255, or -1 at the end of the content.
    int ReadByte();
    void Skip(uint32_t n);
    // Copies up to n bytes starting offset bytes after the logical position, consuming nothing.
    // Throws "FR::Buffer is too small at position P in "NAME"" when offset + n exceeds the
    // look-ahead.
    uint32_t PeekAt(void* destination, uint32_t n, uint32_t offset);
    // origin 0 absolute, 1 from the logical position, 2 from the content size; the result is
    // clamped to the content.
    uint32_t Seek(int64_t offset, int origin);
    // Absolute positioning (Seek with origin 0) for any 32-bit position.
    uint32_t SeekTo(uint32_t target);
    uint32_t Tell() const;
    bool AtEnd();
    // Plain content size (the unpacked size of a packed stream).
    uint32_t Size();
    bool IsPacked() const { return packed_; }
    // The name given to Open, for messages.
    const String& Name() const;

    // One word: bytes up to the next LF, CR or blank (consumed) after skipping those; empty at the
    // end of the content.
    BlockReader& operator>>(String& word);
    BlockReader& operator>>(QuotedText text);
    // Skips tabs, LF, CR, blanks and "//" comment lines.
    void SkipSpace();
    // Puts bytes back in front of the logical position (look-ahead overflow: the error of PeekAt).
    void Unread(const void* bytes, uint32_t n);

  protected:
    virtual FRStream& Stream() = 0;
    const FRStream& Stream() const { return const_cast<BlockReader*>(this)->Stream(); }
    // Drops buffered bytes and the unpacker state; position 0.
    void ResetBuffers();
    // Detects the SEPK header and prepares raw or packed reading from position 0.
    // After a stream is opened: detect packing and start the content; closes again on failure.
    void StartContent();
    void OpenPacked();
    void ResetTable();

  private:
    friend BlockReader& operator>>(BlockReader& reader, DataBlock& block);

    // Fills the input buffer (n = 0: as much as it takes) or, with deliver clear, skips n bytes.
    uint32_t Fill(uint32_t n, bool deliver);
    uint32_t ReadPacked(uint8_t* destination, uint32_t n);
    // Back to the content start: raw position 0, or the code-stream start and a fresh unpacker.
    void RestartContent();
    uint32_t ReadWordInto(String& word);
    [[noreturn]] void ThrowBufferTooSmall() const;

    RingBuffer input_;
    RingBuffer lookAhead_;
    uint32_t position_ = 0;  // bytes taken from the input buffer: the input's read position
    bool packed_ = false;
    SepkHeader header_;
    uint32_t produced_ = 0;  // unpacked bytes delivered into the input buffer or skipped
    std::unique_ptr<LzwUnpacker> unpacker_;
    // End of the block whose sub-blocks are being read; blocks may not run past it.
    uint32_t blockLimit_ = UINT32_MAX;
};

class EntryBlockReader : public BlockReader {
  public:
    EntryBlockReader(FD::File* archive, uint32_t inputCapacity = 1024, uint32_t packedCapacity = 1024,
                     uint32_t lookAheadCapacity = 128);
    ~EntryBlockReader() override;
    void Open(const String& name) override;

  protected:
    FRStream& Stream() override { return stream_; }

  private:
    FREntryStream stream_;
};

class FileBlockReader : public BlockReader {
  public:
    FileBlockReader(uint32_t inputCapacity = 1024, uint32_t packedCapacity = 1024,
                    uint32_t lookAheadCapacity = 128);
    ~FileBlockReader() override;
    void Open(const String& name) override;

  protected:
    FRStream& Stream() override { return stream_; }

  private:
    FRFileStream stream_;
};
