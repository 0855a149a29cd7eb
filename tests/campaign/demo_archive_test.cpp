// The demo game folder's archive, started headless as the program starts it: what start-up and the
// screens read is there, and its arcade game flies the level to its end on injected keys.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "campaign/player_files.h"
#include "graphics/image.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "shell/game_ids.h"
#include "tests/support/demo_content.h"
#include "tests/support/error_message.h"
#include "tests/support/game_harness.h"
#include "tests/support/pilot_fixture.h"
#include "world/level.h"
#include "world/player.h"
#include "world/player_config.h"

namespace {

constexpr uint32_t kFrame = 28;

class DemoArchiveTest : public ::testing::Test {
  protected:
    DemoArchiveTest() {
        for (const FdEntry& e : DemoArchiveEntries()) game.AddEntry(e.name, e.data, e.packed);
    }

    uint32_t ListCount(uint32_t id) {
        auto* list = dynamic_cast<ObjectManager*>(game.Object(id));
        return list != nullptr ? list->ObjectList().Count() : 0;
    }

    GameHarness game;
};

TEST(DemoArchiveStartTest, StartUpFindsEveryFontPictureAndTextInBothLanguages) {
    for (uint32_t language : {1u, 2u}) {
        SCOPED_TRACE(language);
        GameHarness run;
        // The language comes from the settings, in place of the archive's choice.
        for (const FdEntry& e : DemoArchiveEntries())
            if (e.name != "Language.LCFG") run.AddEntry(e.name, e.data, e.packed);
        run.Settings().language = language;
        run.Start();
        for (const char* font : {"Default", "BigMenu", "Copyright", "Story", "Hint", "QuestionFont",
                                 "AnswerFont", "Energy", "Loading", "HelpFont", "System", "SlotType"})
            EXPECT_NE(run.FontNamed(font), nullptr) << font;
        for (const char* picture : {"Misc\\MainShip.dpf", "Misc\\Stars.dpf", "Demo\\Ship.dpf",
                                    "Demo\\Enemy.dpf", "Explosions\\Explosion1.dpf", "Misc\\MoneyBonus.dpf"})
            EXPECT_NE(run.Picture(picture), nullptr) << picture;
        const struct {
            const char* file;
            uint32_t number;
            const char* first;
            const char* second;
        } texts[] = {{"system.mes", 195, "New game", "Neues Spiel"},
                     {"system.mes", 343, "Quit the game?", "Spiel beenden?"},
                     {"system.mes", 186, "There is no room for it", "Dafuer ist kein Platz"},
                     {"system.mes", 699, "Text 699", "Text 699"},
                     {"Keys.mes", 0x25, "Left", "Links"},
                     {"Keys.mes", 'Q', "Q", "Q"},
                     {"Copyright.mes", 1, "Vondrel demo content", "Vondrel Demo-Inhalt"}};
        for (const auto& t : texts)
            EXPECT_EQ(run.Message(t.file, t.number), language == 1 ? t.first : t.second)
                << t.file << t.number;
        EXPECT_NE(run.Message("Misc\\Credits.mes", 1).find("Vondrel"), std::string::npos);
        EXPECT_EQ(run.Log(), "");
    }
}

// What the screens of the demo show carries a caption in both languages, not the placeholder.
TEST(DemoArchiveStartTest, TheScreensTextsAreCaptionedInBothLanguages) {
    const struct {
        const char* screen;
        std::vector<uint32_t> numbers;
    } screens[] = {
        {"main menu",
         {185, 192, 193, 195, 196, 197, 198, 199, 300, 314, 315, 343, 348, 349, 506, 507, 510, 521}},
        {"game menu and saves", {191, 196, 192, 185, 342, 344, 311, 312, 313, 495, 505, 511}},
        {"message boxes", {117, 119, 120, 121, 123}},
        {"shop", {102, 104, 182, 186, 187, 188, 305, 306, 310, 340, 341, 345, 346, 347, 358, 477, 478}},
        {"ship window",
         {101, 103, 105, 106, 118, 122, 150, 151, 152, 153, 154, 170, 178, 180, 183, 189, 354}},
        {"item windows",
         {107, 116, 171, 172, 173, 174, 175, 176, 177, 200, 301, 302, 303, 304, 355, 359, 420, 471}},
        {"player screen", {380, 381, 382, 383, 384, 390, 410, 411, 470, 473, 474, 475, 480}},
        {"options", {330, 331, 332, 333, 334, 335, 336, 337, 338, 339, 356, 357, 472}},
        {"input settings",
         {317, 318, 319, 320, 321, 322, 323, 324, 325, 326, 327, 328, 329, 396, 400, 401, 402}},
        {"flight and galaxy", {100, 190, 350, 351, 352, 353, 481, 500, 501}},
        {"high scores", {520, 521}},
    };
    for (uint32_t language : {1u, 2u}) {
        GameHarness run;
        for (const FdEntry& e : DemoArchiveEntries())
            if (e.name != "Language.LCFG") run.AddEntry(e.name, e.data, e.packed);
        run.Settings().language = language;
        run.Start();
        for (const auto& s : screens)
            for (uint32_t n : s.numbers) {
                const std::string text = run.Message("system.mes", n);
                EXPECT_FALSE(text.empty() || text.rfind("Text ", 0) == 0)
                    << s.screen << " " << n << " " << language;
            }
    }
}

// The arcade game as the main menu starts it: the scenario flies the level; the enemies come and
// fire, the pilot fires back while steering, and the flight ends with the level.
TEST_F(DemoArchiveTest, TheArcadeGameFliesTheLevelToItsEnd) {
    game.Start();
    struct Seen {
        uint32_t enemies = 0;
        uint32_t enemyShots = 0;
        uint32_t pilotShots = 0;
        bool levelFinished = false;
    } seen;
    const uint32_t start = game.Now();
    for (uint32_t frame = 1; frame < 2 * kDemoLevelLength; ++frame) {
        game.At(start + frame * kFrame, [&] {
            seen.enemies = std::max(seen.enemies, ListCount(kFlightActorListId));
            seen.enemyShots = std::max(seen.enemyShots, ListCount(kFlightList11Id));
            seen.pilotShots = std::max(seen.pilotShots, ListCount(kShotsManagerId));
            if (LevelObject* level = LevelObject::Running(game.Objects()))
                seen.levelFinished |= level->Finished();
        });
    }
    // The first pilot's device takes the mouse as well (the menus run on it): the ship follows the
    // pointer, which moves from side to side out of the enemies' line of fire. Fire held down.
    game.MovePointer(100, 384);
    game.At(start + 5 * kFrame, [&] { game.PressKey(0x20); });
    for (uint32_t frame = 20; frame < 2 * kDemoLevelLength; frame += 80) {
        const int32_t x = (frame / 80) % 2 == 0 ? 540 : 100;
        game.At(start + frame * kFrame, [&, x] { game.MovePointer(x, 384); });
    }

    EXPECT_EQ(ErrorMessage([&] {
                  LoadPlayerFile(game.Cpu(), String(kDemoArcadePlayers), String(kDemoArcadeScenario), 1);
              }),
              "no error");

    EXPECT_GE(game.Cpu().FrameNumber(), kDemoLevelLength);
    EXPECT_TRUE(seen.levelFinished);
    // The enemies and the bonus were in the field together; they fired, and so did the pilot.
    EXPECT_EQ(seen.enemies, static_cast<uint32_t>(kDemoEnemyCount + 1));
    EXPECT_GT(seen.enemyShots, 0u);
    EXPECT_GT(seen.pilotShots, 0u);
    ASSERT_EQ(ListCount(kPlayerListId), 1u);
    EXPECT_EQ(game.Log(), "");
}

// The pilot as a save stores it after the arcade game, flown on the same input as above.
std::string PilotAfterArcadeGame() {
    GameHarness run;
    for (const FdEntry& e : DemoArchiveEntries()) run.AddEntry(e.name, e.data, e.packed);
    run.Start();
    const uint32_t start = run.Now();
    run.MovePointer(100, 384);
    run.At(start + 5 * kFrame, [&] { run.PressKey(0x20); });
    for (uint32_t frame = 20; frame < 2 * kDemoLevelLength; frame += 80) {
        const int32_t x = (frame / 80) % 2 == 0 ? 540 : 100;
        run.At(start + frame * kFrame, [&, x] { run.MovePointer(x, 384); });
    }
    LoadPlayerFile(run.Cpu(), String(kDemoArcadePlayers), String(kDemoArcadeScenario), 1);
    auto* players = dynamic_cast<ObjectManager*>(run.Object(kPlayerListId));
    if (players == nullptr || players->ObjectList().Head() == nullptr) return "no pilot";
    PlayerConfig config;
    Player::StoreToConfig(config, PlayerObject::Of(players->ObjectList().Head()->item));
    return StoredBytes(config);
}

// What the end-to-end play's comparison of two saves rests on: the same input flies the same game.
TEST(DemoArchiveRunTest, TheSameInputLeavesTheSamePilot) {
    const std::string first = PilotAfterArcadeGame();
    EXPECT_GT(first.size(), 100u);
    EXPECT_EQ(PilotAfterArcadeGame(), first);
}

}  // namespace
