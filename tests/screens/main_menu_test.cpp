// The main screen and its menu: the labels, the columns, every command reaching what it starts
// (test doubles stand in for whole games), the idle demo, quitting, and a game that fails.
#include "screens/main_menu.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "campaign/autosave.h"
#include "campaign/in_game_menu.h"
#include "campaign/screen_hooks.h"
#include "foundation/block_reader.h"
#include "foundation/exceptions.h"
#include "foundation/version_block.h"
#include "graphics/font.h"
#include "graphics/text_layout.h"
#include "platform/key_table.h"
#include "screens/main_screen.h"
#include "screens/menu_columns.h"
#include "script/object_lifetime.h"
#include "script/object_manager.h"
#include "shell/game_globals.h"
#include "shell/input_device.h"
#include "tests/support/error_message.h"
#include "tests/support/game_harness.h"
#include "tests/support/main_screen_content.h"
#include "tools/content/block_writer.h"
#include "tools/content/sound_builder.h"
#include "ui/dialog_window.h"
#include "ui/text_controls.h"
#include "ui/visual.h"
#include "ui/window_services.h"
#include "world/player.h"

namespace {

struct Shown {
    int32_t id, x, y;
    std::string text;
    bool operator==(const Shown&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Shown& s) {
    return out << "{" << s.id << ", " << s.x << ", " << s.y << ", " << s.text << "}";
}

std::string Text(const String& text) {
    return std::string(text.View());
}

void WriteFile(const std::string& name, const std::string& bytes) {
    std::filesystem::create_directories(std::filesystem::path(name).parent_path());
    std::ofstream(name, std::ios::binary) << bytes;
}

// Main column entry k (the captions end 20 pixels from the right edge, tops 50 apart).
constexpr int32_t kEntryX = 640 - 25;
constexpr int32_t EntryY(int k) {
    return 15 + 50 * k + 3;
}
// The answers of the quit question.
constexpr int32_t kYesX = 367, kNoX = 397, kAnswerY = 267;
const std::vector<int32_t> kMainColumn{40, 41, 56, 44, 43, 48, 42};
constexpr const char* kCampaign1 = "start Levels\\Campaign\\Campaign1Player.PCFG Campaign 0";

class MainMenuTest : public ::testing::Test {
  protected:
    MainMenuTest() {
        AddMainScreenContent(game);
        game.AddMessages("Misc\\Credits.mes", {{1, "The makers"}});
        game.Start();
        GameKeys().SetMouseEnabled(true);
        MainMenuGames& games = MenuGames();
        games.startGame = [this](Processor&, const String& file, const String& cls, int32_t n) {
            calls.push_back("start " + Text(file) + " " + Text(cls) + " " + std::to_string(n));
            if (failGame) ThrowFatal("The level broke");
        };
        games.loadDialog = [this](Processor&, InputDevice&) {
            calls.push_back("load screen");
            return String(chosenSave.c_str());
        };
        games.scenarioDialog = [this](Processor&, InputDevice&) {
            calls.push_back("scenario screen");
            return String(chosenScenario.c_str());
        };
        games.loadSave = [this](Processor&, const String& file) { calls.push_back("play " + Text(file)); };
        games.playDemo = [this](Processor&, const char* demo, const char* level, const char* players) {
            calls.push_back(std::string("demo ") + demo + " " + level + " " + players);
            if (onDemo) onDemo();
        };
        games.highScores = [this](Processor&, InputDevice&) { calls.push_back("scores"); };
        Screens().storyScreen = [this](Processor&, std::string_view text, uint32_t flags) {
            calls.push_back("story " + std::string(text) + " " + std::to_string(flags));
            if (failGame) ThrowFatal("The story broke");
        };
        Screens().screenOptions = [this](Processor&, InputDevice&, DialogWindow* parent) {
            calls.push_back(parent == window.get() ? "screen options" : "screen options elsewhere");
        };
        window = std::make_unique<DialogWindow>(&game.Cpu(), &game.Screen(), EngineCursor(game.Cpu()));
        window->SetCallback(MenuHandler);
        ResetMenuState();
    }
    ~MainMenuTest() override {
        window.reset();
        ResetMainMenuGames();
        DataVersion().SetWords(ProgramVersion().Words());
        SetLoadRequested(false);
    }

    void Choose(const std::vector<int32_t>& ids) {
        for (int32_t id : ids) MenuHandler(*window, kEventPrimary, 0, id);
    }
    // The texts of the menu entries (ids 40-99) or of the labels (id 0), in list order.
    std::vector<Shown> Texts(bool menu) {
        std::vector<Shown> shown;
        for (uint32_t i = 0; i < window->ControlCount(); ++i) {
            auto* text = dynamic_cast<StaticTextObject*>(window->ControlAt(i));
            if (text == nullptr || (text->Id() >= kFirstMenuId && text->Id() <= kLastMenuId) != menu)
                continue;
            shown.push_back({text->Id(), text->Int(kVisualX), text->Int(kVisualY), Text(text->Text())});
        }
        return shown;
    }
    std::vector<int32_t> ColumnIds() {
        std::vector<int32_t> ids;
        for (const Shown& s : Texts(true)) ids.push_back(s.id);
        return ids;
    }
    // A click of the first button at the time given.
    void ClickAt(uint32_t time, int32_t x, int32_t y) {
        game.At(time, [this, x, y] {
            game.MovePointer(x, y);
            game.SetButton(VK_LBUTTON, true);
        });
        game.At(time + 80, [this] { game.SetButton(VK_LBUTTON, false); });
    }
    // Quit and its question answered yes, from the time given.
    void QuitAt(uint32_t time) {
        ClickAt(time, kEntryX, EntryY(6));
        ClickAt(time + 400, kYesX, kAnswerY);
    }
    // A screen still up at the time given fails the test.
    void Deadline(uint32_t time) {
        game.At(time, [] { throw std::runtime_error("the screen is still up"); });
    }

    GameHarness game;
    std::unique_ptr<DialogWindow> window;
    std::vector<std::string> calls;
    std::string chosenSave;
    std::string chosenScenario;
    bool failGame = false;
    std::function<void()> onDemo;
};

TEST(FormatVersionTest, TheBuildIsShownOnlyWhenItIsNotZero) {
    const std::pair<VersionWords, const char*> cases[] = {
        {{1, 11, 0, 'b'}, "1.11b"}, {{1, 11, 3, 'a'}, "1.11.03a"}, {{2, 5, 12, 'c'}, "2.05.12c"}};
    for (const auto& [version, text] : cases) EXPECT_EQ(Text(FormatVersion(version)), text);
}

TEST_F(MainMenuTest, TheDataVersionIsShownOneLineAboveOnlyWhenItsNumberDiffers) {
    struct Case {
        const char* what;
        VersionWords data;
        std::vector<Shown> labels;
    };
    Font* font = game.FontNamed("Copyright");
    const int32_t line = TextHeight(*font, "A") + static_cast<int32_t>(font->LineGap());
    const Shown copyright{0, 5, 475, "(c) Dorn"}, program{0, 635, 475, "1.11b"};
    const Case cases[] = {
        {"another letter only", {1, 11, 0, 'c'}, {copyright, program}},
        {"another build", {1, 11, 3, 'b'}, {copyright, program, {0, 635, 475 - line, "1.11.03b"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        window->ClearControls();
        DataVersion().SetWords(c.data);
        BuildMainScreen(*window);
        EXPECT_EQ(Texts(false), c.labels);
        // The star field and the ship (at the centre) come first.
        EXPECT_EQ(window->ControlAt(1)->Int(kVisualX), 320);
        EXPECT_EQ(window->ControlAt(1)->Int(kVisualY), 240);
    }
}

TEST_F(MainMenuTest, ColumnsReplaceEachOtherAndKeepTheRestOfTheScreen) {
    BuildMainScreen(*window);
    const uint32_t others = window->ControlCount() - 7;
    EXPECT_EQ(Texts(true), (std::vector<Shown>{{40, 620, 15, "New game"},
                                               {41, 620, 65, "Load game"},
                                               {56, 620, 115, "Scores"},
                                               {44, 620, 165, "Demo"},
                                               {43, 620, 215, "Credits"},
                                               {48, 620, 265, "Options"},
                                               {42, 620, 315, "Quit"}}));
    struct Case {
        std::function<void()> show;
        std::vector<int32_t> ids;
        int32_t lastY;
    };
    const Case cases[] = {
        {[&] { ShowNewGameMenu(*window); }, {46, 47, 60, 45}, 165},
        {[&] { ShowOptionsMenu(*window); }, {49, 50, 45}, 115},
        {[&] { ShowPlayerCountMenu(*window, 0); }, {52, 45}, 65},
        {[&] { ShowPlayerCountMenu(*window, 1); }, {52, 45}, 65},
        {[&] { ShowPlayerCountMenu(*window, 2); }, {52, 53, 45}, 115},
        {[&] { ShowPlayerCountMenu(*window, 7); }, {52, 53, 54, 55, 45}, 215},
        {[&] { BuildMainMenu(*window); }, kMainColumn, 315},
    };
    for (const Case& c : cases) {
        c.show();
        EXPECT_EQ(ColumnIds(), c.ids);
        EXPECT_EQ(Texts(true).back().y, c.lastY);
        EXPECT_EQ(window->ControlCount() - c.ids.size(), others);
    }
}

TEST_F(MainMenuTest, EveryCommandReachesWhatItStarts) {
    WriteFile("Add/Test.scn", "TestScenario \"Levels\\Test.PCFG\"\n");
    WriteFile("Levels/Test.PCFG",
              SEBlock("PCFG", "") + SEBlock("OTHR", "") + SEBlock("PCFG", "") + SEBlock("PCFG", ""));
    struct Case {
        const char* what;
        std::vector<int32_t> ids;
        std::vector<std::string> calls;
        std::string scenario = "", save = "";
        bool loadRequested = false;                 // during a game
        std::vector<int32_t> column = kMainColumn;  // afterwards
    };
    const std::string scn = "Add\\Test.scn";
    const Case cases[] = {
        {"campaign", {40, 46, 52}, {kCampaign1}},
        {"campaign for 2", {40, 46, 53}, {"start Levels\\Campaign\\Campaign2Player.PCFG Campaign 0"}},
        {"arcade for 2", {40, 47, 53}, {"start Levels\\Arcade\\ArcadePlayers.PCFG ArcadeScenario 2"}},
        // A scenario's players are counted in its file.
        {"scenario", {40, 60}, {"scenario screen"}, scn, "", false, {52, 53, 54, 45}},
        {"scenario 3", {40, 60, 54}, {"scenario screen", "start Levels\\Test.PCFG TestScenario 3"}, scn},
        {"scenario cancelled", {40, 60}, {"scenario screen"}},
        {"save loaded", {41}, {"load screen", "play Saves\\1.gsf"}, "", "Saves\\1.gsf"},
        {"load cancelled", {41}, {"load screen"}},
        // A load asked for during a game is served when the main column is back.
        {"in game", {40, 46, 52}, {kCampaign1, "load screen", "play Saves\\2.gsf"}, "", "Saves\\2.gsf", true},
        {"credits", {43}, {"story The makers 1"}},
        {"high scores", {56}, {"scores"}},
        {"screen options", {48, 50}, {"screen options"}, "", "", false, {49, 50, 45}},
        {"back", {48, 45}, {}},
        {"ids 51, 58, 59 and 61 do nothing", {51, 58, 59, 61}, {}},
    };
    BuildMainScreen(*window);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        calls.clear();
        chosenSave = c.save;
        chosenScenario = c.scenario;
        BuildMainMenu(*window);
        SetLoadRequested(c.loadRequested);
        Choose(c.ids);
        EXPECT_EQ(calls, c.calls);
        EXPECT_EQ(ColumnIds(), c.column);
        EXPECT_FALSE(LoadRequested());
    }
}

// Each loaded game that asks for a load in its turn replaces what the one before made: given back at
// the next load, not when the main screen's loop turns again.
TEST_F(MainMenuTest, LoadsAskedForGameAfterGameHoldNoMoreThanAFew) {
    const ReleaseHold mainScreen;
    std::vector<size_t> waiting;
    GameObject previous;
    chosenSave = "Saves\\00000001.gsf";
    MenuGames().loadSave = [&](Processor&, const String&) {
        waiting.push_back(DestroyedAwaitingRelease());
        previous = game.New("Player");
        SetLoadRequested(waiting.size() < 12);
    };
    SetLoadRequested(true);
    BuildMainMenu(*window);
    previous.reset();
    ASSERT_EQ(waiting.size(), 12u);
    EXPECT_EQ(waiting.back(), waiting[4]);
}

TEST_F(MainMenuTest, ConfirmedInputSettingsRewriteKeysINPD) {
    BuildMainScreen(*window);
    for (const bool confirm : {false, true}) {
        std::vector<std::string> names;
        Screens().inputSettings = [&](Processor&, InputDevice& input, const std::vector<String>& given,
                                      const std::vector<InputDevice*>& copies) {
            EXPECT_EQ(&input, &GameKeys());
            for (const String& name : given) names.push_back(Text(name));
            copies.at(0)->Actions().SetCodes({'Q', 'W'});
            return confirm;
        };
        Choose({48, 49});
        EXPECT_EQ(names, std::vector<std::string>{"Keys set 1"});
        EXPECT_EQ(std::filesystem::exists("Keys.INPD"), confirm);
    }
    FileBlockReader reader;
    reader.Open(String("Keys.INPD"));
    InputDevice written;
    reader >> written;
    EXPECT_EQ(written.Actions().Count(), 2u);
    EXPECT_EQ(written.Actions().Code(1), uint32_t{'W'});
}

TEST(DemoForRandomTest, TheLowerHalfOfTheRandomNumbersPlaysTheFirstDemo) {
    const std::pair<int32_t, int32_t> cases[] = {{0, 1}, {16383, 1}, {16384, 2}, {32767, 2}};
    for (const auto& [r, demo] : cases) EXPECT_EQ(DemoForRandom(r), demo) << r;
}

TEST_F(MainMenuTest, TheDemoStartsOnThe1052ndRestReportInARow) {
    BuildMainScreen(*window);
    struct Case {
        const char* what;
        size_t demos;
        int32_t idle;
        std::vector<std::pair<int32_t, int>> events;  // event, times
    };
    const Case cases[] = {
        {"1051 do nothing", 0, 1051, {{kEventRest, 1051}}},
        {"the 1052nd starts it and the count starts again", 1, 0, {{kEventRest, 1052}}},
        {"drawing reports keep the count",
         1,
         0,
         {{kEventRest, 1000}, {kEventBeforeDraw, 5}, {kEventAfterDraw, 5}, {kEventRest, 52}}},
        {"a key starts the count again", 0, 1000, {{kEventRest, 1000}, {kEventKey, 1}, {kEventRest, 1000}}},
        {"a pointer move too", 0, 1051, {{kEventRest, 1051}, {kEventPointer, 1}, {kEventRest, 1051}}},
        {"twice", 2, 0, {{kEventRest, 2104}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ResetMenuState();
        calls.clear();
        for (const auto& [event, times] : c.events)
            for (int i = 0; i < times; ++i) MenuHandler(*window, event, 0, 0);
        EXPECT_EQ(calls.size(), c.demos);
        EXPECT_EQ(IdleTicks(), c.idle);
    }
}

TEST_F(MainMenuTest, LeftAloneTheRunningScreenPlaysADemo) {
    onDemo = [this] { QuitAt(game.Now() + 400); };
    Deadline(game.Now() + 60000);
    MainScreen();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].rfind("demo ", 0), 0u);
}

// Yes ends the screen; no and Escape keep it, which the credits then show.
TEST_F(MainMenuTest, QuitAsksFirst) {
    for (const int32_t answerX : {kYesX, kNoX, -1}) {  // -1: Escape
        SCOPED_TRACE(answerX);
        calls.clear();
        uint32_t t = game.Now();
        ClickAt(t += 400, kEntryX, EntryY(6));
        if (answerX < 0) game.At(t += 400, [this] { game.TypeChar(27); });
        if (answerX > 0) ClickAt(t += 400, answerX, kAnswerY);
        const bool ends = answerX == kYesX;
        if (!ends) {
            ClickAt(t += 400, kEntryX, EntryY(4));  // the credits
            QuitAt(t += 400);
        }
        Deadline(t + 20000);
        MainScreen();
        EXPECT_EQ(calls, ends ? std::vector<std::string>{} : std::vector<std::string>{"story The makers 1"});
        game.ReleaseKey(27);
    }
}

// An engine error of what a menu entry starts is not caught there: it leaves the main screen for the
// game thread's handler, which logs and shows it and ends the program.
TEST_F(MainMenuTest, EngineErrorsOfTheActionsLeaveTheMainScreen) {
    failGame = true;
    const struct {
        const char* what;
        std::vector<int32_t> ids;
        const char* error;
    } cases[] = {
        {"a game", {40, 46, 52}, "The level broke"},  // new game, campaign, one player
        {"the credits", {43}, "The story broke"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ResetMenuState();
        EXPECT_EQ(ErrorMessage([&] { Choose(c.ids); }), c.error);
    }
    EXPECT_EQ(game.Log(), "");
}

// The game's own demo call hands the three texts over in the order the demo player pops them (the
// recording is opened first, the players file after the loading screen), and while the demo flies
// the player's autosave is not written.
TEST_F(MainMenuTest, TheDemoFliesItsRecordingAndLeavesTheAutosaveAlone) {
    ResetMainMenuGames();
    const auto demo = [this] {
        return ErrorMessage([this] {
            MenuGames().playDemo(game.Cpu(), "Demo\\Demo 1\\Demo1.DEMO", "Level1",
                                 "Demo\\Demo 1\\Demo1.PCFG");
        });
    };
    EXPECT_NE(demo().find("Demo1.DEMO"), std::string::npos);

    WriteFile("Demo/Demo 1/Demo1.DEMO", "");
    WriteFile("Saves/-AutoSav.gsf", "the player's own");
    game.Players().AppendObject(new PlayerObject(game.Class("Player")));
    bool demoRunning = false;
    Screens().loadingScreen = [&](Processor& processor, int32_t) {
        demoRunning = DemoFlightRunning();
        AutoSave(processor);
    };
    EXPECT_NE(demo().find("Demo1.PCFG"), std::string::npos);
    EXPECT_TRUE(demoRunning);
    const auto autosave = [] {
        std::ifstream saved("Saves/-AutoSav.gsf", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(saved), {});
    };
    EXPECT_EQ(autosave(), "the player's own");
    AutoSave(game.Cpu());  // outside a demo it is written
    EXPECT_NE(autosave(), "the player's own");
}

// The main screen plays nothing, neither when it opens nor when a game started from it has ended,
// whatever music the archive holds.
TEST(MainScreenMusicTest, TheMainScreenPlaysNoMusic) {
    GameHarness game;
    AddMainScreenContent(game);
    game.AddEntry("Music\\Menu.mod", ModFile({"M.K.", 4}));
    game.Start();
    GameKeys().SetMouseEnabled(true);
    int games = 0;
    MenuGames().startGame = [&games](Processor&, const String&, const String&, int32_t) { ++games; };
    const auto click = [&game](uint32_t time, int32_t x, int32_t y) {
        game.At(time, [&game, x, y] {
            game.MovePointer(x, y);
            game.SetButton(VK_LBUTTON, true);
        });
        game.At(time + 80, [&game] { game.SetButton(VK_LBUTTON, false); });
    };
    // New game, campaign, one player (the first entry of each column), then quit and yes.
    for (uint32_t k = 0; k < 3; ++k) click(500 + 500 * k, kEntryX, EntryY(0));
    click(2500, kEntryX, EntryY(6));
    click(2900, kYesX, kAnswerY);
    game.At(8000, [] { throw std::runtime_error("the screen is still up"); });
    EXPECT_EQ(ErrorMessage([] { MainScreen(); }), "no error");
    game.SettleSound();
    EXPECT_EQ(games, 1);
    const std::vector<std::string> calls = game.AudioCalls();
    EXPECT_EQ(std::count_if(calls.begin(), calls.end(),
                            [](const std::string& c) { return c.starts_with("PlayLooped"); }),
              0);
    ResetMainMenuGames();
}

}  // namespace
