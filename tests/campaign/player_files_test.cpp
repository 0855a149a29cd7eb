#include "campaign/player_files.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "campaign/screen_hooks.h"
#include "script/object_lifetime.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "script/sspl_block.h"
#include "shell/game_ids.h"
#include "shell/input_device.h"
#include "tests/support/error_message.h"
#include "tests/support/game_harness.h"
#include "tests/support/pilot_fixture.h"
#include "tools/content/block_writer.h"
#include "tools/content/startup_archive.h"
#include "world/player.h"
#include "world/player_config.h"

namespace {

std::string Pilot(const std::string& name, const std::string& system) {
    PlayerConfig config;
    config.SetName(name);
    config.SetFields(1000, 0, 1, 0);
    config.SetLocation(system, "Planet");
    return StoredBytes(config, name + ".stored");
}

// Three pilots with a foreign block among them, and one key mapping each (the first action's key
// tells them apart).
class PlayerFilesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        game.AddEntry("Test.PCFG", Pilot("Ann", "Sol") + SEBlock("XTRA", "junk") + Pilot("Bob", "Vega") +
                                       Pilot("Cy", "Rigel"));
        game.AddEntry("Empty.PCFG", SEBlock("XTRA", "junk"));
        game.AddEntry("Keys.INPD",
                      InputDeviceFile({0x41}) + InputDeviceFile({0x42}) + InputDeviceFile({0x43}));
        game.AddEntry("Short.PCFG", Pilot("Ann", "Sol") + Pilot("Bob", "Vega") + Pilot("Cy", "Rigel") +
                                        Pilot("Dee", "Deneb"));
        game.AddClass({.name = "TestAgain", .base = "Scenario", .virtuals = {{2, PushIntWords(1)}}});
        game.AddClass({.name = "TestDone", .base = "Scenario", .virtuals = {{2, PushIntWords(0)}}});
    }

    void StartGame() { game.Start(); }

    std::vector<std::string> PlayerNames() {
        std::vector<std::string> names;
        for (const auto* node = game.Players().ObjectList().Head(); node != nullptr; node = node->next)
            names.emplace_back(dynamic_cast<PlayerObject*>(node->item)->Name().Text());
        return names;
    }

    std::vector<uint32_t> FirstKeys() {
        std::vector<uint32_t> keys;
        for (const auto* node = game.Players().ObjectList().Head(); node != nullptr; node = node->next)
            keys.push_back(dynamic_cast<PlayerObject*>(node->item)->Input()->Actions().Code(0));
        return keys;
    }

    GameHarness game;
};

TEST_F(PlayerFilesTest, TheLimitCapsThePlayersAndEachTakesItsOwnKeyMapping) {
    StartGame();
    struct Case {
        int32_t limit;
        std::vector<std::string> names;
        std::vector<uint32_t> keys;
    };
    const Case cases[] = {
        {2, {"Ann", "Bob"}, {0x41, 0x42}},
        {0, {"Ann", "Bob", "Cy"}, {0x41, 0x42, 0x43}},
        {5, {"Ann", "Bob", "Cy"}, {0x41, 0x42, 0x43}},
        {-1, {"Ann", "Bob", "Cy"}, {0x41, 0x42, 0x43}},
    };
    for (const Case& c : cases) {
        ReplacePlayers(game.Cpu(), ReadPlayerFile(game.Cpu(), "Test.PCFG", c.limit));
        EXPECT_EQ(PlayerNames(), c.names) << c.limit;
        EXPECT_EQ(FirstKeys(), c.keys) << c.limit;
        auto* location = dynamic_cast<SSPLBlock*>(game.Object(kCurrentLocationId));
        ASSERT_NE(location, nullptr);
        const std::string last = c.names.back() == "Bob" ? "Vega" : "Rigel";
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(location->Payload())), last) << c.limit;
    }
}

TEST_F(PlayerFilesTest, BadFilesLeaveThePlayersAsTheyWere) {
    StartGame();
    ReplacePlayers(game.Cpu(), ReadPlayerFile(game.Cpu(), "Test.PCFG", 1));
    struct Case {
        const char* file;
        std::string message;
    };
    const Case cases[] = {
        {"Empty.PCFG", "Wrong player confiruration file :Empty.PCFG"},
        {"Missing.PCFG", "Missing.PCFG"},
        // Four players, three key mappings.
        {"Short.PCFG", "Keys.INPD"},
    };
    for (const Case& c : cases) {
        const std::string message = ErrorMessage([&] { ReadPlayerFile(game.Cpu(), c.file, 0); });
        EXPECT_NE(message.find(c.message), std::string::npos) << c.file << ": " << message;
        EXPECT_EQ(PlayerNames(), std::vector<std::string>{"Ann"}) << c.file;
    }
}

TEST_F(PlayerFilesTest, TheGameRunsAgainFromTheFileWhileStartAsksForIt) {
    StartGame();
    struct Case {
        const char* scenario;
        int stopAfter;  // loading screens before the test ends an endless game
        int loadings;
    };
    const Case cases[] = {{"TestDone", 9, 1}, {"TestAgain", 3, 3}};
    for (const Case& c : cases) {
        int loadings = 0;
        Screens().loadingScreen = [&](Processor&, int32_t value) {
            EXPECT_EQ(value, 0);
            if (++loadings == c.stopAfter) throw std::runtime_error("enough");
        };
        try {
            LoadPlayerFile(game.Cpu(), "Test.PCFG", c.scenario, 2);
        } catch (const std::runtime_error&) {
        }
        EXPECT_EQ(loadings, c.loadings) << c.scenario;
        // Each round starts from the file: the two pilots, not piled up.
        EXPECT_EQ(PlayerNames(), (std::vector<std::string>{"Ann", "Bob"})) << c.scenario;
        ScriptObject* scenario = game.Object(kScenarioId);
        ASSERT_NE(scenario, nullptr);
        EXPECT_STREQ(scenario->Class()->ClassName().Text(), c.scenario);
    }
}

// Each start again replaces the players and the scenario the round before made: given back at the
// next round, not when the game is over.
TEST_F(PlayerFilesTest, StartingAgainAndAgainHoldsNoMoreThanAFewStarts) {
    StartGame();
    const ReleaseHold menu;  // the main screen's loop, whose menu starts the game
    std::vector<size_t> waiting;
    Screens().loadingScreen = [&](Processor&, int32_t) {
        waiting.push_back(DestroyedAwaitingRelease());
        if (waiting.size() == 12) throw std::runtime_error("enough");
    };
    EXPECT_THROW(LoadPlayerFile(game.Cpu(), "Test.PCFG", "TestAgain", 2), std::runtime_error);
    ASSERT_EQ(waiting.size(), 12u);
    EXPECT_EQ(waiting.back(), waiting[4]);
}

}  // namespace
