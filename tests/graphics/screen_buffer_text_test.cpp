#include <gtest/gtest.h>

#include <tuple>

#include "graphics/font.h"
#include "tests/graphics/screen_fixtures.h"
#include "tests/support/read_bytes.h"
#include "tools/content/font_builder.h"

namespace {

// Glyphs '$' to 'C'. Most are 3 wide and 2 high: a bottom row with its leftmost pixel set and a
// top row with the other two. '$' is a single pixel; 'C' reaches one row below the baseline.
std::unique_ptr<Font> TestFont(uint16_t underline = 2) {
    FontFixture f;
    f.firstChar = '$';
    f.lineHeight = 3;
    f.letterSpacing = 1;
    f.lineGap = 1;
    f.underline = underline;
    f.glyphs.assign('C' - '$' + 1, GlyphFixture{3, 2, 0, std::string("\x01\x06", 2)});
    f.glyphs[0] = {1, 1, 0, std::string("\x01", 1)};
    f.glyphs['C' - '$'].offset = -1;
    return ReadFont(FontBlock(f));
}

const std::map<uint32_t, char> kInk = {{0, '.'}, {7, '#'}, {11, '1'}, {13, 'h'}};

struct TextCase {
    const char* text;
    uint32_t flags;
    Rect clip;
    const char* picture;
};

TEST(ScreenBufferText, GlyphsEscapesAndUnderlines) {
    const std::vector<TextCase> cases = {
        // Bottom row first, bit 0 leftmost; 'C' drawn one row lower.
        {"AC", 0, {0, 0, 10, 5}, "........../.##......./#....##.../....#...../.........."},
        // The clip's top stops a glyph; its bottom skips rows; its sides cut columns.
        {"AC", 0, {1, 2, 10, 5}, "........../........../.....##.../....#...../.........."},
        {"AC", 0, {0, 0, 10, 3}, "........../.##......./#....##.../........../.........."},
        {"AC", 0, {2, 0, 5, 5}, "........../..#......./........../....#...../.........."},
        // Colour codes, and the same codes skipped.
        {"A$1B$nA", 0, {0, 0, 12, 5}, "............/.##..11..##./#...1...#.../............/............"},
        {"A$1B$nA",
         kTextPlainCodes,
         {0, 0, 12, 5},
         "............/.##..##..##./#...#...#.../............/............"},
        // Entries beyond the table are black; unknown codes change nothing.
        {"$hA$7A$nA", 0, {0, 0, 12, 5}, "............/.hh......##./h.......#.../............/............"},
        {"$1A$xA", 0, {0, 0, 12, 5}, "............/.11..11...../1...1......./............/............"},
        // "$$" is the '$' glyph; a space is two spacings; a byte without a glyph draws glyph 0;
        // a '$' at the end ends the text.
        {"$$ A z$", 0, {0, 0, 12, 5}, "............/.....##...../#...#.....#./............/............"},
        // Underline rows below the baseline, to the end of the last glyph, in the current colour.
        {"A$1A", kTextUnderline, {0, 0, 10, 5}, "........../.##..11.../#...1...../1111111.../1111111..."},
        {"A A", kTextUnderline, {1, 0, 10, 4}, "........../.##....##./......#.../.########./.........."},
        {"A", kTextUnderline, {0, 4, 10, 5}, "........../........../........../........../###......."},
    };
    for (const ScreenKind& kind : kAllScreens) {
        auto font = TestFont();
        for (const auto& c : cases) {
            TestScreen screen(kind, static_cast<int>(std::string(c.picture).find('/')), 5, {10, 11, 12, 13});
            screen.Buffer().SetFont(font.get());
            screen.Buffer().SetClipRect(c.clip);
            screen.Buffer().DrawText(c.text, 0, 2, 7, 0, 2, c.flags);
            EXPECT_EQ(screen.Picture(kInk), c.picture) << KindName(kind) << " \"" << c.text << "\"";
        }
    }
}

TEST(ScreenBufferText, WideGlyphsAcrossTheClipEdges) {
    // One glyph 11 wide: its bottom row has the two end pixels, the row above all eleven.
    FontFixture f;
    f.firstChar = 'W';
    f.glyphs = {{11, 2, 0, std::string("\x01\x04\xFF\x07", 4)}};
    auto font = ReadFont(FontBlock(f));
    const std::vector<std::pair<Rect, const char*>> cases = {
        {{0, 0, 14, 3}, "............../.###########../.#.........#.."},
        {{3, 0, 10, 3}, "............../...#######..../.............."},
        {{0, 0, 12, 3}, "............../.###########../.#.........#.."},
        {{0, 0, 11, 3}, "............../.##########.../.#............"},
    };
    for (const ScreenKind& kind : kAllScreens) {
        for (const auto& [clip, picture] : cases) {
            TestScreen screen(kind, 14, 3);
            screen.Buffer().SetFont(font.get());
            screen.Buffer().SetClipRect(clip);
            screen.Buffer().DrawText("W", 1, 2, 7, 0, 2, 0);
            EXPECT_EQ(screen.Picture(kInk), picture) << KindName(kind) << " clip right " << clip.right;
        }
    }
}

TEST(ScreenBufferText, FontsWithoutUnderlineAndBuffersWithoutFontOrTable) {
    auto font = TestFont(0);
    TestScreen screen({16, 565, true}, 8, 5);
    screen.Buffer().SetFont(font.get());
    screen.Buffer().DrawText("A", 0, 2, 7, 0, 2, kTextUnderline);
    EXPECT_EQ(screen.Picture(kInk), "......../.##...../#......./......../........");

    TestScreen bare({8, 0, false}, 8, 5);
    bare.Buffer().DrawText("A", 0, 2, 7, 0, 2, 0);
    bare.Buffer().DrawTextAligned("A", 0, 2, 7, 0, 0, 0);
    EXPECT_EQ(bare.Snapshot(), std::vector<uint32_t>(40, 0));
    ScreenBuffer tableless(nullptr);
    tableless.SetSurface(&bare.Surface());
    tableless.SetFont(font.get());
    tableless.DrawText("$3A", 0, 2, 7, 0, 2, 0);
    EXPECT_EQ(bare.At(0, 2), 0u);
}

TEST(ScreenBufferText, AlignmentMovesTheBaselineAndTheStart) {
    // "AA" is 7 wide and 3 high: vAlign 0 puts the top at y, 1 the middle, other values the
    // baseline; hAlign 1 centres on x, 2 ends there.
    struct Case {
        int32_t hAlign, vAlign;
        int32_t x, y;
        const char* picture;
    };
    const std::vector<Case> cases = {
        {0, 0, 1, 0, ".........../.........../..##..##.../.#...#...../..........."},
        {1, 1, 4, 2, ".........../.........../..##..##.../.#...#...../..........."},
        {2, 7, 8, 3, ".........../.........../..##..##.../.#...#...../..........."},
    };
    auto font = TestFont();
    for (const auto& c : cases) {
        TestScreen screen({16, 555, false}, 11, 5);
        screen.Buffer().SetFont(font.get());
        screen.Buffer().SetOrigin(-1, 1);
        screen.Buffer().DrawText("AA", c.x + 1, c.y - 1, 7, c.hAlign, c.vAlign, 0);
        EXPECT_EQ(screen.Picture(kInk), c.picture) << c.hAlign << "," << c.vAlign;
    }
}

TEST(ScreenBufferText, AlignedTextDrawsLineByLine) {
    auto font = TestFont();  // line step 3 + 1
    TestColours colours({});
    RecordingBuffer buffer(&colours);
    buffer.SetFont(font.get());
    buffer.DrawTextAligned("one\x14two\nthree", 5, 10, 7, 1, 0, kTextUnderline);
    EXPECT_EQ(buffer.calls,
              (std::vector<RecordingBuffer::Call>{
                  {"one", 5, 10, 7, 1, 0, 1}, {"two", 5, 14, 7, 1, 0, 1}, {"three", 5, 18, 7, 1, 0, 1}}));
    buffer.calls.clear();
    // Centred on y: two lines of 3 with a gap of 1 (the empty last line does not count) are 7
    // high. Each line follows its black, code-free shadow.
    buffer.DrawTextAligned("a\nb\n", 5, 10, 7, 2, 1, kTextShadow | kTextUnderline);
    EXPECT_EQ(buffer.calls,
              (std::vector<RecordingBuffer::Call>{{"a", 7, 9, 0, 2, 0, kTextUnderline | kTextPlainCodes},
                                                  {"a", 5, 7, 7, 2, 0, kTextShadow | kTextUnderline},
                                                  {"b", 7, 13, 0, 2, 0, kTextUnderline | kTextPlainCodes},
                                                  {"b", 5, 11, 7, 2, 0, kTextShadow | kTextUnderline},
                                                  {"", 7, 17, 0, 2, 0, kTextUnderline | kTextPlainCodes},
                                                  {"", 5, 15, 7, 2, 0, kTextShadow | kTextUnderline}}));
    buffer.calls.clear();
    buffer.DrawTextAligned("x", 0, 10, 7, 0, 2, 0);
    EXPECT_EQ(std::get<2>(buffer.calls.at(0)), 7);

    // The font given for one draw is put back afterwards.
    auto other = TestFont();
    buffer.DrawTextAlignedWithFont("x", 0, 0, 7, other.get(), 0, 0, 0);
    EXPECT_EQ(buffer.CurrentFont(), font.get());
}

TEST(ScreenBufferText, VisibleCharOffsetCountsCodesAsNothing) {
    const std::vector<std::tuple<const char*, int32_t, size_t>> cases = {
        {"$1ab", 1, 3}, {"a$$b", 2, 3}, {"abc", 0, 0},  {"", 3, 0},     {"abc", 5, 3},
        {"ab$", 3, 3},  {"$n$1", 1, 4}, {"abc", -1, 0}, {"$$$$", 1, 2},
    };
    for (const auto& [text, n, expected] : cases)
        EXPECT_EQ(ScreenBuffer::VisibleCharOffset(text, n), expected) << text << " " << n;
}

}  // namespace
