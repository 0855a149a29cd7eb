#include "platform/input.h"

#include <algorithm>

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

uint64_t Input::Count(const Counts& counts, int32_t virtualKey) {
    if (virtualKey < 0 || virtualKey >= static_cast<int32_t>(counts.size())) return 0;
    const auto sides = [&counts](int32_t left, int32_t right) {
        return counts[left].load() + counts[right].load();
    };
    const uint64_t own = counts[virtualKey].load();
    switch (virtualKey) {
        case VK_SHIFT:
            return own + sides(VK_LSHIFT, VK_RSHIFT);
        case VK_CONTROL:
            return own + sides(VK_LCONTROL, VK_RCONTROL);
        case VK_MENU:
            return own + sides(VK_LMENU, VK_RMENU);
        default:
            return own;
    }
}

uint64_t Input::Presses(int32_t virtualKey) const {
    return Count(presses_, virtualKey);
}

void Input::HearAllPresses() {
    for (size_t k = 0; k < presses_.size(); ++k) heard_[k].store(presses_[k].load());
}

uint64_t Input::HeardPresses(int32_t virtualKey) const {
    return Count(heard_, virtualKey);
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
    // Counted before the key shows as down, so a reader that sees it down also sees the press. A key
    // already down (the system's repeat) is no new press.
    if (down && !keys_[virtualKey].load()) presses_[virtualKey].fetch_add(1);
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

bool PressWatch::Look(const Input& input, int32_t virtualKey) {
    const uint64_t presses = input.Presses(virtualKey);
    if (!watching_ || key_ != virtualKey) {
        watching_ = true;
        key_ = virtualKey;
        seen_ = presses;
        return false;
    }
    // Counts only grow: what was seen or heard already is behind the larger of the two.
    const uint64_t known = std::max(seen_, input.HeardPresses(virtualKey));
    seen_ = presses;
    return presses > known;
}
