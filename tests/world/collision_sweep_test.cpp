#include "world/collision_sweep.h"

#include <gtest/gtest.h>

#include "foundation/random.h"
#include "graphics/frame.h"
#include "graphics/image.h"
#include "tests/world/world_fixture.h"

namespace {

const std::vector<FdEntry> kPictures = {
    {"Box.dpf", PictureBytes({Solid(4, 4)})},
    {"Bar.dpf", PictureBytes({Solid(8, 2)})},
};

class CollisionSweepTest : public WorldTest {
  protected:
    CollisionSweepTest() : WorldTest(kPictures) {}

    ActorObject& At(const char* picture, int32_t x, int32_t y, uint32_t orientation = 0) {
        ActorObject& a = NewActor(Picture(picture).Address(), 1000, x, y, 0, 0, Table({1}));
        Draw(a, {{Picture(picture).GetFrame(0)->Address(), x, y, orientation}});
        return a;
    }
};

TEST_F(CollisionSweepTest, BoundsAreThePlacedBoxes) {
    struct Case {
        const char* name;
        const char* picture;
        int32_t x, y;
        uint32_t orientation;
        int64_t left, top, right, bottom;
    } cases[] = {
        {"as stored", "Bar.dpf", 1050, 2099, 0, 10, 20, 18, 22},
        {"a quarter turn stands the bar up", "Bar.dpf", 1000, 2000, 1, 8, 20, 10, 28},
        {"left of the field", "Box.dpf", -1000, 0, 0, -10, 0, -6, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const DrawnBounds b = BoundsOf(At(c.picture, c.x, c.y, c.orientation));
        EXPECT_EQ(b.left, c.left);
        EXPECT_EQ(b.top, c.top);
        EXPECT_EQ(b.right, c.right);
        EXPECT_EQ(b.bottom, c.bottom);
    }
    ActorObject& nothing = NewActor(0, 1, 0, 0);
    EXPECT_TRUE(BoundsOf(nothing).Empty());
    nothing.SetDrawnCount(21);  // entries beyond the cache are placed only when tested
    EXPECT_TRUE(BoundsOf(nothing).everywhere);
}

TEST_F(CollisionSweepTest, CandidatesAreTheOverlappingBoxesInGroupOrder) {
    std::vector<ActorObject*> group = {&At("Box.dpf", 0, 0), &At("Bar.dpf", 300, 100),
                                       &At("Box.dpf", 5000, 5000), &At("Bar.dpf", -400, 0),
                                       &At("Box.dpf", 200, 200)};
    ActorObject& far = NewActor(0, 1, 0, 0);
    far.SetDrawnCount(30);
    group.push_back(&far);
    const CollisionSweep sweep(group);
    struct Case {
        const char* name;
        int32_t x, y;
        std::vector<uint32_t> expected;
    } cases[] = {
        {"touching the first three near the corner", 100, 100, {0, 1, 3, 4, 5}},
        {"alone far away", 20000, 20000, {5}},
        {"edges that only meet do not overlap", 400, 0, {1, 4, 5}},
        {"the lone box", 4900, 4900, {2, 5}},
    };
    std::vector<uint32_t> found;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sweep.Candidates(BoundsOf(At("Box.dpf", c.x, c.y)), found);
        EXPECT_EQ(found, c.expected);
    }
}

TEST_F(CollisionSweepTest, TheSweepMissesNoHit) {
    SeedRandom(5);
    std::vector<ActorObject*> shots;
    for (int i = 0; i < 60; ++i)
        shots.push_back(&At("Bar.dpf", EngineRand() % 6000, EngineRand() % 6000, i % 4));
    const CollisionSweep sweep(shots);
    std::vector<uint32_t> found;
    int hits = 0;
    for (int i = 0; i < 60; ++i) {
        ActorObject& target = At("Box.dpf", EngineRand() % 6000, EngineRand() % 6000);
        sweep.Candidates(BoundsOf(target), found);
        for (uint32_t s = 0; s < shots.size(); ++s) {
            const bool candidate = std::find(found.begin(), found.end(), s) != found.end();
            const uint32_t hit = Actor::TestCollision(*shots[s], target);
            if (hit != 0) {
                ++hits;
                EXPECT_TRUE(candidate) << "shot " << s << " target " << i;
            }
        }
    }
    EXPECT_GT(hits, 0);
}

}  // namespace
