#include "campaign/galaxy.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "campaign/game_manager.h"
#include "campaign/planet.h"
#include "campaign/scene_reset.h"
#include "campaign/star_system_window.h"
#include "campaign/star_systems.h"
#include "foundation/word.h"
#include "script/method_runner.h"
#include "script/native_args.h"
#include "script/object_lifetime.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "script/sspl_block.h"
#include "shell/game_ids.h"
#include "shell/input_device.h"
#include "tests/support/error_message.h"
#include "tests/support/galaxy_table.h"
#include "tests/support/game_harness.h"
#include "tests/support/pilot_fixture.h"
#include "tools/content/script_assembler.h"
#include "ui/dialog_window.h"
#include "ui/window_requests.h"
#include "ui/window_services.h"
#include "world/event_manager.h"
#include "world/option.h"
#include "world/player.h"
#include "world/ship.h"
#include "world/slot.h"

namespace {

// The planets each test window class holds.
const PlanetsByWindow kPlanets = {
    {"HomeSystem", {{"Alpha", 100, 100, 1}, {"Beta", 110, 100, 2}}},
    {"FarSystem", {{"Epsilon", 50, 50, 1}, {"Zeta", 60, 50, 2}}},
};

// Sol and Vega lie 2 pixels apart.
const std::vector<std::pair<StarSystemFacts, std::string>> kSystems = {
    {{.name = "Sol", .x = 10, .y = 20, .description = "Galaxy\\Sol.txt"}, "HomeSystem"},
    {{.name = "Vega", .x = 10, .y = 22, .description = "Galaxy\\Vega.txt"}, "FarSystem"},
};

// Which window the scripted player answers.
enum class Where { kPlanet, kSystem, kMap };

struct Step {
    Where where;
    std::function<void()> act;
};

class GalaxyTest : public ::testing::Test {
  protected:
    GalaxyTest() {
        std::vector<StarSystemFacts> systemsFacts;
        for (size_t i = 0; i < kSystems.size(); ++i) {
            systemsFacts.push_back(kSystems[i].first);
            const std::string file = "Galaxy" + std::to_string(i) + ".mes";
            game.AddEntry(kSystems[i].first.description, StarSystemDescription(kSystems[i].second, file));
            game.AddMessages(file, {{1, *kSystems[i].first.name + " shown"}});
        }
        game.AddEntry("Galaxy.ssy", StarSystemTable(systemsFacts));
        game.AddPicture("Misc\\StarSystems.dpf", {.entries = 2});
        game.AddPicture("Misc\\GalaxyCursor.dpf", {.width = 4, .height = 4});
        game.AddPicture("Misc\\Stars.dpf", {.width = 2, .height = 2});
        // What a planet window's scripts may load: the reset after it unloads them.
        game.AddPicture("Misc\\Scene.dpf", {.width = 2, .height = 2});
        game.AddClass({.name = "SceneThing", .base = "GTTClass"});
        // A campaign's script: its method 2 takes twenty galaxy steps (GameManager method 7) in turn.
        game.AddClass(
            {.name = "Campaign",
             .base = "GTTClass",
             .methods = {{2, std::vector<uint32_t>(
                                 20, ScriptAssembler::CallWord(
                                         7, 2, false, ScriptAssembler::Receiver::ObjectId, kGameManagerId))}},
             .uses = {"GameManager"}});
        game.AddPicture("Planets\\EmptyPlanets.dpf", {.width = 20, .height = 20});
        game.AddMessages("system.mes",
                         {{100, "Galaxy"}, {117, "Yes"}, {119, "Back"}, {350, "Menu"}, {351, "No fuel"}});
        for (const auto& [windowClass, planets] : kPlanets) {
            game.AddClass({.name = windowClass, .base = "StarSystemZoomed"});
            for (const TestPlanet& p : planets)
                game.AddClass(
                    {.name = "Planet" + p.name, .base = "Planet", .virtuals = {{17, PushTextWords(p.name)}}});
        }
        AddPilotClasses(game);
        game.Start();
        MakeWindowsHoldPlanets(game, kPlanets);
        if (GameManagerObject::Find(game.Cpu()) == nullptr)
            game.Keep(kGameManagerId, game.New("GameManager"));
        game.Cpu().DataStack().Push(game.Text("Galaxy.ssy"));
        LoadStarSystems(game.Cpu());
        if (CurrentLocationBlock(game.Cpu()) == nullptr)
            game.Keep(kCurrentLocationId, GameObject(new SSPLBlock()));
        Location().SetNames("Sol", "Alpha");
        AddPilot();
        // The galaxy tips were seen already.
        EventManager::RecordEventAll(game.Cpu(), String("HELP_GALAXY_WINDOW"), 0, String(""), 0);
    }

    void AddPilot() {
        GameObject player = game.New("Player");
        auto& pilot = dynamic_cast<PlayerObject&>(*player);
        pilot.SetInput(std::make_unique<InputDevice>());
        ScriptObject* ship = game.New(kShipClass).release();
        pilot.SetShip(ship, 0);
        ShipObject::Of(ship)
            .SlotAt(kEnergyGroup, 0)
            ->SetObject(dynamic_cast<AkbObject*>(game.New(kCellClass).release()));
        game.Players().AppendObject(player.release());
    }
    // The energy source of the first pilot's ship, looked up afresh: a scene reset rebuilds pilots.
    AkbObject& Cell() {
        auto* pilot = dynamic_cast<PlayerObject*>(game.Players().ObjectList().Head()->item);
        return dynamic_cast<AkbObject&>(*ShipObject::Of(pilot->Ship()).SlotAt(kEnergyGroup, 0)->First());
    }
    SSPLBlock& Location() { return *CurrentLocationBlock(game.Cpu()); }
    std::string Place() { return std::string(Location().First()) + "/" + std::string(Location().Second()); }
    StarSystemZoomedObject* System(uint32_t id) { return StarSystemZoomedObject::AsWindow(game.Object(id)); }
    ZEMADialogObject* RunningPlanetView() {
        StarSystemZoomedObject* current = System(kStarSystemWindowId);
        auto* planet = current != nullptr ? dynamic_cast<PlanetObject*>(current->SelectedPlanet()) : nullptr;
        ZEMADialogObject* view = planet != nullptr ? planet->View() : nullptr;
        return view != nullptr && view->Window().Running() ? view : nullptr;
    }
    Where Running() {
        StarSystemZoomedObject* last = System(kStarSystemViewId);
        if (last != nullptr && last->Window().Running()) return Where::kSystem;
        return RunningPlanetView() != nullptr ? Where::kPlanet : Where::kMap;
    }
    int32_t Days() { return GameManagerObject::Get(game.Cpu()).GameTime().Date(); }

    // Plays the steps, one for each window the game runs, at most one a frame.
    void Play(std::vector<Step> steps) {
        steps_ = std::move(steps);
        next_ = 0;
        for (uint32_t t = 1; t < 20000; t += 5)
            game.At(game.Now() + t, [this] {
                if (next_ >= steps_.size() || game.Now() < busyUntil_) return;
                if (steps_[next_].where != Running()) return;
                busyUntil_ = game.Now() + 40;
                steps_[next_++].act();
            });
    }
    // Plays the opening steps, the round's steps the number of times, then the closing ones. As each
    // round begins, waiting_ gets the count of destroyed objects whose memory waits.
    void PlayRounds(std::vector<Step> steps, const std::vector<Step>& round, int rounds,
                    const std::vector<Step>& closing) {
        for (int i = 0; i < rounds; ++i) {
            steps.push_back({round[0].where, [this, act = round[0].act] {
                                 waiting_.push_back(DestroyedAwaitingRelease());
                                 act();
                             }});
            steps.insert(steps.end(), round.begin() + 1, round.end());
        }
        steps.insert(steps.end(), closing.begin(), closing.end());
        Play(std::move(steps));
    }
    void EndPlanetView(int32_t result) { RunningPlanetView()->Window().SetResult(result); }
    void PlanetNative(uint32_t number, std::vector<uint32_t> pushed) {
        game.CallMethod(RunningPlanetView(), game.Class("PlanetZoomed"), number, pushed);
    }
    void EndSystem(int32_t result) { System(kStarSystemViewId)->Window().SetResult(result); }
    std::vector<uint32_t> CallManager(uint32_t method) {
        return game.CallMethod(game.Object(kGameManagerId), game.Class("GameManager"), method);
    }

    GameHarness game;
    std::vector<Step> steps_;
    size_t next_ = 0;
    uint32_t busyUntil_ = 0;
    std::vector<std::string> seen_;
    std::vector<size_t> waiting_;
};

TEST_F(GalaxyTest, TheStepAnswersEachPlanetWindowResult) {
    auto seen = [this](const std::string& tag) { seen_.push_back(tag + Place()); };
    Play({
        {Where::kPlanet, [&] { seen("other "), EndPlanetView(7); }},
        {Where::kPlanet, [&] { seen("planet "), PlanetNative(20, {game.Text("Beta")}); }},
        {Where::kPlanet,
         [&] {
             seen("system "), PlanetNative(21, {game.Text("Zeta"), game.Text("Vega")});
         }},
        {Where::kPlanet, [&] { seen("map "), EndPlanetView(kPlanetResultGalaxyMap); }},
        {Where::kSystem,
         [&] {
             StarSystemZoomedObject* shown = System(kStarSystemViewId);
             seen_.push_back("shown " + std::string(shown->Name().View()) + "/" +
                             std::string(Planet::CallGetName(shown->SelectedPlanet()).View()));
             EndSystem(0);
         }},
        {Where::kPlanet, [&] { seen("leave "), EndPlanetView(2); }},
    });
    EXPECT_EQ(ErrorMessage([&] { CallManager(7); }), "no error");
    const std::vector<std::string> expected = {"other Sol/Alpha", "planet Sol/Alpha", "system Sol/Beta",
                                               "map Vega/Zeta",   "shown Vega/Zeta",  "leave Vega/Zeta"};
    EXPECT_EQ(seen_, expected);
    EXPECT_EQ(Place(), "Vega/Zeta");
    ASSERT_NE(System(kStarSystemWindowId), nullptr);
    EXPECT_EQ(System(kStarSystemWindowId)->Name().View(), "Vega");
}

// Each reset destroys what the one before made and retires what its scene loaded: the steps give
// that back at their turns, so that a long campaign holds no more than a short one.
TEST_F(GalaxyTest, ManyGalaxyStepsLeaveNoMoreDestroyedObjectsWaitingThanAFew) {
    PlayRounds({},
               {
                   {Where::kPlanet, [&] { PlanetNative(20, {game.Text("Beta")}); }},
                   {Where::kPlanet,
                    [&] {
                        game.Picture("Misc\\Scene.dpf");
                        game.Class("SceneThing");
                        EndPlanetView(7);
                    }},
                   {Where::kPlanet, [&] { PlanetNative(20, {game.Text("Alpha")}); }},
                   {Where::kPlanet, [&] { EndPlanetView(kPlanetResultGalaxyMap); }},
                   {Where::kSystem, [&] { EndSystem(0); }},
               },
               20, {{Where::kPlanet, [&] { EndPlanetView(2); }}});
    EXPECT_EQ(ErrorMessage([&] { CallManager(7); }), "no error");
    ASSERT_EQ(waiting_.size(), 20u);
    EXPECT_EQ(waiting_[19], waiting_[4]);
}

// The campaign's script takes the steps round after round: each gives back as it begins what the
// steps before destroyed, though no native loop turns between them.
TEST_F(GalaxyTest, StepsAScriptTakesRoundAfterRoundLeaveNoMoreDestroyedObjectsWaitingThanAFew) {
    PlayRounds({}, {{Where::kPlanet, [&] { EndPlanetView(2); }}}, 20, {});
    GameObject campaign = game.New("Campaign");
    EXPECT_EQ(ErrorMessage([&] { game.CallMethod(campaign.get(), game.Class("Campaign"), 2); }), "no error");
    ASSERT_EQ(waiting_.size(), 20u);
    EXPECT_EQ(waiting_[19], waiting_[4]);
}

TEST_F(GalaxyTest, ManyTripsOnTheMapLeaveNoMoreDestroyedObjectsWaitingThanAFew) {
    Cell().SetCharge(60000);
    PlayRounds({{Where::kSystem, [&] { EndSystem(2); }}},
               {
                   {Where::kMap, [&] { WindowPostMessage(0, kEventPrimary, 0, 1001); }},
                   {Where::kSystem, [&] { EndSystem(2); }},
                   {Where::kMap, [&] { WindowPostMessage(0, kEventPrimary, 0, 1000); }},
                   {Where::kSystem, [&] { EndSystem(2); }},
               },
               20, {{Where::kMap, [&] { WindowPostMessage(0, kEventPrimary, 0, kGalaxyCloseButtonId); }}});
    EXPECT_EQ(ErrorMessage([&] { CallManager(8); }), "no error");
    ASSERT_EQ(waiting_.size(), 20u);
    EXPECT_EQ(waiting_[19], waiting_[4]);
}

TEST_F(GalaxyTest, ATripBetweenSystemsNeedsTheFuelOfItsDistanceAndTakesItsDays) {
    const int32_t daysBefore = Days();
    Play({
        // The map opens on the current system's window, with the current planet selected.
        {Where::kSystem,
         [&] {
             seen_.push_back(
                 std::string(Planet::CallGetName(System(kStarSystemViewId)->SelectedPlanet()).View()));
             EndSystem(2);
         }},
        {Where::kMap,
         [&] {
             Cell().SetCharge(59999);
             WindowPostMessage(0, kEventPrimary, 0, 1001);
         }},
        // Not fuel enough: the box is closed and the map stays.
        {Where::kMap, [&] { game.TypeChar(27); }},
        {Where::kMap,
         [&] {
             Cell().SetCharge(60000);
             WindowPostMessage(0, kEventPrimary, 0, 1001);
         }},
        {Where::kSystem,
         [&] {
             StarSystemZoomedObject* vega = System(kStarSystemViewId);
             seen_.push_back(vega->SelectedPlanet() == nullptr ? "none selected" : "selected");
             vega->SetSelectedPlanet(vega->Window().ControlAt(0));
             EndSystem(1);
         }},
    });
    std::vector<uint32_t> moved;
    EXPECT_EQ(ErrorMessage([&] { moved = CallManager(8); }), "no error");
    ASSERT_EQ(moved.size(), 1u);
    EXPECT_EQ(static_cast<int32_t>(moved[0]), -1);
    EXPECT_EQ(seen_, (std::vector<std::string>{"Alpha", "none selected"}));
    EXPECT_EQ(Place(), "Vega/Epsilon");
    EXPECT_EQ(Cell().Charge(), 0);
    EXPECT_EQ(Days() - daysBefore, 200);
    EXPECT_EQ(System(kStarSystemWindowId)->Name().View(), "Vega");
    EXPECT_EQ(game.Object(kStarSystemViewId), nullptr);
}

TEST_F(GalaxyTest, TheMapClosedWithoutAMoveLeavesTheLocation) {
    Play({
        {Where::kSystem, [&] { EndSystem(2); }},
        {Where::kMap, [&] { WindowPostMessage(0, kEventPrimary, 0, kGalaxyCloseButtonId); }},
    });
    std::vector<uint32_t> moved;
    EXPECT_EQ(ErrorMessage([&] { moved = CallManager(8); }), "no error");
    ASSERT_EQ(moved.size(), 1u);
    EXPECT_EQ(moved[0], 0u);
    EXPECT_EQ(Place(), "Sol/Alpha");
}

TEST_F(GalaxyTest, TheGalaxyIsRefusedFromInsideARunningStarSystemWindow) {
    EnterCurrentLocation(game.Cpu(), Location());
    std::string error;
    Play({{Where::kSystem, [&] {
               error = ErrorMessage([&] { GalaxyMap(game.Cpu()); });
               EndSystem(0);
           }}});
    StarSystemList::Of(game.Cpu()).At(0)->CreateView(game.Cpu());
    System(kStarSystemViewId)->SelectPlanet("Alpha");
    auto* pilot = game.Players().ObjectList().Head()->item;
    System(kStarSystemViewId)->Run(*pilot);
    EXPECT_NE(error.find("cannot run from inside"), std::string::npos) << error;
}

// A scene reset with a star-system window both current and last opened reopens both, the current
// one staying current.
TEST_F(GalaxyTest, AResetAfterTheMapKeepsTheCurrentSystemWindow) {
    EnterCurrentLocation(game.Cpu(), Location());
    Play({{Where::kSystem, [&] { EndSystem(0); }}});
    std::vector<uint32_t> moved;
    EXPECT_EQ(ErrorMessage([&] { moved = CallManager(8); }), "no error");
    ASSERT_NE(System(kStarSystemWindowId), nullptr) << "after the map";
    ASSERT_NE(System(kStarSystemViewId), nullptr);
    EXPECT_NE(System(kStarSystemWindowId), System(kStarSystemViewId));
    ResetScene(game.Cpu(), SaveResourceMarks(game.Cpu()), true);
    ASSERT_NE(System(kStarSystemWindowId), nullptr) << "after a second reset";
    EXPECT_EQ(Planet::CallGetName(System(kStarSystemWindowId)->SelectedPlanet()).View(), "Alpha");
}

}  // namespace
