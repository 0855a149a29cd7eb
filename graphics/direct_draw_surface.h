// The DirectDraw kind's frame memory: the device's back surface, valid only while locked. Rows are
// top-down with the surface's own computed pitch.
#pragma once

#include <cstdint>

#include "graphics/screen_surface.h"

class DirectDrawDevice;

class DirectDrawSurface : public ScreenSurface {
  public:
    // Throws "Unable to set video mode" for a mode that cannot be shown.
    DirectDrawSurface(DirectDrawDevice& device, ScreenSettingsBlock* settings, PaletteBlock* palette,
                      int32_t rowAlignment);
    ~DirectDrawSurface() override;

    // True at once when locked; else tries one lock: false while the screen is busy (try again).
    bool Lock() override;
    // Ends drawing; nothing when not locked.
    void Unlock() override;
    bool Locked() const { return locked_; }

    // One lock of the back surface, restoring lost surfaces on the way; throws "Unable to lock
    // surface" for a failure, and for a surface whose rows do not match the computed pitch.
    bool LockScreenSurface();

    DirectDrawDevice& Device() const { return device_; }

  private:
    DirectDrawDevice& device_;
    bool locked_ = false;
};
