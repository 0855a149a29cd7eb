// The game screens the campaign opens (the loading screen, the story screen, the menus and settings
// windows it starts) live in the screens folder above it. The campaign calls them through these
// hooks, which the screens install at start-up; a hook not installed does nothing.
#pragma once

#include <functional>

struct ScreenHooks {
    // Shown while a save game loads.
    std::function<void()> loadingScreen;
};

ScreenHooks& Screens();
