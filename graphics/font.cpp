#include "graphics/font.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "foundation/block_reader.h"
#include "foundation/exceptions.h"
#include "graphics/graphics_kinds.h"

namespace {

constexpr unsigned kVariantDirect = 4;
constexpr unsigned kVariantPage = 10;
constexpr const char* kTableTags[] = {"DFFW", "DFFH", "DFFD", "DFFS"};

[[noreturn]] void Damaged(const BlockReader& reader, const String& what) {
    ThrowFatal("Damaged font \"%s\": %s", reader.Name().Text(), what.Text());
}

String Number(uint64_t value) {
    return String(static_cast<int>(std::min<uint64_t>(value, INT32_MAX)));
}

// The signature of the block that follows, without consuming anything; false when no block mark
// follows.
bool PeekSignature(BlockReader& reader, uint8_t signature[4]) {
    uint8_t mark[4];
    if (reader.PeekAt(mark, 4, 0) < 4 || mark[0] != 'S') return false;
    uint32_t at = 0;
    if (mark[1] == 'E')
        at = 2;
    else if (mark[1] == 'C')
        at = LoadU16(mark + 2) + 4u;
    else if (mark[1] == 'M')
        at = 8;
    else
        return false;
    return reader.PeekAt(signature, 4, at) == 4;
}

}  // namespace

Font::Font(uint32_t defaultLanguage, uint32_t headerSize, bool loadPayload, ZEMAClass* owner)
    : ScriptObject(owner),
      DataBlock(std::max(headerSize, kHeaderSize), loadPayload),
      active_(this),
      defaultLanguage_(defaultLanguage),
      variants_(kVariantDirect, kVariantPage, true) {
    SetKind(kFontKind);
    SetSignature("DFF");
}

Font::~Font() = default;

Font* Font::FromAddress(uint32_t address) {
    return static_cast<Font*>(ScriptObject::FromAddress(address, kFontKind, "font"));
}

void Font::ReadChunk(BlockReader& reader, const uint8_t* signature) {
    for (int t = 0; t < kTableCount; ++t) {
        if (std::memcmp(signature, kTableTags[t], 4) == 0) {
            present_[t] = false;
            reader >> tables_[t];
            present_[t] = true;
            return;
        }
    }
}

void Font::AfterRead(BlockReader& reader) {
    ready_ = false;
    bitmapOffsets_.clear();
    const uint32_t count = LoadU16(Header() + 10);
    const uint32_t languages = LoadU16(Header() + 20);
    if (uint64_t{languages} * 4 > (Payload() == nullptr ? 0 : PayloadSize()))
        Damaged(reader, Number(languages) + " language ids, the block holds fewer");
    if (count == 0) Damaged(reader, String("no glyphs"));
    for (int t = 0; t < kTableCount; ++t) {
        if (!present_[t] || tables_[t].Payload() == nullptr)
            Damaged(reader, String("the ") + kTableTags[t] + " block is missing");
        if (t != kBitmaps && tables_[t].PayloadSize() < count)
            Damaged(reader,
                    String("the ") + kTableTags[t] + " block holds fewer than " + Number(count) + " entries");
    }
    std::vector<uint32_t> offsets(count);
    uint64_t next = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const int width = Signed(kWidths, i);
        const int height = Signed(kHeights, i);
        if (width < 0 || height < 0) Damaged(reader, String("glyph ") + Number(i) + " has a negative size");
        offsets[i] = static_cast<uint32_t>(next);
        next += static_cast<uint64_t>((width + 7) / 8) * height;
    }
    if (next > tables_[kBitmaps].PayloadSize())
        Damaged(reader, String("the glyph bitmaps need ") + Number(next) + " bytes, the DFFS block holds " +
                            Number(tables_[kBitmaps].PayloadSize()));
    bitmapOffsets_ = std::move(offsets);
    ready_ = true;
}

uint32_t Font::LanguageCount() const {
    const uint32_t held = Payload() == nullptr ? 0 : PayloadSize() / 4;
    return std::min<uint32_t>(LoadU16(Header() + 20), held);
}

bool Font::Serves(uint32_t language) const {
    for (uint32_t i = 0; i < LanguageCount(); ++i)
        if (Language(i) == language) return true;
    return false;
}

void Font::AddVariant(Font* variant) {
    if (variant != nullptr) variants_.SetAt(variant, variants_.End());
}

void Font::RetireParts() {
    for (uint32_t i = 0; i < variants_.End(); ++i) RetirePart(variants_.Get(i));
}

void Font::SelectLanguage(uint32_t language) {
    for (uint32_t id : {language, defaultLanguage_}) {
        if (Serves(id)) {
            active_ = this;
            return;
        }
        for (uint32_t i = 0; i < variants_.End(); ++i) {
            Font* variant = variants_.Get(i);
            if (variant != nullptr && variant->Serves(id)) {
                active_ = variant;
                return;
            }
        }
        if (language == defaultLanguage_) break;
    }
    active_ = this;
}

uint32_t Font::GlyphIndex(uint8_t c) const {
    const uint32_t first = FirstChar();
    return c >= first && c < first + GlyphCount() ? c - first : 0;
}

Glyph Font::GlyphFor(uint8_t c) const {
    const Font& f = *active_;
    if (!f.ready_) return {};
    const uint32_t i = GlyphIndex(c);
    return {f.Signed(kWidths, i), f.Signed(kHeights, i), f.Signed(kOffsets, i),
            f.tables_[kBitmaps].Payload() + f.bitmapOffsets_[i]};
}

BlockReader& ReadFontFile(BlockReader& reader, Font& font) {
    reader >> font;
    while (!reader.AtEnd()) {
        uint8_t signature[4];
        if (PeekSignature(reader, signature) && std::memcmp(signature, "DFF\0", 4) == 0) {
            auto variant = std::make_unique<Font>(font.DefaultLanguage(), font.HeaderSize(),
                                                  font.LoadsPayload(), font.Class());
            reader >> *variant;
            font.AddVariant(variant.release());
        } else {
            // Reading into a bare block moves past it, and reports what is not a block at all.
            DataBlock skipped(0, false);
            reader >> skipped;
        }
    }
    return reader;
}
