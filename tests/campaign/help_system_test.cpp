// The help window: texts on F1 and from scripts, the tips switch and what it leaves recorded.
#include "campaign/help_system.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "foundation/engine_string.h"
#include "graphics/text_layout.h"
#include "platform/key_table.h"
#include "script/object_manager.h"
#include "shell/input_device.h"
#include "tests/support/error_message.h"
#include "tests/support/game_harness.h"
#include "ui/control.h"
#include "ui/dialog_window.h"
#include "ui/window_services.h"
#include "world/event_manager.h"
#include "world/player.h"

namespace {

constexpr int32_t kHelpNumber = 5;
constexpr const char* kDontShow = "DONTSHOWTIPS";

class HelpSystemTest : public ::testing::Test {
  protected:
    HelpSystemTest() {
        game.AddMessages(
            "system.mes",
            {{117, "OK"}, {119, "Cancel"}, {473, "T"}, {474, "SWITCHSWITCH"}, {475, "SWITCHSWITCH"}});
        game.AddPicture("Misc\\Up.dpf").AddPicture("Misc\\Down.dpf");
        game.AddMessages("Help.mes", {{kHelpNumber, "Help text"}});
        game.Start();
        for (int i = 0; i < 2; ++i) {
            auto* pilot = new PlayerObject(game.Class("Player"));
            auto device = std::make_unique<InputDevice>();
            device->SetMouseEnabled(true);
            pilot->SetInput(std::move(device));
            game.Players().AppendObject(pilot);
            pilots[i] = pilot;
        }
        const int32_t line = TextHeight(*game.FontNamed("HelpFont"), "Help text");
        frameHeight = line + 70;
        frameX = (640 - 440) / 2;
        frameY = (480 - frameHeight) / 2;
        buttonY = frameY + frameHeight - 12;
        switchX = frameX + TextWidth(*game.FontNamed("StaticText"), "T") + 20 + 25;
    }

    // A press and release of the first button at (x, y), from the time given on.
    void ClickAt(uint32_t time, int32_t x, int32_t y) {
        game.At(time, [this, x, y] {
            game.MovePointer(x, y);
            game.SetButton(VK_LBUTTON, true);
        });
        game.At(time + 80, [this] { game.SetButton(VK_LBUTTON, false); });
    }
    void ClickSwitch(uint32_t time) { ClickAt(time, switchX, buttonY); }
    void ClickOk(uint32_t time) { ClickAt(time, frameX + 440 - 25, buttonY); }
    bool Recorded(int i) { return EventManager::HasEvent(pilots[i], String(kDontShow)); }
    void Show(uint32_t flags, DialogWindow* over = nullptr) {
        HelpSystem::ShowTips(game.Cpu(), over, "Help.mes", kHelpNumber, flags);
    }

    GameHarness game;
    PlayerObject* pilots[2] = {};
    int32_t frameHeight = 0, frameX = 0, frameY = 0, buttonY = 0, switchX = 0;
};

TEST_F(HelpSystemTest, TheSwitchIsRecordedForEveryPlayerOnClosing) {
    struct Case {
        int switchClicks;
        bool recordedAfter;
    };
    const Case cases[] = {{1, true}, {0, true}, {1, false}, {2, false}};
    for (const Case& c : cases) {
        const uint32_t start = game.Now();
        for (int k = 0; k < c.switchClicks; ++k) ClickSwitch(start + 200 + 300 * k);
        ClickOk(start + 200 + 300 * c.switchClicks);
        Show(0);
        EXPECT_EQ(Recorded(0), c.recordedAfter) << c.switchClicks;
        EXPECT_EQ(Recorded(1), c.recordedAfter) << c.switchClicks;
        EXPECT_EQ(HelpSystem::TipsEnabled(), !c.recordedAfter);
    }
}

TEST_F(HelpSystemTest, ATipIsLeftOutWhileTipsAreOffAndHelpIsNot) {
    EventManager::RecordEventAll(game.Cpu(), String(kDontShow), 0, String(""), 1);
    const uint32_t before = game.Now();
    Show(kHelpIsTip);  // no window: nothing would close it
    EXPECT_EQ(game.Now(), before);

    ClickOk(before + 200);
    Show(0);
    EXPECT_GT(game.Now(), before);
    EXPECT_TRUE(Recorded(0));
    EXPECT_FALSE(HelpSystem::TipsEnabled());
}

TEST_F(HelpSystemTest, FOneInAWindowWithHelpShowsItsText) {
    DialogWindow window(&game.Cpu(), &game.Screen(), EngineCursor(game.Cpu()));
    window.SetHelp(kHelpNumber, String("Help.mes"));
    InputDevice device;
    bool helpClosed = false;
    int frames = 0;
    window.SetCallback([&](DialogWindow& w, int32_t event, int32_t, int32_t) {
        if (event == kEventStart) {
            game.PressKey(VK_F1);
            game.ReleaseKey(VK_F1);
            ClickSwitch(game.Now() + 200);
            ClickOk(game.Now() + 500);
        }
        if (event == kEventAfterDraw && ++frames > 1) {
            helpClosed = Recorded(0);
            w.SetResult(1);
        }
    });
    window.Run(device);
    EXPECT_TRUE(helpClosed);  // the help ran, and was closed, between two frames of the window
}

TEST_F(HelpSystemTest, AMissingMessageShowsNoWindow) {
    const uint32_t before = game.Now();
    EXPECT_EQ(ErrorMessage([&] { HelpSystem::ShowTips(game.Cpu(), nullptr, "Help.mes", 99, 0); }),
              "Message #99 not found in Help.mes");
    EXPECT_EQ(game.Now(), before);
}

TEST_F(HelpSystemTest, ScriptsAskThroughNativesFourAndFive) {
    GameObject help = game.New("HelpSystem");
    EventManager::RecordEventAll(game.Cpu(), String(kDontShow), 0, String(""), 1);
    const uint32_t before = game.Now();
    game.CallMethod(help.get(), 5, {0, game.Text("Help.mes"), kHelpNumber});
    EXPECT_EQ(game.Now(), before);
    ClickSwitch(before + 200);
    ClickOk(before + 500);
    game.CallMethod(help.get(), 4, {0, game.Text("Help.mes"), kHelpNumber});
    EXPECT_FALSE(Recorded(0));
    EXPECT_TRUE(HelpSystem::TipsEnabled());
}

}  // namespace
