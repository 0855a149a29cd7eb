// Shots: the projectiles weapons fire. A Shot is an actor with a tag (the player credited when it
// destroys something); a ShotExplosion is a stationary shot that keeps dealing damage while its
// animation plays. Missiles (world/missiles.h) are shots too.
#pragma once

#include <cstdint>

#include "world/actor.h"

struct NativeClassRow;

// Fields of a shot after the actor's.
enum ShotField : uint32_t {
    kShotTag = kActorFieldCount,  // a missile keeps its turning radius here
    kShotFieldCount
};

enum ShotExplosionField : uint32_t {
    kShotExplosionLifetime = kShotFieldCount,  // steps left, below 1 for none
    kShotExplosionStop,                        // non-zero ends the explosion with its animation
    kShotExplosionFieldCount
};

constexpr int32_t kShotLayer = 20;
// The explosion mode of shots: a destroyed shot ends in a small explosion.
constexpr int32_t kSmallExplosionMode = 2;
constexpr int32_t kShotExplosionEnergy = 1000000;

class ShotObject : public ActorObject {
  public:
    // An actor with a tag of 0 on layer 20; extraFields fields of a kind follow the tag.
    ShotObject(ZEMAClass* cls, uint32_t picture, int32_t energy, int32_t x, int32_t y, int32_t speedX,
               int32_t speedY, uint32_t damageTable, uint32_t armourTable, uint32_t extraFields = 0);

    // The receiver of a Shot native; FatalExep when it is not a shot.
    static ShotObject& Of(ScriptObject* receiver);
};

class ShotExplosionObject : public ShotObject {
  public:
    // Standing still with energy 1000000, no armour, no lifetime, explosion mode 3, one frame every
    // second step.
    ShotExplosionObject(ZEMAClass* cls, uint32_t picture, int32_t x, int32_t y, uint32_t damageTable);

    static ShotExplosionObject& Of(ScriptObject* receiver);
};

struct Shot {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
};

struct ShotExplosion {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);

    // The passive picture's end rule (lifetime, or the animation's end and the stop flag), then the
    // actor step.
    static void Step(ShotExplosionObject& explosion);
};
