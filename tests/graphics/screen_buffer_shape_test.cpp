#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "graphics/draw_record.h"
#include "graphics/frame.h"
#include "graphics/frame_geometry.h"
#include "tests/graphics/graphics_test_util.h"
#include "tests/graphics/screen_fixtures.h"

namespace {

TEST(ScreenBufferClip, ClipRectsAreOrderedAndHeldToTheBounds) {
    TestScreen screen({16, 565, false}, 640, 480);
    ScreenBuffer& b = screen.Buffer();
    b.SetClipRect({50, 60, 10, 20});
    EXPECT_EQ(b.Clip(), (Rect{10, 20, 50, 60}));
    b.SetClipRect({-10, -10, 50, 50});
    EXPECT_EQ(b.Clip(), (Rect{0, 0, 50, 50}));
    b.SetOrigin(20, 30);
    b.IntersectClipRect({100, 100, 0, 0});
    EXPECT_EQ(b.Clip(), (Rect{20, 30, 50, 50}));
    b.IntersectClipRect({-1000, -1000, 1000, 1000});  // never grows
    EXPECT_EQ(b.Clip(), (Rect{20, 30, 50, 50}));
    b.IntersectClipRect({INT32_MAX, 0, INT32_MAX, 5});
    EXPECT_TRUE(b.Clip().Empty());

    b.SetClipRect({700, 10, 900, 20});
    EXPECT_TRUE(b.Clip().Empty());
    b.SetClip({-5, -5, 9999, 9999});  // a clip put back directly still stops at the bounds
    EXPECT_EQ(b.Clip(), (Rect{0, 0, 640, 480}));
    b.SetSurface(&screen.Surface());
    EXPECT_EQ(b.OriginX(), 20);
    EXPECT_EQ(b.OriginY(), 30);
}

TEST(ScreenBufferClip, AnEmptyClipDrawsNothing) {
    for (const ScreenKind& kind : kAllScreens) {
        TestScreen screen(kind, 6, 5, {5, 5, 5});
        auto frame = MakeFrame({.width = 6,
                                .height = 5,
                                .bitsPerPixel = static_cast<uint8_t>(kind.depth),
                                .pixels = std::vector<uint16_t>(30, 3)});
        ScreenBuffer& b = screen.Buffer();
        b.SetClipRect({7, 0, 20, 5});
        b.DrawFrameBlended(frame.get(), 0, 0, 0, 0);
        b.DrawSilhouette({.frame = frame.get()}, 3, 0);
        b.DrawCastShadow({.frame = frame.get()}, {.frame = frame.get()});
        b.DrawPanel(-10, -10, 20, 20, 3, 3);
        b.DrawLine(0, 2, 6, 2, 3);
        b.DrawLine(2, 0, 2, 5, 3);
        b.DrawCircleDots(3, 2, 1, 8, 3, 0);
        EXPECT_EQ(screen.Snapshot(), std::vector<uint32_t>(30, 0)) << KindName(kind);
    }
}

struct LineCase {
    Rect line;
    Rect clip;
    const char* picture;
};

TEST(ScreenBufferShapes, LinesStopShortOfTheirEndAndOfTheClipsTopAndLeft) {
    const std::vector<LineCase> cases = {
        {{0, 0, 6, 0}, {0, 0, 6, 4}, "....../....../....../......"},  // on the top edge
        {{0, 1, 6, 1}, {0, 0, 6, 4}, "....../######/....../......"},
        {{5, 2, 1, 2}, {0, 0, 6, 4}, "....../....../.####./......"},    // ends swapped
        {{-9, 2, 99, 2}, {2, 0, 5, 4}, "....../....../..###./......"},  // cut by the clip
        {{0, 1, 6, 1}, {0, 1, 6, 4}, "....../....../....../......"},    // on the clip's top
        {{0, 3, 6, 3}, {0, 0, 6, 3}, "....../....../....../......"},    // below it
        {{2, 0, 2, 9}, {0, 0, 6, 4}, "..#.../..#.../..#.../..#..."},
        {{3, 3, 3, 1}, {0, 0, 6, 4}, "....../...#../...#../......"},
        {{0, 0, 0, 4}, {0, 0, 6, 4}, "....../....../....../......"},  // on the left edge
        {{5, 0, 5, 4}, {0, 0, 5, 4}, "....../....../....../......"},  // right of the clip
    };
    for (const ScreenKind& kind : kAllScreens) {
        for (const auto& c : cases) {
            TestScreen screen(kind, 6, 4);
            screen.Buffer().SetClipRect(c.clip);
            screen.Buffer().DrawLine(c.line.left, c.line.top, c.line.right, c.line.bottom, 7);
            EXPECT_EQ(screen.Picture({{0, '.'}, {7, '#'}}), c.picture)
                << KindName(kind) << " line " << c.line.left << "," << c.line.top;
        }
    }
    TestScreen moved({16, 565, true}, 6, 4);
    moved.Buffer().SetOrigin(1, 2);
    moved.Buffer().DrawLine(0, 0, 3, 0, 7);
    EXPECT_EQ(moved.Picture({{0, '.'}, {7, '#'}}), "....../....../.###../......");
}

struct PanelCase {
    Rect panel;
    Rect clip;
    const char* picture;
};

TEST(ScreenBufferShapes, PanelsHaveABorderAtTheClippedEdges) {
    const std::vector<PanelCase> cases = {
        {{1, 1, 6, 5}, {0, 0, 7, 6}, "......./.#####./.#fff#./.#fff#./.#####./......."},
        {{6, 5, 1, 1}, {0, 0, 7, 6}, "......./.#####./.#fff#./.#fff#./.#####./......."},
        {{1, 1, 6, 2}, {0, 0, 7, 6}, "......./.#####./......./......./......./......."},
        {{1, 1, 6, 3}, {0, 0, 7, 6}, "......./.#####./.#####./......./......./......."},
        {{2, 0, 3, 6}, {0, 0, 7, 6}, "..#..../..#..../..#..../..#..../..#..../..#...."},
        {{-5, -5, 4, 4}, {0, 0, 7, 6}, "####.../#ff#.../#ff#.../####.../......./......."},
        {{1, 1, 6, 5}, {3, 2, 7, 4}, "......./......./...###./...###./......./......."},
        // Wholly outside the clip: nothing at all.
        {{9, 1, 20, 5}, {0, 0, 7, 6}, "......./......./......./......./......./......."},
        {{-9, -9, -1, -1}, {0, 0, 7, 6}, "......./......./......./......./......./......."},
        {{1, 1, 6, 5}, {0, 0, 7, 1}, "......./......./......./......./......./......."},
    };
    for (const ScreenKind& kind : kAllScreens) {
        // The inside mixes a quarter of the screen into three quarters of the fill (16-bit).
        const uint32_t screenColour = kind.depth == 8 ? 1 : 0xFFFF;
        const uint32_t fill = kind.depth == 8 ? 9 : 0;
        const uint32_t inside = kind.depth == 8 ? 9 : kind.format == 565 ? 0x39C7 : 0x1CE7;
        for (const auto& c : cases) {
            TestScreen screen(kind, 7, 6);
            screen.Fill(screenColour);
            screen.Buffer().SetClipRect(c.clip);
            screen.Buffer().DrawPanel(c.panel.left, c.panel.top, c.panel.right, c.panel.bottom, fill, 7);
            EXPECT_EQ(screen.Picture({{screenColour, '.'}, {7, '#'}, {inside, 'f'}}), c.picture)
                << KindName(kind) << " panel " << c.panel.left << "," << c.panel.top;
        }
    }
}

TEST(ScreenBufferShapes, CircleDotsTruncateTowardZero) {
    TestScreen screen({16, 555, true}, 10, 10);
    screen.Buffer().SetOrigin(1, 1);
    screen.Buffer().DrawCircleDots(4, 4, 2, 4, 7, 0);
    EXPECT_EQ(screen.Picture({{0, '.'}, {7, '#'}}),
              "........../........../........../........../.....#..../....#..#../.....#..../........../"
              "........../..........");
    TestScreen clipped({8, 0, false}, 10, 10);
    clipped.Buffer().SetClipRect({0, 0, 6, 10});
    clipped.Buffer().DrawCircleDots(5, 5, 2, 4, 7, 0);
    clipped.Buffer().DrawCircleDots(5, 5, 2, 0, 7, 0);
    clipped.Buffer().DrawCircleDots(5, 5, 2, -3, 7, 0);
    EXPECT_EQ(clipped.Picture({{0, '.'}, {7, '#'}}),
              "........../........../........../........../.....#..../....#...../.....#..../........../"
              "........../..........");
}

// The dots as the circle rule places them, one by one, kept where the clip lets them show.
std::vector<uint32_t> ReferenceDots(int width, int height, const Rect& clip, int32_t x, int32_t y,
                                    int32_t radius, int32_t count, uint32_t colour) {
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height, 0);
    double angle = 0;
    for (int32_t i = 0; i < count; ++i, angle += 6.2832 / count) {
        const double px = std::trunc(std::cos(angle) * radius) + x;
        const double py = std::trunc(std::sin(angle) * radius) + y;
        if (px >= clip.left && px < clip.right && py >= clip.top && py < clip.bottom)
            pixels[static_cast<size_t>(py) * width + static_cast<size_t>(px)] = colour;
    }
    return pixels;
}

TEST(ScreenBufferShapes, CircleDotsThatMissTheClipAreSkippedAndTheRestKept) {
    // Centres left of, inside, below and far off the clip; radii on both sides of where the circle
    // first and last meets it.
    // The origin moves the centre as it moves every primitive.
    const struct {
        int32_t x, y, originX, originY;
    } centres[] = {{-10, 15, 0, 0}, {20, 15, 0, 0}, {25, 40, 0, 0}, {-200, -200, 0, 0}, {-13, 17, 3, -2}};
    const Rect clip{2, 3, 38, 27};
    for (const auto& c : centres) {
        for (int32_t radius = -300; radius <= 300; ++radius) {
            const int32_t count = 4 * std::abs(radius) + 3;
            TestScreen screen({8, 0, false}, 40, 30);
            screen.Buffer().SetClipRect(clip);
            screen.Buffer().SetOrigin(c.originX, c.originY);
            screen.Buffer().DrawCircleDots(c.x, c.y, radius, count, 7, 0);
            ASSERT_EQ(screen.Snapshot(),
                      ReferenceDots(40, 30, clip, c.x + c.originX, c.y + c.originY, radius, count, 7))
                << c.x << "," << c.y << " radius " << radius;
        }
    }
    // A circle round the screen far larger than it shows nothing, whatever its count.
    TestScreen screen({8, 0, false}, 40, 30);
    screen.Buffer().DrawCircleDots(20, 15, INT32_MAX, INT32_MAX, 7, 0);
    EXPECT_EQ(screen.Snapshot(), std::vector<uint32_t>(40 * 30, 0));
}

// Opaque frames of the given size, origin at the top left, made in memory.
std::unique_ptr<Frame> Solid(int depth, uint32_t width, uint32_t height, uint16_t value = 5) {
    auto frame = std::make_unique<Frame>();
    frame->SetGeometry(width, height, static_cast<uint32_t>(depth));
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) frame->SetPixel(x, y, value);
    return frame;
}

TEST(ScreenBufferShadows, FlatShadowsFallByTheCastersHeight) {
    struct Case {
        int32_t casterShade;
        int32_t extraShade;
        Rect clip;
        uint32_t dark;
        const char* picture;
    };
    const std::vector<Case> cases = {
        {1, 1, {0, 0, 6, 6}, 0x7BCF, "....../....../..##../..#.../....../......"},
        {0, 1, {0, 0, 6, 6}, 0x39E7, "....../....../..##../..#.../....../......"},
        {3, 0, {0, 0, 6, 6}, 0xADB5, "....../....../..##../..#.../....../......"},
        {0, 0, {0, 0, 6, 6}, 0x0000, "....../....../..##../..#.../....../......"},
        {1, 1, {0, 0, 3, 6}, 0x7BCF, "....../....../..#.../..#.../....../......"},
        {3, 1, {0, 0, 6, 6}, 0x7BCF, "....../....../....../....../....../......"},
    };
    for (const auto& c : cases) {
        TestScreen screen({16, 565, true}, 6, 6);
        screen.Fill(0xFFFF);
        screen.Buffer().SetClipRect(c.clip);
        auto caster = MakeFrame({.width = 2, .height = 2, .bitsPerPixel = 16, .pixels = {5, 5, 5, 0}});
        auto receiver = Solid(16, 6, 6);
        screen.Buffer().DrawCastShadow(
            {.frame = caster.get(), .x = 1, .y = 1, .height = 1, .shade = c.casterShade},
            {.frame = receiver.get(), .extraShade = c.extraShade});
        EXPECT_EQ(screen.Picture({{0xFFFF, '.'}, {c.dark, '#'}}), c.picture) << c.casterShade << c.extraShade;
    }
    // 8-bit screens darken to index 0; a receiver pixel of 0 takes no shadow.
    TestScreen indexed({8, 0, false}, 6, 6);
    indexed.Fill(1);
    auto caster = Solid(8, 2, 2);
    auto receiver = Solid(8, 6, 6, 4);
    receiver->SetPixel(3, 3, 0);
    indexed.Buffer().DrawCastShadow({.frame = caster.get(), .x = 1, .y = 1, .height = 1, .shade = 9},
                                    {.frame = receiver.get()});
    EXPECT_EQ(indexed.Picture({{1, '.'}, {0, '#'}}), "....../....../..##../..#.../....../......");
}

TEST(ScreenBufferShadows, SlopedReceiversSqueezeTheShadowAndReadOnlyTheCaster) {
    // The receiver slopes horizontally: two caster columns land on one screen column, and the
    // caster's shade is used alone. Where the caster window runs past the caster nothing changes.
    TestScreen screen({16, 565, false}, 8, 8);
    screen.Fill(0xFFFF);
    screen.Buffer().SetClipRect({3, 1, 8, 8});
    auto caster = Solid(16, 4, 2);
    auto receiver = Solid(16, 5, 4);
    screen.Buffer().DrawCastShadow({.frame = caster.get(), .x = -3, .y = 5, .height = 4, .shade = 1},
                                   {.frame = receiver.get(),
                                    .x = 2,
                                    .y = 1,
                                    .height = 3,
                                    .h1 = 1,
                                    .h2 = -4,
                                    .h3 = 4,
                                    .h4 = -6,
                                    .extraShade = 1});
    EXPECT_EQ(screen.Picture({{0xFFFF, '.'}, {0x39E7, '#'}}),
              "......../......../....#.../....#.../......../......../......../........");
}

TEST(ScreenBufferShadows, NoShadowTouchesPixelsOutsideTheClipAndTheReceiver) {
    std::mt19937 random(7);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    int shaded = 0;
    for (int round = 0; round < 20000; ++round) {
        const ScreenKind kind = kAllScreens[static_cast<size_t>(pick(0, 5))];
        TestScreen screen(kind, 12, 10);
        screen.Fill(1);
        const Rect clip{pick(0, 4), pick(0, 4), pick(6, 12), pick(6, 10)};
        screen.Buffer().SetClipRect(clip);
        auto caster = Solid(kind.depth, static_cast<uint32_t>(pick(1, 5)), static_cast<uint32_t>(pick(1, 5)));
        // Receivers of width or height 0 are among them.
        auto receiver =
            Solid(kind.depth, static_cast<uint32_t>(pick(0, 8)), static_cast<uint32_t>(pick(0, 8)));
        DrawRecord a{.frame = caster.get(),
                     .x = pick(-3, 10),
                     .y = pick(-3, 8),
                     .orientation = static_cast<uint32_t>(pick(0, 6)),
                     .height = pick(-2, 5),
                     .shade = pick(0, 3)};
        DrawRecord b{.frame = receiver.get(),
                     .x = pick(-3, 8),
                     .y = pick(-3, 8),
                     .orientation = static_cast<uint32_t>(pick(0, 6)),
                     .height = pick(-2, 4),
                     .h1 = pick(-4, 4),
                     .h2 = pick(-4, 4),
                     .h3 = pick(-4, 4),
                     .h4 = pick(-4, 4)};
        // Flat receivers as often as sloped ones.
        if (pick(0, 1) == 0) {
            b.h3 = b.h1;
            b.h4 = b.h2;
        }
        screen.Buffer().DrawCastShadow(a, b);
        const FrameBox box = PlacementBox(*receiver, b.x, b.y, b.orientation);
        for (int y = 0; y < 10; ++y) {
            for (int x = 0; x < 12; ++x) {
                const bool open = x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom &&
                                  !box.Empty() && box.Contains(x, y);
                if (!open) {
                    ASSERT_EQ(screen.At(x, y), 1u) << "round " << round << " at " << x << "," << y;
                }
            }
        }
        const auto all = screen.Snapshot();
        shaded += std::any_of(all.begin(), all.end(), [](uint32_t v) { return v != 1; });
    }
    EXPECT_GT(shaded, 250);  // the rounds do draw shadows
}

}  // namespace
