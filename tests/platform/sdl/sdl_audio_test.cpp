#include "platform/sdl/sdl_audio.h"

#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tools/content/sound_builder.h"

namespace {

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
void Put16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}

// A tenth of a second of a 440 Hz tone: 16-bit mono PCM at 22050 Hz.
std::vector<uint8_t> ToneWave() {
    const uint32_t rate = 22050;
    const uint32_t frames = rate / 10;
    std::vector<uint8_t> b(44 + frames * 2);
    std::memcpy(&b[0], "RIFF", 4);
    Put32(b, 4, static_cast<uint32_t>(b.size() - 8));
    std::memcpy(&b[8], "WAVEfmt ", 8);
    Put32(b, 16, 16);
    Put16(b, 20, 1);  // PCM
    Put16(b, 22, 1);  // mono
    Put32(b, 24, rate);
    Put32(b, 28, rate * 2);
    Put16(b, 32, 2);
    Put16(b, 34, 16);
    std::memcpy(&b[36], "data", 4);
    Put32(b, 40, frames * 2);
    for (uint32_t i = 0; i < frames; ++i) {
        const double s = std::sin(2 * 3.14159265358979 * 440 * i / rate);
        Put16(b, 44 + 2 * i, static_cast<uint16_t>(static_cast<int16_t>(s * 8000)));
    }
    return b;
}

TEST(SdlAudioTest, PlaysAWaveFromMemoryAndShutsDown) {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    SdlAudio audio;
    ASSERT_TRUE(audio.Init());
    audio.SetVolume(70);

    std::vector<uint8_t> wav = ToneWave();
    const LoadedAudio sample = audio.Load(wav);
    ASSERT_EQ(sample.kind, AudioKind::Sample);
    // Looped playbacks never end by themselves, so the per-sample limit is seen whatever the timing.
    for (int i = 0; i < Audio::kMaxSamplePlaybacks; ++i) EXPECT_TRUE(audio.PlayLooped(sample.handle));
    EXPECT_FALSE(audio.PlayLooped(sample.handle));
    EXPECT_TRUE(audio.Stop(sample.handle));
    EXPECT_TRUE(audio.PlayLooped(sample.handle));

    // The same bytes as a stream: the backend keeps its own copy while the mixer reads it.
    const AudioHandle stream = audio.LoadStream(wav);
    ASSERT_NE(stream, 0u);
    wav.assign(wav.size(), 0);
    EXPECT_TRUE(audio.PlayLooped(stream));

    EXPECT_EQ(audio.LoadStream(std::vector<uint8_t>(100, 3)), 0u);
    EXPECT_EQ(audio.LoadMusic(std::vector<uint8_t>(100, 3)), 0u);

    audio.StopAll();
    EXPECT_TRUE(audio.PlayOnce(sample.handle));
    audio.Free(sample.handle);
    audio.Free(stream);  // freed while playing
    EXPECT_FALSE(audio.PlayOnce(sample.handle));
    EXPECT_FALSE(audio.Stop(stream));
    audio.PlayCD(2, true);
    audio.StopCD();
    audio.Shutdown();

    // Opens again after a shutdown, and the destructor closes what is left.
    ASSERT_TRUE(audio.Init());
    EXPECT_NE(audio.LoadSample(ToneWave(), 5), 0u);
}

// Each a field that a decoder beneath the mixer takes on trust: 0 channels ends the process with
// SIGFPE in the stream's reader, 1 Hz makes the sample's conversion to the device's rate take
// hundreds of megabytes, and the stream's reader takes a block alignment of 0.
TEST(SdlAudioTest, AWaveWithADamagedFormatLoadsAsNothing) {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    SdlAudio audio;
    ASSERT_TRUE(audio.Init());
    struct Case {
        const char* what;
        size_t at;
        uint16_t value;
    };
    const Case cases[] = {{"no channels", 22, 0}, {"1 Hz", 24, 1}, {"block align 0", 32, 0}};
    for (const Case& c : cases) {
        std::vector<uint8_t> wav = ToneWave();
        Put16(wav, c.at, c.value);  // the rate's upper half is 0 already
        EXPECT_EQ(audio.LoadSample(wav, 5), 0u) << c.what;
        EXPECT_EQ(audio.LoadStream(wav), 0u) << c.what;
        EXPECT_EQ(audio.Load(wav).kind, AudioKind::None) << c.what;
    }
    EXPECT_EQ(audio.Load(ToneWave()).kind, AudioKind::Sample);
}

std::vector<uint8_t> Of(const std::string& file) {
    return std::vector<uint8_t>(file.begin(), file.end());
}

TEST(SdlAudioTest, CompressedSamplesDecodeAndModulesAreNoSamples) {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    SdlAudio audio;
    ASSERT_TRUE(audio.Init());
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        bool sample;
        bool music;
    };
    std::vector<uint8_t> brokenOgg = Of(OggVorbisFile());
    brokenOgg.resize(40);  // the header page cut short
    const Case cases[] = {
        {"wave", ToneWave(), true, false},
        {"ogg vorbis", Of(OggVorbisFile()), true, false},
        {"mp3", Of(Mp3File()), true, false},
        {"broken ogg", brokenOgg, false, false},
        {"mod", Of(ModFile({"6CHN", 6})), false, true},
        {"mtm", Of(MtmFile()), false, true},
        {"junk", std::vector<uint8_t>(300, 9), false, false},
    };
    for (const Case& c : cases) {
        const AudioHandle sample = audio.LoadSample(c.bytes, 5);
        EXPECT_EQ(sample != 0, c.sample) << c.what;
        if (sample != 0) {
            EXPECT_TRUE(audio.PlayOnce(sample)) << c.what;
        }
        EXPECT_EQ(audio.LoadMusic(c.bytes) != 0, c.music) << c.what;
    }
}

// The stream information's channel count and rate, which the mixer's FLAC decoder trusts: a mono
// file claiming two channels ended the process with SIGSEGV, and one whose metadata is cut short,
// damaged or holds the stream information twice leaked what the mixer took for it. A comment of no
// length, which the FLAC reader hands on as no text at all, ended it with SIGSEGV too.
TEST(SdlAudioTest, AFlacWhoseHeaderDisagreesWithItsFramesLoadsAsNothing) {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    SdlAudio audio;
    ASSERT_TRUE(audio.Init());
    // The channel count less one sits in bits 3..1 of byte 20, under the rate's last four bits.
    const auto withChannels = [](std::vector<uint8_t> b, unsigned channels) {
        b[20] = static_cast<uint8_t>((b[20] & ~0x0E) | (channels - 1) << 1);
        return b;
    };
    const auto withRate = [](std::vector<uint8_t> b, uint32_t rate) {
        b[18] = static_cast<uint8_t>(rate >> 12);
        b[19] = static_cast<uint8_t>(rate >> 4);
        b[20] = static_cast<uint8_t>((b[20] & 0x0F) | (rate & 0x0F) << 4);
        return b;
    };
    const std::vector<uint8_t> mono = Of(FlacFile(1)), stereo = Of(FlacFile(2));
    std::vector<uint8_t> cut = mono;
    cut.resize(44);  // in the comment block after the stream information
    std::vector<uint8_t> vendor = mono;
    vendor[47] = 0x7F;  // the comment block's first length, past the block
    std::vector<uint8_t> twice = mono;
    twice.insert(twice.begin() + 4, mono.begin() + 4, mono.begin() + 42);  // the block, not marked last
    // The comment block (after the stream information, at 42): its length at 43..45 (big-endian),
    // the vendor's length at 46 and the vendor, the count of comments, each with its length.
    const auto withComment = [](std::vector<uint8_t> b, const std::string& comment) {
        const uint32_t vendor = b[46] | b[47] << 8;
        const size_t count = 50 + vendor;
        const uint32_t block = (b[43] << 16 | b[44] << 8 | b[45]) + 4 + static_cast<uint32_t>(comment.size());
        std::vector<uint8_t> entry = {static_cast<uint8_t>(comment.size()), 0, 0, 0};
        entry.insert(entry.end(), comment.begin(), comment.end());
        b.insert(b.begin() + static_cast<std::ptrdiff_t>(count + 4), entry.begin(), entry.end());
        b[count] = static_cast<uint8_t>(b[count] + 1);
        b[43] = static_cast<uint8_t>(block >> 16);
        b[44] = static_cast<uint8_t>(block >> 8);
        b[45] = static_cast<uint8_t>(block);
        return b;
    };
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        bool plays;
    };
    const Case cases[] = {
        {"mono", mono, true},
        {"stereo", stereo, true},
        {"mono frames, two channels claimed", withChannels(mono, 2), false},
        {"stereo frames, one channel claimed", withChannels(stereo, 1), false},
        {"rate 999", withRate(mono, 999), false},
        {"rate 1000", withRate(mono, 1000), true},
        {"metadata cut short", cut, false},
        {"comment block damaged", vendor, false},
        {"stream information twice", twice, false},
        {"a comment", withComment(mono, "A=1"), true},
        {"a comment of one letter", withComment(mono, "A"), true},
        {"a comment of no length", withComment(mono, ""), false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(audio.LoadSample(c.bytes, 5) != 0, c.plays) << c.what;
        EXPECT_EQ(audio.LoadStream(c.bytes) != 0, c.plays) << c.what;
    }
}

TEST(SdlAudioTest, SamplesAStreamAndAModulePlayTogether) {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    SdlAudio audio;
    ASSERT_TRUE(audio.Init());
    const AudioHandle sample = audio.LoadSample(Of(Mp3File()), 5);
    const AudioHandle stream = audio.LoadStream(Of(OggVorbisFile()));
    const AudioHandle module = audio.LoadMusic(Of(ModFile({"M!K!", 4})));
    ASSERT_NE(sample, 0u);
    ASSERT_NE(stream, 0u);
    ASSERT_NE(module, 0u);
    EXPECT_TRUE(audio.PlayLooped(stream));
    EXPECT_TRUE(audio.PlayLooped(module));
    // The module did not take the stream's voice: the mixer's music is still the Ogg stream.
    EXPECT_TRUE(Mix_PlayingMusic());
    EXPECT_EQ(Mix_GetMusicType(nullptr), MUS_OGG);
    // Looped playbacks never end by themselves, so the per-sample limit shows that all five sound
    // with the stream and the module, whatever the timing.
    for (int i = 0; i < Audio::kMaxSamplePlaybacks; ++i) EXPECT_TRUE(audio.PlayLooped(sample));
    EXPECT_FALSE(audio.PlayLooped(sample));
    audio.SetVolume(40);
    // A second module replaces the first on its voice; stopping and freeing a playing module is safe.
    const AudioHandle module2 = audio.LoadMusic(Of(MtmFile()));
    EXPECT_TRUE(audio.PlayOnce(module2));
    EXPECT_TRUE(audio.Stop(module));
    audio.Free(module2);
    EXPECT_FALSE(audio.Stop(module2));
    EXPECT_TRUE(audio.PlayLooped(module));
    audio.StopAll();
    EXPECT_TRUE(audio.PlayOnce(module));
    audio.Shutdown();
}

}  // namespace
