#include "screens/screens_install.h"

#include "campaign/screen_hooks.h"
#include "screens/loading_screen.h"
#include "screens/main_screen.h"
#include "screens/screen_natives.h"
#include "screens/story_screen.h"
#include "shell/game_hooks.h"

void InstallScreens() {
    Hooks().registerNatives = RegisterAllNatives;
    Hooks().mainScreen = MainScreen;
    ScreenHooks& hooks = Screens();
    hooks.loadingScreen = LoadingScreen;
    hooks.storyScreen = StoryScreen;
}
