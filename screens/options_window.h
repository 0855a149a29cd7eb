// The options window: display switches and two volume levels, rebuilt after every change. The
// values it edits are one process-wide set that the screen options fill before the window runs and
// store afterwards; the window reads and writes no file.
#pragma once

#include <cstdint>

class DialogWindow;
class Processor;
class ScriptObject;

struct OptionValues {
    int32_t windowed = 0;  // 0 full screen, 1 a window
    int32_t eightBit = 0;  // 0 16-bit colour, 1 8-bit
    uint8_t directDraw = 1;
    uint8_t switchBit2 = 1;
    uint8_t switchBit4 = 1;
    uint8_t switchBit3 = 1;
    int32_t volumeA = 10;  // the master volume, 0 to 10, applied while the window runs
    int32_t volumeB = 10;  // 0 to 10
};

constexpr int32_t kMaxVolumeLevel = 10;

// The one set of option values of the process.
OptionValues& Options();

// Clears the window's controls and lays them out again from Options().
void OptionsWindow(DialogWindow& window);
// Commands (event 1) and double clicks (event 9) change the values and rebuild; everything else
// goes to the standard frame callback.
void OptionsCallback(DialogWindow& window, int32_t event, int32_t p1, int32_t p2);

// Sets the master volume of the sound system (object 16), when there is one.
void ApplyVolume(Processor& processor, int32_t level);

// The star background shared by the options dialog and the default menu: made on first use; null
// when its own script deleted it as it was made.
ScriptObject* OptionsBackground(Processor& processor);
// Deletes it; the next use makes a fresh one.
void DeleteOptionsBackground();
