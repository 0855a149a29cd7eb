// The player screen and the ship information window driven by injected clicks, typing and Escape:
// the pages, raising skills, renaming, and the characteristics of a ship.
#include "screens/player_screen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "foundation/engine_string.h"
#include "platform/key_table.h"
#include "screens/ship_info_window.h"
#include "script/object_manager.h"
#include "script/script_object.h"
#include "shell/input_device.h"
#include "tests/support/game_harness.h"
#include "tests/support/pilot_fixture.h"
#include "ui/control.h"
#include "ui/list_box.h"
#include "ui/text_controls.h"
#include "ui/window_services.h"
#include "world/event_manager.h"
#include "world/player.h"
#include "world/ship.h"
#include "world/skills.h"

namespace {

constexpr const char* kHelpKeys[] = {"HELP_PLAYERSCREEN_INFO", "HELP_PLAYERSCREEN_QUEST",
                                     "HELP_PLAYERSCREEN_DEEDS", "HELP_PLAYERSCREEN_ACHIEVEMENT",
                                     "HELP_PLAYERSCREEN_SKILLS"};
static_assert(std::size(kHelpKeys) == kPlayerTabIds.size());

std::string Text(const String& text) {
    return std::string(text.Text(), text.Size());
}

class PlayerScreenTest : public ::testing::Test {
  protected:
    PlayerScreenTest() {
        for (const char* picture :
             {"Misc\\SchemaLine.dpf", "Misc\\Stars.dpf", "Misc\\Up.dpf", "Misc\\Down.dpf"})
            game.AddPicture(picture);
        for (const char* font : {"EventsList", "Chars", "Description"}) game.AddFont(font);
        const std::vector<MessageText> texts = {
            {102, "Close"},  {117, "OK"},         {120, "Yes"},   {121, "No"},     {380, "Info"},
            {381, "Quests"}, {382, "Deeds"},      {383, "Feats"}, {384, "Skills"}, {390, "Money"},
            {310, "cr"},     {411, "Experience"}, {410, "Next"},  {480, "Level"},  {470, "Points"},
            {302, "Class"},  {303, "Value"},      {171, "Speed"}, {301, "Mass"}};
        game.AddMessages("system.mes", texts);
        // Skills that cost what is given to raise (0: never).
        for (const auto& [name, cost] :
             {std::pair<const char*, int32_t>{"Cheap", 2}, {"Locked", 0}, {"Dear", 50}, {"Refund", -3}})
            game.AddClass(
                {.name = name,
                 .base = "Skill",
                 .virtuals = {
                     {3, PushTextWords(name)}, {4, PushTextWords("About it")}, {8, PushIntWords(cost)}}});
        AddPilotClasses(game);
        std::string longText;  // many words: many lines in any box
        for (int i = 0; i < 150; ++i) longText += "word ";
        for (const auto& [name, description] :
             {std::pair<const char*, std::string>{"ShortShip", "Fast."}, {"LongShip", longText}})
            game.AddClass({.name = name,
                           .base = "Ship",
                           .virtuals = {{3, PushTextWords(name)}, {4, PushTextWords(description)}},
                           .createValues = {0, 100, 0, 0, 0, 1, 1, 1, 0, 0, 0, 0, 0, 0}});
        game.Start();
        for (const char* name : {"Tera", "Vola"}) {
            auto* pilot = new PlayerObject(game.Class("Player"));
            pilot->SetName(String(name));
            pilot->SetInput(std::make_unique<InputDevice>());
            pilot->Input()->SetMouseEnabled(true);
            game.Players().AppendObject(pilot);
            pilots.push_back(pilot);
        }
        game.Players().Seek(0);
        for (const char* key : kHelpKeys)
            EventManager::RecordEventAll(game.Cpu(), String(key), 0, String(""), 0);
    }

    // The first point (row by row) around the control with the id where it is the control the
    // pointer finds: the topmost one there.
    static bool FindPoint(DialogWindow& window, int32_t id, int32_t& px, int32_t& py) {
        ControlObject* target = window.FindControl(id);
        if (target == nullptr) return false;
        // Text controls are aligned on their place: the box lies within one size of it.
        const int32_t w = std::abs(target->Width());
        const int32_t h = std::abs(target->Height());
        const int32_t x0 = target->AbsoluteX();
        const int32_t y0 = target->AbsoluteY();
        for (py = y0 - h; py <= y0 + h; ++py)
            for (px = x0 - w; px <= x0 + w; ++px)
                for (uint32_t k = window.ControlCount(); k-- > 0;) {
                    ControlObject* control = window.ControlAt(k);
                    if (control == nullptr || !control->HitTest(px, py)) continue;
                    if (control == target) return true;
                    break;
                }
        return false;
    }
    // A press and release of the first button on the control with the id, as the screen shows it
    // when the time comes.
    void ClickControl(uint32_t time, DialogWindow& window, int32_t id) {
        game.At(time, [this, &window, id] {
            int32_t x = 0;
            int32_t y = 0;
            ASSERT_TRUE(FindPoint(window, id, x, y)) << "control " << id << " is nowhere";
            game.MovePointer(x, y);
            game.SetButton(VK_LBUTTON, true);
        });
        game.At(time + 80, [this] { game.SetButton(VK_LBUTTON, false); });
    }
    // Clicks on the controls, 400 ms apart, from now on; then the close button.
    void Clicks(DialogWindow& window, const std::vector<int32_t>& ids) {
        uint32_t t = game.Now();
        for (int32_t id : ids) ClickControl(t += 400, window, id);
        ClickControl(t + 400, window, kPlayerCloseId);
    }
    // Runs a window over a new caller, which `show` opens and Escape closes 400 ms on, after `look`
    // has seen it. The caller is busy while it runs and free after.
    int32_t RunOver(const std::function<void(DialogWindow&)>& show, const std::function<void()>& look) {
        DialogWindow caller(&game.Cpu(), &game.Screen(), EngineCursor(game.Cpu()));
        bool busy = false;
        caller.SetCallback([&](DialogWindow& w, int32_t event, int32_t, int32_t) {
            if (event != kEventStart) return;
            game.At(game.Now() + 400, [&] {
                busy = w.ChildOpen();
                look();
                game.TypeChar(VK_ESCAPE);
            });
            show(w);
            w.SetResult(7);
        });
        const int32_t result = caller.Run(Device());
        EXPECT_TRUE(busy);
        EXPECT_FALSE(caller.ChildOpen());
        return result;
    }

    // The rows of the screen's list box, sorted.
    static std::vector<std::string> ListRows(DialogWindow& window) {
        std::vector<std::string> rows;
        auto& list = ListBoxObject::Of(window.FindControl(kPlayerListBoxId));
        for (ControlObject* row : list.Children())
            if (auto* text = dynamic_cast<StaticTextObject*>(row)) rows.push_back(Text(text->Text()));
        std::sort(rows.begin(), rows.end());
        return rows;
    }
    void GiveSkill(PlayerObject& pilot, const char* cls, int32_t slot) {
        pilot.PlaceSkill(game.New(cls).release(), slot);
    }

    InputDevice& Device() { return *pilots[0]->Input(); }

    GameHarness game;
    std::vector<PlayerObject*> pilots;
};

TEST_F(PlayerScreenTest, EachTabShowsItsPageAndRecordsItsHelpKey) {
    PlayerObject& pilot = *pilots[0];
    pilot.SetMoneyTenths(1234);
    pilot.SetExperience(70);
    pilot.SetLevel(3);
    pilot.SetSkillPoints(0);
    GiveSkill(pilot, "Locked", 0);
    // Quests (kind 1), deeds (2) and feats (3), by key, text and state.
    EventManager::RecordEvent(&pilot, String("Q1"), 1, String("Find the beacon"), 0);
    EventManager::RecordEvent(&pilot, String("Q2"), 1, String("Closed quest"), 1);
    EventManager::RecordEvent(&pilot, String("D1"), 2, String("Saved a freighter"), 0);
    EventManager::RecordEvent(&pilot, String("D2"), 2, String("Won a race"), 5);
    EventManager::RecordEvent(&pilot, String("A1"), 3, String("First blood"), 2);

    struct Case {
        int32_t tab;
        int32_t page;
        std::vector<std::string> rows;  // sorted
    };
    const std::string threshold = std::to_string(PlayerObject::LevelThreshold(3));
    const Case cases[] = {
        {40,
         kPlayerInfoPage,
         {"Experience : $h70$h", "Level : $h3$h", "Money : $h123$hcr", "Next : $h" + threshold + "$h"}},
        {41, kPlayerQuestPage, {"Find the beacon"}},  // the closed quest is left out
        {42, kPlayerDeedsPage, {"Saved a freighter", "Won a race"}},
        {43, kPlayerAchievementsPage, {"First blood"}},
        {45, kPlayerSkillsPage, {}},  // the skills are rows of their own, beside the list
    };
    EventManager::RecordEventAll(game.Cpu(), String("DONTSHOWTIPS"), 0, String(""), 1);
    for (const Case& c : cases) {
        for (const char* key : kHelpKeys) EventManager::RemoveEventAll(game.Cpu(), String(key));
        PlayerScreen screen(game.Cpu(), &pilot);
        Clicks(screen, {45, c.tab});
        SCOPED_TRACE(c.tab);
        EXPECT_EQ(screen.Run(Device()), 1);
        EXPECT_EQ(screen.Page(), c.page);
        EXPECT_EQ(ListRows(screen), c.rows);
        // The current tab is a label, the others buttons. Each page's tips are asked for when it is
        // first shown: the first page's, the skills' and the current one's.
        for (size_t k = 0; k < kPlayerTabIds.size(); ++k) {
            const bool current = static_cast<int32_t>(k) == c.page;
            ControlObject* tab = screen.FindControl(kPlayerTabIds[k]);
            ASSERT_NE(tab, nullptr);
            EXPECT_EQ(dynamic_cast<TextButtonObject*>(tab) == nullptr, current);
            EXPECT_EQ(EventManager::AnyHasEvent(game.Cpu(), String(kHelpKeys[k])),
                      current || k == 0 || k + 1 == std::size(kHelpKeys))
                << kHelpKeys[k];
        }
        screen.ClearControls();
    }
}

TEST_F(PlayerScreenTest, ASkillIsRaisedOnlyWhenItsCostIsPositiveAndAffordable) {
    struct Case {
        const char* cls;
        int32_t points;
        bool button;  // shown as a button
        int32_t level, pointsAfter;
        std::string shown;  // the level beside the name, before the click
    };
    const Case cases[] = {
        {"Cheap", 5, true, 2, 3, "1 (2)"},
        {"Cheap", 2, true, 2, 0, "1 (2)"},
        {"Cheap", 1, false, 1, 1, "1 (2)"},
        {"Dear", 20, false, 1, 20, "1 (50)"},
        {"Locked", 9, false, 1, 9, "1"},
        {"Refund", 9, false, 1, 9, "1 (-3)"},  // a negative cost would hand out points
    };
    for (const Case& c : cases) {
        PlayerObject& pilot = *pilots[1];
        pilot.SetSkillPoints(c.points);
        GiveSkill(pilot, c.cls, 4);
        PlayerScreen screen(game.Cpu(), &pilot);
        std::string shownBefore;
        bool wasButton = false;
        uint32_t t = game.Now();
        ClickControl(t += 400, screen, 45);
        game.At(t += 300, [&] {
            wasButton =
                dynamic_cast<TextButtonObject*>(screen.FindControl(kPlayerSkillFirstId + 4)) != nullptr;
            // The level is the label right after the name.
            for (uint32_t k = 0; k + 1 < screen.ControlCount(); ++k)
                if (screen.ControlAt(k) != nullptr && screen.ControlAt(k)->Id() == kPlayerSkillFirstId + 4)
                    shownBefore = Text(StaticTextObject::Of(screen.ControlAt(k + 1)).Text());
        });
        ClickControl(t += 100, screen, kPlayerSkillFirstId + 4);
        ClickControl(t += 400, screen, kPlayerCloseId);
        screen.Run(Device());
        SCOPED_TRACE(testing::Message() << c.cls << " " << c.points);
        EXPECT_EQ(wasButton, c.button);
        EXPECT_EQ(shownBefore, c.shown);
        EXPECT_EQ(pilot.SkillAt(4)->Level(), c.level);
        EXPECT_EQ(pilot.SkillPoints(), c.pointsAfter);
        screen.ClearControls();
        DestroyObject(pilot.SkillAt(4));  // the slot is free for the next case
    }
}

// Commands naming a skill the page does not show, and a tenth name field, change nothing.
TEST_F(PlayerScreenTest, CommandsOutsideTheShownListsAreIgnored) {
    PlayerObject& pilot = *pilots[0];
    pilot.SetSkillPoints(10);
    GiveSkill(pilot, "Cheap", 0);
    PlayerScreen screen(game.Cpu(), &pilot);
    screen.Rebuild();
    for (int32_t id : {kPlayerSkillFirstId + 1, kPlayerSkillFirstId + 99, kPlayerSkillLastId}) {
        PlayerScreen::OnEvent(screen, kEventPrimary, 0, id);
        PlayerScreen::OnEvent(screen, kEventSecondary, 0, id);  // no description box opens
    }
    EXPECT_EQ(pilot.SkillPoints(), 10);
    EXPECT_EQ(pilot.SkillAt(0)->Level(), 1);
    // Name field 89 selects past the end of the list: the last pilot.
    PlayerScreen::OnEvent(screen, kEventPrimary, 0, kPlayerNameFirstId + 9);
    EXPECT_EQ(screen.Player(), pilots[1]);
    screen.ClearControls();
}

TEST_F(PlayerScreenTest, NamesAreCutToThirtyTwoCharactersAndKeptOnlyThroughTheCloseButton) {
    struct Case {
        const char* what;
        std::string before;
        std::string typed;
        bool escape;  // leave by Escape instead of the close button
        std::string after;
        int32_t result;
    };
    const Case cases[] = {
        {"appended", "Tera", "Nova", false, "TeraNova", 1},
        {"long name, full field", std::string(40, 'x'), "abc", false, std::string(32, 'x'), 1},
        {"typing stops at 32", "Tera", std::string(40, 'y'), false, "Tera" + std::string(28, 'y'), 1},
        {"Escape keeps the old name", "Tera", "Nova", true, "Tera", 0},
    };
    for (const Case& c : cases) {
        pilots[1]->SetName(String(c.before.c_str()));
        PlayerScreen screen(game.Cpu(), pilots[0]);
        EXPECT_EQ(Text(screen.NameCopy(1)), c.before.substr(0, 32)) << c.what;
        const int32_t field = kPlayerNameFirstId + 1;
        uint32_t t = game.Now();
        // A double click chooses the field for editing.
        ClickControl(t += 400, screen, field);
        ClickControl(t += 160, screen, field);
        game.At(t += 400, [this, &c] {
            for (char ch : c.typed) game.TypeChar(static_cast<uint8_t>(ch));
        });
        if (c.escape)
            game.At(t += 400, [this] { game.TypeChar(VK_ESCAPE); });
        else
            ClickControl(t += 400, screen, kPlayerCloseId);
        EXPECT_EQ(screen.Run(Device()), c.result) << c.what;
        EXPECT_EQ(Text(pilots[1]->Name()), c.after) << c.what;
        EXPECT_EQ(screen.Player(), pilots[1]) << c.what;  // clicking a name shows that pilot
        screen.ClearControls();
    }
}

// A script took the first pilot out of the players' list while the screen ran: each name still goes
// back to the pilot it was read from.
TEST_F(PlayerScreenTest, NamesGoBackToTheirPilotsWhereverTheListMovedThem) {
    PlayerScreen screen(game.Cpu(), pilots[0]);
    const int32_t field = kPlayerNameFirstId + 1;
    uint32_t t = game.Now();
    ClickControl(t += 400, screen, field);
    ClickControl(t += 160, screen, field);
    game.At(t += 400, [this] {
        for (char ch : std::string("Nova")) game.TypeChar(static_cast<uint8_t>(ch));
    });
    game.At(t += 200, [this] {
        game.Players().Seek(0);
        game.Players().RemoveCurrent(true);
    });
    ClickControl(t += 400, screen, kPlayerCloseId);
    EXPECT_EQ(screen.Run(Device()), 1);
    EXPECT_EQ(Text(pilots[1]->Name()), "VolaNova");
    EXPECT_EQ(Text(pilots[0]->Name()), "Tera");
    screen.ClearControls();
    DestroyObject(pilots[0]);
}

TEST_F(PlayerScreenTest, NameFieldsExistForTheFirstTenPilotsOnly) {
    // Ten more pilots than the two, then none at all.
    for (const auto& [added, fields] : {std::pair<int, size_t>{10, 10}, {-1, 0}}) {
        if (added < 0) game.Players().ClearList();
        for (int i = 0; i < added; ++i) game.Players().AppendObject(new PlayerObject(game.Class("Player")));
        PlayerScreen screen(game.Cpu(), added < 0 ? nullptr : pilots[0]);
        screen.Rebuild();
        EXPECT_EQ(screen.NameCount(), fields);
        for (int32_t i = 0; i <= kPlayerNameFields; ++i)
            EXPECT_EQ(screen.FindControl(kPlayerNameFirstId + i) != nullptr, static_cast<size_t>(i) < fields)
                << added << " " << i;
        screen.ClearControls();
    }
}

// Over a caller: the pilot under the list's cursor, the caller busy while the screen runs, and the
// star background gone with the screen.
TEST_F(PlayerScreenTest, ACallerRunsItForThePilotUnderTheCursor) {
    game.Players().Seek(1);
    EXPECT_EQ(RunOver(ShowPlayerScreen, [] {}), 7);
    EXPECT_EQ(game.Players().ObjectList().Current(), pilots[1]);
}

TEST_F(PlayerScreenTest, CharacteristicsShowValueCInWholeUnits) {
    GameObject ship = game.New(kShipClass);
    auto& shown = ShipObject::Of(ship.get());
    shown.SetInt(kShipValueA, 3);
    shown.SetInt(kShipValueB, 1500);
    for (const auto& [c, line] :
         {std::pair<int32_t, const char*>{250, "Speed = 2"}, {-250, "Speed = -2"}, {99, "Speed = 0"}}) {
        shown.SetInt(kShipValueC, c);
        EXPECT_EQ(
            Text(ShipCharacteristics(game.Cpu(), *ship)),
            "Class = 3\nValue = 1500\n" + std::string(line) + "\n\nMass = " + std::to_string(shown.Mass()));
    }
}

// The frame's top and bottom rows as the last frame shows them: its background is the only drawing
// in the column just inside its left edge.
std::pair<int, int> FrameRows(const std::vector<uint8_t>& frame) {
    int top = -1;
    int bottom = -1;
    for (int y = 0; y < 480; ++y) {
        const size_t at = (static_cast<size_t>(y) * 640 + 102) * 2;
        if (at + 1 >= frame.size() || (frame[at] == 0 && frame[at + 1] == 0)) continue;
        if (top < 0) top = y;
        bottom = y;
    }
    return {top, bottom};
}

// A longer description makes the window taller; it stays centred, and Escape closes it.
TEST_F(PlayerScreenTest, TheWindowFitsItsTextsCentredOverItsParent) {
    std::vector<int> heights;
    for (const char* cls : {"ShortShip", "LongShip"}) {
        GameObject ship = game.New(cls);
        std::pair<int, int> rows;
        EXPECT_EQ(RunOver([&](DialogWindow& w) { ShowShipInfo(w, *ship); },
                          [&] { rows = FrameRows(game.Host().Video().LastFrame()); }),
                  7)
            << cls;
        ASSERT_GE(rows.first, 0) << cls;
        EXPECT_LE(std::abs(rows.first - (479 - rows.second)), 1) << cls;
        heights.push_back(rows.second - rows.first);
    }
    EXPECT_GT(heights[1], heights[0] + 20);
}

}  // namespace
