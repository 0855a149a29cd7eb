// The line every flight appends to "fps.txt": how long it ran and its frame rate.
#pragma once

#include <cstdint>
#include <string>

// "Time=<whole seconds>\nFPS=<frames per second>\n" as printf's %f prints them. A flight that took
// no time or ran no frames has a rate of 0.
std::string FpsRecord(uint32_t elapsedMs, int32_t frames);

// Appends the record to "fps.txt" in one write; a file that cannot be opened or written is skipped.
void AppendFpsRecord(uint32_t elapsedMs, int32_t frames);
