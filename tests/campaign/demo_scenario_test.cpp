// The demo game's scenario, as the main menu's scenario entry finds and starts it: the scenario
// list reads it from the files beside the archive, and its game flies the level to the end.
#include <gtest/gtest.h>

#include <string>

#include "campaign/player_files.h"
#include "campaign/save_game.h"
#include "campaign/save_slots.h"
#include "script/processor.h"
#include "tests/support/demo_content.h"
#include "tests/support/error_message.h"
#include "tests/support/game_harness.h"
#include "tests/support/save_fixture.h"
#include "world/level.h"

namespace {

constexpr uint32_t kFrame = 28;

class DemoScenarioTest : public ::testing::Test {
  protected:
    DemoScenarioTest() {
        for (const FdEntry& e : DemoArchiveEntries()) game.AddEntry(e.name, e.data, e.packed);
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

TEST_F(DemoScenarioTest, StartedItFliesTheLevelToItsEnd) {
    const ScenarioFile file = ReadScenarioFile(String(kDemoScenarioFile));
    bool levelFinished = false;
    const uint32_t start = game.Now();
    for (uint32_t frame = 1; frame < 2 * kDemoLevelLength; ++frame)
        game.At(start + frame * kFrame, [&] {
            if (LevelObject* level = LevelObject::Running(game.Objects())) levelFinished |= level->Finished();
        });
    // The pilot flies on the first key mapping, which takes the mouse: the ship weaves after the
    // pointer out of the enemies' line of fire, fire held down.
    game.MovePointer(100, 384);
    game.At(start + 5 * kFrame, [&] { game.PressKey(0x20); });
    for (uint32_t frame = 20; frame < 2 * kDemoLevelLength; frame += 80) {
        const int32_t x = (frame / 80) % 2 == 0 ? 540 : 100;
        game.At(start + frame * kFrame, [&, x] { game.MovePointer(x, 384); });
    }
    EXPECT_EQ(ErrorMessage([&] { LoadPlayerFile(game.Cpu(), file.playerFile, file.className, 1); }),
              "no error");
    EXPECT_TRUE(levelFinished);
    EXPECT_EQ(game.Log(), "");
}

}  // namespace
