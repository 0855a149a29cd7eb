// "Language.LCFG": the chosen language as one "LCFG" block (16 bytes: "SE", the 14-byte header
// with the language number in its last four bytes).
#pragma once

#include <cstdint>

#include "foundation/engine_string.h"

// Writes the block to path whole or not at all; the writer's FatalExep or WarnExep on failure.
void WriteLanguageFile(const String& path, int32_t language);

// The language stored at path, read as one block whatever its tag; fallback when nothing of that
// name exists. The reader's engine error, naming the file, when it is not a block.
int32_t ReadLanguageFile(const String& path, int32_t fallback);
