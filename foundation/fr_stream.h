// Raw read streams under the block readers: over an archive entry and over a disk file. Buffering,
// look-ahead and unpacking are the block reader's; these only read, seek and measure.
#pragma once

#include <cstdint>
#include <cstdio>

#include "foundation/engine_string.h"
#include "foundation/sepk_lzw.h"

namespace FD {
class File;
}

class FRStream : public ByteSource {
  public:
    FRStream() = default;
    FRStream(const FRStream&) = delete;
    FRStream& operator=(const FRStream&) = delete;

    virtual size_t RawRead(uint8_t* buffer, size_t n) = 0;
    // origin 0 absolute, 1 relative, 2 from the end; returns the new position.
    virtual uint32_t RawSeek(int64_t offset, int origin) = 0;
    virtual uint32_t RawSize() = 0;
    virtual bool IsOpen() const = 0;
    virtual void CloseStream() = 0;

    size_t ReadRaw(uint8_t* destination, size_t n) override { return RawRead(destination, n); }
    // The name the stream was opened with, for messages.
    const String& Name() const { return name_; }

  protected:
    String name_;
};

class FREntryStream : public FRStream {
  public:
    explicit FREntryStream(FD::File* archive) : archive_(archive) {}
    ~FREntryStream() override;

    // Throws "File Directory is not assigned" without an archive, or the archive's not-found error.
    void OpenEntry(const String& name);
    void CloseEntry();

    size_t RawRead(uint8_t* buffer, size_t n) override;
    uint32_t RawSeek(int64_t offset, int origin) override;
    uint32_t RawSize() override;
    bool IsOpen() const override { return handle_ != -1; }
    void CloseStream() override { CloseEntry(); }

    FD::File* Archive() const { return archive_; }

  private:
    FD::File* archive_;
    int handle_ = -1;
};

class FRFileStream : public FRStream {
  public:
    FRFileStream() = default;
    ~FRFileStream() override;

    // The name is looked up on disk without case; a missing file throws code 1
    // "FR::File \"name\"Not Found".
    void OpenFile(const String& name);
    void CloseFile();

    size_t RawRead(uint8_t* buffer, size_t n) override;
    uint32_t RawSeek(int64_t offset, int origin) override;
    uint32_t RawSize() override;
    bool IsOpen() const override { return file_ != nullptr; }
    void CloseStream() override { CloseFile(); }

  private:
    std::FILE* file_ = nullptr;
};
