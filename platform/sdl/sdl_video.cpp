#include "platform/sdl/sdl_video.h"

#include <algorithm>
#include <utility>

#include "platform/frame_copy.h"
#include "platform/sdl/sdl_app.h"

SdlVideo::SdlVideo(SdlApp& app, SDL_Window* window, SDL_Renderer* renderer)
    : app_(app), window_(window), renderer_(renderer) {}

SdlVideo::~SdlVideo() {
    Close();
    if (texture_) SDL_DestroyTexture(texture_);
}

DesktopMode SdlVideo::Desktop() const {
    DesktopMode desktop = desktop_;
    app_.RunOnMain([&] {
        SDL_DisplayMode mode;
        const int display = SDL_GetWindowDisplayIndex(window_);
        if (SDL_GetDesktopDisplayMode(display < 0 ? 0 : display, &mode) == 0) {
            desktop.width = mode.w;
            desktop.height = mode.h;
            desktop.bitsPerPixel = static_cast<int32_t>(SDL_BITSPERPIXEL(mode.format));
        }
    });
    return desktop;
}

void SdlVideo::PlaceWindow(const WindowPlacement& placement) {
    Video::PlaceWindow(placement);
    app_.RunOnMain([&] {
        if (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN) return;
        SDL_SetWindowPosition(window_, placement.x, placement.y);
        if (placement.width > 0 && placement.height > 0)
            SDL_SetWindowSize(window_, placement.width, placement.height);
    });
}

bool SdlVideo::OpenOutput(const VideoMode& mode, std::string* error) {
    bool opened = false;
    app_.RunOnMain([&] { opened = OpenOnMain(mode); });
    if (!opened) *error = kVideoModeError;
    return opened;
}

void SdlVideo::CloseOutput() {
    app_.RunOnMain([&] { CloseOnMain(); });
    std::lock_guard<std::mutex> lock(mailboxMutex_);
    framePending_.store(false);
}

bool SdlVideo::OpenOnMain(const VideoMode& mode) {
    uint32_t format = SDL_PIXELFORMAT_RGB888;
    if (mode.bitsPerPixel == 16)
        format = (mode.kind == VideoKind::DrawDib || NativePixelFormat() == 555) ? SDL_PIXELFORMAT_RGB555
                                                                                 : SDL_PIXELFORMAT_RGB565;
    const bool placed = mode.fullScreen ? CoverDisplay() : ShowWindowed(mode.width, mode.height);
    // The picture keeps its 4:3 shape at any window size: scaled to fit, centred, black bars beside,
    // and pointer positions come back in picture pixels.
    if (placed && SDL_RenderSetLogicalSize(renderer_, mode.width, mode.height) == 0)
        texture_ = SDL_CreateTexture(renderer_, format, SDL_TEXTUREACCESS_STREAMING, mode.width, mode.height);
    if (!texture_) {
        SDL_SetWindowFullscreen(window_, 0);
        return false;
    }
    textureWidth_ = mode.width;
    textureHeight_ = mode.height;
    textureBits_ = mode.bitsPerPixel;
    SDL_ShowWindow(window_);
    SDL_RaiseWindow(window_);
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_RenderPresent(renderer_);
    return true;
}

bool SdlVideo::CoverDisplay() {
    const int display = std::max(SDL_GetWindowDisplayIndex(window_), 0);
    SDL_Rect bounds;
    if (SDL_GetDisplayBounds(display, &bounds) != 0) return false;
    // Without a window manager a full-screen request changes nothing: the window is made to cover
    // the display itself first, and then asked to be full screen for the managers that honour it.
    SDL_SetWindowBordered(window_, SDL_FALSE);
    SDL_SetWindowPosition(window_, bounds.x, bounds.y);
    SDL_SetWindowSize(window_, bounds.w, bounds.h);
    return SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP) == 0;
}

bool SdlVideo::ShowWindowed(int32_t width, int32_t height) {
    // A window that covered the display is framed again and centred.
    const bool covered = (SDL_GetWindowFlags(window_) & SDL_WINDOW_BORDERLESS) != 0;
    if (SDL_SetWindowFullscreen(window_, 0) != 0) return false;
    SDL_SetWindowBordered(window_, SDL_TRUE);
    SDL_SetWindowSize(window_, width, height);
    if (covered) {
        const int display = std::max(SDL_GetWindowDisplayIndex(window_), 0);
        SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED_DISPLAY(display),
                              SDL_WINDOWPOS_CENTERED_DISPLAY(display));
    }
    return true;
}

void SdlVideo::CloseOnMain() {
    if (texture_) SDL_DestroyTexture(texture_);
    texture_ = nullptr;
    textureWidth_ = textureHeight_ = textureBits_ = 0;
    // The desktop gets its own mode back; the window stays for the next mode.
    if (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN) SDL_SetWindowFullscreen(window_, 0);
}

void SdlVideo::ShowFrame(const FrameView& frame) {
    const VideoMode& mode = Mode();
    {
        std::lock_guard<std::mutex> lock(mailboxMutex_);
        pending_.width = mode.width;
        pending_.height = mode.height;
        pending_.bitsPerPixel = mode.bitsPerPixel;
        const size_t pixels = static_cast<size_t>(mode.width) * static_cast<size_t>(mode.height);
        if (mode.bitsPerPixel == 8) {
            pending_.pitch = mode.width * 4;
            pending_.pixels.resize(pixels);
            ExpandPalettedFrame(frame, mode.width, mode.height, CurrentPalette(), pending_.pixels.data());
        } else {
            pending_.pitch = RowBytes(mode.width, mode.bitsPerPixel);
            pending_.pixels.resize((pixels * 2 + 3) / 4);
            CopyFrameTopDown(frame, mode.width, mode.height, mode.bitsPerPixel,
                             reinterpret_cast<uint8_t*>(pending_.pixels.data()),
                             static_cast<size_t>(pending_.pitch));
        }
        framePending_.store(true);
    }
    app_.WakeMain();
}

void SdlVideo::UploadPendingFrame() {
    if (!framePending_.load()) return;
    {
        std::lock_guard<std::mutex> lock(mailboxMutex_);
        if (!framePending_.load()) return;
        std::swap(shown_, pending_);
        framePending_.store(false);
    }
    // A frame made for a mode that has gone since is dropped.
    if (!texture_ || shown_.width != textureWidth_ || shown_.height != textureHeight_ ||
        shown_.bitsPerPixel != textureBits_)
        return;
    SDL_UpdateTexture(texture_, nullptr, shown_.pixels.data(), shown_.pitch);
    Redraw();
    uploaded_.fetch_add(1);
}

void SdlVideo::Redraw() {
    if (!texture_) return;
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
    SDL_RenderPresent(renderer_);
}
