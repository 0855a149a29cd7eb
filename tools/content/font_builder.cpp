#include "tools/content/font_builder.h"

#include <algorithm>

#include "tools/content/block_writer.h"

FontFixture UniformFont(int count, int8_t width, int8_t height, uint16_t firstChar) {
    FontFixture fixture;
    fixture.firstChar = firstChar;
    fixture.glyphs.assign(static_cast<size_t>(count), GlyphFixture{width, height, 0, ""});
    return fixture;
}

std::string FontBlock(const FontFixture& fixture) {
    std::string widths, heights, offsets, bitmaps;
    for (const GlyphFixture& g : fixture.glyphs) {
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
        if (std::find(fixture.omit.begin(), fixture.omit.end(), tag) != fixture.omit.end()) continue;
        auto cut = fixture.trim.find(tag);
        if (cut != fixture.trim.end())
            payload.resize(payload.size() - std::min<size_t>(cut->second, payload.size()));
        subBlocks.push_back(SEBlock(tag, payload));
    }
    std::string languages;
    for (uint32_t id : fixture.languages) languages += LeU32(id);
    BlockWriter font;
    font.tag = "DFF";
    font.payload = languages;
    font.headerFields =
        LeU16(fixture.storedGlyphCount.value_or(static_cast<uint16_t>(fixture.glyphs.size()))) +
        LeU16(fixture.firstChar) + LeU16(fixture.lineHeight) + LeU16(fixture.letterSpacing) +
        LeU16(fixture.lineGap) +
        LeU16(fixture.storedLanguageCount.value_or(static_cast<uint16_t>(fixture.languages.size()))) +
        LeU16(fixture.underline);
    font.subBlocks = subBlocks;
    return font.SC();
}
