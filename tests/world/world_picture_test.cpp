// Pictures by name for the world's effects, and the engine error for a missing one.
#include "world/world_picture.h"

#include <gtest/gtest.h>

#include "graphics/image.h"
#include "shell/game_ids.h"
#include "tests/support/error_message.h"
#include "tests/world/world_fixture.h"

namespace {

using WorldPictureTest = WorldTest;

TEST_F(WorldPictureTest, APictureComesFromTheCacheOrNamesWhatIsMissing) {
    EXPECT_EQ(&CachedPicture(Cpu(), "Misc\\Broker.dpf"), &Picture("Misc\\Broker.dpf"));
    EXPECT_NE(ErrorMessage([&] { CachedPicture(Cpu(), "Misc\\Absent.dpf"); }).find("Absent.dpf"),
              std::string::npos);
    Cpu().Objects().SetObject(nullptr, kImageManagerId);
    EXPECT_EQ(ErrorMessage([&] { CachedPicture(Cpu(), "Misc\\Broker.dpf"); }),
              "No picture manager for \"Misc\\Broker.dpf\"");
}

}  // namespace
