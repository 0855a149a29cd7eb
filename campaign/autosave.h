// The automatic save: the current game written to "Saves\-AutoSav.gsf" before a flight and when the
// player travels, replacing the one before it. Its stem sorts before the digits, so the load screen
// lists it first.
#pragma once

#include "foundation/engine_string.h"

class Processor;

// "Saves\-AutoSav.gsf".
String AutoSaveFileName();

// Writes the autosave of the current game through the GameManager (object 22): the header texts
// taken as for a save, with the autosave's stem as text 1 and its title as text 6, then every
// player; the file is replaced whole or left as it was. Writes nothing while a DemoFlightGuard
// lives, or when there are no players (such a save could never be loaded). Errors of the writer
// pass on.
void AutoSave(Processor& processor);

// A replayed demo flies the demo's pilots: while a guard lives no autosave is written, so the
// player's own autosave survives the demo. Guards nest.
class DemoFlightGuard {
  public:
    DemoFlightGuard();
    ~DemoFlightGuard();
    DemoFlightGuard(const DemoFlightGuard&) = delete;
    DemoFlightGuard& operator=(const DemoFlightGuard&) = delete;
};

// True while a DemoFlightGuard lives.
bool DemoFlightRunning();
