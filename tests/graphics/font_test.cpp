#include "graphics/font.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/exceptions.h"
#include "tests/support/read_bytes.h"
#include "tools/content/block_writer.h"
#include "tools/content/font_builder.h"

namespace {

FontFixture Serving(std::vector<uint32_t> languages, int8_t width, uint16_t spacing = 1) {
    FontFixture fixture = UniformFont(96, width);
    fixture.languages = std::move(languages);
    fixture.letterSpacing = spacing;
    return fixture;
}

std::string ReadError(const std::string& bytes, const std::string& name = "Broken.dff") {
    try {
        ReadFont(bytes, name);
    } catch (const FatalExep& e) {
        return e.message.Text();
    }
    return "";
}

}  // namespace

TEST(Font, BytesMapToGlyphsOfTheRange) {
    auto font = ReadFont(FontBlock(UniformFont(96, 5, 7, 32)));
    EXPECT_EQ(font->GlyphIndex(33), 1u);
    EXPECT_EQ(font->GlyphIndex(32), 0u);
    EXPECT_EQ(font->GlyphIndex(127), 95u);
    EXPECT_EQ(font->GlyphIndex(128), 0u);
    EXPECT_EQ(font->GlyphIndex(200), 0u);
    EXPECT_EQ(font->GlyphIndex(31), 0u);
    EXPECT_EQ(Font::FromAddress(font->Address()), font.get());
}

TEST(Font, GlyphBitmapsFollowEachOther) {
    FontFixture fixture;
    fixture.firstChar = 'A';
    fixture.glyphs = {{9, 12, -3, std::string(24, 'a')},
                      {3, 2, 4, std::string(2, 'b')},
                      {0, 0, 0, ""},
                      {8, 1, 0, std::string(1, 'd')}};
    auto font = ReadFont(FontBlock(fixture));
    const Glyph first = font->GlyphFor('A');
    EXPECT_EQ(first.width, 9);
    EXPECT_EQ(first.height, 12);
    EXPECT_EQ(first.offset, -3);
    const Glyph second = font->GlyphFor('B');
    EXPECT_EQ(second.bits, first.bits + 24);
    EXPECT_EQ(second.bits[0], 'b');
    EXPECT_EQ(second.offset, 4);
    EXPECT_EQ(font->GlyphFor('D').bits[0], 'd');
    EXPECT_EQ(font->GlyphFor('D').bits, second.bits + 2);
    EXPECT_EQ(font->GlyphFor('z').width, 9);
}

TEST(Font, HeaderFields) {
    FontFixture fixture = UniformFont(10);
    fixture.lineHeight = 14;
    fixture.letterSpacing = 2;
    fixture.lineGap = 3;
    fixture.underline = 2;
    fixture.languages = {1, 7};
    auto font = ReadFont(FontBlock(fixture));
    EXPECT_EQ(font->LineHeight(), 14u);
    EXPECT_EQ(font->LetterSpacing(), 2u);
    EXPECT_EQ(font->LineGap(), 3u);
    EXPECT_EQ(font->UnderlineThickness(), 2u);
    EXPECT_EQ(font->LanguageCount(), 2u);
    EXPECT_TRUE(font->Serves(7));
    EXPECT_FALSE(font->Serves(2));
    EXPECT_EQ(font->DefaultLanguage(), 1u);
}

TEST(Font, LanguageVariants) {
    const std::string file = FontBlock(Serving({1}, 5, 1)) + SEBlock("XTRA", "skipped") +
                             FontBlock(Serving({2}, 7, 4)) + FontBlock(Serving({2, 3}, 9, 4));
    auto font = ReadFont(file);
    ASSERT_EQ(font->VariantCount(), 2u);
    EXPECT_EQ(&font->Active(), font.get());

    font->SelectLanguage(2);
    EXPECT_EQ(&font->Active(), font->Variant(0));
    EXPECT_EQ(font->GlyphFor('a').width, 7);
    // Spacing and line metrics stay the main font's.
    EXPECT_EQ(font->LetterSpacing(), 1u);
    EXPECT_EQ(font->LineHeight(), 10u);

    font->SelectLanguage(3);
    EXPECT_EQ(&font->Active(), font->Variant(1));
    EXPECT_EQ(font->GlyphFor('a').width, 9);

    font->SelectLanguage(5);  // falls back to the default language, served by the font itself
    EXPECT_EQ(&font->Active(), font.get());
    EXPECT_EQ(font->GlyphFor('a').width, 5);
}

TEST(Font, DefaultLanguageServedByAVariant) {
    auto font = ReadFont(FontBlock(Serving({4}, 5)) + FontBlock(Serving({1}, 6)));
    font->SelectLanguage(9);
    EXPECT_EQ(&font->Active(), font->Variant(0));
    auto lonely = ReadFont(FontBlock(Serving({4}, 5)) + FontBlock(Serving({8}, 6)));
    lonely->SelectLanguage(9);
    EXPECT_EQ(&lonely->Active(), lonely.get());
}

TEST(Font, MissingFirstBlockIsTheReadersError) {
    try {
        ReadFont("not a font at all");
        FAIL() << "no exception";
    } catch (const WarnExep& e) {
        EXPECT_EQ(e.code, 5);
    }
}

TEST(FontRejects, MissingSubBlocks) {
    for (const char* tag : {"DFFW", "DFFH", "DFFD", "DFFS"}) {
        FontFixture fixture = UniformFont(4);
        fixture.omit = {tag};
        const std::string message = ReadError(FontBlock(fixture));
        EXPECT_NE(message.find("Broken.dff"), std::string::npos) << tag << ": " << message;
        EXPECT_NE(message.find(tag), std::string::npos) << message;
    }
}

TEST(FontRejects, TablesShorterThanTheGlyphCount) {
    for (const char* tag : {"DFFW", "DFFH", "DFFD", "DFFS"}) {
        FontFixture fixture = UniformFont(4);
        fixture.trim = {{tag, 1}};
        EXPECT_NE(ReadError(FontBlock(fixture)).find("Broken.dff"), std::string::npos) << tag;
    }
    FontFixture counted = UniformFont(4);
    counted.storedGlyphCount = 5;
    EXPECT_NE(ReadError(FontBlock(counted)), "");
    FontFixture none = UniformFont(0);
    EXPECT_NE(ReadError(FontBlock(none)), "");
}

TEST(FontRejects, NegativeSizes) {
    FontFixture wide = UniformFont(4);
    wide.glyphs[2].width = -56;  // byte 200: a width that reads as unsigned would be huge
    wide.glyphs[2].bits = "";
    EXPECT_NE(ReadError(FontBlock(wide)).find("negative"), std::string::npos);
    FontFixture tall = UniformFont(4);
    tall.glyphs[1].height = -1;
    EXPECT_NE(ReadError(FontBlock(tall)), "");
    // Negative vertical offsets are fine.
    FontFixture low = UniformFont(4);
    low.glyphs[0].offset = -4;
    EXPECT_EQ(ReadError(FontBlock(low)), "");
}

TEST(FontRejects, LanguageIdsShorterThanTheirCount) {
    FontFixture fixture = UniformFont(4);
    fixture.storedLanguageCount = 2;
    EXPECT_NE(ReadError(FontBlock(fixture)).find("Broken.dff"), std::string::npos);
}

TEST(FontRejects, DamagedVariant) {
    FontFixture variant = Serving({2}, 5);
    variant.omit = {"DFFS"};
    EXPECT_NE(ReadError(FontBlock(UniformFont(4)) + FontBlock(variant)).find("Broken.dff"),
              std::string::npos);
}

TEST(Font, UnreadFontMeasuresNothing) {
    Font font;
    const Glyph g = font.GlyphFor('a');
    EXPECT_EQ(g.width, 0);
    EXPECT_EQ(g.bits, nullptr);
}
