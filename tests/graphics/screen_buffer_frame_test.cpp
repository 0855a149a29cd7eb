#include <gtest/gtest.h>

#include <random>

#include "graphics/alpha_span.h"
#include "graphics/draw_record.h"
#include "graphics/frame.h"
#include "tests/graphics/graphics_test_util.h"
#include "tests/graphics/screen_fixtures.h"

namespace {

const std::map<uint32_t, char> kLetters = {{0, '.'}, {1, 'a'}, {2, 'b'}, {3, 'c'},
                                           {4, 'd'}, {5, 'e'}, {6, 'f'}};

// width x height pixels numbered from 1, origin (ox, oy), optionally with an opaque mask.
std::unique_ptr<Frame> Numbered(int depth, uint32_t width, uint32_t height, int32_t ox, int32_t oy,
                                bool masked) {
    FrameFixture f{.width = width,
                   .height = height,
                   .bitsPerPixel = static_cast<uint8_t>(depth),
                   .originX = ox,
                   .originY = oy};
    for (uint16_t i = 1; i <= width * height; ++i) f.pixels.push_back(i);
    if (masked) f.mask = std::vector<uint8_t>(width * height, 255);
    return MakeFrame(f);
}

// The frame abc/def with its origin on b, placed at (3, 2).
const std::vector<std::pair<uint32_t, const char*>> kOrientations = {
    {0, "....../....../..abc./..def./......"}, {1, "....../.da.../.eb.../.fc.../......"},
    {2, ".fed../.cba../....../....../......"}, {3, "...cf./...be./...ad./....../......"},
    {4, "....../....../....../....../......"}, {5, "....../....../.cba../.fed../......"},
    {6, "..def./..abc./....../....../......"}, {7, "....../....../....../....../......"},
};

class EveryScreen : public ::testing::TestWithParam<ScreenKind> {};

TEST_P(EveryScreen, FramesLandTurnedAboutTheirOrigin) {
    // The plain copy and the draw through an opaque mask give the same picture.
    for (bool masked : {false, true}) {
        auto frame = Numbered(GetParam().depth, 3, 2, 1, 0, masked);
        for (const auto& [orientation, picture] : kOrientations) {
            TestScreen screen(GetParam(), 6, 5);
            if (masked)
                screen.Buffer().DrawFrame(frame.get(), 3, 2, orientation);
            else
                screen.Buffer().DrawFrameBlended(frame.get(), 3, 2, orientation, 0);
            EXPECT_EQ(screen.Picture(kLetters), picture) << orientation << (masked ? " masked" : "");
        }
    }
}

TEST_P(EveryScreen, ClippedFramesChangeOnlyTheClip) {
    // Against the same frame drawn without a clip, at every position across every edge.
    const Rect clip{1, 1, 7, 6};
    auto plain = Numbered(GetParam().depth, 4, 3, 1, 2, false);
    auto masked = Numbered(GetParam().depth, 4, 3, 1, 2, true);
    for (uint32_t orientation = 0; orientation <= 6; ++orientation) {
        for (int y = -4; y <= 10; ++y) {
            for (int x = -4; x <= 11; ++x) {
                TestScreen whole(GetParam(), 8, 7), clipped(GetParam(), 8, 7), clippedMask(GetParam(), 8, 7);
                whole.Buffer().DrawFrameBlended(plain.get(), x + 2, y - 1, orientation, 0);
                // The origin moves the frame; the clip stays where it was set.
                for (TestScreen* s : {&clipped, &clippedMask}) {
                    s->Buffer().SetOrigin(2, -1);
                    s->Buffer().SetClipRect(clip);
                }
                clipped.Buffer().DrawFrameBlended(plain.get(), x, y, orientation, 0);
                clippedMask.Buffer().DrawFrame(masked.get(), x, y, orientation);
                for (int py = 0; py < 7; ++py) {
                    for (int px = 0; px < 8; ++px) {
                        const bool inside =
                            px >= clip.left && px < clip.right && py >= clip.top && py < clip.bottom;
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
    auto other = Numbered(GetParam().depth == 8 ? 16 : 8, 3, 2, 1, 0, true);
    screen.Buffer().DrawFrame(other.get(), 3, 2, 0);
    screen.Buffer().DrawFrameBlended(other.get(), 3, 2, 0, 0);
    screen.Buffer().DrawSilhouette({.frame = other.get(), .x = 3, .y = 2, .shade = 9}, 7, 0);
    screen.Buffer().DrawFrame(nullptr, 3, 2, 0);
    Frame empty;
    empty.SetGeometry(3, 2, static_cast<uint32_t>(GetParam().depth));
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
            auto frame = MakeFrame({.width = 3,
                                    .height = 1,
                                    .bitsPerPixel = static_cast<uint8_t>(GetParam().depth),
                                    .flags = flags,
                                    .pixels = {0, 0, 0}});
            screen.Buffer().DrawFrameBlended(frame.get(), 0, 0, 0, mode);
            const bool copied = flags == 0 && (mode == 0 || GetParam().depth == 8);
            EXPECT_EQ(screen.At(1, 0), copied ? 0u : 9u) << mode << " " << flags;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Screens, EveryScreen, ::testing::ValuesIn(kAllScreens),
                         [](const auto& info) { return KindName(info.param); });

TEST(ScreenBufferFrames, BlendModesMixChannelsWithoutCarries) {
    struct Case {
        int format;
        uint32_t mode;
        uint16_t source, screen, expected;
    };
    const std::vector<Case> cases = {
        {565, 0, 0xF81F, 0x07E0, 0xF81F}, {565, 1, 0xF81F, 0x07E0, 0xA9D5}, {565, 3, 0xF81F, 0x07E0, 0x3D47},
        {565, 2, 0xF81F, 0x07E0, 0x7BCF}, {565, 9, 0xF81F, 0x07E0, 0x7BCF}, {555, 0, 0x7C1F, 0x03E0, 0x7C1F},
        {555, 1, 0x7C1F, 0x03E0, 0x54F5}, {555, 3, 0x7C1F, 0x03E0, 0x1EA7}, {555, 2, 0x7C1F, 0x03E0, 0x3DEF},
    };
    for (const auto& c : cases) {
        TestScreen screen({16, c.format, true}, 2, 1);
        screen.Fill(c.screen);
        auto frame = MakeFrame({.width = 2,
                                .height = 1,
                                .bitsPerPixel = 16,
                                .flags = kFrameTransparent,
                                .pixels = {c.source, 0}});
        screen.Buffer().DrawFrameBlended(frame.get(), 0, 0, 0, c.mode);
        EXPECT_EQ(screen.Snapshot(), (std::vector<uint32_t>{c.expected, c.screen}))
            << c.format << " " << c.mode;
    }
}

// Each channel of the format mixed on its own: the definition the fast writers must meet.
uint16_t MixedByDefinition(int format, uint16_t s, uint16_t d, uint8_t a) {
    if (a == 0) return d;
    if (a == 255) return s;
    const int redShift = format == 565 ? 11 : 10;
    uint16_t out = 0;
    for (auto [shift, bits] : {std::pair{0, 5}, {5, format == 565 ? 6 : 5}, {redShift, 5}}) {
        const uint32_t field = (1u << bits) - 1;
        const uint32_t cs = (s >> shift) & field, cd = (d >> shift) & field;
        out = static_cast<uint16_t>(out | ((cs * a + cd * (256 - a)) / 256) << shift);
    }
    return out;
}

TEST(ScreenBufferFrames, AlphaWritersMixEachChannelInEveryWalk) {
    // Runs of 21 (two groups of eight and a rest) with clear, opaque and mixed groups, walked
    // along a row, backwards, and down and up a column of a source five pixels wide.
    std::mt19937 random(3);
    std::vector<uint16_t> source(5 * 21);
    std::vector<uint8_t> mask(5 * 21);
    for (size_t i = 0; i < source.size(); ++i) {
        source[i] = static_cast<uint16_t>(random());
        const size_t group = (i / 8) % 4;
        const auto mixed = static_cast<uint8_t>(random() % 4 == 0 ? 255 * (random() % 2) : random());
        mask[i] = group == 0 ? 0 : group == 1 ? 255 : mixed;
    }
    source[17] = 0;  // an opaque 0 is copied too
    mask[17] = 255;
    for (int format : {555, 565}) {
        for (auto [start, step] : {std::pair{0, 1}, {20, -1}, {2, 5}, {102, -5}}) {
            std::vector<uint16_t> screen(21), expected(21);
            for (auto& p : screen) p = static_cast<uint16_t>(random());
            for (size_t i = 0; i < 21; ++i) {
                const auto at = static_cast<size_t>(start + static_cast<int>(i) * step);
                expected[i] = MixedByDefinition(format, source[at], screen[i], mask[at]);
            }
            AlphaWriterFor(format)(reinterpret_cast<Pixel16*>(screen.data()),
                                   reinterpret_cast<const Pixel16*>(source.data()) + start, step,
                                   mask.data() + start, step, 21);
            EXPECT_EQ(screen, expected) << format << " step " << step;
        }
    }
    // Worked values: a quarter of magenta over green, and half over the same pixel.
    EXPECT_EQ(MixedByDefinition(565, 0xF81F, 0x07E0, 64), 0x3DE7);
    EXPECT_EQ(MixedByDefinition(565, 0x1234, 0x1234, 128), 0x1234);
}

TEST(ScreenBufferFrames, AlphaRectanglesMatchTheDefinitionInEveryTurn) {
    // A 19 x 21 screen rectangle (two groups of eight and a rest across, two bands of eight rows
    // and a rest down) walked over a 23 x 25 frame in every direction, the mask with a stride of
    // its own. Clear rows, opaque rows and mixed rows all fall inside blocks of eight.
    constexpr int kW = 19, kH = 21, kFw = 23, kFh = 25, kMaskStride = 24, kPitch = kW + 3;
    std::mt19937 random(5);
    std::vector<uint16_t> source(kFw * kFh);
    std::vector<uint8_t> mask(kMaskStride * kFh);
    for (int y = 0; y < kFh; ++y) {
        for (int x = 0; x < kMaskStride; ++x) {
            if (x < kFw) source[static_cast<size_t>(y * kFw + x)] = static_cast<uint16_t>(random());
            const auto mixed = static_cast<uint8_t>(random() % 4 == 0 ? 255 * (random() % 2) : random());
            mask[static_cast<size_t>(y * kMaskStride + x)] = y < 9 ? 0 : y < 15 ? 255 : mixed;
        }
    }
    struct Turn {
        int x0, y0, alongX, alongY, downX, downY;
    };
    const Turn turns[] = {{1, 1, 0, 1, 1, 0},   {22, 24, 0, -1, -1, 0}, {1, 24, 0, -1, 1, 0},
                          {22, 1, 0, 1, -1, 0}, {1, 1, 1, 0, 0, 1},     {22, 24, -1, 0, 0, -1}};
    for (int format : {555, 565}) {
        for (const Turn& t : turns) {
            std::vector<uint16_t> screen(kPitch * kH);
            for (auto& p : screen) p = static_cast<uint16_t>(random());
            std::vector<uint16_t> expected = screen;
            for (int j = 0; j < kH; ++j) {
                for (int i = 0; i < kW; ++i) {
                    const int x = t.x0 + i * t.alongX + j * t.downX, y = t.y0 + i * t.alongY + j * t.downY;
                    auto& e = expected[static_cast<size_t>(j * kPitch + i)];
                    e = MixedByDefinition(format, source[static_cast<size_t>(y * kFw + x)], e,
                                          mask[static_cast<size_t>(y * kMaskStride + x)]);
                }
            }
            const AlphaWalk walk{reinterpret_cast<const Pixel16*>(source.data()) + t.y0 * kFw + t.x0,
                                 t.alongX + t.alongY * kFw,
                                 t.downX + t.downY * kFw,
                                 mask.data() + t.y0 * kMaskStride + t.x0,
                                 t.alongX + t.alongY * kMaskStride,
                                 t.downX + t.downY * kMaskStride};
            AlphaRectWriterFor(format)(reinterpret_cast<uint8_t*>(screen.data()), 2 * kPitch, walk, kW, kH);
            EXPECT_EQ(screen, expected) << format << " along " << t.alongX << "," << t.alongY << " down "
                                        << t.downX << "," << t.downY;
        }
    }
}

TEST(ScreenBufferFrames, MasksAreUsedWithTheSettingsFlagOnDeepScreensOnly) {
    // Mode 1 through the mode table without the flag; the mask (a quarter) with it.
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
    // Without a mask, or on an 8-bit screen, DrawFrame draws plainly.
    TestScreen deep({16, 565, false}, 3, 1);
    auto bare = MakeFrame({.width = 3, .height = 1, .bitsPerPixel = 16, .pixels = {7, 0, 8}});
    deep.Buffer().DrawFrame(bare.get(), 0, 0, 0);
    EXPECT_EQ(deep.Snapshot(), (std::vector<uint32_t>{7, 0, 8}));
    TestScreen indexed({8, 0, false}, 3, 1);
    FrameFixture f{
        .width = 3, .height = 1, .bitsPerPixel = 8, .flags = kFrameTransparent, .pixels = {7, 0, 8}};
    f.mask = std::vector<uint8_t>{0, 0, 0};
    auto masked = MakeFrame(f);
    indexed.Fill(1);
    indexed.Buffer().DrawFrame(masked.get(), 0, 0, 0);
    EXPECT_EQ(indexed.Snapshot(), (std::vector<uint32_t>{7, 1, 8}));
}

TEST(ScreenBufferFrames, SilhouettesShadeOneColourAndRiseWithHeight) {
    const std::vector<std::tuple<int, int32_t, uint32_t>> cases = {
        {565, 0, 0x0000}, {565, 1, 0x00E0}, {565, 2, 0x3AA7}, {565, 3, 0xAE35},
        {565, 7, 0xFFFF}, {555, 2, 0x1CE7}, {555, 3, 0x56B5}};
    for (const auto& [format, shade, expected] : cases) {
        TestScreen screen({16, format, false}, 6, 5);
        screen.Fill(1);
        auto frame = Numbered(16, 3, 2, 1, 0, false);
        // Height 3 over a base of 2 moves the shape one pixel right and down.
        screen.Buffer().DrawSilhouette({.frame = frame.get(), .x = 2, .y = 1, .height = 3, .shade = shade},
                                       format == 565 ? 0xFFFF : 0x7FFF, 2);
        EXPECT_EQ(screen.Picture({{1, '.'}, {expected, '#'}}), "....../....../..###./..###./......")
            << format << " shade " << shade;
    }
    TestScreen indexed({8, 0, true}, 6, 5);
    indexed.Fill(1);
    auto frame = Numbered(8, 3, 2, 1, 0, false);
    indexed.Buffer().DrawSilhouette({.frame = frame.get(), .x = 3, .y = 2, .orientation = 1, .shade = 3}, 7,
                                    0);
    EXPECT_EQ(indexed.Picture({{1, '.'}, {0, '#'}}), "....../.##.../.##.../.##.../......");
}

}  // namespace
