// A bitmap font: the "DFF" block (glyph count, first character, line height, letter spacing, line
// gap, language ids, underline thickness) with the sub-blocks "DFFW" (glyph widths), "DFFH"
// (heights), "DFFD" (vertical offsets; all three signed bytes) and "DFFS" (1-bit glyph bitmaps, each
// glyph's rows bottom row first, bit 0 leftmost). A font file may hold further "DFF" blocks: the
// same font for other languages. Fonts are block objects: a script object that is also the block.
#pragma once

#include <cstdint>
#include <vector>

#include "foundation/data_block.h"
#include "foundation/segmented_array.h"
#include "script/script_object.h"

class BlockReader;

// What drawing and measuring need of one glyph.
struct Glyph {
    int width = 0;
    int height = 0;
    int offset = 0;                 // the bottom row lies this many pixels above the baseline
    const uint8_t* bits = nullptr;  // height rows of (width + 7) / 8 bytes, bottom row first
};

class Font : public ScriptObject, public DataBlock {
  public:
    static constexpr uint32_t kHeaderSize = 24;

    // The header holds at least the 24 bytes of the font fields.
    explicit Font(uint32_t defaultLanguage = 1, uint32_t headerSize = kHeaderSize, bool loadPayload = true,
                  ZEMAClass* owner = nullptr);
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;
    ~Font() override;

    // The font a script value refers to; FatalExep when it is not a live font.
    static Font* FromAddress(uint32_t address);

    void ReadChunk(BlockReader& reader, const uint8_t* signature) override;
    // Checks the glyph tables against the glyph count and builds the bitmap offsets; a font that
    // could not be measured or drawn safely is rejected, naming the file.
    void AfterRead(BlockReader& reader) override;

    // Makes the variant that serves the language active: the font itself or the first variant
    // listing it, else the one serving the default language, else the font itself.
    void SelectLanguage(uint32_t language);
    const Font& Active() const { return *active_; }
    void AddVariant(Font* variant);  // takes ownership
    uint32_t VariantCount() const { return variants_.End(); }
    Font* Variant(uint32_t i) const { return variants_.Get(i); }
    uint32_t DefaultLanguage() const { return defaultLanguage_; }

    // Own fields, always taken from the font that is asked.
    uint32_t LineHeight() const { return LoadU16(Header() + 14); }
    uint32_t LetterSpacing() const { return LoadU16(Header() + 16); }
    uint32_t LineGap() const { return LoadU16(Header() + 18); }
    uint32_t UnderlineThickness() const { return LoadU16(Header() + 22); }
    uint32_t LanguageCount() const;
    uint32_t Language(uint32_t i) const { return LoadU32(Payload() + 4 * i); }
    bool Serves(uint32_t language) const;

    // Glyph range of the active variant.
    uint32_t GlyphCount() const { return LoadU16(active_->Header() + 10); }
    uint32_t FirstChar() const { return LoadU16(active_->Header() + 12); }
    // Glyph index of a text byte in the active variant: c - first when in range, else 0.
    uint32_t GlyphIndex(uint8_t c) const;
    // The glyph of a text byte from the active variant; all zero for a font that was never read.
    Glyph GlyphFor(uint8_t c) const;

  protected:
    void RetireParts() override;

  private:
    enum Table { kWidths, kHeights, kOffsets, kBitmaps, kTableCount };

    int8_t Signed(Table table, uint32_t i) const { return static_cast<int8_t>(tables_[table].Payload()[i]); }

    DataBlock tables_[kTableCount]{{10, true}, {10, true}, {10, true}, {10, true}};
    bool present_[kTableCount] = {};
    bool ready_ = false;
    Font* active_;
    uint32_t defaultLanguage_;
    SegmentedArray<Font> variants_;
    std::vector<uint32_t> bitmapOffsets_;
};

// Reads the main font, then every further "DFF" block as a variant; other blocks are skipped.
BlockReader& ReadFontFile(BlockReader& reader, Font& font);
