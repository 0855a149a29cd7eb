#include <gtest/gtest.h>

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

}  // namespace
