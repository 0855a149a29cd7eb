// The screen options: the options window run over the settings, then, when accepted, the display
// rebuilt as chosen and "Screen.SCRS" and "Sound.SNDS" written back.
#pragma once

#include <cstdint>

#include "foundation/engine_string.h"

class DataBlock;
class DialogWindow;
class InputDevice;
class Processor;

// Runs with the input device given, over the parent window when there is one. Cancelling restores
// the stored volume and writes nothing.
void ScreenOptions(Processor& processor, InputDevice& input, DialogWindow* parent);

// Writes one settings block as the whole file name ("SE", header, payload), through the atomic
// writer; the payload size written is that of the bytes that follow the header.
void WriteSettingsFile(const String& name, const DataBlock& block);
