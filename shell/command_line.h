// The game's command line: only its first character counts. 'f', 'e' and 'p' choose the test runs
// and the player set-up and switch tracing on; 'd' switches tracing on only; anything else is the
// normal game. The test is case-sensitive.
#pragma once

#include <cstdint>

struct StartOptions {
    int32_t startMode = 0;
    bool trace = false;
};

// arguments: the command line without the program name; null reads as empty.
StartOptions ParseCommandLine(const char* arguments);
// Sets the start mode and the trace flag from the command line.
void ApplyCommandLine(const char* arguments);
