#include "world/level.h"

#include <gtest/gtest.h>

#include <functional>

#include "foundation/script_memory.h"
#include "script/object_manager.h"
#include "script/operations.h"
#include "shell/game_ids.h"
#include "tests/support/error_message.h"
#include "tests/support/game_harness.h"

namespace {

uint32_t U(int32_t v) {
    return static_cast<uint32_t>(v);
}

class LevelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        game.AddClass({.name = "Stage", .base = "Level"});
        // Racer's step sets the speed through its reference and ends the level.
        game.AddClass(
            {.name = "Racer",
             .base = "Level",
             .virtuals = {{2, CodeWords({{OpWord(Op::Drop)},
                                         PushIntWords(250),
                                         {BaseCallWord(4), OpWord(Op::Store), BaseCallWord(13)}})}}});
        game.AddClass({.name = "Opening", .base = "Scenario"});
        game.Start();
        stage = game.New("Stage");
    }

    LevelObject& Stage() { return LevelObject::Of(stage.get()); }

    GameHarness game;
    GameObject stage;
};

TEST_F(LevelTest, StartValuesAndNatives) {
    LevelObject& s = Stage();
    EXPECT_EQ((std::vector<int32_t>{s.Finished(), s.Int(kLevelValue), s.Speed(), s.BackgroundColour(),
                                    s.FlightState(), s.SceneWidth(), s.ViewX(), s.ShipSpread(), s.TintValue(),
                                    s.LayerMode(), s.Progress()}),
              (std::vector<int32_t>{0, 3, 0, 0, 0, 640, 0, 0, 0, 0, 0}));
    PublishedFlight().screenHeightX100 = 48000;
    struct Row {
        uint32_t method;
        std::vector<uint32_t> pushed;
        std::vector<uint32_t> results;
    };
    // In order: each row sees what the rows before it did.
    const std::vector<Row> rows = {
        {7, {}, {640}}, {8, {U(-64)}, {}}, {7, {}, {U(-64)}}, {11, {}, {480}},
        {12, {}, {0}},  {14, {}, {0}},     {13, {}, {}},      {14, {}, {1}},
        {16, {}, {3}},  {15, {U(-7)}, {}}, {16, {}, {U(-7)}}, {17, {}, {0}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(game.CallMethod(&s, game.Class("Level"), row.method, row.pushed), row.results);
    PublishedFlight() = FlightValues{};

    const std::vector<std::pair<uint32_t, std::function<int32_t()>>> references = {
        {4, [&] { return s.Speed(); }},       {5, [&] { return s.BackgroundColour(); }},
        {6, [&] { return s.FlightState(); }}, {9, [&] { return s.TintValue(); }},
        {10, [&] { return s.LayerMode(); }},
    };
    for (const auto& [method, field] : references) {
        const std::vector<uint32_t> reference = game.CallMethod(&s, game.Class("Level"), method);
        ASSERT_EQ(reference.size(), 1u);
        ScriptStore32(reference[0], method * 11);
        EXPECT_EQ(field(), int32_t(method * 11)) << method;
    }
}

TEST_F(LevelTest, Steps) {
    LevelObject& s = Stage();
    for (int32_t speed : {150, -25, INT32_MAX}) {
        const int32_t before = s.Progress();
        s.SetInt(kLevelSpeed, speed);
        EXPECT_TRUE(game.CallVirtual(&s, 2, {7}).empty());
        EXPECT_EQ(s.Progress(), int32_t(uint32_t(before) + uint32_t(speed))) << "once per frame, wrapping";
    }
    EXPECT_TRUE(game.CallVirtual(&s, kLevelOverlayVirtual).empty());

    GameObject racer = game.New("Racer");
    LevelObject& r = LevelObject::Of(racer.get());
    r.SetInt(kLevelSpeed, 10);
    game.CallVirtual(&r, 2, {1});
    EXPECT_EQ((std::vector<int32_t>{r.Speed(), r.Finished(), r.Progress()}),
              (std::vector<int32_t>{250, 1, 0}))
        << "the script's step, not the default";
}

TEST_F(LevelTest, RunningLevelAndFailures) {
    EXPECT_EQ(LevelObject::Running(game.Objects()), nullptr);
    LevelObject* kept = &Stage();
    game.Keep(kLevelId, std::move(stage));
    EXPECT_EQ(LevelObject::Running(game.Objects()), kept);

    GameObject opening = game.New("Opening");
    const std::vector<std::pair<std::function<void()>, const char*>> failures = {
        {[&] { game.CallMethod(game.Class("Stage"), game.Class("Stage"), 0); }, "DStack underflow"},
        {[] { LevelObject level(nullptr, 0); }, "Level created without a class"},
        {[&] { game.CallMethod(opening.get(), game.Class("Level"), 4); }, "Level object expected"},
        {[&] {
             game.Objects().SetObject(nullptr, kScreenId);
             game.New("Stage");
         },
         "No screen object for the level of class Stage"},
    };
    for (const auto& [f, message] : failures) EXPECT_EQ(ErrorMessage(f), message);
}

}  // namespace
