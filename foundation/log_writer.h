// Stamped log lines appended to a named text file ("vondrel.log", "Debug.txt").
#pragma once

#include <ctime>
#include <functional>

// Appends "<dd/mm/yy hh:mm:ss> [v program/archive] : text\n" to fileName. A file that cannot be
// opened is skipped silently. Safe to call from several threads: lines never interleave.
void WriteLog(const char* fileName, const char* text);

// Local time source for the stamp; tests install a fixed clock. An empty function restores the
// system clock.
void SetLogClock(std::function<std::tm()> clock);
