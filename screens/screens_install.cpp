#include "screens/screens_install.h"

#include "campaign/screen_hooks.h"
#include "screens/loading_screen.h"
#include "screens/story_screen.h"

void InstallScreens() {
    ScreenHooks& hooks = Screens();
    hooks.loadingScreen = LoadingScreen;
    hooks.storyScreen = StoryScreen;
}
