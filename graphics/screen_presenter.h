// Puts a finished frame on the screen and gives 8-bit modes their palette. The DrawDib kind shows
// the surface's own memory; the DirectDraw kind copies the device's back surface to the screen.
#pragma once

#include <vector>

#include "platform/video.h"

class DirectDrawDevice;
class PaletteBlock;
class ScreenSurface;

class ScreenPresenter {
  public:
    ScreenPresenter() = default;
    virtual ~ScreenPresenter() = default;
    ScreenPresenter(const ScreenPresenter&) = delete;
    ScreenPresenter& operator=(const ScreenPresenter&) = delete;

    // Unlocks the surface, then shows it; throws "Unable to show screen" when that fails.
    virtual void ShowFrame() = 0;
    virtual void InitPalette() = 0;

    // Not owned; null until the display is wired.
    void SetSurface(ScreenSurface* surface) { surface_ = surface; }
    ScreenSurface* Surface() const { return surface_; }

  protected:
    // The wired surface; throws "Unable to show screen" when there is none.
    ScreenSurface& WiredSurface() const;

  private:
    ScreenSurface* surface_ = nullptr;
};

class DibPresenter : public ScreenPresenter {
  public:
    explicit DibPresenter(Video& video) : video_(video) {}

    void ShowFrame() override;
    // 8-bit modes: the surface's palette goes to the screen.
    void InitPalette() override;

  private:
    Video& video_;
};

class DirectDrawPresenter : public ScreenPresenter {
  public:
    explicit DirectDrawPresenter(DirectDrawDevice& device) : device_(device) {}

    // Copies the back surface to the screen, restoring lost surfaces and retrying while busy.
    void ShowFrame() override;
    // 8-bit modes: throws "Failed initialize palette because it doesn present" without a palette.
    void InitPalette() override;

  private:
    DirectDrawDevice& device_;
};

// The palette's readable entries as the video takes them, at most 256.
std::vector<PaletteColor> PaletteColours(const PaletteBlock& palette);
