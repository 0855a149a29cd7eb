// Pixel conversions of frames: 5-5-5 <-> 5-6-5, palette indices to 5-5-5, palette to palette and
// 5-5-5 to palette indices. The reductions diffuse half of each pixel's colour error to the next
// pixel of the row and half to the pixel below.
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "foundation/exceptions.h"
#include "foundation/palette_block.h"
#include "graphics/frame.h"

namespace {

// 8-bit frames index at most 256 entries: a nearer entry beyond them could not be stored.
constexpr uint32_t kMaxIndexedColours = 256;

PayloadPtr NewPixelRows(const DataBlock& frame, uint64_t size) {
    if (size > UINT32_MAX) throw FatalExep(String("Frame too large"));
    return frame.NewPayload(size);
}

// The error diffusion of both reductions, one frame at a time.
class ErrorDiffuser {
  public:
    ErrorDiffuser(uint64_t width, const PaletteBlock& to, uint32_t searchCount)
        : to_(to), searchCount_(searchCount), columns_(width * 3) {}

    void StartRow() { running_[0] = running_[1] = running_[2] = 0; }

    // A transparent pixel: stays 0 and stops the error here.
    uint8_t Transparent(uint64_t column) {
        columns_[3 * column] = columns_[3 * column + 1] = columns_[3 * column + 2] = 0;
        StartRow();
        return 0;
    }

    uint8_t Pick(uint64_t column, int red, int green, int blue) {
        int* error = &columns_[3 * column];
        const int target[3] = {red + error[0] + running_[0], green + error[1] + running_[1],
                               blue + error[2] + running_[2]};
        const uint32_t j = NearestEntry(to_, searchCount_, target[0], target[1], target[2]);
        const int chosen[3] = {to_.Red(j), to_.Green(j), to_.Blue(j)};
        for (int c = 0; c < 3; ++c) error[c] = running_[c] = (target[c] - chosen[c]) / 2;
        return static_cast<uint8_t>(j);
    }

  private:
    const PaletteBlock& to_;
    uint32_t searchCount_;
    std::vector<int> columns_;
    int running_[3] = {};
};

}  // namespace

void Frame::ConvertTo565() {
    if (BitsPerPixel() != 16 || (Flags() & kFrame565) != 0 || !HasPixels()) return;
    for (uint64_t y = 0; Width() != 0 && y < Height(); ++y) {
        for (uint64_t x = 0; x < Width(); ++x) {
            const uint32_t v = PixelAt(x, y);
            if (v != 0) SetPixel(x, y, ((v & 0xFFE0u) << 1) | (v & 0x001Fu));
        }
    }
    SetFlags(Flags() | kFrame565);
}

void Frame::ConvertTo555() {
    if (BitsPerPixel() != 16 || (Flags() & kFrame565) == 0 || !HasPixels()) return;
    for (uint64_t y = 0; Width() != 0 && y < Height(); ++y) {
        for (uint64_t x = 0; x < Width(); ++x) {
            const uint32_t v = PixelAt(x, y);
            if (v != 0) SetPixel(x, y, ((v >> 1) & 0x7FE0u) | (v & 0x001Fu));
        }
    }
    SetFlags(Flags() & ~kFrame565);
}

void Frame::ExpandTo16(const PaletteBlock* palette) {
    if (BitsPerPixel() != 8 || !HasPixels()) return;
    const uint64_t width = Width();
    const uint64_t height = Height();
    const uint64_t oldStride = Stride();
    const uint64_t newStride = RowBytes(width * 2);
    PayloadPtr rows = NewPixelRows(*this, newStride * height);
    const uint32_t colours = palette != nullptr ? palette->Count() : 0;
    // A frame 0 pixels wide may still claim billions of rows: nothing to walk.
    for (uint64_t y = 0; width != 0 && y < height; ++y) {
        const uint8_t* source = Payload() + y * oldStride;
        uint8_t* target = rows.get() + y * newStride;
        for (uint64_t x = 0; x < width; ++x) {
            const uint32_t i = source[x];
            uint32_t v = 0;
            if (i != 0 && i < colours) {
                const uint32_t c = palette->Blue(i) + palette->Green(i) * 256u + palette->Red(i) * 65536u;
                v = ((c >> 9) & 0x7C00u) | ((c >> 6) & 0x03E0u) | ((c >> 3) & 0x001Fu);
            }
            StoreU16(target + 2 * x, static_cast<uint16_t>(v));
        }
    }
    Header()[21] = 16;
    SetPayloadSize(static_cast<uint32_t>(newStride * height));
    SetPayload(std::move(rows));
}

void Frame::Remap(const PaletteBlock* from, const PaletteBlock* to) {
    if (from == nullptr || to == nullptr || BitsPerPixel() > 8) return;
    if (from->Dimension() != to->Dimension())
        throw WarnExep(0, "Unable to convert palette, because of different palettes dimension.", 0);
    if (BitsPerPixel() != 8 || !HasPixels() || Width() == 0 || Height() == 0) return;
    // Indices past the source palette have no colour; entries past either palette are not chosen.
    const uint32_t sourceColours = from->Count();
    const uint32_t searched = std::min({sourceColours, to->Count(), kMaxIndexedColours});
    ErrorDiffuser diffuser(Width(), *to, searched);
    for (uint64_t y = 0; y < Height(); ++y) {
        diffuser.StartRow();
        uint8_t* row = Payload() + y * Stride();
        for (uint64_t x = 0; x < Width(); ++x) {
            const uint32_t i = row[x];
            row[x] = i == 0 || i >= sourceColours
                         ? diffuser.Transparent(x)
                         : diffuser.Pick(x, from->Red(i), from->Green(i), from->Blue(i));
        }
    }
}

void Frame::ReduceToPalette(const PaletteBlock* from, const PaletteBlock* to) {
    const uint32_t depth = BitsPerPixel();
    if (depth == 8) {
        Remap(from, to);
        return;
    }
    if (depth != 16) throw FatalExep(0, "Unsupported mode", 0);
    if (to == nullptr || !HasPixels()) return;
    const uint64_t width = Width();
    const uint64_t height = Height();
    const uint64_t newStride = RowBytes(width);
    PayloadPtr rows = NewPixelRows(*this, newStride * height);
    if (width != 0 && height != 0) {
        ErrorDiffuser diffuser(width, *to, std::min(to->Count(), kMaxIndexedColours));
        for (uint64_t y = 0; y < height; ++y) {
            diffuser.StartRow();
            uint8_t* target = rows.get() + y * newStride;
            for (uint64_t x = 0; x < width; ++x) {
                // Read as 5-5-5 whatever the flags say.
                const uint32_t v = PixelAt(x, y);
                target[x] = v == 0 ? diffuser.Transparent(x)
                                   : diffuser.Pick(x, (v >> 7) & 0xF8, (v >> 2) & 0xF8, (v & 0x1F) * 8);
            }
        }
    }
    Header()[21] = 8;
    SetPayloadSize(static_cast<uint32_t>(newStride * height));
    SetPayload(std::move(rows));
}
