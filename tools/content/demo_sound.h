// The demo game's sound: a short piece of music composed here as a four-channel tracker module
// (the "M.K." module format: 31 sample slots, patterns of 64 rows), played in the flights; the leaving ship's
// sound as an encoded stream; and the effects as wave samples.
#pragma once

#include <string>
#include <vector>

#include "tools/content/fd_writer.h"

// The module's bytes.
std::string DemoMusicModule();
// Every sound entry and "Sound.subs".
std::vector<FdEntry> DemoSounds();

// What the flights play.
constexpr const char* kDemoFlightMusic = "Music\\Flight.mod";
