#include "screens/player_setup.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "campaign/player_files.h"
#include "script/object_manager.h"
#include "script/operations.h"
#include "shell/game_hooks.h"
#include "tests/support/error_message.h"
#include "tests/support/game_harness.h"
#include "tests/support/hostile_scripts.h"
#include "tests/support/pilot_fixture.h"
#include "tests/support/shop_scene.h"
#include "world/player.h"
#include "world/player_config.h"

namespace {

std::string Pilot(const std::string& name) {
    PlayerConfig config;
    config.SetName(name);
    config.SetFields(77, 0, 1, 0);
    config.SetLocation("Sol", "Earth");
    return StoredBytes(config, name + ".stored");
}

std::string FileText(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Three default pilots; the tool is started as start mode 4 starts it.
class PlayerSetupTest : public ::testing::Test {
  protected:
    void Begin(const std::string& defaults, const std::string& allItems = kBatteryClass) {
        AddShopContent(game);
        game.AddEntry("AllItems.lst", allItems);
        game.AddEntry("DefPlCfg.PCFG", defaults);
        game.AddEntry("Keys.INPD", MouseInputFile() + MouseInputFile() + MouseInputFile());
        game.Start();
    }

    // Types into the starting value's field (if typed is not empty), closes the shop, then answers
    // the question at x.
    void RunTool(int32_t answerX, const std::string& typed = "") {
        uint32_t t = game.Now();
        // What the shop shows before anything is done in it.
        game.At(t + 100, [this] { shown = game.Host().Video().LastFrame(); });
        if (!typed.empty()) {
            // A double click chooses the field; its text ends at x 620.
            ClickAt(game, t += 200, 612, 263);
            ClickAt(game, t += 120, 612, 263);
            game.At(t += 200, [this, typed] {
                for (char c : typed) game.TypeChar(static_cast<uint8_t>(c));
            });
        }
        ClickAt(game, t + 200, kShopButtonX, ShopButtonY(3));
        ClickAt(game, t + 800, answerX, kAnswerY);
        EXPECT_EQ(ErrorMessage([] { Hooks().newGameSetup(); }), "no error");
    }

    std::vector<std::unique_ptr<PlayerConfig>> Written() {
        return ReadPlayerFile(game.Cpu(), String("Players.PCFG"), 0);
    }

    GameHarness game;
    std::vector<uint8_t> shown;
};

TEST_F(PlayerSetupTest, YesWritesTheFirstPlayersWithTheTypedPlaceAndValueTimesTen) {
    Begin(Pilot("Ann") + Pilot("Bob") + Pilot("Cy"));
    RunTool(kYesX);
    const std::vector<std::unique_ptr<PlayerConfig>> written = Written();
    ASSERT_EQ(written.size(), 2u);
    const char* names[] = {"Ann", "Bob"};
    for (size_t i = 0; i < written.size(); ++i) {
        EXPECT_EQ(written[i]->Name(), names[i]);
        EXPECT_EQ(written[i]->Money(), 1000);
        const auto* place = reinterpret_cast<const char*>(written[i]->Location().Payload());
        EXPECT_STREQ(place, "Star system");
        EXPECT_STREQ(place + std::strlen(place) + 1, "Planet");
    }
    // A starting value typed after the default "100" is rubbed out is stored times ten. The field
    // takes nine digits; a value too large to be stored times ten is held at the largest there is.
    for (const auto& [typed, stored] : {std::pair<std::string, int32_t>{"\b\b\b25", 250},
                                        std::pair<std::string, int32_t>{"\b\b\b99999999", 999999990},
                                        std::pair<std::string, int32_t>{"\b\b\b9999999999", INT32_MAX}}) {
        RunTool(kYesX, typed);
        const std::vector<std::unique_ptr<PlayerConfig>> again = Written();
        ASSERT_EQ(again.size(), 2u);
        for (const auto& pilot : again) EXPECT_EQ(pilot->Money(), stored) << typed;
    }
    // The campaign starts from it as from any players file.
    EXPECT_EQ(ReplacePlayers(game.Cpu(), Written()).size(), 2u);
}

// The fields' texts ("Star system" the longest) end inside the screen: nothing is drawn right of
// the shop's button column, whose texts end at x 630 (their shadows two pixels further).
TEST_F(PlayerSetupTest, TheFieldsTextsEndInsideTheScreen) {
    Begin(Pilot("Ann"));
    RunTool(kNoX);
    constexpr size_t kWidth = 640;
    ASSERT_EQ(shown.size(), kWidth * 480 * 2);
    int drawn = 0;
    for (size_t y = 190; y < 280; ++y)
        for (size_t x = 633; x < kWidth; ++x)
            drawn += shown[2 * (y * kWidth + x)] | shown[2 * (y * kWidth + x) + 1];
    EXPECT_EQ(drawn, 0);
}

TEST_F(PlayerSetupTest, NoLeavesThePlayersFileAsItWas) {
    Begin(Pilot("Ann") + Pilot("Bob"));
    {
        std::ofstream old("Players.PCFG", std::ios::binary);
        old << "old";
    }
    RunTool(kNoX);
    EXPECT_EQ(FileText("Players.PCFG"), "old");
}

TEST_F(PlayerSetupTest, DefaultsWithoutAPlayerAreAClearError) {
    Begin("");
    const std::string message = ErrorMessage([] { Hooks().newGameSetup(); });
    EXPECT_NE(message.find("DefPlCfg.PCFG"), std::string::npos) << message;
}

// The shop goes at the tool's end on the normal path: an error of a script destructor of what it
// owns reaches the tool's caller rather than the log alone.
TEST_F(PlayerSetupTest, AnErrorOfTheShopsEndReachesTheCaller) {
    game.AddClass({.name = "TestFailingBattery",
                   .base = "Akb",
                   .virtuals = {{0, FailWords()}},
                   .createValues = {100, 0, 500, 0}});
    Begin(Pilot("Ann"), "TestFailingBattery");
    const uint32_t t = game.Now();
    ClickAt(game, t + 200, kShopButtonX, ShopButtonY(3));
    ClickAt(game, t + 800, kNoX, kAnswerY);
    EXPECT_EQ(ErrorMessage([] { Hooks().newGameSetup(); }), FailMessage());
}

// Storing a player runs its items' save scripts; one that deletes its own player (and so takes it
// out of the list) leaves the walk over the players going on with the next one.
TEST_F(PlayerSetupTest, AnItemWhoseSaveDeletesItsPlayerLeavesTheOthersWritten) {
    game.AddClass({.name = "TestOwnerDeleter",
                   .base = "QuestItem",
                   .instanceFields = 1,
                   .virtuals = {{5, CodeWords({DeleteFieldWords(0), {OpWord(Op::PushZero)}})}},
                   .createValues = {0}});
    Begin(Pilot("Ann") + Pilot("Bob") + Pilot("Cy"));
    game.At(game.Now() + 100, [this] {
        auto& ann = PlayerObject::Of(game.Players().ObjectList().Head()->item);
        GameObject item = game.New("TestOwnerDeleter");
        item->Field(0) = ann.Address();
        ann.AddItem(item.release());
    });
    RunTool(kYesX);
    const std::vector<std::unique_ptr<PlayerConfig>> written = Written();
    ASSERT_EQ(written.size(), 2u);
    EXPECT_EQ(written[0]->Name(), "Bob");
    EXPECT_EQ(written[1]->Name(), "Cy");
}

TEST(TypedNumberTest, ReadsLeadingDigitsAndSaturates) {
    struct Case {
        const char* text;
        int32_t value;
        int32_t starting;
    };
    const Case cases[] = {{"100", 100, 1000},
                          {"2", 2, 20},
                          {"abc", 0, 0},
                          {"", 0, 0},
                          {" 42x", 42, 420},
                          {"-7", -7, -70},
                          {"999999999", 999999999, INT32_MAX},
                          {"99999999999", INT32_MAX, INT32_MAX},
                          {"-99999999999", INT32_MIN, INT32_MIN}};
    for (const Case& c : cases) {
        EXPECT_EQ(TypedNumber(c.text), c.value) << c.text;
        EXPECT_EQ(StartingValue(c.text), c.starting) << c.text;
    }
}

}  // namespace
