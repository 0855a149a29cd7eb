#include "campaign/load_and_fly.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "campaign/demo_playback.h"
#include "campaign/screen_hooks.h"
#include "foundation/random.h"
#include "platform/key_table.h"
#include "script/object_lifetime.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "script/script_object.h"
#include "shell/game_ids.h"
#include "shell/input_device.h"
#include "tests/support/error_message.h"
#include "tests/support/game_harness.h"
#include "tests/support/pilot_fixture.h"
#include "tools/content/fd_writer.h"
#include "tools/content/script_assembler.h"
#include "tools/content/script_subclass.h"
#include "tools/content/startup_archive.h"
#include "world/player.h"
#include "world/player_config.h"

namespace {

constexpr uint32_t kLoadAndFly = 12;
constexpr uint32_t kShowStory = 9;
constexpr uint32_t kShowStoryWithFlag = 10;

std::string Pilot(const std::string& name) {
    PlayerConfig config;
    config.SetName(name);
    return StoredBytes(config, name + ".stored");
}

// Two pilots without ships, so that the demo's flight cannot start: the flight then shows its
// message and ends at once.
class LoadAndFlyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        game.AddEntry("Demo.PCFG", Pilot("Ann") + Pilot("Bob"));
        game.AddEntry("Keys.INPD", InputDeviceFile({'A'}) + InputDeviceFile({'B'}));
        game.AddMessages("system.mes", {{117, "OK"}, {309, "No ship can fly"}, {352, "Quit?"}});
        game.AddClass({.name = "TestLevel", .base = "Level"});
        // A script that flies the demo twenty times in turn (method 2).
        std::vector<uint32_t> rounds;
        for (int i = 0; i < 20; ++i) {
            for (const char* text : {"Empty.DEMO", "TestLevel", "Demo.PCFG"}) {
                const std::vector<uint32_t> push = PushTextWords(text);
                rounds.insert(rounds.end(), push.begin(), push.end());
            }
            rounds.push_back(ScriptAssembler::CallWord(kLoadAndFly, 2, false,
                                                       ScriptAssembler::Receiver::ObjectId, kGameManagerId));
        }
        game.AddClass(
            {.name = "DemoRounds", .base = "GTTClass", .methods = {{2, rounds}}, .uses = {"GameManager"}});
        game.Start();
        manager = game.Object(kGameManagerId);
        Screens().loadingScreen = [this](Processor&, int32_t) { ++loadings; };
    }

    std::vector<std::string> PlayerNames() {
        std::vector<std::string> names;
        for (const auto* node = game.Players().ObjectList().Head(); node != nullptr; node = node->next)
            names.emplace_back(dynamic_cast<PlayerObject*>(node->item)->Name().Text());
        return names;
    }

    // Method 12 with the three texts pushed as callers push them: demo, level, player file.
    // What the method left on the data stack.
    std::vector<uint32_t> Fly(const std::string& demo, const std::string& playerFile = "Demo.PCFG") {
        // The flight's box about the ships is answered.
        game.At(game.Now() + 500, [this] { game.PressKey(VK_ESCAPE); });
        return game.CallMethod(manager, kLoadAndFly,
                               {game.Text(demo), game.Text("TestLevel"), game.Text(playerFile)});
    }

    GameHarness game;
    ScriptObject* manager = nullptr;
    int loadings = 0;
};

TEST_F(LoadAndFlyTest, TheDemoFliesThePlayersOfItsFileAndLeavesTheirInputLive) {
    std::ofstream("Empty.DEMO", std::ios::binary).flush();
    EXPECT_TRUE(Fly("Empty.DEMO").empty());  // the flight's result is dropped
    EXPECT_EQ(PlayerNames(), (std::vector<std::string>{"Ann", "Bob"}));
    EXPECT_EQ(loadings, 1);  // the flight could not start, so it showed none of its own
    // Live again: the keys count, not the demo that is gone.
    game.PressKey('B');
    std::vector<int32_t> held;
    for (const auto* node = game.Players().ObjectList().Head(); node != nullptr; node = node->next) {
        InputDevice* input = dynamic_cast<PlayerObject*>(node->item)->Input();
        input->Poll();
        held.push_back(input->Actions().Held(0));
    }
    EXPECT_EQ(held, (std::vector<int32_t>{0, -1}));
}

// A script took a pilot out of the players' list (without deleting it) while the demo flew: the
// demo still lets go of its device, which no longer reads the recording that is gone.
TEST_F(LoadAndFlyTest, APilotTakenOutOfThePlayersIsLiveAgainAfterTheDemo) {
    std::ofstream("Empty.DEMO", std::ios::binary).flush();
    Fly("Empty.DEMO");
    ObjectManager& players = game.Players();
    auto* ann = dynamic_cast<PlayerObject*>(players.ObjectList().Head()->item);
    ASSERT_NE(ann, nullptr);
    players.Seek(0);
    players.RemoveCurrent(true);
    {
        DemoPlayback demo(game.Cpu(), String("Empty.DEMO"));
        demo.Attach(*ann);
    }
    game.PressKey('A');
    ann->Input()->Poll();
    EXPECT_EQ(ann->Input()->Actions().Held(0), -1);
    DestroyObject(ann);
}

TEST_F(LoadAndFlyTest, BadDemosAndPlayerFilesAreEngineErrorsNamingThem) {
    std::ofstream("Empty.DEMO", std::ios::binary).flush();
    std::ofstream("Cut.DEMO", std::ios::binary) << SepkPacked(std::string(400, 'x')).substr(0, 30);
    struct Case {
        const char* demo;
        const char* playerFile;
        std::string expected;
    };
    const Case cases[] = {
        {"Missing.DEMO", "Demo.PCFG", "Missing.DEMO"},
        {"Cut.DEMO", "Demo.PCFG", "Damaged demo file \"Cut.DEMO\""},
        {"Empty.DEMO", "None.PCFG", "None.PCFG"},
    };
    for (const Case& c : cases) {
        const std::string message = ErrorMessage([&] { Fly(c.demo, c.playerFile); });
        EXPECT_NE(message.find(c.expected), std::string::npos) << c.demo << ": " << message;
        EXPECT_TRUE(PlayerNames().empty()) << c.demo;
    }
    const std::string message = ErrorMessage([&] {
        game.CallMethod(manager, kLoadAndFly, {game.Text("TestLevel"), game.Text("Demo.PCFG")});
    });
    EXPECT_NE(message.find("DStack underflow"), std::string::npos) << message;
}

// Each round's players are destroyed by the next round: each round gives back as it begins what the
// rounds before destroyed, though no native loop turns between them.
TEST_F(LoadAndFlyTest, DemosAScriptFliesRoundAfterRoundHoldNoMoreThanAFew) {
    std::ofstream("Empty.DEMO", std::ios::binary).flush();
    std::vector<size_t> waiting;
    Screens().loadingScreen = [&](Processor&, int32_t) {
        waiting.push_back(DestroyedAwaitingRelease());
        game.At(game.Now() + 100, [this] { game.PressKey(VK_ESCAPE); });
    };
    GameObject rounds = game.New("DemoRounds");
    EXPECT_EQ(ErrorMessage([&] { game.CallMethod(rounds.get(), game.Class("DemoRounds"), 2); }), "no error");
    ASSERT_EQ(waiting.size(), 20u);
    EXPECT_EQ(waiting[19], waiting[4]);
}

TEST_F(LoadAndFlyTest, StoryMethodsShowTheirTextWithTheFlags) {
    std::vector<std::pair<std::string, uint32_t>> shown;
    Screens().storyScreen = [&](Processor&, std::string_view text, uint32_t flags) {
        shown.emplace_back(std::string(text), flags);
    };
    game.CallMethod(manager, kShowStory, {game.Text("Once upon a time")});
    game.CallMethod(manager, kShowStoryWithFlag, {game.Text("The end"), 1});
    game.CallMethod(manager, kShowStoryWithFlag, {game.Text("Again"), 0});
    const std::vector<std::pair<std::string, uint32_t>> expected = {
        {"Once upon a time", 0}, {"The end", 1}, {"Again", 0}};
    EXPECT_EQ(shown, expected);
}

}  // namespace
