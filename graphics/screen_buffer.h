// The drawing target of the whole game: clipping, origin, the current font and the colour table
// of the text escapes, over the current surface. Window code saves the clip and the origin, moves
// the origin to a control, narrows the clip, draws and puts both back. Every primitive adds the
// origin to the coordinates it is given and changes nothing outside the clip.
#pragma once

#include <cstddef>
#include <cstdint>

#include "script/weak_object.h"

class ColourTable;
class Font;
class Frame;
class ScreenSurface;
struct DrawRecord;
struct Glyph;

struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    bool Empty() const { return left >= right || top >= bottom; }
    bool operator==(const Rect&) const = default;
};

// Text flags.
constexpr uint32_t kTextUnderline = 1u << 0;
constexpr uint32_t kTextShadow = 1u << 1;      // DrawTextAligned only
constexpr uint32_t kTextPlainCodes = 1u << 2;  // colour codes are skipped without effect

// Screen settings flag bit: 16-bit frames with an alpha mask are drawn through it.
constexpr uint16_t kDrawThroughMask = 1u << 4;

class ScreenBuffer {
  public:
    explicit ScreenBuffer(const ColourTable* colours);
    ScreenBuffer(const ScreenBuffer&) = delete;
    ScreenBuffer& operator=(const ScreenBuffer&) = delete;

    // A 16-bit frame through its alpha mask. Frames of another depth than the surface's are
    // skipped; without a mask, or on an 8-bit surface, the frame is drawn plainly.
    virtual void DrawFrame(const Frame* frame, int32_t x, int32_t y, uint32_t orientation);
    // One line in the current font; y becomes the baseline as vAlign says (0: y is the top, 1: the
    // middle, else the baseline); hAlign 0 start, 1 centre, 2 end.
    virtual void DrawText(const char* text, int32_t x, int32_t y, uint32_t colour, int32_t hAlign,
                          int32_t vAlign, uint32_t flags);
    virtual ~ScreenBuffer();
    // The general frame draw: 8-bit frames copied (zeros skipped with the frame's transparency
    // flag); 16-bit by mode: 0 copy, 1 three quarters source, 3 three quarters screen, others half
    // and half, pixels 0 transparent except in mode 0 without the flag.
    virtual void DrawFrameBlended(const Frame* frame, int32_t x, int32_t y, uint32_t orientation,
                                  uint32_t mode);
    // Darkens the screen where the receiver is opaque under the caster's projected shape.
    virtual void DrawCastShadow(const DrawRecord& caster, const DrawRecord& receiver);
    // The frame's opaque pixels in one colour, shaded by the record's shade and lifted by its height
    // above baseHeight.
    virtual void DrawSilhouette(const DrawRecord& placement, uint32_t colour, int32_t baseHeight);
    // A bordered rectangle whose inside is a quarter see-through fill (16-bit) or the fill (8-bit);
    // corners in any order, the border drawn at the clipped edges.
    virtual void DrawPanel(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t fill, uint32_t border);
    // A horizontal (y1 = y2) or vertical line; the larger end is not drawn.
    virtual void DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour);

    // bounds and clip become the whole surface; the origin is kept.
    void SetSurface(ScreenSurface* surface);
    ScreenSurface* Surface() const { return surface_; }
    // rect in screen coordinates, corners in any order, limited to the bounds.
    void SetClipRect(const Rect& rect);
    // rect in origin coordinates, corners in any order; the clip only ever narrows.
    void IntersectClipRect(const Rect& rect);

    // What window code saves and puts back. A clip set back directly is still held to the bounds.
    const Rect& Clip() const { return clip_; }
    void SetClip(const Rect& clip);
    const Rect& Bounds() const { return bounds_; }
    int32_t OriginX() const { return originX_; }
    int32_t OriginY() const { return originY_; }
    void SetOrigin(int32_t x, int32_t y) {
        originX_ = x;
        originY_ = y;
    }
    // The font text is drawn in: none until one is set, and none again once the font set is taken
    // out of use (a scene reset unloaded it), so the buffer never draws in a font that is gone.
    Font* CurrentFont() const;
    void SetFont(Font* font);
    const ColourTable* Colours() const { return colours_; }

    // Lines separated by newlines or soft breaks, each drawn with DrawText a line step apart; vAlign
    // 1 centres the block on y, 2 ends it there. Flag bit 1 puts a black copy 2 pixels right and
    // down under each line.
    void DrawTextAligned(const char* text, int32_t x, int32_t y, uint32_t colour, int32_t hAlign,
                         int32_t vAlign, uint32_t flags);
    // The same in the given font; the buffer's font is put back afterwards.
    void DrawTextAlignedWithFont(const char* text, int32_t x, int32_t y, uint32_t colour, Font* font,
                                 int32_t hAlign, int32_t vAlign, uint32_t flags);
    // count dots evenly round a circle, the first at startDegrees. A circle that misses the clip
    // costs nothing, and one that crosses it takes at most 65536 dots.
    void DrawCircleDots(int32_t x, int32_t y, int32_t radius, int32_t count, uint32_t colour,
                        int32_t startDegrees);
    // Bytes of the shortest beginning of text that holds n visible characters (colour codes
    // included; "$$" is one character); the whole length when it holds fewer.
    static size_t VisibleCharOffset(const char* text, int32_t n);

  protected:
    // True while there is locked frame memory of a depth the primitives draw.
    bool CanDraw() const;
    int32_t PixelFormat() const;
    uint16_t Flags() const;
    // Text colour of an escape digit.
    uint32_t TableColour(uint32_t n) const;
    void DrawFramePlain(const Frame& frame, int32_t x, int32_t y, uint32_t orientation, uint32_t mode);
    void DrawFrameMasked(const Frame& frame, int32_t x, int32_t y, uint32_t orientation);
    // A glyph bitmap with its bottom row on the row baseline - offset, cut to the clip.
    void DrawGlyph(const Glyph& glyph, int64_t x, int64_t baseline, uint32_t colour);
    void DrawUnderline(const Font& font, int64_t from, int64_t to, int64_t baseline, uint32_t colour);
    // count pixels of row y from x (all inside the clip) in one colour.
    void FillSpan(int32_t x, int32_t y, int32_t count, uint32_t colour);
    // One pixel inside the clip.
    void PutPixel(int32_t x, int32_t y, uint32_t colour);

    ScreenSurface* surface_ = nullptr;
    WeakObject font_;
    Rect bounds_;
    Rect clip_;
    int32_t originX_ = 0;
    int32_t originY_ = 0;
    const ColourTable* colours_;
};
