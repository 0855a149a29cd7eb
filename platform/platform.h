// The window-side services as one set, made together because the backends share their window.
// Timer and audio have their own backends.
#pragma once

#include <memory>

#include "platform/app.h"
#include "platform/input.h"
#include "platform/video.h"

enum class PlatformKind { Headless, Sdl };

class Platform {
  public:
    virtual ~Platform() = default;
    virtual App& GetApp() = 0;
    virtual Video& GetVideo() = 0;
    virtual Input& GetInput() = 0;
    // Whether the window is shown on a real screen; a program that needs one stops without it.
    virtual bool HasDisplay() const = 0;
};
