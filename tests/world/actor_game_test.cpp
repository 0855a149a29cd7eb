// Actors in the started game: the start-up binds them, script subclasses override their virtual
// methods, and the destruction effects take their pictures and sounds from the game's caches.
#include <gtest/gtest.h>

#include "graphics/image.h"
#include "script/object_manager.h"
#include "script/operations.h"
#include "script/processor.h"
#include "shell/game_ids.h"
#include "tests/support/game_harness.h"
#include "tools/content/sound_builder.h"
#include "world/actor.h"
#include "world/splinter.h"

namespace {

class ActorGameTest : public ::testing::Test {
  protected:
    ActorGameTest() {
        game.AddPicture("Misc\\Broker.dpf", {.width = 2, .height = 2});
        game.AddPicture("Explosions\\Explosion1.dpf", {.frames = 2});
        game.AddPicture("Explosions\\SmallExplosion.dpf");
        game.AddPicture("Test\\Ship.dpf");
        game.AddEntry("Explosions\\Explosion1.wav", WaveFile());
        // Absorbs every hit and draws on layer 12, whatever the native defaults say.
        ScriptSubclass shielded{.name = "ShieldedActor", .base = "Actor"};
        shielded.virtuals[kHitVirtual] = {OpWord(Op::Drop), OpWord(Op::Drop), OpWord(Op::Drop)};
        shielded.virtuals[kLayerVirtual] = CodeWords({{OpWord(Op::Drop)}, PushIntWords(12)});
        game.AddClass(shielded);
        game.Start();
        game.Objects().SetObject(new ObjectManager(&game.Cpu(), 1), kTestRunListId);
    }

    GameObject Ship(const char* className, int32_t mode = 0) {
        const uint32_t ten = game.Text(std::string(40, '\x0A'));  // ten kinds of damage 0x0A0A0A0A
        GameObject ship = game.New(
            className, {0, ten, 40, 30, 2000, 1000, 100000000, game.Picture("Test\\Ship.dpf")->Address()});
        ActorObject& actor = ActorObject::Of(ship.get());
        actor.SetInt(kActorExplosionMode, mode);
        actor.SetInt(kActorLayer, 3);
        actor.SetDrawnCount(1);
        actor.RecordDrawn(0, {game.Picture("Test\\Ship.dpf")->GetFrame(0)->Address(), 1000, 2000, 0});
        return ship;
    }

    uint32_t FlightCount() {
        return dynamic_cast<ObjectManager*>(game.Object(kTestRunListId))->ObjectList().Count();
    }

    GameHarness game;
};

TEST_F(ActorGameTest, ScriptSubclassesOverrideTheNativeDefaults) {
    GameObject plain = Ship("Actor");
    GameObject shielded = Ship("ShieldedActor");
    EXPECT_EQ(Actor::TestCollision(ActorObject::Of(plain.get()), ActorObject::Of(shielded.get())), 1u);
    EXPECT_LT(ActorObject::Of(plain.get()).Energy(), 100000000);
    EXPECT_EQ(ActorObject::Of(shielded.get()).Energy(), 100000000);
    EXPECT_EQ(Actor::CallLayer(shielded.get(), 0), 12);
    EXPECT_EQ(Actor::CallLayer(plain.get(), 0), 3);
    EXPECT_EQ(game.Cpu().DataStack().Depth(), 0u);
}

TEST_F(ActorGameTest, DestructionTakesPicturesAndSoundsFromTheGame) {
    struct Case {
        const char* name;
        int32_t mode;
        uint32_t made;
        int plays;
    } cases[] = {
        {"large explosion: a splinter, an explosion and its sound", 1, 2, 1},
        {"small explosion: silent", 2, 1, 0},
        {"splinters only", 4, 1, 0},
    };
    int plays = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const uint32_t before = FlightCount();
        GameObject ship = Ship("Actor", c.mode);
        game.CallVirtual(ship.get(), kExplodeVirtual);
        EXPECT_EQ(FlightCount() - before, c.made);
        game.SettleSound();
        plays += c.plays;
        EXPECT_EQ(game.Plays("Explosions\\Explosion1.wav"), plays);
    }
}

}  // namespace
