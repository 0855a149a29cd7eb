// The input settings: for every device (one column each) the key of eight actions, the mouse switch
// and the joystick choice. The screen edits the devices it is given at once; the caller keeps or
// drops them by the answer.
#pragma once

#include <cstdint>
#include <vector>

#include "foundation/engine_string.h"

class DialogWindow;
class InputDevice;
class Processor;

constexpr uint32_t kInputSettingsActions = 8;

// Runs the screen with input (the device the loop polls) over devices, headed by names (one each,
// in column order). True when it was confirmed.
bool RunInputSettingsDialog(Processor& processor, InputDevice& input,
                            const std::vector<InputDevice*>& devices, const std::vector<String>& names);

// Clears the window's controls and lays them out again from the running screen's state.
void InputSettingsScreen(DialogWindow& window);
void InputSettingsCallback(DialogWindow& window, int32_t event, int32_t p1, int32_t p2);

// Reads one "Keys.INPD" block per device, in order, through the game's archive (loose file first).
void ReadKeysFile(Processor& processor, const std::vector<InputDevice*>& devices);
// Writes "Keys.INPD" whole: one block per device, in order.
void WriteKeysFile(const std::vector<InputDevice*>& devices);
