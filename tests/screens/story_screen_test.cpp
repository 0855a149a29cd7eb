#include "screens/story_screen.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "graphics/font.h"
#include "graphics/text_layout.h"
#include "platform/key_table.h"
#include "script/object_lifetime.h"
#include "shell/input_queue.h"
#include "tests/support/game_harness.h"
#include "tests/support/read_bytes.h"
#include "tools/content/font_builder.h"

namespace {

// Glyphs 5 wide and one spacing: 6 pixels a letter, 3 a blank.
TEST(StoryLineTest, LinesEndAtNewlinesTheEndOrTheLastBlankThatFits) {
    const std::unique_ptr<Font> font = ReadFont(FontBlock(UniformFont(96, 5, 7)));
    struct Case {
        std::string_view text;
        size_t start;
        int32_t width;
        size_t begin, length, next;
    };
    const Case cases[] = {
        {"ab cd", 0, 100, 0, 5, 5},            // the end of the text: all of it
        {"ab\ncd", 0, 100, 0, 2, 3},           // a newline
        {"ab cd", 3, 100, 3, 2, 5},            // from the middle
        {"ab cd ef", 0, 20, 0, 2, 3},          // too wide at 'c': back to the blank
        {"ab cd ef", 0, 30, 0, 5, 6},          // the last blank that was seen
        {"abcdef", 0, 20, 0, 0, 1},            // no blank: an empty line, one byte on
        {"\xC8\xC8\xC8\xC8", 0, 20, 0, 0, 1},  // outside the glyphs: the first glyph's width
        {"abc", 0, 18, 0, 3, 3},               // exactly the width fits
        {"", 0, 20, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const StoryLine line = NextStoryLine(*font, c.text, c.start, c.width);
        EXPECT_EQ(line.begin, c.begin) << c.text << " " << c.width;
        EXPECT_EQ(line.length, c.length) << c.text << " " << c.width;
        EXPECT_EQ(line.next, c.next) << c.text << " " << c.width;
    }
}

class StoryScreenTest : public ::testing::Test {
  protected:
    void SetUp() override { game.Start(); }

    // Scroll steps made: each waits two frames.
    size_t Steps(std::string_view text, uint32_t flags) {
        const size_t before = game.Sleeps().size();
        StoryScreen(game.Cpu(), text, flags);
        return (game.Sleeps().size() - before) / 2;
    }

    // Steps from the line's top at the bottom edge (y = 480) until the step that finds its bottom
    // above the top edge (y + step = -1), which still shows a frame.
    int32_t FullPass() {
        const int32_t step = TextHeight(*game.FontNamed("Story"), "A") +
                             static_cast<int32_t>(game.FontNamed("Story")->LineGap());
        return 480 + step + 2;
    }

    GameHarness game;
};

TEST_F(StoryScreenTest, AOneLineTextScrollsAPixelEveryTwoFramesUntilItHasGone) {
    game.PressKey('A');  // before the screen opens: does not skip it
    EXPECT_EQ(Steps("The end", 0), static_cast<size_t>(FullPass()));
    EXPECT_TRUE(game.TakeKeys().empty());
    EXPECT_NE(game.Host().Video().LastFrame(),
              std::vector<uint8_t>(game.Host().Video().LastFrame().size(), 0));
}

TEST_F(StoryScreenTest, AKeyOrAClickSkipsIt) {
    struct Case {
        const char* what;
        uint32_t flags;
        bool click;
        bool stillDown;  // the button is still held when the repeat test asks
    };
    const Case cases[] = {
        {"key", 0, false, false},
        {"key, repeating", kStoryRepeat, false, false},
        {"click", 0, true, false},
        {"held click, repeating", kStoryRepeat, true, true},
    };
    for (const Case& c : cases) {
        const uint32_t at = game.Now() + 10 * 56 + 1;
        game.At(at, [&] {
            if (c.click) {
                game.SetButton(VK_LBUTTON, true);
                if (!c.stillDown) game.SetButton(VK_LBUTTON, false);
            } else {
                game.PressKey(VK_ESCAPE);
                game.ReleaseKey(VK_ESCAPE);
            }
        });
        const size_t steps = Steps("The end", c.flags);
        EXPECT_GE(steps, 10u) << c.what;
        EXPECT_LE(steps, 12u) << c.what;
        EXPECT_TRUE(game.TakeKeys().empty()) << c.what;
        game.SetButton(VK_LBUTTON, false);
    }
}

TEST_F(StoryScreenTest, TheRepeatFlagStartsTheTextAgainUntilAKey) {
    const uint32_t at = game.Now() + static_cast<uint32_t>(FullPass()) * 56 * 2 + 200;
    game.At(at, [&] { game.PressKey(VK_ESCAPE); });
    const size_t steps = Steps("The end", kStoryRepeat);
    EXPECT_GT(steps, static_cast<size_t>(2 * FullPass()));
    EXPECT_LT(steps, static_cast<size_t>(3 * FullPass()));
}

// What is made and destroyed while the text scrolls (as the star field's drawing may) is given back
// at the next step, not when the screen closes.
TEST_F(StoryScreenTest, WhatItsStepsDestroyIsGivenBackAtTheNextStep) {
    const ReleaseHold caller;  // the script or window that opened the screen
    std::vector<size_t> waiting;
    for (uint32_t t = 100; t < 100 + 40 * 56; t += 56)
        game.At(game.Now() + t, [&] {
            waiting.push_back(DestroyedAwaitingRelease());
            game.New("Player");
        });
    Steps("The end", 0);
    ASSERT_EQ(waiting.size(), 40u);
    EXPECT_EQ(waiting.back(), waiting[4]);
}

TEST_F(StoryScreenTest, AnEmptyTextReturnsAtOnceUnlessItRepeats) {
    EXPECT_EQ(Steps("", 0), 0u);
    const uint32_t start = game.Now();
    game.At(start + 1000, [&] { game.PressKey(VK_SPACE); });
    StoryScreen(game.Cpu(), "", kStoryRepeat);
    EXPECT_GE(game.Now(), start + 1000);
    EXPECT_TRUE(game.TakeKeys().empty());
}

}  // namespace
