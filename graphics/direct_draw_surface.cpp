#include "graphics/direct_draw_surface.h"

#include "foundation/exceptions.h"
#include "graphics/direct_draw_device.h"
#include "graphics/video_mode.h"
#include "platform/video.h"

namespace {
constexpr uint32_t kRetryPauseMs = 1;
}

DirectDrawSurface::DirectDrawSurface(DirectDrawDevice& device, ScreenSettingsBlock* settings,
                                     PaletteBlock* palette, int32_t rowAlignment)
    : ScreenSurface(CheckScreenMode(settings), palette, rowAlignment), device_(device) {}

DirectDrawSurface::~DirectDrawSurface() {
    Unlock();
}

bool DirectDrawSurface::Lock() {
    if (locked_) return true;
    locked_ = LockScreenSurface();
    return locked_;
}

void DirectDrawSurface::Unlock() {
    if (!locked_) return;
    device_.GetVideo().Unlock();
    SetPixels(nullptr);
    locked_ = false;
}

bool DirectDrawSurface::LockScreenSurface() {
    Video& video = device_.GetVideo();
    for (;;) {
        LockedSurface surface;
        switch (video.Lock(&surface)) {
            case SurfaceResult::Ok:
                // Drawing walks rows by the computed pitch: memory laid out otherwise would be
                // overrun or drawn askew.
                if (surface.pixels == nullptr || surface.pitch != Pitch()) {
                    video.Unlock();
                    throw FatalExep(String("Unable to lock surface"));
                }
                SetPixels(surface.pixels);
                return true;
            case SurfaceResult::Busy:
                return false;
            case SurfaceResult::Lost:
                device_.RestoreSurface();
                // A surface that stays lost after every restore must neither spin nor hold up a stop.
                device_.Services().Pause(kRetryPauseMs);
                break;
            case SurfaceResult::Error:
            default:
                throw FatalExep(String("Unable to lock surface"));
        }
    }
}
