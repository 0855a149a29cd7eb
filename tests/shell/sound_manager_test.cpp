#include "shell/sound_manager.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/config_blocks.h"
#include "foundation/exceptions.h"
#include "platform/headless/headless_audio.h"
#include "script/class_manager.h"
#include "script/native_handler.h"
#include "shell/sound_system.h"
#include "tests/shell/sound_fixtures.h"
#include "tests/support/script_texts.h"
#include "tests/support/test_archive.h"

namespace {

// Counts the records it makes, so that archive reads can be counted.
class CountingSoundManager : public SoundManager {
  public:
    using SoundManager::SoundManager;
    SoundRecord* NewSoundRecord() override {
        ++made;
        return SoundManager::NewSoundRecord();
    }
    int made = 0;
};

// A manager of the archive's sounds and a started sound system with sound on, over headless audio.
struct Playing {
    Playing(TestRunner& runner, TestArchive& archive)
        : manager(std::make_unique<SoundManager>(&runner, 26, archive.File())),
          system(&settings, &runner, audio) {
        StoreU16(settings.Header() + 12, 1);
        system.Init();
    }

    HeadlessAudio audio;
    SoundSettingsBlock settings;
    std::unique_ptr<SoundManager> manager;
    SoundSystem system;
};

class SoundManagerTest : public ::testing::Test {
  protected:
    SoundManagerTest()
        : archive({{"Misc\\Silence.wav", WaveFile(64), false},
                   {"Boom.ogg", OggBytes(), true},
                   {"Sound.subs",
                    "\"Big Boom\" Boom.ogg\r\nSolo\r\nMisc\\Silence.wav   // comment\r\n"
                    "Missing Nowhere.wav\r\nTrailing",
                    false}}) {}

    // Method n of the manager with one text argument; what it pushed.
    uint32_t Call(SoundManager& manager, uint32_t number, const char* text) {
        ScriptTexts texts;
        runner.stack.Push(texts.Add(text));
        NativeHandlerAt(ScriptLoad32(manager.GetMethod(number) + 4))(&manager);
        return runner.stack.Depth() > 0 ? runner.stack.Pop() : 0;
    }

    TestArchive archive;
    TestRunner runner;
};

TEST_F(SoundManagerTest, ASoundIsReadOnceAndKept) {
    ClassManager classes(&runner, 26, nullptr);
    auto* manager = new CountingSoundManager(&runner, 26, archive.File());
    classes.Register(manager, false);
    EXPECT_TRUE(manager->IsKindOf("SoundManager"));
    EXPECT_EQ(manager->MethodCount(), 6u);

    const uint32_t first = Call(*manager, 4, "Misc\\Silence.wav");
    const uint32_t second = Call(*manager, 4, "Misc\\Silence.wav");
    ASSERT_NE(first, 0u);
    EXPECT_EQ(first, second);
    EXPECT_EQ(manager->made, 1);
    SoundRecord* record = SoundRecord::FromAddress(first);
    EXPECT_EQ(record->Type(), AudioKind::None);  // loaded into the output only when played
    const std::string wave = WaveFile(64);
    EXPECT_EQ(std::string(record->Data().begin(), record->Data().end()), wave);

    // Packed entries arrive unpacked.
    SoundRecord* ogg = SoundRecord::FromAddress(Call(*manager, 4, "Boom.ogg"));
    ASSERT_NE(ogg, nullptr);
    EXPECT_EQ(ogg->DataSize(), OggBytes().size());
}

TEST_F(SoundManagerTest, AMissingSoundIsNull) {
    CountingSoundManager manager(&runner, 26, archive.File());
    manager.ReserveMethodTables(manager);
    manager.RegisterMethods(manager);
    EXPECT_EQ(Call(manager, 4, "Nothing.wav"), 0u);
    EXPECT_EQ(manager.made, 0);
}

TEST_F(SoundManagerTest, SubstitutionsPairFieldsInOrder) {
    CountingSoundManager manager(&runner, 26, archive.File());
    manager.ReserveMethodTables(manager);
    manager.RegisterMethods(manager);
    Call(manager, 5, "Sound.subs");

    HashTable<String>& aliases = manager.Sounds().Aliases();
    ASSERT_NE(aliases.Find("Big Boom"), nullptr);
    EXPECT_EQ(*aliases.Find("Big Boom"), "Boom.ogg");
    ASSERT_NE(aliases.Find("Solo"), nullptr);
    EXPECT_EQ(*aliases.Find("Solo"), "Misc\\Silence.wav");
    EXPECT_EQ(aliases.Find("Trailing"), nullptr);

    const uint32_t viaAlias = Call(manager, 4, "Big Boom");
    EXPECT_EQ(viaAlias, Call(manager, 4, "Boom.ogg"));
    EXPECT_EQ(Call(manager, 4, "Missing"), 0u);
    EXPECT_EQ(manager.made, 1);
    // The manager frees each record once although two names hold it.
}

TEST_F(SoundManagerTest, ACachedSoundPlaysAndIsFreedAfterTheSoundThreadStops) {
    Playing sound(runner, archive);
    SoundRecord* silence = sound.manager->Sounds().Get("Misc\\Silence.wav");
    EXPECT_TRUE(silence->KeptByEngine());
    EXPECT_GT(sound.system.PostPlay(silence), 0);
    sound.system.StopThread();
    EXPECT_EQ(sound.audio.Playbacks(silence->Handle()), 1);
    sound.manager.reset();
    EXPECT_EQ(sound.audio.Objects(), 0);
}

// As at shutdown when the sound thread was not stopped first: the requests still waiting for the
// manager's records play nothing, and the audio objects go with them.
TEST_F(SoundManagerTest, TheManagerMayGoWhileRequestsForItsSoundsWait) {
    Playing sound(runner, archive);
    auto other = RecordOf(OggBytes());
    sound.audio.HoldPlays(true);
    sound.system.PostPlay(other.get());  // the sound thread waits at this one
    const int32_t handle = sound.system.PostPlayLooped(sound.manager->Sounds().Get("Misc\\Silence.wav"));
    ASSERT_GT(handle, 0);
    sound.manager.reset();
    sound.audio.HoldPlays(false);
    sound.system.StopThread();
    EXPECT_EQ(sound.audio.Playbacks(static_cast<AudioHandle>(handle)), 0);
    EXPECT_EQ(sound.audio.Objects(), 1) << "only the other record's";
}

}  // namespace
