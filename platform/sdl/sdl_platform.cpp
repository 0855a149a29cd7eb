#include "platform/sdl/sdl_platform.h"

#include <cstdlib>
#include <cstring>

#include "platform/code_page.h"
#include "platform/headless/headless_platform.h"
#include "platform/sdl/lost_display.h"

namespace {

constexpr uint32_t kSubsystems = SDL_INIT_VIDEO | SDL_INIT_JOYSTICK | SDL_INIT_EVENTS;

}  // namespace

std::unique_ptr<SdlPlatform> SdlPlatform::Create(const std::string& title, std::string* error) {
    auto platform = std::make_unique<SdlPlatform>(Key{});
    auto fail = [&] {
        if (error) *error = SDL_GetError();
        return nullptr;
    };
    if (SDL_InitSubSystem(kSubsystems) != 0) return fail();
    platform->sdlStarted_ = true;
    EndProcessOnLostDisplay();
    const std::string utf8Title = CodePageConverter().ToUtf8(title);
    platform->window_ = SDL_CreateWindow(utf8Title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                         640, 480, SDL_WINDOW_HIDDEN);
    if (!platform->window_) return fail();
    platform->renderer_ = SDL_CreateRenderer(platform->window_, -1, 0);
    if (!platform->renderer_)
        platform->renderer_ = SDL_CreateRenderer(platform->window_, -1, SDL_RENDERER_SOFTWARE);
    if (!platform->renderer_) return fail();
    platform->app_ = std::make_unique<SdlApp>(platform->window_);
    platform->video_ = std::make_unique<SdlVideo>(*platform->app_, platform->window_, platform->renderer_);
    platform->input_ = std::make_unique<SdlInput>(*platform->app_, platform->window_, platform->renderer_);
    platform->app_->Attach(platform->video_.get(), platform->input_.get());
    SDL_StartTextInput();
    return platform;
}

SdlPlatform::~SdlPlatform() {
    if (app_) {
        app_->StopGameThread();
        app_->Attach(nullptr, nullptr);
    }
    input_.reset();
    video_.reset();
    app_.reset();
    if (renderer_) SDL_DestroyRenderer(renderer_);
    if (window_) SDL_DestroyWindow(window_);
    if (sdlStarted_) SDL_QuitSubSystem(kSubsystems);
}

bool SdlPlatform::HasDisplay() const {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr) return false;
    if (std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0) return true;
    const char* asked = std::getenv("SDL_VIDEODRIVER");
    return asked != nullptr && std::strstr(asked, driver) != nullptr;
}

std::unique_ptr<Platform> CreatePlatform(PlatformKind kind, const std::string& title, std::string* error) {
    if (kind == PlatformKind::Headless) return std::make_unique<HeadlessPlatform>();
    return SdlPlatform::Create(title, error);
}
