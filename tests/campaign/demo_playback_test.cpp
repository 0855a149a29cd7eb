#include "campaign/demo_playback.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "campaign/player_files.h"
#include "foundation/fw.h"
#include "platform/key_table.h"
#include "script/object_manager.h"
#include "shell/input_device.h"
#include "tests/support/error_message.h"
#include "tests/support/fd_writer.h"
#include "tests/support/game_harness.h"
#include "tests/support/pilot_fixture.h"
#include "tests/support/startup_archive.h"
#include "world/player.h"
#include "world/player_config.h"

namespace {

std::string Pilot(const std::string& name) {
    PlayerConfig config;
    config.SetName(name);
    return StoredBytes(config, name + ".stored");
}

// What the first action of each player's device holds after a poll.
using Held = std::vector<int32_t>;

// Two pilots on the keys A and B; the demo is recorded from their devices as the game runs.
class DemoPlaybackTest : public ::testing::Test {
  protected:
    void SetUp() override {
        game.AddEntry("Two.PCFG", Pilot("Ann") + Pilot("Bob"));
        game.AddEntry("Keys.INPD", InputDeviceFile({'A'}) + InputDeviceFile({'B'}));
        game.Start();
    }

    std::vector<PlayerObject*> Players() {
        return ReplacePlayers(game.Cpu(), ReadPlayerFile(game.Cpu(), "Two.PCFG", 0));
    }

    static Held PollAll(const std::vector<PlayerObject*>& players) {
        Held held;
        for (PlayerObject* p : players) {
            p->Input()->Poll();
            held.push_back(p->Input()->Actions().Held(0));
        }
        return held;
    }

    // Polls every device once per step with the keys given down, recording into the file.
    std::vector<Held> Record(const std::string& file, const std::vector<std::vector<int32_t>>& keysDown) {
        std::vector<PlayerObject*> players = Players();
        std::vector<Held> polls;
        FW fw;
        fw.Create(String(file.c_str()));
        for (PlayerObject* p : players) p->Input()->SetRecordingSink(&fw);
        for (const auto& down : keysDown) {
            for (int32_t key : down) game.PressKey(key);
            polls.push_back(PollAll(players));
            for (int32_t key : down) game.ReleaseKey(key);
        }
        for (PlayerObject* p : players) p->Input()->SetRecordingSink(nullptr);
        fw.Close();
        game.TakeKeys();
        return polls;
    }

    GameHarness game;
};

TEST_F(DemoPlaybackTest, ThePlayersReplayTheDemoAndAreLiveAgainWhenItGoes) {
    const std::vector<Held> recorded = Record("Demo.DEMO", {{'A'}, {'B'}, {'A', 'B'}, {}});
    const std::vector<Held> expected = {{-1, 0}, {0, -1}, {-1, -1}, {0, 0}};
    ASSERT_EQ(recorded, expected);

    std::vector<PlayerObject*> players;
    {
        DemoPlayback demo(game.Cpu(), "Demo.DEMO");
        players = Players();
        for (PlayerObject* p : players) demo.Attach(*p);
        game.PressKey('B');  // live keys do not count while the demo plays
        for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(PollAll(players), expected[i]) << "poll " << i;
        EXPECT_EQ(PollAll(players), (Held{0, 0}));  // the demo has ended: all released
    }
    // No device is left reading the closed demo: they poll the keys again.
    EXPECT_EQ(PollAll(players), (Held{0, -1}));
}

TEST_F(DemoPlaybackTest, ADamagedDemoIsAnEngineErrorNamingItAndChangesNothing) {
    Record("Demo.DEMO", {{'A'}, {'B'}, {'A'}, {'B'}, {'A'}, {'B'}, {'A'}, {'B'}});
    std::ifstream in("Demo.DEMO", std::ios::binary);
    const std::string plain{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::string packed = SepkPacked(plain);
    std::string flipped = packed;
    for (size_t i = 20; i < flipped.size(); ++i) flipped[i] = static_cast<char>(0xFF);

    struct Case {
        const char* file;
        std::string bytes;
        std::string expected;
    };
    const Case cases[] = {
        {"Cut.DEMO", packed.substr(0, packed.size() - 6), "Damaged demo file \"Cut.DEMO\""},
        {"Garbled.DEMO", flipped, "Garbled.DEMO"},
        {"Missing.DEMO", "", "Missing.DEMO"},
    };
    Players();
    for (const Case& c : cases) {
        if (!c.bytes.empty()) std::ofstream(c.file, std::ios::binary) << c.bytes;
        const std::string message = ErrorMessage([&] { DemoPlayback demo(game.Cpu(), c.file); });
        EXPECT_NE(message.find(c.expected), std::string::npos) << c.file << ": " << message;
    }
    EXPECT_EQ(game.Players().ObjectList().Count(), 2u);
}

}  // namespace
