// Sound files built in code: PCM WAVE, Ogg Vorbis, MP3 and FLAC encoded in memory from a tone, and small
// but complete music modules (MOD under each of its tags, MTM) with one pattern and one sample.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A quiet tone of the given length, 16-bit mono PCM.
std::string WaveFile(uint32_t samples = 2205, uint32_t rate = 22050);
// About a fifth of a second of a tone, encoded.
std::string OggVorbisFile();
std::string Mp3File();
// Mono 16-bit samples at the rate, MPEG audio encoded.
std::string Mp3FromPcm(const std::vector<int16_t>& samples, int rate);
// The tone in 16 bits on each of the channels, FLAC encoded.
std::string FlacFile(unsigned channels = 1);

// A four-byte MOD tag ("M.K.", "M!K!", "FLT4", "6CHN", "8CHN" ...) and the channels it stands for.
struct ModTag {
    const char* tag;
    int channels;
};
std::string ModFile(const ModTag& tag);
std::string MtmFile();
