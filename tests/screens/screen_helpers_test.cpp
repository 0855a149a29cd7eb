// The lookups the screens share: the screen a window draws on, the processor of an object's class
// and the game's player list, each with its failure.
#include "screens/screen_helpers.h"

#include <gtest/gtest.h>

#include "graphics/display.h"
#include "graphics/screen_surface.h"
#include "script/object_manager.h"
#include "script/script_object.h"
#include "tests/support/error_message.h"
#include "tests/support/game_harness.h"
#include "ui/dialog_window.h"

namespace {

class ScreenHelpersTest : public ::testing::Test {
  protected:
    void SetUp() override { game.Start(); }
    GameHarness game;
};

TEST_F(ScreenHelpersTest, ScreenOfAWindowWithAndWithoutADisplay) {
    DialogWindow shown(&game.Cpu(), &game.Screen(), nullptr);
    EXPECT_EQ(ScreenSurfaceOf(shown), game.Screen().Surface());
    EXPECT_EQ(&ScreenOf(shown, "the menu"), game.Screen().Surface());
    EXPECT_EQ(ScreenWidthOf(shown), game.Screen().Surface()->Width());

    DialogWindow hidden(&game.Cpu(), nullptr, nullptr);
    EXPECT_EQ(ScreenSurfaceOf(hidden), nullptr);
    EXPECT_EQ(ScreenWidthOf(hidden), 0);
    EXPECT_EQ(ScreenHeightOf(hidden), 0);
    EXPECT_EQ(ErrorMessage([&] { ScreenOf(hidden, "the options window"); }),
              "No screen for the options window");
}

TEST_F(ScreenHelpersTest, ClassProcessorNamesTheFailureForAnObjectWithoutAClass) {
    ScriptObject classed(game.Class("Player"));
    EXPECT_EQ(&ClassProcessor(classed, "unused"), &game.Cpu());
    ScriptObject bare(nullptr);
    EXPECT_EQ(ErrorMessage([&] { ClassProcessor(bare, "HighScoreManager without a processor"); }),
              "HighScoreManager without a processor");
}

TEST_F(ScreenHelpersTest, PlayerListIsTheWellKnownList) {
    EXPECT_EQ(PlayerList(game.Cpu()), &game.Players());
}

}  // namespace
