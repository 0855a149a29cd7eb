// The screen a window draws on, and its failure when the window has none.
#include "screens/screen_helpers.h"

#include <gtest/gtest.h>

#include "graphics/display.h"
#include "graphics/screen_surface.h"
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

}  // namespace
