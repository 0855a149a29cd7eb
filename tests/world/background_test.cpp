#include <gtest/gtest.h>

#include <cstdint>

#include "foundation/script_handle.h"
#include "graphics/image.h"
#include "shell/game_ids.h"
#include "tests/support/error_message.h"
#include "tests/world/world_fixture.h"
#include "world/backgrounds.h"
#include "world/stars_sky.h"

namespace {

const std::vector<FdEntry> kPictures = {
    {"Tile.dpf", PictureBytes({Solid(10, 20)})},  // tiles 1000 x 2000 hundredths
    {"Flat.dpf", PictureBytes({Pixels{}})},       // a frame without size
    {"Stars.dpf", PictureBytes({Solid(1, 1), Solid(2, 2), Solid(3, 3)})},
};

class BackgroundTest : public WorldTest {
  protected:
    BackgroundTest() : WorldTest(kPictures) {}

    CycleBackGroundObject& Cycle(const char* picture = "Tile.dpf", uint32_t flags = 0) {
        auto& cycle = CycleBackGroundObject::Of(&New("CycleBackGround", {Picture(picture).Address()}));
        cycle.Own(kVisualFlags) = flags;
        return cycle;
    }

    StarsSkyObject& Sky(int32_t count, int32_t range = 640) {
        return StarsSkyObject::Of(
            &New("StarsSky", {uint32_t(range), uint32_t(count), Picture("Stars.dpf").Address()}));
    }
};

TEST_F(BackgroundTest, BackgroundsScrollWithTheLevelAndLeaveBelowTheField) {
    struct Case {
        const char* name;
        const char* className;
        int32_t y, speed;
        int32_t endY, state;
    } cases[] = {
        {"scrolls down", "BackGround", -500, 300, -200, kActorAlive},
        {"active too", "ActiveBackGround", -500, 300, -200, kActorAlive},
        {"100 pixels below is still in", "BackGround", 57900, 100, 58000, kActorAlive},
        {"then it is gone", "BackGround", 58000, 1, 58001, kActorGone},
        {"no scroll, no movement", "BackGround", 700, 0, 700, kActorAlive},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Level().SetInt(kLevelSpeed, c.speed);
        const bool active = std::string(c.className) == "ActiveBackGround";
        std::vector<uint32_t> args = {uint32_t(c.y), 40, Picture("Tile.dpf").Address()};
        if (active) args.insert(args.begin(), Table({9}));
        ActorObject& bg = ActorObject::Of(&New(c.className, args));
        EXPECT_EQ(bg.Energy(), 10000000);
        EXPECT_EQ(bg.Own(kActorDamage), active ? 9u : 0u);
        CallVirtual(&bg, kStepVirtual, {0});
        EXPECT_EQ(bg.X(), 40);
        EXPECT_EQ(bg.Y(), c.endY);
        EXPECT_EQ(bg.SpeedY(), c.speed);
        EXPECT_EQ(bg.State(), c.state);
        EXPECT_EQ(bg.Int(kVisualPhase), 50);
    }
}

TEST_F(BackgroundTest, BackgroundsDrawAboveTheLevelTint) {
    ActorObject& bg = ActorObject::Of(&New("BackGround", {0, 0, Picture("Tile.dpf").Address()}));
    bg.SetInt(kActorLayer, 2);
    Level().SetInt(kLevelTintValue, 5);
    EXPECT_EQ(Visual::CallEvent10(&bg, 0), 7);
    EXPECT_EQ(Visual::CallEvent9First(&bg, 0), 4);
    EXPECT_EQ(Visual::CallEvent9Second(&bg, 0), 0);
    // Without a running level there is no tint and no scroll.
    Cpu().Objects().SetObject(nullptr, kLevelId);
    EXPECT_EQ(Visual::CallEvent10(&bg, 0), 2);
    CallVirtual(&bg, kStepVirtual, {0});
    EXPECT_EQ(bg.Y(), 0);
}

TEST_F(BackgroundTest, CycleWrapsByOneTileAndFlips) {
    CycleBackGroundObject& cycle = Cycle("Tile.dpf", kCycleDrifts);
    EXPECT_EQ(cycle.Int(kCycleTileWidth), 1000);
    EXPECT_EQ(cycle.Int(kCycleTileHeight), 2000);
    Call(&cycle, 35);
    ScriptStore32(Pop(), 300);  // sideways speed through its reference
    Level().SetInt(kLevelSpeed, 700);
    struct Expect {
        int32_t x, y;
        uint32_t flip;
    } expected[] = {{-700, -1300, 1}, {-400, -600, 1}, {-100, -1900, 0}, {-800, -1200, 0}};
    for (const Expect& e : expected) {
        CallVirtual(&cycle, kStepVirtual, {0});
        EXPECT_EQ(cycle.X(), e.x);
        EXPECT_EQ(cycle.Y(), e.y);
        EXPECT_EQ(cycle.Own(kCycleFlip), e.flip);
        EXPECT_EQ(cycle.State(), kActorAlive);
    }
}

TEST_F(BackgroundTest, TileSizesAScriptSetAtTheEndOfTheRangeWrapAsScriptArithmeticDoes) {
    CycleBackGroundObject& cycle = Cycle("Tile.dpf", kCycleDrifts);
    cycle.SetInt(kCycleTileWidth, INT32_MIN);
    cycle.SetInt(kCycleTileHeight, INT32_MIN);
    cycle.SetInt(kCycleSideways, 0);
    cycle.SetInt(kVisualX, 1);
    cycle.SetInt(kVisualY, -600);
    Level().SetInt(kLevelSpeed, 700);
    CallVirtual(&cycle, kStepVirtual, {0});
    EXPECT_EQ(cycle.X(), INT32_MIN + 1);
    EXPECT_EQ(cycle.Y(), INT32_MIN + 100);
}

TEST_F(BackgroundTest, CycleTilesCoverTheField) {
    struct Case {
        const char* name;
        const char* picture;
        uint32_t flags;
        int32_t sceneWidth;
        uint32_t count;
    } cases[] = {
        {"25 rows of 64 columns", "Tile.dpf", 0, 64000, 25 * 64},
        {"a drifting field has a column more", "Tile.dpf", kCycleDrifts, 64000, 25 * 65},
        {"a part column counts whole", "Tile.dpf", 0, 64050, 25 * 65},
        {"a tile without size draws nothing", "Flat.dpf", 0, 64000, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PublishedFlight().sceneWidthX100 = c.sceneWidth;
        CycleBackGroundObject& cycle = Cycle(c.picture, c.flags);
        EXPECT_EQ(Visual::CallEvent7(&cycle), c.count);
        Level().SetInt(kLevelSpeed, 100);
        CallVirtual(&cycle, kStepVirtual, {0});  // no division by a size of 0
    }
}

TEST_F(BackgroundTest, MirroredTilesAlternateAndSwapAtEveryWrap) {
    PublishedFlight().sceneWidthX100 = 3000;  // three columns
    CycleBackGroundObject& cycle = Cycle("Tile.dpf", kCycleMirrored);
    cycle.SetInt(kVisualY, -500);
    struct Case {
        int32_t i;
        uint32_t flip;
        int32_t x, y;
        uint32_t orientation;
    } cases[] = {
        {0, 0, 0, -500, 0},    {1, 0, 2000, -500, 5}, {2, 0, 2000, -500, 0},
        {3, 0, 0, 3500, 6},    {4, 0, 2000, 3500, 2}, {0, 1, 0, 1500, 6},
        {1, 1, 2000, 1500, 2}, {3, 1, 0, 1500, 0},    {4, 1, 2000, 1500, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "tile " << c.i << " flip " << c.flip);
        cycle.Own(kCycleFlip) = c.flip;
        int32_t x = 0, y = 0;
        uint32_t orientation = 9;
        EXPECT_EQ(Visual::CallEvent8(&cycle, c.i, x, y, orientation),
                  Picture("Tile.dpf").GetFrame(0)->Address());
        EXPECT_EQ(x, c.x);
        EXPECT_EQ(y, c.y);
        EXPECT_EQ(orientation, c.orientation);
    }
    cycle.Own(kVisualFlags) = 0;
    int32_t x = 0, y = 0;
    uint32_t orientation = 9;
    Visual::CallEvent8(&cycle, 4, x, y, orientation);
    EXPECT_EQ(x, 1000);
    EXPECT_EQ(y, 1500);
    EXPECT_EQ(orientation, 0u);
}

TEST_F(BackgroundTest, StarsFallAtTheirOwnSpeedAndComeBackAtTheTop) {
    StarsSkyObject& sky = Sky(6);
    ASSERT_EQ(sky.StarCount(), 6u);
    EXPECT_EQ(Visual::CallEvent7(&sky), 6u);
    for (uint32_t i = 0; i < 6; ++i) {
        const VisualObject& star = *sky.Star(i);
        EXPECT_EQ(star.Int(kVisualX) % 100, 0);
        EXPECT_GE(star.Int(kVisualX), 0);
        EXPECT_LE(star.Int(kVisualX), 64000);
        EXPECT_LE(star.Int(kVisualY), 48000);
        EXPECT_GE(star.Int(kVisualDirY), 20);
        EXPECT_LE(star.Int(kVisualDirY), 100);
        int32_t x = 0, y = 0;
        uint32_t orientation = 9;
        const uint32_t frame = Visual::CallEvent8(&sky, static_cast<int32_t>(i), x, y, orientation);
        EXPECT_EQ(frame, Picture("Stars.dpf").GetFrame(star.Int(kVisualPhase) / 100)->Address());
        EXPECT_EQ(x, star.Int(kVisualX));
        EXPECT_EQ(orientation, 0u);
    }

    Level().SetInt(kLevelSpeed, 0);
    const int32_t y0 = sky.Star(0)->Int(kVisualY);
    CallVirtual(&sky, kStepVirtual, {0});
    EXPECT_EQ(sky.Star(0)->Int(kVisualY), y0);  // no scroll, no movement

    Level().SetInt(kLevelSpeed, 1000);
    VisualObject& star = *sky.Star(0);
    star.SetInt(kVisualY, 1000);
    star.SetInt(kVisualDirY, 35);
    CallVirtual(&sky, kStepVirtual, {0});
    EXPECT_EQ(star.Int(kVisualY), 1350);

    const uint32_t old = star.Address();
    star.SetInt(kVisualY, 48000);
    CallVirtual(&sky, kStepVirtual, {0});
    EXPECT_EQ(FindScriptHandle(old, HandleFamily::kScriptObject, 0), nullptr);  // destroyed
    EXPECT_EQ(sky.Star(0)->Int(kVisualY), 0);                                   // its successor at the top
    EXPECT_EQ(sky.StarCount(), 6u);
    EXPECT_EQ(Depth(), 0u);
}

TEST_F(BackgroundTest, StarCountsAreChecked) {
    EXPECT_EQ(Sky(-5).StarCount(), 0u);
    EXPECT_EQ(Sky(0).StarCount(), 0u);
    EXPECT_EQ(Sky(3, INT32_MAX).StarCount(), 3u);  // places beyond 32 bits wrap, never overflow
    EXPECT_EQ(ErrorMessage([&] { Sky(kMaxStars + 1); }), "StarsSky: 65537 stars asked for, at most 65536");
    const uint32_t before = LiveScriptHandleCount();
    Sky(10);
    objects.pop_back();
    EXPECT_EQ(LiveScriptHandleCount(), before);  // the sky takes its stars with it
}

TEST_F(BackgroundTest, AStarAScriptDeletedIsPassedOver) {
    StarsSkyObject& sky = Sky(3);
    DestroyObject(sky.Star(1));
    EXPECT_EQ(sky.Star(1), nullptr);
    Level().SetInt(kLevelSpeed, 100);
    CallVirtual(&sky, kStepVirtual, {0});
    int32_t x = 1, y = 1;
    uint32_t orientation = 9;
    EXPECT_EQ(Visual::CallEvent8(&sky, 1, x, y, orientation), 0u);
    EXPECT_EQ(Visual::CallEvent8(&sky, 99, x, y, orientation), 0u);
}

}  // namespace
