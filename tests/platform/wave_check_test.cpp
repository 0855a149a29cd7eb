#include "platform/wave_check.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/audio.h"
#include "tools/content/block_writer.h"
#include "tools/content/demo_sound.h"
#include "tools/content/sound_builder.h"
#include "tools/content/startup_archive.h"

namespace {

std::string Chunk(const std::string& id, const std::string& body) {
    return id + LeU32(static_cast<uint32_t>(body.size())) + body + std::string(body.size() % 2, '\0');
}

// A WAVE file described by its fields: 16-bit mono PCM unless changed.
struct Wave {
    uint16_t tag = 1, channels = 1;
    uint32_t rate = 22050, byteRate = 44100;
    uint16_t blockAlign = 2, bits = 16;
    std::string extension;                     // the size of what follows the common fields, and that
    std::optional<size_t> formatBytes;         // the format chunk cut to this many bytes
    std::string form = "WAVE", before, after;  // chunks before the format chunk, bytes after the data
    bool format = true, data = true;
    std::string samples = std::string(64, '\0');
    std::optional<uint32_t> dataSize;  // when not the true one

    template <class T>
    Wave With(T Wave::*field, std::type_identity_t<T> value) const {
        Wave w = *this;
        w.*field = std::move(value);
        return w;
    }

    std::vector<uint8_t> Bytes() const {
        std::string fmt = LeU16(tag) + LeU16(channels) + LeU32(rate) + LeU32(byteRate) + LeU16(blockAlign) +
                          LeU16(bits) + extension;
        if (formatBytes) fmt.resize(*formatBytes);
        std::string body = form + before + (format ? Chunk("fmt ", fmt) : "");
        if (data) body += "data" + LeU32(dataSize.value_or(static_cast<uint32_t>(samples.size()))) + samples;
        const std::string file =
            "RIFF" + LeU32(static_cast<uint32_t>(body.size() + after.size())) + body + after;
        return std::vector<uint8_t>(file.begin(), file.end());
    }
};

// cbSize, valid bits, channel mask, and the sub-format: a format tag, then the fixed tail of its GUID.
std::string ExtensibleFields(uint16_t cbSize = 22, uint16_t validBits = 16, uint16_t tag = 1,
                             char last = 0x71) {
    return LeU16(cbSize) + LeU16(validBits) + LeU32(3) + LeU16(tag) +
           std::string("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B", 13) + last;
}
// cbSize, samples per block, and the coefficient pairs (zeros here).
std::string MsAdpcmFields(uint16_t pairs = 7, uint16_t cbSize = 32) {
    return LeU16(cbSize) + LeU16(500) + LeU16(pairs) + std::string(4 * pairs, '\0');
}

struct Case {
    const char* what;
    Wave wave;
    WaveFault fault;
};

TEST(WaveCheckTest, EachFieldTheDecodersTrustIsCheckedOnBothSidesOfItsLimit) {
    const Wave pcm;
    const Wave ext = pcm.With(&Wave::tag, 0xFFFE)
                         .With(&Wave::channels, 2)
                         .With(&Wave::byteRate, 88200)
                         .With(&Wave::blockAlign, 4)
                         .With(&Wave::extension, ExtensibleFields());
    const Wave ms = pcm.With(&Wave::tag, 2)
                        .With(&Wave::bits, 4)
                        .With(&Wave::blockAlign, 256)
                        .With(&Wave::extension, MsAdpcmFields());
    const Wave ms2 = ms.With(&Wave::channels, 2);
    const Wave ima = ms.With(&Wave::tag, 0x11).With(&Wave::extension, LeU16(2) + LeU16(505));
    const Wave ima2 = ima.With(&Wave::channels, 2);
    const Wave float32 = pcm.With(&Wave::tag, 3).With(&Wave::bits, 32).With(&Wave::blockAlign, 4);
    const Wave muLaw = pcm.With(&Wave::tag, 7).With(&Wave::bits, 8).With(&Wave::blockAlign, 1);
    const Case cases[] = {
        {"16-bit mono PCM", pcm, WaveFault::None},
        {"not WAVE", pcm.With(&Wave::form, "AVI "), WaveFault::Structure},
        {"no format chunk", pcm.With(&Wave::format, false), WaveFault::Structure},
        {"no data chunk", pcm.With(&Wave::data, false), WaveFault::Structure},
        {"data before the format", pcm.With(&Wave::before, Chunk("data", "ab")), WaveFault::Structure},
        {"two format chunks", pcm.With(&Wave::after, Chunk("fmt ", std::string(16, '\0'))),
         WaveFault::Structure},
        {"odd chunk before the format, padded", pcm.With(&Wave::before, Chunk("LIST", "abc")),
         WaveFault::None},
        {"chunk after the data, to the end", pcm.With(&Wave::after, "LIST" + LeU32(4) + "abcd"),
         WaveFault::None},
        {"chunk after the data, past it", pcm.With(&Wave::after, "LIST" + LeU32(5) + "abcd"),
         WaveFault::Structure},
        {"too few bytes after the data for a chunk", pcm.With(&Wave::after, "LIST"), WaveFault::None},
        {"odd data exactly to the end", pcm.With(&Wave::samples, std::string(63, '\0')), WaveFault::None},
        {"data size past the end", pcm.With(&Wave::dataSize, 65), WaveFault::DataSize},
        {"format chunk of 15 bytes", pcm.With(&Wave::formatBytes, 15), WaveFault::FormatSize},
        {"format chunk of 18 bytes", pcm.With(&Wave::extension, LeU16(0)), WaveFault::None},
        {"format tag 0", pcm.With(&Wave::tag, 0), WaveFault::Encoding},
        {"channels 0", pcm.With(&Wave::channels, 0), WaveFault::Channels},
        {"channels 8", pcm.With(&Wave::channels, 8).With(&Wave::blockAlign, 16), WaveFault::None},
        {"channels 9", pcm.With(&Wave::channels, 9).With(&Wave::blockAlign, 18), WaveFault::Channels},
        {"rate 999", pcm.With(&Wave::rate, 999), WaveFault::SampleRate},
        {"rate 1000", pcm.With(&Wave::rate, 1000), WaveFault::None},
        {"rate 384000", pcm.With(&Wave::rate, 384000), WaveFault::None},
        {"rate 384001", pcm.With(&Wave::rate, 384001), WaveFault::SampleRate},
        {"byte rate 0", pcm.With(&Wave::byteRate, 0), WaveFault::ByteRate},
        {"byte rate 1", pcm.With(&Wave::byteRate, 1), WaveFault::None},
        {"PCM of 12 bits", pcm.With(&Wave::bits, 12), WaveFault::Bits},
        {"PCM of 24 bits", pcm.With(&Wave::bits, 24).With(&Wave::blockAlign, 3), WaveFault::None},
        {"block align 0", pcm.With(&Wave::blockAlign, 0), WaveFault::BlockAlign},
        {"block align 3", pcm.With(&Wave::blockAlign, 3), WaveFault::BlockAlign},
        {"float of 32 bits", float32, WaveFault::None},
        {"float of 64 bits", float32.With(&Wave::bits, 64).With(&Wave::blockAlign, 8), WaveFault::Bits},
        {"mu-law", muLaw, WaveFault::None},
        {"mu-law of 16 bits", muLaw.With(&Wave::bits, 16).With(&Wave::blockAlign, 2), WaveFault::Bits},
        {"mu-law, block align 2", muLaw.With(&Wave::blockAlign, 2), WaveFault::BlockAlign},
        {"extensible", ext, WaveFault::None},
        {"extensible, format chunk of 39 bytes", ext.With(&Wave::formatBytes, 39), WaveFault::FormatSize},
        {"extensible, cbSize 21", ext.With(&Wave::extension, ExtensibleFields(21)), WaveFault::Extension},
        {"extensible, valid bits 17", ext.With(&Wave::extension, ExtensibleFields(22, 17)),
         WaveFault::Extension},
        {"extensible, MS ADPCM", ext.With(&Wave::extension, ExtensibleFields(22, 16, 2)),
         WaveFault::Encoding},
        {"extensible, not a sub-format GUID", ext.With(&Wave::extension, ExtensibleFields(22, 16, 1, 0)),
         WaveFault::Encoding},
        {"extensible, channels 0", ext.With(&Wave::channels, 0), WaveFault::Channels},
        {"MS ADPCM", ms, WaveFault::None},
        {"MS ADPCM, 6 coefficient pairs", ms.With(&Wave::extension, MsAdpcmFields(6, 28)),
         WaveFault::Extension},
        {"MS ADPCM, pairs past cbSize", ms.With(&Wave::extension, MsAdpcmFields(7, 31)),
         WaveFault::Extension},
        {"MS ADPCM, cbSize past the chunk", ms.With(&Wave::extension, MsAdpcmFields(7, 33)),
         WaveFault::FormatSize},
        {"MS ADPCM, 3 channels", ms.With(&Wave::channels, 3), WaveFault::Channels},
        {"MS ADPCM stereo, block align 13", ms2.With(&Wave::blockAlign, 13), WaveFault::BlockAlign},
        {"MS ADPCM stereo, block align 14", ms2.With(&Wave::blockAlign, 14), WaveFault::None},
        {"IMA ADPCM", ima, WaveFault::None},
        {"IMA ADPCM of 3 bits", ima.With(&Wave::bits, 3), WaveFault::Bits},
        {"IMA ADPCM, cbSize 0", ima.With(&Wave::extension, LeU16(0)), WaveFault::Extension},
        {"IMA ADPCM, block align 3", ima.With(&Wave::blockAlign, 3), WaveFault::BlockAlign},
        {"IMA ADPCM, block align 4", ima.With(&Wave::blockAlign, 4), WaveFault::None},
        {"IMA ADPCM stereo, block align 12", ima2.With(&Wave::blockAlign, 12), WaveFault::BlockAlign},
        {"IMA ADPCM stereo, block align 16", ima2.With(&Wave::blockAlign, 16), WaveFault::None},
    };
    for (const Case& c : cases) EXPECT_EQ(CheckWave(c.wave.Bytes()), c.fault) << c.what;
    EXPECT_EQ(CheckWave(std::vector<uint8_t>{'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V'}),
              WaveFault::Structure);
}

// What the content builders write for the demo game, its start-up archive and the tests still plays.
TEST(WaveCheckTest, EveryBuiltWavePasses) {
    std::vector<FdEntry> files = DemoSounds();
    for (const FdEntry& e : StartupArchiveEntries()) files.push_back(e);
    files.push_back({"tone", WaveFile()});
    files.push_back({"8 kHz", WaveFile(1, 8000)});
    int waves = 0;
    for (const FdEntry& e : files) {
        const std::vector<uint8_t> bytes(e.data.begin(), e.data.end());
        if (DetectAudioFormat(bytes) != AudioFormat::Wave) continue;
        ++waves;
        EXPECT_EQ(CheckWave(bytes), WaveFault::None) << e.name;
    }
    EXPECT_EQ(waves, 8);  // five of the demo's, the start-up archive's and the two above
}

}  // namespace
