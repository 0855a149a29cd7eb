// Stamped log lines appended to a named text file ("vondrel.log", "Debug.txt").
#pragma once

#include <ctime>
#include <functional>

// The name of the program's log file in the game folder.
constexpr const char* kLogFile = "vondrel.log";

// Appends "<dd/mm/yy hh:mm:ss> [v program/archive] : text\n" to fileName; a version letter that
// is still unknown (0) is left out. When the file cannot be written the line goes to stderr,
// after the file's name. Safe to call from several threads: lines never interleave.
void WriteLog(const char* fileName, const char* text);

// Local time source for the stamp; tests install a fixed clock. An empty function restores the
// system clock.
void SetLogClock(std::function<std::tm()> clock);
