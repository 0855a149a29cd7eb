// Whether a FLAC file is one the mixer's FLAC decoder can be handed. The mixer takes the stream
// information's channel count on trust for every frame (a frame with fewer channels ends the
// process with SIGSEGV) and its sample rate for the conversion to the device's rate, and keeps the
// memory it took for a file whose metadata then fails to read. So the file is walked first, frame
// by frame, with the FLAC library the mixer decodes with, and one that fails plays nothing.
#pragma once

#include <cstdint>
#include <span>

bool FlacIsPlayable(std::span<const uint8_t> data);
