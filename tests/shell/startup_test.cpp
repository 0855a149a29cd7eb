#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "foundation/config_blocks.h"
#include "graphics/font_manager.h"
#include "graphics/image_manager.h"
#include "graphics/screen_buffer.h"
#include "script/class_manager.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "shell/frame_timer.h"
#include "shell/game_ids.h"
#include "shell/game_shutdown.h"
#include "shell/game_startup.h"
#include "shell/hot_key_table.h"
#include "shell/sound_manager.h"
#include "shell/sound_system.h"
#include "tests/shell/game_fixture.h"
#include "tests/support/block_writer.h"

namespace {

using StartupTest = GameFixture;

bool AudioCalled(const HeadlessAudio& audio, const std::string& start, const std::string& end) {
    const std::vector<std::string> calls = audio.Calls();
    return std::any_of(calls.begin(), calls.end(), [&](const std::string& c) {
        return c.starts_with(start) && c.ends_with(end);
    });
}

void ExpectShutDown() {
    EXPECT_EQ(Game().processor, nullptr);
    EXPECT_EQ(Game().archive, nullptr);
    EXPECT_EQ(Game().archiveReader, nullptr);
    EXPECT_EQ(Game().display, nullptr);
    EXPECT_EQ(Game().directDraw, nullptr);
    EXPECT_EQ(Game().soundSystem, nullptr);
    EXPECT_FALSE(GameFrameTimer().Running());
}

}  // namespace

TEST_F(StartupTest, BuildsEveryWellKnownObjectAndShutsDownTwice) {
    WriteArchive();
    Startup();
    ASSERT_NE(Game().processor, nullptr);
    Processor& processor = *Game().processor;
    ObjectManager& objects = processor.Objects();
    for (uint32_t id : StartupObjectIds()) EXPECT_NE(objects.GetObject(id), nullptr) << "ID " << id;
    const std::map<uint32_t, const char*> classes = {
        {kStringProcsId, "StringProcs"}, {kMathProcsId, "MathProcs"},   {kScreenId, "ZEMAScreen"},
        {kGameManagerId, "GameManager"}, {kEventManagerId, "EventManager"}, {kSupplyId, "Supply"},
        {kHelpSystemId, "HelpSystem"},   {kHighScoreManagerId, "HighScoreManager"}};
    for (const auto& [id, name] : classes) EXPECT_STREQ(objects.GetObject(id)->Class()->ClassName().Text(), name);
    for (const char* name : kFirstNativeClasses) EXPECT_NO_THROW(processor.Classes().FindClass(String(name)));
    for (const char* name : kLaterNativeClasses) EXPECT_NO_THROW(processor.Classes().FindClass(String(name)));
    // "Help.mes" was pushed for the help system and taken back.
    EXPECT_EQ(processor.DataStack().Depth(), 0u);

    auto* images = dynamic_cast<ImageManager*>(objects.GetObject(kImageManagerId));
    auto* cursors = dynamic_cast<ObjectManager*>(objects.GetObject(kGalaxyCursorListId));
    ASSERT_TRUE(images != nullptr && cursors != nullptr);
    EXPECT_EQ(cursors->GetObject(0), images->GetImage(String("Misc\\GalaxyCursor.dpf")));
    auto* fonts = dynamic_cast<FontManager*>(objects.GetObject(kFontManagerId));
    ASSERT_NE(fonts, nullptr);
    EXPECT_EQ(Game().display->Buffer()->CurrentFont(), fonts->GetFont(String("Fonts\\Default.dff")));
    auto* sounds = dynamic_cast<SoundManager*>(objects.GetObject(kSoundManagerId));
    ASSERT_NE(sounds, nullptr);
    EXPECT_NE(sounds->Sounds().Aliases().Find(String("Click")), nullptr);
    EXPECT_EQ(objects.GetObject(kSoundSystemId), Game().soundSystem);
    EXPECT_TRUE(Game().soundSystem->ThreadRunning());
    EXPECT_TRUE(GameFrameTimer().Running());
    EXPECT_EQ(Video().Mode().kind, VideoKind::DrawDib);
    EXPECT_EQ(ScreenSettings().pixelFormat, 555);

    GameShutdown();
    ExpectShutDown();
    EXPECT_FALSE(Video().IsOpen());
    // The sound thread played what was asked of it before it ended.
    EXPECT_TRUE(AudioCalled(*audio, "PlayOnce", "-> 1"));
    GameShutdown();
    ExpectShutDown();
}

TEST_F(StartupTest, HotKeyTableAlwaysHasAllEntries) {
    struct Case {
        const char* name;
        std::string file;
        uint32_t language;
        uint16_t codeOfA, code0, code255;
    };
    const std::string full = [] {
        std::string t;
        for (int c = 0; c < 256; ++c) t += LeU16(static_cast<uint16_t>(c == 'a' ? 0x41 : c + 1));
        return t;
    }();
    const Case cases[] = {
        {"language block", HotKeyBlockBytes(1, LeU16(7)) + HotKeyBlockBytes(3, full), 3, 0x41, 1, 256},
        {"language 1 stands in", HotKeyBlockBytes(1, full) + HotKeyBlockBytes(3, LeU16(7)), 2, 0x41, 1, 256},
        {"no matching block", HotKeyBlockBytes(2, full) + HotKeyBlockBytes(3, full), 1, 0, 0, 0},
        {"short payload", HotKeyBlockBytes(1, LeU16(0x11) + "\x22"), 1, 0, 0x11, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteArchive({.language = c.language, .hotKeysFile = c.file});
        Startup();
        auto* table = HotKeyTable::FromAddress(Game().processor->Objects().GetObject(kHotKeyTableId)->Address());
        EXPECT_EQ(table->Code('a'), c.codeOfA);
        EXPECT_EQ(table->Code(0), c.code0);
        EXPECT_EQ(table->Code(255), c.code255);
        EXPECT_EQ(table->Language(), &LanguageSettings());
        GameShutdown();
    }
}

TEST_F(StartupTest, DirectDrawKindIsUsedWhenItOpensAndGivesWayToDrawDibWhenNot) {
    WriteArchive({.screenFlags = ScreenSettingsBlock::kDirectDraw});
    Startup();
    EXPECT_NE(Game().directDraw, nullptr);
    EXPECT_EQ(Video().Mode().kind, VideoKind::DirectDraw);
    EXPECT_EQ(ScreenSettings().pixelFormat, 565);
    GameShutdown();
    EXPECT_FALSE(Video().IsOpen());

    Video().FailOpen(VideoKind::DirectDraw);
    Startup();
    EXPECT_EQ(Game().directDraw, nullptr);
    EXPECT_EQ(Video().Mode().kind, VideoKind::DrawDib);
    EXPECT_EQ(ScreenSettings().Flags() & ScreenSettingsBlock::kDirectDraw, 0);
    EXPECT_EQ(ScreenSettings().pixelFormat, 555);
    ASSERT_NE(Game().display, nullptr);
    EXPECT_NE(Game().display->Surface(), nullptr);
}
