// The game screens the campaign opens (the loading screen, the story screen, the menus and settings
// windows it starts) live in the screens folder above it. The campaign calls them through these
// hooks, which the screens install at start-up; a hook not installed does nothing.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

class InputDevice;
class Processor;

struct ScreenHooks {
    // Draws the loading picture once; it stays until the next frame is drawn. The value is passed
    // on by the callers and not used.
    std::function<void(Processor& processor, int32_t value)> loadingScreen;
    // Scrolls a story text up the screen until it has gone or is skipped; bit 0 of flags repeats
    // it until a key or a click.
    std::function<void(Processor& processor, std::string_view text, uint32_t flags)> storyScreen;
    // Runs the "Default" menu window with the input device; true when it ended with result 1.
    std::function<bool(Processor&, InputDevice&)> defaultMenu;
};

ScreenHooks& Screens();

// The hooks, doing nothing when not installed.
void ShowLoadingScreen(Processor& processor, int32_t value = 0);
void ShowStoryScreen(Processor& processor, std::string_view text, uint32_t flags);
