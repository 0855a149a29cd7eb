#include "platform/input.h"

#include <gtest/gtest.h>

#include "platform/headless/headless_input.h"

TEST(Input, KeysByVirtualKeyCode) {
    HeadlessInput input;
    EXPECT_FALSE(input.KeyDown('A'));
    input.SetKey('A', true);
    input.SetKey(VK_LBUTTON, true);
    EXPECT_TRUE(input.KeyDown('A'));
    EXPECT_TRUE(input.MouseButtonDown(VK_LBUTTON));
    EXPECT_FALSE(input.MouseButtonDown(VK_RBUTTON));
    input.SetKey('A', false);
    EXPECT_FALSE(input.KeyDown('A'));
    // Codes outside the table read as up, and setting them does nothing.
    input.SetKey(300, true);
    input.SetKey(-1, true);
    EXPECT_FALSE(input.KeyDown(300));
    EXPECT_FALSE(input.KeyDown(-1));
    EXPECT_FALSE(input.KeyDown(256));
}

TEST(Input, EitherSideAnswersForAModifier) {
    HeadlessInput input;
    input.SetKey(VK_RSHIFT, true);
    EXPECT_TRUE(input.KeyDown(VK_SHIFT));
    EXPECT_FALSE(input.KeyDown(VK_LSHIFT));
    EXPECT_FALSE(input.KeyDown(VK_CONTROL));
    input.SetKey(VK_LMENU, true);
    EXPECT_TRUE(input.KeyDown(VK_MENU));
    input.SetKey(VK_RSHIFT, false);
    EXPECT_FALSE(input.KeyDown(VK_SHIFT));
}

TEST(Input, EachReaderHearsAPressOnceAtItsNextLook) {
    struct Case {
        const char* what;
        int32_t set;    // the code the backend reports
        int32_t asked;  // the code the reader watches
        bool release;   // up again before the look
    };
    const Case cases[] = {
        {"click shorter than a poll", VK_LBUTTON, VK_LBUTTON, true},
        {"right button held", VK_RBUTTON, VK_RBUTTON, false},
        {"key tapped", 'Q', 'Q', true},
        {"right shift tapped, watched unsided", VK_RSHIFT, VK_SHIFT, true},
        {"left alt held, watched unsided", VK_LMENU, VK_MENU, false},
    };
    for (const Case& c : cases) {
        HeadlessInput input;
        PressWatch first;
        PressWatch second;
        EXPECT_FALSE(first.Look(input, c.asked)) << c.what;
        EXPECT_FALSE(second.Look(input, c.asked)) << c.what;
        input.SetKey(c.set, true);
        if (c.release) input.SetKey(c.set, false);
        EXPECT_EQ(input.KeyDown(c.asked), !c.release) << c.what;
        // Each reader hears of it, once; a held key stays down without being pressed again.
        EXPECT_TRUE(first.Look(input, c.asked)) << c.what;
        EXPECT_FALSE(first.Look(input, c.asked)) << c.what;
        EXPECT_TRUE(second.Look(input, c.asked)) << c.what;
        EXPECT_FALSE(second.Look(input, c.asked)) << c.what;
    }
}

TEST(Input, APressIsNoNewsToAReaderThatLooksAfterItOrAfterEveryPressWasHeard) {
    HeadlessInput input;
    PressWatch early;
    PressWatch other;
    EXPECT_FALSE(early.Look(input, 'A'));
    EXPECT_FALSE(other.Look(input, 'B'));
    input.SetKey('A', true);
    input.SetKey('A', false);
    PressWatch late;  // starts watching after the press
    EXPECT_FALSE(late.Look(input, 'A'));
    EXPECT_FALSE(other.Look(input, 'B'));  // each key keeps its own count
    // Heard: no news to a reader that had not looked since, but a later press is.
    input.HearAllPresses();
    EXPECT_FALSE(early.Look(input, 'A'));
    input.SetKey('A', true);
    EXPECT_TRUE(early.Look(input, 'A'));
    EXPECT_TRUE(late.Look(input, 'A'));
    // Watching another key starts over; codes outside the table are never pressed.
    input.SetKey('A', false);
    input.SetKey('A', true);
    EXPECT_FALSE(early.Look(input, 'B'));
    EXPECT_FALSE(early.Look(input, 'A'));
    input.SetKey(256, true);
    EXPECT_EQ(input.Presses(256), 0u);
    EXPECT_EQ(input.Presses(-1), 0u);
    EXPECT_EQ(input.Presses('A'), 3u);
}

TEST(Input, CursorKeepsNegativeAndLargePositions) {
    HeadlessInput input;
    input.MoveCursor(-192, 70000);
    EXPECT_EQ(input.Cursor().x, -192);
    EXPECT_EQ(input.Cursor().y, 70000);
    input.SetCursor(320, 240);
    EXPECT_EQ(input.Cursor().x, 320);
    EXPECT_EQ(input.Cursor().y, 240);
}

TEST(Input, JoysticksByIndex) {
    HeadlessInput input;
    JoystickCaps caps;
    JoystickPosition position;
    EXPECT_EQ(input.JoystickCount(), 0);
    EXPECT_FALSE(input.JoystickCapabilities(0, &caps));
    input.StoreJoystick(1, JoystickCaps{0, 1000, 10, 20, 4}, JoystickPosition{1000, 10, 0x5});
    EXPECT_EQ(input.JoystickCount(), 2);
    ASSERT_TRUE(input.JoystickCapabilities(1, &caps));
    EXPECT_EQ(caps.xMax, 1000u);
    EXPECT_EQ(caps.yMin, 10u);
    EXPECT_EQ(caps.buttons, 4);
    input.StoreJoystickPosition(1, JoystickPosition{500, 15, 0x2});
    ASSERT_TRUE(input.JoystickState(1, &position));
    EXPECT_EQ(position.x, 500u);
    EXPECT_EQ(position.buttons, 0x2u);
    EXPECT_FALSE(input.JoystickState(2, &position));
    EXPECT_FALSE(input.JoystickState(-1, &position));
    input.StoreJoystick(Input::kMaxJoysticks, JoystickCaps{}, JoystickPosition{});
    EXPECT_EQ(input.JoystickCount(), 2);
    input.RemoveJoystick(0);
    EXPECT_EQ(input.JoystickCount(), 1);
    ASSERT_TRUE(input.JoystickCapabilities(0, &caps));
    EXPECT_EQ(caps.buttons, 4);
}
