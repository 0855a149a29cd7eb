#include "graphics/video_mode.h"

#include <string>

#include "foundation/config_blocks.h"
#include "foundation/exceptions.h"

namespace {

[[noreturn]] void ModeError(const ScreenSettingsBlock& settings) {
    ThrowScreenModeError(kVideoModeError, settings);
}

bool SideOk(uint16_t side) {
    return side >= 1 && side <= Video::kMaxSide;
}

}  // namespace

WindowOrigin& ScreenWindowOrigin() {
    static WindowOrigin origin;
    return origin;
}

void ThrowScreenModeError(const char* text, const ScreenSettingsBlock& settings) {
    ThrowFatal("%s (%u x %u at %u bits per pixel in \"%s\")", text, unsigned{settings.Width()},
               unsigned{settings.Height()}, unsigned{settings.BitsPerPixel()},
               ScreenSettingsBlock::kFileName);
}

ScreenSettingsBlock* CheckScreenMode(ScreenSettingsBlock* settings) {
    if (settings == nullptr) throw FatalExep(String(kVideoModeError));
    const uint16_t bits = settings->BitsPerPixel();
    if ((bits != 8 && bits != 16) || !SideOk(settings->Width()) || !SideOk(settings->Height()))
        ModeError(*settings);
    return settings;
}

VideoMode ScreenVideoMode(const ScreenSettingsBlock& settings, VideoKind kind) {
    VideoMode mode;
    mode.kind = kind;
    mode.width = settings.Width();
    mode.height = settings.Height();
    mode.bitsPerPixel = settings.BitsPerPixel();
    mode.fullScreen = (settings.Flags() & ScreenSettingsBlock::kFullScreen) != 0;
    return mode;
}

WindowPlacement CentredPlacement(const DesktopMode& desktop, int32_t width, int32_t height) {
    WindowPlacement placement;
    placement.x = static_cast<int32_t>((int64_t{desktop.width} - width) / 2);
    placement.y = static_cast<int32_t>((int64_t{desktop.height} - height) / 2);
    placement.width = width;
    placement.height = height;
    return placement;
}

DesktopMode OpenDrawDibMode(const ScreenSettingsBlock& settings, Video& video) {
    const VideoMode mode = ScreenVideoMode(settings, VideoKind::DrawDib);
    WindowOrigin& origin = ScreenWindowOrigin();
    if (mode.fullScreen) {
        origin.x = 0;
        origin.y = 0;
        video.PlaceWindow(WindowPlacement{0, 0, mode.width, mode.height});
        const DesktopMode saved = video.Desktop();
        if (!video.Open(mode)) ModeError(settings);
        return saved;
    }
    const DesktopMode desktop = video.Desktop();
    const WindowPlacement placement = CentredPlacement(desktop, mode.width, mode.height);
    origin.x = placement.x;
    origin.y = placement.y;
    if (!video.Open(mode)) ModeError(settings);
    video.PlaceWindow(placement);
    return desktop;
}
