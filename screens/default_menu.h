// The default menu: a full-screen yes/no question over the star background, which scripts ask
// through the game manager.
#pragma once

class DialogWindow;
class InputDevice;
class Processor;

// True only when the player chose yes.
bool RunDefaultMenuDialog(Processor& processor, InputDevice& input);
// Clears the window's controls and lays out the question and its two answers.
void DefaultMenu(DialogWindow& window);
