#include "campaign/planet.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "campaign/game_manager.h"
#include "foundation/word.h"
#include "graphics/image.h"
#include "platform/key_table.h"
#include "script/object_lifetime.h"
#include "script/object_manager.h"
#include "script/weak_object.h"
#include "shell/game_ids.h"
#include "shell/input_device.h"
#include "tests/support/error_message.h"
#include "tests/support/game_harness.h"
#include "tests/support/hostile_scripts.h"
#include "tools/content/script_assembler.h"
#include "ui/control.h"
#include "ui/dialog_window.h"
#include "ui/input_holder.h"
#include "ui/script_dialog.h"
#include "ui/window_requests.h"

namespace {

std::string NotValid(uint32_t address, const char* what) {
    char text[96];
    std::snprintf(text, sizeof text, "Not a valid object at 0x%08X where %s expected", address, what);
    return text;
}

class DeviceHolder : public ScriptObject, public InputHolder {
  public:
    DeviceHolder() : ScriptObject(nullptr) { device.SetMouseEnabled(true); }
    InputDevice* HeldInput() override { return &device; }
    InputDevice device;
};

class PlanetTest : public ::testing::Test {
  protected:
    PlanetTest() {
        game.AddMessages("system.mes", {{100, "Galaxy"},
                                        {117, "OK"},
                                        {119, "Cancel"},
                                        {120, "Yes"},
                                        {121, "No"},
                                        {185, "Back"},
                                        {191, "Save"},
                                        {192, "Leave"},
                                        {193, "Settings"},
                                        {196, "Load"},
                                        {342, "Leave?"},
                                        {350, "Menu"}});
        game.AddFont("BigMenu");
        game.AddPicture("Planets\\EmptyPlanets.dpf", {.width = 20, .height = 20});
        game.AddPicture("Misc\\Stars.dpf", {.width = 2, .height = 2});
        game.AddClass({.name = "Mars", .base = "Planet", .virtuals = {{17, PushTextWords("Mars")}}});
        // A planet whose window method leaves nothing.
        game.AddClass({.name = "Hollow", .base = "Planet", .virtuals = {{14, {}}}});
        // A planet whose window method makes the default window, then deletes the planet.
        game.AddClass({.name = "Vanishing",
                       .base = "Planet",
                       .virtuals = {{14, CodeWords({{ScriptAssembler::CallWord(kPlanetViewVirtual, 1, true)},
                                                    DeleteSelfWords()})}}});
        game.Start();
        if (GameManagerObject::Find(game.Cpu()) == nullptr)
            game.Keep(kGameManagerId, game.New("GameManager"));
    }

    GameObject NewPlanet(const std::string& cls = "Planet") {
        return game.New(cls, {7, Word(40), Word(30), game.Picture("Planets\\EmptyPlanets.dpf")->Address()});
    }
    GameObject NewView() { return game.New("PlanetZoomed"); }
    DialogWindow& Window(ScriptObject* view) { return ZEMADialogObject::Of(view).Window(); }
    std::vector<uint32_t> Native(ScriptObject* view, uint32_t number, std::vector<uint32_t> popped = {}) {
        return game.CallMethod(view, game.Class("PlanetZoomed"), number, {popped.rbegin(), popped.rend()});
    }

    GameHarness game;
    std::unique_ptr<DeviceHolder> holder = std::make_unique<DeviceHolder>();
};

TEST_F(PlanetTest, APlanetThatOverridesNothingIsAnUnknownPlaceThatAcceptsEveryTrip) {
    struct Case {
        uint32_t method;
        bool text;
        std::string name;
        int32_t value;
    };
    const std::vector<Case> cases = {
        {15, true, "Unknown", 0}, {16, true, "Unknown planet", 0},
        {17, true, "Unknown", 0}, {18, false, "", 0},
        {19, false, "", -1},      {20, false, "", -1},
    };
    GameObject planet = NewPlanet();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.method);
        const std::vector<uint32_t> left = game.CallVirtual(planet.get(), c.method);
        ASSERT_EQ(left.size(), 1u);
        if (c.text)
            EXPECT_EQ(GameHarness::TextAt(left[0]), c.name);
        else
            EXPECT_EQ(static_cast<int32_t>(left[0]), c.value);
    }
    EXPECT_EQ(Planet::CallGetName(planet.get()).View(), "Unknown");
    GameObject mars = NewPlanet("Mars");
    EXPECT_EQ(GameHarness::TextAt(game.CallVirtual(mars.get(), 15).at(0)), "Mars");
    EXPECT_EQ(Planet::CallGetName(mars.get()).View(), "Mars");
    EXPECT_TRUE(PlanetObject::IsPlanet(mars.get()));
}

TEST_F(PlanetTest, TheWindowIsBuiltOnceWithTheDefaultControls) {
    GameObject planet = NewPlanet("Mars");
    PlanetObject& p = PlanetObject::Of(planet.get());
    ZEMADialogObject& first = Planet::GetView(p);
    EXPECT_EQ(&Planet::GetView(p), &first);
    DialogWindow& window = first.Window();
    ASSERT_EQ(window.ControlCount(), 5u);
    const std::vector<int32_t> ids = {0, 0, 0, 11, 21};
    for (uint32_t i = 0; i < ids.size(); ++i) EXPECT_EQ(window.ControlAt(i)->Id(), ids[i]) << i;
    EXPECT_EQ(window.ControlAt(1)->Int(kVisualX), 640);
    EXPECT_EQ(window.ControlAt(1)->Int(kVisualY), 480);

    GameObject hollow = NewPlanet("Hollow");
    EXPECT_EQ(ErrorMessage([&] { Planet::GetView(PlanetObject::Of(hollow.get())); }), "DStack underflow");
}

TEST_F(PlanetTest, TheStandardControlsDifferOnlyInTheMenuButton) {
    struct Case {
        uint32_t native;
        int32_t menuId;
    };
    for (const Case& c : {Case{19, 21}, Case{22, 25}}) {
        SCOPED_TRACE(c.native);
        GameObject view = NewView();
        Native(view.get(), c.native);
        DialogWindow& window = Window(view.get());
        ASSERT_EQ(window.ControlCount(), 3u);
        const std::vector<std::pair<int32_t, int32_t>> idHelp = {{11, 40}, {c.menuId, 41}, {0, 42}};
        for (uint32_t i = 0; i < idHelp.size(); ++i) {
            EXPECT_EQ(window.ControlAt(i)->Id(), idHelp[i].first);
            EXPECT_EQ(window.ControlAt(i)->HelpNumber(), idHelp[i].second);
            EXPECT_EQ(window.ControlAt(i)->HelpText(), "Help.mes");
        }
    }
}

TEST_F(PlanetTest, OnlyTheGalaxyCommandEndsTheWindowOnItsOwn) {
    struct Case {
        int32_t code, p1, p2, result;
    };
    const std::vector<Case> cases = {
        {kEventPrimary, 0, 11, 11},        {kEventPointer, 0, 11, kNoResult},
        {kEventPrimary, 0, 99, kNoResult}, {kEventClose, 0, 0, kNoResult},
        {kEventKey, 27, 0, kNoResult},     {kEventCharacter, 27, 0, kNoResult},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.code << "/" << c.p2);
        GameObject view = NewView();
        game.CallVirtual(view.get(), kDialogEventVirtual, {Word(c.code), Word(c.p1), Word(c.p2)});
        EXPECT_EQ(Window(view.get()).Result(), c.result);
    }
}

TEST_F(PlanetTest, MoveRequestsLeaveTheNamesWithTheGameManager) {
    GameManagerObject& manager = GameManagerObject::Get(game.Cpu());
    GameObject view = NewView();
    Native(view.get(), 20, {game.Text("Vesta")});
    EXPECT_EQ(Window(view.get()).Result(), kPlanetResultMoveToPlanet);
    EXPECT_EQ(manager.PendingPlanet().View(), "Vesta");

    // The script pushes the planet, then the system: the system is popped first.
    GameObject other = NewView();
    Native(other.get(), 21, {game.Text("Orin"), game.Text("Ceres")});
    EXPECT_EQ(Window(other.get()).Result(), kPlanetResultMoveToSystem);
    EXPECT_EQ(manager.PendingSystem().View(), "Orin");
    EXPECT_EQ(manager.PendingPlanet().View(), "Ceres");
}

// The window goes with its planet at once, whatever holds their memory; one whose loop runs is
// closed all the same, and the loop stops.
TEST_F(PlanetTest, APlanetsWindowGoesWithThePlanet) {
    struct Case {
        const char* what;
        bool running;
    };
    const Case cases[] = {
        {"an idle window", false},
        {"a running window", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // What the game thread holds while it runs the game.
        const ReleaseHold hold;
        GameObject planet = NewPlanet("Mars");
        ZEMADialogObject& view = Planet::GetView(PlanetObject::Of(planet.get()));
        const WeakObject viewAlive(&view);
        if (c.running) {
            game.At(game.Now() + 1, [&] { planet.reset(); });
            game.At(game.Now() + 50, [&] { view.Window().SetResult(5); });
            // The loop stops with the engine error of whatever it next asks of the closed window.
            EXPECT_NE(ErrorMessage([&] { view.Run(*holder); }), "no error");
        } else {
            planet.reset();
        }
        EXPECT_EQ(viewAlive.Get(), nullptr);
    }
}

TEST_F(PlanetTest, AWindowWhoseMethodDeletedItsPlanetGoesWithIt) {
    const uint32_t views = game.Class("PlanetZoomed")->InstanceCount();
    const ReleaseHold hold;
    GameObject planet = NewPlanet("Vanishing");
    const uint32_t address = planet->Address();
    EXPECT_EQ(ErrorMessage([&] { Planet::GetView(PlanetObject::Of(planet.get())); }),
              NotValid(address, "planet"));
    (void)planet.release();  // its own method deleted it
    EXPECT_EQ(game.Class("PlanetZoomed")->InstanceCount(), views);
}

TEST_F(PlanetTest, TheGameMenuButtonEndsTheWindowOnlyWhenThePlayerLeaves) {
    struct Case {
        const char* what;
        std::vector<int32_t> menuClicks;  // the menu's buttons, then the question's
        int32_t result;
    };
    const std::vector<Case> cases = {
        {"back to the planet", {160}, 9},
        {"leaving the game", {42, 120}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GameObject view = NewView();
        Native(view.get(), 19);
        DialogWindow& window = Window(view.get());
        uint32_t at = game.Now() + 200;
        game.At(at, [&] { window.PostMessage(kEventPrimary, 0, 21); });
        for (int32_t id : c.menuClicks) {
            at += 500;
            game.At(at, [id] { WindowPostMessage(0, kEventPrimary, 0, id); });
        }
        game.At(at + 500, [&] { window.SetResult(9); });
        int32_t result = 0;
        EXPECT_EQ(ErrorMessage([&] { result = ZEMADialogObject::Of(view.get()).Run(*holder); }), "no error");
        EXPECT_EQ(result, c.result);
    }
}

}  // namespace
