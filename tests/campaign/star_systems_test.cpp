#include "campaign/star_systems.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "campaign/date_steps.h"
#include "campaign/game_manager.h"
#include "campaign/planet.h"
#include "campaign/save_game.h"
#include "campaign/scene_reset.h"
#include "campaign/star_system_window.h"
#include "foundation/exceptions.h"
#include "graphics/color_manager.h"
#include "graphics/display.h"
#include "graphics/image.h"
#include "graphics/screen_surface.h"
#include "platform/key_table.h"
#include "script/method_runner.h"
#include "script/native_args.h"
#include "script/object_lifetime.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "script/sspl_block.h"
#include "script/weak_object.h"
#include "script/zema_class.h"
#include "shell/game_ids.h"
#include "shell/input_device.h"
#include "tests/support/error_message.h"
#include "tests/support/galaxy_table.h"
#include "tests/support/game_harness.h"
#include "tests/support/hostile_scripts.h"
#include "tests/support/pilot_fixture.h"
#include "tools/content/block_writer.h"
#include "tools/content/script_assembler.h"
#include "ui/dialog_window.h"
#include "ui/script_dialog.h"
#include "ui/text_controls.h"
#include "ui/ui_objects.h"
#include "ui/window_services.h"
#include "world/option.h"
#include "world/player.h"
#include "world/player_config.h"
#include "world/ship.h"
#include "world/slot.h"
#include "world/supply.h"

namespace {

int32_t IntHypotOf(int32_t x, int32_t y) {
    return static_cast<int32_t>(std::sqrt(static_cast<double>(x * x + y * y)));
}

void ExpectError(const std::function<void()>& f, const std::string& text) {
    const std::string message = ErrorMessage(f);
    EXPECT_NE(message.find(text), std::string::npos) << message;
}

// The planets each test window class holds.
const PlanetsByWindow kPlanets = {
    {"HomeSystem",
     {{"Alpha", 100, 100, 1}, {"Beta", 110, 100, 2}, {"Gamma", 105, 100, 3}, {"Delta", 102, 100, 4, 0}}},
    {"FarSystem", {{"Epsilon", 50, 50, 1}, {"Zeta", 60, 50, 2}}},
    {"EmptySystem", {}},
};

struct SystemEntry {
    StarSystemFacts facts;
    std::string windowClass;
    std::string shownName;
};

const std::vector<SystemEntry> kThreeSystems = {
    {{.name = "Sol", .x = 10, .y = 20, .description = "Galaxy\\Sol.txt"}, "HomeSystem", "Sun System"},
    {{.name = "Vega", .x = 40, .y = 60, .description = "Galaxy\\Vega.txt"}, "FarSystem", "Vega Cluster"},
    {{.name = "Void", .x = -5, .y = 7, .description = "Galaxy\\Void.txt"}, "EmptySystem", "The Void"},
};

// A game whose archive holds the table "Galaxy.ssy", its description entries and message files,
// a star-system picture of pictureEntries entries, the test window classes and their planets.
class GalaxyGame {
  public:
    explicit GalaxyGame(const std::vector<std::string>& children = {}, uint32_t pictureEntries = 4,
                        const std::vector<SystemEntry>& systems = kThreeSystems) {
        std::vector<std::string> table = children;
        if (children.empty())
            for (const SystemEntry& s : systems) table.push_back(StarSystemBlock(s.facts));
        game.AddEntry("Galaxy.ssy", StarSystemTable(table));
        for (size_t i = 0; i < systems.size(); ++i) {
            const std::string file = "Galaxy" + std::to_string(i) + ".mes";
            game.AddEntry(systems[i].facts.description, StarSystemDescription(systems[i].windowClass, file));
            game.AddMessages(file, {{1, systems[i].shownName}});
        }
        game.AddPicture(kStarSystemPicturesName, {.entries = pictureEntries});
        game.AddMessages("system.mes", {{117, "Yes"},
                                        {119, "Stay"},
                                        {120, "Go"},
                                        {121, "Skip"},
                                        {190, "Galaxy"},
                                        {351, "No fuel"},
                                        {481, "Really?"},
                                        {490, "Min"},
                                        {491, "Hour"},
                                        {492, "2 Hours"},
                                        {493, "Day"}});
        for (const auto& [windowClass, planets] : kPlanets) {
            game.AddClass({.name = windowClass, .base = "StarSystemZoomed"});
            for (const TestPlanet& p : planets) {
                game.AddClass({.name = "Planet" + p.name,
                               .base = "Planet",
                               .virtuals = {{15, PushTextWords("Hint " + p.name)},
                                            {17, PushTextWords(p.name)},
                                            {18, PushIntWords(p.noQuestion)},
                                            {19, PushIntWords(1)},
                                            {20, PushIntWords(1)}}});
            }
        }
        // A planet whose name deletes it.
        game.AddClass({.name = "Ghost",
                       .base = "Planet",
                       .virtuals = {{17, CodeWords({DeleteSelfWords(), PushTextWords("Ghost")})}}});
        // A window whose destruction fails: method 999 of its base does not exist.
        game.AddClass(
            {.name = "DoomedSystem", .base = "StarSystemZoomed", .virtuals = {{0, {BaseCallWord(999)}}}});
        AddPilotClasses(game);
        game.Start();
        std::filesystem::create_directory("Saves");  // where travel autosaves
        MakeWindowsHoldPlanets(game, kPlanets);
        game.Keep(kGameManagerId, game.New("GameManager"));
    }

    void Load(const std::string& entry = "Galaxy.ssy") {
        game.Cpu().DataStack().Push(game.Text(entry));
        LoadStarSystems(game.Cpu());
    }
    StarSystemList& List() { return StarSystemList::Of(game.Cpu()); }

    // A pilot whose ship's energy source holds the charge, in the player list.
    AkbObject& AddPilot(int32_t charge) {
        GameObject player = game.New("Player");
        auto& pilot = dynamic_cast<PlayerObject&>(*player);
        ScriptObject* ship = game.New(kShipClass).release();
        pilot.SetShip(ship, 0);
        auto* cell = dynamic_cast<AkbObject*>(game.New(kCellClass).release());
        ShipObject::Of(ship).SlotAt(kEnergyGroup, 0)->SetObject(cell);
        cell->SetCharge(charge);
        game.Players().AppendObject(player.release());
        return *cell;
    }

    int32_t Days() { return GameManagerObject::Get(game.Cpu()).GameTime().Date(); }

    GameHarness game;
};

TEST(StarSystemTableTest, AGalaxyOfThreeSystemsIsReadInFileOrder) {
    GalaxyGame t;
    t.Load();
    StarSystemList& list = t.List();
    ASSERT_EQ(list.Count(), 3u);
    EXPECT_EQ(list.NextNumber(), 1003);
    Image* pictures = t.game.Picture(kStarSystemPicturesName);
    for (uint32_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        StarSystemRecord* record = list.At(i);
        ASSERT_NE(record, nullptr);
        const SystemEntry& expected = kThreeSystems[i];
        EXPECT_EQ(record->Id(), 1000 + static_cast<int32_t>(i));
        EXPECT_EQ(record->Name().View(), *expected.facts.name);
        EXPECT_EQ(record->DisplayName().View(), expected.shownName);
        EXPECT_EQ(record->Int(kVisualX), expected.facts.x);
        EXPECT_EQ(record->Int(kVisualY), expected.facts.y);
        EXPECT_EQ(record->Picture(), pictures->EntryAt(static_cast<int32_t>(i)));
        EXPECT_EQ(record->Class(), t.game.Class("StarSystem"));
    }
    EXPECT_EQ(t.game.Object(kStarSystemListId), &list);
}

TEST(StarSystemTableTest, FindTakesTheLastMatchAndFallsBackToTheFirst) {
    std::vector<SystemEntry> systems = kThreeSystems;
    systems[2].facts.name = "Sol";
    GalaxyGame t({}, 4, systems);
    t.Load();
    struct Case {
        const char* name;
        int32_t id;
    };
    const Case cases[] = {{"Sol", 1002}, {"Vega", 1001}, {"Nowhere", 1000}, {"", 1000}, {"sol", 1000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StarSystemRecord* found = t.List().Find(c.name);
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(found->Id(), c.id);
    }
}

TEST(StarSystemTableTest, OtherChildrenAndMissingNamesAreTakenAsTheyCome) {
    GalaxyGame t({SEBlock("JUNK", "x"), StarSystemBlock({.x = 1, .y = 2, .description = "Galaxy\\Sol.txt"}),
                  StarSystemBlock(kThreeSystems[1].facts)},
                 1);
    t.Load();
    ASSERT_EQ(t.List().Count(), 2u);
    EXPECT_EQ(t.List().At(0)->Id(), 1000) << "the other child took no number";
    EXPECT_TRUE(t.List().At(0)->Name().Empty());
    EXPECT_EQ(t.List().At(0)->DisplayName().View(), "Sun System");
    EXPECT_EQ(t.List().At(1)->Picture(), t.game.Picture(kStarSystemPicturesName)->EntryAt(0));
}

TEST(StarSystemTableTest, DamagedTablesGiveEngineErrorsAndStoreNothing) {
    BlockWriter unterminated;
    unterminated.tag = "SSYF";
    unterminated.payload = "Galaxy\\Sol.txt";
    unterminated.headerFields = LeU32(3) + LeU32(4);
    unterminated.subBlocks = {SEBlock("NAME", "Sol")};
    struct Case {
        const char* what;
        std::vector<std::string> children;
        uint32_t pictureEntries;
        const char* error;  // empty: loads
        const char* name;
    };
    const Case cases[] = {
        {"no star system at all", {SEBlock("JUNK", "x")}, 4, "No star system in \"Galaxy.ssy\"", ""},
        {"a description entry that is missing",
         {StarSystemBlock({.name = "Lost", .description = "Galaxy\\Lost.txt"})},
         4,
         "Galaxy\\Lost.txt",
         ""},
        {"texts without their terminator end at their payload", {unterminated.SC()}, 4, "", "Sol"},
        {"a picture without entries stands for every system",
         {StarSystemBlock(kThreeSystems[0].facts)},
         0,
         "",
         "Sol"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GalaxyGame t(c.children, c.pictureEntries);
        if (*c.error != '\0') {
            ExpectError([&] { t.Load(); }, c.error);
            EXPECT_EQ(t.game.Object(kStarSystemListId), nullptr);
            continue;
        }
        t.Load();
        StarSystemRecord* record = t.List().At(0);
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->Name().View(), c.name);
        EXPECT_EQ(record->DescriptionEntry().View(), "Galaxy\\Sol.txt");
        if (c.pictureEntries == 0) {
            EXPECT_EQ(record->Picture(), t.game.Picture(kStarSystemPicturesName));
        }
    }
}

TEST(StarSystemLocationTest, EnteringCorrectsTheLocationToWhatWasEntered) {
    struct Case {
        const char* system;
        const char* planet;
        const char* enteredSystem;
        const char* enteredPlanet;
    };
    const Case cases[] = {
        {"Sol", "Gamma", "Sol", "Gamma"},   {"Vega", "Epsilon", "Vega", "Epsilon"},
        {"Nowhere", "Beta", "Sol", "Beta"}, {"Sol", "Atlantis", "Sol", "Delta"},
        {"", "", "Sol", "Delta"},
    };
    GalaxyGame t;
    t.Load();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.system) + "/" + c.planet);
        auto* location = new SSPLBlock();
        t.game.Keep(kCurrentLocationId, GameObject(location));
        location->SetNames(c.system, c.planet);
        EnterCurrentLocation(t.game.Cpu(), *location);
        EXPECT_EQ(location->First(), c.enteredSystem);
        EXPECT_EQ(location->Second(), c.enteredPlanet);
        auto* current = StarSystemZoomedObject::AsWindow(t.game.Object(kStarSystemWindowId));
        ASSERT_NE(current, nullptr);
        EXPECT_EQ(t.game.Object(kStarSystemViewId), nullptr) << "the window moved from 20 to 17";
        EXPECT_EQ(current->Name().View(), c.enteredSystem);
        ASSERT_NE(current->SelectedPlanet(), nullptr);
        EXPECT_EQ(current->DisplayName().View(), t.List().Find(c.enteredSystem)->DisplayName().View());
    }
}

TEST(StarSystemLocationTest, AWindowWithoutPlanetsIsAnEmptySystem) {
    GalaxyGame t;
    t.Load();
    SSPLBlock location;
    location.SetNames("Void", "Anything");
    ExpectError([&] { EnterCurrentLocation(t.game.Cpu(), location); }, "Star system is empty!");
    EXPECT_EQ(location.First(), "Void") << "a failed entry rewrites nothing";
}

TEST(StarSystemLocationTest, OpeningAWindowReplacesTheLastOneButNeverTheCurrentOne) {
    GalaxyGame t;
    t.Load();
    Processor& cpu = t.game.Cpu();
    StarSystemZoomedObject* first = t.List().Find("Sol")->CreateView(cpu);
    const WeakObject firstAlive(first);
    EXPECT_EQ(t.game.Object(kStarSystemViewId), first);
    StarSystemZoomedObject* second = t.List().Find("Vega")->CreateView(cpu);
    EXPECT_EQ(firstAlive.Get(), nullptr) << "the window last opened goes";
    EXPECT_EQ(second->Name().View(), "Vega");
    EXPECT_EQ(second->DisplayName().View(), "Vega Cluster");

    // A window that is the current one as well as the last opened stays current.
    cpu.Objects().SetObject(second, kStarSystemWindowId);
    StarSystemZoomedObject* third = t.List().Find("Sol")->CreateView(cpu);
    EXPECT_EQ(t.game.Object(kStarSystemWindowId), second);
    EXPECT_EQ(t.game.Object(kStarSystemViewId), third);
}

TEST(StarSystemLocationTest, AnErrorOfTheReplacedWindowsDestructionReachesWhoOpensTheNextOne) {
    std::vector<SystemEntry> systems = kThreeSystems;
    systems.push_back(
        {{.name = "Doom", .x = 1, .y = 1, .description = "Galaxy\\Doom.txt"}, "DoomedSystem", "Doom"});
    GalaxyGame t({}, 4, systems);
    t.Load();
    Processor& cpu = t.game.Cpu();
    StarSystemZoomedObject* doomed = t.List().Find("Doom")->CreateView(cpu);
    const WeakObject doomedAlive(doomed);
    const std::string failure = ErrorMessage([&] { t.game.CallVirtual(doomed, 0); });
    ASSERT_NE(failure, "no error");

    EXPECT_EQ(ErrorMessage([&] { t.List().Find("Sol")->CreateView(cpu); }), failure);
    EXPECT_EQ(doomedAlive.Get(), nullptr) << "destroyed all the same";
    EXPECT_EQ(t.game.Object(kStarSystemViewId), nullptr) << "nothing opened over the error";
}

TEST(StarSystemLocationTest, APlanetItsOwnNameDeletesIsPassedOver) {
    GalaxyGame t;
    t.Load();
    StarSystemZoomedObject* window = t.List().Find("Sol")->CreateView(t.game.Cpu());
    window->Window().AddControl(t.game.New("Ghost", {9, 100, 100, 0}).release(), kListOwned);
    EXPECT_EQ(ErrorMessage([&] { window->SelectPlanet("Nowhere"); }), "no error");
    ASSERT_NE(window->SelectedPlanet(), nullptr);
    EXPECT_EQ(Planet::CallGetName(window->SelectedPlanet()).View(), "Delta") << "the last planet there is";
}

TEST(StarSystemTableTest, TheSystemsGoWithTheirList) {
    GalaxyGame t;
    t.Load();
    std::vector<WeakObject> systems;
    for (uint32_t i = 0; i < t.List().Count(); ++i) systems.emplace_back(t.List().At(i));
    // What native code holds keeps its memory, not its life.
    const ReleaseHold hold;
    t.game.Cpu().Objects().SetObject(nullptr, kStarSystemListId);
    for (const WeakObject& system : systems) EXPECT_EQ(system.Get(), nullptr);
}

TEST(StarSystemLocationTest, TheSceneResetReopensWindowsThroughTheHook) {
    GalaxyGame t;
    t.Load();
    const SystemViewHooks& hooks = SystemViewHook();
    ASSERT_TRUE(hooks.open);
    EXPECT_EQ(hooks.open(t.game.Cpu(), "Nowhere", ""), nullptr) << "only a system of that name";
    GameObject opened(hooks.open(t.game.Cpu(), "Vega", "Zeta"));
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(t.game.Object(kStarSystemViewId), nullptr) << "the caller stores it";
    String system;
    String planet;
    hooks.describe(*opened, system, planet);
    EXPECT_EQ(system.View(), "Vega");
    EXPECT_EQ(planet.View(), "Zeta");
}

// The home system's window shown and current, with Alpha selected, and pilots with the charges.
class TravelTest : public ::testing::Test {
  protected:
    void Enter(const std::vector<int32_t>& charges) {
        t.Load();
        location = new SSPLBlock();
        t.game.Keep(kCurrentLocationId, GameObject(location));
        location->SetNames("Sol", "Alpha");
        EnterCurrentLocation(t.game.Cpu(), *location);
        window = StarSystemZoomedObject::AsWindow(t.game.Object(kStarSystemWindowId));
        // The window the player runs is object 20 as well as the current one.
        t.game.Cpu().Objects().SetObject(window, kStarSystemViewId);
        for (int32_t charge : charges) cells.push_back(&t.AddPilot(charge));
    }
    ControlObject& PlanetWithId(int32_t id) { return *window->Window().FindControl(id); }
    std::string Selected() { return Planet::CallGetName(window->SelectedPlanet()).Text(); }

    GalaxyGame t;
    SSPLBlock* location = nullptr;
    StarSystemZoomedObject* window = nullptr;
    std::vector<AkbObject*> cells;
};

TEST_F(TravelTest, TripsCostFuelFromEveryShipAndDaysByDistance) {
    struct Case {
        int32_t planet;  // from Alpha at (100, 100)
        std::vector<int32_t> charges;
        std::vector<int32_t> left;
        int32_t days;
    };
    const Case cases[] = {
        {2, {2000}, {0}, 3},              // distance 10: 2000 hundredths, 10 div 3 days
        {2, {5000, 2000}, {3000, 0}, 3},  // each ship pays in full
        {2, {2500, 100}, {500, 0}, 3},    // the largest total decides; a poorer ship is emptied
        {3, {1000}, {0}, 1},              // distance 5
    };
    Enter({});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.planet);
        t.game.Players().ClearList();
        cells.clear();
        for (int32_t charge : c.charges) cells.push_back(&t.AddPilot(charge));
        window->SetSelectedPlanet(&PlanetWithId(1));
        window->Window().SetResult(kNoResult);
        const int32_t before = t.Days();
        EXPECT_EQ(ErrorMessage([&] { TravelToPlanet(t.game.Cpu(), *window, PlanetWithId(c.planet)); }),
                  "no error");
        EXPECT_EQ(window->Window().Result(), kSystemResultTravelled);
        EXPECT_EQ(t.Days() - before, c.days);
        for (size_t i = 0; i < cells.size(); ++i) EXPECT_EQ(cells[i]->Charge(), c.left[i]) << i;
        EXPECT_EQ(window->SelectedPlanet(), &PlanetWithId(c.planet));
        EXPECT_TRUE(std::filesystem::exists("Saves/-AutoSav.gsf")) << "the trip autosaved first";
        std::filesystem::remove("Saves/-AutoSav.gsf");
    }
}

TEST_F(TravelTest, TheReachIsTheLargestTotalOfAnyShip) {
    Enter({1500, 2000, 700});
    EXPECT_EQ(LargestFuelTotal(t.game.Cpu()), 2000);
    TakeFuel(t.game.Cpu(), 1000);
    EXPECT_EQ(cells[0]->Charge(), 500);
    EXPECT_EQ(cells[1]->Charge(), 1000);
    EXPECT_EQ(cells[2]->Charge(), 0);
}

TEST_F(TravelTest, RefusalsLeaveEverythingAsItWas) {
    struct Case {
        const char* what;
        int32_t charge;
        int32_t planet;
    };
    const Case cases[] = {
        {"too little fuel: 2000 needed for Beta", 1999, 2},
        {"the question before Delta answered no", 1000, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Enter({c.charge});
        InputDevice device;
        device.SetMouseEnabled(true);
        const int32_t before = t.Days();
        DialogWindow& dialog = window->Window();
        dialog.PostMessage(kEventPrimary, 0, c.planet);
        dialog.PostMessage(kEventPrimary, 0, 22);
        // Escape closes the box with answer 0.
        t.game.At(t.game.Now() + 200, [&] { t.game.TypeChar(27); });
        EXPECT_EQ(dialog.Run(device), kSystemResultStay);
        EXPECT_EQ(cells.back()->Charge(), c.charge);
        EXPECT_EQ(t.Days(), before);
        EXPECT_EQ(Selected(), "Alpha");
        t.game.Players().ClearList();
    }
}

TEST_F(TravelTest, CommandsEndTheWindowOrChooseTheDateStep) {
    Enter({});
    window->BuildControls();
    DialogWindow& dialog = window->Window();
    struct Case {
        int32_t id;
        int32_t result;
    };
    const Case cases[] = {
        {10, kSystemResultGalaxy}, {22, kSystemResultStay}, {493, kNoResult}, {777, kNoResult}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        dialog.SetResult(kNoResult);
        t.game.CallVirtual(window, kDialogEventVirtual, {kEventPrimary, 0, static_cast<uint32_t>(c.id)});
        EXPECT_EQ(dialog.Result(), c.result);
    }
    EXPECT_EQ(DateStepCode(GameManagerObject::Get(t.game.Cpu()).DateStep()), 4);
    t.game.CallVirtual(window, kDialogEventVirtual, {kEventPointer, 0, 3});
    EXPECT_EQ(dialog.Hint().View(), "Hint Gamma") << "a planet under the pointer gives the hint";
    EXPECT_EQ(dialog.Result(), kNoResult);
    const uint32_t chosen = ColourEntryAddress(window, 3);
    const uint32_t normal = ColourEntryAddress(window, 1);
    for (int32_t id = 490; id <= 493; ++id)
        EXPECT_EQ(dialog.FindControl(id)->Own(kTextColour), id == 493 ? chosen : normal) << id;
}

TEST_F(TravelTest, TheReachCircleHasADotPerPixelOfRadius) {
    Enter({});
    const uint16_t reach = t.game.Colours().Colour(7);
    ASSERT_NE(reach, 0);
    for (const int32_t charge : {2000, 1000, 199}) {
        SCOPED_TRACE(charge);
        t.game.Players().ClearList();
        t.AddPilot(charge);
        const int32_t radius = charge / 200;
        t.game.Screen().LockSurface();
        t.game.Screen().Surface()->Fill(0);
        window->DrawWindowControls();
        // Round the selected planet at (100, 100): radius dots, each about radius away (the dots'
        // offsets are cut toward zero, up to a pixel each way; the start angle turns each time).
        int32_t dots = 0;
        for (int32_t y = 100 - 12; y <= 100 + 12; ++y) {
            for (int32_t x = 100 - 12; x <= 100 + 12; ++x) {
                uint16_t pixel = 0;
                std::memcpy(&pixel, t.game.Screen().Surface()->PixelAddress(x, y), 2);
                if (pixel != reach) continue;
                ++dots;
                const int32_t away = IntHypotOf(x - 100, y - 100);
                EXPECT_GE(away, radius - 2);
                EXPECT_LE(away, radius);
            }
        }
        t.game.Screen().Surface()->Unlock();
        EXPECT_EQ(dots, radius);
    }
}

TEST_F(TravelTest, TheWindowStepMovesTheDateOnUnlessABoxIsOpen) {
    Enter({});
    GTime& time = GameManagerObject::Get(t.game.Cpu()).GameTime();
    SetDateStep(GameManagerObject::Get(t.game.Cpu()).DateStep(), 4);
    const int32_t before = time.Date();
    window->StepWindow(1);
    EXPECT_EQ(time.Date(), before + 1);
    window->Window().SetChildOpen(true);
    window->StepWindow(2);
    EXPECT_EQ(time.Date(), before + 1);
    window->Window().SetChildOpen(false);
}

// The place the player is at goes into what the pilot stores, what the supply chooses by and the
// location texts of a save (the system's shown name, the planet's hint and name, the system's name).
TEST_F(TravelTest, ThePlaceGoesToTheStoredPilotTheSupplyAndTheSaves) {
    Enter({});
    window->SetSelectedPlanet(&PlanetWithId(3));
    String system;
    String planet;
    ASSERT_TRUE(PlayerLocationHook());
    ASSERT_TRUE(PlayerLocationHook()(system, planet));
    EXPECT_EQ(system.View(), "Sol");
    EXPECT_EQ(planet.View(), "Gamma");
    SupplyPlace place;
    ASSERT_TRUE(SupplyHooksInstalled().place(window, place));
    EXPECT_EQ(place.system.View(), "Sol");
    EXPECT_EQ(place.planet.View(), "Gamma");
    const SaveTexts texts = CurrentGameTexts(t.game.Cpu(), "00000001", "New");
    EXPECT_EQ(texts[3], "Sun System");
    EXPECT_EQ(texts[4], "Hint Gamma");
    EXPECT_EQ(texts[6], "Gamma");
    EXPECT_EQ(texts[7], "Sol");
}

}  // namespace
