// Input driven by the test: keys, pointer and joysticks are set directly.
#pragma once

#include "platform/input.h"

class HeadlessInput : public Input {
  public:
    using Input::RemoveJoystick;
    using Input::SetKey;
    using Input::StoreJoystick;
    using Input::StoreJoystickPosition;
    // The user moved the pointer (SetCursor is the game moving it).
    void MoveCursor(int32_t x, int32_t y) { StoreCursor(x, y); }
};
