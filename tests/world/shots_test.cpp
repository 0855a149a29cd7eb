#include "world/shots.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "foundation/trace_flag.h"
#include "tests/support/error_message.h"
#include "tests/world/flight_actors_fixture.h"
#include "world/shots_manager.h"

namespace {

using ShotsTest = FlightActorsTest;

class TraceFlagOn {
  public:
    TraceFlagOn() { SetTraceFlag(true); }
    ~TraceFlagOn() { SetTraceFlag(false); }
};

}  // namespace

TEST_F(ShotsTest, ShotCreateSetsTheShotDefaultsAndTheTagMethods) {
    auto& shot = Make<ShotObject>("Shot", {0, 7, W(-100), 200, 30, W(-40), 0, 0});
    EXPECT_EQ(shot.Energy(), 7);
    EXPECT_EQ(shot.X(), -100);
    EXPECT_EQ(shot.Y(), 200);
    EXPECT_EQ(shot.SpeedX(), 30);
    EXPECT_EQ(shot.SpeedY(), -40);
    EXPECT_EQ(shot.Layer(), kShotLayer);
    EXPECT_EQ(shot.Int(kActorExplosionMode), 2);
    EXPECT_EQ(Call(&shot, "Shot", 35), std::vector<uint32_t>{0});
    EXPECT_EQ(Call(&shot, "Shot", 36, {12345}), std::vector<uint32_t>{});
    EXPECT_EQ(Call(&shot, "Shot", 35), std::vector<uint32_t>{12345});
    EXPECT_EQ(CallVirtual(&shot, 9, {3}), (std::vector<uint32_t>{0, 4}));
}

TEST_F(ShotsTest, ShotExplosionDefaultsAndDrawing) {
    const uint32_t picture = Picture(3);
    auto& explosion = Make<ShotExplosionObject>("ShotExplosion", {picture, W(500), W(600), 0});
    EXPECT_EQ(explosion.Energy(), kShotExplosionEnergy);
    EXPECT_EQ(explosion.SpeedX(), 0);
    EXPECT_EQ(explosion.SpeedY(), 0);
    EXPECT_EQ(explosion.Layer(), kShotLayer);
    EXPECT_EQ(explosion.Int(kActorExplosionMode), 3);
    EXPECT_EQ(explosion.Int(kVisualPhaseStep), 50);
    EXPECT_EQ(Call(&explosion, "ShotExplosion", 37), std::vector<uint32_t>{W(-1)});
    EXPECT_EQ(CallVirtual(&explosion, 9, {0}), (std::vector<uint32_t>{1, 4}));
    EXPECT_EQ(CallVirtual(&explosion, 12, {0}), (std::vector<uint32_t>{4}));
    // Frame by phase / 100: phase 150 shows frame 1.
    explosion.SetInt(kVisualPhase, 150);
    const std::vector<uint32_t> drawn = CallVirtual(&explosion, kPictureVirtual, {0});
    ASSERT_EQ(drawn.size(), 4u);
    EXPECT_EQ(drawn[0], 0u);
    EXPECT_EQ(drawn[1], 600u);
    EXPECT_EQ(drawn[2], 500u);
    EXPECT_EQ(drawn[3], Image::FromAddress(picture)->GetFrame(1)->Address());
}

// The step on which each explosion ends (state 2), counting steps from 1.
TEST_F(ShotsTest, ShotExplosionLifetimes) {
    const struct {
        const char* what;
        uint32_t frames;
        int32_t lifetime;
        bool stop;
        int ends;
    } cases[] = {
        // Phase 0, 50, ... : the check before the step sees phase >= 200 at step 5.
        {"no lifetime: the animation's end", 2, -1, false, 5},
        {"lifetime 0 counts as none", 2, 0, false, 5},
        {"lifetime ends it whatever the animation", 10, 3, false, 3},
        {"lifetime 1: the first step", 10, 1, false, 1},
        {"stop flag ends it at once without a lifetime", 10, -1, true, 1},
        {"stop flag waits for the lifetime", 10, 2, true, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto& explosion = Make<ShotExplosionObject>("ShotExplosion", {Picture(c.frames), 1000, 1000, 0});
        Call(&explosion, "ShotExplosion", 38, {W(c.lifetime)});
        explosion.Own(kShotExplosionStop) = c.stop ? 1 : 0;
        int ended = 0;
        for (int step = 1; step <= 20 && ended == 0; ++step) {
            CallVirtual(&explosion, kStepVirtual, {0});
            if (explosion.State() == kActorGone) ended = step;
        }
        EXPECT_EQ(ended, c.ends);
    }
}

TEST_F(ShotsTest, ShotsAreActorsThatMoveAndLeaveTheField) {
    auto& shot = Make<ShotObject>("Shot", {0, 1, 100, 100, 0, W(-5000), 0, 0});
    CallVirtual(&shot, kStepVirtual, {0});
    EXPECT_EQ(shot.Y(), -4900);
    EXPECT_EQ(shot.State(), kActorAlive);
    CallVirtual(&shot, kStepVirtual, {0});
    CallVirtual(&shot, kStepVirtual, {0});
    EXPECT_EQ(shot.Y(), -14900);
    EXPECT_EQ(shot.State(), kActorGone);
}

TEST_F(ShotsTest, ShotsManagerAnswersForItsKinds) {
    ShotsManager manager(&Cpu());
    for (const char* kind : {"ShotsManager", "ObjectManager", "ZEMAClass"})
        EXPECT_TRUE(manager.IsKindOf(kind)) << kind;
    for (const char* kind : {"Shot", "Actor", "shotsmanager"}) EXPECT_FALSE(manager.IsKindOf(kind)) << kind;
    EXPECT_STREQ(manager.ClassName().Text(), "ObjectManager");
}

TEST_F(ShotsTest, ShotsManagerChecksTheClassOnlyInTraceMode) {
    auto* manager = new ShotsManager(&Cpu());
    Cpu().Objects().SetObject(manager, 10);
    auto& shot = Make<ShotObject>("Shot", {0, 1, 0, 0, 0, 0, 0, 0});
    auto& missile = Make<ShotObject>("Missile", {0, 1, 0, 0, 100, 0, 0, 0, 100, 10});
    ActorObject& actor = PlainActor(0, 0);
    const char* const kRefused = "Not an shot object added to shot manager!";
    {
        TraceFlagOn trace;
        EXPECT_EQ(manager->AddShot(&shot, 0), &shot);
        EXPECT_EQ(manager->AddShot(&missile, 0), &missile);
        EXPECT_EQ(ErrorMessage([&] { manager->AddShot(&actor, 0); }), kRefused);
        EXPECT_EQ(ErrorMessage([&] { manager->AddShot(nullptr, 0); }), kRefused);
        EXPECT_EQ(manager->ObjectList().Count(), 2u);
    }
    EXPECT_EQ(manager->AddShot(&actor, 0), &actor);
    EXPECT_EQ(manager->AddShot(nullptr, 0), nullptr);
    ASSERT_EQ(manager->ObjectList().Count(), 3u);
    EXPECT_EQ(manager->ObjectList().First(), &shot);
    EXPECT_EQ(manager->ObjectList().Next(), &missile);
    EXPECT_EQ(manager->ObjectList().Next(), &actor);
    // Scripts use it as an object list.
    EXPECT_EQ(Call(manager, "ObjectManager", 12), std::vector<uint32_t>{3});
}

// A shot the flight destroys while the manager holds it leaves no node behind.
TEST_F(ShotsTest, ADeletedShotLeavesTheManager) {
    auto* manager = new ShotsManager(&Cpu());
    Cpu().Objects().SetObject(manager, 10);
    auto& first = Make<ShotObject>("Shot", {0, 1, 0, 0, 0, 0, 0, 0});
    auto& second = Make<ShotObject>("Shot", {0, 1, 0, 0, 0, 0, 0, 0});
    manager->AddShot(&first, 0);
    manager->AddShot(&second, 0);
    Delete(&first);
    ASSERT_EQ(manager->ObjectList().Count(), 1u);
    EXPECT_EQ(manager->ObjectList().First(), &second);
}

// Natives of each kind called on an actor of another kind are engine errors.
TEST_F(ShotsTest, NativesRefuseReceiversOfAnotherKind) {
    ActorObject& actor = PlainActor(0, 0);
    const struct {
        const char* className;
        uint32_t method;
        std::vector<uint32_t> arguments;
        const char* error;
    } cases[] = {
        {"Shot", 35, {}, "Shot object expected"},
        {"ShotExplosion", 37, {}, "ShotExplosion object expected"},
        {"Missile", 39, {}, "Missile object expected"},
        {"MultiActor", 35, {0}, "MultiActor object expected"},
        {"PseudoActor", 35, {}, "PseudoActor object expected"},
        {"ProActor", 40, {}, "ProActor object expected"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.className);
        EXPECT_EQ(ErrorMessage([&] { Call(&actor, c.className, c.method, c.arguments); }), c.error);
        TakeData();
    }
}
