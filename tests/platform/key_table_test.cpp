#include "platform/key_table.h"

#include <gtest/gtest.h>

namespace {

int32_t Key(int32_t scancode, bool numLock = true) {
    return VirtualKeyFromKey(kScancodeKeyFlag | scancode, scancode, numLock);
}

}  // namespace

TEST(KeyTable, CharacterKeysFollowTheLayout) {
    EXPECT_EQ(VirtualKeyFromKey('a', 4, true), 'A');
    EXPECT_EQ(VirtualKeyFromKey('z', 28, true), 'Z');  // a German layout's Z sits where Y is
    EXPECT_EQ(VirtualKeyFromKey('0', 39, true), '0');
    EXPECT_EQ(VirtualKeyFromKey('\r', 40, true), VK_RETURN);
    EXPECT_EQ(VirtualKeyFromKey(27, 41, true), VK_ESCAPE);
    EXPECT_EQ(VirtualKeyFromKey(' ', 44, true), VK_SPACE);
    EXPECT_EQ(VirtualKeyFromKey(127, 76, true), VK_DELETE);
    EXPECT_EQ(VirtualKeyFromKey('/', 56, true), VK_OEM_2);
    // A character the table does not know goes by the key's position.
    EXPECT_EQ(VirtualKeyFromKey(0xE4, 52, true), VK_OEM_7);
    EXPECT_EQ(VirtualKeyFromKey('&', 30, true), '1');
}

TEST(KeyTable, KeysWithoutCharacters) {
    EXPECT_EQ(Key(58), VK_F1);
    EXPECT_EQ(Key(69), VK_F1 + 11);
    EXPECT_EQ(Key(115), VK_F1 + 23);
    EXPECT_EQ(Key(80), VK_LEFT);
    EXPECT_EQ(Key(82), VK_UP);
    EXPECT_EQ(Key(75), VK_PRIOR);
    EXPECT_EQ(Key(225), VK_LSHIFT);
    EXPECT_EQ(Key(228), VK_RCONTROL);
    EXPECT_EQ(Key(226), VK_LMENU);
    EXPECT_EQ(Key(88), VK_RETURN);
    EXPECT_EQ(Key(102), 0);  // power: no code
    EXPECT_EQ(Key(232), 0);
    EXPECT_EQ(VirtualKeyFromKey(kScancodeKeyFlag | 5000, 5000, true), 0);
    EXPECT_EQ(VirtualKeyFromKey(-1, -1, true), 0);
}

TEST(KeyTable, NumberPadFollowsNumLock) {
    EXPECT_EQ(Key(98), VK_NUMPAD0);
    EXPECT_EQ(Key(97), VK_NUMPAD0 + 9);
    EXPECT_EQ(Key(99), VK_DECIMAL);
    EXPECT_EQ(Key(85), VK_MULTIPLY);
    EXPECT_EQ(Key(96, false), VK_UP);
    EXPECT_EQ(Key(93, false), VK_CLEAR);
    EXPECT_EQ(Key(98, false), VK_INSERT);
    EXPECT_EQ(Key(99, false), VK_DELETE);
    EXPECT_EQ(Key(85, false), VK_MULTIPLY);
}

TEST(KeyTable, UnsidedCodesAndControlCharacters) {
    EXPECT_EQ(UnsidedVirtualKey(VK_RSHIFT), VK_SHIFT);
    EXPECT_EQ(UnsidedVirtualKey(VK_LCONTROL), VK_CONTROL);
    EXPECT_EQ(UnsidedVirtualKey(VK_RMENU), VK_MENU);
    EXPECT_EQ(UnsidedVirtualKey('Q'), 'Q');
    EXPECT_EQ(ControlCharacter(VK_RETURN, false), 13);
    EXPECT_EQ(ControlCharacter(VK_BACK, true), 8);
    EXPECT_EQ(ControlCharacter(VK_ESCAPE, false), 27);
    EXPECT_EQ(ControlCharacter('C', true), 3);
    EXPECT_EQ(ControlCharacter('C', false), -1);
    EXPECT_EQ(ControlCharacter(VK_F1, true), -1);
}

TEST(KeyTable, RightAltCountsAsAltUnlessTheLayoutTypesWithIt) {
    struct Case {
        Modifiers held;
        bool alt;
    };
    const Case cases[] = {
        {{.leftAlt = true}, true},
        {{.rightAlt = true}, true},
        {{.leftAlt = true, .rightAltTypes = true}, true},
        {{.rightAlt = true, .rightAltTypes = true}, false},  // AltGr types a character
        {{.leftAlt = true, .ctrl = true}, false},
        {{.rightAlt = true, .ctrl = true}, false},  // AltGr as Ctrl+Alt
        {{.ctrl = true}, false},
        {{}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AltHeld(c.held), c.alt)
            << c.held.leftAlt << c.held.rightAlt << c.held.ctrl << c.held.rightAltTypes;
}
