#include "screens/screens_install.h"

#include "campaign/screen_hooks.h"
#include "foundation/exceptions.h"
#include "screens/default_menu.h"
#include "screens/high_scores.h"
#include "screens/input_settings.h"
#include "screens/item_window.h"
#include "screens/loading_screen.h"
#include "screens/main_screen.h"
#include "screens/player_setup.h"
#include "screens/screen_natives.h"
#include "screens/screen_options.h"
#include "screens/ship_window.h"
#include "screens/story_screen.h"
#include "shell/game_globals.h"
#include "shell/game_hooks.h"
#include "ui/script_dialog.h"
#include "world/ship.h"
#include "world/supply.h"
#include "world/test_run_world.h"

void InstallScreens() {
    Hooks().registerNatives = RegisterAllNatives;
    InstallTestRunWorld();
    Hooks().mainScreen = MainScreen;
    Hooks().loadHighScores = LoadHighScores;
    Hooks().newGameSetup = [] {
        if (Game().processor == nullptr) ThrowFatal("Player set-up without a started game");
        PlayerSetup(*Game().processor);
    };
    ScreenHooks& hooks = Screens();
    hooks.loadingScreen = LoadingScreen;
    hooks.storyScreen = StoryScreen;
    hooks.screenOptions = ScreenOptions;
    hooks.defaultMenu = RunDefaultMenuDialog;
    hooks.inputSettings = [](Processor& processor, InputDevice& input, const std::vector<String>& names,
                             const std::vector<InputDevice*>& copies) {
        return RunInputSettingsDialog(processor, input, copies, names);
    };
    InstallItemWindowLookup();
    ShipSlotWindowHook() = RunShipWindow;
    // Supply contracts are asked over the script dialog that signs them.
    SupplyHooksInstalled().windowOf = [](ScriptObject* dialog) -> DialogWindow* {
        auto* window = dynamic_cast<ZEMADialogObject*>(dialog);
        return window != nullptr ? &window->Window() : nullptr;
    };
}
