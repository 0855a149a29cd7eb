// The demo game's idle demos, as the main screen plays them when left alone: each recording flies
// its level with its own pilot, who steers and fires on the recorded keys, and the flight ends by
// itself with the level, back to the caller.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "screens/main_menu.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "shell/game_ids.h"
#include "tests/support/demo_content.h"
#include "tests/support/error_message.h"
#include "tests/support/game_harness.h"
#include "world/actor.h"
#include "world/level.h"
#include "world/player.h"

namespace {

constexpr uint32_t kFrame = 28;

uint32_t ListCount(GameHarness& game, uint32_t id) {
    auto* list = dynamic_cast<ObjectManager*>(game.Object(id));
    return list != nullptr ? list->ObjectList().Count() : 0;
}

TEST(DemoIdleTest, EachIdleDemoFliesItsLevelToTheEndOnItsRecording) {
    for (const DemoIdleDemo& demo : kDemoIdleDemos) {
        SCOPED_TRACE(demo.demoFile);
        GameHarness game;
        for (const FdEntry& e : DemoArchiveEntries()) game.AddEntry(e.name, e.data, e.packed);
        game.Start();
        ResetMainMenuGames();
        struct Seen {
            bool levelFinished = false;
            uint32_t pilotShots = 0;
            bool steeredLeft = false;
            bool steeredRight = false;
            std::string level;
        } seen;
        const uint32_t start = game.Now();
        for (uint32_t frame = 1; frame < 2 * kDemoLevelLength; ++frame) {
            game.At(start + frame * kFrame, [&] {
                seen.pilotShots = std::max(seen.pilotShots, ListCount(game, kShotsManagerId));
                if (LevelObject* level = LevelObject::Running(game.Objects())) {
                    seen.levelFinished |= level->Finished();
                    seen.level = level->Class() != nullptr ? level->Class()->ClassName().Text() : "";
                }
                auto* players = dynamic_cast<ObjectManager*>(game.Object(kPlayerListId));
                if (players == nullptr || players->ObjectList().Head() == nullptr) return;
                if (auto* ship = dynamic_cast<ActorObject*>(
                        PlayerObject::Of(players->ObjectList().Head()->item).Ship())) {
                    seen.steeredLeft |= ship->SpeedX() < 0;
                    seen.steeredRight |= ship->SpeedX() > 0;
                }
            });
        }

        EXPECT_EQ(ErrorMessage([&] {
                      MenuGames().playDemo(game.Cpu(), demo.demoFile, demo.levelClass, demo.playerFile);
                  }),
                  "no error");

        EXPECT_TRUE(seen.levelFinished);
        EXPECT_EQ(seen.level, demo.levelClass);
        // Only the recording moved the ship and fired: no key was typed and the pointer stood still.
        EXPECT_GT(seen.pilotShots, 0u);
        EXPECT_TRUE(seen.steeredLeft);
        EXPECT_TRUE(seen.steeredRight);
        EXPECT_LT(game.Cpu().FrameNumber(), 2 * static_cast<uint32_t>(kDemoLevelLength));
        EXPECT_EQ(game.Log(), "");
    }
}

}  // namespace
