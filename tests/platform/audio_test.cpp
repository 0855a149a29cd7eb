#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/headless/headless_audio.h"

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

TEST(AudioFormatTest, FirstBytesDecide) {
    EXPECT_EQ(DetectAudioFormat(Wave()), AudioFormat::Wave);
    EXPECT_EQ(DetectAudioFormat(WithAt(64, 0, "RIFF")), AudioFormat::Unknown);  // RIFF but not WAVE
    EXPECT_EQ(DetectAudioFormat(WithAt(64, 0, "OggS")), AudioFormat::Stream);
    EXPECT_EQ(DetectAudioFormat(WithAt(64, 0, "ID3")), AudioFormat::Stream);
    EXPECT_EQ(DetectAudioFormat(Bytes{0xFF, 0xFB, 0x90, 0x00}), AudioFormat::Stream);
    EXPECT_EQ(DetectAudioFormat(Bytes{0xFF, 0x1B}), AudioFormat::Unknown);
    EXPECT_EQ(DetectAudioFormat(WithAt(100, 0, "Extended Module: ")), AudioFormat::Module);
    EXPECT_EQ(DetectAudioFormat(WithAt(100, 0, "IMPM")), AudioFormat::Module);
    EXPECT_EQ(DetectAudioFormat(WithAt(100, 44, "SCRM")), AudioFormat::Module);
    EXPECT_EQ(DetectAudioFormat(WithAt(1084, 1080, "M.K.")), AudioFormat::Module);
    Bytes cut = WithAt(1084, 1080, "M.K.");
    cut.resize(1083);  // the tag would run past the end
    EXPECT_EQ(DetectAudioFormat(cut), AudioFormat::Unknown);
    EXPECT_EQ(DetectAudioFormat(Bytes{}), AudioFormat::Unknown);
    EXPECT_EQ(DetectAudioFormat(Bytes(2000, 0x41)), AudioFormat::Unknown);
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
    const LoadedAudio ogg = audio_.Load(WithAt(64, 0, "OggS"));
    EXPECT_EQ(ogg.kind, AudioKind::Stream);
    const Bytes mod = WithAt(1084, 1080, "M.K.");
    audio_.ClearCalls();
    const LoadedAudio music = audio_.Load(mod);
    EXPECT_EQ(music.kind, AudioKind::Music);
    EXPECT_EQ(audio_.Calls(), (std::vector<std::string>{"LoadSample 1084 -> 0", "LoadStream 1084 -> 0",
                                                        "LoadMusic 1084 -> " + std::to_string(music.handle)}));
    const LoadedAudio junk = audio_.Load(Bytes(100, 7));
    EXPECT_EQ(junk.kind, AudioKind::None);
    EXPECT_EQ(junk.handle, 0u);
    EXPECT_EQ(audio_.Objects(), 3);
    EXPECT_NE(wav.handle, ogg.handle);
    EXPECT_NE(ogg.handle, music.handle);
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
    const AudioHandle s = audio_.LoadStream(WithAt(64, 0, "OggS"));
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
    const AudioHandle m = audio_.LoadMusic(WithAt(100, 0, "IMPM"));
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
