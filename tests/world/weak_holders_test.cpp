// Everything in the flight that keeps an object it does not own loses it when it is deleted, and
// never takes a later object given the same script address for it.
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "script/weak_object.h"
#include "tests/support/reused_address.h"
#include "tests/world/flight_actors_fixture.h"
#include "world/collision_sweep.h"
#include "world/maze.h"
#include "world/maze_enemy.h"
#include "world/missiles.h"
#include "world/multi_actor.h"
#include "world/stars_sky.h"

namespace {

class WeakHoldersTest : public FlightActorsTest {
  protected:
    MazeObject& NewMaze() { return Make<MazeObject>("Maze", {3, 3}); }
};

TEST_F(WeakHoldersTest, NoHolderTakesALaterObjectAtTheAddressForTheOneItKept) {
    ScriptObject* holder = nullptr;
    std::optional<CollisionSweep> sweep;
    struct Case {
        const char* holder;
        // Makes the holder; gives the object it keeps without owning it.
        std::function<ScriptObject*()> hold;
        // Another object of the kept one's kind.
        std::function<ScriptObject*()> makeLike;
        // The holder, after the later object took the address.
        std::function<void(ScriptObject* later)> expect;
    };
    const auto actor = [&]() -> ScriptObject* { return &PlainActor(100, 100); };
    const Case cases[] = {
        {"a missile's target",
         [&] {
             auto& missile = Make<MissileObject>("Missile", {0, 10, 0, 0, 100, 0, 0, 0, 100, 50});
             holder = &missile;
             ActorObject& target = PlainActor(5000, 5000);
             missile.SetTarget(&target);
             return &target;
         },
         actor,
         [&](ScriptObject* later) {
             auto& missile = MissileObject::Of(holder);
             EXPECT_EQ(missile.Target(), nullptr);
             EXPECT_EQ(missile.Own(kMissileTarget), 0u);
             // A script that writes the field names the object living there now.
             missile.Own(kMissileTarget) = later->Address();
             EXPECT_EQ(missile.Target(), later);
         }},
        {"a MultiActor's member",
         [&] {
             holder = &Make<MultiActorObject>("MultiActor", {0, 0});
             ScriptObject* member = actor();
             Call(holder, "MultiActor", 35, {member->Address()});
             return member;
         },
         actor,
         [&](ScriptObject* later) {
             EXPECT_TRUE(MultiActorObject::Of(holder).Members().empty());
             // Its members go with it; the later actor is not one.
             const WeakObject laterRef(later);
             Delete(holder);
             EXPECT_EQ(laterRef.Get(), later);
         }},
        {"a star sky's star",
         [&] {
             auto& sky = Make<StarsSkyObject>("StarsSky", {Picture(1), 1, 640});
             holder = &sky;
             return static_cast<ScriptObject*>(sky.Star(0));
         },
         actor,
         [&](ScriptObject* later) {
             EXPECT_EQ(StarsSkyObject::Of(holder).Star(0), nullptr);
             const WeakObject laterRef(later);
             Delete(holder);
             EXPECT_EQ(laterRef.Get(), later);
         }},
        {"a maze enemy's maze",
         [&] {
             MazeObject& maze = NewMaze();
             holder = &Make<MazeEnemyObject>("MazeEnemy",
                                             {0, 10, 500, 500, 100, 0, 0, maze.Address(), 0, 0, 1000, 1000});
             EXPECT_EQ(MazeEnemyObject::Of(holder).Maze(), &maze);
             return static_cast<ScriptObject*>(&maze);
         },
         [&] { return static_cast<ScriptObject*>(&NewMaze()); },
         [&](ScriptObject*) { EXPECT_EQ(MazeEnemyObject::Of(holder).Maze(), nullptr); }},
        {"a collision sweep's member",
         [&] {
             ActorObject& member = PlainActor(100, 100);
             sweep.emplace(std::vector<ActorObject*>{&member});
             return static_cast<ScriptObject*>(&member);
         },
         actor, [&](ScriptObject*) { EXPECT_EQ(sweep->At(0), nullptr); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.holder);
        ScriptObject* kept = c.hold();
        ASSERT_NE(kept, nullptr);
        const uint32_t address = kept->Address();
        Delete(kept);
        ScriptObject* later = MakeAtAddress(address, c.makeLike);
        ASSERT_NE(later, nullptr) << "no later object got the address";
        c.expect(later);
    }
}

}  // namespace
