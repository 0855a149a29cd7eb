// The program's own start-up (the screens' installation, then the shell's start-up, as the game
// program runs them) installs every hook through which a lower layer calls the layers above it:
// a hook that only tests install is a part of the game that never runs.
#include <gtest/gtest.h>

#include "campaign/flight_loop.h"
#include "campaign/game_manager.h"
#include "campaign/save_game.h"
#include "campaign/scene_reset.h"
#include "campaign/screen_hooks.h"
#include "screens/main_menu.h"
#include "shell/game_hooks.h"
#include "shell/input_device.h"
#include "shell/key_name.h"
#include "tests/support/game_harness.h"
#include "ui/control.h"
#include "ui/script_dialog.h"
#include "ui/time_control.h"
#include "world/option.h"
#include "world/player_config.h"
#include "world/ship.h"
#include "world/slot.h"
#include "world/supply.h"

namespace {

// Every hook empty, so that one an earlier test of this process installed cannot pass for start-up's.
void ClearHooks() {
    Hooks() = GameHooks{};
    Screens() = ScreenHooks{};
    FlightCampaignHooks().autoSave = nullptr;
    FlightCampaignHooks().stampLastDate = nullptr;
    SupplyHooksInstalled() = SupplyHooks{};
    SetSlotPilotHooks({});
    SystemViewHook() = SystemViewHooks{};
    SetCallingWindowLookup(nullptr);
    GameTimeLookupHook() = nullptr;
    SaveLocationHook() = nullptr;
    PlayerLocationHook() = nullptr;
    ShipSlotWindowHook() = nullptr;
    HelpRequestHook() = nullptr;
    SetKeyNameSource(nullptr);
    SetInputServices({});
    for (uint32_t n = 4; n < kGameManagerMethodCount; ++n) GameManager::SetMethodHandler(n, nullptr);
}

TEST(StartupHooksTest, TheProgramsStartUpInstallsEveryHookTheLowerLayersCall) {
    ClearHooks();
    GameHarness game;
    game.Start();

    const struct {
        const char* hook;
        bool installed;
    } hooks[] = {
        {"game: natives", static_cast<bool>(Hooks().registerNatives)},
        {"game: main screen", static_cast<bool>(Hooks().mainScreen)},
        {"game: new-game set-up", static_cast<bool>(Hooks().newGameSetup)},
        {"game: high scores", static_cast<bool>(Hooks().loadHighScores)},
        {"game: test runs", Hooks().testRunWorld != nullptr},
        {"screens: input settings", static_cast<bool>(Screens().inputSettings)},
        {"screens: screen options", static_cast<bool>(Screens().screenOptions)},
        {"screens: loading screen", static_cast<bool>(Screens().loadingScreen)},
        {"screens: story screen", static_cast<bool>(Screens().storyScreen)},
        {"screens: default menu", static_cast<bool>(Screens().defaultMenu)},
        {"flight: autosave", static_cast<bool>(FlightCampaignHooks().autoSave)},
        {"flight: last date", static_cast<bool>(FlightCampaignHooks().stampLastDate)},
        {"supply: place", static_cast<bool>(SupplyHooksInstalled().place)},
        {"supply: window of a dialog", static_cast<bool>(SupplyHooksInstalled().windowOf)},
        {"slot: pilot's skill", InstalledSlotPilotHooks().switchSkillPercent != nullptr},
        {"slot: pilot's status", InstalledSlotPilotHooks().showStatus != nullptr},
        {"scene reset: describe", static_cast<bool>(SystemViewHook().describe)},
        {"scene reset: open", static_cast<bool>(SystemViewHook().open)},
        {"item windows: calling window", InstalledCallingWindowLookup() != nullptr},
        {"time control: game time", static_cast<bool>(GameTimeLookupHook())},
        {"saves: location texts", static_cast<bool>(SaveLocationHook())},
        {"pilot: location", static_cast<bool>(PlayerLocationHook())},
        {"ship: slot window", static_cast<bool>(ShipSlotWindowHook())},
        {"controls: help", static_cast<bool>(HelpRequestHook())},
        {"key names", static_cast<bool>(InstalledKeyNameSource())},
        {"input: keys", CurrentInputServices().input != nullptr},
        {"input: wheel", CurrentInputServices().app != nullptr},
        {"main menu: games", static_cast<bool>(MenuGames().startGame)},
        {"main menu: load screen", static_cast<bool>(MenuGames().loadDialog)},
        {"main menu: scenario screen", static_cast<bool>(MenuGames().scenarioDialog)},
        {"main menu: load", static_cast<bool>(MenuGames().loadSave)},
        {"main menu: demos", static_cast<bool>(MenuGames().playDemo)},
        {"main menu: high scores", static_cast<bool>(MenuGames().highScores)},
    };
    for (const auto& h : hooks) EXPECT_TRUE(h.installed) << h.hook;
    // The GameManager's methods that other parts of the campaign provide.
    for (uint32_t n : {5u, 6u, 7u, 8u, 9u, 10u, 12u})
        EXPECT_NE(GameManager::MethodHandler(n), nullptr) << "GameManager method " << n;

    // A contract is asked over the window of the script dialog that signs it.
    GameObject dialog = game.New("Dialog");
    auto* scriptDialog = dynamic_cast<ZEMADialogObject*>(dialog.get());
    ASSERT_NE(scriptDialog, nullptr);
    EXPECT_EQ(SupplyHooksInstalled().windowOf(dialog.get()), &scriptDialog->Window());
    EXPECT_EQ(game.Log(), "");
}

}  // namespace
