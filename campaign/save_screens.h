// The save, load and scenario screens: three modal windows over one row list (SaveSlots) with the
// same layout, whose controls are rebuilt after every choice or scroll. Row i has the control id
// kFirstRowId + i: ids from 1000 up, clear of the frame's buttons (40-44), the arrows (100, 160) and
// the message box's answers (117-121) however many rows there are.
#pragma once

#include <cstdint>
#include <memory>

#include "foundation/engine_string.h"

class DialogWindow;
class InputDevice;
class Processor;
class SaveHeader;

constexpr int32_t kFirstRowId = 1000;
constexpr int32_t kScrollDownId = 100;
constexpr int32_t kScrollUpId = 160;
constexpr uint32_t kShownRows = 11;
// The title's text field: 32 characters and the terminator.
constexpr uint32_t kSlotNameCapacity = 33;

struct SaveChoice {
    std::unique_ptr<SaveHeader> header;  // null when nothing is to be saved
    String fileName;                     // empty when nothing is to be saved
};

// The save screen: the chosen row's header, refilled with the running game's texts, and its file
// name; an empty name when the player cancelled.
SaveChoice RunSaveGameDialog(Processor& processor, InputDevice& input);
// "Saves\" + stem + ".gsf" of the chosen save, or empty.
String RunLoadGameDialog(Processor& processor, InputDevice& input);
// The chosen scenario's file ("Add\" + name), or empty.
String RunScenarioDialog(Processor& processor, InputDevice& input);

// Rebuild a window as the screen.
void SaveGameScreen(DialogWindow& window);
void LoadGameScreen(DialogWindow& window);
void ScenarioListScreen(DialogWindow& window);
// The windows' callbacks.
void SaveScreenEvent(DialogWindow& window, int32_t event, int32_t p1, int32_t p2);
void LoadScreenEvent(DialogWindow& window, int32_t event, int32_t p1, int32_t p2);
void ScenarioScreenEvent(DialogWindow& window, int32_t event, int32_t p1, int32_t p2);
// Stores a retyped title into the selected row.
void EndNameEntry(DialogWindow& window);
// The first row shown after a wheel turn of `steps` with `count` rows: never below 0 nor past the
// last full page, whatever the values.
uint32_t WheelFirstRow(uint32_t first, int32_t steps, uint32_t count);
