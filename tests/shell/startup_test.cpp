#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

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
#include "tools/content/block_writer.h"

namespace {

using StartupTest = GameFixture;

void ExpectShutDown() {
    const GameGlobals& g = Game();
    EXPECT_TRUE(!g.processor && !g.archive && !g.archiveReader && !g.display && !g.directDraw &&
                !g.soundSystem);
    EXPECT_FALSE(GameFrameTimer().Running());
}

template <class T>
T& At(uint32_t id) {
    auto* object = dynamic_cast<T*>(Game().processor->Objects().GetObject(id));
    if (object == nullptr) throw std::runtime_error("no such object");
    return *object;
}

}  // namespace

TEST_F(StartupTest, BuildsEveryWellKnownObjectAndShutsDownTwice) {
    WriteArchive();
    Startup();
    Processor& processor = *Game().processor;
    for (uint32_t id : {1, 2, 3, 4, 8, 9, 13, 14, 15, 16, 19, 21, 22, 23, 24, 25, 28, 29, 32, 33, 34, 36})
        EXPECT_NE(processor.Objects().GetObject(id), nullptr) << "ID " << id;
    const std::pair<uint32_t, const char*> byName[] = {
        {kStringProcsId, "StringProcs"},   {kMathProcsId, "MathProcs"},
        {kScreenId, "ZEMAScreen"},         {kGameManagerId, "GameManager"},
        {kEventManagerId, "EventManager"}, {kSupplyId, "Supply"},
        {kHelpSystemId, "HelpSystem"},     {kHighScoreManagerId, "HighScoreManager"}};
    for (const auto& [id, name] : byName)
        EXPECT_STREQ(At<ScriptObject>(id).Class()->ClassName().Text(), name);
    for (const char* name : kFirstNativeClasses) EXPECT_NO_THROW(processor.Classes().FindClass(String(name)));
    for (const char* name : kLaterNativeClasses) EXPECT_NO_THROW(processor.Classes().FindClass(String(name)));
    // "Help.mes" was pushed for the help system and taken back.
    EXPECT_EQ(processor.DataStack().Depth(), 0u);
    EXPECT_EQ(At<ObjectManager>(kGalaxyCursorListId).GetObject(0),
              At<ImageManager>(kImageManagerId).GetImage(String("Misc\\GalaxyCursor.dpf")));
    EXPECT_EQ(Game().display->Buffer()->CurrentFont(),
              At<FontManager>(kFontManagerId).GetFont(String("Fonts\\Default.dff")));
    EXPECT_NE(At<SoundManager>(kSoundManagerId).Sounds().Aliases().Find(String("Click")), nullptr);
    EXPECT_EQ(&At<SoundSystem>(kSoundSystemId), Game().soundSystem);
    EXPECT_TRUE(Game().soundSystem->ThreadRunning());
    EXPECT_TRUE(GameFrameTimer().Running());
    EXPECT_EQ(Video().Mode().kind, VideoKind::DrawDib);

    GameShutdown();
    ExpectShutDown();
    EXPECT_FALSE(Video().IsOpen());
    // The sound thread played what it was asked to before it ended.
    const std::vector<std::string> calls = audio->Calls();
    EXPECT_TRUE(std::any_of(calls.begin(), calls.end(),
                            [](const std::string& c) { return c.starts_with("PlayOnce"); }));
    GameShutdown();
    ExpectShutDown();
}

TEST_F(StartupTest, HotKeyTableAlwaysHasAllEntries) {
    std::string full;
    for (int c = 0; c < 256; ++c) full += LeU16(static_cast<uint16_t>(c + 1));
    struct Case {
        const char* name;
        std::string file;
        uint32_t language;
        std::vector<uint16_t> codes;  // of characters 0, 1 and 255
    };
    const Case cases[] = {
        {"the language's block", HotKeyBlockBytes(1, LeU16(7)) + HotKeyBlockBytes(3, full), 3, {1, 2, 256}},
        {"language 1 stands in", HotKeyBlockBytes(1, full) + HotKeyBlockBytes(3, LeU16(7)), 2, {1, 2, 256}},
        {"no matching block", HotKeyBlockBytes(2, full) + HotKeyBlockBytes(3, full), 1, {0, 0, 0}},
        {"short payload", HotKeyBlockBytes(1, LeU16(0x11) + "\x22"), 1, {0x11, 0x22, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteArchive({.language = c.language, .hotKeysFile = c.file});
        Startup();
        const HotKeyTable* table = HotKeyTable::FromAddress(At<ScriptObject>(kHotKeyTableId).Address());
        EXPECT_EQ(std::vector<uint16_t>({table->Code(0), table->Code(1), table->Code(255)}), c.codes);
        EXPECT_EQ(table->Language(), &LanguageSettings());
        GameShutdown();
    }
}

TEST_F(StartupTest, DirectDrawIsUsedWhenItOpensAndGivesWayToDrawDibWhenNot) {
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
    EXPECT_NE(Game().display->Surface(), nullptr);
}
