// One bitmap of a picture: the "IMG" block (origin, depth, size, flags; pixel rows top row first,
// each padded to 4 bytes) with an optional nested "IMG" alpha mask of the same size. Pixels are
// 8-bit palette indices or 16-bit colours (5-5-5 as stored, 5-6-5 once converted); 0 is the
// transparent value at every depth and no conversion changes it.
#pragma once

#include <cstdint>
#include <memory>

#include "foundation/data_block.h"
#include "foundation/script_handle.h"
#include "foundation/script_memory.h"

class PaletteBlock;

// Flag bits of the frame header.
constexpr uint32_t kFrameTransparent = 1u << 0;  // pixels 0 are see-through when drawn plainly and hit-tested
constexpr uint32_t kFrame565 = 1u << 2;          // 16-bit pixels are 5-6-5 (never set in files)

// Bytes of a pixel row of n bytes, padded so that every row starts on a multiple of 4.
uint64_t RowBytes(uint64_t n);

class Frame : public DataBlock {
  public:
    static constexpr uint32_t kHeaderSize = 34;

    Frame();
    // Copies header, pixel rows and, recursively, the mask.
    Frame(const Frame& other);
    Frame& operator=(const Frame&) = delete;
    ~Frame() override;

    // The frame a script value refers to; FatalExep when it is not a live frame.
    static Frame* FromAddress(uint32_t address);
    uint32_t Address() const { return handle_.Address(); }
    // No script value names the frame or its mask any more: its picture was retired.
    void Revoke();

    // A nested "IMG" becomes the mask (the first one only; a mask takes no mask of its own).
    void ReadChunk(BlockReader& reader, const uint8_t* signature) override;
    // Rejects pixel rows that the payload cannot hold and a mask that does not fit the frame.
    void AfterRead(BlockReader& reader) override;
    uint32_t ChunkSize() const override;

    int32_t OriginX() const { return static_cast<int32_t>(LoadU32(Header() + 10)); }
    int32_t OriginY() const { return static_cast<int32_t>(LoadU32(Header() + 14)); }
    uint32_t BitsPerPixel() const { return Header()[21]; }
    uint32_t Width() const { return LoadU32(Header() + 22); }
    uint32_t Height() const { return LoadU32(Header() + 26); }
    uint32_t Flags() const { return LoadU32(Header() + 30); }
    void SetOrigin(int32_t x, int32_t y);
    void SetFlags(uint32_t flags) { StoreU32(Header() + 30, flags); }
    // New size and depth with zero pixel rows.
    void SetGeometry(uint32_t width, uint32_t height, uint32_t bitsPerPixel);

    // Row stride of the pixel rows.
    uint64_t Stride() const { return RowBytes(uint64_t{Width()} * (BitsPerPixel() / 8)); }
    // True when the frame is 8 or 16 bits deep and its payload holds every row: the tests and
    // conversions touch pixels only then.
    bool HasPixels() const;
    // Pixel (fx, fy) at the frame's own depth; the frame must have pixels and the point lie inside.
    uint32_t PixelAt(uint64_t fx, uint64_t fy) const;
    void SetPixel(uint64_t fx, uint64_t fy, uint32_t value);

    Frame* Mask() { return mask_.get(); }
    const Frame* Mask() const { return mask_.get(); }

    // -1 when (px, py) lies in the frame placed at (x, y) with the orientation and the frame is
    // opaque there (flag bit 0 clear, or the pixel is not 0); else 0.
    static int HitTest(const Frame& frame, int32_t x, int32_t y, uint32_t orientation, int32_t px,
                       int32_t py);
    // -1 when the two placed frames share a position where neither pixel is 0, (cx, cy) set to the
    // first such position row by row; else 0 with (cx, cy) untouched. Each frame is read at its own
    // depth.
    static int Collides(const Frame& a, int32_t xa, int32_t ya, uint32_t oa, const Frame& b, int32_t xb,
                        int32_t yb, uint32_t ob, int32_t& cx, int32_t& cy);

    // 16-bit 5-5-5 to 5-6-5 and back; frames of another depth or already converted are left alone.
    void ConvertTo565();
    void ConvertTo555();
    // 8-bit indices to 5-5-5 through the palette. Index 0, and an index the palette does not hold
    // (or no palette), give 0.
    void ExpandTo16(const PaletteBlock* palette);
    // 8-bit indices of from to the nearest indices of to, with error diffusion. Does nothing when a
    // palette is null or the frame is not 8-bit; WarnExep when the dimensions differ.
    void Remap(const PaletteBlock* from, const PaletteBlock* to);
    // 8-bit frames: Remap. 16-bit frames: reduced to 8-bit indices of to with error diffusion
    // (nothing when to is null). Other depths: FatalExep "Unsupported mode".
    void ReduceToPalette(const PaletteBlock* from, const PaletteBlock* to);

  private:
    ScriptHandle handle_;
    std::unique_ptr<Frame> mask_;
    bool takesMask_ = true;
};
