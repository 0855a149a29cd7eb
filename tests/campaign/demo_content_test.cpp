// What the demo game's content holds for the screens that draw it: a glyph for every character of its
// texts and word spaces that read as spaces, interface pictures with the frames each screen draws and
// none of them a flat placeholder box, and a music module that sounds and loops.
#include "tools/content/demo_content.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "graphics/font.h"
#include "graphics/frame.h"
#include "graphics/image.h"
#include "graphics/text_layout.h"
#include "platform/module_decoder.h"
#include "tests/support/game_harness.h"
#include "tools/content/demo_sound.h"

namespace {

class DemoContentTest : public ::testing::Test {
  protected:
    DemoContentTest() {
        for (const FdEntry& e : DemoArchiveEntries()) {
            game.AddEntry(e.name, e.data, e.packed);
            if (e.name.ends_with(".mes")) texts += e.data;
        }
        game.Start();
    }

    GameHarness game;
    std::string texts;  // every message file's bytes, both languages
};

bool Drawn(const Glyph& glyph) {
    if (glyph.bits == nullptr) return false;
    const auto bytes = static_cast<size_t>((glyph.width + 7) / 8 * glyph.height);
    return std::any_of(glyph.bits, glyph.bits + bytes, [](uint8_t b) { return b != 0; });
}

TEST_F(DemoContentTest, EveryCharacterOfTheTextsHasAGlyphAndWordsStandApart) {
    std::set<uint8_t> used(texts.begin(), texts.end());
    used.insert(23);  // the level bars' mark
    for (const char* name : {"Default", "StaticText", "TextButton", "BigMenu", "HelpFont", "EventsList"}) {
        SCOPED_TRACE(name);
        const Font* font = game.FontNamed(name);
        ASSERT_NE(font, nullptr);
        for (uint8_t c : used) {
            if (c > ' ') {
                EXPECT_TRUE(Drawn(font->GlyphFor(c))) << "character " << int{c};
            }
        }
        // A word space (twice the letter spacing, after the letter's own gap) is at least four pixels.
        EXPECT_GE(TextWidth(*font, "n n") - TextWidth(*font, "nn"), 4);
    }
    // The German texts are written with their own letters.
    EXPECT_NE(texts.find("Vorf\xFChrung"), std::string::npos);
    EXPECT_EQ(texts.find("Vorfuehrung"), std::string::npos);
}

// A frame a screen draws is a picture when some of it is transparent or it has at least three
// colours; a placeholder box is one colour inside another.
bool APicture(Frame& frame) {
    std::set<uint32_t> colours;
    for (uint32_t y = 0; y < frame.Height(); ++y)
        for (uint32_t x = 0; x < frame.Width(); ++x) colours.insert(frame.PixelAt(x, y));
    return colours.contains(0) || colours.size() >= 3;
}

TEST_F(DemoContentTest, TheInterfacePicturesHaveTheFramesTheScreensDrawAndNoneIsABox) {
    const struct {
        const char* name;
        uint32_t entries;  // 0: the frames are the picture's own
        uint32_t frames;
    } pictures[] = {
        {"Misc\\Up.dpf", 0, 1},
        {"Misc\\Down.dpf", 0, 1},
        {"Misc\\Slider.dpf", 0, 1},
        {"Misc\\Slots.dpf", 0, 7},
        {"Misc\\Horn.dpf", 0, 2},
        {"Misc\\InputSettings.dpf", 0, 2},
        {"Misc\\SchemaLine.dpf", 0, 1},
        {"Misc\\SaveDisk.dpf", 3, 3},
        {"Misc\\StarSystems.dpf", 3, 1},
        {"Misc\\MainShip.dpf", 0, 1},
        {"Misc\\Bonus.dpf", 0, 2},
        {"Misc\\GalaxyCursor.dpf", 0, 1},
        {"Planets\\EmptyPlanets.dpf", 1, 1},
        {"Demo\\Gun.dpf", 0, 1},
        {"Demo\\Cell.dpf", 0, 1},
        {"Demo\\Engine.dpf", 0, 1},
        {"Demo\\Foreman.dpf", 0, 1},
    };
    for (const auto& p : pictures) {
        SCOPED_TRACE(p.name);
        Image* picture = game.Picture(p.name);
        ASSERT_NE(picture, nullptr);
        std::vector<Image*> holders{picture};
        if (p.entries != 0) {
            ASSERT_GE(picture->SubImageCount(), p.entries);
            holders.clear();
            for (uint32_t e = 0; e < p.entries; ++e)
                holders.push_back(picture->EntryAt(static_cast<int32_t>(e)));
        }
        for (Image* holder : holders) {
            ASSERT_GE(holder->FrameCount(), p.frames);
            for (uint32_t f = 0; f < p.frames; ++f)
                EXPECT_TRUE(APicture(*holder->GetFrame(static_cast<int32_t>(f))));
        }
    }
    // The horns stand on the screen's edges: frame 0 from its left side, frame 1 up to its right.
    Image* horn = game.Picture("Misc\\Horn.dpf");
    EXPECT_EQ(horn->GetFrame(0)->OriginX(), 0);
    EXPECT_EQ(horn->GetFrame(1)->OriginX(), static_cast<int32_t>(horn->GetFrame(1)->Width()));
}

TEST(DemoMusicTest, TheModuleSoundsPlaysOnceForAHalfMinuteAndLoopsWhenAsked) {
    const std::string module = DemoMusicModule();
    const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(module.data()), module.size());
    ASSERT_TRUE(ModuleDecoder::LooksLikeModule(bytes));
    auto music = ModuleDecoder::Open(bytes);
    ASSERT_NE(music, nullptr);
    constexpr int32_t kRate = 22050;
    std::vector<int16_t> buffer(2 * kRate);
    // The first second already sounds.
    ASSERT_EQ(music->Render(kRate, buffer.data(), kRate), static_cast<size_t>(kRate));
    const auto loudest = std::max_element(buffer.begin(), buffer.end(), [](int16_t a, int16_t b) {
        return std::abs(int{a}) < std::abs(int{b});
    });
    EXPECT_GT(std::abs(int{*loudest}), 2000);
    size_t seconds = 1;
    while (seconds < 120 && music->Render(kRate, buffer.data(), kRate) == static_cast<size_t>(kRate))
        ++seconds;
    EXPECT_GE(seconds, 25u);
    EXPECT_LE(seconds, 40u);
    music->Restart(true);
    for (size_t s = 0; s < 2 * seconds; ++s)
        ASSERT_EQ(music->Render(kRate, buffer.data(), kRate), static_cast<size_t>(kRate)) << s;
}

}  // namespace
