#include "platform/sdl/lost_display.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace {

// Exit handlers and the destructors of globals would run while the game's threads still use what
// they destroy: the guard must end the process before any of them.
TEST(LostDisplayDeathTest, EndsAtOnceWithItsStatusAndNoExitHandlers) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            std::atexit([] { std::fputs("exit handlers ran\n", stderr); });
            EndOnLostDisplay();
        },
        ::testing::ExitedWithCode(kLostDisplayExit),
        "^Vondrel: the connection to the display was lost\\.\n$");
}

}  // namespace
