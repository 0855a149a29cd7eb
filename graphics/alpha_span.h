// The 16-bit pixel arithmetic of the two display formats (5-6-5 and 5-5-5): the masks that keep
// shifted channels inside their fields, and the alpha span writer that mixes a source run into the
// screen through a run of 8-bit opacities.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

static_assert(std::endian::native == std::endian::little, "frame and surface pixels are little-endian");

// Surface and frame memory are byte buffers; 16-bit pixels are read and written in place through
// this type.
typedef uint16_t Pixel16 __attribute__((may_alias));

// Shifting a pixel right and masking takes a fraction of every channel at once without carries.
struct PixelMasks {
    uint16_t quarter;
    uint16_t half;
    uint16_t eighth;
    uint16_t shadowQuarter;  // cast shadows keep the lowest green bit that quarter drops

    uint16_t Quarter(uint32_t p) const { return static_cast<uint16_t>((p >> 2) & quarter); }
    uint16_t Half(uint32_t p) const { return static_cast<uint16_t>((p >> 1) & half); }
    uint16_t Eighth(uint32_t p) const { return static_cast<uint16_t>((p >> 3) & eighth); }
    // Three quarters of a plus one quarter of b.
    uint16_t Mix31(uint32_t a, uint32_t b) const {
        return static_cast<uint16_t>(3 * Quarter(a) + Quarter(b));
    }
    uint16_t Mix11(uint32_t a, uint32_t b) const { return static_cast<uint16_t>(Half(a) + Half(b)); }
};

constexpr PixelMasks kMasks565{0x39C7, 0x7BCF, 0x18E3, 0x39E7};
constexpr PixelMasks kMasks555{0x1CE7, 0x3DEF, 0x0C63, 0x1CE7};

// The display's pixel format code: 555, or 565 for anything else (as the picture conversions do).
constexpr int32_t NormalFormat(int32_t pixelFormat) {
    return pixelFormat == 555 ? 555 : 565;
}
constexpr const PixelMasks& MasksFor(int32_t pixelFormat) {
    return NormalFormat(pixelFormat) == 555 ? kMasks555 : kMasks565;
}

// Writes n pixels from dst rightwards. The source and the mask are walked by their own steps (in
// elements), so one writer serves source rows (step 1), mirrored rows (-1) and the columns of
// quarter-turned frames (plus or minus a row stride). Opacity 0 keeps the screen pixel, 255 copies
// the source pixel, anything between mixes each channel as (s * a + d * (256 - a)) / 256.
template <int32_t Format>
void WriteAlphaSpan(Pixel16* dst, const Pixel16* src, ptrdiff_t srcStep, const uint8_t* mask,
                    ptrdiff_t maskStep, int32_t n);

using AlphaSpanWriter = void (*)(Pixel16*, const Pixel16*, ptrdiff_t, const uint8_t*, ptrdiff_t, int32_t);
AlphaSpanWriter AlphaWriterFor(int32_t pixelFormat);

// A source and its mask walked over a screen rectangle: the first elements, the steps (in elements)
// to the next screen column and to the next screen row.
struct AlphaWalk {
    const Pixel16* src;
    ptrdiff_t srcAlong, srcDown;
    const uint8_t* mask;
    ptrdiff_t maskAlong, maskDown;
};

// Writes width x height pixels from dst (rows rowStep bytes apart) as rows of alpha spans.
// Quarter-turned walks, whose rows run down frame columns, are turned in blocks of eight so that
// the frame is read along its rows.
template <int32_t Format>
void WriteAlphaRect(uint8_t* dst, ptrdiff_t rowStep, const AlphaWalk& walk, int32_t width, int32_t height);

using AlphaRectWriter = void (*)(uint8_t*, ptrdiff_t, const AlphaWalk&, int32_t, int32_t);
AlphaRectWriter AlphaRectWriterFor(int32_t pixelFormat);
