// Input state kept from SDL's events by the main thread.
#pragma once

#include <SDL.h>

#include <array>
#include <vector>

#include "platform/input.h"

class SdlApp;

class SdlInput : public Input {
  public:
    // Borrowed: the window and renderer map picture coordinates to the window.
    SdlInput(SdlApp& app, SDL_Window* window, SDL_Renderer* renderer);
    ~SdlInput() override;

    void SetCursor(int32_t x, int32_t y) override;

    // Main thread. A key's release clears the code its press set, whatever num lock did between.
    void HandleKey(SDL_Scancode scancode, int32_t virtualKey, bool down);
    // Mouse and joystick events; others are ignored.
    void Handle(const SDL_Event& event);

  private:
    struct OpenJoystick {
        SDL_Joystick* joystick;
        SDL_JoystickID id;
        JoystickPosition position;
    };

    void AddJoystick(int deviceIndex);
    void RemoveJoystickById(SDL_JoystickID id);
    OpenJoystick* Find(SDL_JoystickID id, int32_t* index);

    SdlApp& app_;
    SDL_Window* window_;
    SDL_Renderer* renderer_;
    std::array<uint8_t, SDL_NUM_SCANCODES> pressedAs_{};
    std::vector<OpenJoystick> joysticks_;  // main thread; same order as the stored slots
};
