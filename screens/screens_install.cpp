#include "screens/screens_install.h"

#include "campaign/screen_hooks.h"
#include "screens/item_window.h"
#include "screens/loading_screen.h"
#include "screens/screen_natives.h"
#include "screens/ship_window.h"
#include "screens/story_screen.h"
#include "shell/game_hooks.h"
#include "world/ship.h"

void InstallScreens() {
    Hooks().registerNatives = RegisterAllNatives;
    ScreenHooks& hooks = Screens();
    hooks.loadingScreen = LoadingScreen;
    hooks.storyScreen = StoryScreen;
    InstallItemWindowLookup();
    ShipSlotWindowHook() = RunShipWindow;
}
