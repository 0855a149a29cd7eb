// The DirectDraw kind's connection to the screen: it opens the platform's lockable mode (a back
// surface the game draws into, copied to the screen each frame), places the window and finds the
// 16-bit pixel format. One exists while the DirectDraw kind is in use; it outlives the display
// built over it.
#pragma once

#include <cstdint>

#include "graphics/display_services.h"

class ScreenSettingsBlock;

class DirectDrawDevice {
  public:
    // Opens the mode of the settings; throws "Unable to set video mode" for a mode that cannot be
    // shown and "DirectDraw Init FAILED" when the screen refuses, with nothing left open. In 16-bit
    // modes the settings' pixel format becomes the screen's (555 or 565).
    DirectDrawDevice(ScreenSettingsBlock* settings, const DisplayServices& services);
    ~DirectDrawDevice();
    DirectDrawDevice(const DirectDrawDevice&) = delete;
    DirectDrawDevice& operator=(const DirectDrawDevice&) = delete;

    // Closes the mode; nothing when already released.
    void Release();
    bool Released() const { return released_; }

    // Brings lost surfaces back: tries while the game is in the foreground, else waits in 300 ms
    // steps; throws StopRequested when the program is being stopped meanwhile.
    void RestoreSurface();

    Video& GetVideo() const { return *services_.video; }
    const DisplayServices& Services() const { return services_; }
    ScreenSettingsBlock* Settings() const { return settings_; }

  private:
    void Init(int32_t width, int32_t height, int32_t bitsPerPixel);

    ScreenSettingsBlock* settings_;
    DisplayServices services_;
    bool released_ = true;
};
