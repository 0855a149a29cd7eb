// Write stream that stores what is written through it SEPK-packed (method 2, LZW); any other
// method writes plainly.
#pragma once

#include <cstdint>
#include <memory>

#include "foundation/fw.h"
#include "foundation/sepk_lzw.h"

class PackedStream : public FW, private ByteSink {
  public:
    explicit PackedStream(uint8_t method = 2);
    ~PackedStream() override;

    void Write(const void* buffer, uint32_t n) override;
    // Finishes the code stream and fills the header's two sizes, then closes the file.
    void Close() override;

    // The packing steps, for a stream created with method 2.
    void BeginPacked();
    void ResetDictionary();
    void WritePacked(const uint8_t* bytes, uint32_t n);
    void ClosePacked();

  protected:
    void BeginStream() override;

  private:
    void WriteRaw(const uint8_t* bytes, size_t n) override;

    uint8_t method_;
    std::unique_ptr<LzwPacker> packer_;
    uint32_t headerStart_ = 0;
};
