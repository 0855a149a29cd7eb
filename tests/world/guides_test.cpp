#include "world/guides.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "foundation/random.h"
#include "script/math_procs.h"
#include "shell/game_ids.h"
#include "tests/world/flight_actors_fixture.h"
#include "world/ship.h"
#include "world/shots.h"
#include "world/shots_manager.h"
#include "world/slot.h"
#include "world/weapon.h"

namespace {

constexpr uint32_t kFlightActorsId = 5;
constexpr uint32_t kShotsManagerId = 10;

class GuidesTest : public FlightActorsTest {
  protected:
    GuidesTest() { game.Objects().SetObject(new ShotsManager(&Cpu()), kShotsManagerId); }

    // Pop order after the class: picture, consumption, value F, base value, turn rate or spread.
    GuideObject& NewGuide(const char* cls, int32_t setting) {
        return Make<GuideObject>(cls, {0, 0, 0, 0, W(setting)});
    }
    // An actor in the flight's actor list (object 5), which guides search.
    ActorObject& Enemy(int32_t x, int32_t y) {
        GameObject made = game.New("Actor", {0, 0, 0, 0, W(y), W(x), 100, 0});
        ActorObject& actor = ActorObject::Of(made.get());
        List(kFlightActorsId).AppendObject(made.release());
        return actor;
    }
    void Step(GuideObject& guide) { CallVirtual(&guide, kStepVirtual, {0}); }
};

TEST_F(GuidesTest, CreationValuesAndReferences) {
    const struct {
        const char* cls;
        int32_t a;
        int32_t b;
        int32_t c;
    } cases[] = {{"CircleGuide", 0, 250, 250}, {"AngleGuide", 250, 250, 0}, {"SelfGuidedGuide", 0, 250, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cls);
        GuideObject& guide = NewGuide(c.cls, 250);
        EXPECT_EQ(guide.ItemKind(), kItemGuide);
        EXPECT_EQ(guide.Int(kVisualDirX), 0);
        EXPECT_EQ(guide.Int(kVisualDirY), -100);
        EXPECT_EQ((std::vector<int32_t>{guide.Int(kGuideA), guide.Int(kGuideB), guide.Int(kGuideC)}),
                  (std::vector<int32_t>{c.a, c.b, c.c}));
        EXPECT_TRUE(guide.Class()->InheritsFrom("Guide"));
    }
    GuideObject& plain = Make<GuideObject>("Guide", {0, 0, 0, 0});
    EXPECT_EQ(plain.ItemKind(), kItemGuide);
}

TEST_F(GuidesTest, CircleGuideTurnsAtItsRate) {
    const struct {
        int32_t heading;
        int32_t rate;
        int32_t next;
    } cases[] = {{35900, 200, 100}, {0, 9000, 9000}, {100, -300, -200}, {2147483000, 2147483000, 22000}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.heading);
        GuideObject& guide = NewGuide("CircleGuide", c.rate);
        guide.SetInt(kGuideA, c.heading);
        Step(guide);
        EXPECT_EQ(guide.Heading(), c.next);
        EXPECT_EQ(guide.Int(kVisualDirX), CosX100(c.next));
        EXPECT_EQ(guide.Int(kVisualDirY), -SinX100(c.next));
    }
}

TEST_F(GuidesTest, SelfGuidedGuideTurnsTowardItsTargetByAtMostItsRate) {
    // The y that puts a target far to the left at that angle from the guide.
    const auto yAt = [](int32_t angle) {
        int32_t y = -2000;
        while (VectorAngleX100(-100000, y) != angle && y < 2000) ++y;
        return y;
    };
    const struct {
        const char* what;
        int32_t x;
        int32_t y;
        int32_t rate;
        int32_t heading;
    } cases[] = {
        {"straight behind turns by +rate", -100000, yAt(18000), 500, 500},
        {"just past behind turns by -rate", -100000, yAt(18001), 500, -500},
        {"a small angle is taken whole", 100000, -1000, 5000, VectorAngleX100(100000, -1000)},
        {"rate 0 keeps the heading", 0, -100000, 0, 0},
        {"a negative rate stored by a script turns as its size", -100000, yAt(18000), -500, 500},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        GuideObject& guide = NewGuide("SelfGuidedGuide", c.rate);
        guide.SetInt(kVisualDirX, 7);
        ActorObject& target = Enemy(c.x, c.y);
        Step(guide);
        EXPECT_EQ(guide.Target(), &target);
        EXPECT_EQ(guide.Heading(), c.heading);
        EXPECT_EQ(guide.Int(kVisualDirX), c.heading != 0 ? CosX100(c.heading) : 7);
        Delete(&target);
    }
}

TEST_F(GuidesTest, ATargetAScriptMovedFurtherOffThanTheRangeHoldsIsStillAimedAt) {
    GuideObject& guide = NewGuide("SelfGuidedGuide", 36000);  // any turn in one step
    guide.Own(kGuideC) = 1;                                   // locked on its target
    ActorObject& target = Enemy(1000, 0);
    Step(guide);
    ASSERT_EQ(guide.Target(), &target);
    guide.SetInt(kVisualX, -1000000);
    target.SetInt(kVisualX, INT32_MAX);
    target.SetInt(kVisualY, -1000000000);
    Step(guide);
    EXPECT_EQ(guide.Heading(), VectorAngleX100(INT32_MAX, -1000000000));
}

// A guide keeps its target from one step (and flight) to the next: a target that is removed or
// deleted meanwhile is dropped for the nearest live actor, never used.
TEST_F(GuidesTest, SelfGuidedGuideTargets) {
    struct Case {
        const char* what;
        bool locked;
        int32_t farState;  // state of the far actor, held as target before the step
        bool deleteFar;
        bool keepsFar;
    };
    const Case cases[] = {
        {"locked keeps its target though another is nearer", true, 0, false, true},
        {"unlocked takes the nearest", false, 0, false, false},
        {"a removed target is dropped", true, 2, false, false},
        {"a deleted target is dropped", true, 0, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GuideObject& guide = NewGuide("SelfGuidedGuide", 100);
        guide.SetInt(kGuideC, c.locked ? 1 : 0);
        ActorObject& near = Enemy(0, -1000);
        ActorObject& far = Enemy(0, -90000);
        guide.SetTarget(&far);
        far.SetState(c.farState);
        if (c.deleteFar) Delete(&far);
        Step(guide);
        EXPECT_EQ(guide.Target(), c.keepsFar ? &far : &near);
        Delete(&near);
        if (!c.deleteFar) Delete(&far);
    }
    GuideObject& guide = NewGuide("SelfGuidedGuide", 100);
    Step(guide);
    EXPECT_EQ(guide.Target(), nullptr);
    ActorObject& only = Enemy(500, 500);
    Call(&guide, "SelfGuidedGuide", 28);
    EXPECT_EQ(guide.Target(), &only);
    CallVirtual(&guide, kGuideReleaseVirtual, {1});
    EXPECT_EQ(guide.Target(), &only);
    CallVirtual(&guide, kGuideReleaseVirtual, {0});
    EXPECT_EQ(guide.Target(), nullptr);
}

// A weapon hands each shot it fires to the switched-on guide of its place; the angle guide turns
// it within its spread and keeps its speed, the others leave it.
TEST_F(GuidesTest, EachGuideAimsAFiredShot) {
    struct Case {
        const char* cls;
        int32_t spread;
        bool switchedOn;
        int32_t most;  // largest turn of the shot in hundredths of a degree
    };
    const Case cases[] = {
        {"AngleGuide", 0, true, 0},     {"AngleGuide", 1500, true, 1500}, {"AngleGuide", 9000, true, 9000},
        {"AngleGuide", 9000, false, 0}, {"CircleGuide", 9000, true, 0},   {"SelfGuidedGuide", 9000, true, 0},
    };
    SeedRandom(7);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.cls) + " " + std::to_string(c.spread));
        // Shots at speed 30 straight up.
        auto& weapon = Make<WeaponObject>(
            "EnergyWeapon", {0, 0, 0, 0, W(-100), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 30, 1, 0, 0, 0});
        GuideObject& guide = NewGuide(c.cls, c.spread);
        ShipLayout shape;
        shape.slotCounts[kWeaponGroup] = 1;
        shape.mass = 1;
        auto ship = std::make_unique<ShipObject>(game.Class("Ship"), 0, 0, 0, shape);
        SlotObject& slot = *ship->SlotAt(kWeaponGroup, 0);
        slot.SetObject(&weapon);
        slot.SetObjectB(&guide);
        slot.SetSecondEnabled(1);
        slot.SetSecondState(c.switchedOn ? 1 : 0);
        // The slot owns both items now; the ship takes them with it.
        ObjectManager::ForgetEverywhere(&weapon);
        ObjectManager::ForgetEverywhere(&guide);
        int32_t widest = 0;
        for (int i = 0; i < 40; ++i) {
            Weapon::CallTrigger(&weapon, i);
            const ShotObject& shot = ShotObject::Of(List(kShotsManagerId).ObjectList().Last());
            // Up to the rounding of the integer sine and cosine.
            EXPECT_NEAR(IntHypot(shot.SpeedX(), shot.SpeedY()), 3000, 60);
            const int32_t turn = std::abs(VectorAngleX100(shot.SpeedX(), shot.SpeedY()) - 9000);
            EXPECT_LE(turn, c.most + 20);
            widest = std::max(widest, turn);
        }
        if (c.most > 0) {
            EXPECT_GT(widest, c.most / 2);
        }
    }
}

}  // namespace
