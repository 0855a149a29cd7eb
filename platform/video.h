// The picture on the monitor. Two kinds, as the display chooses at start-up: the DirectDraw kind
// gives a back surface to lock, draw into and copy to the screen, and reports lost or busy
// surfaces; the DrawDib kind only shows finished frames from the caller's own memory. Full screen
// never changes the desktop's real mode: the picture is scaled to fill it, aspect kept.
//
// The base keeps the mode, the back surface, the palette and the placement in memory and shows
// nothing; the backends show. All calls come from one thread at a time (start-up on the main
// thread, later the game thread); the SDL backend moves window work to the main thread itself.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

enum class VideoKind { DirectDraw, DrawDib };

struct VideoMode {
    VideoKind kind = VideoKind::DrawDib;
    int32_t width = 640;
    int32_t height = 480;
    int32_t bitsPerPixel = 16;  // 8 (paletted) or 16
    bool fullScreen = false;
};

enum class SurfaceResult { Ok, Busy, Lost, Error };

struct PaletteColor {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
};
using Palette = std::array<PaletteColor, 256>;

// A finished frame in the caller's memory: pixels is the start of the memory, rows pitch bytes
// apart; with bottomUp the first row in memory is the picture's last.
struct FrameView {
    const uint8_t* pixels = nullptr;
    int32_t pitch = 0;
    bool bottomUp = false;
};

struct LockedSurface {
    uint8_t* pixels = nullptr;
    int32_t pitch = 0;  // width x bytes per pixel rounded up to 4, rows top-down
};

struct DesktopMode {
    int32_t width = 1024;
    int32_t height = 768;
    int32_t bitsPerPixel = 32;
};

// Where the window stands on the desktop, in desktop pixels.
struct WindowPlacement {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// The message when the mode cannot be set.
extern const char* const kVideoModeError;  // "Unable to set video mode"

class Video {
  public:
    static constexpr int32_t kMaxSide = 8192;

    Video() = default;
    virtual ~Video() = default;
    Video(const Video&) = delete;
    Video& operator=(const Video&) = delete;

    // Opens the mode (closing an open one first). On failure returns false with the reason in
    // error, and nothing stays open.
    bool Open(const VideoMode& mode, std::string* error = nullptr);
    // Closes the picture and gives the desktop back; nothing when not open.
    void Close();
    bool IsOpen() const { return open_; }
    const VideoMode& Mode() const { return mode_; }
    // 555 or 565 in 16-bit modes (the DrawDib kind is always 555), 0 at other depths.
    int32_t PixelFormat() const;

    // Up to 256 colours; the rest are black. Used by 8-bit modes.
    void SetPalette(std::span<const PaletteColor> colors);
    const Palette& CurrentPalette() const { return palette_; }

    // Shows a finished frame of the open mode's size and depth. False when nothing is open or the
    // frame's pitch is too small for a row.
    bool Present(const FrameView& frame);

    // The DirectDraw kind's back surface. Lock gives its memory (again, when already locked);
    // Blit copies it to the screen and must not be called while locked. Lost means Restore is
    // needed; busy means try again.
    virtual SurfaceResult Lock(LockedSurface* surface);
    void Unlock();
    bool Locked() const { return locked_; }
    virtual SurfaceResult Blit();
    // Brings lost surfaces back; false when that cannot happen yet (try again later).
    virtual bool Restore();

    virtual DesktopMode Desktop() const { return desktop_; }
    // Moves and sizes the window (windowed modes; a full-screen picture ignores it).
    virtual void PlaceWindow(const WindowPlacement& placement);
    const WindowPlacement& Placement() const { return placement_; }

    // Frames shown through Present and Blit since construction.
    uint64_t FramesShown() const { return framesShown_; }

  protected:
    // What the backend does at open and close. The base does nothing.
    virtual bool OpenOutput(const VideoMode& mode, std::string* error);
    virtual void CloseOutput();
    // The screen's 16-bit format for the DirectDraw kind.
    virtual int32_t NativePixelFormat() const { return 565; }
    // Shows a checked frame of the open mode.
    virtual void ShowFrame(const FrameView& frame);

    DesktopMode desktop_;

  private:
    bool open_ = false;
    bool locked_ = false;
    VideoMode mode_;
    Palette palette_{};
    std::vector<uint8_t> backSurface_;
    int32_t backPitch_ = 0;
    WindowPlacement placement_;
    uint64_t framesShown_ = 0;
};
