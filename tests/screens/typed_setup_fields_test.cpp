// The player set-up tool's star system typed into the all-items shop with the keys a player binds to
// the windows' actions: the field's text is text, whatever keys it holds and wherever the pointer
// rests.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "campaign/player_files.h"
#include "screens/all_items_shop.h"
#include "shell/game_hooks.h"
#include "tests/support/error_message.h"
#include "tests/support/game_harness.h"
#include "tests/support/keyboard_typing.h"
#include "tests/support/shop_scene.h"
#include "tools/content/player_file.h"
#include "world/player_config.h"

namespace {

using Point = std::pair<int32_t, int32_t>;

// One default pilot, whose device is the mapping of "Keys.INPD".
class TypedSetupFieldTest : public testing::TestWithParam<TypingCase> {
  protected:
    TypedSetupFieldTest() {
        PlayerConfig pilot;
        pilot.SetName("Ann");
        pilot.SetFields(10, 0, 1, 0);
        AddShopContent(game);
        game.AddEntry("AllItems.lst", kBatteryClass);
        game.AddEntry("DefPlCfg.PCFG", StoredBytes(pilot, "Ann.stored"));
        game.AddEntry("Keys.INPD", DialogKeysFile(GetParam().keys));
        game.Start();
    }

    GameHarness game;
};

// A double click opens the star system's field, whose "Star system" is rubbed out and typed anew;
// the close button and yes to the question write the players with it.
TEST_P(TypedSetupFieldTest, TheStarSystemTypedIsWrittenWholeAndOnlyOnClosing) {
    const TypingCase& c = GetParam();
    const Point close = {kShopButtonX, ShopButtonY(3)};
    const Point places[] = {close, {5, 5}};
    const Point field = {612, 203};
    bool writtenBeforeClose = true;
    bool windowBeforeClose = true;
    uint32_t t = DoubleClickAt(game, game.Now() + 300, field.first, field.second);
    const Point rest = places[c.place];
    const std::string typed = std::string(std::strlen("Star system"), '\b') + kTextOfBoundKeys;
    t = RestTypeAndLook(game, t + 300, rest.first, rest.second, typed, [&](bool windowCameOrWent) {
        writtenBeforeClose = std::filesystem::exists("Players.PCFG");
        windowBeforeClose = windowCameOrWent;
    });
    ClickAt(game, t, close.first, close.second);
    ClickAt(game, t += 800, kYesX, kAnswerY);
    EscapeFrom(game, t + 800);
    EXPECT_EQ(ErrorMessage([] { Hooks().newGameSetup(); }), "no error");

    EXPECT_FALSE(writtenBeforeClose);
    EXPECT_FALSE(windowBeforeClose) << "the shop closed or another window opened while typing";
    const std::vector<std::unique_ptr<PlayerConfig>> written =
        ReadPlayerFile(game.Cpu(), String("Players.PCFG"), 0);
    ASSERT_EQ(written.size(), 1u);
    const auto* place = reinterpret_cast<const char*>(written[0]->Location().Payload());
    const auto limit = static_cast<size_t>(AllItemsShopObject::FieldLimit(kStarSystemFieldId));
    EXPECT_EQ(std::string(place), std::string(kTextOfBoundKeys).substr(0, limit));
}

INSTANTIATE_TEST_SUITE_P(BoundKeysAndPointer, TypedSetupFieldTest,
                         testing::ValuesIn(TypingCases({"PointerOnClose", "PointerAway"})),
                         [](const auto& info) { return TypingCaseName(info.param); });

}  // namespace
