// The demo content as the screen shows it: chosen in 256 colours its pictures and interface colours
// keep their colours, its dialog panels keep white text legible over whatever lies under them, and
// the options window's volume rows read as a bar between a minus and a plus.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "graphics/color_manager.h"
#include "graphics/display.h"
#include "graphics/image.h"
#include "graphics/screen_buffer.h"
#include "graphics/screen_presenter.h"
#include "graphics/screen_surface.h"
#include "tests/support/game_harness.h"
#include "tools/content/demo_content.h"

namespace {

constexpr int32_t kWidth = 640;
constexpr int32_t kHeight = 480;
constexpr uint32_t kTextColour = 1;       // white
constexpr uint32_t kHighlightColour = 3;  // yellow
constexpr uint32_t kPanelFill = 4;
constexpr uint32_t kPanelEdge = 5;
constexpr char kLevelMark = 23;

using Rgb = std::array<int, 3>;

// The demo archive at the given depth in place of its own screen setting.
void StartDemo(GameHarness& game, uint16_t bitsPerPixel) {
    for (const FdEntry& e : DemoArchiveEntries())
        if (e.name != "Screen.SCRS") game.AddEntry(e.name, e.data, e.packed);
    game.Settings().bitsPerPixel = bitsPerPixel;
    game.Start();
}

// Draws on a cleared screen, shows the frame and gives its pixels as a person sees them: 16-bit
// pixels (5-5-5) widened to 8 bits a channel, 8-bit pixels through the palette the screen was given.
std::vector<Rgb> Shown(GameHarness& game, const std::function<void(ScreenBuffer&)>& draw) {
    Display& display = game.Screen();
    display.LockSurface();
    display.Surface()->Fill(0);
    draw(*display.Buffer());
    display.Presenter()->ShowFrame();
    const std::vector<uint8_t>& frame = game.Host().Video().LastFrame();
    const Palette& palette = game.Host().Video().CurrentPalette();
    const bool paletted = display.Surface()->BitsPerPixel() == 8;
    std::vector<Rgb> pixels;
    for (size_t i = 0; i < static_cast<size_t>(kWidth) * kHeight; ++i) {
        if (paletted) {
            const PaletteColor& c = palette[frame.at(i)];
            pixels.push_back({c.red, c.green, c.blue});
            continue;
        }
        const uint32_t v = frame.at(2 * i) | frame.at(2 * i + 1) << 8;
        const auto widen = [](uint32_t five) { return static_cast<int>(five << 3 | five >> 2); };
        pixels.push_back({widen(v >> 10 & 31), widen(v >> 5 & 31), widen(v & 31)});
    }
    return pixels;
}

// A coloured picture and a text in a colour of the colour table.
void DrawShipAndText(GameHarness& game, ScreenBuffer& buffer) {
    Image* ship = game.Picture("Misc\\MainShip.dpf");
    ASSERT_NE(ship, nullptr);
    buffer.DrawFrame(ship->GetFrame(0), 200, 100, 0);
    buffer.SetFont(game.FontNamed("BigMenu"));
    buffer.DrawText("Highlighted", 100, 300, game.Colours().Colour(kHighlightColour), 0, 0, 0);
}

bool Coloured(const Rgb& c) {
    return std::max({c[0], c[1], c[2]}) - std::min({c[0], c[1], c[2]}) > 60;
}

TEST(DemoDisplayTest, In256ColoursThePicturesAndInterfaceColoursKeepTheirColours) {
    std::vector<Rgb> high;
    {
        GameHarness game;
        StartDemo(game, 16);
        high = Shown(game, [&](ScreenBuffer& buffer) { DrawShipAndText(game, buffer); });
    }
    GameHarness game;
    StartDemo(game, 8);
    ASSERT_EQ(game.Screen().Surface()->BitsPerPixel(), 8);
    const std::vector<Rgb> paletted =
        Shown(game, [&](ScreenBuffer& buffer) { DrawShipAndText(game, buffer); });

    // The demo's colours are in its palette: every pixel is within what 5 bits a channel loses.
    size_t coloured = 0;
    size_t differing = 0;
    for (size_t i = 0; i < high.size(); ++i) {
        coloured += Coloured(high[i]) ? 1 : 0;
        for (int c = 0; c < 3; ++c) differing += std::abs(high[i][c] - paletted[i][c]) > 8 ? 1 : 0;
    }
    EXPECT_GT(coloured, 2000u);  // the ship's blue hull and the yellow text
    EXPECT_EQ(differing, 0u);
    EXPECT_EQ(game.Log(), "");
}

// How much lighter white is than the colour, as a ratio of relative luminances (1 the same, 21 white
// on black); text reads well from 4.5 on.
double ContrastWithWhite(const Rgb& c) {
    double luminance = 0;
    const double weights[] = {0.2126, 0.7152, 0.0722};
    for (int i = 0; i < 3; ++i) {
        const double v = c[static_cast<size_t>(i)] / 255.0;
        luminance += weights[i] * (v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4));
    }
    return 1.05 / (luminance + 0.05);
}

// A dialog panel shows a quarter of what lies under it (16-bit): its fill is dark enough that white
// text on it stays legible over white as over black.
TEST(DemoDisplayTest, WhiteTextStaysLegibleOnADialogPanelOverWhiteAndOverBlack) {
    for (uint16_t depth : {16, 8}) {
        SCOPED_TRACE(depth);
        GameHarness game;
        StartDemo(game, depth);
        const std::vector<Rgb> shown = Shown(game, [&](ScreenBuffer& buffer) {
            for (int32_t y = 0; y < 100; ++y)
                buffer.DrawLine(0, y, kWidth / 2, y, game.Colours().Colour(kTextColour));
            buffer.DrawPanel(0, 0, kWidth, 100, game.Colours().Colour(kPanelFill),
                             game.Colours().Colour(kPanelEdge));
        });
        const Rgb overWhite = shown[50 * kWidth + kWidth / 4];
        const Rgb overBlack = shown[50 * kWidth + 3 * kWidth / 4];
        EXPECT_GE(ContrastWithWhite(overWhite), 4.5);
        EXPECT_GE(ContrastWithWhite(overBlack), 4.5);
        // What lies under shows through in 16 bits; 8-bit panels are the fill alone.
        EXPECT_EQ(overWhite != overBlack, depth == 16);
    }
}

// The volume rows draw a "-" button, a bar of one mark a level and a "+" button in the fonts the
// window's controls use (text buttons underlined and shadowed, as every text button).
TEST(DemoDisplayTest, TheVolumeBarShowsEachLevelAndItsButtonsReadAsMinusAndPlus) {
    GameHarness game;
    StartDemo(game, 16);
    const auto lit = [&](const char* font, const std::string& text, uint32_t flags) {
        const std::vector<Rgb> shown = Shown(game, [&](ScreenBuffer& buffer) {
            buffer.SetFont(game.FontNamed(font));
            buffer.DrawTextAligned(text.c_str(), 100, 100, game.Colours().Colour(kTextColour), 0, 2, flags);
        });
        int rows = 0;
        int pixels = 0;
        for (int y = 0; y < kHeight; ++y) {
            int inRow = 0;
            for (int x = 0; x < kWidth; ++x)
                inRow += shown[static_cast<size_t>(y) * kWidth + x][0] > 200 ? 1 : 0;
            rows += inRow > 0 ? 1 : 0;
            pixels += inRow;
        }
        return std::array<int, 2>{rows, pixels};
    };
    constexpr uint32_t kButtonFlags = 3;
    // The minus glyph is one row of five pixels, the plus a cross of nine: nothing drawn beneath.
    EXPECT_EQ(lit("TextButton", "-", kButtonFlags), (std::array<int, 2>{1, 5}));
    EXPECT_EQ(lit("TextButton", "+", kButtonFlags), (std::array<int, 2>{5, 9}));
    for (int level : {0, 1, 3, 10}) {
        SCOPED_TRACE(level);
        const std::array<int, 2> bar =
            lit("StaticText", std::string(static_cast<size_t>(level), kLevelMark), 0);
        EXPECT_EQ(bar[1], level * 35);  // a 5x7 mark each
    }
}

}  // namespace
