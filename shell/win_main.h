// The program's entry after the platform exists: reads the start mode from the command line, wires
// the window's events, runs start-up on the main thread, starts the game thread, pumps the window's
// events until quit, then joins the game thread and shuts down.
//
// An engine error out of start-up or the main loop gives the screen back, shows the error dialog
// (when the processor exists), shuts down, is logged to "vondrel.log" and shown in a message box
// titled "Error"; the result is then kErrorExit. Any other exception is logged as "Not Dorn
// exception", the screen given back and the game stopped and shut down, and it is thrown on; so
// is an exception the game thread threw on.
#pragma once

#include "shell/game_globals.h"

constexpr int kErrorExit = 1;

// commandLine: the arguments without the program name. Returns the quit code of the main loop (0
// when the game thread ends its path or the window is closed, kErrorExit when the game thread
// ended with an error) or kErrorExit.
int WinMain(const ShellServices& services, const char* commandLine);
