#include "world/missiles.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <vector>

#include "script/math_procs.h"
#include "tests/world/flight_actors_fixture.h"

namespace {

class MissilesTest : public FlightActorsTest {
  protected:
    // A Missile at (x, y) with the speed vector, maximum turn and fuel given.
    MissileObject& NewMissile(int32_t x, int32_t y, int32_t speedX, int32_t speedY, int32_t maxTurn,
                              int32_t fuel) {
        return Make<MissileObject>("Missile",
                                   {0, 10, W(x), W(y), W(speedX), W(speedY), 0, 0, W(maxTurn), W(fuel)});
    }
    // An actor the missiles of the player may hunt (object 5).
    ActorObject& Prey(int32_t x, int32_t y) {
        ActorObject& actor = PlainActor(x, y);
        List(kMissileTargetList).AppendObject(&actor);
        return actor;
    }
    void Step(ActorObject& actor) { CallVirtual(&actor, kStepVirtual, {0}); }
};

}  // namespace

TEST_F(MissilesTest, CreationValues) {
    const struct {
        const char* what;
        int32_t speedX, speedY, maxTurn;
        int32_t speed, radius, capture;
    } cases[] = {
        {"3-4-5", 300, 400, 100, 500, 14330, 143 * 143},
        {"along x", 1000, 0, 500, 1000, 5732, 57 * 57},
        {"at rest", 0, 0, 500, 0, 0, 0},
        // Maximum turn 0 would divide by zero: it counts as 1 there.
        {"maximum turn 0", 1000, 0, 0, 1000, 2866000, 28660 * 28660},
        {"negative maximum turn", 1000, 0, -50, 1000, 2866000, 28660 * 28660},
        {"radius beyond 32 bits saturates", 2000000000, 0, 1, 2000000000, INT32_MAX, INT32_MAX},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MissileObject& m = NewMissile(0, 0, c.speedX, c.speedY, c.maxTurn, 5);
        EXPECT_EQ(m.Int(kMissileSpeed), c.speed);
        EXPECT_EQ(m.Int(kMissileRadius), c.radius);
        EXPECT_EQ(m.Int(kMissileCaptureLimit), c.capture);
        EXPECT_EQ(m.Int(kMissileHeading), VectorAngleX100(c.speedX, c.speedY));
        EXPECT_EQ(m.Int(kMissileTarget), 0);
        EXPECT_EQ(m.Layer(), 0);
        EXPECT_EQ(m.Int(kActorExplosionMode), 3);
        // The radius is what methods 35 and 36 read and write.
        EXPECT_EQ(Call(&m, "Missile", 35), std::vector<uint32_t>{W(c.radius)});
    }
}

TEST_F(MissilesTest, ReferencesReachTargetMaximumTurnAndFuel) {
    MissileObject& m = NewMissile(0, 0, 1000, 0, 500, 7);
    const struct {
        uint32_t method;
        uint32_t field;
    } cases[] = {{37, kMissileTarget}, {38, kMissileMaxTurn}, {39, kMissileFuel}};
    for (const auto& c : cases)
        EXPECT_EQ(Call(&m, "Missile", c.method), std::vector<uint32_t>{m.OwnAddress(c.field)});
}

// One step of a missile at (0, 0) flying along +x at speed 1000 with maximum turn 500 (turning
// radius 5732, circles centred at (0, -5732) and (0, 5732)).
TEST_F(MissilesTest, HomingStepTurnsWithinItsLimit) {
    const struct {
        const char* what;
        int32_t targetX, targetY;
        bool setHeading;  // else the heading the speed gives, 0
        int32_t heading;
        int32_t newHeading, speedX, speedY;
        bool keepsTarget;
    } cases[] = {
        {"up and ahead: left by the limit", 10000, -10000, false, 0, 500, 996, -87, true},
        {"down and ahead: right by the limit", 10000, 10000, false, 0, -500, 996, 87, true},
        {"straight ahead: no turn", 20000, 0, false, 0, 0, 1000, 0, true},
        // Straight behind is at angle 18008 with the angle function's pi.
        {"d = 18000 is not corrected: left", -10000, 0, true, 8, 508, 996, -88, true},
        {"d = 18001 becomes -17999: right", -10000, 0, true, 7, -493, 996, 85, true},
        {"inside the left circle: given up, no turn", 0, -5000, false, 0, 0, 1000, 0, false},
        {"inside the right circle: given up, no turn", 100, 5500, false, 0, 0, 1000, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MissileObject& m = NewMissile(0, 0, 1000, 0, 500, 10);
        ActorObject& target = PlainActor(c.targetX, c.targetY);
        m.SetTarget(&target);
        if (c.setHeading) m.SetInt(kMissileHeading, c.heading);
        Step(m);
        EXPECT_EQ(m.Int(kMissileHeading), c.newHeading);
        EXPECT_EQ(m.SpeedX(), c.speedX);
        EXPECT_EQ(m.SpeedY(), c.speedY);
        EXPECT_EQ(m.X(), c.speedX);
        EXPECT_EQ(m.Y(), c.speedY);
        EXPECT_EQ(m.Target() == &target, c.keepsTarget);
        EXPECT_EQ(m.Int(kMissileFuel), 9);
    }
}

TEST_F(MissilesTest, TargetsAreFoundLostAndGivenUp) {
    MissileObject& m = NewMissile(0, 0, 1000, 0, 500, 10);
    // Nothing to hunt: it flies straight on.
    Step(m);
    EXPECT_EQ(m.Target(), nullptr);
    EXPECT_EQ(m.SpeedY(), 0);
    // The nearest reachable actor is found by the search (virtual method 18).
    ActorObject& far = Prey(30000, -1000);
    ActorObject& near = Prey(8000, -8000);
    Step(m);
    EXPECT_EQ(m.Target(), &near);
    // A target that is destroyed is dropped and the next search finds another.
    near.SetState(kActorDestroyed);
    Step(m);
    EXPECT_EQ(m.Target(), &far);
    // A deleted target leaves no dangling reference: the missile searches again and finds nothing.
    Delete(&near);
    Delete(&far);
    Step(m);
    EXPECT_EQ(m.Target(), nullptr);
    EXPECT_EQ(m.Int(kMissileTarget), 0);
}

TEST_F(MissilesTest, WithoutFuelItNeverTurnsNorSearches) {
    MissileObject& m = NewMissile(0, 0, 1000, 0, 500, 0);
    ActorObject& target = PlainActor(0, -20000);
    m.SetTarget(&target);
    for (int i = 0; i < 3; ++i) Step(m);
    EXPECT_EQ(m.SpeedX(), 1000);
    EXPECT_EQ(m.SpeedY(), 0);
    EXPECT_EQ(m.X(), 3000);
    EXPECT_EQ(m.Int(kMissileFuel), 0);
    EXPECT_EQ(m.Int(kMissileHeading), 0);
}

TEST_F(MissilesTest, AMissileAtRestTurnsOnTheSpot) {
    // Speed 0 would divide by zero when placing the turning circle.
    MissileObject& m = NewMissile(100, 100, 0, 0, 500, 10);
    ActorObject& target = PlainActor(100, -20000);
    m.SetTarget(&target);
    Step(m);
    EXPECT_EQ(m.X(), 100);
    EXPECT_EQ(m.Y(), 100);
    EXPECT_EQ(m.Target(), &target);
}

TEST_F(MissilesTest, EnemyMissileRestsUntilAShipIsFound) {
    auto make = [&] { return &Make<MissileObject>("EnemyMissile", {0, 10, 0, 0, 1000, 0, 0, 2000, 20}); };
    MissileObject* waiting = make();
    EXPECT_EQ(waiting->SpeedX(), 0);
    EXPECT_EQ(waiting->SpeedY(), 0);
    EXPECT_EQ(waiting->Int(kMissileSpeed), 1000);
    EXPECT_EQ(waiting->Int(kMissileHeading), VectorAngleX100(0, 0));
    EXPECT_EQ(waiting->Layer(), kEnemyMissileLayer);
    EXPECT_EQ(waiting->Target(), nullptr);

    // A ship up and to the right (object 8): the resting missile finds it and turns toward it
    // (heading 9004 to 7160, within the limit of 2000).
    ActorObject& ship = PlainActor(10000, -30000);
    List(kEnemyMissileTargetList).AppendObject(&ship);
    Step(*waiting);
    EXPECT_EQ(waiting->Target(), &ship);
    EXPECT_EQ(waiting->Int(kMissileHeading), 7160);
    EXPECT_NEAR(waiting->SpeedX(), 316, 1);
    EXPECT_NEAR(waiting->SpeedY(), -948, 1);

    // Made while a ship is there: aimed at it at once.
    MissileObject* aimed = make();
    EXPECT_EQ(aimed->Target(), &ship);
    EXPECT_EQ(aimed->Int(kMissileHeading), 7160);
    EXPECT_NEAR(aimed->SpeedX(), 316, 1);
    EXPECT_NEAR(aimed->SpeedY(), -948, 1);
}

// The player's missiles hunt object 5, the enemies' object 8, each missing list is no target.
TEST_F(MissilesTest, EachKindSearchesItsOwnList) {
    ActorObject& enemy = Prey(0, -20000);
    ActorObject& ship = PlainActor(0, 20000);
    List(kEnemyMissileTargetList).AppendObject(&ship);
    MissileObject& player = NewMissile(0, 0, 0, 0, 500, 10);
    MissileObject& hostile = Make<MissileObject>("EnemyMissile", {0, 10, 0, 0, 1000, 0, 0, 500, 10});
    CallVirtual(&player, kFindTargetVirtual);
    EXPECT_EQ(player.Target(), &enemy);
    EXPECT_EQ(hostile.Target(), &ship);
    Cpu().Objects().SetObject(nullptr, kMissileTargetList);
    CallVirtual(&player, kFindTargetVirtual);
    EXPECT_EQ(player.Target(), nullptr);
}
