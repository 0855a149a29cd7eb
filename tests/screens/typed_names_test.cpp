// Names typed with the keys a player binds to the windows' actions, into the high-score name entry
// and the player screen, each opened as the game opens it: the name is text, whatever keys it holds
// and wherever the pointer rests.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "screens/high_scores.h"
#include "screens/player_screen.h"
#include "shell/game_ids.h"
#include "shell/input_device.h"
#include "tests/support/error_message.h"
#include "tests/support/game_harness.h"
#include "tests/support/keyboard_typing.h"
#include "tests/support/save_fixture.h"
#include "tests/support/shop_scene.h"
#include "ui/dialog_window.h"
#include "ui/window_services.h"
#include "world/event_manager.h"
#include "world/player.h"

namespace {

using Point = std::pair<int32_t, int32_t>;

std::string Typed(const std::string& erased) {
    return std::string(erased.size(), '\b') + kTextOfBoundKeys;
}

std::string NameOfCase(const testing::TestParamInfo<TypingCase>& info) {
    return TypingCaseName(info.param);
}

PlayerObject& AddTypist(GameHarness& game, const std::string& name, const DialogKeys& keys) {
    auto* pilot = new PlayerObject(game.Class("Player"));
    pilot->SetInput(std::make_unique<InputDevice>());
    BindDialogKeys(*pilot->Input(), keys);
    pilot->SetName(String(name.c_str()));
    game.Players().AppendObject(pilot);
    return *pilot;
}

// A finished game whose pilot's score enters the scenario's empty table.
class TypedHighScoreNameTest : public testing::TestWithParam<TypingCase> {
  protected:
    TypedHighScoreNameTest() {
        game.AddPicture("Misc\\Horn.dpf", {.frames = 2});
        for (const char* picture : {"Misc\\SchemaLine.dpf", "Misc\\Up.dpf", "Misc\\Down.dpf"})
            game.AddPicture(picture);
        game.AddFont("EventsList").AddFont("BigMenu");
        game.AddMessages("system.mes", {{117, "OK"}, {119, "Cancel"}, {520, "Name?"}, {521, "Best"}});
        game.AddClass({.name = "Arena", .base = "GTTClass", .virtuals = {{3, PushTextWords("Arena")}}});
        game.Start();
        game.Keep(kScenarioId, game.New("Arena"));
        AddTypist(game, "Ann", GetParam().keys).SetExperience(300);
    }

    GameHarness game;
};

// The entry shows the pilot's name, which is rubbed out and typed anew; OK enters it, and the
// table shown after it closes with Escape.
TEST_P(TypedHighScoreNameTest, TheNameTypedIsEnteredWholeAndOnlyOnOk) {
    const TypingCase& c = GetParam();
    const Point ok = {320, 360};
    const Point places[] = {ok, {5, 5}};
    HighScoreManager& manager = HighScoreManager::OfGame(game.Cpu());
    bool storedBeforeOk = true;
    bool windowBeforeOk = true;
    const Point rest = places[c.place];
    const uint32_t t = RestTypeAndLook(
        game, game.Now() + 300, rest.first, rest.second, Typed("Ann"), [&](bool windowCameOrWent) {
            const HighScoreTable* table = manager.Find(String("Arena"));
            storedBeforeOk =
                std::filesystem::exists(kHighScoreFile) || (table != nullptr && !table->Entries().empty());
            windowBeforeOk = windowCameOrWent;
        });
    ClickAt(game, t, ok.first, ok.second);
    EscapeFrom(game, t + 600);
    EXPECT_EQ(ErrorMessage([&] { game.CallMethod(&manager, 4); }), "no error");

    EXPECT_FALSE(storedBeforeOk);
    EXPECT_FALSE(windowBeforeOk) << "the entry closed or another window opened while typing";
    const HighScoreTable* table = manager.Find(String("Arena"));
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->Entries().size(), 1u);
    const std::string name = std::string(kTextOfBoundKeys).substr(0, kHighScoreTypedName);
    EXPECT_EQ(std::string(table->Entries()[0].name.View()), name);
    EXPECT_NE(ReadGameFile(kHighScoreFile).find(name + '\0'), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(BoundKeysAndPointer, TypedHighScoreNameTest,
                         testing::ValuesIn(TypingCases({"PointerOnOk", "PointerAway"})), NameOfCase);

// Two pilots; the screen opens over a window of the game for the first.
class TypedPilotNameTest : public testing::TestWithParam<TypingCase> {
  protected:
    TypedPilotNameTest() {
        for (const char* picture : {"Misc\\SchemaLine.dpf", "Misc\\Up.dpf", "Misc\\Down.dpf"})
            game.AddPicture(picture);
        game.AddFont("EventsList");
        game.AddMessages("system.mes", {{102, "Close"},
                                        {380, "Info"},
                                        {381, "Quests"},
                                        {382, "Deeds"},
                                        {383, "Feats"},
                                        {384, "Skills"},
                                        {390, "Money"},
                                        {310, "cr"},
                                        {411, "Experience"},
                                        {410, "Next"},
                                        {480, "Level"}});
        game.Start();
        pilots = {&AddTypist(game, "Tera", GetParam().keys), &AddTypist(game, "Vola", GetParam().keys)};
        game.Players().Seek(0);
        EventManager::RecordEventAll(game.Cpu(), String("HELP_PLAYERSCREEN_INFO"), 0, String(""), 0);
    }

    GameHarness game;
    std::vector<PlayerObject*> pilots;
};

// A double click opens the second pilot's name, which is rubbed out and typed anew; the close
// button keeps it.
TEST_P(TypedPilotNameTest, TheNameTypedIsKeptWholeAndOnlyThroughTheCloseButton) {
    const TypingCase& c = GetParam();
    const Point close = {12, 457};
    const Point field = {627, 43};
    const Point places[] = {close, {5, 5}};
    bool renamedBeforeClose = true;
    bool windowBeforeClose = true;
    uint32_t t = DoubleClickAt(game, game.Now() + 300, field.first, field.second);
    const Point rest = places[c.place];
    t = RestTypeAndLook(game, t + 300, rest.first, rest.second, Typed("Vola"), [&](bool windowCameOrWent) {
        renamedBeforeClose = std::string(pilots[1]->Name().View()) != "Vola";
        windowBeforeClose = windowCameOrWent;
    });
    ClickAt(game, t, close.first, close.second);
    EscapeFrom(game, t + 600);
    DialogWindow caller(&game.Cpu(), &game.Screen(), EngineCursor(game.Cpu()));
    caller.SetCallback([](DialogWindow& w, int32_t event, int32_t, int32_t) {
        if (event != kEventStart) return;
        ShowPlayerScreen(w);
        w.SetResult(0);
    });
    caller.Run(*pilots[0]->Input());

    EXPECT_FALSE(renamedBeforeClose);
    EXPECT_FALSE(windowBeforeClose) << "the screen closed or another window opened while typing";
    EXPECT_EQ(std::string(pilots[1]->Name().View()),
              std::string(kTextOfBoundKeys).substr(0, kPlayerNameLength));
    EXPECT_EQ(std::string(pilots[0]->Name().View()), "Tera");
}

INSTANTIATE_TEST_SUITE_P(BoundKeysAndPointer, TypedPilotNameTest,
                         testing::ValuesIn(TypingCases({"PointerOnClose", "PointerAway"})), NameOfCase);

}  // namespace
