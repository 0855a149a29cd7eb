// How the game reports an engine error: the error dialog ("ZEMA error": the message and the
// script call stack, which is also logged), the plain error message box, and putting the screen
// back to the desktop first so that both can be seen.
#pragma once

#include "foundation/engine_string.h"

class App;
class DExep;
class Processor;

// The script call stack from the processor's trace (which this empties): one line per traced
// call, innermost first, "<source name>(<line>)\r\n", or "Debug info not available\r\n" for a call
// without debug information; the line shows as "?" when the position lies outside the code the
// record's debug table covers. Empty when nothing was traced.
String CallStackText(Processor& processor);

// Shows the error dialog with the error's message and the call stack (empty without a processor);
// the call-stack text is appended to the log first, also when it is empty.
void ErrorDialog(const DExep& error, Processor* processor, App& app);

// A message box with an error icon and an OK button; the answer is not used.
void ShowError(const String& text, const String& caption, App& app);

// A full-screen picture gives the desktop back; a windowed one stays.
void RestoreScreen();
