#include "screens/screens_install.h"

#include "campaign/screen_hooks.h"
#include "foundation/exceptions.h"
#include "screens/item_window.h"
#include "screens/loading_screen.h"
#include "screens/player_setup.h"
#include "screens/screen_natives.h"
#include "screens/ship_window.h"
#include "screens/story_screen.h"
#include "shell/game_globals.h"
#include "shell/game_hooks.h"
#include "world/ship.h"

void InstallScreens() {
    Hooks().registerNatives = RegisterAllNatives;
    Hooks().newGameSetup = [] {
        if (Game().processor == nullptr) ThrowFatal("Player set-up without a started game");
        PlayerSetup(*Game().processor);
    };
    ScreenHooks& hooks = Screens();
    hooks.loadingScreen = LoadingScreen;
    hooks.storyScreen = StoryScreen;
    InstallItemWindowLookup();
    ShipSlotWindowHook() = RunShipWindow;
}
