// Stopping the game thread: once the program is asked to quit, the next frame wait or retry check
// on the game thread throws StopRequested, which no engine error handler catches, so the thread
// unwinds to its end and can be joined.
#pragma once

#include "graphics/display_services.h"

// True once quit was asked for (from the window or from the game thread itself).
bool GameStopRequested();
// Throws StopRequested when quit was asked for.
void CheckGameStop();
// The frame wait of the game's loops, stoppable: checks, waits for the frame, checks again.
void GameFrameWait();
