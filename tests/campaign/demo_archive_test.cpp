// The demo game folder's archive, started headless as the program starts it: what start-up and the
// screens read is there; its arcade game flies the level to its end on injected keys; its idle
// demos, as the main screen plays them when left alone, fly their levels on their recordings; and
// its scenario, as the main menu's scenario entry finds and starts it, is listed and flown; and its
// campaign, after the flight, shows the star system with two planets: a click on one shows its
// description over the window, a click on the other opens the shop, where the pilot trades, and the
// game menu follows, where the game is saved to be loaded again.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "campaign/game_manager.h"
#include "campaign/player_files.h"
#include "campaign/save_game.h"
#include "campaign/save_slots.h"
#include "foundation/config_blocks.h"
#include "graphics/alpha_span.h"
#include "graphics/color_manager.h"
#include "graphics/display.h"
#include "graphics/image.h"
#include "graphics/screen_surface.h"
#include "platform/key_table.h"
#include "screens/high_scores.h"
#include "screens/main_menu.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "script/sspl_block.h"
#include "shell/game_ids.h"
#include "tests/support/error_message.h"
#include "tests/support/game_harness.h"
#include "tests/support/pilot_fixture.h"
#include "tests/support/save_fixture.h"
#include "tools/content/demo_content.h"
#include "tools/content/demo_galaxy.h"
#include "ui/gtime.h"
#include "ui/visual.h"
#include "world/actor.h"
#include "world/level.h"
#include "world/option.h"
#include "world/player.h"
#include "world/player_config.h"
#include "world/ship.h"
#include "world/slot.h"

namespace {

constexpr uint32_t kFrame = 28;

// The archive in the game folder; with a language given, the settings choose it in place of the
// archive's choice.
void AddDemoArchive(GameHarness& game, uint32_t language = 0) {
    for (const FdEntry& e : DemoArchiveEntries())
        if (language == 0 || e.name != "Language.LCFG") game.AddEntry(e.name, e.data, e.packed);
    if (language != 0) game.Settings().language = language;
}

uint32_t ListCount(GameHarness& game, uint32_t id) {
    auto* list = dynamic_cast<ObjectManager*>(game.Object(id));
    return list != nullptr ? list->ObjectList().Count() : 0;
}

// Shots of the shots manager that are in play and were drawn in the field by the last frame.
uint32_t ShotsFlying(GameHarness& game) {
    auto* list = dynamic_cast<ObjectManager*>(game.Object(kShotsManagerId));
    if (list == nullptr) return 0;
    uint32_t flying = 0;
    for (auto* node = list->ObjectList().Head(); node != nullptr; node = node->next) {
        auto* shot = dynamic_cast<ActorObject*>(node->item);
        if (shot != nullptr && shot->State() == 0 && shot->DrawnCount() > 0 && shot->Y() >= 0) ++flying;
    }
    return flying;
}

PlayerObject* FirstPilot(GameHarness& game) {
    auto* players = dynamic_cast<ObjectManager*>(game.Object(kPlayerListId));
    if (players == nullptr || players->ObjectList().Head() == nullptr) return nullptr;
    return &PlayerObject::Of(players->ObjectList().Head()->item);
}

// Runs see on every frame for twice the level's length from now.
void EachFrame(GameHarness& game, const std::function<void()>& see) {
    const uint32_t start = game.Now();
    for (uint32_t frame = 1; frame < 2 * kDemoLevelLength; ++frame) game.At(start + frame * kFrame, see);
}

// The first pilot's device takes the mouse as well (the menus run on it): the ship follows the
// pointer, which moves from side to side out of the enemies' line of fire. Fire held down.
void WeaveAndFire(GameHarness& game) {
    const uint32_t start = game.Now();
    game.MovePointer(100, 384);
    game.At(start + 5 * kFrame, [&game] { game.PressKey(0x20); });
    for (uint32_t frame = 20; frame < 2 * kDemoLevelLength; frame += 80) {
        const int32_t x = (frame / 80) % 2 == 0 ? 540 : 100;
        game.At(start + frame * kFrame, [&game, x] { game.MovePointer(x, 384); });
    }
}

// Once the flight is over, Escape closes the name entry of the high-score table and then the table.
void LeaveHighScores(GameHarness& game) {
    const uint32_t start = game.Now() + 2 * kDemoLevelLength * kFrame;
    for (uint32_t k = 0; k < 10; ++k) {
        game.At(start + 20 * k * kFrame, [&game] {
            game.PressKey(VK_ESCAPE);
            game.TypeChar(VK_ESCAPE);
        });
        game.At(start + (20 * k + 5) * kFrame, [&game] { game.ReleaseKey(VK_ESCAPE); });
    }
}

// Start-up finds every font, picture and text it reads, and what the screens of the demo show
// carries a caption in both languages, not the placeholder.
TEST(DemoArchiveStartTest, StartUpFindsEveryFontPictureAndTextAndTheScreensAreCaptionedInBothLanguages) {
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
        SCOPED_TRACE(language);
        GameHarness run;
        AddDemoArchive(run, language);
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
                     {"system.mes", 186, "There is no room for it", "Daf\xFCr ist kein Platz"},
                     {"system.mes", 198, "Demo", "Vorf\xFChrung"},
                     {"system.mes", 699, "Text 699", "Text 699"},
                     {"Keys.mes", 0x25, "Left", "Links"},
                     {"Keys.mes", 'Q', "Q", "Q"},
                     {"Copyright.mes", 1, "Vondrel demo content", "Vondrel Demo-Inhalt"}};
        for (const auto& t : texts)
            EXPECT_EQ(run.Message(t.file, t.number), language == 1 ? t.first : t.second)
                << t.file << t.number;
        EXPECT_NE(run.Message("Misc\\Credits.mes", 1).find("Vondrel"), std::string::npos);
        for (const auto& s : screens)
            for (uint32_t n : s.numbers) {
                const std::string text = run.Message("system.mes", n);
                EXPECT_FALSE(text.empty() || text.rfind("Text ", 0) == 0) << s.screen << " " << n;
            }
        EXPECT_EQ(run.Log(), "");
    }
}

// The arcade game as the main menu starts it, flown on the weaving input, and the pilot as a save
// stores it afterwards.
struct ArcadeRun {
    uint32_t enemies = 0;
    uint32_t enemyShots = 0;
    uint32_t pilotShots = 0;
    // Pilot's shots in play on the field after a frame: drawn, not gone.
    uint32_t pilotShotsFlying = 0;
    int32_t score = 0;
    bool levelFinished = false;
    std::string error;
    int32_t frames = 0;
    uint32_t pilots = 0;
    std::string pilot;
    std::vector<std::string> highScores;  // the names in the arcade game's table
    std::string log;
};

ArcadeRun FlyArcadeGame() {
    GameHarness game;
    AddDemoArchive(game);
    game.Start();
    ArcadeRun run;
    EachFrame(game, [&] {
        run.enemies = std::max(run.enemies, ListCount(game, kFlightActorListId));
        run.enemyShots = std::max(run.enemyShots, ListCount(game, kFlightList11Id));
        run.pilotShots = std::max(run.pilotShots, ListCount(game, kShotsManagerId));
        run.pilotShotsFlying = std::max(run.pilotShotsFlying, ShotsFlying(game));
        if (PlayerObject* pilot = FirstPilot(game)) run.score = std::max(run.score, pilot->Experience());
        if (LevelObject* level = LevelObject::Running(game.Objects())) run.levelFinished |= level->Finished();
    });
    WeaveAndFire(game);
    LeaveHighScores(game);
    run.error = ErrorMessage(
        [&] { LoadPlayerFile(game.Cpu(), String(kDemoArcadePlayers), String(kDemoArcadeScenario), 1); });
    if (const HighScoreTable* table = HighScoreManager::OfGame(game.Cpu()).Find(String(kDemoArcadeScenario)))
        for (const HighScoreEntry& entry : table->Entries()) run.highScores.emplace_back(entry.name.Text());
    run.frames = game.Cpu().FrameNumber();
    run.pilots = ListCount(game, kPlayerListId);
    if (PlayerObject* pilot = FirstPilot(game)) {
        PlayerConfig config;
        Player::StoreToConfig(config, *pilot);
        run.pilot = StoredBytes(config);
    }
    run.log = game.Log();
    return run;
}

// The scenario flies the level; the enemies come and fire, the pilot fires back while steering, and
// the flight ends with the level and the pilot's entry in the arcade game's high-score table. The
// same input flies the same game again, which the end-to-end play's comparison of two saves rests on.
TEST(DemoArchiveTest, TheArcadeGameFliesTheLevelToItsEndAndTheSameInputLeavesTheSamePilot) {
    const ArcadeRun run = FlyArcadeGame();
    EXPECT_EQ(run.error, "no error");
    EXPECT_GE(run.frames, kDemoLevelLength);
    EXPECT_TRUE(run.levelFinished);
    // The enemies and the bonus were in the field together; they fired, and so did the pilot.
    EXPECT_EQ(run.enemies, static_cast<uint32_t>(kDemoEnemyCount + 1));
    EXPECT_GT(run.enemyShots, 0u);
    EXPECT_GT(run.pilotShots, 0u);
    // The pilot's shots fly up the field, where they hit the enemies: the score grows.
    EXPECT_GT(run.pilotShotsFlying, 0u);
    EXPECT_GT(run.score, 0);
    ASSERT_EQ(run.pilots, 1u);
    EXPECT_EQ(run.highScores, std::vector<std::string>{"Pilot"});
    EXPECT_EQ(run.log, "");
    EXPECT_GT(run.pilot.size(), 100u);
    EXPECT_EQ(FlyArcadeGame().pilot, run.pilot);
}

// Each recording flies its level with its own pilot, who steers and fires on the recorded keys, and
// the flight ends by itself with the level, back to the caller.
TEST(DemoIdleTest, EachIdleDemoFliesItsLevelToTheEndOnItsRecording) {
    for (const DemoIdleDemo& demo : kDemoIdleDemos) {
        SCOPED_TRACE(demo.demoFile);
        GameHarness game;
        AddDemoArchive(game);
        game.Start();
        ResetMainMenuGames();
        struct Seen {
            bool levelFinished = false;
            uint32_t pilotShots = 0;
            bool steeredLeft = false;
            bool steeredRight = false;
            std::string level;
        } seen;
        EachFrame(game, [&] {
            seen.pilotShots = std::max(seen.pilotShots, ListCount(game, kShotsManagerId));
            if (LevelObject* level = LevelObject::Running(game.Objects())) {
                seen.levelFinished |= level->Finished();
                seen.level = level->Class() != nullptr ? level->Class()->ClassName().Text() : "";
            }
            PlayerObject* pilot = FirstPilot(game);
            if (auto* ship = pilot != nullptr ? dynamic_cast<ActorObject*>(pilot->Ship()) : nullptr) {
                seen.steeredLeft |= ship->SpeedX() < 0;
                seen.steeredRight |= ship->SpeedX() > 0;
            }
        });

        EXPECT_EQ(ErrorMessage([&] {
                      MenuGames().playDemo(game.Cpu(), demo.demoFile, demo.levelClass, demo.playerFile);
                  }),
                  "no error");

        EXPECT_TRUE(seen.levelFinished);
        EXPECT_EQ(seen.level, demo.levelClass);
        // Only the recording moved the ship and fired: no key was typed and the pointer stood still.
        EXPECT_GT(seen.pilotShots, 0u);
        EXPECT_TRUE(seen.steeredLeft);
        EXPECT_TRUE(seen.steeredRight);
        EXPECT_LT(game.Cpu().FrameNumber(), 2 * static_cast<uint32_t>(kDemoLevelLength));
        EXPECT_EQ(game.Log(), "");
    }
}

// The scenario list reads the scenario from the files beside the archive.
class DemoScenarioTest : public ::testing::Test {
  protected:
    DemoScenarioTest() {
        AddDemoArchive(game);
        for (const FdEntry& e : DemoLooseFiles()) WriteGameFile(e.name, e.data);
        game.Start();
    }

    GameHarness game;
};

TEST_F(DemoScenarioTest, TheScenarioListShowsTheScenarioWithItsNameAndPilots) {
    ScenarioList(game.Cpu());
    ASSERT_EQ(SaveSlots().Used(), 1u);
    const SaveHeader& row = *SlotHeader(0);
    EXPECT_EQ(row.Text(1), std::string(kDemoScenarioFile));
    EXPECT_EQ(row.Text(2), std::string(kDemoScenarioClass));
    EXPECT_EQ(row.Text(3), std::string(kDemoScenarioName));
    EXPECT_EQ(row.Text(4), "1");
    EXPECT_FALSE(row.Text(7).empty());
    EXPECT_EQ(game.Log(), "");
}

// The pilot flies on the first key mapping, which takes the mouse, weaving as in the arcade game.
TEST_F(DemoScenarioTest, StartedItFliesTheLevelToItsEnd) {
    const ScenarioFile file = ReadScenarioFile(String(kDemoScenarioFile));
    bool levelFinished = false;
    EachFrame(game, [&] {
        if (LevelObject* level = LevelObject::Running(game.Objects())) levelFinished |= level->Finished();
    });
    WeaveAndFire(game);
    LeaveHighScores(game);
    EXPECT_EQ(ErrorMessage([&] { LoadPlayerFile(game.Cpu(), file.playerFile, file.className, 1); }),
              "no error");
    EXPECT_TRUE(levelFinished);
    EXPECT_EQ(game.Log(), "");
}

// Longer than the flight (the level and its end countdown) and the screens after it.
constexpr uint32_t kMaxFrames = 3000;

class DemoStarSystemTest : public ::testing::Test {
  protected:
    DemoStarSystemTest() {
        AddDemoArchive(game);
        game.Start();
    }

    bool Lit(int32_t x, int32_t y) {
        uint16_t pixel = 0;
        std::memcpy(&pixel, game.Screen().Surface()->PixelAddress(x, y), 2);
        return pixel != 0;
    }
    int32_t LitIn(int32_t x0, int32_t y0, int32_t width, int32_t height) {
        int32_t lit = 0;
        for (int32_t y = y0; y < y0 + height; ++y)
            for (int32_t x = x0; x < x0 + width; ++x) lit += Lit(x, y) ? 1 : 0;
        return lit;
    }

    // Nearly all of the 30x30 square round the place is lit, as a planet's disc lights it.
    bool DiscAt(int32_t cx, int32_t cy) { return LitIn(cx - 15, cy - 15, 30, 30) >= 800; }
    bool BothPlanets() {
        return DiscAt(kDemoShopPlanetX, kDemoPlanetY) && DiscAt(kDemoDescribedPlanetX, kDemoPlanetY);
    }

    // What the player does, frames after the star system showed.
    using Steps = std::vector<std::pair<int32_t, std::function<void()>>>;
    // A click moves the pointer, presses the button five frames later and lets it go after the hold.
    void Click(Steps& steps, int32_t at, int32_t x, int32_t y, int32_t hold = 5) {
        steps.emplace_back(at, [this, x, y] { game.MovePointer(x, y); });
        steps.emplace_back(at + 5, [this] { game.SetButton(VK_LBUTTON, true); });
        steps.emplace_back(at + 5 + hold, [this] { game.SetButton(VK_LBUTTON, false); });
    }
    // Escape as the window takes it, a key and a typed character.
    void Escape(Steps& steps, int32_t at) {
        steps.emplace_back(at, [this] {
            game.PressKey(VK_ESCAPE);
            game.TypeChar(VK_ESCAPE);
        });
        steps.emplace_back(at + 10, [this] { game.ReleaseKey(VK_ESCAPE); });
    }

    // The planet window's game-menu button, the menu's Leave and the question's Yes: the game ends.
    void LeaveTheGame(Steps& steps, int32_t at) {
        Click(steps, at, 605, 466);
        Click(steps, at + 40, 320, 280);
        Click(steps, at + 80, 359, 266);
    }

    struct Flight {
        bool flew = false;
        int32_t systemFrame = -1;
    };
    // Every frame from now on: the flight is noted, and once the star system shows after it the steps
    // run at their frames. The flight must outlive the game.
    void PlayAfterStarSystem(Flight& flight, const Steps& steps) {
        const uint32_t start = game.Now();
        for (uint32_t frame = 1; frame < kMaxFrames; ++frame) {
            game.At(start + frame * kFrame, [this, &flight, &steps, frame] {
                const int32_t f = static_cast<int32_t>(frame);
                if (LevelObject::Running(game.Objects()) != nullptr) {
                    flight.flew = true;
                    return;
                }
                if (flight.systemFrame < 0) {
                    if (flight.flew && BothPlanets()) flight.systemFrame = f;
                    return;
                }
                for (const auto& [after, action] : steps)
                    if (f - flight.systemFrame == after) action();
            });
        }
    }

    GameHarness game;
};

TEST_F(DemoStarSystemTest, TheCampaignReachesTheStarSystemAndItsShopPlanetOpensTheShop) {
    struct Seen {
        bool boxOverSystem = false;
        bool planetsAfterBox = false;
        bool shopInsteadOfSystem = false;
        bool systemAfterMenu = false;
    } seen;
    const int32_t middle = (kDemoShopPlanetX + kDemoDescribedPlanetX) / 2;
    // Escape closes the description's box.
    Steps steps;
    Click(steps, 5, kDemoDescribedPlanetX, kDemoPlanetY, 4);
    steps.emplace_back(40, [&] { seen.boxOverSystem = Lit(middle, kDemoPlanetY); });
    steps.emplace_back(40, [this] { game.PressKey(VK_ESCAPE); });
    steps.emplace_back(50, [this] { game.ReleaseKey(VK_ESCAPE); });
    steps.emplace_back(80, [&] { seen.planetsAfterBox = BothPlanets() && !Lit(middle, kDemoPlanetY); });
    Click(steps, 80, kDemoShopPlanetX, kDemoPlanetY);
    // The shop's tips: Escape; the shop: Close; the game menu: Back, which goes on in the star system.
    Escape(steps, 120);
    steps.emplace_back(150, [&] { seen.shopInsteadOfSystem = !BothPlanets() && LitIn(600, 8, 30, 14) > 20; });
    Click(steps, 160, 614, 92);
    Click(steps, 200, 320, 330);
    steps.emplace_back(235, [&] { seen.systemAfterMenu = BothPlanets(); });
    LeaveTheGame(steps, 240);
    Flight flight;
    PlayAfterStarSystem(flight, steps);

    EXPECT_EQ(ErrorMessage([&] {
                  LoadPlayerFile(game.Cpu(), String(kDemoCampaignPlayers), String(kDemoCampaignScenario), 1);
              }),
              "no error");
    EXPECT_TRUE(flight.flew);
    EXPECT_GT(flight.systemFrame, 0);
    EXPECT_TRUE(seen.boxOverSystem);
    EXPECT_TRUE(seen.planetsAfterBox);
    EXPECT_TRUE(seen.shopInsteadOfSystem);
    EXPECT_TRUE(seen.systemAfterMenu);
    EXPECT_EQ(game.Log(), "");
}

// Where the demo's shop lays out its stock (32-pixel slots from (150, 70), three rows) and the hold
// below it; the right-hand column's commands; the answers of the shop's questions, whose box is as
// wide as the question and the item's picture.
constexpr int32_t kStockX = 150, kStockY = 70;
constexpr int32_t kHoldX = kStockX, kHoldY = 70 + 3 * 32 + 20;
constexpr int32_t kCommandX = 614, kSellY = 17, kCloseY = 92;
constexpr int32_t kSellYesX = 373, kBuyYesX = 441, kAnswerY = 267;
// The gun's base price is 100 and the cell's 50; the shop's margin is 30 percent.
constexpr int32_t kGunPriceTenths = 1300, kCellPriceTenths = 350;

// In the shop the pilot sells the spare cell from the hold and buys a gun into its place; the game
// menu saves the game, with the star system and the planet the pilot is at and the game date, and
// the game goes on there. The save, loaded, goes on in the star system too, with that pilot: no
// flight again.
TEST_F(DemoStarSystemTest, WhatThePilotTradesInTheShopIsSavedAndLoadedBackInTheStarSystem) {
    struct Pilot {
        int32_t money = -1;
        std::string hold[2];
        std::string shipName;
    };
    const auto seePilot = [this](Pilot& into) {
        PlayerObject* pilot = FirstPilot(game);
        if (pilot == nullptr || pilot->Ship() == nullptr) return;
        into.money = pilot->MoneyTenths();
        into.shipName = GTTClass::CallGetName(pilot->Ship()).Text();
        for (int32_t i = 0; i < 2; ++i) {
            const OptionObject* item = ShipObject::Of(pilot->Ship()).SlotAt(kPlainGroup, i)->First();
            into.hold[i] = item != nullptr ? item->Class()->ClassName().Text() : "";
        }
    };
    Pilot inShop, sold, bought, saved, loaded;
    bool systemAfterSave = false;
    Steps steps;
    Click(steps, 5, kDemoShopPlanetX, kDemoPlanetY);
    Escape(steps, 45);  // the shop's tips
    steps.emplace_back(80, [&] { seePilot(inShop); });
    Click(steps, 80, kCommandX, kSellY);
    Click(steps, 110, kHoldX, kHoldY);
    Click(steps, 140, kSellYesX, kAnswerY);
    steps.emplace_back(180, [&] { seePilot(sold); });
    Click(steps, 180, kStockX, kStockY);
    Click(steps, 210, kBuyYesX, kAnswerY);
    Click(steps, 250, kHoldX, kHoldY);
    steps.emplace_back(280, [&] { seePilot(bought); });
    Click(steps, 280, kCommandX, kCloseY);
    // The game menu: Save; the save screen, below the flight's autosave: the new row, then OK, which
    // saves and ends the menu: the star system's planets show again.
    Click(steps, 320, 320, 180);
    Click(steps, 360, 597, 127);
    Click(steps, 400, 617, 467);
    steps.emplace_back(360, [&] { seePilot(saved); });
    steps.emplace_back(440, [&] { systemAfterSave = BothPlanets(); });
    LeaveTheGame(steps, 440);
    Flight first;
    PlayAfterStarSystem(first, steps);
    ASSERT_EQ(ErrorMessage([&] {
                  LoadPlayerFile(game.Cpu(), String(kDemoCampaignPlayers), String(kDemoCampaignScenario), 1);
              }),
              "no error");
    ASSERT_GT(first.systemFrame, 0);
    EXPECT_EQ(inShop.hold[0], "DemoCell");
    EXPECT_EQ(sold.money, inShop.money + kCellPriceTenths);
    EXPECT_EQ(sold.hold[0], "");
    EXPECT_EQ(bought.money, sold.money - kGunPriceTenths);
    EXPECT_EQ(inShop.shipName, "Tern");
    EXPECT_EQ(bought.hold[0], "DemoGun");
    EXPECT_EQ(bought.hold[1], "");
    EXPECT_TRUE(systemAfterSave);

    SaveSlotList();
    ASSERT_EQ(SaveSlots().Used(), 2u);
    const SaveHeader& autoSave = *SlotHeader(0);
    const SaveHeader& row = *SlotHeader(1);
    EXPECT_EQ(autoSave.Text(1), kAutoSaveStem);
    // The save names the place and is stamped with the game date: the campaign's first day, and the
    // hours the flight took.
    EXPECT_EQ(row.Text(4), kDemoStarSystemShownName);
    EXPECT_EQ(row.Text(5), kDemoShopPlanetName);
    EXPECT_EQ(row.Text(7), kDemoShopPlanetName);
    EXPECT_EQ(row.Text(8), kDemoStarSystemName);
    GTime stamp;
    SaveBlock::LoadStamp(row, stamp);
    EXPECT_EQ(stamp.Date(), static_cast<int32_t>(kDemoStartYear * 1000 + kDemoStartDay));
    EXPECT_GT(stamp.Time(), 0);

    // Loaded, the game goes on in the star system with the loaded pilot, seen at once; no level
    // is flown.
    const String file = SaveFileName(row.Text(1));
    bool flewAgain = false;
    std::string location;
    Steps again;
    again.emplace_back(1, [&] {
        seePilot(loaded);
        if (ScriptObject* current = game.Object(kStarSystemWindowId))
            location = current->Class()->ClassName().Text();
    });
    LeaveTheGame(again, 10);
    Flight second;
    second.flew = true;
    const uint32_t start = game.Now();
    for (uint32_t frame = 1; frame < kMaxFrames; ++frame)
        game.At(start + frame * kFrame,
                [&] { flewAgain |= LevelObject::Running(game.Objects()) != nullptr; });
    PlayAfterStarSystem(second, again);
    EXPECT_EQ(ErrorMessage([&] { SaveGameFile::Load(game.Cpu(), file); }), "no error");
    EXPECT_FALSE(flewAgain);
    EXPECT_GT(second.systemFrame, 0);
    EXPECT_EQ(location, kDemoStarSystemClass);
    EXPECT_EQ(saved.money, bought.money);
    EXPECT_EQ(loaded.money, saved.money);
    EXPECT_EQ(loaded.hold[0], "DemoGun");
    EXPECT_EQ(loaded.hold[1], "");
    EXPECT_EQ(game.Log(), "");
}

// From the first system the pilot travels inside it (the question, the autosave, fuel and days), then
// on the galaxy map to the second system (fuel at 30000 a pixel of the map and a hundred days a
// pixel), where the foreman of Dunmar talks until the pilot ends the talk, and leaves the game.
TEST_F(DemoStarSystemTest, ThePilotTravelsInTheSystemAndToTheNextAndTalksThere) {
    const DemoSystemPlace& first = DemoGalaxy()[0];
    const DemoSystemPlace& second = DemoGalaxy()[1];
    const DemoPlanetPlace& market = first.planets[0];
    const DemoPlanetPlace& moon = first.planets[1];
    const DemoPlanetPlace& talker = second.planets[0];
    const auto distance = [](int32_t dx, int32_t dy) {
        return static_cast<int32_t>(std::sqrt(static_cast<double>(dx * dx + dy * dy)));
    };
    const int32_t inSystem = distance(market.x - moon.x, market.y - moon.y);
    const int32_t between = distance(second.mapX - first.mapX, second.mapY - first.mapY);
    struct Seen {
        int32_t charge = -1;
        int32_t date = 0;
        std::string location;
    };
    const auto see = [this](Seen& into) {
        PlayerObject* pilot = FirstPilot(game);
        if (pilot == nullptr || pilot->Ship() == nullptr) return;
        const OptionObject* cell = ShipObject::Of(pilot->Ship()).SlotAt(kEnergyGroup, 0)->First();
        into.charge = cell != nullptr ? AkbObject::Of(const_cast<OptionObject*>(cell)).Charge() : -1;
        into.date = GameManagerObject::Get(game.Cpu()).GameTime().Date();
        if (auto* location = dynamic_cast<SSPLBlock*>(game.Object(kCurrentLocationId)))
            into.location = std::string(location->First()) + "/" + std::string(location->Second());
    };
    const auto autosave = [] {
        std::ifstream file(std::string("Saves/") + kAutoSaveStem + ".gsf", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    };
    Seen start, inside, arrived;
    std::string flightSave, tripSave;
    bool talking = false, talkEnded = false;
    // The conversation's panel over the black between the stars: three quarters of its fill, most
    // pixels of a short row of it.
    const auto panel = [this] {
        const ScreenSurface& surface = *game.Screen().Surface();
        const PixelMasks& masks = MasksFor(surface.Settings()->pixelFormat);
        const auto tint = static_cast<uint16_t>(3 * masks.Quarter(game.Colours().Colour(4)));
        int tinted = 0;
        for (int32_t x = 60; x < 76; ++x) {
            uint16_t pixel = 0;
            std::memcpy(&pixel, surface.PixelAddress(x, 420), 2);
            tinted += pixel == tint ? 1 : 0;
        }
        return tinted >= 8;
    };
    Steps steps;
    steps.emplace_back(2, [&] {
        see(start);
        flightSave = autosave();
    });
    Click(steps, 5, 600, 15);          // the planet window's galaxy button: the system's window
    Click(steps, 40, moon.x, moon.y);  // the other planet: "Fly to this place?"
    Click(steps, 70, 358, 266);        // Yes
    steps.emplace_back(100, [&] {
        see(inside);
        tripSave = autosave();
    });
    Click(steps, 110, 600, 15);  // the galaxy button of the moon's window
    Click(steps, 150, 600, 15);  // the system window's galaxy map button
    Escape(steps, 190);          // the galaxy map's tips
    Click(steps, 220, second.mapX, second.mapY);
    Click(steps, 260, talker.x, talker.y);
    steps.emplace_back(300, [&] { see(arrived); });
    Click(steps, 310, 400, 288);  // "Talk to the foreman"
    steps.emplace_back(350, [&] { talking = panel(); });
    Click(steps, 360, 260, 405);  // the answer that ends the talk
    steps.emplace_back(400, [&] { talkEnded = !panel(); });
    Click(steps, 410, 600, 465);  // the game menu
    Click(steps, 450, 320, 280);  // Quit
    Click(steps, 490, 358, 266);  // Yes
    Flight flight;
    PlayAfterStarSystem(flight, steps);
    EXPECT_EQ(ErrorMessage([&] {
                  LoadPlayerFile(game.Cpu(), String(kDemoCampaignPlayers), String(kDemoCampaignScenario), 1);
              }),
              "no error");
    ASSERT_GT(flight.systemFrame, 0);
    EXPECT_EQ(start.location, std::string(kDemoStarSystemName) + "/" + kDemoShopPlanetName);
    EXPECT_EQ(inside.location, std::string(first.name) + "/" + moon.name);
    EXPECT_EQ(inside.charge, start.charge - 2 * inSystem * 100);
    EXPECT_GE(inside.date - start.date, inSystem / 3);
    EXPECT_FALSE(flightSave.empty());
    EXPECT_NE(tripSave, flightSave);
    EXPECT_EQ(arrived.location, std::string(second.name) + "/" + talker.name);
    EXPECT_EQ(arrived.charge, inside.charge - 30000 * between);
    EXPECT_GE(arrived.date - inside.date, 100 * between);
    EXPECT_TRUE(talking);
    EXPECT_TRUE(talkEnded);
    EXPECT_EQ(game.Log(), "");
}

}  // namespace
