#include "graphics/alpha_span.h"

#include <array>
#include <cstring>
#include <utility>

namespace {

template <int32_t Format>
struct Layout;
template <>
struct Layout<565> {
    static constexpr uint16_t kRedShift = 11;
    static constexpr uint16_t kGreen = 0x3F;
};
template <>
struct Layout<555> {
    static constexpr uint16_t kRedShift = 10;
    static constexpr uint16_t kGreen = 0x1F;
};

template <int32_t Format>
inline uint16_t Blend(uint32_t s, uint32_t d, uint32_t a) {
    if (a == 0) return static_cast<uint16_t>(d);
    if (a == 255) return static_cast<uint16_t>(s);
    constexpr uint32_t rs = Layout<Format>::kRedShift;
    constexpr uint32_t gm = Layout<Format>::kGreen;
    const uint32_t na = 256 - a;
    const uint32_t b = ((s & 31) * a + (d & 31) * na) >> 8;
    const uint32_t g = (((s >> 5) & gm) * a + ((d >> 5) & gm) * na) >> 8;
    const uint32_t r = (((s >> rs) & 31) * a + ((d >> rs) & 31) * na) >> 8;
    return static_cast<uint16_t>(r << rs | g << 5 | b);
}

// Eight pixels at a time in 16-bit lanes. (s * a + d * (256 - a)) / 256 is d + (s - d) * a / 256
// rounded down; (s - d) * a lies within +-63 x 255, so it fits a signed lane and the arithmetic
// shift rounds down.
typedef uint16_t Lanes16 __attribute__((vector_size(16)));
typedef int16_t Signed16 __attribute__((vector_size(16)));
typedef uint8_t Lanes8 __attribute__((vector_size(8)));

template <int32_t Format>
inline Lanes16 Blend8(Lanes16 s, Lanes16 d, Lanes16 a16) {
    constexpr uint16_t rs = Layout<Format>::kRedShift;
    constexpr uint16_t gm = Layout<Format>::kGreen;
    auto a = reinterpret_cast<Signed16>(a16);
    const auto opaque = a == 255;
    // Opacity 255 counts as 256, which gives every channel of the source exactly; 0 gives the
    // screen's. Only 5-5-5 pixels then still need their unused top bit taken over.
    a -= opaque;
    const auto channel = [&](Lanes16 sc, Lanes16 dc) {
        const auto ds = reinterpret_cast<Signed16>(dc);
        return reinterpret_cast<Lanes16>(ds + (((reinterpret_cast<Signed16>(sc) - ds) * a) >> 8));
    };
    const Lanes16 b = channel(s & 31, d & 31);
    const Lanes16 g = channel((s >> 5) & gm, (d >> 5) & gm);
    if constexpr (Format == 565) {
        const Lanes16 r = channel(s >> rs, d >> rs);
        return r << rs | g << 5 | b;
    } else {
        const Lanes16 r = channel((s >> rs) & 31, (d >> rs) & 31);
        const auto clear = reinterpret_cast<Lanes16>(a == 0);
        const Lanes16 top = (s & reinterpret_cast<Lanes16>(opaque)) | (d & clear);
        return r << rs | g << 5 | b | (top & 0x8000);
    }
}

// Eight pixels in reverse order: the halves of each 32-bit lane swapped, then the four lanes
// reversed (two plain shuffles rather than eight lane moves).
inline Lanes16 Reversed(const Pixel16* p) {
    typedef uint32_t Lanes32 __attribute__((vector_size(16)));
    Lanes32 v;
    std::memcpy(&v, p, sizeof v);
    v = v >> 16 | v << 16;
    v = __builtin_shufflevector(v, v, 3, 2, 1, 0);
    Lanes16 out;
    std::memcpy(&out, &v, sizeof out);
    return out;
}

// Eight pixels written through eight opacities (one a lane). Sprites are mostly wholly clear or
// wholly opaque: those runs need no arithmetic.
template <int32_t Format>
inline void Put8(Pixel16* dst, Lanes16 s, Lanes16 a) {
    uint64_t half[2];
    std::memcpy(half, &a, sizeof half);
    if ((half[0] | half[1]) == 0) return;
    if ((half[0] & half[1]) == 0x00FF00FF00FF00FFull) {
        std::memcpy(dst, &s, sizeof s);
        return;
    }
    Lanes16 d;
    std::memcpy(&d, dst, sizeof d);
    const Lanes16 out = Blend8<Format>(s, d, a);
    std::memcpy(dst, &out, sizeof out);
}

// Step 0 stands for a step known only at run time.
template <int32_t Format, ptrdiff_t Step>
inline void Run(Pixel16* dst, const Pixel16* src, ptrdiff_t srcStep, const uint8_t* mask, ptrdiff_t maskStep,
                int32_t n) {
    if constexpr (Step != 0) {
        srcStep = Step;
        maskStep = Step;
    }
    int32_t i = 0;
    for (; i + 8 <= n; i += 8) {
        Lanes16 s;
        Lanes8 a;
        if constexpr (Step == 1) {
            std::memcpy(&a, mask + i, sizeof a);
            std::memcpy(&s, src + i, sizeof s);
        } else if constexpr (Step == -1) {
            // A mirrored run is a plain run read backwards: load it and turn the lanes round.
            uint64_t bytes;
            std::memcpy(&bytes, mask - i - 7, sizeof bytes);
            bytes = __builtin_bswap64(bytes);
            std::memcpy(&a, &bytes, sizeof a);
            s = Reversed(src - i - 7);
        } else {
            // Down a column: the opacities first, so that clear runs skip the pixels. Gathered
            // into registers, as a wide reload of single stores would stall.
            const uint8_t* m = mask + i * maskStep;
            a = Lanes8{m[0],
                       m[maskStep],
                       m[2 * maskStep],
                       m[3 * maskStep],
                       m[4 * maskStep],
                       m[5 * maskStep],
                       m[6 * maskStep],
                       m[7 * maskStep]};
            uint64_t any;
            std::memcpy(&any, &a, sizeof any);
            if (any == 0) continue;
            const Pixel16* p = src + i * srcStep;
            s = Lanes16{p[0],           p[srcStep],     p[2 * srcStep], p[3 * srcStep],
                        p[4 * srcStep], p[5 * srcStep], p[6 * srcStep], p[7 * srcStep]};
        }
        Put8<Format>(dst + i, s, __builtin_convertvector(a, Lanes16));
    }
    for (; i < n; ++i) dst[i] = Blend<Format>(src[i * srcStep], dst[i], mask[i * maskStep]);
}

// An 8 x 8 block transposed in registers. Each round interleaves row k with row k + 4, which
// rotates the six bits of (row, column) one place; three rounds swap row and column.
inline Lanes16 Low(Lanes16 a, Lanes16 b) {
    return __builtin_shufflevector(a, b, 0, 8, 1, 9, 2, 10, 3, 11);
}
inline Lanes16 High(Lanes16 a, Lanes16 b) {
    return __builtin_shufflevector(a, b, 4, 12, 5, 13, 6, 14, 7, 15);
}
using Block = std::array<Lanes16, 8>;

// An 8 x 8 block transposed in registers. Each round interleaves row k with row k + 4, which
// rotates the six bits of (row, column) one place; three rounds swap row and column.
inline Block Interleaved(const Block& r) {
    return Block{Low(r[0], r[4]), High(r[0], r[4]), Low(r[1], r[5]), High(r[1], r[5]),
                 Low(r[2], r[6]), High(r[2], r[6]), Low(r[3], r[7]), High(r[3], r[7])};
}
inline Block Transposed(const Block& r) {
    return Interleaved(Interleaved(Interleaved(r)));
}

// Eight rows loaded by load(k), k = 0 to 7; spelled out so that the block stays in registers.
template <class Load, size_t... K>
inline Block LoadBlock(Load load, std::index_sequence<K...>) {
    return Block{load(K)...};
}

// Row r of a transposed block to screen row r of the band (Down 1), or to row 7 - r (Down -1).
template <int32_t Format, ptrdiff_t Down, size_t... R>
inline void PutBlock(uint8_t* dst, ptrdiff_t rowStep, int32_t i, const Block& s, const Block& a,
                     std::index_sequence<R...>) {
    (Put8<Format>(
         reinterpret_cast<Pixel16*>(dst + static_cast<ptrdiff_t>(Down == 1 ? R : 7 - R) * rowStep) + i, s[R],
         a[R]),
     ...);
}

// Eight screen rows of a quarter-turned frame, where the rows lie along frame columns (one
// element apart, Down) and the screen columns along frame rows. Eight screen columns are eight
// short frame runs: loaded whole and transposed, every screen row becomes a plain run. Walking
// up the frame (Down -1), the runs are loaded from their far end and the rows come out bottom
// first.
template <int32_t Format, ptrdiff_t Down>
void TurnedBand(uint8_t* dst, ptrdiff_t rowStep, const AlphaWalk& w, int32_t n) {
    constexpr auto kEight = std::make_index_sequence<8>();
    constexpr ptrdiff_t kStart = Down == 1 ? 0 : -7;
    int32_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t any = 0;
        const Block opacity = LoadBlock(
            [&](size_t k) {
                uint64_t bytes;
                std::memcpy(&bytes, w.mask + (i + static_cast<ptrdiff_t>(k)) * w.maskAlong + kStart,
                            sizeof bytes);
                any |= bytes;
                Lanes8 a;
                std::memcpy(&a, &bytes, sizeof a);
                return __builtin_convertvector(a, Lanes16);
            },
            kEight);
        if (any == 0) continue;
        const Block pixels = LoadBlock(
            [&](size_t k) {
                Lanes16 s;
                std::memcpy(&s, w.src + (i + static_cast<ptrdiff_t>(k)) * w.srcAlong + kStart, sizeof s);
                return s;
            },
            kEight);
        const Block a = Transposed(opacity);
        const Block s = Transposed(pixels);
        PutBlock<Format, Down>(dst, rowStep, i, s, a, kEight);
    }
    if (i == n) return;
    for (int r = 0; r < 8; ++r)
        Run<Format, 0>(reinterpret_cast<Pixel16*>(dst + r * rowStep) + i, w.src + r * Down + i * w.srcAlong,
                       w.srcAlong, w.mask + r * Down + i * w.maskAlong, w.maskAlong, n - i);
}

}  // namespace

template <int32_t Format>
void WriteAlphaSpan(Pixel16* dst, const Pixel16* src, ptrdiff_t srcStep, const uint8_t* mask,
                    ptrdiff_t maskStep, int32_t n) {
    if (srcStep == 1 && maskStep == 1)
        Run<Format, 1>(dst, src, srcStep, mask, maskStep, n);
    else if (srcStep == -1 && maskStep == -1)
        Run<Format, -1>(dst, src, srcStep, mask, maskStep, n);
    else
        Run<Format, 0>(dst, src, srcStep, mask, maskStep, n);
}

template void WriteAlphaSpan<565>(Pixel16*, const Pixel16*, ptrdiff_t, const uint8_t*, ptrdiff_t, int32_t);
template void WriteAlphaSpan<555>(Pixel16*, const Pixel16*, ptrdiff_t, const uint8_t*, ptrdiff_t, int32_t);

template <int32_t Format>
void WriteAlphaRect(uint8_t* dst, ptrdiff_t rowStep, const AlphaWalk& walk, int32_t width, int32_t height) {
    AlphaWalk w = walk;
    int32_t j = 0;
    const bool turned =
        w.srcDown == w.maskDown && (w.srcDown == 1 || w.srcDown == -1) && w.srcAlong != 1 && w.srcAlong != -1;
    if (turned) {
        for (; j + 8 <= height; j += 8) {
            if (w.srcDown == 1)
                TurnedBand<Format, 1>(dst, rowStep, w, width);
            else
                TurnedBand<Format, -1>(dst, rowStep, w, width);
            dst += 8 * rowStep;
            w.src += 8 * w.srcDown;
            w.mask += 8 * w.maskDown;
        }
    }
    for (; j < height; ++j) {
        WriteAlphaSpan<Format>(reinterpret_cast<Pixel16*>(dst), w.src, w.srcAlong, w.mask, w.maskAlong,
                               width);
        dst += rowStep;
        w.src += w.srcDown;
        w.mask += w.maskDown;
    }
}

template void WriteAlphaRect<565>(uint8_t*, ptrdiff_t, const AlphaWalk&, int32_t, int32_t);
template void WriteAlphaRect<555>(uint8_t*, ptrdiff_t, const AlphaWalk&, int32_t, int32_t);

AlphaRectWriter AlphaRectWriterFor(int32_t pixelFormat) {
    return NormalFormat(pixelFormat) == 555 ? &WriteAlphaRect<555> : &WriteAlphaRect<565>;
}

AlphaSpanWriter AlphaWriterFor(int32_t pixelFormat) {
    return NormalFormat(pixelFormat) == 555 ? &WriteAlphaSpan<555> : &WriteAlphaSpan<565>;
}
