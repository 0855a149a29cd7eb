// The scenario list counts the pilots of a player file wherever the game would read it from, and a
// loaded save replaces the running game whole: its pilots and its ships.
#include <gtest/gtest.h>

#include <string>

#include "campaign/save_game.h"
#include "campaign/save_slots.h"
#include "script/object_manager.h"
#include "shell/game_ids.h"
#include "tests/support/game_harness.h"
#include "tests/support/pilot_fixture.h"
#include "tests/support/save_fixture.h"
#include "tools/content/block_writer.h"
#include "ui/gtime.h"
#include "world/player.h"
#include "world/ship.h"

namespace {

class SaveRowsTest : public ::testing::Test {
  protected:
    SaveRowsTest() {
        AddSaveClasses(game);
        SaveSlots().Clear();
    }
    ~SaveRowsTest() override { SaveSlots().Clear(); }

    ObjectManager& Ships() { return dynamic_cast<ObjectManager&>(*game.Object(kShipListId)); }
    // A pilot of the running game flying a ship of its own.
    void AddPilot(const std::string& name) {
        GameObject made = game.New("Player");
        PlayerObject& pilot = PlayerObject::Of(made.get());
        pilot.RestoreName(String(name.c_str()));
        game.Players().AppendObject(made.release());
        ScriptObject* ship = game.New(kShipClass).release();
        Ships().AppendObject(ship);
        pilot.AttachShip(ship);
    }

    GameHarness game;
};

TEST_F(SaveRowsTest, AScenarioWhosePlayerFileIsOnlyInTheArchiveIsListed) {
    const std::string pilot = SEBlock("PCFG", std::string("Bo") + '\0', std::string(16, '\0'));
    game.AddEntry("Levels\\Archived.PCFG", pilot + SEBlock("JUNK", "x") + pilot + pilot);
    game.Start();
    WriteGameFile("Add\\Archived.scn", "TestScenario Levels\\Archived.PCFG");
    ScenarioList(game.Cpu());
    ASSERT_EQ(SaveSlots().Used(), 1u);
    EXPECT_EQ(SlotHeader(0)->Text(1), "Add\\Archived.scn");
    EXPECT_EQ(SlotHeader(0)->Text(4), "3");
}

TEST_F(SaveRowsTest, LoadingASaveLeavesOnlyTheShipsOfTheLoadedPilots) {
    game.Start();
    AddPilot("Ann");
    SaveHeader header;
    SaveTexts texts;
    const std::vector<std::string> given = SaveTextsFor("00000001");
    for (uint32_t i = 0; i < kSaveTextCount; ++i) texts[i] = given[i];
    header.Fill(texts);
    WriteSaveGame(game.Cpu(), header, SaveFileName("00000001"));
    GTime loaded;
    SaveGameFile::Load(game.Cpu(), loaded, SaveFileName("00000001"));
    const uint32_t loadedShips = Ships().ObjectList().Count();
    ASSERT_EQ(loadedShips, 1u);

    // Another game is running: more pilots and ships, and a ship that belongs to none of them.
    AddPilot("Bob");
    AddPilot("Cyd");
    Ships().AppendObject(game.New(kShipClass).release());
    SaveGameFile::Load(game.Cpu(), loaded, SaveFileName("00000001"));
    EXPECT_EQ(game.Players().ObjectList().Count(), 1u);
    EXPECT_EQ(Ships().ObjectList().Count(), loadedShips);
    auto& pilot = PlayerObject::Of(game.Players().ObjectList().First());
    EXPECT_EQ(pilot.Ship(), Ships().ObjectList().First());
}

}  // namespace
