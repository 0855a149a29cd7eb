// The headless set: no window, everything in memory and scriptable by tests.
#pragma once

#include "platform/headless/headless_app.h"
#include "platform/headless/headless_input.h"
#include "platform/headless/headless_video.h"
#include "platform/platform.h"

class HeadlessPlatform : public Platform {
  public:
    ~HeadlessPlatform() override { app_.StopGameThread(); }
    HeadlessApp& GetApp() override { return app_; }
    HeadlessVideo& GetVideo() override { return video_; }
    HeadlessInput& GetInput() override { return input_; }
    bool HasDisplay() const override { return false; }

  private:
    HeadlessApp app_;
    HeadlessVideo video_;
    HeadlessInput input_;
};
