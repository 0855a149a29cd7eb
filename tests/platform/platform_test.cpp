#include "platform/platform.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/headless/headless_platform.h"

TEST(Platform, TheHeadlessSetShowsNothingOnAScreen) {
    const std::unique_ptr<Platform> platform = std::make_unique<HeadlessPlatform>();
    EXPECT_FALSE(platform->HasDisplay());
}
