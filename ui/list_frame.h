// The standard frame of the list screens: a star field beneath everything, shared by the screen
// runs until the runner deletes it, and the title, rules and OK (43) and cancel (42) buttons.
// Callers clear the window's controls, then add the panel, then the frame, then their rows.
#pragma once

#include <string_view>

class DialogWindow;

// Adds the shared star field (made on first use) to the window, not owned by it.
void HeavenPanel(DialogWindow& window);
// Deletes the shared star field; the next HeavenPanel makes a new one.
void DeleteHeavenPanel();
// Adds the title at the top left, the two rules and the two buttons at the bottom right.
void SchemaLineList(DialogWindow& window, std::string_view title);
