// The standard frame of the list screens: a star field beneath everything, shared by the screen
// runs until the runner deletes it, and the title, rules and OK (43) and cancel (42) buttons.
// Callers clear the window's controls, then add the panel, then the frame, then their rows.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "ui/dialog_window.h"

class InputDevice;
class Processor;

// Adds the shared star field (made on first use) to the window, not owned by it.
void HeavenPanel(DialogWindow& window);
// Deletes the shared star field; the next HeavenPanel makes a new one.
void DeleteHeavenPanel();
// Adds the title at the top left, the two rules and the two buttons at the bottom right.
void SchemaLineList(DialogWindow& window, std::string_view title);

// A list screen's window on the game display with the engine's pointer and the callback.
std::unique_ptr<DialogWindow> MakeListScreen(Processor& processor, DialogWindow::Callback callback);
// Runs a built list screen and closes its window; the shared star field goes afterwards, whatever
// happens. The first error of a script destructor passes on once both went.
int32_t RunListScreen(DialogWindow& window, InputDevice& input);
