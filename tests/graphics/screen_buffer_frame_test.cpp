#include <gtest/gtest.h>

#include <random>

#include "graphics/alpha_span.h"
#include "graphics/draw_record.h"
#include "graphics/frame.h"
#include "tests/graphics/graphics_test_util.h"
#include "tests/graphics/screen_fixtures.h"

namespace {

const std::map<uint32_t, char> kLetters = {{0, '.'}, {1, 'a'}, {2, 'b'}, {3, 'c'}, {4, 'd'}, {5, 'e'}, {6, 'f'}};

// abc / def with the origin on b.
FrameFixture Letters(const ScreenKind& kind, bool masked, uint32_t flags = 0) {
    FrameFixture f{.width = 3, .height = 2, .bitsPerPixel = static_cast<uint8_t>(kind.depth), .originX = 1,
                   .originY = 0, .flags = flags, .pixels = {1, 2, 3, 4, 5, 6}};
    if (masked) f.mask = std::vector<uint8_t>(6, 255);
    return f;
}

struct OrientationCase {
    uint32_t orientation;
    std::vector<std::string> rows;
};

const std::vector<OrientationCase> kOrientations = {
    {0, {"......", "......", "..abc.", "..def.", "......"}},
    {1, {"......", ".da...", ".eb...", ".fc...", "......"}},
    {2, {".fed..", ".cba..", "......", "......", "......"}},
    {3, {"...cf.", "...be.", "...ad.", "......", "......"}},
    {4, {"......", "......", "......", "......", "......"}},
    {5, {"......", "......", ".cba..", ".fed..", "......"}},
    {6, {"..def.", "..abc.", "......", "......", "......"}},
    {7, {"......", "......", "......", "......", "......"}},
};

class EveryScreen : public ::testing::TestWithParam<ScreenKind> {};

TEST_P(EveryScreen, FramesLandTurnedAboutTheirOrigin) {
    for (const auto& c : kOrientations) {
        SCOPED_TRACE(c.orientation);
        // The plain copy, the masked draw (an opaque mask), and a silhouette of colour 0 shade 4
        // over the same background draw the same shape.
        TestScreen plain(GetParam(), 6, 5);
        auto frame = MakeFrame(Letters(GetParam(), false));
        plain.Buffer().DrawFrameBlended(frame.get(), 3, 2, c.orientation, 0);
        EXPECT_EQ(plain.Picture(kLetters), Rows(c.rows));

        TestScreen masked(GetParam(), 6, 5);
        auto maskedFrame = MakeFrame(Letters(GetParam(), true));
        masked.Buffer().DrawFrame(maskedFrame.get(), 3, 2, c.orientation);
        EXPECT_EQ(masked.Picture(kLetters), Rows(c.rows));
    }
}

TEST_P(EveryScreen, ClippedFramesChangeOnlyTheClip) {
    const Rect clip{1, 1, 7, 6};
    auto plain = MakeFrame({.width = 4, .height = 3, .bitsPerPixel = static_cast<uint8_t>(GetParam().depth),
                            .originX = 1, .originY = 2, .pixels = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}});
    FrameFixture maskedFixture{.width = 4, .height = 3, .bitsPerPixel = static_cast<uint8_t>(GetParam().depth),
                               .originX = 1, .originY = 2, .pixels = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}};
    maskedFixture.mask = std::vector<uint8_t>(12, 255);
    auto masked = MakeFrame(maskedFixture);
    for (uint32_t orientation = 0; orientation <= 6; ++orientation) {
        for (int y = -4; y <= 10; ++y) {
            for (int x = -4; x <= 11; ++x) {
                TestScreen whole(GetParam(), 8, 7);
                TestScreen clipped(GetParam(), 8, 7);
                // The origin moves the frame; the clip stays where it was set.
                clipped.Buffer().SetOrigin(2, -1);
                clipped.Buffer().SetClipRect(clip);
                whole.Buffer().DrawFrameBlended(plain.get(), x + 2, y - 1, orientation, 0);
                clipped.Buffer().DrawFrameBlended(plain.get(), x, y, orientation, 0);
                TestScreen clippedMask(GetParam(), 8, 7);
                clippedMask.Buffer().SetOrigin(2, -1);
                clippedMask.Buffer().SetClipRect(clip);
                clippedMask.Buffer().DrawFrame(masked.get(), x, y, orientation);
                for (int py = 0; py < 7; ++py) {
                    for (int px = 0; px < 8; ++px) {
                        const bool inside = px >= clip.left && px < clip.right && py >= clip.top && py < clip.bottom;
                        const uint32_t expected = inside ? whole.At(px, py) : 0;
                        ASSERT_EQ(clipped.At(px, py), expected) << orientation << " at " << x << "," << y;
                        ASSERT_EQ(clippedMask.At(px, py), expected) << orientation << " at " << x << "," << y;
                    }
                }
            }
        }
    }
}

TEST_P(EveryScreen, FramesOfAnotherDepthOrWithoutPixelsAreSkipped) {
    TestScreen screen(GetParam(), 6, 5);
    const ScreenKind other{GetParam().depth == 8 ? 16 : 8, 565, false};
    auto frame = MakeFrame(Letters(other, true));
    screen.Buffer().DrawFrame(frame.get(), 3, 2, 0);
    screen.Buffer().DrawFrameBlended(frame.get(), 3, 2, 0, 0);
    screen.Buffer().DrawSilhouette({.frame = frame.get(), .x = 3, .y = 2, .shade = 9}, 7, 0);
    screen.Buffer().DrawFrame(nullptr, 3, 2, 0);
    Frame empty;
    empty.SetGeometry(3, 2, GetParam().depth);
    empty.SetPayload(nullptr);
    screen.Buffer().DrawFrameBlended(&empty, 3, 2, 0, 0);
    EXPECT_EQ(screen.Snapshot(), std::vector<uint32_t>(30, 0));
}

TEST_P(EveryScreen, TransparencyFollowsTheFrameFlag) {
    // Mode 0 copies zeros as black without the flag and skips them with it; 8-bit frames ignore
    // the mode.
    for (uint32_t mode : {0u, 1u, 2u, 3u}) {
        for (uint32_t flags : {0u, kFrameTransparent}) {
            TestScreen screen(GetParam(), 3, 1);
            screen.Fill(9);
            auto frame = MakeFrame({.width = 3, .height = 1, .bitsPerPixel = static_cast<uint8_t>(GetParam().depth),
                                    .flags = flags, .pixels = {0, 0, 0}});
            screen.Buffer().DrawFrameBlended(frame.get(), 0, 0, 0, mode);
            const bool copied = flags == 0 && (mode == 0 || GetParam().depth == 8);
            EXPECT_EQ(screen.At(1, 0), copied ? 0u : 9u) << mode << " " << flags;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Screens, EveryScreen, ::testing::ValuesIn(kAllScreens),
                         [](const auto& info) { return KindName(info.param); });

struct BlendCase {
    int format;
    uint32_t mode;
    uint16_t source;
    uint16_t screen;
    uint16_t expected;
};

TEST(ScreenBufferFrames, BlendModesMixChannelsWithoutCarries) {
    const std::vector<BlendCase> cases = {
        {565, 0, 0xF81F, 0x07E0, 0xF81F}, {565, 1, 0xF81F, 0x07E0, 0xA9D5}, {565, 3, 0xF81F, 0x07E0, 0x3D47},
        {565, 2, 0xF81F, 0x07E0, 0x7BCF}, {565, 9, 0xF81F, 0x07E0, 0x7BCF}, {555, 0, 0x7C1F, 0x03E0, 0x7C1F},
        {555, 1, 0x7C1F, 0x03E0, 0x54F5}, {555, 3, 0x7C1F, 0x03E0, 0x1EA7}, {555, 2, 0x7C1F, 0x03E0, 0x3DEF},
    };
    for (const auto& c : cases) {
        for (bool bottomUp : {false, true}) {
            TestScreen screen({16, c.format, bottomUp}, 2, 1);
            screen.Fill(c.screen);
            auto frame = MakeFrame({.width = 2, .height = 1, .bitsPerPixel = 16, .flags = kFrameTransparent,
                                    .pixels = {c.source, 0}});
            screen.Buffer().DrawFrameBlended(frame.get(), 0, 0, 0, c.mode);
            EXPECT_EQ(screen.At(0, 0), c.expected) << c.format << " mode " << c.mode;
            EXPECT_EQ(screen.At(1, 0), c.screen) << c.format << " mode " << c.mode;
        }
    }
}

struct AlphaCase {
    int format;
    uint8_t alpha;
    uint16_t source;
    uint16_t screen;
    uint16_t expected;
};

TEST(ScreenBufferFrames, AlphaWritersMixEachChannel) {
    const std::vector<AlphaCase> cases = {
        {565, 0, 0xFFFF, 0x1234, 0x1234},   // clear: the screen stays, whatever the source
        {565, 255, 0x0000, 0x1234, 0x0000}, // opaque: even a source of 0 is copied
        {555, 255, 0xFFFF, 0x1234, 0xFFFF}, // opaque copies all 16 bits
        {565, 128, 0x1234, 0x1234, 0x1234}, // half over the same pixel changes nothing
        {565, 64, 0xF81F, 0x07E0, 0x3DE7},  {555, 64, 0x7C1F, 0x03E0, 0x1EE7},
        {565, 200, 0xF81F, 0x07E0, 0xC1B8}, {555, 200, 0x7C1F, 0x03E0, 0x60D8},
        {565, 1, 0xFFFF, 0x0000, 0x0000},
    };
    for (const auto& c : cases) {
        // The same values through each walk: along a row, mirrored, and down a column.
        Pixel16 source[9] = {};
        uint8_t mask[9] = {};
        for (int i : {0, 4, 8}) {
            source[i] = c.source;
            mask[i] = c.alpha;
        }
        const AlphaSpanWriter write = AlphaWriterFor(c.format);
        for (auto [start, step] : {std::pair{0, 1}, {8, -1}, {0, 4}, {8, -4}}) {
            Pixel16 screen[3] = {c.screen, c.screen, c.screen};
            const int n = std::abs(step) == 1 ? 1 : 3;
            write(screen, source + start, step, mask + start, step, n);
            EXPECT_EQ(screen[0], c.expected) << c.format << " alpha " << int(c.alpha) << " step " << step;
            if (n == 3) {
                EXPECT_EQ(screen[1], c.expected);
                EXPECT_EQ(screen[2], c.expected);
            }
        }
    }
}

// Each channel of the format mixed on its own: the definition the fast writers must meet.
uint16_t MixedByDefinition(int format, uint16_t s, uint16_t d, uint8_t a) {
    if (a == 0) return d;
    if (a == 255) return s;
    const int redShift = format == 565 ? 11 : 10;
    const int greenBits = format == 565 ? 6 : 5;
    uint16_t out = 0;
    for (auto [shift, bits] : {std::pair{0, 5}, {5, greenBits}, {redShift, 5}}) {
        const uint32_t field = (1u << bits) - 1;
        const uint32_t cs = (s >> shift) & field, cd = (d >> shift) & field;
        out = static_cast<uint16_t>(out | ((cs * a + cd * (256 - a)) / 256) << shift);
    }
    return out;
}

TEST(ScreenBufferFrames, AlphaWritersAgreeOnLongRunsInEveryWalk) {
    // Runs of 21 (two groups of eight and a rest) with clear, opaque and mixed groups, walked
    // along a row, backwards, and down and up a column of a source five pixels wide.
    std::mt19937 random(3);
    std::vector<uint16_t> source(5 * 21);
    std::vector<uint8_t> mask(5 * 21);
    for (size_t i = 0; i < source.size(); ++i) {
        source[i] = static_cast<uint16_t>(random());
        const size_t group = (i / 8) % 4;
        mask[i] = group == 0 ? 0 : group == 1 ? 255 : static_cast<uint8_t>(random() % 4 == 0 ? 255 * (random() % 2)
                                                                                                : random());
    }
    for (int format : {555, 565}) {
        for (auto [start, step] : {std::pair{0, 1}, {20, -1}, {2, 5}, {102, -5}}) {
            std::vector<uint16_t> screen(21);
            for (auto& p : screen) p = static_cast<uint16_t>(random());
            std::vector<uint16_t> expected(21);
            for (int i = 0; i < 21; ++i) {
                const size_t at = static_cast<size_t>(start + i * step);
                expected[static_cast<size_t>(i)] = MixedByDefinition(format, source[at], screen[static_cast<size_t>(i)], mask[at]);
            }
            AlphaWriterFor(format)(reinterpret_cast<Pixel16*>(screen.data()),
                                   reinterpret_cast<const Pixel16*>(source.data()) + start, step, mask.data() + start,
                                   step, 21);
            EXPECT_EQ(screen, expected) << format << " step " << step;
        }
    }
}

TEST(ScreenBufferFrames, MaskedFramesFollowTheSettingsFlag) {
    // Mode 1 through the mode table without the flag; the mask (half opacity) with it.
    for (bool throughMask : {false, true}) {
        TestScreen screen({16, 565, true}, 1, 1);
        screen.Settings().SetFlags(throughMask ? kDrawThroughMask : 0);
        screen.Fill(0x07E0);
        FrameFixture f{.width = 1, .height = 1, .bitsPerPixel = 16, .pixels = {0xF81F}};
        f.mask = std::vector<uint8_t>{64};
        auto frame = MakeFrame(f);
        screen.Buffer().DrawFrameBlended(frame.get(), 0, 0, 0, 1);
        EXPECT_EQ(screen.At(0, 0), throughMask ? 0x3DE7u : 0xA9D5u);
    }
}

TEST(ScreenBufferFrames, FramesWithoutMaskOrOnIndexedScreensDrawPlainly) {
    TestScreen deep({16, 565, false}, 3, 1);
    auto bare = MakeFrame({.width = 3, .height = 1, .bitsPerPixel = 16, .pixels = {7, 0, 8}});
    deep.Buffer().DrawFrame(bare.get(), 0, 0, 0);
    EXPECT_EQ(deep.Snapshot(), (std::vector<uint32_t>{7, 0, 8}));

    TestScreen indexed({8, 0, false}, 3, 1);
    FrameFixture f{.width = 3, .height = 1, .bitsPerPixel = 8, .flags = kFrameTransparent, .pixels = {7, 0, 8}};
    f.mask = std::vector<uint8_t>{0, 0, 0};
    auto masked = MakeFrame(f);
    indexed.Fill(1);
    indexed.Buffer().DrawFrame(masked.get(), 0, 0, 0);
    EXPECT_EQ(indexed.Snapshot(), (std::vector<uint32_t>{7, 1, 8}));
}

TEST(ScreenBufferFrames, SilhouettesShadeOneColourAndRiseWithHeight) {
    struct Case {
        int format;
        int32_t shade;
        uint16_t expected;
    };
    const std::vector<Case> cases = {{565, 0, 0x0000}, {565, 1, 0x00E0}, {565, 2, 0x3AA7}, {565, 3, 0xAE35},
                                     {565, 7, 0xFFFF}, {555, 2, 0x1CE7}, {555, 3, 0x56B5}};
    for (const auto& c : cases) {
        TestScreen screen({16, c.format, false}, 6, 5);
        screen.Fill(1);
        auto frame = MakeFrame(Letters({16, c.format, false}, false));
        const uint32_t white = c.format == 565 ? 0xFFFF : 0x7FFF;
        // Height 3 over a base of 2 moves the shape one pixel right and down.
        screen.Buffer().DrawSilhouette({.frame = frame.get(), .x = 2, .y = 1, .height = 3, .shade = c.shade}, white, 2);
        const char ink = static_cast<char>(c.expected == 1 ? '.' : '#');
        EXPECT_EQ(screen.Picture({{1, '.'}, {c.expected, ink}}),
                  Rows({"......", "......", "..###.", "..###.", "......"}))
            << c.format << " shade " << c.shade;
    }
    TestScreen indexed({8, 0, true}, 6, 5);
    indexed.Fill(1);
    auto frame = MakeFrame(Letters({8, 0, false}, false));
    indexed.Buffer().DrawSilhouette({.frame = frame.get(), .x = 3, .y = 2, .orientation = 1, .shade = 3}, 7, 0);
    EXPECT_EQ(indexed.Picture({{1, '.'}, {0, '#'}}), Rows({"......", ".##...", ".##...", ".##...", "......"}));
}

}  // namespace
