// Guided shots. A Missile homes on the nearest reachable actor of the flight's actor list (object 5),
// an EnemyMissile on the ships (object 8). Each step, while it has fuel, a missile turns toward its
// target by at most its maximum turn and gives up a target that lies inside its turning circle. The
// target is held weakly, so a deleted target is simply lost, never taken for a later actor.
#pragma once

#include <cstdint>

#include "script/weak_object.h"
#include "world/shots.h"

struct NativeClassRow;

// Fields of a missile after the shot's; the turning radius takes the place of the shot's tag.
enum MissileField : uint32_t {
    kMissileRadius = kShotTag,
    kMissileCaptureLimit = kShotFieldCount,  // (radius / 100)², in units of 89
    kMissileSpeed,                           // length of the speed vector it flies with
    kMissileHeading,                         // hundredths of a degree, never wrapped
    kMissileTarget,                          // script value of the target actor, 0 for none
    kMissileMaxTurn,                         // hundredths of a degree per step
    kMissileFuel,                            // steps left that it may turn
    kMissileFieldCount
};

// The flight's lists the missiles search.
constexpr uint32_t kMissileTargetList = 5;
constexpr uint32_t kEnemyMissileTargetList = 8;
constexpr uint32_t kFindTargetVirtual = 18;
constexpr int32_t kEnemyMissileLayer = 20;

class MissileObject : public ShotObject {
  public:
    // speed: the length of the speed vector it keeps. The turning radius is speed x 2866 / maximum
    // turn; a maximum turn below 1 counts as 1 there (such a missile can hardly turn anyway).
    MissileObject(ZEMAClass* cls, uint32_t picture, int32_t energy, int32_t x, int32_t y, int32_t speedX,
                  int32_t speedY, uint32_t damageTable, uint32_t armourTable, int32_t speed, int32_t maxTurn,
                  int32_t fuel);

    // The target if it is still a live actor in play; a lost or finished target is cleared.
    ActorObject* Target();
    void SetTarget(ActorObject* target);

    static MissileObject& Of(ScriptObject* receiver);

  private:
    // Beside the target field, which scripts read and may write (method 37).
    WeakObject target_;
};

struct Missile {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);

    // The homing step without popping: fuel, target checks, turning, then the actor step.
    static void Step(MissileObject& missile);
    // Virtual method 18's default: the nearest actor of the list (the reachable one while moving).
    static void FindTarget(MissileObject& missile, uint32_t listId);
    // Points the speed vector along the heading with the missile's speed.
    static void Aim(MissileObject& missile, int32_t heading);
};

struct EnemyMissile {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
};
