// The game's screen: the surface all drawing goes into, the presenter that shows a finished frame
// and the screen buffer that draws into the surface. Two kinds, chosen from the screen settings:
// DirectDraw (a device's lockable back surface) and DrawDib (own memory shown as a bitmap).
//
// A frame: LockSurface, draw through the buffer, Presenter()->ShowFrame() (which unlocks).
#pragma once

#include <cstdint>
#include <memory>

#include "graphics/display_services.h"

class ColourTable;
class DirectDrawDevice;
class PaletteBlock;
class ScreenBuffer;
class ScreenPresenter;
class ScreenSettingsBlock;
class ScreenSurface;

class Display {
  public:
    explicit Display(const DisplayServices& services);
    virtual ~Display();
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    // Takes the three parts (after clearing the old ones) and wires them: the presenter shows the
    // surface and the buffer draws into all of it.
    void Wire(std::unique_ptr<ScreenSurface> surface, std::unique_ptr<ScreenPresenter> presenter,
              std::unique_ptr<ScreenBuffer> buffer);
    // Unlocks the surface and lets go of surface, presenter and buffer: they go when no frame can
    // still draw through them (object_lifetime.h).
    void Clear();

    ScreenSurface* Surface() const { return surface_.get(); }
    ScreenPresenter* Presenter() const { return presenter_.get(); }
    ScreenBuffer* Buffer() const { return buffer_.get(); }
    const DisplayServices& Services() const { return services_; }

    // Locks the surface for drawing, trying again after a brief pause while the screen is busy;
    // throws StopRequested when the program is being stopped meanwhile.
    void LockSurface();

  private:
    DisplayServices services_;
    std::unique_ptr<ScreenSurface> surface_;
    std::unique_ptr<ScreenPresenter> presenter_;
    std::unique_ptr<ScreenBuffer> buffer_;
    uint64_t birth_ = 0;  // when the parts were made, against the objects (object_lifetime.h)
};

// Builds the display the settings ask for into display, as start-up and the screen options do.
// With the DirectDraw flag set the DirectDraw kind is tried first, its device kept in device; when
// any step of it throws, the device is released and dropped, the display cleared, the flag cleared
// in the settings and the DrawDib kind built instead. A failure of the DrawDib kind is passed on.
// In 8-bit modes the palette is given to the screen.
void BuildDisplay(Display& display, std::unique_ptr<DirectDrawDevice>& device, ScreenSettingsBlock& settings,
                  PaletteBlock* palette, const ColourTable* colours);
