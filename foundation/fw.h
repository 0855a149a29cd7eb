// Write stream over a disk file. A new file is written to a temporary file in the same folder
// ("<target>.tmp<n>") and renamed over the target when it is closed, so a file is replaced whole or
// not at all; it keeps the permission bits of the file it replaces. The next write of the same
// target removes the temporary files of writes that were killed. Append mode writes in place
// (logs).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "foundation/engine_string.h"

class FW {
  public:
    FW() = default;
    FW(const FW&) = delete;
    FW& operator=(const FW&) = delete;
    // Without Close, the file is finished as Close does (a failure is swallowed and leaves the
    // target as it was), unless an exception is unwinding: then it is dropped.
    virtual ~FW();

    // flags bit 0: append instead of replace; bit 1: text instead of binary. Throws FatalExep
    // code 1 "FW::Unable to create file". A stream still open is closed first.
    void Create(const String& name, uint8_t flags = 0);
    // The stream's write: packs in a PackedStream, else the raw write.
    virtual void Write(const void* buffer, uint32_t n);
    void WriteU16(uint16_t value);
    void WriteU32(uint32_t value);
    // Writes n bytes as they are. WarnExep code 1 "File not OPENED!" without a file, "Error on
    // writing into file" when the write fails (the new file is then abandoned).
    uint32_t RawWrite(const void* buffer, uint32_t n);
    // fseek then ftell; 0 without a file.
    uint32_t Seek(int64_t offset, int origin);
    // Finishes the file: flushed, synced, renamed over the target and the folder synced. A failure (or an
    // earlier failed write) leaves the target untouched and throws WarnExep code 1 "Error on writing into
    // file".
    virtual void Close();
    bool IsOpen() const { return file_ != nullptr; }

  protected:
    // Called by Create after the file is open; a PackedStream writes its header here.
    virtual void BeginStream() {}
    // Drops the open file without finishing it.
    void Abandon();
    // For destructors: Close, or Abandon while an exception unwinds. A derived stream that
    // finishes its own content in Close calls this from its own destructor.
    void CloseOnDestroy() noexcept;

  private:
    std::FILE* file_ = nullptr;
    std::string target_;     // empty in append mode
    std::string temporary_;  // the file being written, renamed to target_ on Close
    bool failed_ = false;
    int uncaughtAtCreate_ = 0;  // exceptions in flight when the file was created
};
