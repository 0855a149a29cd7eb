// The four version words that the log prefix prints for the program and for its data archive.
#pragma once

#include <cstdint>

struct VersionWords {
    uint16_t major = 0;
    uint16_t minor = 0;
    uint16_t build = 0;
    uint16_t letter = 0;
};

// Current values of the program's and the archive's version blocks.
VersionWords ProgramVersionWords();
VersionWords DataVersionWords();
