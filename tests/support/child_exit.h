// Waiting for a program a test started, without waiting for ever.
#pragma once

#include <sys/types.h>

#include <chrono>

// The child's exit status (128 + the signal's number when a signal ended it), or -1 when it still
// runs after limit.
int WaitForChild(pid_t pid, std::chrono::milliseconds limit);
