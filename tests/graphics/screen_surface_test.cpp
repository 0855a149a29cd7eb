#include "graphics/screen_surface.h"

#include <gtest/gtest.h>

#include "foundation/config_blocks.h"

TEST(ScreenSurface, PitchAndRowsAndFill) {
    ScreenSettingsBlock settings;
    settings.SetMode(8, 302, 3);
    MemorySurface eight(&settings, nullptr, 4);
    EXPECT_EQ(eight.Pitch(), 304);
    EXPECT_EQ(eight.RowAddress(2), eight.Pixels() + 608);
    eight.Fill(0x1234);
    EXPECT_EQ(eight.Pixels()[0], 0x34);
    EXPECT_EQ(eight.Pixels()[1], 0x34);

    settings.SetMode(16, 640, 2);
    MemorySurface sixteen(&settings, nullptr, 4);
    EXPECT_EQ(sixteen.Pitch(), 1280);
    EXPECT_EQ(sixteen.PixelAddress(3, 1), sixteen.Pixels() + 1280 + 6);
    sixteen.Fill(0xF800);
    EXPECT_EQ(sixteen.Pixels()[2 * 1280 - 1], 0xF8);
    EXPECT_EQ(sixteen.Pixels()[2 * 1280 - 2], 0x00);
}
