// The program-wide trace flag: set once from the command line before any script runs, read by the
// processor, the named caches and the game thread's error handling.
#pragma once

bool TraceFlag();
void SetTraceFlag(bool on);
