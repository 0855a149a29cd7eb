#include "campaign/flight_loop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "campaign/flight_record.h"
#include "campaign/game_manager.h"
#include "foundation/config_blocks.h"
#include "foundation/exceptions.h"
#include "graphics/display.h"
#include "graphics/display_services.h"
#include "graphics/screen_buffer.h"
#include "platform/key_table.h"
#include "script/object_lifetime.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "script/weak_object.h"
#include "shell/draw_layers.h"
#include "shell/game_globals.h"
#include "shell/game_ids.h"
#include "tests/support/error_message.h"
#include "tests/support/flight_scene.h"
#include "world/level.h"
#include "world/player.h"
#include "world/ship.h"

namespace {

constexpr uint32_t kFrame = 28;
constexpr int32_t kF5 = 0x74;
constexpr int32_t kF7 = 0x76;

class FlightLoopTest : public ::testing::Test {
  protected:
    FlightLoopTest() : scene(game) {
        // A thing whose destruction fails: method 999 of its base does not exist.
        game.AddClass({.name = "DoomedThing", .base = "GTTClass", .virtuals = {{0, {BaseCallWord(999)}}}});
        game.Start();
    }

    GameManagerObject& Manager() { return GameManagerObject::Get(game.Cpu()); }
    uint32_t ListCount(uint32_t id) {
        auto* list = dynamic_cast<ObjectManager*>(game.Object(id));
        return list != nullptr ? list->ObjectList().Count() : 0;
    }
    // A key typed at the frame (counted from now) and let go a frame later.
    void KeyAt(uint32_t frame, int32_t key) {
        const uint32_t at = game.Now() + frame * kFrame;
        game.At(at, [this, key] { game.PressKey(key); });
        game.At(at + kFrame, [this, key] { game.ReleaseKey(key); });
    }
    // The players and their ships a flight leaves listed are not flown again.
    void ForgetPlayers() {
        game.Players().ClearList();
        if (auto* ships = dynamic_cast<ObjectManager*>(game.Object(kShipListId))) ships->ClearList();
    }
    static bool LayersEmpty() {
        for (const auto& layer : GameDrawLayers()) {
            if (!layer.empty()) return false;
        }
        return true;
    }

    GameHarness game;
    FlightScene scene;
};

// Hours and minutes a flight of that many frames adds to the game time.
GTime FlightDuration(int32_t frames) {
    GTime time;
    time.Set(0, 0, frames / 2000 + 5, frames % 2000 / 20, 0);
    return time;
}

TEST_F(FlightLoopTest, AFlightRunsToEachOfItsEnds) {
    struct Case {
        const char* name;
        std::vector<std::pair<uint32_t, int32_t>> keys;  // frame, key
        bool rammed;                                     // enemies sit on the ships
        int32_t result;
        int32_t minFrames;
        int32_t maxFrames;
        int flyAway;
    } cases[] = {
        {"the player quits through the question",
         {{30, VK_ESCAPE}, {34, 'Y'}},
         false,
         kFlightQuit,
         25,
         40,
         0},
        {"the ships leave after the countdown",
         {{30, VK_ESCAPE}, {34, kF5}},
         false,
         kFlightShipsLeft,
         115,
         135,
         1},
        {"the flight ends once no ship is left", {}, true, kFlightOver, 145, 260, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PlayerObject& first = scene.AddPilot({VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, 'A', 'S', 'W', 'D'});
        scene.AddPilot({'J', 'L', 'I', 'K', 'U', 'O', 'P', 'M'});
        WeakObject firstShip(first.Ship());
        const WeakObject pilot(&first);
        std::vector<WeakObject> enemies;
        scene.Populate([&] {
            // One enemy a shot of the first pilot destroys; with rammed, one on each ship.
            enemies.emplace_back(&scene.Enemy(320, 100, 0, 5));
            scene.Shot(pilot.As<PlayerObject>(), 322, 160, -600, 50);
            if (c.rammed) {
                for (int32_t x : {213, 426}) scene.Enemy(x, 384, 0, 1000000, 100000);
            }
        });
        for (const auto& [frame, key] : c.keys) KeyAt(frame, key);
        // The first pilot steers right for a while: its ship moves on its own device's input.
        std::vector<int32_t> shipX;
        KeyAt(3, VK_RIGHT);
        for (uint32_t frame : {2u, 8u}) {
            game.At(game.Now() + frame * kFrame + 1, [&] {
                if (auto* ship = firstShip.As<ShipObject>()) shipX.push_back(ship->X());
            });
        }
        game.SettleSound();
        const int flyAwayBefore = game.Plays("Misc\\FlyAway.mp3");
        const GTime before = Manager().GameTime();
        const std::string fpsBefore = scene.FpsText();

        const int32_t result = scene.Fly();
        const int32_t frames = game.Cpu().FrameNumber();

        EXPECT_EQ(result, c.result);
        EXPECT_GE(frames, c.minFrames) << result;
        EXPECT_LE(frames, c.maxFrames);
        game.SettleSound();
        EXPECT_EQ(game.Plays("Misc\\FlyAway.mp3") - flyAwayBefore, c.flyAway);
        ASSERT_EQ(shipX.size(), 2u);
        EXPECT_GT(shipX[1], shipX[0]);
        // The shot's kill was credited before the players were rebuilt from their stored form.
        ASSERT_GE(game.Players().ObjectList().Count(), 1u);
        EXPECT_EQ(PlayerObject::Of(game.Players().ObjectList().First()).Experience(), 5);
        EXPECT_TRUE(enemies.front().Empty() || enemies.front().Get() == nullptr);

        GTime expected = before;
        expected.Add(FlightDuration(frames));
        EXPECT_EQ(Manager().GameTime(), expected);
        const std::string fps = scene.FpsText();
        ASSERT_GT(fps.size(), fpsBefore.size());
        EXPECT_EQ(fps.substr(0, fpsBefore.size()), fpsBefore);
        EXPECT_TRUE(fps.substr(fpsBefore.size()).starts_with("Time=")) << fps;

        // The scene is reset: no level, no ships, the flight's lists empty, the layers empty.
        EXPECT_EQ(game.Object(kLevelId), nullptr);
        EXPECT_EQ(firstShip.Get(), nullptr);
        for (uint32_t id : {kFlightActorListId, kShotsManagerId, kTestRunListId})
            EXPECT_EQ(ListCount(id), 0u) << id;
        EXPECT_TRUE(LayersEmpty());
        EXPECT_FALSE(FlightRunning());
        EXPECT_TRUE(Manager().AutoSaveBeforeFlight());
        // Players rebuilt by the reset are not flown again here.
        ForgetPlayers();
    }
}

// What the flight made, its level and the scene its reset took included, is given back by its end,
// though the script that flew still holds; what was made before it waits for that script.
TEST_F(FlightLoopTest, NothingTheFlightMadeWaitsOnceItEnds) {
    const ReleaseHold script;
    scene.AddPilot({VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, 'A', 'S', 'W', 'D'});
    scene.Populate([&] {
        game.Picture("Explosions\\SmallExplosion.dpf");
        for (int32_t i = 0; i < 3; ++i) scene.Enemy(100 + 80 * i, 100, 10, 50);
    });
    KeyAt(20, VK_ESCAPE);
    KeyAt(24, 'Y');
    const uint64_t flightBegins = NextObjectBirth();
    EXPECT_EQ(scene.Fly(), kFlightQuit);
    EXPECT_EQ(DestroyedAwaitingRelease(flightBegins), 0u);
    EXPECT_GT(DestroyedAwaitingRelease(), 0u) << "the pilot the reset replaced";
    ForgetPlayers();
}

// The question waits as long as the player takes: what is made and destroyed meanwhile goes at each
// of its rounds.
TEST_F(FlightLoopTest, WhatIsDestroyedWhileTheQuestionWaitsGoesAsItWaits) {
    const ReleaseHold script;
    scene.AddPilot({VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, 'A', 'S', 'W', 'D'});
    scene.Populate([&] { scene.Enemy(100, 100, 10, 50); });
    KeyAt(20, VK_ESCAPE);
    KeyAt(200, 'Y');
    std::vector<size_t> waiting;
    for (uint32_t frame = 40; frame < 190; frame += 5)
        game.At(game.Now() + frame * kFrame, [&] {
            waiting.push_back(DestroyedAwaitingRelease());
            game.New("Player");
        });
    EXPECT_EQ(scene.Fly(), kFlightQuit);
    ASSERT_EQ(waiting.size(), 30u);
    EXPECT_EQ(waiting.back(), waiting[4]);
    ForgetPlayers();
}

TEST_F(FlightLoopTest, ObjectsAScriptDeletesMidFlightAreLeftAlone) {
    struct Case {
        const char* name;
        uint32_t id;  // deleted at frame 10
        int32_t result;
    } cases[] = {
        {"the enemies' list goes: the flight goes on until the player quits", kFlightActorListId,
         kFlightQuit},
        {"the level goes: the flight is over", kLevelId, kFlightOver},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        scene.AddPilot({VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, 'A', 'S', 'W', 'D'});
        scene.Populate([&] {
            for (int32_t i = 0; i < 5; ++i) scene.Enemy(100 + 80 * i, 100, 10, 50);
        });
        const uint32_t id = c.id;
        game.At(game.Now() + 10 * kFrame, [this, id] { game.Objects().SetObject(nullptr, id); });
        KeyAt(20, VK_ESCAPE);
        KeyAt(24, 'Y');
        EXPECT_EQ(scene.Fly(), c.result);
        EXPECT_FALSE(FlightRunning());
        EXPECT_TRUE(LayersEmpty());
        ForgetPlayers();
    }
}

// The end of a flight is done whole whatever a destructor of the flight's objects does, and the
// first error reaches the script that flew.
TEST_F(FlightLoopTest, AFailingDestructionStillEndsTheFlightWhole) {
    const WeakObject pilot(&scene.AddPilot({VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, 'A', 'S', 'W', 'D'}));
    ScriptObject* doomed = game.New("DoomedThing").release();
    const std::string failure = ErrorMessage([&] { game.CallVirtual(doomed, 0); });
    ASSERT_NE(failure, "no error");
    scene.Populate(
        [&] { dynamic_cast<ObjectManager&>(*game.Object(kFlightActorListId)).AppendObject(doomed); });
    KeyAt(5, VK_ESCAPE);
    KeyAt(9, 'Y');
    const GTime before = Manager().GameTime();
    EXPECT_EQ(ErrorMessage([&] { scene.Fly(); }), failure);
    EXPECT_EQ(game.Object(kLevelId), nullptr);
    EXPECT_NE(Manager().GameTime().Date() * 100000LL + Manager().GameTime().Time(),
              before.Date() * 100000LL + before.Time());
    EXPECT_FALSE(FlightRunning());
    EXPECT_EQ(pilot.Get(), nullptr) << "the scene reset made the pilot again";
}

// A script rebuilt the display mid-flight (the screen options of the game menu): the view the flight
// scrolled is put back on the display as it is now, not on the buffer that went.
TEST_F(FlightLoopTest, TheViewIsPutBackOnTheDisplayAScriptRebuilt) {
    scene.AddPilot({VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, 'A', 'S', 'W', 'D'});
    game.At(game.Now() + 10 * kFrame, [this] {
        BuildDisplay(game.Screen(), Game().directDraw, ScreenSettings(), &DefaultColours(), nullptr);
        // A scene wider than the screen, its view scrolled past the right edge: the flight brings the
        // edge back to the screen's (origin 640 - 1000).
        if (auto* level = dynamic_cast<LevelObject*>(game.Object(kLevelId))) {
            level->SetSceneWidth(1000);
            level->SetViewX(-1000);
        }
    });
    int32_t scrolled = 0;
    game.At(game.Now() + 15 * kFrame, [&] { scrolled = game.Screen().Buffer()->OriginX(); });
    KeyAt(20, VK_ESCAPE);
    KeyAt(24, 'Y');
    EXPECT_EQ(scene.Fly(), kFlightQuit);
    EXPECT_EQ(scrolled, -360);
    EXPECT_EQ(game.Screen().Buffer()->OriginX(), 0);
    ForgetPlayers();
}

// In question mode the frozen frame is drawn, held back three frame periods and only then shown: the
// first frame that asks the question comes four periods after the last frame of the flight.
TEST_F(FlightLoopTest, TheQuestionFrameIsShownAfterItsThreeFrameWaits) {
    scene.AddPilot({VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, 'A', 'S', 'W', 'D'});
    KeyAt(10, VK_ESCAPE);
    KeyAt(30, 'Y');
    // Every millisecond: when a new frame was shown, its time and whether it asks the question
    // (the question text is the only thing drawn across the middle of the screen).
    struct Shown {
        uint32_t time;
        bool question;
    };
    std::vector<Shown> shown;
    int frames = game.Host().Video().FramesShown();
    const uint32_t start = game.Now();
    for (uint32_t t = start; t < start + 25 * kFrame; ++t) {
        game.At(t, [&, t] {
            if (game.Host().Video().FramesShown() == frames) return;
            frames = game.Host().Video().FramesShown();
            const std::vector<uint8_t>& frame = game.Host().Video().LastFrame();
            const size_t row = 480 / 2 + 2;
            bool question = false;
            for (size_t x = 200; x < 440 && !question; ++x)
                question = (frame.at((row * 640 + x) * 2) | frame.at((row * 640 + x) * 2 + 1)) != 0;
            shown.push_back({t, question});
        });
    }
    EXPECT_EQ(scene.Fly(), kFlightQuit);
    size_t first = 0;
    while (first < shown.size() && !shown[first].question) ++first;
    ASSERT_LT(first, shown.size());
    ASSERT_GT(first, 0u);
    EXPECT_GE(shown[first].time - shown[first - 1].time, 4 * kFrame - 2);
    ForgetPlayers();
}

// While leaving, the ships alive rise 30 pixels a frame; a ship that starts with an energy balance
// of exactly 0 is down from the first frame and exploded, while one of 1 and more flies.
TEST_F(FlightLoopTest, LeavingShipsRiseAndAShipWithoutEnergyNeverStarts) {
    PlayerObject& flying = scene.AddPilot({VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, 'A', 'S', 'W', 'D'});
    PlayerObject& empty = scene.AddPilot({'J', 'L', 'I', 'K', 'U', 'O', 'P', 'M'}, false);
    const WeakObject flyingShip(flying.Ship());
    const WeakObject emptyShip(empty.Ship());
    KeyAt(10, VK_ESCAPE);
    KeyAt(14, kF5);
    struct Seen {
        int32_t frame = -1;
        int32_t y = 0;
    };
    Seen before, after;
    int32_t emptyState = -1;
    int32_t emptyBalance = -1;
    auto look = [&](Seen& seen) {
        seen.frame = game.Cpu().FrameNumber();
        if (auto* ship = flyingShip.As<ShipObject>()) seen.y = ship->Y();
        if (auto* ship = emptyShip.As<ShipObject>()) {
            emptyState = ship->State();
            emptyBalance = ship->Balance();
        }
    };
    game.At(game.Now() + 40 * kFrame + 1, [&] { look(before); });
    game.At(game.Now() + 50 * kFrame + 1, [&] { look(after); });
    EXPECT_EQ(scene.Fly(), kFlightShipsLeft);
    ASSERT_GT(after.frame, before.frame);
    EXPECT_EQ(before.y - after.y, 3000 * (after.frame - before.frame));
    EXPECT_EQ(emptyBalance, 0);
    EXPECT_EQ(emptyState, kActorGone);
    ForgetPlayers();
}

TEST_F(FlightLoopTest, TheHiddenSequenceLastsOneFlight) {
    struct Case {
        const char* name;
        std::vector<int32_t> typed;
        bool hidden;
    } cases[] = {
        {"the five keys in order", {'G', 'H', 'O', 'S', 'T'}, true},
        {"another key between them starts over", {'G', 'H', 'X', 'O', 'S', 'T'}, false},
        {"nothing typed: cleared from the flight before", {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        scene.AddPilot({VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, 'A', 'S', 'W', 'D'});
        uint32_t frame = 2;
        for (int32_t key : c.typed) KeyAt(frame += 2, key);
        bool hidden = !c.hidden;
        game.At(game.Now() + 30 * kFrame, [&] { hidden = PublishedFlight().hiddenMode; });
        KeyAt(40, VK_ESCAPE);
        KeyAt(44, 'Y');
        EXPECT_EQ(scene.Fly(), kFlightQuit);
        EXPECT_EQ(hidden, c.hidden);
        ForgetPlayers();
    }
}

TEST(FlightRecordTest, ARateIsZeroWithoutTimeOrFrames) {
    struct Case {
        uint32_t ms;
        int32_t frames;
        const char* text;
    } cases[] = {
        {0, 100, "Time=0.000000\nFPS=0.000000\n"},
        {1000, 0, "Time=1.000000\nFPS=0.000000\n"},
        {2500, 70, "Time=2.000000\nFPS=28.000000\n"},
        {999, 1, "Time=0.000000\nFPS=1.001001\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(FpsRecord(c.ms, c.frames), c.text) << c.ms << " " << c.frames;
}

TEST_F(FlightLoopTest, FlightsThatCannotStartOrMayNotStart) {
    struct Case {
        const char* name;
        bool engine;
        bool nested;  // a second flight asked for while the first runs
        const char* error;
    } cases[] = {
        {"no ship can move: the box, result 1, still an fps line", false, false, nullptr},
        {"a flight inside a flight is refused", true, true, "A flight is already running"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        scene.AddPilot({VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, 'A', 'S', 'W', 'D'}, true, c.engine);
        KeyAt(2, VK_ESCAPE);  // answers the box
        int autosaves = 0;
        FlightCampaignHooks().autoSave = [&](Processor&) { ++autosaves; };
        if (c.nested) {
            scene.Populate([&] { FlightLoop(game.Cpu(), Manager()); });
        } else {
            scene.Populate(nullptr);
        }
        const std::string fpsBefore = scene.FpsText();
        std::string error;
        int32_t result = -1;
        try {
            result = scene.Fly();
        } catch (const DExep& e) {
            error = e.message.Text();
        }
        FlightCampaignHooks().autoSave = nullptr;
        if (c.error != nullptr) {
            EXPECT_NE(error.find(c.error), std::string::npos) << error;
        } else {
            EXPECT_EQ(error, "");
            EXPECT_EQ(result, kFlightOver);
            EXPECT_EQ(autosaves, 0);
            EXPECT_EQ(game.Object(kLevelId), nullptr);
            EXPECT_GT(scene.FpsText().size(), fpsBefore.size());
        }
        EXPECT_FALSE(FlightRunning());
        EXPECT_TRUE(LayersEmpty());
        ForgetPlayers();
    }
}

TEST_F(FlightLoopTest, PauseSleepsUntilAKeyAndTheAutosaveRunsFirst) {
    scene.AddPilot({VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, 'A', 'S', 'W', 'D'});
    KeyAt(5, kF7);
    KeyAt(40, kF7);  // about 35 frames' time paused
    KeyAt(60, VK_ESCAPE);
    KeyAt(62, 'Y');
    int autosaves = 0;
    FlightCampaignHooks().autoSave = [&](Processor&) { ++autosaves; };
    Manager().SetAutoSaveBeforeFlight(true);
    EXPECT_EQ(scene.Fly(), kFlightQuit);
    FlightCampaignHooks().autoSave = nullptr;
    EXPECT_EQ(autosaves, 1);
    // While paused no frame passed: the frames are fewer than the time would give.
    EXPECT_LT(game.Cpu().FrameNumber(), 40);
    int pauseSleeps = 0;
    for (uint32_t ms : game.Sleeps()) pauseSleeps += ms == 10 ? 1 : 0;
    EXPECT_GT(pauseSleeps, 50);
}

}  // namespace

namespace {

TEST(FlightStopTest, WaitsSleepAndEndWhenTheProgramStops) {
    struct Case {
        const char* name;
        bool pause;  // else the game goes to the background
        uint32_t sleep;
    } cases[] = {
        {"paused", true, 10},
        {"in the background", false, 300},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GameHarness game;
        FlightScene scene(game);
        game.Start();
        scene.AddPilot({VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, 'A', 'S', 'W', 'D'});
        const uint32_t start = game.Now();
        if (c.pause) {
            game.At(start + 5 * kFrame, [&] { game.PressKey(kF7); });
        } else {
            game.At(start + 5 * kFrame, [&] { game.SetActive(false); });
        }
        game.At(start + 200 * kFrame, [&] { game.Host().App().InjectClose(); });
        bool stopped = false;
        try {
            scene.Fly();
        } catch (const StopRequested&) {
            stopped = true;
        }
        EXPECT_TRUE(stopped);
        EXPECT_FALSE(FlightRunning());
        EXPECT_LT(game.Cpu().FrameNumber(), 20);
        int waits = 0;
        for (uint32_t ms : game.Sleeps()) waits += ms == c.sleep ? 1 : 0;
        EXPECT_GT(waits, 5);
    }
}

}  // namespace
