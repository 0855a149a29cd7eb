#include "graphics/alpha_span.h"

namespace {

template <int32_t Format>
struct Layout;
template <>
struct Layout<565> {
    static constexpr uint32_t kRedShift = 11;
    static constexpr uint32_t kGreen = 0x3F;
};
template <>
struct Layout<555> {
    static constexpr uint32_t kRedShift = 10;
    static constexpr uint32_t kGreen = 0x1F;
};

template <int32_t Format>
inline uint16_t Blend(uint32_t s, uint32_t d, uint32_t a) {
    constexpr uint32_t rs = Layout<Format>::kRedShift;
    constexpr uint32_t gm = Layout<Format>::kGreen;
    const uint32_t na = 256 - a;
    const uint32_t b = ((s & 31) * a + (d & 31) * na) >> 8;
    const uint32_t g = (((s >> 5) & gm) * a + ((d >> 5) & gm) * na) >> 8;
    const uint32_t r = (((s >> rs) & 31) * a + ((d >> rs) & 31) * na) >> 8;
    const auto mixed = static_cast<uint16_t>(r << rs | g << 5 | b);
    // Selects rather than branches, so that whole runs can go through vector registers.
    return a == 0 ? static_cast<uint16_t>(d) : a == 255 ? static_cast<uint16_t>(s) : mixed;
}

// Step 0 stands for a step known only at run time.
template <int32_t Format, ptrdiff_t Step>
inline void Run(Pixel16* dst, const Pixel16* src, ptrdiff_t srcStep, const uint8_t* mask, ptrdiff_t maskStep,
                int32_t n) {
    if constexpr (Step != 0) {
        srcStep = Step;
        maskStep = Step;
    }
    for (int32_t i = 0; i < n; ++i) dst[i] = Blend<Format>(src[i * srcStep], dst[i], mask[i * maskStep]);
}

}  // namespace

template <int32_t Format>
void WriteAlphaSpan(Pixel16* dst, const Pixel16* src, ptrdiff_t srcStep, const uint8_t* mask, ptrdiff_t maskStep,
                    int32_t n) {
    if (srcStep == 1 && maskStep == 1)
        Run<Format, 1>(dst, src, srcStep, mask, maskStep, n);
    else if (srcStep == -1 && maskStep == -1)
        Run<Format, -1>(dst, src, srcStep, mask, maskStep, n);
    else
        Run<Format, 0>(dst, src, srcStep, mask, maskStep, n);
}

template void WriteAlphaSpan<565>(Pixel16*, const Pixel16*, ptrdiff_t, const uint8_t*, ptrdiff_t, int32_t);
template void WriteAlphaSpan<555>(Pixel16*, const Pixel16*, ptrdiff_t, const uint8_t*, ptrdiff_t, int32_t);

AlphaSpanWriter AlphaWriterFor(int32_t pixelFormat) {
    return NormalFormat(pixelFormat) == 555 ? &WriteAlphaSpan<555> : &WriteAlphaSpan<565>;
}
