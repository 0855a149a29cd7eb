// The game screens the campaign opens (the loading screen, the story screen, the menus and settings
// windows it starts) live in the screens folder above it. The campaign calls them through these
// hooks, which the screens install at start-up; a hook not installed does nothing.
#pragma once

#include <functional>

class InputDevice;
class Processor;

struct ScreenHooks {
    // Runs the "Default" menu window with the input device; true when it ended with result 1.
    std::function<bool(Processor&, InputDevice&)> defaultMenu;
};

ScreenHooks& Screens();
