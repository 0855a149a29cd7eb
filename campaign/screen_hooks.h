// The game screens the campaign opens (the loading screen, the story screen, the menus and settings
// windows it starts) live in the screens folder above it. The campaign calls them through these
// hooks, which the screens install at start-up; a hook not installed does nothing.
#pragma once

#include <functional>
#include <vector>

#include "foundation/engine_string.h"

class DialogWindow;
class InputDevice;
class Processor;

struct ScreenHooks {
    // The key settings of every player: names and working copies of their input configurations in
    // player-list order; true when the player confirmed, the copies then holding the new settings.
    std::function<bool(Processor& processor, InputDevice& input, const std::vector<String>& names,
                       const std::vector<InputDevice*>& copies)>
        inputSettings;
    // The screen options, over the window given (null for none).
    std::function<void(Processor& processor, InputDevice& input, DialogWindow* parent)> screenOptions;
    // Shown while a save game loads.
    std::function<void()> loadingScreen;
    // Runs the "Default" menu window with the input device; true when it ended with result 1.
    std::function<bool(Processor&, InputDevice&)> defaultMenu;
};

ScreenHooks& Screens();
