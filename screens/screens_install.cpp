#include "screens/screens_install.h"

#include "campaign/screen_hooks.h"
#include "screens/loading_screen.h"
#include "screens/screen_natives.h"
#include "screens/story_screen.h"
#include "shell/game_hooks.h"
#include "world/test_run_world.h"

void InstallScreens() {
    Hooks().registerNatives = RegisterAllNatives;
    InstallTestRunWorld();
    ScreenHooks& hooks = Screens();
    hooks.loadingScreen = LoadingScreen;
    hooks.storyScreen = StoryScreen;
}
