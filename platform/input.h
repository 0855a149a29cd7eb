// Keyboard, mouse and joystick state as the game thread polls it. The backend's event side writes
// it (the SDL backend on the main thread, tests directly); any thread may read it.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/key_table.h"

// Joystick axes report positions from min to max (0 to 65535 on the backends here).
struct JoystickCaps {
    uint32_t xMin = 0;
    uint32_t xMax = 65535;
    uint32_t yMin = 0;
    uint32_t yMax = 65535;
    int32_t buttons = 0;
};

struct JoystickPosition {
    uint32_t x = 32767;
    uint32_t y = 32767;
    uint32_t buttons = 0;  // bit n: button n + 1 is down
};

struct CursorPosition {
    int32_t x = 0;
    int32_t y = 0;
};

class Input {
  public:
    static constexpr int32_t kMaxJoysticks = 16;

    Input() = default;
    virtual ~Input() = default;
    Input(const Input&) = delete;
    Input& operator=(const Input&) = delete;

    // By virtual-key code; VK_LBUTTON, VK_RBUTTON and VK_MBUTTON are the mouse buttons, and
    // VK_SHIFT, VK_CONTROL and VK_MENU answer for either side. Codes outside 0-255 read as up.
    bool KeyDown(int32_t virtualKey) const;
    // VK_LBUTTON, VK_RBUTTON or VK_MBUTTON.
    bool MouseButtonDown(int32_t button) const { return KeyDown(button); }
    // How often the key (or mouse button) has gone down since the start; the unsided codes count
    // both sides. Readers tell new presses by the count (PressWatch), so a click shorter than the
    // time between two polls is not lost, and each reader hears of every press once.
    uint64_t Presses(int32_t virtualKey) const;
    // Every press so far is heard: no reader takes it as news any more, whether it looked since or
    // not. What ends or starts a screen calls it, so the presses of one screen are not news to the
    // next.
    void HearAllPresses();
    // The count at the last HearAllPresses.
    uint64_t HeardPresses(int32_t virtualKey) const;

    // In picture coordinates: (0, 0) is the picture's top-left pixel whatever the window's size.
    CursorPosition Cursor() const;
    // Moves the pointer there; the backend moves the system's pointer too.
    virtual void SetCursor(int32_t x, int32_t y);

    int32_t JoystickCount() const;
    // False for an index that is not connected.
    bool JoystickCapabilities(int32_t index, JoystickCaps* caps) const;
    bool JoystickState(int32_t index, JoystickPosition* position) const;

  protected:
    void SetKey(int32_t virtualKey, bool down);
    void StoreCursor(int32_t x, int32_t y);
    // A joystick at an index below kMaxJoysticks; an index past the end adds empty slots.
    void StoreJoystick(int32_t index, const JoystickCaps& caps, const JoystickPosition& position);
    void StoreJoystickPosition(int32_t index, const JoystickPosition& position);
    void RemoveJoystick(int32_t index);

  private:
    struct Joystick {
        JoystickCaps caps;
        JoystickPosition position;
    };

    using Counts = std::array<std::atomic<uint64_t>, 256>;
    static uint64_t Count(const Counts& counts, int32_t virtualKey);

    std::array<std::atomic<bool>, 256> keys_{};
    Counts presses_{};
    Counts heard_{};
    std::atomic<int64_t> cursor_{0};  // x in the low half, y in the high half: read together
    mutable std::mutex joystickMutex_;
    std::vector<Joystick> joysticks_;
};

// One reader's view of a key's presses (a key mapping's action, a screen waiting for a click). A
// press is news once, at the reader's first look after it. A press is no news to a reader that
// first looks at the key after it was made, nor once the presses were all heard
// (Input::HearAllPresses): a key pressed while another screen read the keys, or before a device
// started polling, is not a fresh press.
class PressWatch {
  public:
    // Whether the key went down since the last look at it; the first look at a key only starts
    // watching it.
    bool Look(const Input& input, int32_t virtualKey);
    // The next look starts watching again.
    void Forget() { watching_ = false; }

  private:
    bool watching_ = false;
    int32_t key_ = 0;
    uint64_t seen_ = 0;
};
