// The settings screens driven by injected clicks and keys: the options window's live volume, the
// screen options rebuilding the display and writing the settings files, the input settings
// remapping and reloading keys, and the default menu's answer.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "campaign/screen_hooks.h"
#include "foundation/config_blocks.h"
#include "graphics/display.h"
#include "graphics/screen_buffer.h"
#include "platform/key_table.h"
#include "screens/default_menu.h"
#include "screens/input_settings.h"
#include "screens/options_window.h"
#include "screens/screen_options.h"
#include "shell/game_globals.h"
#include "shell/input_device.h"
#include "tests/support/settings_screens.h"
#include "tools/content/block_writer.h"
#include "tools/content/startup_archive.h"
#include "ui/dialog_window.h"

namespace {

class ScreenOptionsTest : public SettingsScreensTest {
  protected:
    ScreenPoint Option(int32_t id) { return Where(OptionsWindow, id); }
    void Run() { Screens().screenOptions(game.Cpu(), device, nullptr); }
    static std::string SoundFields(uint16_t volumeA, uint16_t volumeB) {
        return LeU16(0) + LeU16(volumeA) + LeU16(volumeB) + std::string(18, '\0');
    }
    static std::string Sound(uint16_t volumeA, uint16_t volumeB) {
        return SEBlock("SNDS", "", SoundFields(volumeA, volumeB));
    }
};

TEST_F(ScreenOptionsTest, VolumeButtonsSetTheVolumeAtOnceWithinZeroToTen) {
    // The stored sound block has a payload, which is not kept.
    game.AddEntry("Sound.SNDS", SEBlock("SNDS", "extra", SoundFields(9, 1)));
    Start();
    struct Case {
        std::vector<int32_t> buttons;  // then OK, or cancel when !accept
        bool accept;
        int liveVolume;  // percent, before the window ends
        std::string stored;
    };
    const Case cases[] = {
        {{135, 135}, true, 100, Sound(10, 1)},          // 9 up twice: held at 10
        {{136, 138, 138}, true, 90, Sound(9, 3)},       // A down, B up twice
        {{137, 137, 137, 137}, true, 90, Sound(9, 0)},  // B down past 0: held at 0
        {{136, 136}, false, 70, Sound(9, 0)},           // cancelled: the stored level comes back
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.buttons.size());
        std::vector<ScreenPoint> clicks;
        for (int32_t id : c.buttons) clicks.push_back(Option(id));
        const uint32_t last = Clicks(clicks);
        int live = -1;
        game.At(last + 200, [&] { live = game.Host().audio->Volume(); });
        ClickAt(last + 400, Option(c.accept ? 43 : 42));
        Run();
        EXPECT_EQ(live, c.liveVolume);
        EXPECT_EQ(game.Host().audio->Volume(), c.accept ? c.liveVolume : 90);
        EXPECT_EQ(FileBytes("Sound.SNDS"), c.stored);
        EXPECT_EQ(FilePacked("Sound.SNDS"), !c.stored.empty());
    }
}

// A colour depth is stored for the next start while the screen keeps its own; a mode that cannot
// be set keeps the old one and says so. A notice is answered with Escape.
TEST_F(ScreenOptionsTest, DisplayChangesAreStoredAndAModeThatFailsKeepsTheOldOne) {
    Start();
    struct Case {
        const char* what;
        int32_t button;
        bool failing, notice, fullScreen;
        uint16_t storedFlags, storedDepth;
        bool rebuilt;  // the display was made again: its buffer writes in "Science"
    };
    const Case cases[] = {
        {"another depth", 132, false, true, false, 1, 8, false},
        {"the running depth", 131, false, false, false, 1, 16, false},
        {"full screen refused", 139, true, true, false, 1, 16, true},
        {"full screen", 139, false, false, true, 1 | 2, 16, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScreenSettings().SetFlags(1);
        BuildDisplay(game.Screen(), Game().directDraw, ScreenSettings(), &DefaultColours(), nullptr);
        game.Host().Video().FailModeSwitch(c.failing);
        const uint32_t last = Clicks({Option(c.button), Option(43)});
        bool noticeAnswered = false;
        KeyAt(last + 400, VK_ESCAPE, &noticeAnswered);
        Run();
        game.Host().Video().FailModeSwitch(false);
        EXPECT_EQ(noticeAnswered, c.notice);
        EXPECT_EQ(ScreenSettings().BitsPerPixel(), 16);
        EXPECT_EQ(ScreenSettings().pixelFormat, 565);
        EXPECT_EQ(game.Host().Video().Mode().fullScreen, c.fullScreen);
        EXPECT_NE(game.Screen().Surface(), nullptr);
        EXPECT_EQ(game.Buffer().CurrentFont() == game.FontNamed("Science"), c.rebuilt);
        EXPECT_EQ(FileBytes("Screen.SCRS"),
                  SEBlock("SCRC", "", LeU16(c.storedFlags) + LeU16(c.storedDepth) + LeU16(640) + LeU16(480)));
        game.TakeKeys();
    }
}

class InputSettingsTest : public SettingsScreensTest {
  protected:
    InputSettingsTest() {
        Start();
        std::ofstream("Keys.INPD", std::ios::binary) << InputDeviceFile(kFirst) << InputDeviceFile(kSecond);
        ReadKeysFile(game.Cpu(), {&first, &second});
    }
    // Key button of action a of device d: text anchored at its top left.
    static ScreenPoint Key(int32_t d, int32_t a) { return {173 + 120 * d, 103 + 30 * a}; }
    ScreenPoint Button(int32_t id) { return Where(InputSettingsScreen, id); }
    bool Run() {
        return Screens().inputSettings(game.Cpu(), device, {String("One"), String("Two")}, {&first, &second});
    }
    std::vector<uint32_t> Codes(const InputDevice& d) const {
        std::vector<uint32_t> codes;
        for (uint32_t a = 0; a < d.Actions().Count(); ++a) codes.push_back(d.Actions().Code(a));
        return codes;
    }

    const std::vector<uint32_t> kFirst = {0x25, 0x27, 0x26, 0x28, 0x20, 0x11, 0x10, 0x12};
    const std::vector<uint32_t> kSecond = {0x41, 0x44, 0x57, 0x53, 0x51, 0x45, 0x52, 0x46};
    InputDevice first;
    InputDevice second;
};

TEST_F(InputSettingsTest, AKeyIsRemappedOnTheDeviceOfItsColumnAndReloadingTakesTheFileAgain) {
    std::vector<uint32_t> secondRemapped = kSecond;
    secondRemapped[3] = 0x4B;
    struct Case {
        const char* name;
        bool reload, confirm;  // a reload after the key; OK, else cancel (which the screen answers)
        std::vector<uint32_t> second;
    };
    const Case cases[] = {
        {"remapped", false, true, secondRemapped},
        {"reloaded", true, true, kSecond},
        {"cancelled", false, false, secondRemapped},  // the screen edits the devices given
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReadKeysFile(game.Cpu(), {&first, &second});
        uint32_t t = Clicks({Key(1, 3)}) + 400;
        KeyAt(t, 0x4B);
        if (c.reload) ClickAt(t += 400, Button(130));
        ClickAt(t += 400, Button(c.confirm ? 43 : 42));
        EXPECT_EQ(Run(), c.confirm);
        EXPECT_EQ(Codes(first), kFirst);
        EXPECT_EQ(Codes(second), c.second);
    }
}

TEST_F(InputSettingsTest, TheKeysFileWrittenBackReadsAsTheDevices) {
    Clicks({Key(0, 0)});
    KeyAt(game.Now() + 800, 0x4B);
    ClickAt(game.Now() + 1200, {173, 343});  // the mouse switch of the first device
    ClickAt(game.Now() + 1600, Button(43));
    ASSERT_TRUE(Run());
    WriteKeysFile({&first, &second});
    InputDevice firstAgain;
    InputDevice secondAgain;
    ReadKeysFile(game.Cpu(), {&firstAgain, &secondAgain});
    EXPECT_EQ(Codes(firstAgain), Codes(first));
    EXPECT_EQ(Codes(firstAgain)[0], 0x4Bu);
    EXPECT_TRUE(firstAgain.MouseEnabled());
    EXPECT_EQ(Codes(secondAgain), Codes(second));
    EXPECT_EQ(FileBytes("Keys.INPD").size(), first.StoredSize() + second.StoredSize());
}

TEST_F(InputSettingsTest, KeysForActionsAMapDoesNotHoldChangeNothing) {
    // Five actions: the buttons of actions 5 to 7 show no key and take none.
    InputDevice shortMap;
    shortMap.Actions().SetCodes({0x25, 0x27, 0x26, 0x28, 0x20});
    const uint32_t t = Clicks({Key(0, 6)});
    KeyAt(t + 400, 0x4B);
    ClickAt(t + 800, Button(43));
    EXPECT_TRUE(Screens().inputSettings(game.Cpu(), device, {String("One")}, {&shortMap}));
    EXPECT_EQ(Codes(shortMap), (std::vector<uint32_t>{0x25, 0x27, 0x26, 0x28, 0x20}));
}

using DefaultMenuTest = SettingsScreensTest;

TEST_F(DefaultMenuTest, OnlyYesAnswersTrue) {
    Start();
    for (const bool yes : {true, false}) {
        // The question first: a text, which answers nothing.
        Clicks({{320, 140}, Where(DefaultMenu, yes ? 43 : 42)});
        DeleteOptionsBackground();
        EXPECT_EQ(Screens().defaultMenu(game.Cpu(), device), yes);
    }
}

}  // namespace
