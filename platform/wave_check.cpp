#include "platform/wave_check.h"

#include <cstring>
#include <optional>

#include "platform/audio.h"

namespace {

constexpr uint16_t kPcm = 0x0001;
constexpr uint16_t kMsAdpcm = 0x0002;
constexpr uint16_t kFloat = 0x0003;
constexpr uint16_t kALaw = 0x0006;
constexpr uint16_t kMuLaw = 0x0007;
constexpr uint16_t kImaAdpcm = 0x0011;
constexpr uint16_t kExtensible = 0xFFFE;

// The mixer converts at most 8 channels to the device's layout.
constexpr uint16_t kMostChannels = 8;
// Every extensible sub-format this reads is a GUID made of a format tag and this fixed tail.
constexpr uint8_t kSubFormatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                        0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

struct Chunk {
    size_t body;
    uint32_t size;
};

uint16_t U16(std::span<const uint8_t> d, size_t at) {
    return static_cast<uint16_t>(d[at] | d[at + 1] << 8);
}
uint32_t U32(std::span<const uint8_t> d, size_t at) {
    return static_cast<uint32_t>(U16(d, at)) | static_cast<uint32_t>(U16(d, at + 2)) << 16;
}
bool Is(std::span<const uint8_t> d, size_t at, const char (&id)[5]) {
    return std::memcmp(d.data() + at, id, 4) == 0;
}

WaveFault CheckFormat(std::span<const uint8_t> d, const Chunk& format) {
    if (format.size < 16) return WaveFault::FormatSize;
    const size_t f = format.body;
    uint16_t tag = U16(d, f);
    const uint16_t channels = U16(d, f + 2);
    const uint32_t rate = U32(d, f + 4);
    const uint32_t byteRate = U32(d, f + 8);
    const uint16_t blockAlign = U16(d, f + 12);
    const uint16_t bits = U16(d, f + 14);
    // The fields after the common ones, for the formats that have them; they must lie in the chunk.
    uint16_t extension = 0;
    if (tag == kExtensible || tag == kMsAdpcm || tag == kImaAdpcm) {
        if (format.size < 18) return WaveFault::FormatSize;
        extension = U16(d, f + 16);
        if (format.size - 18 < extension) return WaveFault::FormatSize;
    }
    if (tag == kExtensible) {
        if (extension < 22) return WaveFault::Extension;
        if (U16(d, f + 18) > bits) return WaveFault::Extension;  // valid bits within the container
        if (std::memcmp(d.data() + f + 26, kSubFormatTail, sizeof kSubFormatTail) != 0)
            return WaveFault::Encoding;
        tag = U16(d, f + 24);
        // Only the sample formats: the ADPCM ones need fields of their own that this layout lacks.
        if (tag != kPcm && tag != kFloat && tag != kALaw && tag != kMuLaw) return WaveFault::Encoding;
    }

    uint16_t bitsNeeded = 0;  // for PCM, any of four sizes
    uint16_t blockHeader = 0;
    switch (tag) {
        case kPcm:
            break;
        case kFloat:
            bitsNeeded = 32;
            break;
        case kALaw:
        case kMuLaw:
            bitsNeeded = 8;
            break;
        case kMsAdpcm:
            bitsNeeded = 4;
            blockHeader = 7;
            break;
        case kImaAdpcm:
            bitsNeeded = 4;
            blockHeader = 4;
            break;
        default:
            return WaveFault::Encoding;
    }
    if (channels == 0 || channels > (tag == kMsAdpcm ? 2 : kMostChannels)) return WaveFault::Channels;
    if (rate < kLowestSoundRate || rate > kHighestSoundRate) return WaveFault::SampleRate;
    if (byteRate == 0) return WaveFault::ByteRate;
    if (tag == kPcm ? bits != 8 && bits != 16 && bits != 24 && bits != 32 : bits != bitsNeeded)
        return WaveFault::Bits;

    if (blockHeader == 0) {
        if (blockAlign != channels * bits / 8) return WaveFault::BlockAlign;
        return WaveFault::None;
    }
    // An ADPCM block: a header per channel, then (for IMA) words of 4 bytes per channel.
    const int data = blockAlign - blockHeader * channels;
    if (data < 0 || (tag == kImaAdpcm && data % (4 * channels) != 0)) return WaveFault::BlockAlign;
    if (tag == kImaAdpcm) return extension >= 2 ? WaveFault::None : WaveFault::Extension;
    // Samples per block, the count of coefficient pairs (the seven standard ones at least), the pairs.
    if (extension < 4) return WaveFault::Extension;
    const uint16_t pairs = U16(d, f + 20);
    return pairs >= 7 && extension >= 4 + 4 * pairs ? WaveFault::None : WaveFault::Extension;
}

}  // namespace

WaveFault CheckWave(std::span<const uint8_t> data) {
    if (data.size() < 12 || !Is(data, 0, "RIFF") || !Is(data, 8, "WAVE")) return WaveFault::Structure;
    // The RIFF size is not relied on: the decoders walk the chunks, which must each lie in the file.
    // A file with two format or data chunks is refused, as its decoders might not take the same one.
    std::optional<Chunk> format;
    bool samples = false;
    size_t at = 12;
    while (at + 8 <= data.size()) {
        const Chunk chunk{at + 8, U32(data, at + 4)};
        const bool isData = Is(data, at, "data");
        if (chunk.size > data.size() - chunk.body) return isData ? WaveFault::DataSize : WaveFault::Structure;
        if (Is(data, at, "fmt ")) {
            if (format || samples) return WaveFault::Structure;
            format = chunk;
        } else if (isData) {
            if (samples || !format) return WaveFault::Structure;
            samples = true;
        }
        // Chunks start on even offsets; a last chunk may lack its pad byte.
        at = chunk.body + chunk.size + (chunk.size & 1);
    }
    if (!format || !samples) return WaveFault::Structure;
    return CheckFormat(data, *format);
}
