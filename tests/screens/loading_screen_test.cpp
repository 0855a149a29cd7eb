#include "screens/loading_screen.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "campaign/screen_hooks.h"
#include "foundation/random.h"
#include "graphics/display.h"
#include "graphics/screen_surface.h"
#include "tests/support/game_harness.h"

namespace {

std::vector<uint8_t> Shown(GameHarness& game) {
    return game.Host().Video().LastFrame();
}

bool AnyLit(const std::vector<uint8_t>& frame) {
    for (uint8_t b : frame)
        if (b != 0) return true;
    return false;
}

TEST(LoadingScreenTest, EveryShowingDrawsTheSameStarFieldAndText) {
    GameHarness game;
    game.AddMessages("system.mes", {{353, "Loading the game"}});
    game.Start();
    // Something else on the screen first: the loading screen covers all of it.
    game.Screen().LockSurface();
    game.Screen().Surface()->Fill(0x1234);
    ShowLoadingScreen(game.Cpu(), 0);
    const std::vector<uint8_t> first = Shown(game);
    const uint32_t afterFirst = EngineRand();
    ASSERT_TRUE(AnyLit(first));

    SeedRandom(77);
    ShowLoadingScreen(game.Cpu(), 5);
    EXPECT_EQ(Shown(game), first);
    EXPECT_EQ(EngineRand(), afterFirst);  // seeded with 0 again, then the same draws
}

}  // namespace
