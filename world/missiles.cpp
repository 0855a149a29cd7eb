#include "world/missiles.h"

#include <algorithm>
#include <memory>

#include "foundation/exceptions.h"
#include "foundation/saturating.h"
#include "script/field_natives.h"
#include "script/math_procs.h"
#include "script/method_runner.h"
#include "script/native_args.h"
#include "script/native_binder.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "script/receiver_of.h"
#include "script/zema_class.h"

namespace {

// Difference of two positions as the angle functions take it; the field is far smaller than the
// range, so wrapping only ever affects positions a script threw away.
int32_t Delta(int32_t to, int32_t from) {
    return static_cast<int32_t>(static_cast<uint32_t>(to) - static_cast<uint32_t>(from));
}

// A square that cannot overflow: beyond 2^30 it is larger than any capture limit anyway.
int64_t ClampedSquare(int64_t v) {
    v = std::clamp<int64_t>(v, -(int64_t{1} << 30), int64_t{1} << 30);
    return v * v;
}

// Turns toward the target, or gives it up when it lies inside the turning circle on the side the
// missile would turn to.
void Home(MissileObject& missile, const ActorObject& target) {
    const int32_t x = missile.X();
    const int32_t y = missile.Y();
    const int64_t heading = missile.Int(kMissileHeading);
    int64_t d = VectorAngleX100(Delta(target.X(), x), Delta(target.Y(), y)) - heading;
    if (d > 18000)
        d -= 36000;
    else if (d < -18000)
        d += 36000;

    const int64_t speed = missile.Int(kMissileSpeed);
    const int64_t radius = missile.Int(kMissileRadius);
    // A missile without speed turns on the spot: its circle's centre is its position.
    const int64_t offsetX = speed != 0 ? radius * missile.SpeedY() / speed : 0;
    const int64_t offsetY = speed != 0 ? radius * missile.SpeedX() / speed : 0;
    const int64_t centreX = d > 0 ? x + offsetX : x - offsetX;
    const int64_t centreY = d > 0 ? y - offsetY : y + offsetY;
    const int64_t dx = (centreX - target.X()) / 89;
    const int64_t dy = (centreY - target.Y()) / 89;
    if (ClampedSquare(dx) + ClampedSquare(dy) < missile.Int(kMissileCaptureLimit)) {
        missile.SetTarget(nullptr);
        return;
    }
    const int64_t maxTurn = missile.Int(kMissileMaxTurn);
    d = d > 0 ? std::min(d, maxTurn) : std::max(d, -maxTurn);
    if (d != 0) Missile::Aim(missile, static_cast<int32_t>(heading + d));
}

void MissileStep(ScriptObject* receiver) {
    MissileObject& missile = MissileObject::Of(receiver);
    NativeArgs(receiver).Int();
    Missile::Step(missile);
}

void MissileFindTarget(ScriptObject* receiver) {
    Missile::FindTarget(MissileObject::Of(receiver), kMissileTargetList);
}

void EnemyMissileFindTarget(ScriptObject* receiver) {
    Missile::FindTarget(MissileObject::Of(receiver), kEnemyMissileTargetList);
}

void CreateMissile(ScriptObject* receiver) {
    MethodRunner& runner = RunnerOf(receiver);
    NativeArgs args(runner);
    const ActorCreation c = ActorCreation::Pop(args);
    const int32_t maxTurn = args.Int();
    const int32_t fuel = args.Int();
    PushNewObject(runner, std::make_unique<MissileObject>(c.cls, c.picture, c.energy, c.x, c.y, c.speedX,
                                                          c.speedY, c.damage, c.armour,
                                                          IntHypot(c.speedX, c.speedY), maxTurn, fuel));
}

// Made at rest and aimed at the nearest ship at once, when there is one.
void CreateEnemyMissile(ScriptObject* receiver) {
    MethodRunner& runner = RunnerOf(receiver);
    NativeArgs args(runner);
    const ActorCreation c = ActorCreation::Pop(args, ActorCreation::Speed::Single);
    const int32_t maxTurn = args.Int();
    const int32_t fuel = args.Int();
    auto made = std::make_unique<MissileObject>(c.cls, c.picture, c.energy, c.x, c.y, 0, 0, c.damage,
                                                c.armour, c.speed, maxTurn, fuel);
    made->SetInt(kActorLayer, kEnemyMissileLayer);
    MissileObject* missile = made.get();
    PushNewObject(runner, std::move(made));
    runner.CallVirtual(missile, kFindTargetVirtual);
    // The search may be script code that deleted the missile.
    if (!missile->Alive()) return;
    if (ActorObject* target = missile->Target()) {
        Missile::Aim(*missile,
                     VectorAngleX100(Delta(target->X(), missile->X()), Delta(target->Y(), missile->Y())));
    }
}

}  // namespace

MissileObject::MissileObject(ZEMAClass* cls, uint32_t picture, int32_t energy, int32_t x, int32_t y,
                             int32_t speedX, int32_t speedY, uint32_t damageTable, uint32_t armourTable,
                             int32_t speed, int32_t maxTurn, int32_t fuel)
    : ShotObject(cls, picture, energy, x, y, speedX, speedY, damageTable, armourTable,
                 uint32_t{kMissileFieldCount} - kShotFieldCount) {
    SetInt(kActorLayer, 0);
    const int32_t radius = SaturateInt32(int64_t{speed} * 2866 / std::max(maxTurn, 1));
    const int64_t r = radius / 100;
    SetInt(kMissileRadius, radius);
    SetInt(kMissileCaptureLimit, SaturateInt32(r * r));
    SetInt(kMissileSpeed, speed);
    SetInt(kMissileHeading, VectorAngleX100(speedX, speedY));
    SetInt(kMissileMaxTurn, maxTurn);
    SetInt(kMissileFuel, fuel);
}

ActorObject* MissileObject::Target() {
    target_ = target_.Follow(Own(kMissileTarget));
    ActorObject* target = target_.As<ActorObject>();
    if (target == nullptr || target->State() != kActorAlive) {
        SetTarget(nullptr);
        return nullptr;
    }
    return target;
}

void MissileObject::SetTarget(ActorObject* target) {
    target_ = WeakObject(target);
    Own(kMissileTarget) = target_.Address();
}

MissileObject& MissileObject::Of(ScriptObject* receiver) {
    return ReceiverOf<MissileObject>(receiver, "Missile object expected");
}

void Missile::Step(MissileObject& missile) {
    const int32_t fuel = missile.Int(kMissileFuel);
    if (fuel > 0) {
        missile.SetInt(kMissileFuel, fuel - 1);
        ActorObject* target = missile.Target();
        if (target == nullptr) {
            RunnerOf(&missile).CallVirtual(&missile, kFindTargetVirtual);
            // The search may be script code that deleted the missile.
            if (!missile.Alive()) return;
            target = missile.Target();
        }
        if (target != nullptr) Home(missile, *target);
    }
    Actor::Step(missile);
}

void Missile::FindTarget(MissileObject& missile, uint32_t listId) {
    Processor& processor = Actor::ProcessorOf(&missile);
    ScriptObject* owner = processor.Objects().GetObject(listId);
    if (owner == nullptr) {
        missile.SetTarget(nullptr);
        return;
    }
    List<ScriptObject>& actors = ActorListAt(owner->Address(), "Missile::FindTarget");
    const int32_t speedX = missile.SpeedX();
    const int32_t speedY = missile.SpeedY();
    ScriptObject* found = speedX == 0 && speedY == 0
                              ? FindNearestActor(actors, missile.X(), missile.Y())
                              : FindNearestReachableActor(actors, missile.X(), missile.Y(),
                                                          missile.Int(kMissileMaxTurn), speedX, speedY);
    missile.SetTarget(dynamic_cast<ActorObject*>(found));
}

void Missile::Aim(MissileObject& missile, int32_t heading) {
    missile.SetInt(kMissileHeading, heading);
    Actor::SetHeading(missile, heading, missile.Int(kMissileSpeed));
}

void Missile::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(MissileStep, kStepVirtual);
    target.SetVirtualMethod(MissileFindTarget, kFindTargetVirtual);
    BindNativeBase(row, target);
    target.SetMethod(CreateMissile, kCreateObjectMethod);
    BindFieldAddresses<MissileObject, 37, kMissileTarget, kMissileMaxTurn, kMissileFuel>(target);
}

void EnemyMissile::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(EnemyMissileFindTarget, kFindTargetVirtual);
    BindNativeBase(row, target);
    target.SetMethod(CreateEnemyMissile, kCreateObjectMethod);
}
