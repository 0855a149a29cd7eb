// The game thread: all game logic, drawing and sound requests run on it. By the start mode it
// runs the main screen, one of the two test runs or the player set-up, and then asks the program
// to quit with code 0. An engine error escaping a path is logged, shown in the error dialog (after
// the screen is given back) and ends the program with kErrorExit; so does any other exception,
// reported as an "UnknownException" and, with the trace flag set, thrown on out of the thread.
#pragma once

// Returns 1 on every path that does not throw on.
int GameThread();
