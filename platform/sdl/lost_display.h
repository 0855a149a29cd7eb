// When the connection to the X server breaks (the server ended or was killed), Xlib calls exit()
// from inside whatever SDL call noticed it. exit() then destroys the program's globals while the
// game thread and the sound and timer threads still use them, which corrupts the heap. The guard
// ends the process at once instead: files are written to a temporary name and renamed, so a
// process ended mid-write leaves every file whole.
#pragma once

// The status the process ends with when its display is lost (what Xlib itself would exit with).
constexpr int kLostDisplayExit = 1;

// Main thread, after SDL's video is up: with the X11 driver, installs the guard. Elsewhere it
// does nothing.
void EndProcessOnLostDisplay();

// What the guard does: says so on stderr and ends the process with kLostDisplayExit, running no
// exit handlers and no destructors. Safe in a signal or error handler.
[[noreturn]] void EndOnLostDisplay();
