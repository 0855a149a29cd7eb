#include "world/test_run_world.h"

#include <gtest/gtest.h>

#include "script/object_manager.h"
#include "script/processor.h"
#include "shell/game_hooks.h"
#include "shell/game_ids.h"
#include "shell/game_stop.h"
#include "shell/test_run.h"
#include "tests/support/game_harness.h"
#include "tests/support/test_run_folder.h"
#include "world/level.h"
#include "world/player.h"
#include "world/ship.h"

namespace {

struct RunCase {
    TestRunKind kind;
    bool listMade;  // run A makes the list of object 12
};

class TestRunWorldTest : public ::testing::TestWithParam<RunCase> {};

TEST_P(TestRunWorldTest, BuildsTheSceneFromTheFilesAndRunsItsFrames) {
    GameHarness game;
    for (const FdEntry& entry : TestRunEntries()) game.AddEntry(entry.name, entry.data);
    ASSERT_TRUE(WriteTestRunFiles(std::filesystem::current_path()));
    game.Start();
    ASSERT_NE(Hooks().testRunWorld, nullptr);
    const uint64_t shown = game.Host().Video().FramesShown();

    RunTestLevel(GetParam().kind, game.Cpu(), game.Screen(), Hooks().testRunWorld.get(), 30);

    EXPECT_EQ(game.Host().Video().FramesShown() - shown, 30u);
    EXPECT_EQ(LevelObject::Of(game.Object(kLevelId)).SceneWidth(), 640);
    ASSERT_EQ(game.Players().ObjectList().Count(), 1u);
    PlayerObject& player = PlayerObject::Of(game.Players().ObjectList().First());
    EXPECT_EQ(std::string(player.Name().Text()), "Player 1");
    ASSERT_NE(player.Input(), nullptr);
    auto* ship = dynamic_cast<ShipObject*>(player.Ship());
    ASSERT_NE(ship, nullptr);
    EXPECT_EQ(std::string(ship->Class()->ClassName().Text()), kTestRunShipClass);
    EXPECT_GT(ship->Grace(), 0);
    EXPECT_EQ(game.Object(kTestRunListId) != nullptr, GetParam().listMade);
}

INSTANTIATE_TEST_SUITE_P(Kinds, TestRunWorldTest,
                         ::testing::Values(RunCase{TestRunKind::A, true}, RunCase{TestRunKind::B, false}));

// Run A's ship starts where its stored state puts it (where a flight puts a lone ship), with the
// speed its loaded engine gives it, and the right arrow held from the start steers it right.
TEST(TestRunWorld, TheShipStartsInTheFieldAndTheArrowKeysSteerIt) {
    GameHarness game;
    for (const FdEntry& entry : TestRunEntries()) game.AddEntry(entry.name, entry.data);
    ASSERT_TRUE(WriteTestRunFiles(std::filesystem::current_path()));
    game.Start();
    game.PressKey(0x27);
    RunTestLevel(TestRunKind::A, game.Cpu(), game.Screen(), Hooks().testRunWorld.get(), 30);

    auto* ship = dynamic_cast<ShipObject*>(PlayerObject::Of(game.Players().ObjectList().First()).Ship());
    ASSERT_NE(ship, nullptr);
    EXPECT_GT(ship->MaxSpeed(), 0);
    EXPECT_EQ(ship->Y(), 480 * 80);
    EXPECT_GT(ship->X(), 320 * 100);
    EXPECT_LT(ship->X(), 640 * 100);
}

TEST(TestRunWorld, AMissingShipFileIsAnEngineErrorNamingIt) {
    GameHarness game;
    for (const FdEntry& entry : TestRunEntries()) game.AddEntry(entry.name, entry.data);
    game.Start();
    try {
        RunTestLevel(TestRunKind::B, game.Cpu(), game.Screen(), Hooks().testRunWorld.get(), 1);
        FAIL() << "no error";
    } catch (const DExep& error) {
        EXPECT_NE(std::string(error.message.Text()).find("Ship1.SCFG"), std::string::npos);
    }
}

}  // namespace
