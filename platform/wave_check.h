// Whether a RIFF WAVE file is one the platform's WAVE decoders can be handed. They trust the format
// chunk's fields (a divisor of 0 ends the process, a tiny sample rate makes a conversion buffer
// thousands of times the file), so a file is checked before any decoder sees it, and one that
// fails plays nothing.
#pragma once

#include <cstdint>
#include <span>

// The first thing found wrong; None for a file the decoders may read.
enum class WaveFault {
    None,
    Structure,   // not RIFF WAVE, a chunk running past the end, no format or data chunk, or two
    FormatSize,  // the format chunk too short for the fields its format has
    Encoding,    // a format tag (or extensible sub-format) the decoders do not read
    Channels,
    SampleRate,
    ByteRate,
    BlockAlign,
    Bits,
    Extension,  // the extensible or ADPCM fields after the common ones
    DataSize,   // the data chunk running past the end
};

WaveFault CheckWave(std::span<const uint8_t> data);
