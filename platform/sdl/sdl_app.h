// The main thread's services over an SDL window: SDL's event queue is the message loop.
#pragma once

#include <SDL.h>

#include <atomic>
#include <string>

#include "platform/app.h"
#include "platform/code_page.h"

class SdlInput;
class SdlVideo;

class SdlApp : public App {
  public:
    // SDL's video must be up; the window is borrowed.
    explicit SdlApp(SDL_Window* window);
    ~SdlApp() override;

    // Wires the event side of video and input (both borrowed, both outliving the main loop).
    void Attach(SdlVideo* video, SdlInput* input);
    // Any thread: makes the main thread look at its mailbox.
    void WakeMain() { Wake(); }
    void ShowCursor(bool visible) override;

  protected:
    void Pump(bool wait) override;
    void Wake() override;
    int MessageBoxOnMain(const std::string& title, const std::string& text, uint32_t style) override;

  private:
    void Handle(const SDL_Event& event);
    void HandleKey(const SDL_KeyboardEvent& key);
    void HandleWindow(const SDL_WindowEvent& window);

    SDL_Window* window_;
    SdlVideo* video_ = nullptr;
    SdlInput* input_ = nullptr;
    uint32_t wakeEvent_;
    std::atomic<bool> wakeQueued_{false};
    CodePageConverter codePage_;  // main thread only
};
