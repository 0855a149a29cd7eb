// The SDL set: one window shared by the main loop, the picture and the input.
#pragma once

#include <SDL.h>

#include <memory>
#include <string>

#include "platform/platform.h"
#include "platform/sdl/sdl_app.h"
#include "platform/sdl/sdl_input.h"
#include "platform/sdl/sdl_video.h"

class SdlPlatform : public Platform {
    struct Key {
        explicit Key() = default;
    };

  public:
    // On the main thread. Null, with SDL's reason in error, when there is no display to use.
    // The window stays hidden until a video mode is opened.
    static std::unique_ptr<SdlPlatform> Create(const std::string& title, std::string* error);
    explicit SdlPlatform(Key) {}
    ~SdlPlatform() override;

    SdlApp& GetApp() override { return *app_; }
    SdlVideo& GetVideo() override { return *video_; }
    SdlInput& GetInput() override { return *input_; }
    SDL_Window* Window() const { return window_; }
    SDL_Renderer* Renderer() const { return renderer_; }
    // False when SDL found no display and fell back to a video driver that shows nothing, unless
    // SDL_VIDEODRIVER asked for that driver.
    bool HasDisplay() const override;

  private:
    bool sdlStarted_ = false;
    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    std::unique_ptr<SdlApp> app_;
    std::unique_ptr<SdlVideo> video_;
    std::unique_ptr<SdlInput> input_;
};

// The platform set of the kind asked for; null with the reason when it cannot be made.
std::unique_ptr<Platform> CreatePlatform(PlatformKind kind, const std::string& title, std::string* error);
