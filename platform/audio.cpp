#include "platform/audio.h"

#include <cstring>

namespace {

bool HasAt(std::span<const uint8_t> data, size_t offset, const char* magic) {
    const size_t n = std::strlen(magic);
    return data.size() >= offset + n && std::memcmp(data.data() + offset, magic, n) == 0;
}

}  // namespace

AudioFormat DetectAudioFormat(std::span<const uint8_t> data) {
    if (HasAt(data, 0, "RIFF") && HasAt(data, 8, "WAVE")) return AudioFormat::Wave;
    if (HasAt(data, 0, "OggS") || HasAt(data, 0, "ID3")) return AudioFormat::Stream;
    if (HasAt(data, 0, "Extended Module: ") || HasAt(data, 0, "IMPM") || HasAt(data, 44, "SCRM") ||
        HasAt(data, 1080, "M.K.")) {
        return AudioFormat::Module;
    }
    // An MPEG audio frame without a tag: eleven sync bits. Tested last, being the weakest sign.
    if (data.size() >= 2 && data[0] == 0xFF && (data[1] & 0xE0) == 0xE0) return AudioFormat::Stream;
    return AudioFormat::Unknown;
}

LoadedAudio Audio::Load(std::span<const uint8_t> data) {
    if (AudioHandle h = LoadSample(data, kMaxSamplePlaybacks)) return {AudioKind::Sample, h};
    if (AudioHandle h = LoadStream(data)) return {AudioKind::Stream, h};
    if (AudioHandle h = LoadMusic(data)) return {AudioKind::Music, h};
    return {};
}
