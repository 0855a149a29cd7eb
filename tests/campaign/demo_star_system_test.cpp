// The demo campaign after its flight: the star system shows its two planets; a click on one shows
// its description over the window, a click on the other opens the shop, and the game menu follows.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "campaign/player_files.h"
#include "graphics/display.h"
#include "graphics/screen_surface.h"
#include "platform/key_table.h"
#include "tests/support/demo_content.h"
#include "tests/support/error_message.h"
#include "tests/support/game_harness.h"
#include "world/level.h"

namespace {

constexpr uint32_t kFrame = 28;
// Longer than the flight (the level and its end countdown) and the screens after it.
constexpr uint32_t kMaxFrames = 3000;

class DemoStarSystemTest : public ::testing::Test {
  protected:
    DemoStarSystemTest() {
        for (const FdEntry& e : DemoArchiveEntries()) game.AddEntry(e.name, e.data, e.packed);
        game.Start();
    }

    bool Lit(int32_t x, int32_t y) {
        uint16_t pixel = 0;
        std::memcpy(&pixel, game.Screen().Surface()->PixelAddress(x, y), 2);
        return pixel != 0;
    }
    int32_t LitIn(int32_t x0, int32_t y0, int32_t width, int32_t height) {
        int32_t lit = 0;
        for (int32_t y = y0; y < y0 + height; ++y)
            for (int32_t x = x0; x < x0 + width; ++x) lit += Lit(x, y) ? 1 : 0;
        return lit;
    }

    // Nearly all of the 30x30 square round the place is lit, as a planet's disc lights it.
    bool DiscAt(int32_t cx, int32_t cy) { return LitIn(cx - 15, cy - 15, 30, 30) >= 800; }
    bool BothPlanets() {
        return DiscAt(kDemoShopPlanetX, kDemoPlanetY) && DiscAt(kDemoDescribedPlanetX, kDemoPlanetY);
    }

    GameHarness game;
};

TEST_F(DemoStarSystemTest, TheCampaignReachesTheStarSystemAndItsShopPlanetOpensTheShop) {
    struct Seen {
        bool flew = false;
        int32_t systemFrame = -1;
        bool boxOverSystem = false;
        bool planetsAfterBox = false;
        bool shopInsteadOfSystem = false;
    } seen;
    const int32_t middle = (kDemoShopPlanetX + kDemoDescribedPlanetX) / 2;
    // What the player does, frames after the star system showed. Escape closes the description's
    // box.
    const std::vector<std::pair<int32_t, std::function<void()>>> steps = {
        {5, [&] { game.MovePointer(kDemoDescribedPlanetX, kDemoPlanetY); }},
        {10, [&] { game.SetButton(VK_LBUTTON, true); }},
        {14, [&] { game.SetButton(VK_LBUTTON, false); }},
        {40, [&] { seen.boxOverSystem = Lit(middle, kDemoPlanetY); }},
        {40, [&] { game.PressKey(VK_ESCAPE); }},
        {50, [&] { game.ReleaseKey(VK_ESCAPE); }},
        {80, [&] { seen.planetsAfterBox = BothPlanets() && !Lit(middle, kDemoPlanetY); }},
        {80, [&] { game.MovePointer(kDemoShopPlanetX, kDemoPlanetY); }},
        {85, [&] { game.SetButton(VK_LBUTTON, true); }},
        {90, [&] { game.SetButton(VK_LBUTTON, false); }},
        // The shop's tips: OK; the shop: Close; the game menu: Back, which ends the campaign.
        {120, [&] { game.MovePointer(514, 273); }},
        {125, [&] { game.SetButton(VK_LBUTTON, true); }},
        {130, [&] { game.SetButton(VK_LBUTTON, false); }},
        {150, [&] { seen.shopInsteadOfSystem = !BothPlanets() && LitIn(600, 8, 30, 14) > 20; }},
        {160, [&] { game.MovePointer(614, 92); }},
        {165, [&] { game.SetButton(VK_LBUTTON, true); }},
        {170, [&] { game.SetButton(VK_LBUTTON, false); }},
        {200, [&] { game.MovePointer(320, 330); }},
        {205, [&] { game.SetButton(VK_LBUTTON, true); }},
        {210, [&] { game.SetButton(VK_LBUTTON, false); }},
    };
    const uint32_t start = game.Now();
    for (uint32_t frame = 1; frame < kMaxFrames; ++frame) {
        game.At(start + frame * kFrame, [&, frame] {
            const int32_t f = static_cast<int32_t>(frame);
            if (LevelObject::Running(game.Objects()) != nullptr) {
                seen.flew = true;
                return;
            }
            if (seen.systemFrame < 0) {
                if (seen.flew && BothPlanets()) seen.systemFrame = f;
                return;
            }
            for (const auto& [after, action] : steps)
                if (f - seen.systemFrame == after) action();
        });
    }

    EXPECT_EQ(ErrorMessage([&] {
                  LoadPlayerFile(game.Cpu(), String(kDemoCampaignPlayers), String(kDemoCampaignScenario), 1);
              }),
              "no error");
    EXPECT_TRUE(seen.flew);
    EXPECT_GT(seen.systemFrame, 0);
    EXPECT_TRUE(seen.boxOverSystem);
    EXPECT_TRUE(seen.planetsAfterBox);
    EXPECT_TRUE(seen.shopInsteadOfSystem);
    EXPECT_EQ(game.Log(), "");
}

}  // namespace
