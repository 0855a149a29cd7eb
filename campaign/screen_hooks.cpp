#include "campaign/screen_hooks.h"

ScreenHooks& Screens() {
    static ScreenHooks hooks;
    return hooks;
}

void ShowLoadingScreen(Processor& processor, int32_t value) {
    if (Screens().loadingScreen) Screens().loadingScreen(processor, value);
}

void ShowStoryScreen(Processor& processor, std::string_view text, uint32_t flags) {
    if (Screens().storyScreen) Screens().storyScreen(processor, text, flags);
}
