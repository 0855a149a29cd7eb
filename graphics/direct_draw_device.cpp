#include "graphics/direct_draw_device.h"

#include "foundation/config_blocks.h"
#include "foundation/exceptions.h"
#include "graphics/video_mode.h"
#include "platform/video.h"

namespace {
constexpr uint32_t kRestoreWaitMs = 300;
}

DirectDrawDevice::DirectDrawDevice(ScreenSettingsBlock* settings, const DisplayServices& services)
    : settings_(CheckScreenMode(settings)), services_(services) {
    if (services_.video == nullptr) throw FatalExep(String("DirectDraw Init FAILED"));
    Init(settings_->Width(), settings_->Height(), settings_->BitsPerPixel());
}

DirectDrawDevice::~DirectDrawDevice() {
    Release();
}

void DirectDrawDevice::Init(int32_t width, int32_t height, int32_t bitsPerPixel) {
    Video& video = GetVideo();
    WindowOrigin& origin = ScreenWindowOrigin();
    origin.x = 0;
    origin.y = 0;
    // The window stays at the desktop's top-left corner, also when windowed.
    video.PlaceWindow(WindowPlacement{0, 0, width, height});
    if (!video.Open(ScreenVideoMode(*settings_, VideoKind::DirectDraw))) {
        throw FatalExep(String("DirectDraw Init FAILED"));
    }
    released_ = false;
    if (bitsPerPixel == 16) settings_->pixelFormat = video.PixelFormat() == 565 ? 565 : 555;
}

void DirectDrawDevice::Release() {
    if (released_) return;
    GetVideo().Close();
    released_ = true;
}

void DirectDrawDevice::RestoreSurface() {
    for (;;) {
        services_.CheckStop();
        if (services_.Active() && GetVideo().Restore()) return;
        services_.Pause(kRestoreWaitMs);
    }
}
