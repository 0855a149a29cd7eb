// Texts that scripts hand to native code by address.
#pragma once

#include <cstdint>

#include "foundation/engine_string.h"

// Copies the NUL-terminated text at a script address; FatalExep when it does not lie, terminator
// included, inside the script address space.
String TextFromScript(uint32_t address);
