#include <gtest/gtest.h>

#include <SDL_mixer.h>

#include <cstdlib>

#include "foundation/config_blocks.h"
#include "foundation/script_memory.h"
#include "platform/sdl/sdl_audio.h"
#include "shell/sound_system.h"
#include "tests/shell/sound_fixtures.h"

namespace {

TEST(SoundSystemSdl, PlaysAndStopsAWaveSample) {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    SdlAudio audio;
    SoundSettingsBlock settings;
    StoreU16(settings.Header() + 12, 1);
    TestRunner runner;
    SoundSystem system(&settings, &runner, audio);
    system.Init();
    ASSERT_TRUE(system.Initialised());
    system.SetVolume(5);

    auto record = RecordOf(WaveFile());
    int32_t handle = -1;
    // Looped playbacks do not end by themselves, so what the sound thread started can be seen.
    for (int i = 0; i < Audio::kMaxSamplePlaybacks; ++i) handle = system.PostPlayLooped(record.get());
    ASSERT_GT(handle, 0);
    EXPECT_EQ(record->Type(), AudioKind::Sample);
    system.StopThread();
    EXPECT_FALSE(audio.PlayLooped(static_cast<AudioHandle>(handle)));  // all five are busy

    system.Stop(handle);
    EXPECT_TRUE(audio.PlayLooped(static_cast<AudioHandle>(handle)));
    system.StopAll();
    record.reset();
}

TEST(SoundSystemSdl, ACompressedSampleAndAModulePlayWithTheStream) {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    SdlAudio audio;
    SoundSettingsBlock settings;
    StoreU16(settings.Header() + 12, 1);
    TestRunner runner;
    SoundSystem system(&settings, &runner, audio);
    system.Init();
    ASSERT_TRUE(system.Initialised());
    auto sample = RecordOf(Mp3File());
    auto music = RecordOf(ModuleBytes());
    const std::string ogg = OggVorbisFile();
    const AudioHandle stream = audio.LoadStream(std::vector<uint8_t>(ogg.begin(), ogg.end()));
    ASSERT_NE(stream, 0u);
    EXPECT_TRUE(audio.PlayLooped(stream));
    EXPECT_GT(system.PostPlayLooped(sample.get()), 0);
    EXPECT_GT(system.PostPlayLooped(music.get()), 0);
    system.StopThread();
    EXPECT_EQ(sample->Type(), AudioKind::Sample);
    EXPECT_EQ(music->Type(), AudioKind::Music);
    // The module did not take the stream's voice: the mixer's music is still the Ogg stream.
    EXPECT_EQ(Mix_GetMusicType(nullptr), MUS_OGG);
    EXPECT_TRUE(Mix_PlayingMusic());
    system.StopAll();
    audio.Free(stream);
}

}  // namespace
