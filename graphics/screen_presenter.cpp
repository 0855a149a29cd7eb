#include "graphics/screen_presenter.h"

#include <algorithm>

#include "foundation/exceptions.h"
#include "foundation/palette_block.h"
#include "graphics/direct_draw_device.h"
#include "graphics/screen_surface.h"

namespace {

constexpr uint32_t kRetryPauseMs = 1;

[[noreturn]] void ShowError() {
    throw FatalExep(String("Unable to show screen"));
}

}  // namespace

std::vector<PaletteColor> PaletteColours(const PaletteBlock& palette) {
    std::vector<PaletteColor> colours(std::min<uint32_t>(palette.Count(), 256));
    for (uint32_t i = 0; i < colours.size(); ++i)
        colours[i] = PaletteColor{palette.Red(i), palette.Green(i), palette.Blue(i)};
    return colours;
}

ScreenSurface& ScreenPresenter::WiredSurface() const {
    if (surface_ == nullptr) ShowError();
    return *surface_;
}

void DibPresenter::ShowFrame() {
    ScreenSurface& surface = WiredSurface();
    surface.Unlock();
    if (surface.Pixels() == nullptr || surface.Height() <= 0) ShowError();
    // The frame starts at the lowest row in memory, whichever way the rows run.
    const int32_t step = surface.RowStep();
    const bool bottomUp = step < 0;
    const FrameView frame{surface.RowAddress(bottomUp ? surface.Height() - 1 : 0), bottomUp ? -step : step,
                          bottomUp};
    if (!video_.Present(frame)) ShowError();
}

void DibPresenter::InitPalette() {
    const ScreenSurface& surface = WiredSurface();
    if (surface.BitsPerPixel() > 8 || surface.Palette() == nullptr) return;
    video_.SetPalette(PaletteColours(*surface.Palette()));
}

void DirectDrawPresenter::ShowFrame() {
    ScreenSurface& surface = WiredSurface();
    surface.Unlock();
    const DisplayServices& services = device_.Services();
    for (;;) {
        switch (device_.GetVideo().Blit()) {
            case SurfaceResult::Ok:
                return;
            case SurfaceResult::Lost:
                device_.RestoreSurface();
                services.Pause(kRetryPauseMs);
                break;
            case SurfaceResult::Busy:
                services.Pause(kRetryPauseMs);
                break;
            case SurfaceResult::Error:
            default:
                ShowError();
        }
    }
}

void DirectDrawPresenter::InitPalette() {
    const ScreenSurface& surface = WiredSurface();
    if (surface.BitsPerPixel() > 8) return;
    if (surface.Palette() == nullptr) {
        throw FatalExep(String("Failed initialize palette because it doesn present"));
    }
    device_.GetVideo().SetPalette(PaletteColours(*surface.Palette()));
}
