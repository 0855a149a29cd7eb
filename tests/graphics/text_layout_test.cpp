#include "graphics/text_layout.h"

#include <gtest/gtest.h>

#include <string>

#include "graphics/font.h"
#include "tests/support/read_bytes.h"
#include "tools/content/font_builder.h"

namespace {

// Letter spacing 1, every glyph 5 wide, line height 10, line gap 2.
class TextLayout : public ::testing::Test {
  protected:
    std::unique_ptr<Font> font = ReadFont(FontBlock(UniformFont(96, 5)));

    int Width(const std::string& text) const { return TextWidth(*font, text.c_str()); }
    int Height(const std::string& text) const { return TextHeight(*font, text.c_str()); }
    std::string Wrap(const std::string& text, int width) const {
        String s(text.c_str());
        WrapText(s, width, *font);
        return s.Text();
    }
};

}  // namespace

TEST_F(TextLayout, WidthOfGlyphsAndSpaces) {
    EXPECT_EQ(Width(""), 0);
    EXPECT_EQ(Width("a"), 5);
    EXPECT_EQ(Width("ab"), 11);
    EXPECT_EQ(Width("a b"), 13);
    EXPECT_EQ(Width("   "), 5);   // 2 x 1 x 3 - 1
    EXPECT_EQ(Width("\xC8"), 5);  // no glyph: glyph 0
}

TEST_F(TextLayout, WidthSkipsEscapes) {
    EXPECT_EQ(Width("$1abc"), Width("abc"));
    EXPECT_EQ(Width("a$hb$nc"), Width("abc"));
    EXPECT_EQ(Width("$$"), 5);
    EXPECT_EQ(Width("a$$b"), 17);
    EXPECT_EQ(Width("ab$"), 11);  // a trailing '$' ends the text
    EXPECT_EQ(Width("$"), 0);
}

TEST_F(TextLayout, WidthOfTheWidestLine) {
    EXPECT_EQ(Width("ab\ncdef"), 23);
    EXPECT_EQ(Width("abcd\x14"
                    "ef"),
              23);
    EXPECT_EQ(Width("a\n"), 5);
    EXPECT_EQ(Width("\n\n"), 0);
}

TEST_F(TextLayout, WidthUsesTheActiveVariantsGlyphs) {
    FontFixture wide = UniformFont(96, 7);
    wide.languages = {2};
    wide.letterSpacing = 9;
    auto both = ReadFont(FontBlock(UniformFont(96, 5)) + FontBlock(wide));
    both->SelectLanguage(2);
    EXPECT_EQ(TextWidth(*both, "ab"), 7 + 1 + 7);
}

TEST_F(TextLayout, Height) {
    EXPECT_EQ(Height(""), 0);
    EXPECT_EQ(Height("a"), 10);
    EXPECT_EQ(Height("a\n"), 10);
    EXPECT_EQ(Height("a\nb"), 22);
    EXPECT_EQ(Height("a\x14"
                     "b"),
              22);
    EXPECT_EQ(Height("a\n\nb"), 34);
    EXPECT_EQ(Height("\n"), 10);  // one empty line
}

TEST_F(TextLayout, NextWordSplitsAtSpacesAndBreaks) {
    String word;
    const char* next = nullptr;
    bool lineEnd = true;
    const char* text = " \r word\x14 next";
    NextWord(text, word, next, lineEnd);
    EXPECT_EQ(word, "word");
    EXPECT_FALSE(lineEnd);
    EXPECT_STREQ(next, "next");

    NextWord("ab\ncd", word, next, lineEnd);
    EXPECT_EQ(word, "ab");
    EXPECT_TRUE(lineEnd);
    EXPECT_STREQ(next, "cd");

    NextWord("ab \r\n cd", word, next, lineEnd);
    EXPECT_EQ(word, "ab");
    EXPECT_TRUE(lineEnd);
    EXPECT_STREQ(next, " cd");

    NextWord("\ncd", word, next, lineEnd);
    EXPECT_EQ(word, "");
    EXPECT_TRUE(lineEnd);
    EXPECT_STREQ(next, "cd");
}

TEST_F(TextLayout, WrapBreaksAtSpacesWithSoftBreaks) {
    // "aaa" is 17 wide and the gap between words 3: two words need 37.
    EXPECT_EQ(Wrap("aaa bbb ccc", 37),
              "aaa bbb\x14"
              "ccc");
    EXPECT_EQ(Wrap("aaa bbb\x14"
                   "ccc",
                   37),
              "aaa bbb\x14"
              "ccc");
    EXPECT_EQ(Wrap("aaa bbb ccc", 36),
              "aaa\x14"
              "bbb\x14"
              "ccc");
    EXPECT_EQ(Wrap("aaa\x14"
                   "bbb\x14"
                   "ccc",
                   100),
              "aaa bbb ccc");
    EXPECT_EQ(Wrap("  aaa   bbb  ", 100), "aaa bbb");
    EXPECT_EQ(Wrap("", 100), "");
}

TEST_F(TextLayout, WrapKeepsNewlinesAndCollapsesBlankLines) {
    struct Case {
        const char* text;
        const char* wrapped;
    };
    const Case cases[] = {
        {"aaa\nbbb ccc", "aaa\nbbb ccc"},
        {"aaa \nbbb", "aaa\nbbb"},
        // A blank line goes with the line end before it; of three newlines in a row two remain.
        {"a\n\nb", "a\nb"},
        {"a\n\n\nb", "a\n\nb"},
        {"aaa\n\nbbb ccc", "aaa\nbbb ccc"},
        // CR LF line ends: a carriage return stays with the word it follows, the blank line goes.
        {"aaa\r\n\r\nbbb", "aaa\r\nbbb"},
        {"aaa\n\r\nbbb", "aaa\nbbb"},
        {"\r\nbbb", "\nbbb"},
        // Wrapping what was wrapped changes nothing more.
        {"a\nb", "a\nb"},
    };
    for (const Case& c : cases) EXPECT_EQ(Wrap(c.text, 100), c.wrapped) << c.text;
    // Collapsed lines are what the height is measured from: "a\n\nb" wraps to two lines.
    String text("a\n\nb");
    WrapText(text, 100, *font);
    EXPECT_EQ(TextHeight(*font, text.Text()), Height("a\nb"));
}

TEST_F(TextLayout, WrapLeavesLongWordsWhole) {
    EXPECT_EQ(Wrap("aaaaaaaaaaaa bb", 20),
              "aaaaaaaaaaaa\x14"
              "bb");
    EXPECT_EQ(Wrap("bb aaaaaaaaaaaa", 20),
              "bb\x14"
              "aaaaaaaaaaaa");
}

TEST_F(TextLayout, WrapMeasuresWordsWithoutEscapes) {
    EXPECT_EQ(Wrap("$1aaa $2bbb ccc", 37),
              "$1aaa $2bbb\x14"
              "ccc");
}
