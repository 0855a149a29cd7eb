// The ship information window: a ship's name, four of its characteristics and its description in
// a framed modal window over another window, closed by its one button. The ship window opens it for
// the ship on show.
#pragma once

#include "foundation/engine_string.h"

class DialogWindow;
class Processor;
class ScriptObject;

// The characteristics text: the ship's class, values B and C (C in hundredths, shown whole) and
// value D, one "label = value" line each, with an empty line before the last and no line end after
// it. FatalExep for an object that is no ship.
String ShipCharacteristics(Processor& processor, ScriptObject& ship);

// Runs the window over parent with the parent's input device and returns once it is closed; the
// parent is busy meanwhile. FatalExep when the parent has no input device or ship is no ship.
void ShowShipInfo(DialogWindow& parent, ScriptObject& ship);
