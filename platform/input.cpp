#include "platform/input.h"

namespace {

int64_t PackCursor(int32_t x, int32_t y) {
    return static_cast<int64_t>((static_cast<uint64_t>(static_cast<uint32_t>(y)) << 32) |
                                static_cast<uint32_t>(x));
}

}  // namespace

bool Input::KeyDown(int32_t virtualKey) const {
    if (virtualKey < 0 || virtualKey >= static_cast<int32_t>(keys_.size())) return false;
    if (keys_[virtualKey].load()) return true;
    switch (virtualKey) {
        case VK_SHIFT:
            return keys_[VK_LSHIFT].load() || keys_[VK_RSHIFT].load();
        case VK_CONTROL:
            return keys_[VK_LCONTROL].load() || keys_[VK_RCONTROL].load();
        case VK_MENU:
            return keys_[VK_LMENU].load() || keys_[VK_RMENU].load();
        default:
            return false;
    }
}

bool Input::KeyPressedSinceLastPoll(int32_t virtualKey) {
    if (virtualKey < 0 || virtualKey >= static_cast<int32_t>(pressedSincePoll_.size())) return false;
    // Both sides are taken, so neither answers a second time.
    const auto takeBoth = [this](int32_t left, int32_t right) {
        const bool l = pressedSincePoll_[left].exchange(false);
        const bool r = pressedSincePoll_[right].exchange(false);
        return l || r;
    };
    const bool pressed = pressedSincePoll_[virtualKey].exchange(false);
    switch (virtualKey) {
        case VK_SHIFT:
            return takeBoth(VK_LSHIFT, VK_RSHIFT) || pressed;
        case VK_CONTROL:
            return takeBoth(VK_LCONTROL, VK_RCONTROL) || pressed;
        case VK_MENU:
            return takeBoth(VK_LMENU, VK_RMENU) || pressed;
        default:
            return pressed;
    }
}

CursorPosition Input::Cursor() const {
    const auto packed = static_cast<uint64_t>(cursor_.load());
    return CursorPosition{static_cast<int32_t>(static_cast<uint32_t>(packed)),
                          static_cast<int32_t>(static_cast<uint32_t>(packed >> 32))};
}

void Input::SetCursor(int32_t x, int32_t y) {
    StoreCursor(x, y);
}

int32_t Input::JoystickCount() const {
    std::lock_guard<std::mutex> lock(joystickMutex_);
    return static_cast<int32_t>(joysticks_.size());
}

bool Input::JoystickCapabilities(int32_t index, JoystickCaps* caps) const {
    std::lock_guard<std::mutex> lock(joystickMutex_);
    if (index < 0 || index >= static_cast<int32_t>(joysticks_.size())) return false;
    *caps = joysticks_[index].caps;
    return true;
}

bool Input::JoystickState(int32_t index, JoystickPosition* position) const {
    std::lock_guard<std::mutex> lock(joystickMutex_);
    if (index < 0 || index >= static_cast<int32_t>(joysticks_.size())) return false;
    *position = joysticks_[index].position;
    return true;
}

void Input::SetKey(int32_t virtualKey, bool down) {
    if (virtualKey < 0 || virtualKey >= static_cast<int32_t>(keys_.size())) return;
    // Marked before the key shows as down, so a reader that sees it down also sees it pressed. A key
    // already down (the system's repeat) is no new press.
    if (down && !keys_[virtualKey].load()) pressedSincePoll_[virtualKey].store(true);
    keys_[virtualKey].store(down);
}

void Input::StoreCursor(int32_t x, int32_t y) {
    cursor_.store(PackCursor(x, y));
}

void Input::StoreJoystick(int32_t index, const JoystickCaps& caps, const JoystickPosition& position) {
    if (index < 0 || index >= kMaxJoysticks) return;
    std::lock_guard<std::mutex> lock(joystickMutex_);
    if (index >= static_cast<int32_t>(joysticks_.size())) joysticks_.resize(static_cast<size_t>(index) + 1);
    joysticks_[index] = Joystick{caps, position};
}

void Input::StoreJoystickPosition(int32_t index, const JoystickPosition& position) {
    std::lock_guard<std::mutex> lock(joystickMutex_);
    if (index >= 0 && index < static_cast<int32_t>(joysticks_.size())) joysticks_[index].position = position;
}

void Input::RemoveJoystick(int32_t index) {
    std::lock_guard<std::mutex> lock(joystickMutex_);
    if (index >= 0 && index < static_cast<int32_t>(joysticks_.size()))
        joysticks_.erase(joysticks_.begin() + index);
}
