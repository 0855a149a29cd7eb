#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/headless/headless_audio.h"
#include "platform/module_decoder.h"
#include "tools/content/sound_builder.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes WithAt(size_t size, size_t offset, const char* magic) {
    Bytes b(size, 0);
    std::memcpy(b.data() + offset, magic, std::strlen(magic));
    return b;
}

Bytes Wave() {
    Bytes b = WithAt(64, 0, "RIFF");
    std::memcpy(b.data() + 8, "WAVE", 4);
    return b;
}

Bytes Of(const std::string& file) {
    return Bytes(file.begin(), file.end());
}

// Every MOD tag the module library reads, with its channel count, and the other formats built here.
const ModTag kModTags[] = {{"M.K.", 4},  {"M!K!", 4},  {"M&K!", 4}, {"FLT4", 4}, {"4CHN", 4},
                           {"6CHN", 6},  {"8CHN", 8},  {"FLT8", 8}, {"CD81", 8}, {"OKTA", 8},
                           {"10CH", 10}, {"16CH", 16}, {"32CH", 32}};

TEST(AudioFormatTest, FirstBytesDecide) {
    EXPECT_EQ(DetectAudioFormat(Wave()), AudioFormat::Wave);
    EXPECT_EQ(DetectAudioFormat(WithAt(64, 0, "RIFF")), AudioFormat::Unknown);  // RIFF but not WAVE
    EXPECT_EQ(DetectAudioFormat(WithAt(64, 0, "OggS")), AudioFormat::Compressed);
    EXPECT_EQ(DetectAudioFormat(WithAt(64, 0, "ID3")), AudioFormat::Compressed);
    EXPECT_EQ(DetectAudioFormat(WithAt(64, 0, "fLaC")), AudioFormat::Compressed);
    EXPECT_EQ(DetectAudioFormat(Bytes{0xFF, 0xFB, 0x90, 0x00}), AudioFormat::Compressed);
    EXPECT_EQ(DetectAudioFormat(Bytes{0xFF, 0x1B}), AudioFormat::Unknown);
    EXPECT_EQ(DetectAudioFormat(Of(OggVorbisFile())), AudioFormat::Compressed);
    EXPECT_EQ(DetectAudioFormat(Of(Mp3File())), AudioFormat::Compressed);
    EXPECT_EQ(DetectAudioFormat(Of(ModFile({"M.K.", 4}))), AudioFormat::Module);
    EXPECT_EQ(DetectAudioFormat(Of(MtmFile())), AudioFormat::Module);
    Bytes cut = Of(ModFile({"M.K.", 4}));
    cut.resize(1083);  // the tag would run past the end
    EXPECT_EQ(DetectAudioFormat(cut), AudioFormat::Unknown);
    EXPECT_EQ(DetectAudioFormat(Bytes{}), AudioFormat::Unknown);
    EXPECT_EQ(DetectAudioFormat(Bytes(2000, 0x41)), AudioFormat::Unknown);
    EXPECT_TRUE(IsSampledSound(AudioFormat::Wave));
    EXPECT_TRUE(IsSampledSound(AudioFormat::Compressed));
    EXPECT_FALSE(IsSampledSound(AudioFormat::Module));
    EXPECT_FALSE(IsSampledSound(AudioFormat::Unknown));
}

class HeadlessAudioTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(audio_.Init());
        audio_.ClearCalls();
    }
    HeadlessAudio audio_;
};

TEST_F(HeadlessAudioTest, LoadTriesSampleThenStreamThenMusic) {
    // A WAVE file would also do as a stream: the sample loader, asked first, takes it.
    const LoadedAudio wav = audio_.Load(Wave());
    EXPECT_EQ(wav.kind, AudioKind::Sample);
    EXPECT_NE(wav.handle, 0u);
    // Compressed files are samples too.
    const LoadedAudio ogg = audio_.Load(Of(OggVorbisFile()));
    EXPECT_EQ(ogg.kind, AudioKind::Sample);
    EXPECT_EQ(audio_.Load(Of(Mp3File())).kind, AudioKind::Sample);
    const Bytes mod = Of(ModFile({"M.K.", 4}));
    audio_.ClearCalls();
    const LoadedAudio music = audio_.Load(mod);
    EXPECT_EQ(music.kind, AudioKind::Music);
    const std::string size = std::to_string(mod.size());
    EXPECT_EQ(audio_.Calls(),
              (std::vector<std::string>{"LoadSample " + size + " -> 0", "LoadStream " + size + " -> 0",
                                        "LoadMusic " + size + " -> " + std::to_string(music.handle)}));
    const LoadedAudio junk = audio_.Load(Bytes(100, 7));
    EXPECT_EQ(junk.kind, AudioKind::None);
    EXPECT_EQ(junk.handle, 0u);
    EXPECT_EQ(audio_.Objects(), 4);
    EXPECT_NE(wav.handle, ogg.handle);
    EXPECT_NE(ogg.handle, music.handle);
}

TEST_F(HeadlessAudioTest, EveryModuleTheDecoderReadsIsMusic) {
    std::vector<std::pair<std::string, Bytes>> modules;
    for (const ModTag& tag : kModTags) modules.emplace_back(tag.tag, Of(ModFile(tag)));
    modules.emplace_back("MTM", Of(MtmFile()));
    for (const auto& [name, bytes] : modules) {
        EXPECT_NE(ModuleDecoder::Open(bytes), nullptr) << name;
        const LoadedAudio loaded = audio_.Load(bytes);
        EXPECT_EQ(loaded.kind, AudioKind::Music) << name;
        EXPECT_TRUE(audio_.PlayOnce(loaded.handle)) << name;
    }
    // What the decoder refuses is no module, whatever its first bytes promise.
    EXPECT_EQ(audio_.LoadMusic(Bytes(2000, 0x41)), 0u);
    EXPECT_EQ(audio_.LoadMusic(WithAt(100, 0, "Extended Module: ")), 0u);
    EXPECT_EQ(audio_.LoadMusic(Wave()), 0u);
}

TEST_F(HeadlessAudioTest, ASampleAStreamAndAModuleStartedTogetherAllPlay) {
    const AudioHandle sample = audio_.LoadSample(Of(OggVorbisFile()), Audio::kMaxSamplePlaybacks);
    const AudioHandle stream = audio_.LoadStream(Of(Mp3File()));
    const AudioHandle module = audio_.LoadMusic(Of(ModFile({"8CHN", 8})));
    ASSERT_NE(sample, 0u);
    ASSERT_NE(stream, 0u);
    ASSERT_NE(module, 0u);
    EXPECT_TRUE(audio_.PlayLooped(module));
    EXPECT_TRUE(audio_.PlayOnce(sample));
    EXPECT_TRUE(audio_.PlayLooped(stream));
    EXPECT_TRUE(audio_.PlayOnce(sample));
    EXPECT_EQ(audio_.Playbacks(sample), 2);
    EXPECT_EQ(audio_.Playbacks(stream), 1);
    EXPECT_EQ(audio_.Playbacks(module), 1);

    // A second stream takes the stream's voice and leaves the module playing; so does a module.
    const AudioHandle stream2 = audio_.LoadStream(Wave());
    EXPECT_TRUE(audio_.PlayOnce(stream2));
    EXPECT_EQ(audio_.Playbacks(stream), 0);
    EXPECT_EQ(audio_.Playbacks(module), 1);
    const AudioHandle module2 = audio_.LoadMusic(Of(MtmFile()));
    EXPECT_TRUE(audio_.PlayOnce(module2));
    EXPECT_EQ(audio_.Playbacks(module), 0);
    EXPECT_EQ(audio_.Playbacks(stream2), 1);
    EXPECT_EQ(audio_.Playbacks(sample), 2);
}

TEST_F(HeadlessAudioTest, SampleAllowsFivePlaybacksAtOnce) {
    const AudioHandle h = audio_.LoadSample(Wave(), Audio::kMaxSamplePlaybacks);
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(audio_.PlayOnce(h));
    EXPECT_TRUE(audio_.PlayLooped(h));
    EXPECT_FALSE(audio_.PlayOnce(h));
    EXPECT_FALSE(audio_.PlayLooped(h));
    EXPECT_EQ(audio_.Playbacks(h), 5);
    EXPECT_TRUE(audio_.Stop(h));
    EXPECT_EQ(audio_.Playbacks(h), 0);
    EXPECT_TRUE(audio_.PlayOnce(h));

    // A stream restarts rather than adding playbacks.
    const AudioHandle s = audio_.LoadStream(Of(OggVorbisFile()));
    EXPECT_TRUE(audio_.PlayOnce(s));
    EXPECT_TRUE(audio_.PlayLooped(s));
    EXPECT_EQ(audio_.Playbacks(s), 1);
}

TEST_F(HeadlessAudioTest, StaleAndUnknownHandlesAreRefused) {
    const AudioHandle h = audio_.LoadSample(Wave(), 5);
    audio_.Free(h);
    EXPECT_FALSE(audio_.PlayOnce(h));
    EXPECT_FALSE(audio_.Stop(h));
    EXPECT_FALSE(audio_.PlayLooped(0));
    EXPECT_FALSE(audio_.PlayOnce(0xFFFFFFFFu));
    audio_.Free(12345);  // harmless
    const AudioHandle again = audio_.LoadSample(Wave(), 5);
    EXPECT_NE(again, h);  // a freed handle is not handed out again at once
    EXPECT_LE(again, 0x7FFFFFFFu);
    EXPECT_EQ(audio_.Objects(), 1);
}

TEST_F(HeadlessAudioTest, StopAllEndsEverythingAndOutputGoesOn) {
    const AudioHandle a = audio_.LoadSample(Wave(), 5);
    const AudioHandle m = audio_.LoadMusic(Of(ModFile({"M.K.", 4})));
    audio_.PlayOnce(a);
    audio_.PlayOnce(a);
    audio_.PlayLooped(m);
    audio_.StopAll();
    EXPECT_EQ(audio_.Playbacks(a), 0);
    EXPECT_EQ(audio_.Playbacks(m), 0);
    EXPECT_TRUE(audio_.PlayOnce(a));
    EXPECT_EQ(audio_.Objects(), 2);
}

TEST_F(HeadlessAudioTest, VolumeIsClampedAndCallsAreRecorded) {
    audio_.SetVolume(70);
    EXPECT_EQ(audio_.Volume(), 70);
    audio_.SetVolume(-5);
    EXPECT_EQ(audio_.Volume(), 0);
    audio_.SetVolume(1000);
    EXPECT_EQ(audio_.Volume(), 100);
    audio_.PlayCD(3, true);
    audio_.StopCD();
    EXPECT_EQ(audio_.Calls(), (std::vector<std::string>{"SetVolume 70", "SetVolume -5", "SetVolume 1000",
                                                        "PlayCD 3 1", "StopCD"}));
}

TEST(HeadlessAudioNoDeviceTest, FallsBackToSilenceAndStaysSafe) {
    HeadlessAudio audio(false);
    EXPECT_FALSE(audio.Init());
    EXPECT_FALSE(audio.IsOpen());
    EXPECT_EQ(audio.Load(Wave()).handle, 0u);
    EXPECT_FALSE(audio.PlayOnce(1));
    EXPECT_FALSE(audio.Stop(1));
    audio.StopAll();
    audio.SetVolume(50);
    audio.PlayCD(1, false);
    EXPECT_EQ(audio.Calls().front(), "Init -> 0");
}

TEST(HeadlessAudioShutdownTest, ShutdownFreesEverything) {
    HeadlessAudio audio;
    ASSERT_TRUE(audio.Init());
    const AudioHandle h = audio.LoadSample(Wave(), 5);
    audio.Shutdown();
    EXPECT_EQ(audio.Objects(), 0);
    EXPECT_FALSE(audio.IsOpen());
    ASSERT_TRUE(audio.Init());
    EXPECT_FALSE(audio.PlayOnce(h));
}

}  // namespace
