#include "tools/content/demo_content.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <memory>
#include <utility>

#include "campaign/planet.h"
#include "foundation/byte_order.h"
#include "shell/game_ids.h"
#include "tools/content/block_writer.h"
#include "tools/content/demo_recording.h"
#include "tools/content/font_builder.h"
#include "tools/content/game_content.h"
#include "tools/content/picture_builder.h"
#include "tools/content/player_file.h"
#include "tools/content/script_assembler.h"
#include "tools/content/script_subclass.h"
#include "tools/content/sound_builder.h"
#include "tools/content/startup_archive.h"
#include "ui/script_dialog.h"
#include "ui/visual.h"
#include "world/actor.h"
#include "world/equipment_config.h"
#include "world/player_config.h"
#include "world/slot.h"

namespace {

using Words = std::vector<uint32_t>;
using Receiver = ScriptAssembler::Receiver;

constexpr std::array<const char*, 3> kDemoItemClasses = {"DemoGun", "DemoCell", "DemoEngine"};

// --- pictures: 16-bit 5-5-5 frames, 0 transparent ---

constexpr uint16_t Rgb555(int r, int g, int b) {
    return static_cast<uint16_t>((r >> 3) << 10 | (g >> 3) << 5 | (b >> 3));
}

constexpr uint16_t kWhite = Rgb555(255, 255, 255);
constexpr uint16_t kGrey = Rgb555(150, 150, 160);
constexpr uint16_t kDark = Rgb555(40, 40, 60);
constexpr uint16_t kYellow = Rgb555(255, 230, 60);
constexpr uint16_t kRed = Rgb555(230, 50, 40);
constexpr uint16_t kBlue = Rgb555(70, 140, 255);
constexpr uint16_t kGreen = Rgb555(60, 220, 90);
constexpr uint16_t kOrange = Rgb555(255, 150, 30);

struct Canvas {
    Canvas(uint32_t w, uint32_t h) : width(w), height(h), pixels(static_cast<size_t>(w) * h, 0) {}

    void Set(int x, int y, uint16_t colour) {
        if (x >= 0 && y >= 0 && x < static_cast<int>(width) && y < static_cast<int>(height))
            pixels[static_cast<size_t>(y) * width + static_cast<size_t>(x)] = colour;
    }
    void Box(int x0, int y0, int x1, int y1, uint16_t colour) {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) Set(x, y, colour);
    }
    void Disc(double cx, double cy, double r, uint16_t colour) {
        for (int y = 0; y < static_cast<int>(height); ++y)
            for (int x = 0; x < static_cast<int>(width); ++x)
                if (std::hypot(x + 0.5 - cx, y + 0.5 - cy) <= r) Set(x, y, colour);
    }
    // A ship's hull: a wedge pointing up (or down), its wings across the lower third.
    void Wedge(bool up, uint16_t hull, uint16_t wing) {
        const int w = static_cast<int>(width);
        const int h = static_cast<int>(height);
        for (int y = 0; y < h; ++y) {
            const int row = up ? y : h - 1 - y;
            const int half = row * w / (2 * h);
            for (int x = w / 2 - half; x <= w / 2 + half; ++x) Set(x, y, hull);
        }
        const int wingTop = up ? h * 2 / 3 : h / 6;
        Box(0, wingTop, w, wingTop + h / 6, wing);
    }
    std::string Frame() const {
        return FrameBlock({.width = width,
                           .height = height,
                           .bitsPerPixel = 16,
                           .originX = static_cast<int32_t>(width / 2),
                           .originY = static_cast<int32_t>(height / 2),
                           .pixels = pixels});
    }

    uint32_t width;
    uint32_t height;
    std::vector<uint16_t> pixels;
};

std::string ShipPicture(uint32_t size, bool up, uint16_t hull, uint16_t wing, uint32_t entries,
                        uint32_t frames) {
    std::vector<std::string> frameBlocks;
    for (uint32_t f = 0; f < frames; ++f) {
        Canvas c(size, size);
        c.Wedge(up, hull, wing);
        // The engine flame flickers from frame to frame.
        const int flame = static_cast<int>(size) / 8 + static_cast<int>(f);
        if (up)
            c.Box(static_cast<int>(size) / 2 - 1, static_cast<int>(size) - flame,
                  static_cast<int>(size) / 2 + 2, static_cast<int>(size), kOrange);
        frameBlocks.push_back(c.Frame());
    }
    if (entries == 0) return PictureBlock(frameBlocks);
    return PictureBlock(std::vector<std::string>(entries, PictureBlock(frameBlocks)));
}

std::string DiscPicture(uint32_t size, uint16_t colour, uint32_t frames = 1, uint16_t rim = 0) {
    std::vector<std::string> frameBlocks;
    for (uint32_t f = 0; f < frames; ++f) {
        Canvas c(size, size);
        const double r = size / 2.0 * (frames > 1 ? 0.5 + 0.5 * (f + 1) / frames : 1.0);
        if (rim != 0) c.Disc(size / 2.0, size / 2.0, r, rim);
        c.Disc(size / 2.0, size / 2.0, rim != 0 ? r * 0.7 : r, colour);
        frameBlocks.push_back(c.Frame());
    }
    return PictureBlock(frameBlocks);
}

std::string BoxPicture(uint32_t width, uint32_t height, uint16_t colour, uint32_t entries = 0,
                       uint32_t frames = 1) {
    std::vector<std::string> frameBlocks;
    for (uint32_t f = 0; f < frames; ++f) {
        Canvas c(width, height);
        c.Box(0, 0, static_cast<int>(width), static_cast<int>(height), colour);
        c.Box(1, 1, static_cast<int>(width) - 1, static_cast<int>(height) - 1, f % 2 == 0 ? kDark : kGrey);
        frameBlocks.push_back(c.Frame());
    }
    if (entries == 0) return PictureBlock(frameBlocks);
    return PictureBlock(std::vector<std::string>(entries, PictureBlock(frameBlocks)));
}

// Three kinds of star: bright, middle and faint dots.
std::string StarsPicture() {
    std::vector<std::string> entries;
    for (uint16_t colour : {kWhite, kGrey, kDark}) {
        Canvas c(2, 2);
        c.Box(0, 0, 2, 2, colour);
        entries.push_back(PictureBlock({c.Frame()}));
    }
    return PictureBlock(entries);
}

// Interface colours: 1 normal text, 3 highlighted, 6 disabled; the others shades between.
std::string ColourTable() {
    std::vector<uint16_t> colours(16, kGrey);
    colours[0] = 0;
    colours[1] = kWhite;
    colours[2] = kGrey;
    colours[3] = kYellow;
    colours[4] = kBlue;
    colours[5] = kGreen;
    colours[6] = Rgb555(100, 100, 100);
    colours[7] = kRed;
    return PictureBlock({FrameBlock({.width = 16, .height = 1, .bitsPerPixel = 16, .pixels = colours})});
}

// The 256-colour palette ("Misc\Default.col"): black (the transparent index), the demo's own colours
// as 8-bit displays reduce them (the top five bits of each channel), so that their pictures keep
// their colours exactly, then a cube of six levels a channel and a ramp of greys for the rest.
std::string Palette() {
    const auto reduced = [](uint16_t c) {
        return Rgb{static_cast<uint8_t>(c >> 7 & 0xF8), static_cast<uint8_t>(c >> 2 & 0xF8),
                   static_cast<uint8_t>((c & 0x1F) << 3)};
    };
    std::vector<Rgb> colours = {{0, 0, 0}};
    for (uint16_t c : {kWhite, kGrey, kDark, kYellow, kRed, kBlue, kGreen, kOrange, Rgb555(100, 100, 100)})
        colours.push_back(reduced(c));
    constexpr uint8_t kLevels[] = {0, 56, 104, 152, 200, 248};
    for (uint8_t r : kLevels)
        for (uint8_t g : kLevels)
            for (uint8_t b : kLevels) colours.push_back({r, g, b});
    for (uint8_t v = 8; colours.size() < 256; v += 8) colours.push_back({v, v, v});
    return PaletteBlockBytes(colours);
}

std::string Pointer() {
    Canvas c(12, 12);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x <= y / 2 + y / 3 && x < 12; ++x) c.Set(x, y, y == 11 || x == 0 ? kDark : kWhite);
    return PictureBlock({FrameBlock({.width = 12, .height = 12, .bitsPerPixel = 16, .pixels = c.pixels})});
}

std::vector<FdEntry> Pictures() {
    return {
        {"Misc\\Default.col", Palette()},
        {"Misc\\Colors.dpf", ColourTable(), true},
        {"Misc\\GalaxyCursor.dpf", Pointer()},
        {"Misc\\MainShip.dpf", ShipPicture(96, true, kBlue, kGrey, 0, 1)},
        {"Misc\\Stars.dpf", StarsPicture()},
        {"Misc\\SaveDisk.dpf", BoxPicture(8, 8, kBlue, 3, 3)},
        {"Misc\\Broker.dpf", BoxPicture(4, 4, kGrey)},
        {"Misc\\Bonus.dpf", BoxPicture(16, 16, kGreen, 0, 2)},
        {"Misc\\MoneyBonus.dpf", DiscPicture(14, kYellow, 2, kGreen)},
        {"Misc\\EnergyBonus.dpf", DiscPicture(14, kBlue, 2, kGreen)},
        {"Misc\\SchemaLine.dpf", BoxPicture(200, 20, kGrey)},
        {"Misc\\Slider.dpf", BoxPicture(12, 12, kGrey, 0, 2)},
        {"Misc\\Up.dpf", BoxPicture(12, 12, kGrey, 0, 2)},
        {"Misc\\Down.dpf", BoxPicture(12, 12, kGrey, 0, 2)},
        {"Misc\\Slots.dpf", BoxPicture(32, 32, kGrey, 0, 4)},
        {"Misc\\Guides.dpf", BoxPicture(16, 16, kBlue)},
        {"Misc\\Horn.dpf", BoxPicture(16, 16, kYellow)},
        {"Misc\\InputSettings.dpf", BoxPicture(64, 32, kGrey)},
        {"Misc\\StarSystems.dpf", DiscPicture(12, kYellow, 1, kOrange)},
        {"Planets\\EmptyPlanets.dpf", DiscPicture(48, kBlue, 2, kGreen)},
        {"Demo\\Ship.dpf", ShipPicture(24, true, kBlue, kWhite, 5, 2)},
        {"Demo\\Enemy.dpf", ShipPicture(20, false, kRed, kOrange, 0, 2)},
        {"Demo\\Shot.dpf", BoxPicture(2, 8, kYellow)},
        {"Demo\\EnemyShot.dpf", DiscPicture(5, kRed)},
        {"Demo\\Gun.dpf", BoxPicture(16, 16, kYellow)},
        {"Demo\\Market.dpf", DiscPicture(kDemoPlanetSize, kGreen, 1, kBlue)},
        {"Demo\\Moon.dpf", DiscPicture(kDemoPlanetSize, kGrey, 1, kDark)},
        {"Explosions\\Explosion1.dpf", DiscPicture(24, kYellow, 4, kOrange)},
        {"Explosions\\SmallExplosion.dpf", DiscPicture(8, kOrange, 2)},
    };
}

// --- fonts, messages, sounds ---

const std::vector<std::string>& DemoFontNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> all = InterfaceFontNames();
        for (const char* name : {"BigMenu", "Copyright", "QuestionFont", "AnswerFont", "Chars", "Description",
                                 "EventsList", "SmallButton", "System", "SlotType", "Science"})
            all.emplace_back(name);
        return all;
    }();
    return names;
}

// Characters 32 to 126 drawn 5 pixels wide and 7 high: each row from the top, bit 4 leftmost.
constexpr uint8_t kGlyphRows[95][7] = {
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, {0x04, 0x04, 0x04, 0x04, 0x04, 0x00, 0x04},
    {0x0A, 0x0A, 0x00, 0x00, 0x00, 0x00, 0x00}, {0x0A, 0x1F, 0x0A, 0x0A, 0x1F, 0x0A, 0x00},
    {0x04, 0x0F, 0x14, 0x0E, 0x05, 0x1E, 0x04}, {0x18, 0x19, 0x02, 0x04, 0x08, 0x13, 0x03},
    {0x0C, 0x12, 0x14, 0x08, 0x15, 0x12, 0x0D}, {0x04, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00},
    {0x02, 0x04, 0x08, 0x08, 0x08, 0x04, 0x02}, {0x08, 0x04, 0x02, 0x02, 0x02, 0x04, 0x08},
    {0x00, 0x04, 0x15, 0x0E, 0x15, 0x04, 0x00}, {0x00, 0x04, 0x04, 0x1F, 0x04, 0x04, 0x00},
    {0x00, 0x00, 0x00, 0x00, 0x0C, 0x04, 0x08}, {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00},
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}, {0x00, 0x01, 0x02, 0x04, 0x08, 0x10, 0x00},
    {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}, {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E},
    {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}, {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E},
    {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}, {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E},
    {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}, {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08},
    {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}, {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C},
    {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}, {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x04, 0x08},
    {0x02, 0x04, 0x08, 0x10, 0x08, 0x04, 0x02}, {0x00, 0x00, 0x1F, 0x00, 0x1F, 0x00, 0x00},
    {0x08, 0x04, 0x02, 0x01, 0x02, 0x04, 0x08}, {0x0E, 0x11, 0x01, 0x02, 0x04, 0x00, 0x04},
    {0x0E, 0x11, 0x01, 0x0D, 0x15, 0x15, 0x0E}, {0x0E, 0x11, 0x11, 0x11, 0x1F, 0x11, 0x11},
    {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}, {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E},
    {0x1C, 0x12, 0x11, 0x11, 0x11, 0x12, 0x1C}, {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F},
    {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}, {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F},
    {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}, {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E},
    {0x07, 0x02, 0x02, 0x02, 0x02, 0x12, 0x0C}, {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11},
    {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}, {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11},
    {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11}, {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E},
    {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}, {0x0E, 0x11, 0x11, 0x11, 0x15, 0x12, 0x0D},
    {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}, {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E},
    {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}, {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E},
    {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}, {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A},
    {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}, {0x11, 0x11, 0x11, 0x0A, 0x04, 0x04, 0x04},
    {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F}, {0x0E, 0x08, 0x08, 0x08, 0x08, 0x08, 0x0E},
    {0x00, 0x10, 0x08, 0x04, 0x02, 0x01, 0x00}, {0x0E, 0x02, 0x02, 0x02, 0x02, 0x02, 0x0E},
    {0x04, 0x0A, 0x11, 0x00, 0x00, 0x00, 0x00}, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x1F},
    {0x08, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00}, {0x00, 0x00, 0x0E, 0x01, 0x0F, 0x11, 0x0F},
    {0x10, 0x10, 0x16, 0x19, 0x11, 0x11, 0x1E}, {0x00, 0x00, 0x0E, 0x10, 0x10, 0x11, 0x0E},
    {0x01, 0x01, 0x0D, 0x13, 0x11, 0x11, 0x0F}, {0x00, 0x00, 0x0E, 0x11, 0x1F, 0x10, 0x0E},
    {0x06, 0x09, 0x08, 0x1C, 0x08, 0x08, 0x08}, {0x00, 0x0F, 0x11, 0x11, 0x0F, 0x01, 0x0E},
    {0x10, 0x10, 0x16, 0x19, 0x11, 0x11, 0x11}, {0x04, 0x00, 0x0C, 0x04, 0x04, 0x04, 0x0E},
    {0x02, 0x00, 0x06, 0x02, 0x02, 0x12, 0x0C}, {0x10, 0x10, 0x12, 0x14, 0x18, 0x14, 0x12},
    {0x0C, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}, {0x00, 0x00, 0x1A, 0x15, 0x15, 0x11, 0x11},
    {0x00, 0x00, 0x16, 0x19, 0x11, 0x11, 0x11}, {0x00, 0x00, 0x0E, 0x11, 0x11, 0x11, 0x0E},
    {0x00, 0x00, 0x1E, 0x11, 0x1E, 0x10, 0x10}, {0x00, 0x00, 0x0D, 0x13, 0x0F, 0x01, 0x01},
    {0x00, 0x00, 0x16, 0x19, 0x10, 0x10, 0x10}, {0x00, 0x00, 0x0E, 0x10, 0x0E, 0x01, 0x1E},
    {0x08, 0x08, 0x1C, 0x08, 0x08, 0x09, 0x06}, {0x00, 0x00, 0x11, 0x11, 0x11, 0x13, 0x0D},
    {0x00, 0x00, 0x11, 0x11, 0x11, 0x0A, 0x04}, {0x00, 0x00, 0x11, 0x11, 0x15, 0x15, 0x0A},
    {0x00, 0x00, 0x11, 0x0A, 0x04, 0x0A, 0x11}, {0x00, 0x00, 0x11, 0x11, 0x0F, 0x01, 0x0E},
    {0x00, 0x00, 0x1F, 0x02, 0x04, 0x08, 0x1F}, {0x02, 0x04, 0x04, 0x08, 0x04, 0x04, 0x02},
    {0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}, {0x08, 0x04, 0x04, 0x02, 0x04, 0x04, 0x08},
    {0x00, 0x00, 0x08, 0x15, 0x02, 0x00, 0x00},
};

// A glyph scaled up by a whole factor, as the font stores it: rows from the bottom (the baseline)
// up, column c in bit c % 8 of byte c / 8 of its row.
GlyphFixture Glyph(const uint8_t (&rows)[7], int scale) {
    const int width = 5 * scale;
    const int height = 7 * scale;
    const int rowBytes = (width + 7) / 8;
    std::string bits(static_cast<size_t>(rowBytes * height), '\0');
    for (int y = 0; y < height; ++y) {
        const uint8_t row = rows[6 - y / scale];
        for (int x = 0; x < width; ++x) {
            if ((row >> (4 - x / scale) & 1) == 0) continue;
            bits[static_cast<size_t>(y * rowBytes + x / 8)] |= static_cast<char>(1 << (x % 8));
        }
    }
    return {static_cast<int8_t>(width), static_cast<int8_t>(height), 0, bits};
}

// Characters 16 to 31: blank but for 23, a solid block, which level bars repeat and edit fields'
// carets blink with (between 16 and 23).
constexpr uint8_t kBlankRows[7] = {};
constexpr uint8_t kBlockRows[7] = {0x1F, 0x1F, 0x1F, 0x1F, 0x1F, 0x1F, 0x1F};
constexpr uint16_t kFirstDemoChar = 16;
constexpr uint16_t kBlockChar = 23;

// Buttons are not underlined: under "-" and "+" a line would read as "=" and a plus-minus sign.
FontFixture DemoFont(int scale, bool underlined) {
    FontFixture font;
    font.firstChar = kFirstDemoChar;
    font.lineHeight = static_cast<uint16_t>(10 * scale);
    font.letterSpacing = static_cast<uint16_t>(scale);
    font.underline = underlined ? 1 : 0;
    for (uint16_t c = kFirstDemoChar; c < 32; ++c)
        font.glyphs.push_back(Glyph(c == kBlockChar ? kBlockRows : kBlankRows, scale));
    for (const auto& rows : kGlyphRows) font.glyphs.push_back(Glyph(rows, scale));
    return font;
}

std::vector<FdEntry> Fonts() {
    std::vector<FdEntry> entries;
    std::string list;
    for (const std::string& name : DemoFontNames()) {
        const std::string entry = "Fonts\\" + name + ".dff";
        list += name + " \"" + entry + "\"\n";
        entries.push_back(
            {entry, FontBlock(DemoFont(name == "BigMenu" || name == "Story" ? 2 : 1, name != "TextButton"))});
    }
    entries.push_back({"Fonts.subs", list});
    return entries;
}

struct Texts {
    uint32_t number;
    std::string first;   // language 1
    std::string second;  // language 2
};

// Both languages of a file; a text the second language leaves empty falls back to the first.
std::string TwoLanguages(const std::vector<Texts>& texts) {
    std::vector<MessageText> first;
    std::vector<MessageText> second;
    for (const Texts& t : texts) {
        first.push_back({t.number, t.first});
        if (!t.second.empty()) second.push_back({t.number, t.second});
    }
    return "Language 1\r\n" + MessageFileText(first) + "Language 2\r\n" + MessageFileText(second);
}

std::vector<Texts> SystemTexts() {
    std::vector<Texts> texts = {
        // Galaxy, planet and star system
        {100, "Galaxy", "Galaxie"},
        {190, "Galaxy map", "Sternkarte"},
        {350, "Game menu", "Spielmenue"},
        {351, "Not enough fuel to fly there", "Zu wenig Treibstoff fuer den Flug"},
        {481, "Fly to this place?", "Dorthin fliegen?"},
        {392, "Sign the contract with %s?", "Den Vertrag mit %s schliessen?"},
        {395, "Start the flight?", "Den Flug beginnen?"},
        {490, "Minute", "Minute"},
        {491, "Hour", "Stunde"},
        {492, "Two hours", "Zwei Stunden"},
        {493, "Day", "Tag"},
        // Ship window and equipment
        {101, "Ship", "Schiff"},
        {102, "Close", "Schliessen"},
        {103, "Equipment", "Ausruestung"},
        {104, "Information", "Information"},
        {105, "Balance", "Balance"},
        {106, "Protection", "Schutz"},
        {118, "Discard", "Wegwerfen"},
        {122, "Throw this item away?", "Diesen Gegenstand wegwerfen?"},
        {123, "Start a new game?", "Ein neues Spiel beginnen?"},
        {150, "Weapon", "Waffe"},
        {151, "Energy", "Energie"},
        {152, "Engine", "Antrieb"},
        {153, "Shield", "Schild"},
        {154, "Grabber", "Greifer"},
        {170, "Top speed", "Hoechstgeschwindigkeit"},
        {171, "Consumption", "Verbrauch"},
        {172, "Capacity", "Kapazitaet"},
        {173, "Charge", "Ladung"},
        {174, "Ammunition", "Munition"},
        {175, "Shots", "Schuss"},
        {176, "Damage", "Schaden"},
        {177, "Fire interval", "Schussabstand"},
        {178, "Split", "Teilen"},
        {180, "Guides", "Lenkung"},
        {183, "Your ship", "Dein Schiff"},
        {189, "Second ship", "Zweites Schiff"},
        {354, "This item does not fit this place", "Dieser Gegenstand passt hier nicht"},
        {360, "Circle", "Kreis"},
        {361, "Angle", "Winkel"},
        {362, "Self-guided", "Selbstgelenkt"},
        {476, "Turning the guns", "Die Waffen drehen sich"},
        {307, "Energy source lost", "Energiequelle verloren"},
        {308, "Not enough energy", "Zu wenig Energie"},
        // Damage kinds, item kinds and skills
        {107, "Impact", "Aufprall"},
        {108, "Laser", "Laser"},
        {109, "Plasma", "Plasma"},
        {110, "Heat", "Hitze"},
        {111, "Cold", "Kaelte"},
        {112, "Ion", "Ionen"},
        {113, "Blast", "Explosion"},
        {114, "Acid", "Saeure"},
        {115, "Radiation", "Strahlung"},
        {116, "Gravity", "Schwerkraft"},
        {200, "Energy", "Energie"},
        {201, "Shells", "Granaten"},
        {202, "Rockets", "Raketen"},
        {203, "Mines", "Minen"},
        {420, "Gunnery", "Geschuetz"},
        {421, "Rocketry", "Raketen"},
        {422, "Piloting", "Fliegen"},
        {423, "Trading", "Handel"},
        {471, "Skill", "Faehigkeit"},
        {301, "Worth", "Wert"},
        {302, "Class", "Klasse"},
        {303, "Cargo room", "Laderaum"},
        {304, "Energy per shot", "Energie je Schuss"},
        {355, "Thrust", "Schub"},
        {359, "Offer", "Anbieten"},
        // Shop
        {182, "Sell", "Verkaufen"},
        {186, "There is no room for it", "Dafuer ist kein Platz"},
        {187, "Buy it and fit it to the ship?", "Kaufen und ins Schiff einbauen?"},
        {188, "Sell this item?", "Diesen Gegenstand verkaufen?"},
        {305, "Sell your old ship before leaving?", "Das alte Schiff vor dem Gehen verkaufen?"},
        {306, "Sell your old ship to pay for this one?", "Das alte Schiff fuer dieses verkaufen?"},
        {310, "cr", "Cr"},
        {340, "You cannot afford it", "Das kannst du nicht bezahlen"},
        {341, "Buy this ship?", "Dieses Schiff kaufen?"},
        {345, "Recharge", "Aufladen"},
        {346, "Nothing needs recharging", "Nichts muss aufgeladen werden"},
        {347, "Recharge everything?", "Alles aufladen?"},
        {358, "It does not fit your ship. Buy it anyway?", "Es passt nicht ins Schiff. Trotzdem kaufen?"},
        {477, "Ship's items", "Im Schiff"},
        {478, "Your items", "Im Lager"},
        // Message boxes
        {117, "OK", "OK"},
        {119, "Cancel", "Abbrechen"},
        {120, "Yes", "Ja"},
        {121, "No", "Nein"},
        // Main menu, game menu, save and load
        {185, "Back", "Zurueck"},
        {191, "Save game", "Spiel speichern"},
        {192, "Quit", "Beenden"},
        {193, "Options", "Optionen"},
        {195, "New game", "Neues Spiel"},
        {196, "Load game", "Spiel laden"},
        {197, "Credits", "Mitwirkende"},
        {198, "Demo", "Vorfuehrung"},
        {199, "Campaign", "Kampagne"},
        {300, "Arcade", "Arcade"},
        {309, "No ship can fly", "Kein Schiff kann fliegen"},
        {311, "Pilot", "Pilot"},
        {312, "Star system", "Sternsystem"},
        {313, "Planet", "Planet"},
        {495, "Saved on", "Gespeichert am"},
        {505, "Level", "Level"},
        {342, "Leave the game?", "Spiel verlassen?"},
        {343, "Quit the game?", "Spiel beenden?"},
        {344, "Replace this save?", "Diesen Spielstand ersetzen?"},
        {348, "One player", "Ein Spieler"},
        {349, "Two players", "Zwei Spieler"},
        {352, "Quit the flight?", "Flug beenden?"},
        {353, "Loading", "Lade"},
        {500, "Leaving", "Abflug"},
        {501, "Flight over", "Flug vorbei"},
        {506, "Three players", "Drei Spieler"},
        {507, "Four players", "Vier Spieler"},
        {510, "Scenario", "Szenario"},
        {511, "Save the players?", "Die Spieler speichern?"},
        // Options and input settings
        {314, "Input settings", "Tasten"},
        {315, "Screen options", "Bildschirm"},
        {317, "Left", "Links"},
        {318, "Right", "Rechts"},
        {319, "Up", "Hoch"},
        {320, "Down", "Runter"},
        {321, "Fire", "Feuer"},
        {322, "Second weapon", "Zweitwaffe"},
        {323, "Change weapon", "Waffe wechseln"},
        {324, "Special", "Spezial"},
        {325, "Mouse", "Maus"},
        {396, "Joystick", "Joystick"},
        {326, "On", "An"},
        {327, "Off", "Aus"},
        {328, "Player", "Spieler"},
        {329, "Defaults", "Standard"},
        {400, "None", "Keiner"},
        {401, "Joystick 1", "Joystick 1"},
        {402, "Joystick 2", "Joystick 2"},
        {330, "Display", "Anzeige"},
        {331, "Colours", "Farben"},
        {332, "Hardware drawing", "Hardware-Zeichnen"},
        {333, "Effects volume", "Lautstaerke Effekte"},
        {334, "Music volume", "Lautstaerke Musik"},
        {335, "Full screen", "Vollbild"},
        {336, "Window", "Fenster"},
        {337, "256 colours", "256 Farben"},
        {338, "High colour", "Hohe Farbtiefe"},
        {339, "The new colour depth applies after a restart", "Die Farbtiefe gilt nach einem Neustart"},
        {356, "Show the stars", "Sterne zeigen"},
        {357, "Show the status", "Status zeigen"},
        {472, "Sound effects", "Soundeffekte"},
        // Player screen and help
        {380, "Pilot", "Pilot"},
        {381, "Skills", "Faehigkeiten"},
        {382, "Items", "Gegenstaende"},
        {383, "Events", "Ereignisse"},
        {384, "Ships", "Schiffe"},
        {390, "Money", "Geld"},
        {410, "Next level at", "Naechstes Level bei"},
        {411, "Experience", "Erfahrung"},
        {470, "Free points", "Freie Punkte"},
        {473, "Tips", "Tipps"},
        {474, "On", "An"},
        {475, "Off", "Aus"},
        {479, "reached a new level", "hat ein neues Level erreicht"},
        {480, "Level", "Level"},
        // High scores
        {520, "Your name:", "Dein Name:"},
        {521, "High scores", "Bestenliste"},
    };
    // Every other number the screens may ask for holds a plain text, so that none is missing.
    std::vector<Texts> all;
    for (uint32_t n = 1; n < 700; ++n) {
        const auto named =
            std::find_if(texts.begin(), texts.end(), [n](const Texts& t) { return t.number == n; });
        all.push_back(named != texts.end() ? *named : Texts{n, "Text " + std::to_string(n), ""});
    }
    return all;
}

std::vector<Texts> KeyNames() {
    std::vector<Texts> texts = {
        {0x20, "Space", "Leertaste"}, {0x25, "Left", "Links"},  {0x26, "Up", "Hoch"},
        {0x27, "Right", "Rechts"},    {0x28, "Down", "Runter"}, {0x0D, "Enter", "Eingabe"},
        {0x1B, "Escape", "Escape"},   {0x11, "Ctrl", "Strg"},   {0x10, "Shift", "Umschalt"}};
    for (char c : std::string("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"))
        texts.push_back({static_cast<uint32_t>(c), std::string(1, c), ""});
    return texts;
}

// The help and the tips of every screen: one general text under each number they use.
std::vector<Texts> HelpTexts() {
    std::vector<Texts> texts;
    for (uint32_t n = 1; n < 100; ++n)
        texts.push_back({n, "The mouse steers the ship and the pointer; Space fires. Shoot the red ships.",
                         "Die Maus steuert Schiff und Zeiger; die Leertaste feuert."});
    return texts;
}

std::vector<FdEntry> Messages() {
    return {
        {"system.mes", TwoLanguages(SystemTexts())},
        {"Keys.mes", TwoLanguages(KeyNames())},
        {"Help.mes", TwoLanguages(HelpTexts())},
        {"Copyright.mes", TwoLanguages({{1, "Vondrel demo content", "Vondrel Demo-Inhalt"}})},
        {"Misc\\Credits.mes",
         TwoLanguages({{1, "Vondrel\n\nDemo content built by the project's own tools.\n\nThanks for playing.",
                        "Vondrel\n\nDemo-Inhalt aus den eigenen Werkzeugen.\n\nDanke fuers Spielen."}})},
    };
}

std::vector<FdEntry> Sounds() {
    return {
        {"Sound.subs",
         "Click \"Misc\\Click.wav\"\n"
         "Misc\\FlyAway.mp3 \"Misc\\FlyAway.wav\"\n"
         "ShipExplosion \"Misc\\ShipExplosion.wav\"\n"},
        {"Misc\\Click.wav", WaveFile(441)},
        {"Misc\\Silence.wav", WaveFile(64)},
        {"Misc\\FlyAway.wav", WaveFile(11025)},
        {"Misc\\ShipExplosion.wav", WaveFile(6615)},
        {"Explosions\\Explosion1.wav", WaveFile(4410)},
    };
}

// --- script classes ---

Words Join(std::initializer_list<Words> pieces) {
    return CodeWords(pieces);
}

uint32_t Op(::Op operation) {
    return OpWord(operation);
}

// A table of the ten damage (or armour) values: the first kinds of them value, the others 0.
Words TablePush(int32_t value, uint32_t kinds = kDamageKinds) {
    std::string bytes(kDamageKinds * 4, '\0');
    for (uint32_t k = 0; k < kinds; ++k) StoreU32(reinterpret_cast<uint8_t*>(bytes.data()) + 4 * k, value);
    // The inline data is one word longer than the table: the words after the table stay 0.
    return PushTextWords(bytes);
}

// An object of the used class made from what lies on the stack, appended to the list of that ID.
void NewIntoList(ScriptAssembler& a, uint32_t cls, uint32_t objectManager, uint32_t listId) {
    a.Op(Op::PushInline, {cls});
    a.Op(Op::ClassOf);
    a.Op(Op::NewObject);
    a.Call(4, objectManager, Receiver::ObjectId, listId);
}

void PushWords(ScriptAssembler& a, const Words& words) {
    for (uint32_t w : words) a.Word(w);
}

// Step of an enemy (the frame number on the stack): moves as an actor does and every few steps
// drops a shot under itself into the list of shots that hit ships.
Words EnemyStep() {
    constexpr uint32_t kImages = 2, kLists = 3, kShot = 4;
    ScriptAssembler a;
    const auto skip = a.NewLabel();
    a.Op(Op::Dup);
    a.CallVirtual(2, 1);
    a.Op(Op::PushInline, {static_cast<uint32_t>(kDemoEnemyFirePeriod)});
    a.Op(Op::Mod);
    a.Jump(Op::JumpIfNonZero, skip);
    // Shot pops class, picture, energy, x, y, speed x and y, damage table, armour table.
    a.Op(Op::PushInline, {0});
    PushWords(a, TablePush(10, 1));
    a.Op(Op::PushInline, {400});
    a.Op(Op::PushInline, {0});
    a.Call(5, 1);
    a.Op(Op::Fetch);
    a.Op(Op::PushInline, {1200});
    a.Op(Op::Add);
    a.Call(4, 1);
    a.Op(Op::Fetch);
    a.Op(Op::PushInline, {1});
    PushWords(a, PushPictureWords("Demo\\EnemyShot.dpf", kImages));
    NewIntoList(a, kShot, kLists, kFlightList11Id);
    a.Bind(skip);
    return a.Finish();
}

// Step of the level (the frame number on the stack): the first step sets the scroll speed and sends
// the enemies and a bonus; once the progress passes the level's length the level is finished.
Words LevelStep() {
    constexpr uint32_t kImages = 2, kLists = 3, kEnemy = 4, kMoney = 5;
    ScriptAssembler a;
    const auto started = a.NewLabel();
    const auto going = a.NewLabel();
    a.Op(Op::Dup);
    a.CallVirtual(2, 1);
    // The level's script value is 3 when it is made: the first step marks it.
    a.Call(16, 1);
    a.Op(Op::PushInline, {3});
    a.Op(Op::Equal);
    a.Jump(Op::JumpIfZero, started);
    a.Op(Op::PushInline, {4});
    a.Call(15, 1);
    a.Op(Op::PushInline, {100});
    a.Call(4, 1);
    a.Op(Op::Store);
    for (int32_t i = 0; i < kDemoEnemyCount; ++i) {
        // Actor pops class, picture, energy, x, y, speed x and y, damage table, armour table.
        a.Op(Op::PushInline, {0});
        PushWords(a, TablePush(50));
        a.Op(Op::PushInline, {60});
        a.Op(Op::PushInline, {static_cast<uint32_t>(i == 1 ? 0 : (i == 0 ? 40 : -40))});
        a.Op(Op::PushInline, {static_cast<uint32_t>(-2000 - 3000 * i)});
        a.Op(Op::PushInline, {static_cast<uint32_t>(16000 + 16000 * i)});
        a.Op(Op::PushInline, {30});
        PushWords(a, PushPictureWords("Demo\\Enemy.dpf", kImages));
        NewIntoList(a, kEnemy, kLists, kFlightActorListId);
    }
    // MoneyBonus pops class, amount, x, y, value.
    a.Op(Op::PushInline, {0});
    a.Op(Op::PushInline, {static_cast<uint32_t>(-6000)});
    a.Op(Op::PushInline, {32000});
    a.Op(Op::PushInline, {500});
    NewIntoList(a, kMoney, kLists, kFlightActorListId);
    a.Bind(started);
    a.Call(17, 1);
    a.Op(Op::PushInline, {static_cast<uint32_t>(kDemoLevelLength * 100)});
    a.Op(Op::Greater);
    a.Jump(Op::JumpIfZero, going);
    a.Call(13, 1);
    a.Bind(going);
    a.Op(Op::Drop);
    return a.Finish();
}

// A scenario's Start: flies the level (GameManager method 4), then answers 0: the game is over.
Words ScenarioStart() {
    return Join({PushTextWords(kDemoLevelClass),
                 {ScriptAssembler::CallWord(4, 2, false, Receiver::ObjectId, kGameManagerId), Op(Op::Drop)},
                 PushIntWords(0)});
}

// Adds the stars (HeavenControl pops its star count, then 0) and the two planets (Planet pops
// picture, x, y, id) to the window on top of the stack, which stays there. The arguments are the
// numbers of the classes in the uses list.
void AddStarsAndPlanets(ScriptAssembler& a, uint32_t dialog, uint32_t images, uint32_t heaven,
                        uint32_t shopPlanet, uint32_t otherPlanet) {
    a.Op(Op::Dup);
    a.Op(Op::PushInline, {0});
    a.Op(Op::PushInline, {200});
    a.Op(Op::PushInline, {heaven});
    a.Op(Op::ClassOf);
    a.Op(Op::NewObject);
    a.Op(Op::Swap);
    a.Call(7, dialog, Receiver::Popped);
    const struct {
        uint32_t cls;
        const char* picture;
        int32_t x, id;
    } planets[] = {{shopPlanet, "Demo\\Market.dpf", kDemoShopPlanetX, kDemoShopPlanetId},
                   {otherPlanet, "Demo\\Moon.dpf", kDemoDescribedPlanetX, kDemoDescribedPlanetId}};
    for (const auto& planet : planets) {
        a.Op(Op::Dup);
        a.Op(Op::PushInline, {static_cast<uint32_t>(planet.id)});
        a.Op(Op::PushInline, {static_cast<uint32_t>(kDemoPlanetY)});
        a.Op(Op::PushInline, {static_cast<uint32_t>(planet.x)});
        PushWords(a, PushPictureWords(planet.picture, images));
        a.Op(Op::PushInline, {planet.cls});
        a.Op(Op::ClassOf);
        a.Op(Op::NewObject);
        a.Op(Op::Swap);
        a.Call(7, dialog, Receiver::Popped);
    }
}

// The shop for the first player with every item of the game in stock (ShopDialog pops class,
// player), run and deleted.
void RunShop(ScriptAssembler& a, uint32_t lists, uint32_t shop, uint32_t firstItem) {
    a.Call(5, lists, Receiver::ObjectId, kPlayerListId);
    a.Op(Op::PushInline, {shop});
    a.Op(Op::ClassOf);
    a.Op(Op::NewObject);
    for (uint32_t item = 0; item < kDemoItemClasses.size(); ++item) {
        a.Op(Op::Dup);
        a.Op(Op::PushInline, {firstItem + item});
        a.Op(Op::ClassOf);
        a.Op(Op::NewObject);
        a.Op(Op::Swap);
        a.Call(19, shop, Receiver::Popped);
    }
    // The stock grid: x, y, columns, rows through the references of methods 20-23.
    const uint32_t grid[] = {150, 70, 6, 3};
    for (uint32_t i = 0; i < 4; ++i) {
        a.Op(Op::Dup);
        a.Call(20 + i, shop, Receiver::Popped);
        a.Op(Op::PushInline, {grid[i]});
        a.Op(Op::Swap);
        a.Op(Op::Store);
    }
    a.Op(Op::Dup);
    a.Call(5, lists, Receiver::ObjectId, kPlayerListId);
    a.Op(Op::Swap);
    a.Call(4, shop, Receiver::Popped);
    a.Op(Op::Drop);
    a.Op(Op::DeleteObject);
}

// The game menu over the window running this code (GameManager method 5 pops the window, then its
// flags): leaving the game (2 or 3) ends the window with that result; after a save or Back (1)
// the window goes on.
void GameMenuOverThisWindow(ScriptAssembler& a, uint32_t manager, uint32_t dialog) {
    const auto stay = a.NewLabel();
    const auto done = a.NewLabel();
    a.Op(Op::PushInline, {0});
    a.Op(Op::This);
    a.Call(5, manager, Receiver::ObjectId, kGameManagerId);
    a.Op(Op::Dup);
    a.Op(Op::PushInline, {2});
    a.Op(Op::GreaterEqual);
    a.Jump(Op::JumpIfZero, stay);
    a.Call(11, dialog);
    a.Op(Op::Store);
    a.Jump(Op::Jump, done);
    a.Bind(stay);
    a.Op(Op::Drop);
    a.Bind(done);
}

// Classes the planet window's code uses, by number.
constexpr uint32_t kOrbitDialog = 2, kOrbitImages = 3, kOrbitHeaven = 4, kOrbitShopPlanet = 5,
                   kOrbitOtherPlanet = 6, kOrbitManager = 7, kOrbitLists = 8, kOrbitShop = 9,
                   kOrbitFirstItem = 10;

// Event of the planet window (code, p1, id pushed, the id on top): a primary click on the shop's
// planet opens the shop and then the game menu; one on the other planet shows its description in
// a box over the window; the galaxy button ends the window for the galaxy map and the game-menu
// button opens the game menu. Everything else is left alone.
Words OrbitEvent() {
    ScriptAssembler a;
    const auto done = a.NewLabel();
    const auto notShop = a.NewLabel();
    const auto notMoon = a.NewLabel();
    const auto notMenu = a.NewLabel();
    const auto end = a.NewLabel();
    a.Op(Op::Swap);
    a.Op(Op::Drop);
    a.Op(Op::Swap);
    a.Op(Op::PushInline, {1});
    a.Op(Op::Equal);
    a.Jump(Op::JumpIfZero, done);
    a.Op(Op::Dup);
    a.Op(Op::PushInline, {static_cast<uint32_t>(kDemoShopPlanetId)});
    a.Op(Op::Equal);
    a.Jump(Op::JumpIfZero, notShop);
    a.Op(Op::Drop);
    RunShop(a, kOrbitLists, kOrbitShop, kOrbitFirstItem);
    GameMenuOverThisWindow(a, kOrbitManager, kOrbitDialog);
    a.Jump(Op::Jump, end);
    a.Bind(notShop);
    a.Op(Op::Dup);
    a.Op(Op::PushInline, {static_cast<uint32_t>(kDemoDescribedPlanetId)});
    a.Op(Op::Equal);
    a.Jump(Op::JumpIfZero, notMoon);
    // Message box pops typing speed, picture, style, text.
    a.Call(10, kOrbitDialog);
    a.CallVirtual(kDescriptionVirtual, kOrbitOtherPlanet, Receiver::Popped);
    a.Op(Op::PushInline, {1});
    a.Op(Op::PushInline, {0});
    a.Op(Op::PushInline, {200});
    a.Call(15, kOrbitDialog);
    a.Op(Op::Drop);
    a.Jump(Op::Jump, end);
    a.Bind(notMoon);
    a.Op(Op::Dup);
    a.Op(Op::PushInline, {static_cast<uint32_t>(kPlanetResultGalaxyMap)});
    a.Op(Op::Equal);
    a.Jump(Op::JumpIfZero, notMenu);
    a.Call(11, kOrbitDialog);
    a.Op(Op::Store);
    a.Jump(Op::Jump, end);
    a.Bind(notMenu);
    a.Op(Op::PushInline, {static_cast<uint32_t>(kDemoGameMenuButtonId)});
    a.Op(Op::Equal);
    a.Jump(Op::JumpIfZero, end);
    GameMenuOverThisWindow(a, kOrbitManager, kOrbitDialog);
    a.Jump(Op::Jump, end);
    a.Bind(done);
    a.Op(Op::Drop);
    a.Bind(end);
    return a.Finish();
}

// A window of the demo's star system (its own, or the planet window the player sees there): the
// stars, the two planets and the standard buttons (native 19).
Words WindowWithPlanets() {
    ScriptAssembler a;
    AddStarsAndPlanets(a, kOrbitDialog, kOrbitImages, kOrbitHeaven, kOrbitShopPlanet, kOrbitOtherPlanet);
    a.Op(Op::Dup);
    a.Call(19, 1, Receiver::Popped);
    return a.Finish();
}

// The campaign's Start. A new game sets the game date, flies the level and records that it did;
// then, as after loading a save, the galaxy step enters the location the pilot stands at: the
// star system "Vesta", whose planet window shows both planets. The game is over when that window
// ends for leaving the game.
Words CampaignStart() {
    constexpr uint32_t kManager = 2, kEvents = 3, kTime = 4;
    ScriptAssembler a;
    const auto flown = a.NewLabel();
    PushWords(a, PushTextWords(kDemoStarSystemTable));
    a.Call(6, kManager, Receiver::ObjectId, kGameManagerId);
    PushWords(a, PushTextWords(kDemoFlownEvent));
    a.Call(4, kEvents, Receiver::ObjectId, kEventManagerId);
    a.Jump(Op::JumpIfNonZero, flown);
    // GTime method 10 pops second, minute, hour, day and year after the time itself.
    for (uint32_t value : {kDemoStartYear, kDemoStartDay, 0u, 0u, 0u}) a.Op(Op::PushInline, {value});
    a.Call(17, kManager, Receiver::ObjectId, kGameManagerId);
    a.Call(10, kTime, Receiver::Popped);
    PushWords(a, PushTextWords(kDemoLevelClass));
    a.Call(4, kManager, Receiver::ObjectId, kGameManagerId);
    a.Op(Op::Drop);
    // EventManager method 14 pops value, text, kind and key.
    PushWords(a, PushTextWords(kDemoFlownEvent));
    a.Op(Op::PushInline, {0});
    PushWords(a, PushTextWords(""));
    a.Op(Op::PushInline, {0});
    a.Call(14, kEvents, Receiver::ObjectId, kEventManagerId);
    a.Bind(flown);
    a.Call(7, kManager, Receiver::ObjectId, kGameManagerId);
    a.Op(Op::PushInline, {0});
    return a.Finish();
}

// The star-system table with the demo's one system, its description entry and the message file
// of its shown name.
std::vector<FdEntry> StarSystems() {
    const std::string description = "Galaxy\\Vesta.txt";
    const std::string system =
        SCBlock("SSYF", description + std::string(1, '\0'), LeU32(320) + LeU32(240),
                {SEBlock("NAME", std::string(kDemoStarSystemName) + std::string(1, '\0'))});
    return {
        {kDemoStarSystemTable, SCBlock("GLXY", "", {system})},
        {description, std::string(kDemoStarSystemClass) + "\r\nStandard\r\nGalaxy\\Vesta.mes\r\n"},
        {"Galaxy\\Vesta.mes", TwoLanguages({{1, kDemoStarSystemShownName, "Das Vesta-System"}})},
    };
}

std::vector<ScriptSubclass> Classes() {
    // EnergyWeapon pops picture, x, y, direction x and y, value D, consumption, alternative picture,
    // interval, value J, kind B, kind A, needs ammunition, value F, base value, energy per shot, shot
    // speed, shot energy, armour and damage tables, shot picture: pushed here the other way round.
    // The shot's speed is the firing direction (a unit vector times 100) times the shot speed, in
    // hundredths of a pixel a step: 10 flies 10 pixels a step, up the field in under two seconds.
    Words gun = Join({PushUnderClass(PushPictureWords("Demo\\Shot.dpf", 2)), PushUnderClass(TablePush(10)),
                      PushUnderClass(PushIntWords(0))});
    for (int32_t value : {1, kDemoShotSpeed, 2, 100, 0, 0, 0, 0, 0, 8, 0, 0, 0, -100, 0, 0, 0})
        gun = Join({gun, PushUnderClass(PushIntWords(value))});
    gun = Join({gun, PushUnderClass(PushPictureWords("Demo\\Gun.dpf", 2))});
    const std::vector<std::string> levelUses = {"ImageManager", "ObjectManager", kDemoEnemyClass,
                                                "MoneyBonus"};
    // In the order of the kOrbit numbers.
    const std::vector<std::string> orbitUses = {
        "Dialog",           "ImageManager",  "HeavenControl", kDemoShopPlanetClass, kDemoDescribedPlanetClass,
        "GameManager",      "ObjectManager", "ShopDialog",    kDemoItemClasses[0],  kDemoItemClasses[1],
        kDemoItemClasses[2]};
    // A planet's window (virtual method 14): the planet window of the demo's system.
    const Words planetView = {Op(Op::PushInline), 2, Op(Op::ClassOf), Op(Op::NewObject)};
    return {
        // Ship pops picture, damage, protection, the slot counts from the last group to the first,
        // values A, B and C, mass, base consumption: one weapon, one energy source, one engine and a
        // hold of two. Its damage table is what it deals in a collision: an enemy shot that hits it
        // is used up at once instead of hitting it again on every step it takes through the hull.
        {.name = kDemoShipClass,
         .base = "Ship",
         // The fire and equipment steps are called as the ship's own methods: they pass to the base's.
         .methods = {{41, {BaseCallWord(41)}}, {42, {BaseCallWord(42)}}},
         .uses = {"ImageManager"},
         .createValues = {0, 1, 0, 0, 0, 1, 1, 1, 0, 0, 2, 0},
         .createCode =
             Join({PushUnderClass(TablePush(10, 1)), PushUnderClass(PushPictureWords("Demo\\Ship.dpf", 2))})},
        // Akb pops picture, capacity, value F, base value; Engine picture, thrust, consumption and two
        // values.
        {.name = "DemoCell", .base = "Akb", .createValues = {50, 0, 30000, 0}},
        {.name = "DemoEngine", .base = "Engine", .createValues = {40, 0, 60, 3000, 0}},
        // The ship asks a weapon for its ammunition through the weapon's own method.
        {.name = "DemoGun",
         .base = "EnergyWeapon",
         .methods = {{32, {BaseCallWord(32)}}},
         .uses = {"ImageManager"},
         .createCode = gun},
        {.name = kDemoEnemyClass,
         .base = "Actor",
         .virtuals = {{2, EnemyStep()}},
         .uses = {"ImageManager", "ObjectManager", "Shot"}},
        {.name = kDemoLevelClass, .base = "Level", .virtuals = {{2, LevelStep()}}, .uses = levelUses},
        // The main screen's idle demos fly levels of these names.
        {.name = kDemoIdleLevels[0], .base = "Level", .virtuals = {{2, LevelStep()}}, .uses = levelUses},
        {.name = kDemoIdleLevels[1], .base = "Level", .virtuals = {{2, LevelStep()}}, .uses = levelUses},
        {.name = kDemoArcadeScenario,
         .base = "Scenario",
         .virtuals = {{2, ScenarioStart()}, {3, PushTextWords("Demo arcade")}},
         .uses = {"GameManager"}},
        {.name = kDemoScenarioClass,
         .base = "Scenario",
         .virtuals = {{2, ScenarioStart()},
                      {3, PushTextWords(kDemoScenarioName)},
                      {4, PushTextWords("One pilot against a raiding party. No shop, no second chance.")}},
         .uses = {"GameManager"}},
        // The star system's window as the galaxy map opens it, and the planet window the player sees
        // at either of its planets; both hold the two planets.
        {.name = kDemoStarSystemClass,
         .base = "StarSystemZoomed",
         .uses = orbitUses,
         .afterCreate = WindowWithPlanets()},
        {.name = kDemoOrbitClass,
         .base = "PlanetZoomed",
         .virtuals = {{kDialogEventVirtual, OrbitEvent()}},
         .uses = orbitUses,
         .afterCreate = WindowWithPlanets()},
        {.name = kDemoShopPlanetClass,
         .base = "Planet",
         .virtuals = {{kPlanetViewVirtual, planetView},
                      {kPlanetNameVirtual, PushTextWords(kDemoShopPlanetName)},
                      {kDescriptionVirtual, PushTextWords("Kessa: a trading post. Its shop sells guns, cells "
                                                          "and engines.")}},
         .uses = {kDemoOrbitClass}},
        {.name = kDemoDescribedPlanetClass,
         .base = "Planet",
         .virtuals = {{kPlanetViewVirtual, planetView},
                      {kPlanetNameVirtual, PushTextWords(kDemoDescribedPlanetName)},
                      {kDescriptionVirtual, PushTextWords("Orin: a cold moon of ice and rock. Nobody lives "
                                                          "there.")}},
         .uses = {kDemoOrbitClass}},
        {.name = kDemoCampaignScenario,
         .base = "Scenario",
         .virtuals = {{2, CampaignStart()}, {3, PushTextWords("Demo campaign")}},
         .uses = {"GameManager", "EventManager", "GTime"}},
    };
}

// --- players ---

std::string Pilot(const std::string& name, const std::string& scratch) {
    PlayerConfig config;
    config.SetName(name);
    config.SetFields(10000, 0, 1, 0);
    config.SetLocation(kDemoStarSystemName, kDemoShopPlanetName);
    auto ship = std::make_unique<ShipConfig>();
    ship->SetClassName(kDemoShipClass);
    ship->Slots().Items().push_back(std::make_unique<SsltBlock>(kSlotWeapon, 1, 0, "DemoGun"));
    ship->Slots().Items().push_back(std::make_unique<SsltBlock>(kSlotEnergy, 1, 0, "DemoCell"));
    ship->Slots().Items().push_back(std::make_unique<SsltBlock>(kSlotEngine, 1, 0, "DemoEngine"));
    // A spare cell in the hold, for the shop to buy.
    ship->Slots().Items().push_back(std::make_unique<SsltBlock>(kSlotHold, 1, 0, "DemoCell"));
    config.SetShip(std::move(ship));
    std::string bytes = StoredBytes(config, scratch);
    std::error_code ignored;
    std::filesystem::remove(scratch, ignored);
    return bytes;
}

// The idle demos' input, fire held down throughout: the ship leaves where the flight places it and
// weaves from side to side out of the enemies' line of fire, low in the field in the first demo,
// climbing to meet them and falling back in the second. The level ends the flight before the
// recording runs out.
std::vector<FdEntry> IdleDemos() {
    const auto steps = static_cast<uint32_t>(kDemoIdleDemoSteps);
    const auto actions = static_cast<uint32_t>(std::size(kDemoPlayerKeys));
    std::vector<DemoWaypoint> low = {{0, 320, 384}, {20, 320, 384}};
    std::vector<DemoWaypoint> climbing = low;
    for (uint32_t k = 0; 60 + 80 * k < steps; ++k) {
        low.push_back({60 + 80 * k, k % 2 == 0 ? 100 : 540, 400});
        climbing.push_back({60 + 70 * k, k % 2 == 0 ? 560 : 80, k % 4 < 2 ? 320 : 420});
    }
    return {
        {kDemoIdleDemos[0].demoFile, DemoRecording(actions, steps, low, 5, steps)},
        {kDemoIdleDemos[1].demoFile, DemoRecording(actions, steps, climbing, 15, steps)},
    };
}

std::vector<FdEntry> Players() {
    const std::string one = Pilot("Pilot", "demo-pilot-1.PCFG");
    const std::string two = one + Pilot("Wingman", "demo-pilot-2.PCFG");
    return {
        {kDemoArcadePlayers, two},
        {kDemoCampaignPlayers, one},
        {"Levels\\Campaign\\Campaign2Player.PCFG", two},
        {"DefPlCfg.PCFG", one},
        {"Players.PCFG", one},
        {kDemoIdleDemos[0].playerFile, Pilot("Demo pilot", "demo-pilot-3.PCFG")},
        {kDemoIdleDemos[1].playerFile, Pilot("Demo pilot", "demo-pilot-3.PCFG")},
        {"AllItems.lst", std::string(kDemoItemClasses[0]) + "\r\n" + kDemoItemClasses[1] + "\r\n" +
                             kDemoItemClasses[2] + "\r\n"},
    };
}

}  // namespace

std::vector<FdEntry> DemoArchiveEntries() {
    const Words first(std::begin(kDemoPlayerKeys), std::end(kDemoPlayerKeys));
    StartupArchiveOptions options;
    // The first player's mapping takes the mouse too: the menus run on it.
    options.extra = {{"Keys.INPD", InputDeviceFile(first, true) +
                                       InputDeviceFile({'A', 'D', 'W', 'S', 'Q', 'E', 'R', 'F'})}};
    for (auto* part : {&Pictures, &Fonts, &Messages, &Sounds, &Players, &IdleDemos, &StarSystems})
        for (FdEntry& e : part()) options.extra.push_back(std::move(e));
    for (const ScriptSubclass& cls : Classes())
        options.extra.push_back({cls.name + ".glc", cls.Library().Build()});
    for (const FdEntry& e : options.extra) {
        for (const std::string& name : StartupEntryNames())
            if (name == e.name) options.omit.push_back(name);
    }
    options.omit.emplace_back("Fonts\\Default.dff");
    options.omit.emplace_back("Misc\\Silence.wav");
    return StartupArchiveEntries(options);
}

std::string DemoArchive() {
    FdWriter writer;
    writer.Group(DemoArchiveEntries());
    return writer.Build();
}

std::vector<FdEntry> DemoLooseFiles() {
    return {
        {kDemoScenarioFile, std::string(kDemoScenarioClass) + " \"" + kDemoScenarioPlayers + "\"\r\n"},
        {kDemoScenarioPlayers, Pilot("Scout", "demo-pilot-4.PCFG")},
    };
}
