// Text in the bitmap fonts: glyphs, colour escapes, underline and multi-line alignment.
#include <algorithm>
#include <cstring>
#include <string>

#include "graphics/alpha_span.h"
#include "graphics/font.h"
#include "graphics/graphics_kinds.h"
#include "graphics/screen_buffer.h"
#include "graphics/screen_surface.h"
#include "graphics/text_layout.h"

namespace {

typedef uint16_t Lanes16 __attribute__((vector_size(16)));
typedef int16_t Signed16 __attribute__((vector_size(16)));
typedef uint8_t Lanes8 __attribute__((vector_size(8)));
typedef int8_t Signed8 __attribute__((vector_size(8)));

// Eight pixels of a depth in one register; kBits picks bit k of a byte in lane k.
template <size_t Bytes>
struct BitLanes;
template <>
struct BitLanes<2> {
    using Lanes = Lanes16;
    using Signed = Signed16;
    static constexpr Lanes kBits = {1, 2, 4, 8, 16, 32, 64, 128};
};
template <>
struct BitLanes<1> {
    using Lanes = Lanes8;
    using Signed = Signed8;
    static constexpr Lanes kBits = {1, 2, 4, 8, 16, 32, 64, 128};
};

// Eight pixels from p: those whose bit is set in the byte take the colour, the others are
// rewritten with themselves, so no pixel needs a branch.
template <class P>
inline void Plot8(P* p, unsigned set, uint16_t colour) {
    using Lanes = typename BitLanes<sizeof(P)>::Lanes;
    using Signed = typename BitLanes<sizeof(P)>::Signed;
    Lanes lanes;
    std::memcpy(&lanes, p, sizeof lanes);
    const Lanes spread = Lanes{} + static_cast<P>(set);
    const auto chosen =
        reinterpret_cast<Lanes>(static_cast<Signed>((spread & BitLanes<sizeof(P)>::kBits) != 0));
    lanes = (lanes & ~chosen) | (chosen & static_cast<P>(colour));
    std::memcpy(p, &lanes, sizeof lanes);
}

// Bitmap rows r0 to r1 - 1 (row r0 at first, each further row one row step up), columns c0 to
// c1 - 1, with column 0 at screen column x. Eight columns go at once where all eight lie inside
// the clip; elsewhere pixel by pixel.
template <class P>
void GlyphRows(uint8_t* first, ptrdiff_t rowStep, const Glyph& glyph, int64_t x, int64_t c0, int64_t c1,
               int64_t r0, int64_t r1, const Rect& clip, uint16_t colour) {
    const int64_t bytesPerRow = (glyph.width + 7) / 8;
    if (bytesPerRow == 1 && x >= clip.left && x + 8 <= clip.right) {
        // The common case: a narrow glyph wholly inside the clip's width.
        const unsigned columns = (1u << glyph.width) - 1;
        for (int64_t r = r0; r < r1; ++r) {
            const unsigned set = glyph.bits[r] & columns;
            if (set != 0) Plot8(reinterpret_cast<P*>(first - (r - r0) * rowStep) + x, set, colour);
        }
        return;
    }
    for (int64_t r = r0; r < r1; ++r) {
        P* row = reinterpret_cast<P*>(first - (r - r0) * rowStep);
        const uint8_t* bits = glyph.bits + r * bytesPerRow;
        for (int64_t base = c0 & ~int64_t{7}; base < c1; base += 8) {
            const int lo = static_cast<int>(std::max<int64_t>(c0 - base, 0));
            const int hi = static_cast<int>(std::min<int64_t>(c1 - base, 8));
            const unsigned set = bits[base >> 3] & ((1u << hi) - 1) & ~((1u << lo) - 1);
            if (set == 0) continue;
            P* p = row + x + base;
            if (x + base >= clip.left && x + base + 8 <= clip.right) {
                Plot8(p, set, colour);
            } else {
                for (int c = lo; c < hi; ++c)
                    if ((set >> c) & 1) p[c] = static_cast<P>(colour);
            }
        }
    }
}

}  // namespace

Font* ScreenBuffer::CurrentFont() const {
    return static_cast<Font*>(font_.Get(kFontKind));
}

void ScreenBuffer::SetFont(Font* font) {
    font_ = WeakObject(font);
}

void ScreenBuffer::DrawText(const char* text, int32_t x, int32_t y, uint32_t colour, int32_t hAlign,
                            int32_t vAlign, uint32_t flags) {
    const Font* shown = CurrentFont();
    if (text == nullptr || shown == nullptr || !CanDraw()) return;
    const Font& font = *shown;
    int64_t pen = int64_t{x} + originX_;
    int64_t baseline = int64_t{y} + originY_;
    if (vAlign == 0)
        baseline += TextHeight(font, text);
    else if (vAlign == 1)
        baseline += TextHeight(font, text) / 2;
    if (hAlign == 1)
        pen -= TextWidth(font, text) / 2;
    else if (hAlign == 2)
        pen -= TextWidth(font, text);

    const int64_t spacing = font.LetterSpacing();
    const int64_t start = pen;
    uint32_t current = colour;
    for (const char* p = text; *p != 0; ++p) {
        auto c = static_cast<uint8_t>(*p);
        if (c == ' ') {
            pen += 2 * spacing;
            continue;
        }
        if (c == '$') {
            const auto code = static_cast<uint8_t>(p[1]);
            if (code == 0) break;
            ++p;
            if (code != '$') {
                if ((flags & kTextPlainCodes) == 0) {
                    if (code >= '0' && code <= '9')
                        current = TableColour(code - '0');
                    else if (code == 'h')
                        current = TableColour(3);
                    else if (code == 'n')
                        current = colour;
                }
                continue;
            }
        }
        const Glyph glyph = font.GlyphFor(c);
        DrawGlyph(glyph, pen, baseline, current);
        pen += glyph.width + spacing;
    }
    if ((flags & kTextUnderline) != 0) DrawUnderline(font, start, pen - spacing, baseline, current);
}

void ScreenBuffer::DrawGlyph(const Glyph& glyph, int64_t x, int64_t baseline, uint32_t colour) {
    if (glyph.bits == nullptr || glyph.width <= 0 || glyph.height <= 0) return;
    const int64_t c0 = std::max<int64_t>(0, clip_.left - x);
    const int64_t c1 = std::min<int64_t>(glyph.width, clip_.right - x);
    if (c0 >= c1) return;
    // Bitmap row r lies on screen row bottom - r: the first rows may lie below the clip, and the
    // walk ends at the first row above it.
    const int64_t bottom = baseline - glyph.offset;
    const int64_t r0 = std::max<int64_t>(0, bottom - (clip_.bottom - 1));
    const int64_t r1 = std::min<int64_t>(glyph.height, bottom - clip_.top + 1);
    if (r0 >= r1) return;
    uint8_t* first = surface_->RowAddress(static_cast<int32_t>(bottom - r0));
    const ptrdiff_t rowStep = surface_->RowStep();
    if (surface_->BitsPerPixel() == 16)
        GlyphRows<Pixel16>(first, rowStep, glyph, x, c0, c1, r0, r1, clip_, static_cast<uint16_t>(colour));
    else
        GlyphRows<uint8_t>(first, rowStep, glyph, x, c0, c1, r0, r1, clip_, static_cast<uint16_t>(colour));
}

void ScreenBuffer::DrawUnderline(const Font& font, int64_t from, int64_t to, int64_t baseline,
                                 uint32_t colour) {
    // Fonts whose header stops before the underline field have none.
    const int64_t thickness = LoadU16(font.Header() + 4) >= 23 ? font.UnderlineThickness() : 0;
    const int64_t left = std::max<int64_t>(clip_.left, from);
    const int64_t right = std::min<int64_t>(clip_.right, to);
    if (left >= right) return;
    for (int64_t y = baseline + 1; y <= baseline + thickness; ++y) {
        if (y >= clip_.bottom) break;
        if (y < clip_.top) continue;
        FillSpan(static_cast<int32_t>(left), static_cast<int32_t>(y), static_cast<int32_t>(right - left),
                 colour);
    }
}

void ScreenBuffer::DrawTextAligned(const char* text, int32_t x, int32_t y, uint32_t colour, int32_t hAlign,
                                   int32_t vAlign, uint32_t flags) {
    const Font* font = CurrentFont();
    if (text == nullptr || font == nullptr) return;
    const int64_t lineStep = int64_t{font->LineHeight()} + font->LineGap();
    int64_t top = y;
    if (vAlign == 1)
        top -= TextHeight(*font, text) / 2;
    else if (vAlign == 2)
        top -= TextHeight(*font, text);
    std::string line;
    const char* p = text;
    for (;;) {
        const char* end = p;
        while (*end != 0 && *end != kNewline && *end != kSoftBreak) ++end;
        line.assign(p, end);
        // Lines far off the screen are not drawn: their coordinates would not fit.
        if (top >= INT32_MIN + 2 && top <= INT32_MAX - 2) {
            const auto ty = static_cast<int32_t>(top);
            if ((flags & kTextShadow) != 0) {
                const auto sx = static_cast<int32_t>(std::min<int64_t>(int64_t{x} + 2, INT32_MAX));
                DrawText(line.c_str(), sx, ty + 2, 0, hAlign, 0, (flags & ~kTextShadow) | kTextPlainCodes);
            }
            DrawText(line.c_str(), x, ty, colour, hAlign, 0, flags);
        }
        top += lineStep;
        if (*end == 0) break;
        p = end + 1;
    }
}

void ScreenBuffer::DrawTextAlignedWithFont(const char* text, int32_t x, int32_t y, uint32_t colour,
                                           Font* font, int32_t hAlign, int32_t vAlign, uint32_t flags) {
    struct Restore {
        ScreenBuffer& buffer;
        WeakObject font;
        ~Restore() { buffer.font_ = font; }
    } restore{*this, font_};
    SetFont(font);
    DrawTextAligned(text, x, y, colour, hAlign, vAlign, flags);
}

size_t ScreenBuffer::VisibleCharOffset(const char* text, int32_t n) {
    if (text == nullptr || n <= 0) return 0;
    int32_t seen = 0;
    size_t i = 0;
    while (text[i] != 0) {
        if (text[i] == '$') {
            if (text[i + 1] == 0) break;
            if (text[i + 1] == '$') ++seen;
            i += 2;
        } else {
            ++seen;
            ++i;
        }
        if (seen >= n) return i;
    }
    return std::strlen(text);
}
