// Screen modes of the display: checking the settings' mode, the window origin that the mouse
// subtracts from pointer positions, and the DrawDib kind's own mode handling (a full-screen picture
// switched on and given back, or a window centred on the desktop).
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/video.h"

class ScreenSettingsBlock;

// The screen's top-left corner on the desktop. Written by the display, read by the mouse device
// on the game thread.
struct WindowOrigin {
    std::atomic<int32_t> x{0};
    std::atomic<int32_t> y{0};
};
WindowOrigin& ScreenWindowOrigin();

// Throws FatalExep with the text followed by the settings' mode and the file they come from:
// "text (640 x 0 at 16 bits per pixel in "Screen.SCRS")".
[[noreturn]] void ThrowScreenModeError(const char* text, const ScreenSettingsBlock& settings);

// The settings unchanged when their mode can be shown (8 or 16 bits, each side 1 to
// Video::kMaxSide pixels); else FatalExep "Unable to set video mode" with the mode and file.
// Checked before any frame memory is sized by them.
ScreenSettingsBlock* CheckScreenMode(ScreenSettingsBlock* settings);
VideoMode ScreenVideoMode(const ScreenSettingsBlock& settings, VideoKind kind);

// A window of the size centred on the desktop; each coordinate rounds toward zero, so a window
// larger than the desktop gets a negative origin.
WindowPlacement CentredPlacement(const DesktopMode& desktop, int32_t width, int32_t height);

// Opens the DrawDib kind's mode for checked settings and sets the window origin. Full screen: the
// origin is (0, 0) and the desktop mode found before the switch is returned. Windowed: the window
// is centred. A refused mode throws FatalExep "Unable to set video mode" (with the mode and file)
// with nothing left open.
DesktopMode OpenDrawDibMode(const ScreenSettingsBlock& settings, Video& video);
