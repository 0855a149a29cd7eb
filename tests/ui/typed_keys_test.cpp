// What the player types and presses reaches what it was meant for: the keys that type into an
// active edit field are text only, and the key that ends a window is not seen by what runs after it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/input_device.h"
#include "shell/input_queue.h"
#include "tests/ui/dialog_fixture.h"
#include "ui/control.h"
#include "ui/typed_characters.h"
#include "ui/window_services.h"

namespace {

using TypedKeysTest = DialogFixture;

constexpr uint32_t kPrimaryAction = 4;
constexpr uint32_t kSecondaryAction = 5;
constexpr uint32_t kCloseAction = 6;
constexpr int32_t kButtonId = 5;

TEST(TypedCharactersTest, TheKeysOfTypedTextAreTheLetterDigitSpacePunctuationPadAndBackspaceKeys) {
    const int32_t typing[] = {'A',       'Z',      '0',      '9',      VK_SPACE, VK_BACK,    VK_NUMPAD0,
                              VK_DIVIDE, VK_OEM_1, VK_OEM_3, VK_OEM_4, VK_OEM_8, VK_OEM_102, VK_OEM_COMMA};
    const int32_t other[] = {
        'A' - 1,      'Z' + 1,      '0' - 1,      '9' + 1,       VK_RETURN,      VK_ESCAPE,  VK_TAB,
        VK_LEFT,      VK_END,       VK_F1,        VK_SHIFT,      VK_LCONTROL,    VK_LBUTTON, VK_OEM_1 - 1,
        VK_OEM_3 + 1, VK_OEM_4 - 1, VK_OEM_8 + 1, VK_DIVIDE + 1, VK_NUMPAD0 - 1, -1,         0x141};
    for (int32_t key : typing) EXPECT_TRUE(KeyTypesInEditField(key)) << key;
    for (int32_t key : other) EXPECT_FALSE(KeyTypesInEditField(key)) << key;
}

// A key bound to one of the window's actions, typed as a keyboard types it (the key goes down into
// the key queue, its character into the character queue, then the key comes up), with the pointer
// resting on a button or away from it, while an edit field is active or not.
TEST_F(TypedKeysTest, WhileAnEditFieldIsActiveTheKeysThatTypeAreOnlyText) {
    struct Case {
        const char* name;
        uint32_t action;
        int32_t key;
        uint8_t character;
    };
    const Case cases[] = {
        {"letter as close", kCloseAction, 'C', 'c'},
        {"letter as secondary", kSecondaryAction, 'X', 'x'},
        {"space as primary", kPrimaryAction, VK_SPACE, ' '},
        {"digit as primary", kPrimaryAction, '4', '4'},
        {"punctuation as close", kCloseAction, VK_OEM_COMMA, ','},
        {"number pad as secondary", kSecondaryAction, VK_NUMPAD0 + 7, '7'},
    };
    for (const Case& c : cases) {
        for (bool onButton : {true, false}) {
            for (bool active : {true, false}) {
                SCOPED_TRACE(std::string(c.name) + (onButton ? ", on the button" : ", off it") +
                             (active ? ", typing" : ", field inactive"));
                events.clear();
                std::vector<uint32_t> codes = {VK_LEFT,   VK_RIGHT,   VK_UP,     VK_DOWN,
                                               VK_F1 + 9, VK_F1 + 10, VK_F1 + 11};
                codes[c.action] = static_cast<uint32_t>(c.key);
                device.Actions().SetCodes(
                    {codes[0], codes[1], codes[2], codes[3], codes[4], codes[5], codes[6]});
                auto window = NewWindow();
                ControlObject& button = AddButton(*window, kButtonId, 100, 100, "OK");
                const uint32_t buffer = AddEditField(*window, active);
                int frame = 0;
                react = [&](DialogWindow& w, const WindowEventRecord& e) {
                    if (e.code == kEventStart)
                        game.MovePointer(onButton ? button.AbsoluteX() + 2 : 5,
                                         onButton ? button.AbsoluteY() + 2 : 5);
                    if (e.code != kEventBeforeDraw) return;
                    ++frame;
                    if (frame == 2) {
                        game.PressKey(c.key);
                        game.TypeChar(c.character);
                    }
                    if (frame == 3) game.ReleaseKey(c.key);
                    if (frame == 25) w.SetResult(9);
                };
                const int32_t result = Run(*window);
                const int32_t acted = c.action == kCloseAction     ? kEventClose
                                      : c.action == kPrimaryAction ? kEventPrimary
                                                                   : kEventSecondary;
                const bool keyEvent = !Only(kEventKey).empty();
                if (active) {
                    EXPECT_EQ(game.TextAt(buffer), std::string(1, static_cast<char>(c.character)));
                    EXPECT_TRUE(Only(acted).empty());
                    EXPECT_FALSE(keyEvent);
                    EXPECT_EQ(result, 9);
                } else {
                    // Without an active field the key keeps its action and its key event.
                    EXPECT_EQ(game.TextAt(buffer), "Unnamed");
                    ASSERT_EQ(Only(acted).size(), 1u);
                    if (acted != kEventClose) {
                        EXPECT_EQ(Only(acted)[0].p2, onButton ? kButtonId : 0);
                    }
                    EXPECT_TRUE(keyEvent);
                }
            }
        }
    }
}

TEST_F(TypedKeysTest, WhileTypingTheMouseButtonsAndEscapeKeepTheirMeaning) {
    auto window = NewWindow();
    ControlObject& button = AddButton(*window, kButtonId, 100, 100, "OK");
    AddEditField(*window, true);
    int frame = 0;
    react = [&](DialogWindow& w, const WindowEventRecord& e) {
        if (e.code == kEventStart) game.MovePointer(button.AbsoluteX() + 2, button.AbsoluteY() + 2);
        if (e.code == kEventClose) w.SetResult(0);
        if (e.code != kEventBeforeDraw) return;
        ++frame;
        if (frame == 2) game.SetButton(VK_LBUTTON, true);
        if (frame == 3) game.SetButton(VK_LBUTTON, false);
        if (frame == 5) {
            game.PressKey(VK_ESCAPE);
            game.TypeChar(27);
        }
    };
    EXPECT_EQ(Run(*window), 0);
    ASSERT_EQ(Only(kEventPrimary).size(), 1u);
    EXPECT_EQ(Only(kEventPrimary)[0].p2, kButtonId);
    EXPECT_EQ(Only(kEventClose).size(), 1u);
}

// A window ends on its key, its character or its close action; what runs after it (the window
// below, a flight reading keys, a device that polled before the window opened) sees none of it.
TEST_F(TypedKeysTest, TheKeyThatEndsAWindowIsNotSeenByWhatRunsAfterIt) {
    enum Ending { kByEscape, kByCloseAction, kByKeyEvent };
    struct Case {
        const char* name;
        Ending ending;
    };
    const Case cases[] = {
        {"Escape", kByEscape}, {"the close action", kByCloseAction}, {"a key event", kByKeyEvent}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        events.clear();
        // The flight's device polls the same keys; it polled last before the window opened.
        InputDevice flight;
        flight.Actions().SetCodes({static_cast<uint32_t>(kCloseKey)});
        flight.Poll();
        auto below = NewWindow();
        auto above = NewWindow();
        bool aboveRan = false;
        int frame = 0;
        std::vector<WindowEventRecord> belowAfter;
        react = [&](DialogWindow& w, const WindowEventRecord& e) {
            if (&w == above.get()) {
                if (e.code != kEventBeforeDraw || ++frame != 2) {
                    if ((e.code == kEventClose && c.ending != kByKeyEvent) ||
                        (e.code == kEventKey && e.p1 == VK_RETURN))
                        w.SetResult(0);
                    return;
                }
                if (c.ending == kByEscape) {
                    game.PressKey(VK_ESCAPE);
                    game.TypeChar(27);
                } else if (c.ending == kByCloseAction) {
                    game.PressKey(kCloseKey);
                } else {
                    game.PressKey(VK_RETURN);
                    game.TypeChar(13);
                }
                return;
            }
            if (aboveRan) belowAfter.push_back(e);
            if (e.code == kEventStart) {
                w.PostMessage(100, 0, 0);
            } else if (e.code == 100) {
                EXPECT_EQ(above->Run(device), 0);
                aboveRan = true;
            } else if (aboveRan && e.code == kEventAfterDraw) {
                w.SetResult(1);
            }
        };
        EXPECT_EQ(Run(*below), 1);
        for (const WindowEventRecord& e : belowAfter) {
            EXPECT_NE(e.code, kEventClose) << e;
            EXPECT_NE(e.code, kEventKey) << e;
            EXPECT_NE(e.code, kEventCharacter) << e;
        }
        EXPECT_TRUE(game.TakeKeys().empty());
        EXPECT_TRUE(game.TakeChars().empty());
        flight.Poll();
        EXPECT_EQ(flight.Actions().Pressed(0), 0);
        game.ReleaseKey(kCloseKey);
        game.ReleaseKey(VK_ESCAPE);
        game.ReleaseKey(VK_RETURN);
    }
}

}  // namespace
