#include "platform/wave_check.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
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

// A WAVE file described by its fields: 16-bit mono PCM unless a row changes them.
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

const std::string kSubFormatTail("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14);

// 16-bit stereo PCM in the extensible layout.
Wave Extensible() {
    Wave w;
    w.tag = 0xFFFE;
    w.channels = 2;
    w.byteRate = 88200;
    w.blockAlign = 4;
    w.extension = LeU16(22) + LeU16(16) + LeU32(3) + LeU16(1) + kSubFormatTail;
    return w;
}

// Mono MS ADPCM blocks of 256 bytes: samples per block, then the seven standard coefficient pairs.
Wave MsAdpcm(uint16_t pairs = 7, uint16_t cbSize = 32) {
    Wave w;
    w.tag = 2;
    w.bits = 4;
    w.blockAlign = 256;
    w.byteRate = 11100;
    w.extension = LeU16(cbSize) + LeU16(500) + LeU16(pairs) + std::string(4 * pairs, '\0');
    return w;
}

Wave ImaAdpcm(uint16_t channels = 1, uint16_t blockAlign = 256) {
    Wave w;
    w.tag = 0x11;
    w.channels = channels;
    w.bits = 4;
    w.blockAlign = blockAlign;
    w.byteRate = 11100;
    w.extension = LeU16(2) + LeU16(505);
    return w;
}

struct Case {
    const char* what;
    std::function<void(Wave&)> change;
    WaveFault fault;
};

TEST(WaveCheckTest, EachFieldTheDecodersTrustIsCheckedOnBothSidesOfItsLimit) {
    const Case cases[] = {
        {"16-bit mono PCM", [](Wave&) {}, WaveFault::None},
        {"not WAVE", [](Wave& w) { w.form = "AVI "; }, WaveFault::Structure},
        {"no format chunk", [](Wave& w) { w.format = false; }, WaveFault::Structure},
        {"no data chunk", [](Wave& w) { w.data = false; }, WaveFault::Structure},
        {"data before the format", [](Wave& w) { w.before = Chunk("data", "ab"); }, WaveFault::Structure},
        {"two format chunks", [](Wave& w) { w.after = Chunk("fmt ", std::string(16, '\0')); },
         WaveFault::Structure},
        {"odd chunk before the format, padded", [](Wave& w) { w.before = Chunk("LIST", "abc"); },
         WaveFault::None},
        {"chunk after the data, to the end", [](Wave& w) { w.after = "LIST" + LeU32(4) + "abcd"; },
         WaveFault::None},
        {"chunk after the data, past the end", [](Wave& w) { w.after = "LIST" + LeU32(5) + "abcd"; },
         WaveFault::Structure},
        {"bytes after the data too few for a chunk", [](Wave& w) { w.after = "LIST"; }, WaveFault::None},
        {"data size exactly to the end, odd", [](Wave& w) { w.samples.resize(63); }, WaveFault::None},
        {"data size past the end", [](Wave& w) { w.dataSize = 65; }, WaveFault::DataSize},
        {"format chunk of 15 bytes", [](Wave& w) { w.formatBytes = 15; }, WaveFault::FormatSize},
        {"format chunk of 18 bytes", [](Wave& w) { w.extension = LeU16(0); }, WaveFault::None},
        {"format tag 0", [](Wave& w) { w.tag = 0; }, WaveFault::Encoding},
        {"channels 0", [](Wave& w) { w.channels = 0; }, WaveFault::Channels},
        {"channels 8",
         [](Wave& w) {
             w.channels = 8;
             w.blockAlign = 16;
         },
         WaveFault::None},
        {"channels 9",
         [](Wave& w) {
             w.channels = 9;
             w.blockAlign = 18;
         },
         WaveFault::Channels},
        {"rate 999", [](Wave& w) { w.rate = 999; }, WaveFault::SampleRate},
        {"rate 1000", [](Wave& w) { w.rate = 1000; }, WaveFault::None},
        {"rate 384000", [](Wave& w) { w.rate = 384000; }, WaveFault::None},
        {"rate 384001", [](Wave& w) { w.rate = 384001; }, WaveFault::SampleRate},
        {"byte rate 0", [](Wave& w) { w.byteRate = 0; }, WaveFault::ByteRate},
        {"byte rate 1", [](Wave& w) { w.byteRate = 1; }, WaveFault::None},
        {"PCM of 12 bits", [](Wave& w) { w.bits = 12; }, WaveFault::Bits},
        {"PCM of 24 bits",
         [](Wave& w) {
             w.bits = 24;
             w.blockAlign = 3;
         },
         WaveFault::None},
        {"block align 0", [](Wave& w) { w.blockAlign = 0; }, WaveFault::BlockAlign},
        {"block align 3", [](Wave& w) { w.blockAlign = 3; }, WaveFault::BlockAlign},
        {"float of 64 bits",
         [](Wave& w) {
             w.tag = 3;
             w.bits = 64;
             w.blockAlign = 8;
         },
         WaveFault::Bits},
        {"float of 32 bits",
         [](Wave& w) {
             w.tag = 3;
             w.bits = 32;
             w.blockAlign = 4;
         },
         WaveFault::None},
        {"mu-law of 16 bits", [](Wave& w) { w.tag = 7; },  // PCM's block align of 2 for 16 bits
         WaveFault::Bits},
        {"mu-law, block align 2",
         [](Wave& w) {
             w.tag = 7;
             w.bits = 8;
         },
         WaveFault::BlockAlign},
        {"extensible", [](Wave& w) { w = Extensible(); }, WaveFault::None},
        {"extensible, format chunk of 39 bytes",
         [](Wave& w) {
             w = Extensible();
             w.formatBytes = 39;
         },
         WaveFault::FormatSize},
        {"extensible, cbSize 21",
         [](Wave& w) {
             w = Extensible();
             w.extension[0] = 21;
         },
         WaveFault::Extension},
        {"extensible, valid bits 17",
         [](Wave& w) {
             w = Extensible();
             w.extension[2] = 17;
         },
         WaveFault::Extension},
        {"extensible, sub-format MS ADPCM",
         [](Wave& w) {
             w = Extensible();
             w.extension[8] = 2;
         },
         WaveFault::Encoding},
        {"extensible, sub-format of another family",
         [](Wave& w) {
             w = Extensible();
             w.extension.back() = 0;
         },
         WaveFault::Encoding},
        {"extensible, channels 0",
         [](Wave& w) {
             w = Extensible();
             w.channels = 0;
         },
         WaveFault::Channels},
        {"MS ADPCM", [](Wave& w) { w = MsAdpcm(); }, WaveFault::None},
        {"MS ADPCM, 6 coefficient pairs", [](Wave& w) { w = MsAdpcm(6, 28); }, WaveFault::Extension},
        {"MS ADPCM, pairs past cbSize", [](Wave& w) { w = MsAdpcm(7, 31); }, WaveFault::Extension},
        {"MS ADPCM, cbSize past the chunk", [](Wave& w) { w = MsAdpcm(7, 33); }, WaveFault::FormatSize},
        {"MS ADPCM, 3 channels",
         [](Wave& w) {
             w = MsAdpcm();
             w.channels = 3;
         },
         WaveFault::Channels},
        {"MS ADPCM stereo, block align 13",
         [](Wave& w) {
             w = MsAdpcm();
             w.channels = 2;
             w.blockAlign = 13;
         },
         WaveFault::BlockAlign},
        {"MS ADPCM stereo, block align 14",
         [](Wave& w) {
             w = MsAdpcm();
             w.channels = 2;
             w.blockAlign = 14;
         },
         WaveFault::None},
        {"IMA ADPCM", [](Wave& w) { w = ImaAdpcm(); }, WaveFault::None},
        {"IMA ADPCM of 3 bits",
         [](Wave& w) {
             w = ImaAdpcm();
             w.bits = 3;
         },
         WaveFault::Bits},
        {"IMA ADPCM, block align 3", [](Wave& w) { w = ImaAdpcm(1, 3); }, WaveFault::BlockAlign},
        {"IMA ADPCM, block align 4", [](Wave& w) { w = ImaAdpcm(1, 4); }, WaveFault::None},
        {"IMA ADPCM stereo, block align 12", [](Wave& w) { w = ImaAdpcm(2, 12); }, WaveFault::BlockAlign},
        {"IMA ADPCM stereo, block align 16", [](Wave& w) { w = ImaAdpcm(2, 16); }, WaveFault::None},
        {"IMA ADPCM, cbSize 0",
         [](Wave& w) {
             w = ImaAdpcm();
             w.extension = LeU16(0);
         },
         WaveFault::Extension},
    };
    for (const Case& c : cases) {
        Wave w;
        c.change(w);
        EXPECT_EQ(CheckWave(w.Bytes()), c.fault) << c.what;
    }
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
