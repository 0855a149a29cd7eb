#include "world/scenario.h"

#include <gtest/gtest.h>

#include <string>

#include "script/zema_class.h"
#include "tests/support/error_message.h"
#include "tests/support/game_harness.h"

namespace {

constexpr const char* kNoStart = "Method 'Start' must be defined in scenario.";

TEST(ScenarioTest, DefaultsAndRunStart) {
    GameHarness game;
    game.AddClass({.name = "Opening", .base = "Scenario"});
    game.AddClass({.name = "Campaign", .base = "Scenario", .virtuals = {{2, PushIntWords(7)}}});
    game.AddClass({.name = "Arcade", .base = "Scenario", .virtuals = {{2, PushIntWords(0)}}});
    game.AddClass({.name = "Silent", .base = "Scenario", .virtuals = {{2, {}}}});
    game.AddClass({.name = "Loose", .base = "ZEMAClass"});
    game.Start();

    GameObject opening = game.New("Opening");
    EXPECT_EQ(typeid(*opening), typeid(ScriptObject)) << "a bare script object";
    EXPECT_EQ(game.TextAt(game.CallVirtual(opening.get(), 3).at(0)), "Standart scenario name");
    EXPECT_EQ(game.TextAt(game.CallVirtual(opening.get(), 4).at(0)), "");

    const std::vector<std::pair<const char*, std::string>> rows = {
        {"Campaign", "true"},           {"Arcade", "false"}, {"Opening", kNoStart}, {"Loose", kNoStart},
        {"Silent", "DStack underflow"},
    };
    for (const auto& [className, outcome] : rows) {
        GameObject scenario = game.New(className);
        bool started = false;
        const std::string error = ErrorMessage([&] { started = Scenario::RunStart(scenario.get()); });
        EXPECT_EQ(error != "no error" ? error : started ? "true" : "false", outcome) << className;
    }
    EXPECT_EQ(ErrorMessage([] { Scenario::RunStart(nullptr); }), kNoStart);
}

}  // namespace
