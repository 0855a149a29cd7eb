#include "platform/sdl/sdl_input.h"

#include "platform/sdl/sdl_app.h"

namespace {

// SDL axes run from -32768 to 32767; the engine expects 0 to 65535.
uint32_t AxisPosition(int16_t value) {
    return static_cast<uint32_t>(int32_t{value} + 32768);
}

int32_t MouseButtonKey(uint8_t button) {
    switch (button) {
        case SDL_BUTTON_LEFT:
            return VK_LBUTTON;
        case SDL_BUTTON_RIGHT:
            return VK_RBUTTON;
        case SDL_BUTTON_MIDDLE:
            return VK_MBUTTON;
        default:
            return 0;
    }
}

}  // namespace

SdlInput::SdlInput(SdlApp& app, SDL_Window* window, SDL_Renderer* renderer)
    : app_(app), window_(window), renderer_(renderer) {
    SDL_JoystickEventState(SDL_ENABLE);
}

SdlInput::~SdlInput() {
    for (OpenJoystick& j : joysticks_) SDL_JoystickClose(j.joystick);
}

void SdlInput::SetCursor(int32_t x, int32_t y) {
    Input::SetCursor(x, y);
    app_.PostToMain([this, x, y] {
        if (!(SDL_GetWindowFlags(window_) & SDL_WINDOW_INPUT_FOCUS)) return;
        int windowX = x;
        int windowY = y;
        SDL_RenderLogicalToWindow(renderer_, static_cast<float>(x), static_cast<float>(y), &windowX,
                                  &windowY);
        SDL_WarpMouseInWindow(window_, windowX, windowY);
    });
}

void SdlInput::HandleKey(SDL_Scancode scancode, int32_t virtualKey, bool down) {
    const auto index = static_cast<size_t>(scancode);
    if (index >= pressedAs_.size()) return;
    if (down) {
        pressedAs_[index] = static_cast<uint8_t>(virtualKey);
        SetKey(virtualKey, true);
    } else {
        SetKey(pressedAs_[index] ? pressedAs_[index] : virtualKey, false);
        pressedAs_[index] = 0;
    }
}

void SdlInput::Handle(const SDL_Event& event) {
    int32_t index = 0;
    switch (event.type) {
        // The renderer has already mapped window positions to the picture's logical size.
        case SDL_MOUSEMOTION:
            StoreCursor(event.motion.x, event.motion.y);
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            StoreCursor(event.button.x, event.button.y);
            if (int32_t vk = MouseButtonKey(event.button.button))
                SetKey(vk, event.button.state == SDL_PRESSED);
            break;
        case SDL_JOYDEVICEADDED:
            AddJoystick(event.jdevice.which);
            break;
        case SDL_JOYDEVICEREMOVED:
            RemoveJoystickById(event.jdevice.which);
            break;
        case SDL_JOYAXISMOTION:
            if (OpenJoystick* j = Find(event.jaxis.which, &index)) {
                if (event.jaxis.axis == 0) j->position.x = AxisPosition(event.jaxis.value);
                if (event.jaxis.axis == 1) j->position.y = AxisPosition(event.jaxis.value);
                StoreJoystickPosition(index, j->position);
            }
            break;
        case SDL_JOYBUTTONDOWN:
        case SDL_JOYBUTTONUP:
            if (OpenJoystick* j = Find(event.jbutton.which, &index); j && event.jbutton.button < 32) {
                const uint32_t bit = 1u << event.jbutton.button;
                j->position.buttons = event.jbutton.state == SDL_PRESSED ? (j->position.buttons | bit)
                                                                         : (j->position.buttons & ~bit);
                StoreJoystickPosition(index, j->position);
            }
            break;
        default:
            break;
    }
}

void SdlInput::AddJoystick(int deviceIndex) {
    if (static_cast<int32_t>(joysticks_.size()) >= kMaxJoysticks) return;
    SDL_Joystick* joystick = SDL_JoystickOpen(deviceIndex);
    if (!joystick) return;
    const SDL_JoystickID id = SDL_JoystickInstanceID(joystick);
    if (Find(id, nullptr)) {  // already open: SDL hands out a second reference
        SDL_JoystickClose(joystick);
        return;
    }
    JoystickCaps caps;
    caps.buttons = SDL_JoystickNumButtons(joystick);
    JoystickPosition position;
    position.x = AxisPosition(SDL_JoystickGetAxis(joystick, 0));
    position.y = AxisPosition(SDL_JoystickGetAxis(joystick, 1));
    joysticks_.push_back(OpenJoystick{joystick, id, position});
    StoreJoystick(static_cast<int32_t>(joysticks_.size()) - 1, caps, position);
}

void SdlInput::RemoveJoystickById(SDL_JoystickID id) {
    int32_t index = 0;
    if (OpenJoystick* j = Find(id, &index)) {
        SDL_JoystickClose(j->joystick);
        joysticks_.erase(joysticks_.begin() + index);
        RemoveJoystick(index);
    }
}

SdlInput::OpenJoystick* SdlInput::Find(SDL_JoystickID id, int32_t* index) {
    for (size_t i = 0; i < joysticks_.size(); ++i) {
        if (joysticks_[i].id != id) continue;
        if (index) *index = static_cast<int32_t>(i);
        return &joysticks_[i];
    }
    return nullptr;
}
