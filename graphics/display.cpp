#include "graphics/display.h"

#include <memory>

#include "foundation/config_blocks.h"
#include "foundation/exceptions.h"
#include "graphics/dib_surface.h"
#include "graphics/direct_draw_device.h"
#include "graphics/direct_draw_surface.h"
#include "graphics/screen_buffer.h"
#include "graphics/screen_presenter.h"
#include "graphics/screen_surface.h"
#include "script/object_lifetime.h"

namespace {

constexpr int32_t kRowAlignment = 4;
constexpr uint32_t kLockPauseMs = 1;

void BuildDirectDraw(Display& display, std::unique_ptr<DirectDrawDevice>& device,
                     ScreenSettingsBlock& settings, PaletteBlock* palette, const ColourTable* colours) {
    device = std::make_unique<DirectDrawDevice>(&settings, display.Services());
    auto buffer = std::make_unique<ScreenBuffer>(colours);
    auto presenter = std::make_unique<DirectDrawPresenter>(*device);
    auto surface = std::make_unique<DirectDrawSurface>(*device, &settings, palette, kRowAlignment);
    display.Wire(std::move(surface), std::move(presenter), std::move(buffer));
    display.Presenter()->InitPalette();
}

void BuildDrawDib(Display& display, ScreenSettingsBlock& settings, PaletteBlock* palette,
                  const ColourTable* colours) {
    Video& video = *display.Services().video;
    auto buffer = std::make_unique<ScreenBuffer>(colours);
    auto presenter = std::make_unique<DibPresenter>(video);
    auto surface = std::make_unique<DibSurface>(video, &settings, palette, kRowAlignment);
    display.Wire(std::move(surface), std::move(presenter), std::move(buffer));
    display.Presenter()->InitPalette();
}

}  // namespace

Display::Display(const DisplayServices& services) : services_(services) {}

Display::~Display() {
    Clear();
}

void Display::Wire(std::unique_ptr<ScreenSurface> surface, std::unique_ptr<ScreenPresenter> presenter,
                   std::unique_ptr<ScreenBuffer> buffer) {
    Clear();
    birth_ = NextObjectBirth();
    surface_ = std::move(surface);
    presenter_ = std::move(presenter);
    buffer_ = std::move(buffer);
    if (presenter_) presenter_->SetSurface(surface_.get());
    if (buffer_) buffer_->SetSurface(surface_.get());
}

void Display::Clear() {
    if (!surface_ && !presenter_ && !buffer_) return;
    if (surface_) surface_->Unlock();
    // A frame below may still draw through the old parts: a script it called rebuilt the display.
    // Unlocked, they draw nothing, and they go when no frame can hold them any more.
    struct Parts {
        std::unique_ptr<ScreenSurface> surface;
        std::unique_ptr<ScreenPresenter> presenter;
        std::unique_ptr<ScreenBuffer> buffer;
    };
    auto parts =
        std::make_shared<Parts>(Parts{std::move(surface_), std::move(presenter_), std::move(buffer_)});
    ReleaseLater(birth_, [parts]() mutable { parts.reset(); });
}

void Display::LockSurface() {
    if (!surface_) return;
    while (!surface_->Lock()) services_.Pause(kLockPauseMs);
}

void BuildDisplay(Display& display, std::unique_ptr<DirectDrawDevice>& device, ScreenSettingsBlock& settings,
                  PaletteBlock* palette, const ColourTable* colours) {
    if (display.Services().video == nullptr) throw FatalExep(String(kVideoModeError));
    display.Clear();
    if (device) {
        device->Release();
        device.reset();
    }
    if ((settings.Flags() & ScreenSettingsBlock::kDirectDraw) != 0) {
        try {
            BuildDirectDraw(display, device, settings, palette, colours);
            return;
        } catch (...) {
            display.Clear();
            if (device) device->Release();
            device.reset();
            settings.SetFlags(static_cast<uint16_t>(settings.Flags() & ~ScreenSettingsBlock::kDirectDraw));
        }
    }
    BuildDrawDib(display, settings, palette, colours);
}
