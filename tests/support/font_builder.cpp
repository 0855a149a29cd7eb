#include "tests/support/font_builder.h"

#include <algorithm>

#include "tests/support/block_writer.h"

FontSpec UniformFont(int count, int8_t width, int8_t height, uint16_t firstChar) {
    FontSpec spec;
    spec.firstChar = firstChar;
    spec.glyphs.assign(static_cast<size_t>(count), GlyphSpec{width, height, 0, ""});
    return spec;
}

std::string FontBlock(const FontSpec& spec) {
    std::string widths, heights, offsets, bitmaps;
    for (const GlyphSpec& g : spec.glyphs) {
        widths += static_cast<char>(g.width);
        heights += static_cast<char>(g.height);
        offsets += static_cast<char>(g.offset);
        if (!g.bits.empty())
            bitmaps += g.bits;
        else if (g.width > 0 && g.height > 0)
            bitmaps += std::string(static_cast<size_t>((g.width + 7) / 8 * g.height), '\xFF');
    }
    const std::vector<std::pair<std::string, std::string>> tables = {
        {"DFFW", widths}, {"DFFH", heights}, {"DFFD", offsets}, {"DFFS", bitmaps}};
    std::vector<std::string> subBlocks;
    for (auto [tag, payload] : tables) {
        if (std::find(spec.omit.begin(), spec.omit.end(), tag) != spec.omit.end()) continue;
        auto cut = spec.trim.find(tag);
        if (cut != spec.trim.end()) payload.resize(payload.size() - std::min<size_t>(cut->second, payload.size()));
        subBlocks.push_back(SEBlock(tag, payload));
    }
    std::string languages;
    for (uint32_t id : spec.languages) languages += LeU32(id);
    BlockWriter font;
    font.tag = "DFF";
    font.payload = languages;
    font.headerFields = LeU16(spec.storedGlyphCount.value_or(static_cast<uint16_t>(spec.glyphs.size()))) +
                        LeU16(spec.firstChar) + LeU16(spec.lineHeight) + LeU16(spec.letterSpacing) +
                        LeU16(spec.lineGap) +
                        LeU16(spec.storedLanguageCount.value_or(static_cast<uint16_t>(spec.languages.size()))) +
                        LeU16(spec.underline);
    font.subBlocks = subBlocks;
    return font.SC();
}
