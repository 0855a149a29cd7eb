// The DrawDib kind's frame memory: an ordinary block laid out as a bottom-up device-independent
// bitmap (row y lies (height - y - 1) rows from the start), with the bitmap header and colour table
// that describe it. Building it opens the screen mode (full screen or a centred window) and
// destroying it gives the desktop back.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "graphics/screen_surface.h"
#include "platform/video.h"

class DibSurface : public ScreenSurface {
  public:
    static constexpr uint32_t kBitmapHeaderSize = 40;

    // Throws "Unable to set video mode" for a mode that cannot be shown, "Palette required" and
    // "Too large palette for ScreenBuffer" for 8-bit modes without a fitting palette. The settings'
    // pixel format becomes 555.
    DibSurface(Video& video, ScreenSettingsBlock* settings, PaletteBlock* palette, int32_t rowAlignment);
    ~DibSurface() override;

    int32_t RowStep() const override;
    uint8_t* RowAddress(int32_t y) const override;
    uint8_t* PixelAddress(int32_t x, int32_t y) const override;

    // The 40-byte bitmap header, followed in 8-bit modes by 256 entries of blue, green, red, 0.
    std::span<const uint8_t> BitmapInfo() const { return bitmapInfo_; }
    // The colour table as the video takes it (empty above 8 bits per pixel).
    std::vector<PaletteColor> ColourTableColours() const;
    // The desktop's mode before a full-screen switch (not filled for a window).
    const DesktopMode& SavedDesktop() const { return savedDesktop_; }
    bool FullScreen() const { return fullScreen_; }
    Video& GetVideo() const { return video_; }

  private:
    void BuildBitmapInfo(const PaletteBlock* palette);

    Video& video_;
    std::vector<uint8_t> bitmapInfo_;
    std::vector<uint8_t> memory_;
    DesktopMode savedDesktop_{};
    // Read once: the mode is given back as it was opened, whatever the flags say later.
    bool fullScreen_ = false;
};
