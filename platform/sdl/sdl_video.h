// The picture in an SDL window. Frames come from the game thread into a mailbox; the main thread
// uploads the newest to a streaming texture and presents it, scaled to the window with its aspect
// kept. Window and renderer work always runs on the main thread.
#pragma once

#include <SDL.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/video.h"

class SdlApp;

class SdlVideo : public Video {
  public:
    // Borrowed window and renderer.
    SdlVideo(SdlApp& app, SDL_Window* window, SDL_Renderer* renderer);
    ~SdlVideo() override;

    DesktopMode Desktop() const override;
    void PlaceWindow(const WindowPlacement& placement) override;

    // Main thread: shows the newest frame from the mailbox, if one came.
    void UploadPendingFrame();
    // Main thread: shows the current picture again (the window was uncovered or resized).
    void Redraw();
    // Frames that reached the screen; fewer than FramesShown when the main thread fell behind.
    uint64_t FramesUploaded() const { return uploaded_.load(); }

  protected:
    bool OpenOutput(const VideoMode& mode, std::string* error) override;
    void CloseOutput() override;
    void ShowFrame(const FrameView& frame) override;

  private:
    struct Mailbox {
        std::vector<uint32_t> pixels;  // 16-bit rows as they are, 8-bit rows expanded to 0x00RRGGBB
        int32_t pitch = 0;
        int32_t width = 0;
        int32_t height = 0;
        int32_t bitsPerPixel = 0;
    };

    bool OpenOnMain(const VideoMode& mode);
    void CloseOnMain();
    // Main thread: the window over the whole display it is on, or as a framed window of the size.
    bool CoverDisplay();
    bool ShowWindowed(int32_t width, int32_t height);

    SdlApp& app_;
    SDL_Window* window_;
    SDL_Renderer* renderer_;

    // Main thread only.
    SDL_Texture* texture_ = nullptr;
    int32_t textureWidth_ = 0;
    int32_t textureHeight_ = 0;
    int32_t textureBits_ = 0;
    Mailbox shown_;

    std::mutex mailboxMutex_;
    Mailbox pending_;
    std::atomic<bool> framePending_{false};
    std::atomic<uint64_t> uploaded_{0};
};
