#include "world/actor.h"

#include <gtest/gtest.h>

#include <climits>

#include "graphics/frame.h"
#include "graphics/image.h"
#include "script/math_procs.h"
#include "script/native_args.h"
#include "script/native_binder.h"
#include "script/native_catalogue.h"
#include "script/object_lifetime.h"
#include "tests/support/error_message.h"
#include "tests/world/world_fixture.h"

namespace {

// An L of five pixels in a 3 x 3 frame, a dot, and a picture of 22 dots for many-entry actors.
const std::vector<FdEntry> kShapes = {
    {"L.dpf", PictureBytes({{{1, 0, 0}, {1, 0, 0}, {1, 1, 1}}})},
    {"Dot.dpf", PictureBytes({Solid(1, 1)})},
    {"Dots.dpf", PictureBytes(std::vector<Pixels>(22, Solid(1, 1)))},
};

class ActorTest : public WorldTest {
  protected:
    ActorTest() : WorldTest(kShapes) {}

    uint32_t FrameOf(const char* picture, int32_t n = 0) { return Picture(picture).GetFrame(n)->Address(); }
};

TEST_F(ActorTest, CreateSetsTheFieldsOfTheRecord) {
    const uint32_t damage = Table({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    ActorObject& a = NewActor(0, 500, 100, 200, 3, -4, damage, 0);
    EXPECT_EQ(a.Energy(), 500);
    EXPECT_EQ(a.Int(kActorMaxEnergy), 500);
    EXPECT_EQ(a.Int(kVisualPhaseStep), 50);
    EXPECT_EQ(a.Int(kActorExplosionMode), 3);
    EXPECT_EQ(a.Int(kActorLeftMargin), 10000);
    EXPECT_EQ(a.Int(kActorBottomMargin), 15000);
    EXPECT_EQ(a.Own(kActorDamage + 9), 10u);
    EXPECT_EQ(a.Own(kActorArmour + 9), 0u);
    EXPECT_EQ(a.State(), kActorAlive);
    EXPECT_EQ(a.Int(kVisualShownDirection), -1);
}

TEST_F(ActorTest, StepMovesAndLeavesTheFieldPastItsMargins) {
    // The field is 64000 x 48000; margins 10000 left, right and top, 15000 below.
    struct Case {
        const char* name;
        int32_t x, y, speedX, speedY;
        int32_t endX, endY, state;
    } cases[] = {
        {"standing never leaves by itself", 500, 500, 0, 0, 500, 500, kActorAlive},
        {"moves in hundredths", 100, 200, 150, -50, 250, 150, kActorAlive},
        {"100 pixels left is in", -9999, 0, -1, 0, -10000, 0, kActorAlive},
        {"one more is out", -10000, 0, -1, 0, -10001, 0, kActorGone},
        {"right limit is in", 73999, 0, 1, 0, 74000, 0, kActorAlive},
        {"past the right", 74000, 0, 1, 0, 74001, 0, kActorGone},
        {"top limit", 0, -9999, 0, -2, 0, -10001, kActorGone},
        {"150 pixels below is in", 0, 62999, 0, 1, 0, 63000, kActorAlive},
        {"past the bottom", 0, 63000, 0, 1, 0, 63001, kActorGone},
        {"wraps instead of overflowing", INT32_MAX, 0, 1, 0, INT32_MIN, 0, kActorGone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ActorObject& a = NewActor(0, 1, c.x, c.y, c.speedX, c.speedY);
        CallVirtual(&a, kStepVirtual, {7});
        EXPECT_EQ(a.X(), c.endX);
        EXPECT_EQ(a.Y(), c.endY);
        EXPECT_EQ(a.State(), c.state);
        EXPECT_EQ(a.Int(kVisualPhase), 50);  // the animation steps too
        EXPECT_EQ(Depth(), 0u);
    }
    ActorObject& gone = NewActor(0, 1, -20000, 0, 20000, 0);
    gone.SetState(kActorGone);
    CallVirtual(&gone, kStepVirtual, {0});
    EXPECT_EQ(gone.State(), kActorGone);  // coming back does not revive it
}

TEST_F(ActorTest, DamageIsWhatExceedsTheArmour) {
    struct Case {
        const char* name;
        std::array<uint32_t, kDamageKinds> damage, armour;
        int32_t energy;
        int32_t energyAfter, state;
    } cases[] = {
        {"equal deals nothing", {5, 5}, {5, 5}, 10, 10, kActorAlive},
        {"below deals nothing, armour never heals", {1}, {9}, 10, 10, kActorAlive},
        {"sum over kinds",
         {7, 0, 3, 0, 0, 0, 0, 0, 0, 4},
         {2, 9, 0, 0, 0, 0, 0, 0, 0, 1},
         100,
         89,
         kActorAlive},
        {"exactly 0 destroys", {10}, {0}, 10, 0, kActorDestroyed},
        {"compared unsigned", {0x80000000u}, {1}, 10, 10 - INT32_MAX, kActorDestroyed},
        {"a sum past 32 bits does not wrap into a small hit",
         {0xFFFFFFFFu, 0xFFFFFFFFu, 3},
         {},
         1000,
         INT32_MIN,
         kActorDestroyed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ActorObject& a = NewActor(0, c.energy, 0, 0, 0, 0, 0, Table(c.armour));
        ActorObject& attacker = NewActor(0, 1, 0, 0);
        Call(&a, 17, {3, attacker.Address(), Table(c.damage)});
        EXPECT_EQ(a.Energy(), c.energyAfter);
        EXPECT_EQ(a.State(), c.state);
        EXPECT_EQ(Depth(), 0u);
    }
    EXPECT_EQ(Actor::Damage(std::array<uint32_t, 10>{UINT32_MAX, UINT32_MAX}.data(),
                            std::array<uint32_t, 10>{}.data()),
              UINT32_MAX);
}

TEST_F(ActorTest, HitWithATableOutsideScriptMemoryIsAnEngineError) {
    ActorObject& a = NewActor(0, 10, 0, 0);
    EXPECT_NE(ErrorMessage([&] {
                  Call(&a, 17, {0, 0, 16});
              }).find("outside the address space"),
              std::string::npos);
    EXPECT_EQ(a.Energy(), 10);
}

TEST_F(ActorTest, CollisionIsPixelExactInEveryOrientation) {
    const uint32_t l = FrameOf("L.dpf");
    const Frame& shape = *Picture("L.dpf").GetFrame(0);
    const uint32_t dot = FrameOf("Dot.dpf");
    const uint32_t damage = Table({4});
    int hits = 0;
    int misses = 0;
    for (uint32_t orientation : {0u, 1u, 2u, 3u, 5u, 6u}) {
        for (int32_t px = 7; px <= 13; ++px) {
            for (int32_t py = 7; py <= 13; ++py) {
                SCOPED_TRACE(testing::Message()
                             << "orientation " << orientation << " at " << px << "," << py);
                ActorObject& a = NewActor(0, 100, 0, 0, 0, 0, damage);
                ActorObject& b = NewActor(0, 100, 0, 0, 0, 0, damage);
                Draw(a, {{l, 1050, 1099, orientation}});  // drawn at (10, 10): hundredths are dropped
                Draw(b, {{dot, px * 100, py * 100, 0}});
                const bool expected = Frame::HitTest(shape, 10, 10, orientation, px, py) != 0;
                EXPECT_EQ(Actor::TestCollision(a, b), expected ? 1u : 0u);
                EXPECT_EQ(a.Energy(), expected ? 96 : 100);
                EXPECT_EQ(b.Energy(), expected ? 96 : 100);
                if (expected) {
                    EXPECT_EQ(a.Int(kActorHitX), px * 100);
                    EXPECT_EQ(a.Int(kActorHitY), py * 100);
                    EXPECT_EQ(b.Int(kActorHitX), px * 100);
                    EXPECT_EQ(b.Int(kActorHitY), py * 100);
                }
                (expected ? hits : misses)++;
                objects.clear();
            }
        }
    }
    EXPECT_EQ(hits, 6 * 5);  // five pixels of the L in each orientation, the rest near misses
    EXPECT_GT(misses, 0);
}

TEST_F(ActorTest, EveryOverlappingPairHitsBothWays) {
    const uint32_t dot = FrameOf("Dot.dpf");
    struct Case {
        const char* name;
        std::vector<DrawnEntry> self, other;
        uint32_t hits;
    } cases[] = {
        {"nothing drawn tests nothing", {}, {{dot, 0, 0, 0}}, 0},
        {"one pair", {{dot, 500, 500, 0}}, {{dot, 500, 500, 0}}, 1},
        {"two pairs hit twice",
         {{dot, 500, 500, 0}, {dot, 900, 900, 0}},
         {{dot, 900, 900, 0}, {dot, 500, 500, 0}},
         2},
        {"a near miss", {{dot, 500, 500, 0}}, {{dot, 600, 500, 0}}, 0},
        {"a missing frame is passed over", {{0, 500, 500, 0}}, {{dot, 500, 500, 0}}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ActorObject& a = NewActor(0, 100, 0, 0, 0, 0, Table({10}), Table({3}));
        ActorObject& b = NewActor(0, 100, 0, 0, 0, 0, Table({0, 20}), Table({0, 5}));
        Draw(a, c.self);
        Draw(b, c.other);
        Call(&a, 16, {b.Address()});
        EXPECT_EQ(a.Energy(), 100 - 20 * static_cast<int32_t>(c.hits));  // 20 of kind 1, no armour
        EXPECT_EQ(b.Energy(), 100 - 10 * static_cast<int32_t>(c.hits));  // 10 of kind 0, no armour
        EXPECT_EQ(Depth(), 0u);
    }
}

TEST_F(ActorTest, EntriesBeyondTheCacheAreAskedOfTheActor) {
    // 22 entries chosen by the caller: the first 20 are cached far away, the last two are
    // asked of virtual method 8, which places them at the actor's position.
    ActorObject& many = NewActor(Picture("Dots.dpf").Address(), 100, 3000, 3000, 0, 0, Table({1}));
    many.Own(kVisualFlags) = kAnimFramesByCaller;
    std::vector<DrawnEntry> cached(20, DrawnEntry{FrameOf("Dot.dpf"), 50000, 40000, 0});
    Draw(many, cached);
    many.SetDrawnCount(22);
    ActorObject& target = NewActor(0, 100, 0, 0, 0, 0, Table({1}));
    Draw(target, {{FrameOf("Dot.dpf"), 3000, 3000, 0}});
    EXPECT_EQ(Actor::TestCollision(many, target), 2u);
    EXPECT_EQ(target.Energy(), 98);
}

// A hit method that deletes its attacker, as a script may.
void DeleteAttacker(ScriptObject* receiver) {
    NativeArgs args(receiver);
    args.Word();
    ScriptObject* attacker = args.Object(0, "attacker");
    args.Int();
    DestroyObject(attacker);
}

TEST_F(ActorTest, AHitThatDeletesAnActorEndsTheTest) {
    ZEMAClass deleter(processor.get());
    deleter.ReserveMethods(35, 18);
    deleter.SetVirtualMethod(DeleteAttacker, kHitVirtual);
    BindNativeRow(NativeClassRowOf("Actor"), deleter);
    const uint32_t dot = FrameOf("Dot.dpf");
    ActorObject a(&deleter, 0, 100, 0, 0, 0, 0, 0, 0);
    auto* b = new ActorObject(Class("Actor"), 0, 100, 0, 0, 0, 0, 0, 0);
    const uint32_t bAddress = b->Address();
    Draw(a, {{dot, 0, 0, 0}});
    Draw(*b, {{dot, 0, 0, 0}, {dot, 0, 0, 0}});
    // a's hit comes first and deletes b: b is touched no further, its second entry never tested.
    // The game runs under a hold, so that b's memory stays while the collision still holds it.
    {
        const ReleaseHold hold;
        EXPECT_EQ(Actor::TestCollision(*b, a), 1u);
    }
    EXPECT_EQ(ActorObject::Find(bAddress), nullptr);
    EXPECT_EQ(a.Energy(), 100);
    EXPECT_EQ(Depth(), 0u);
}

TEST_F(ActorTest, SteeringTurnsWithinTheLimitAndKeepsTheSpeed) {
    struct Case {
        const char* name;
        int32_t speedX, speedY, tx, ty, maxTurn;
        int32_t angle, endX, endY;
    } cases[] = {
        {"ahead", 100, 0, 5000, 0, 1000, 0, 100, 0},
        // The angles are VectorAngleX100's, with its own approximation of pi.
        {"up is counter-clockwise", 100, 0, 0, -5000, 1000, 9004, 98, -17},
        {"down turns the other way", 100, 0, 0, 5000, 1000, -8987, 98, 17},
        {"within the limit", 100, 0, 5000, -50, 5000, 57, 99, 0},
        {"behind is a half turn", 100, 0, -5000, 0, 18000, -17992, -99, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ActorObject& a = NewActor(0, 1, 0, 0, c.speedX, c.speedY);
        ActorObject& t = NewActor(0, 1, c.tx, c.ty);
        Call(&a, 25, {t.Address()});
        EXPECT_EQ(static_cast<int32_t>(Pop()), c.angle);
        Call(&a, 26, {t.Address(), uint32_t(c.maxTurn)});
        EXPECT_EQ(a.SpeedX(), c.endX);
        EXPECT_EQ(a.SpeedY(), c.endY);
    }
}

TEST_F(ActorTest, SpeedDistanceAndSteeringToAPoint) {
    ActorObject& a = NewActor(0, 1, 0, 0, 300, 400);
    ActorObject& t = NewActor(0, 1, 3000, 4000);
    Call(&a, 27, {t.Address()});
    EXPECT_EQ(Pop(), 5000u);
    Call(&a, 28, {1000});
    EXPECT_EQ(a.SpeedX(), 600);
    EXPECT_EQ(a.SpeedY(), 800);

    ActorObject& standing = NewActor(0, 1, 0, 0);
    Call(&standing, 28, {1000});
    EXPECT_EQ(standing.SpeedX(), 0);
    EXPECT_EQ(standing.SpeedY(), 0);

    struct Case {
        const char* name;
        int32_t x, y;
        uint32_t reached;
        int32_t speedX, speedY;
    } cases[] = {
        {"far: full speed toward it", 10000, 0, 0, 1000, 0},
        {"near: the last step shortens", 300, 0, 1, 300, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ActorObject& m = NewActor(0, 1, 0, 0, 1000, 0);
        Call(&m, 29, {uint32_t(c.x), uint32_t(c.y), 500});
        EXPECT_EQ(Pop(), c.reached);
        EXPECT_EQ(m.SpeedX(), c.speedX);
        EXPECT_EQ(m.SpeedY(), c.speedY);
    }
}

TEST_F(ActorTest, FieldReferencesReachTheRecord) {
    ActorObject& a = NewActor(0, 70, 0, 0);
    struct Case {
        uint32_t method, field;
    } cases[] = {{18, kActorState},        {19, kActorEnergy},      {20, kActorHitX},
                 {21, kActorHitY},         {23, kActorLayer},       {24, kActorExplosionMode},
                 {30, kActorLeftMargin},   {31, kActorRightMargin}, {32, kActorTopMargin},
                 {33, kActorBottomMargin}, {34, kActorMaxEnergy}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.method);
        Call(&a, c.method);
        ScriptStore32(Pop(), 1234 + c.method);
        EXPECT_EQ(a.Own(c.field), 1234 + c.method);
    }
    CallVirtual(&a, kDamageTableVirtual, {0});
    EXPECT_EQ(Pop(), a.DamageTableAddress());
    CallVirtual(&a, kArmourTableVirtual, {0});
    EXPECT_EQ(Pop(), a.ArmourTableAddress());
    CallVirtual(&a, kLayerVirtual, {0});
    EXPECT_EQ(Pop(), 1234u + 23);
}

TEST_F(ActorTest, NearestActorSearchesSeeOnlyLiveActors) {
    ActorObject& near = NewActor(0, 1, 1000, 0);
    ActorObject& far = NewActor(0, 1, 9000, 0);
    List<ScriptObject> list;
    list.Append(&near, 2);
    list.Append(&far, 2);
    EXPECT_EQ(FindNearestActor(list, 0, 0), &near);
    near.SetState(kActorRetired);
    EXPECT_EQ(FindNearestActor(list, 0, 0), &far);
    list.Clear();
}

TEST_F(ActorTest, FindKeepsNoDanglingActor) {
    auto* a = new ActorObject(Class("Actor"), 0, 1, 0, 0, 0, 0, 0, 0);
    const uint32_t address = a->Address();
    EXPECT_EQ(ActorObject::Find(address), a);
    delete a;
    EXPECT_EQ(ActorObject::Find(address), nullptr);
    EXPECT_EQ(ActorObject::Find(0), nullptr);
    EXPECT_EQ(ActorObject::Find(Class("Actor")->Address()), nullptr);
}

}  // namespace
