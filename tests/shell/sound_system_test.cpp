#include "shell/sound_system.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "foundation/config_blocks.h"
#include "foundation/exceptions.h"
#include "platform/headless/headless_audio.h"
#include "script/class_manager.h"
#include "script/native_descriptor.h"
#include "script/object_lifetime.h"
#include "script/script_object.h"
#include "shell/shell_natives.h"
#include "tests/shell/sound_fixtures.h"
#include "tests/support/error_message.h"

namespace {

std::string Line(const char* name, size_t arg, AudioHandle result) {
    return std::string(name) + " " + std::to_string(arg) + " -> " + std::to_string(result);
}

class SoundSystemTest : public ::testing::Test {
  protected:
    SoundSystemTest() { SetSoundOn(true); }

    void SetSoundOn(bool on) { StoreU16(settings.Header() + 12, on ? 1 : 0); }

    // The calls made since Init.
    std::vector<std::string> CallsAfterInit() {
        std::vector<std::string> calls = audio.Calls();
        if (!calls.empty() && calls.front().starts_with("Init")) calls.erase(calls.begin());
        return calls;
    }

    HeadlessAudio audio;
    SoundSettingsBlock settings;
    TestRunner runner;
};

TEST_F(SoundSystemTest, LoadersAreTriedSampleStreamMusicAndTheFirstTakerWins) {
    SoundSystem system(&settings, &runner, audio);
    system.Init();
    const std::string wave = WaveFile(), ogg = OggBytes(), module = ModuleBytes();
    auto sample = RecordOf(wave);
    auto stream = RecordOf(ogg);
    auto music = RecordOf(module);

    const int32_t h1 = system.PostPlayLooped(sample.get());
    audio.RefuseSamples(true);  // so that the Ogg file goes on to the stream loader
    const int32_t h2 = system.PostPlayLooped(stream.get());
    const int32_t h3 = system.PostPlayLooped(music.get());
    system.StopThread();

    EXPECT_EQ(sample->Type(), AudioKind::Sample);  // a stream could read it too: sample first
    EXPECT_EQ(stream->Type(), AudioKind::Stream);
    EXPECT_EQ(music->Type(), AudioKind::Music);
    EXPECT_EQ(h1, static_cast<int32_t>(sample->Handle()));
    EXPECT_EQ(h2, static_cast<int32_t>(stream->Handle()));
    EXPECT_EQ(h3, static_cast<int32_t>(music->Handle()));
    // The sound thread plays while the caller loads the next record: compare each kind apart.
    std::vector<std::string> loads, plays;
    for (const std::string& call : CallsAfterInit())
        (call.starts_with("Load") ? loads : plays).push_back(call);
    EXPECT_EQ(loads, (std::vector<std::string>{
                         Line("LoadSample", wave.size(), 1),
                         Line("LoadSample", ogg.size(), 0),
                         Line("LoadStream", ogg.size(), 2),
                         Line("LoadSample", module.size(), 0),
                         Line("LoadStream", module.size(), 0),
                         Line("LoadMusic", module.size(), 3),
                     }));
    EXPECT_EQ(plays,
              (std::vector<std::string>{"PlayLooped 1 -> 1", "PlayLooped 2 -> 1", "PlayLooped 3 -> 1"}));
    // Started together, all three still play: none took another's voice.
    EXPECT_EQ(audio.Playbacks(sample->Handle()), 1);
    EXPECT_EQ(audio.Playbacks(stream->Handle()), 1);
    EXPECT_EQ(audio.Playbacks(music->Handle()), 1);
}

// A damaged or unknown file is posted all the same; the sound thread tries it once more and plays
// nothing, and the game goes on.
TEST_F(SoundSystemTest, AFileNoLoaderTakesPlaysNothing) {
    SoundSystem system(&settings, &runner, audio);
    system.Init();
    const std::vector<std::string> files{std::string("not a sound at all"), std::string(),
                                         OggBytes().substr(0, 3)};
    std::vector<std::unique_ptr<SoundRecord>> records;
    for (const std::string& bytes : files) {
        records.push_back(RecordOf(bytes));
        EXPECT_EQ(ErrorMessage([&] { EXPECT_EQ(system.PostPlay(records.back().get()), -1); }), "no error");
    }
    system.StopThread();
    int loads = 0;
    for (const std::string& call : CallsAfterInit()) {
        EXPECT_FALSE(call.starts_with("Play")) << call;
        loads += call.starts_with("Load") ? 1 : 0;
    }
    // Three loaders, on the post and once more on the sound thread.
    EXPECT_EQ(loads, static_cast<int>(files.size()) * 3 * 2);
    for (const auto& record : records) EXPECT_EQ(record->Type(), AudioKind::None);
}

TEST_F(SoundSystemTest, RequestsThatPlayNothingGiveMinusOne) {
    auto record = RecordOf(WaveFile());
    {
        SoundSystem system(&settings, &runner, audio);
        EXPECT_EQ(system.PostPlay(record.get()), -1);  // before Init
        system.Init();
        EXPECT_EQ(system.PostPlay(nullptr), -1);
        SetSoundOn(false);
        EXPECT_EQ(system.PostPlay(record.get()), -1);
        EXPECT_EQ(record->Type(), AudioKind::None);  // switched off: not even loaded
        SetSoundOn(true);
        system.StopThread();
        EXPECT_EQ(system.PostPlay(record.get()), -1);  // no sound thread any more
    }
    {
        SoundSystem noSettings(nullptr, &runner, audio);
        noSettings.Init();
        EXPECT_EQ(noSettings.PostPlay(record.get()), -1);
    }
    HeadlessAudio noDevice(false);
    SoundSystem silent(&settings, &runner, noDevice);
    silent.Init();
    EXPECT_FALSE(silent.Initialised());
    EXPECT_EQ(silent.PostPlayLooped(record.get()), -1);
    silent.PlayCD(2, 1);
    silent.StopThread();
    for (const std::string& call : noDevice.Calls()) EXPECT_FALSE(call.starts_with("PlayCD")) << call;
}

TEST_F(SoundSystemTest, ASampleHasAtMostFivePlaybacksAtOnce) {
    SoundSystem system(&settings, &runner, audio);
    system.Init();
    auto record = RecordOf(WaveFile());
    for (int i = 0; i < 6; ++i) {
        const int32_t handle = system.PostPlay(record.get());
        EXPECT_EQ(handle, static_cast<int32_t>(record->Handle()));
    }
    system.StopThread();
    EXPECT_EQ(audio.Playbacks(record->Handle()), 5);
    EXPECT_EQ(CallsAfterInit().back(), "PlayOnce 1 -> 0");
}

TEST_F(SoundSystemTest, LoopedStopAndCD) {
    SoundSystem system(&settings, &runner, audio);
    system.PlayCD(3, 1);  // not initialised yet: nothing
    system.Init();
    auto record = RecordOf(OggBytes());
    const int32_t handle = system.PostPlayLooped(record.get());
    system.StopThread();
    EXPECT_EQ(audio.Playbacks(record->Handle()), 1);
    system.Stop(handle);
    system.Stop(-1);
    system.PlayCD(3, 3);
    system.StopCD();
    system.StopAll();
    auto calls = CallsAfterInit();
    calls.erase(calls.begin());  // the load
    EXPECT_EQ(calls, (std::vector<std::string>{"PlayLooped 1 -> 1", "Stop 1 -> 1", "Stop 4294967295 -> 0",
                                               "PlayCD 3 1", "StopCD", "StopAll"}));
    EXPECT_EQ(audio.Playbacks(record->Handle()), 0);
}

// A sound started looped and stopped at once is left playing by nobody: every stop is served after
// the plays asked for before it.
TEST_F(SoundSystemTest, AStopNeverComesBeforeThePlayItStops) {
    for (const bool all : {false, true}) {
        SCOPED_TRACE(all ? "StopAll" : "Stop of its handle");
        SoundSystem system(&settings, &runner, audio);
        system.Init();
        std::vector<std::unique_ptr<SoundRecord>> records;
        for (int round = 0; round < 200; ++round) {
            records.push_back(RecordOf(WaveFile(16)));
            const int32_t handle = system.PostPlayLooped(records.back().get());
            if (all) {
                system.StopAll();
            } else {
                system.Stop(handle);
            }
        }
        system.StopThread();
        int looping = 0;
        for (const auto& record : records) looping += audio.Playbacks(record->Handle());
        EXPECT_EQ(looping, 0);
    }
}

// A record a scene reset gives up plays no more: no request is posted for it, one still queued plays
// nothing, and what plays of it stops. Its audio object goes with the last request that held it.
TEST_F(SoundSystemTest, ARetiredRecordPlaysNoMore) {
    enum class Retired { BeforeItIsAskedFor, WhileItsRequestWaits, WhileItPlays };
    const std::pair<const char*, Retired> cases[] = {
        {"before it is asked for", Retired::BeforeItIsAskedFor},
        {"while its request waits", Retired::WhileItsRequestWaits},
        {"while it plays", Retired::WhileItPlays},
    };
    for (const auto& [what, when] : cases) {
        SCOPED_TRACE(what);
        SoundSystem system(&settings, &runner, audio);
        system.Init();
        auto other = RecordOf(OggBytes());
        SoundRecord* record = RecordOf(WaveFile()).release();  // the retirement frees it
        int32_t handle = -1;
        audio.HoldPlays(true);
        system.PostPlay(other.get());  // the sound thread waits at this one
        {
            const ReleaseHold frame;  // a native frame that still reads the record
            if (when == Retired::WhileItPlays) {
                audio.HoldPlays(false);
                handle = system.PostPlayLooped(record);
                system.StopThread();
                system.Init();
                ASSERT_EQ(audio.Playbacks(record->Handle()), 1);
            } else if (when == Retired::WhileItsRequestWaits) {
                handle = system.PostPlayLooped(record);
            }
            RetireObject(record);
            if (when == Retired::BeforeItIsAskedFor) handle = system.PostPlayLooped(record);
            EXPECT_EQ(when == Retired::BeforeItIsAskedFor, handle == -1);
            EXPECT_EQ(audio.Playbacks(static_cast<AudioHandle>(handle)), 0);
        }
        audio.HoldPlays(false);
        system.StopThread();
        EXPECT_EQ(audio.Playbacks(static_cast<AudioHandle>(handle)), 0);
        EXPECT_EQ(audio.Objects(), 1) << "only the other record's";
    }
}

TEST_F(SoundSystemTest, VolumeIsClampedToTenSteps) {
    SoundSystem system(&settings, &runner, audio);
    system.SetVolume(7);
    EXPECT_EQ(audio.Volume(), 70);
    system.SetVolume(15);
    EXPECT_EQ(audio.Volume(), 100);
    system.SetVolume(-3);
    EXPECT_EQ(audio.Volume(), 0);
    system.SetVolume(0x7FFFFFFF);  // no overflow on the way
    EXPECT_EQ(CallsAfterInit().back(), "SetVolume 100");
}

TEST_F(SoundSystemTest, TheSoundThreadServesEveryRequestBeforeItIsJoined) {
    std::vector<std::unique_ptr<SoundRecord>> records;
    for (int i = 0; i < 20; ++i) records.push_back(RecordOf(i % 2 == 0 ? OggBytes() : ModuleBytes()));
    {
        SoundSystem system(&settings, &runner, audio);
        system.Init();  // requests right after the start are not lost
        for (auto& r : records) system.PostPlay(r.get());
        EXPECT_TRUE(system.ThreadRunning());
        system.StopThread();
        EXPECT_FALSE(system.ThreadRunning());
        system.StopThread();
        int plays = 0;
        for (const std::string& call : audio.Calls()) plays += call.starts_with("PlayOnce") ? 1 : 0;
        EXPECT_EQ(plays, 20);

        system.Init();  // a system destroyed with its thread running joins it
        system.PostPlay(records[0].get());
    }
    EXPECT_EQ(audio.Calls().back(), "Shutdown");
    EXPECT_FALSE(audio.IsOpen());
}

TEST_F(SoundSystemTest, DestroyingARecordFreesItsAudioObjectWhateverItsKind) {
    SoundSystem system(&settings, &runner, audio);
    system.Init();
    auto stream = RecordOf(OggBytes());
    auto sample = RecordOf(WaveFile());
    system.Load(sample.get());
    audio.RefuseSamples(true);
    system.Load(stream.get());
    ASSERT_EQ(stream->Type(), AudioKind::Stream);
    system.StopThread();
    ASSERT_EQ(audio.Objects(), 2);
    const AudioHandle streamHandle = stream->Handle();
    stream.reset();
    EXPECT_EQ(audio.Calls().back(), "Free " + std::to_string(streamHandle));
    sample.reset();
    EXPECT_EQ(audio.Objects(), 0);
}

TEST_F(SoundSystemTest, RefillingARecordFreesWhatWasLoaded) {
    SoundSystem system(&settings, &runner, audio);
    system.Init();
    auto record = RecordOf(WaveFile());
    system.Load(record.get());
    ASSERT_EQ(audio.Objects(), 1);
    const std::string ogg = OggBytes();
    Refill(*record, ogg);
    EXPECT_EQ(audio.Objects(), 0);
    EXPECT_EQ(record->Type(), AudioKind::None);
    EXPECT_EQ(record->DataSize(), ogg.size());
    const int32_t handle = system.PostPlay(record.get());
    EXPECT_EQ(handle, static_cast<int32_t>(record->Handle()));
    system.StopThread();
    EXPECT_EQ(record->Type(), AudioKind::Sample);
}

TEST_F(SoundSystemTest, TwoThreadsLoadingTheSameRecordsMakeOneObjectEach) {
    SoundSystem system(&settings, &runner, audio);
    system.Init();
    std::vector<std::unique_ptr<SoundRecord>> records;
    for (int i = 0; i < 100; ++i) records.push_back(RecordOf(WaveFile(16)));
    std::thread other([&] {
        for (auto& r : records) system.Load(r.get());
    });
    for (auto& r : records) system.Load(r.get());
    other.join();
    system.StopThread();
    EXPECT_EQ(audio.Objects(), 100);
}

void CallNative(ZEMAClass& cls, uint32_t number) {
    const uint32_t body = cls.GetMethod(number);
    NativeHandlerAt(ScriptLoad32(body + 4))(&cls);
}

TEST_F(SoundSystemTest, NativeMethods) {
    auto record = RecordOf(WaveFile());
    ClassManager manager(&runner, 26, nullptr);
    auto* system = new SoundSystem(&settings, &runner, audio);
    manager.Register(system, false);
    EXPECT_EQ(manager.FindClass("SoundSystem"), system);
    EXPECT_TRUE(system->IsKindOf("SoundSystem"));
    EXPECT_EQ(system->MethodCount(), 9u);
    system->Init();

    runner.stack.Push(record->Address());
    CallNative(*system, 4);
    EXPECT_EQ(runner.stack.Pop(), record->Handle());
    runner.stack.Push(0);
    CallNative(*system, 8);
    EXPECT_EQ(static_cast<int32_t>(runner.stack.Pop()), -1);
    runner.stack.Push(system->Address());  // not a record
    EXPECT_THROW(CallNative(*system, 4), FatalExep);
    system->StopThread();

    runner.stack.Push(record->Handle());
    CallNative(*system, 5);
    runner.stack.Push(3);  // track below the loop flag
    runner.stack.Push(1);
    CallNative(*system, 6);
    CallNative(*system, 7);
    EXPECT_EQ(runner.stack.Depth(), 0u);
    const auto calls = CallsAfterInit();
    EXPECT_EQ(std::vector<std::string>(calls.end() - 3, calls.end()),
              (std::vector<std::string>{"Stop 1 -> 1", "PlayCD 3 1", "StopCD"}));
    record.reset();  // before the system closes the output
}

TEST(ShellNatives, CatalogueDescriptorsGetTheSameBindings) {
    RegisterShellNatives();
    const NativeClassRow row{"SoundSystem", "SoundSystem", &kZEMAClassRow, 9, 2};
    TestRunner runner;
    NativeDescriptor descriptor(&runner, row);
    descriptor.ReserveMethodTables(descriptor);
    descriptor.RegisterMethods(descriptor);
    for (uint32_t m = 0; m < 9; ++m) EXPECT_NE(descriptor.MethodSlot(m), 0u) << m;
}

}  // namespace
