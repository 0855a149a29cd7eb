// The save, load and scenario screens driven by injected input.
#include "campaign/save_screens.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "campaign/save_game.h"
#include "campaign/save_slots.h"
#include "campaign/scene_reset.h"
#include "tests/campaign/menu_screens_fixture.h"
#include "tests/support/save_fixture.h"

namespace {

std::string Text(const String& text) {
    return std::string(text.Text(), text.Size());
}

TEST(SaveScreenWheel, TheFirstRowStaysWithinTheListWhateverTheTurn) {
    struct Case {
        uint32_t first;
        int32_t steps;
        uint32_t count;
        uint32_t expected;
    };
    const Case cases[] = {
        {0, -10, 15, 4},        {4, 3, 15, 1},
        {4, 10, 15, 0},         {0, -1, 5, 0},
        {0, INT32_MIN, 15, 4},  {3, INT32_MAX, 15, 0},
        {UINT32_MAX, 0, 15, 4}, {UINT32_MAX, INT32_MIN, UINT32_MAX, UINT32_MAX - 11},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WheelFirstRow(c.first, c.steps, c.count), c.expected)
            << c.first << " " << c.steps << " " << c.count;
}

class SaveScreensTest : public MenuScreensTest {
  protected:
    // Runs the save screen with the input placed before and writes what it chose.
    std::string Save() {
        SaveChoice choice = RunSaveGameDialog(game.Cpu(), Device());
        if (choice.header != nullptr) WritePlayersConfig(game.Cpu(), *choice.header, choice.fileName);
        return Text(choice.fileName);
    }
    std::string Load() { return Text(RunLoadGameDialog(game.Cpu(), Device())); }
    std::string Title(uint32_t row) {
        const SaveHeader* header = SlotHeader(row);
        return header != nullptr ? std::string(header->Text(6)) : "<none>";
    }
};

TEST_F(SaveScreensTest, PickRenameOverwriteAndLoadBack) {
    // The only row is "New": Enter saves without a question.
    TypeAt(game.Now() + 100, "\r");
    const std::string first = Save();
    ASSERT_EQ(first.rfind("Saves\\", 0), 0u) << first;
    EXPECT_EQ(first.substr(first.size() - 4), ".gsf");

    // Rows: the save, then "New". A second click on the selected row opens its title; clicking the
    // other row stores what was typed; back on the save, OK asks, and Yes overwrites.
    uint32_t t = game.Now();
    ClickAt(t += 200, RowX(), RowY(0));
    TypeAt(t += 200, "Xy");
    ClickAt(t += 200, RowX(), RowY(1));
    ClickAt(t += 300, RowX(), RowY(0));
    ClickAt(t += 300, kOkX, kButtonY);
    ClickAt(t += 600, kYesX, kAnswerY);
    EXPECT_EQ(Save(), first);

    TypeAt(game.Now() + 100, "\r");
    EXPECT_EQ(Load(), first);
    EXPECT_EQ(Title(0), "NewXy");
}

TEST_F(SaveScreensTest, DecliningTheOverwriteKeepsTheScreenOpen) {
    TypeAt(game.Now() + 100, "\r");
    const std::string first = Save();
    uint32_t t = game.Now();
    ClickAt(t += 200, kOkX, kButtonY);  // row 0, a save: the question
    ClickAt(t += 600, kNoX, kAnswerY);
    ClickAt(t += 600, kCancelX, kButtonY);
    EXPECT_EQ(Save(), "");
}

TEST_F(SaveScreensTest, EscapeLeavesEveryScreenWithoutAName) {
    TypeAt(game.Now() + 100, "\r");
    Save();
    const std::function<std::string()> runs[] = {
        [&] { return Save(); },
        [&] { return Load(); },
        [&] { return Text(RunScenarioDialog(game.Cpu(), Device())); },
    };
    for (const auto& run : runs) {
        TypeAt(game.Now() + 100, "\x1b");
        EXPECT_EQ(run(), "");
    }
}

// Fifteen saves: a wheel turn of ten notches towards the end stops at the last full page, whose
// first row is the fifth save; the up arrow scrolls back, the down arrow on again.
TEST_F(SaveScreensTest, TheWheelAndTheArrowsScrollWithinTheList) {
    for (int n = 1; n <= 15; ++n) {
        const std::string stem = "000000" + std::string(n < 10 ? "0" : "") + std::to_string(n);
        SaveHeader header;
        header.Fill({stem, "no scenario", "no scenario", "", "", "Save " + stem, "", ""});
        WriteSaveGame(game.Cpu(), header, SaveFileName(stem));
    }
    struct Case {
        std::vector<int32_t> arrowYs;  // clicked after the wheel turn
        std::string loaded;
    };
    const Case cases[] = {
        {{}, "Saves\\00000005.gsf"},
        {{90}, "Saves\\00000004.gsf"},
        {{90, 90, 395}, "Saves\\00000004.gsf"},
    };
    for (const Case& c : cases) {
        uint32_t t = game.Now();
        game.At(t += 200, [this] { game.TurnWheel(-10 * 120); });
        for (int32_t y : c.arrowYs) ClickAt(t += 300, 622, y + 2);  // the 4 x 4 arrow at (620, y)
        ClickAt(t += 300, RowX(), RowY(0));
        TypeAt(t += 300, "\r");
        EXPECT_EQ(Load(), c.loaded);
    }
}

// A save that cannot be read is not listed: the only row is "New", whose save goes to a file of
// its own and leaves the other as it was.
TEST_F(SaveScreensTest, AnUnreadableSaveIsNotListedAndStaysAsItWas) {
    WriteGameFile("Saves\\00000004.gsf", "not a save");
    TypeAt(game.Now() + 100, "\r");
    EXPECT_EQ(Save(), "Saves\\00000001.gsf");
    SaveSlotList();
    EXPECT_EQ(SaveSlots().Used(), 1u);
    EXPECT_EQ(Title(0), kNewSaveTitle);
    EXPECT_EQ(ReadGameFile("Saves/00000004.gsf"), "not a save");
}

TEST_F(SaveScreensTest, AStoredTitleLongerThanTheFieldIsCutToFit) {
    const std::string longTitle(40, 'L');
    SaveHeader header;
    header.Fill({"00000007", "no scenario", "no scenario", "", "", longTitle, "", ""});
    WriteSaveGame(game.Cpu(), header, SaveFileName("00000007"));

    uint32_t t = game.Now();
    ClickAt(t += 200, RowX(), RowY(0));
    TypeAt(t += 200, "Z");  // the field is full: nothing more fits
    ClickAt(t += 200, RowX(), RowY(1));
    ClickAt(t += 300, kCancelX, kButtonY);
    EXPECT_EQ(Save(), "");
    EXPECT_EQ(Title(0), std::string(kSlotNameCapacity - 1, 'L'));
}

}  // namespace
