// The in-game menu driven by injected clicks: its pages, leaving, loading and saving.
#include "campaign/in_game_menu.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "campaign/save_slots.h"
#include "campaign/screen_hooks.h"
#include "script/object_manager.h"
#include "shell/game_ids.h"
#include "shell/input_device.h"
#include "tests/campaign/menu_screens_fixture.h"
#include "tests/support/error_message.h"
#include "ui/dialog_window.h"
#include "ui/window_services.h"
#include "world/player.h"

namespace {

// The main page's frame is 400 x 300 centred on 640 x 480; its buttons are centred on x 200 and on
// y 40, 90, 140 ...
constexpr int32_t kButtonX = 120 + 200;
constexpr int32_t MainButtonY(int n) {
    return 90 + 40 + 50 * n;
}
// The settings page is 400 x 200.
constexpr int32_t SettingsButtonY(int n) {
    return 140 + 40 + 50 * n;
}

class InGameMenuTest : public MenuScreensTest {
  protected:
    int32_t Open(uint32_t flags) { return OpenGameMenu(game.Cpu(), nullptr, flags); }
    // A click every 400 ms from now on.
    void Clicks(const std::vector<std::pair<int32_t, int32_t>>& points) {
        uint32_t t = game.Now();
        for (const auto& [x, y] : points) ClickAt(t += 400, x, y);
    }
};

TEST_F(InGameMenuTest, TheSaveButtonIsLeftOutWithFlagOne) {
    struct Case {
        uint32_t flags;
        int button;  // clicked
        int32_t result;
    };
    // Back is the fourth button with flags 1 and the fifth with 0.
    const Case cases[] = {{kGameMenuNoSave, 3, kGameMenuContinue}, {0, 4, kGameMenuContinue}};
    for (const Case& c : cases) {
        Clicks({{kButtonX, MainButtonY(c.button)}});
        EXPECT_EQ(Open(c.flags), c.result) << c.flags;
    }
}

TEST_F(InGameMenuTest, BackOnTheSettingsPageReturnsToTheMainPage) {
    Clicks({{kButtonX, MainButtonY(0)}, {kButtonX, SettingsButtonY(2)}, {kButtonX, MainButtonY(3)}});
    EXPECT_EQ(Open(kGameMenuNoSave), kGameMenuContinue);
    EXPECT_EQ(GameMenuPageNumber(), 0);
}

TEST_F(InGameMenuTest, LeavingAndLoadingAskFirst) {
    struct Case {
        int button;
        bool yes;
        int32_t result;
        bool loadRequested;
    };
    // Flags 1: settings, load, leave, back.
    const Case cases[] = {
        {2, true, kGameMenuLeave, false},
        {1, true, kGameMenuLeave, true},
        {1, false, kGameMenuContinue, false},  // declined: the menu stays, Back ends it
    };
    for (const Case& c : cases) {
        SetLoadRequested(false);
        std::vector<std::pair<int32_t, int32_t>> points{{kButtonX, MainButtonY(c.button)},
                                                        {c.yes ? kYesX : kNoX, kAnswerY}};
        if (!c.yes) points.push_back({kButtonX, MainButtonY(3)});
        Clicks(points);
        EXPECT_EQ(Open(kGameMenuNoSave), c.result) << c.button;
        EXPECT_EQ(LoadRequested(), c.loadRequested) << c.button;
    }
}

TEST_F(InGameMenuTest, SaveWritesTheChosenRowAndCancellingWritesNothing) {
    // Save opens the save screen; cancelling it still ends the menu with 1.
    Clicks({{kButtonX, MainButtonY(1)}, {kCancelX, kButtonY}});
    EXPECT_EQ(Open(0), kGameMenuContinue);
    SaveSlotList();
    EXPECT_EQ(SaveSlots().End(), 0u);

    Clicks({{kButtonX, MainButtonY(1)}, {kOkX, kButtonY}});
    EXPECT_EQ(Open(0), kGameMenuContinue);
    SaveSlotList();
    EXPECT_EQ(SaveSlots().End(), 1u);
}

// The key settings work on copies; a confirmed dialog writes them into the players' own devices,
// which the running menu keeps using.
TEST_F(InGameMenuTest, ConfirmedKeySettingsChangeTheDevicesInPlace) {
    pilot->SetName(String("Tera"));
    for (const bool confirm : {false, true}) {
        InputDevice* const device = pilot->Input();
        device->Actions().SetCodes({'A'});
        std::vector<std::string> names;
        Screens().inputSettings = [&](Processor&, InputDevice& input, const std::vector<String>& given,
                                      const std::vector<InputDevice*>& copies) {
            EXPECT_EQ(&input, device);
            for (const String& name : given) names.emplace_back(name.Text(), name.Size());
            copies.at(0)->Actions().SetCodes({'Q', 'W'});
            return confirm;
        };
        Clicks({{kButtonX, MainButtonY(0)},
                {kButtonX, SettingsButtonY(0)},
                {kButtonX, SettingsButtonY(2)},
                {kButtonX, MainButtonY(3)}});
        EXPECT_EQ(Open(kGameMenuNoSave), kGameMenuContinue);
        EXPECT_EQ(pilot->Input(), device);
        EXPECT_EQ(device->Actions().Count(), confirm ? 2u : 1u);
        EXPECT_EQ(device->Actions().Code(0), confirm ? uint32_t{'Q'} : uint32_t{'A'});
        EXPECT_EQ(names, std::vector<std::string>{"Tera"});
    }
}

// The settings dialog runs scripts, which may delete a player or take his device meanwhile: only the
// devices still there take the settings.
TEST_F(InGameMenuTest, KeySettingsSkipWhatTheDialogsScriptsTookAway) {
    for (const bool deleted : {false, true}) {
        SCOPED_TRACE(deleted ? "another player deleted" : "another player's device taken");
        auto* other = new PlayerObject(game.Class("Player"));
        other->SetInput(std::make_unique<InputDevice>());
        game.Players().AppendObject(other);
        Screens().inputSettings = [&](Processor&, InputDevice&, const std::vector<String>&,
                                      const std::vector<InputDevice*>& copies) {
            for (InputDevice* copy : copies) copy->Actions().SetCodes({'Q'});
            if (deleted) {
                DestroyObject(other);
            } else {
                (void)other->TakeInput();
            }
            return true;
        };
        Clicks({{kButtonX, MainButtonY(0)},
                {kButtonX, SettingsButtonY(0)},
                {kButtonX, SettingsButtonY(2)},
                {kButtonX, MainButtonY(3)}});
        int32_t result = -1;
        EXPECT_EQ(ErrorMessage([&] { result = Open(kGameMenuNoSave); }), "no error");
        EXPECT_EQ(result, kGameMenuContinue);
        EXPECT_EQ(pilot->Input()->Actions().Code(0), uint32_t{'Q'});
    }
}

// Over a window the menu runs with the window's device (here not a player's) and marks the window
// as having a child while it is open.
TEST_F(InGameMenuTest, OverAWindowTheMenuRunsWithTheWindowsDevice) {
    game.Players().ClearList();
    InputDevice device;
    device.SetMouseEnabled(true);
    DialogWindow window(&game.Cpu(), &game.Screen(), EngineCursor(game.Cpu()));
    int32_t result = -1;
    bool childOpenAfter = true;
    window.SetCallback([&](DialogWindow& w, int32_t event, int32_t, int32_t) {
        if (event != kEventStart) return;
        Clicks({{kButtonX, MainButtonY(3)}});
        result = OpenGameMenu(game.Cpu(), &w, kGameMenuNoSave);
        childOpenAfter = w.ChildOpen();
        w.SetResult(0);
    });
    window.Run(device);
    EXPECT_EQ(result, kGameMenuContinue);
    EXPECT_FALSE(childOpenAfter);
}

TEST_F(InGameMenuTest, ScriptsOpenItThroughTheGameManager) {
    ScriptObject* manager = game.Object(kGameManagerId);
    Clicks({{kButtonX, MainButtonY(3)}});
    EXPECT_EQ(game.CallMethod(manager, 5, {kGameMenuNoSave, 0}), std::vector<uint32_t>{kGameMenuContinue});
}

TEST_F(InGameMenuTest, WithoutAParentOrAPlayerThereIsNoDeviceToRunWith) {
    game.Players().ClearList();
    EXPECT_EQ(ErrorMessage([&] { Open(0); }), "The game menu has no input device");
}

}  // namespace
