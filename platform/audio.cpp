#include "platform/audio.h"

#include <cstring>

#include "platform/module_decoder.h"

namespace {

bool HasAt(std::span<const uint8_t> data, size_t offset, const char* magic) {
    const size_t n = std::strlen(magic);
    return data.size() >= offset + n && std::memcmp(data.data() + offset, magic, n) == 0;
}

}  // namespace

AudioFormat DetectAudioFormat(std::span<const uint8_t> data) {
    if (HasAt(data, 0, "RIFF") && HasAt(data, 8, "WAVE")) return AudioFormat::Wave;
    if (HasAt(data, 0, "OggS") || HasAt(data, 0, "ID3") || HasAt(data, 0, "fLaC"))
        return AudioFormat::Compressed;
    if (ModuleDecoder::LooksLikeModule(data)) return AudioFormat::Module;
    // An MPEG audio frame without a tag: eleven sync bits. Tested last, being the weakest sign.
    if (data.size() >= 2 && data[0] == 0xFF && (data[1] & 0xE0) == 0xE0) return AudioFormat::Compressed;
    return AudioFormat::Unknown;
}

bool IsSampledSound(AudioFormat format) {
    return format == AudioFormat::Wave || format == AudioFormat::Compressed;
}

LoadedAudio Audio::Load(std::span<const uint8_t> data) {
    if (AudioHandle h = LoadSample(data, kMaxSamplePlaybacks)) return {AudioKind::Sample, h};
    if (AudioHandle h = LoadStream(data)) return {AudioKind::Stream, h};
    if (AudioHandle h = LoadMusic(data)) return {AudioKind::Music, h};
    return {};
}
