// A demo recorded from a flight on injected keys and replayed with GameManager method 12 flies the
// same flight every time.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "campaign/flight_loop.h"
#include "campaign/player_files.h"
#include "campaign/screen_hooks.h"
#include "foundation/fw.h"
#include "foundation/random.h"
#include "graphics/image.h"
#include "platform/key_table.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "shell/game_ids.h"
#include "shell/input_device.h"
#include "tests/support/flight_scene.h"
#include "tests/support/game_harness.h"
#include "tests/support/pilot_fixture.h"
#include "world/actor.h"
#include "world/player.h"
#include "world/player_config.h"
#include "world/ship.h"

namespace {

constexpr uint32_t kFrame = 28;
constexpr uint32_t kFlyMethod = 4;
constexpr uint32_t kLoadAndFly = 12;

// Where the flight stood at its end: every ship's place and energy, the frame count, the pilots'
// experience.
struct FinalState {
    std::vector<int32_t> ships;
    int32_t frames = 0;
    std::vector<int32_t> experience;
    bool operator==(const FinalState&) const = default;
};

class DemoDeterminismTest : public ::testing::Test {
  protected:
    DemoDeterminismTest() : scene(game) {
        game.Start();
        manager = game.Object(kGameManagerId);
        scene.AddPilot({VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, 'A', 'S', 'W', 'D'});
        scene.AddPilot({'J', 'L', 'I', 'K', 'F', 'G', 'H', 'T'});
        WritePlayerFiles();
        // Enemies and a fixed frame phase at the start of every flight; the state at its end.
        Screens().loadingScreen = [this](Processor&, int32_t) {
            if (!FlightRunning()) return;  // the loading screen of the player files
            for (int i = 0; i < 6; ++i) scene.Enemy(100 + 80 * i, 40 + 10 * i, 200 + 20 * i, 30, 5);
            game.AdvanceToFrame();
            start = game.Now();
            for (auto& [frame, key] : liveKeys) {
                game.At(start + frame * kFrame + kFrame / 2, [this, k = key] { game.PressKey(k); });
                game.At(start + (frame + 1) * kFrame + kFrame / 2, [this, k = key] { game.ReleaseKey(k); });
            }
        };
        FlightCampaignHooks().stampLastDate = [this](Processor& cpu) {
            state = {};
            auto& ships = dynamic_cast<ObjectManager&>(*game.Object(kShipListId)).ObjectList();
            for (const auto* node = ships.Head(); node != nullptr; node = node->next) {
                const auto& ship = ActorObject::Of(node->item);
                state.ships.insert(state.ships.end(), {ship.X(), ship.Y(), ship.Energy(), ship.State()});
            }
            state.frames = cpu.FrameNumber();
            for (const auto* node = game.Players().ObjectList().Head(); node != nullptr; node = node->next)
                state.experience.push_back(dynamic_cast<PlayerObject*>(node->item)->Experience());
        };
    }
    ~DemoDeterminismTest() override { FlightCampaignHooks() = {}; }

    // The pilots as a player file and their key mappings as "Keys.INPD", loose in the game folder.
    void WritePlayerFiles() {
        std::string pilots;
        FW keys;
        keys.Create(String("Keys.INPD"));
        for (const auto* node = game.Players().ObjectList().Head(); node != nullptr; node = node->next) {
            auto& player = *dynamic_cast<PlayerObject*>(node->item);
            PlayerConfig config;
            Player::StoreToConfig(config, player);
            pilots += StoredBytes(config, "pilot.stored");
            player.Input()->WriteKeysChunk(keys);
        }
        keys.Close();
        FW file;
        file.Create(String("Demo.PCFG"));
        file.Write(pilots.data(), static_cast<uint32_t>(pilots.size()));
        file.Close();
    }

    // The flight flown live from the player file with the steering keys typed, recorded.
    FinalState Record() {
        ReplacePlayers(game.Cpu(), ReadPlayerFile(game.Cpu(), String("Demo.PCFG"), 0));
        FW demo;
        demo.Create(String("Flight.DEMO"));
        std::vector<InputDevice*> devices;
        for (const auto* node = game.Players().ObjectList().Head(); node != nullptr; node = node->next)
            devices.push_back(dynamic_cast<PlayerObject*>(node->item)->Input());
        for (InputDevice* d : devices) d->SetRecordingSink(&demo);
        liveKeys = {{5, VK_LEFT}, {6, VK_LEFT},   {7, VK_LEFT},    {9, 'L'},  {10, 'L'},
                    {12, 'A'},    {20, VK_UP},    {21, VK_UP},     {22, 'F'}, {30, 'J'},
                    {31, 'J'},    {40, VK_RIGHT}, {60, VK_ESCAPE}, {62, 'Y'}};
        SeedRandom(0);
        game.CallMethod(manager, kFlyMethod, {game.Text("TestFlightLevel")});
        for (const auto* node = game.Players().ObjectList().Head(); node != nullptr; node = node->next)
            dynamic_cast<PlayerObject*>(node->item)->Input()->SetRecordingSink(nullptr);
        demo.Close();
        return state;
    }

    // The same flight from the demo: only the question's keys are typed.
    FinalState Replay() {
        liveKeys = {{60, VK_ESCAPE}, {62, 'Y'}};
        game.CallMethod(manager, kLoadAndFly,
                        {game.Text("Flight.DEMO"), game.Text("TestFlightLevel"), game.Text("Demo.PCFG")});
        return state;
    }

    GameHarness game;
    FlightScene scene;
    ScriptObject* manager = nullptr;
    std::vector<std::pair<uint32_t, int32_t>> liveKeys;
    uint32_t start = 0;
    FinalState state;
};

TEST_F(DemoDeterminismTest, ARecordedDemoFliesTheSameFlightEveryTime) {
    const FinalState recorded = Record();
    ASSERT_FALSE(recorded.ships.empty());
    const FinalState first = Replay();
    const FinalState second = Replay();
    EXPECT_EQ(first, second);
    EXPECT_EQ(first, recorded);
    EXPECT_GT(first.frames, 60);
    // The first pilot steered left and up: the replay moved its ship as the keys did.
    ASSERT_GE(first.ships.size(), 2u);
    EXPECT_LT(first.ships[0], 640 * 100 / 3);
    EXPECT_LT(first.ships[1], 480 * 80);
}

}  // namespace
