#include "world/shots.h"

#include <memory>

#include "foundation/exceptions.h"
#include "script/create_native.h"
#include "script/method_runner.h"
#include "script/native_args.h"
#include "script/native_binder.h"
#include "script/receiver_of.h"
#include "script/zema_class.h"
#include "world/passive_picture.h"

namespace {

// Virtual method 9 of shots: the pair the flight's drawing asks for.

void CreateShot(ScriptObject* receiver) {
    MethodRunner& runner = RunnerOf(receiver);
    NativeArgs args(runner);
    const ActorCreation c = ActorCreation::Pop(args);
    auto shot = std::make_unique<ShotObject>(c.cls, c.picture, c.energy, c.x, c.y, c.speedX, c.speedY,
                                             c.damage, c.armour);
    shot->SetInt(kActorExplosionMode, kSmallExplosionMode);
    PushNewObject(runner, std::move(shot));
}

void PushTag(ScriptObject* receiver) {
    ShotObject& shot = ShotObject::Of(receiver);
    NativeArgs(receiver).Stack().Push(shot.Own(kShotTag));
}

void PopTag(ScriptObject* receiver) {
    ShotObject& shot = ShotObject::Of(receiver);
    shot.Own(kShotTag) = NativeArgs(receiver).Word();
}

void ExplosionStep(ScriptObject* receiver) {
    ShotExplosionObject& explosion = ShotExplosionObject::Of(receiver);
    NativeArgs(receiver).Int();
    ShotExplosion::Step(explosion);
}

void PushLifetime(ScriptObject* receiver) {
    ShotExplosionObject& explosion = ShotExplosionObject::Of(receiver);
    NativeArgs(receiver).Stack().Push(explosion.Own(kShotExplosionLifetime));
}

void PopLifetime(ScriptObject* receiver) {
    ShotExplosionObject& explosion = ShotExplosionObject::Of(receiver);
    explosion.Own(kShotExplosionLifetime) = NativeArgs(receiver).Word();
}

}  // namespace

ShotObject::ShotObject(ZEMAClass* cls, uint32_t picture, int32_t energy, int32_t x, int32_t y, int32_t speedX,
                       int32_t speedY, uint32_t damageTable, uint32_t armourTable, uint32_t extraFields)
    : ActorObject(cls, picture, energy, x, y, speedX, speedY, damageTable, armourTable,
                  uint32_t{kShotFieldCount} - kActorFieldCount + extraFields) {
    SetInt(kActorLayer, kShotLayer);
}

ShotObject& ShotObject::Of(ScriptObject* receiver) {
    return ReceiverOf<ShotObject>(receiver, "Shot object expected");
}

ShotExplosionObject::ShotExplosionObject(ZEMAClass* cls, uint32_t picture, int32_t x, int32_t y,
                                         uint32_t damageTable)
    : ShotObject(cls, picture, kShotExplosionEnergy, x, y, 0, 0, damageTable, 0,
                 uint32_t{kShotExplosionFieldCount} - kShotFieldCount) {
    SetInt(kShotExplosionLifetime, -1);
    SetInt(kVisualPhaseStep, kActorPhaseStep);
    SetInt(kActorExplosionMode, kDefaultExplosionMode);
}

ShotExplosionObject& ShotExplosionObject::Of(ScriptObject* receiver) {
    return ReceiverOf<ShotExplosionObject>(receiver, "ShotExplosion object expected");
}

void ShotExplosion::Step(ShotExplosionObject& explosion) {
    PassivePicture::Age(explosion, kShotExplosionLifetime, kShotExplosionStop);
    Actor::Step(explosion);
}

void Shot::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(ConstantEntryAnswer<0, 4>, 9);
    BindNativeBase(row, target);
    target.SetMethod(CreateShot, kCreateObjectMethod);
    target.SetMethod(PushTag, 35);
    target.SetMethod(PopTag, 36);
}

void ShotExplosion::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(ExplosionStep, kStepVirtual);
    target.SetVirtualMethod(PassivePicture::EntryNative, kPictureVirtual);
    target.SetVirtualMethod(ConstantEntryAnswer<1, 4>, 9);
    target.SetVirtualMethod(ConstantEntryAnswer<4>, 12);
    BindNativeBase(row, target);
    target.SetMethod(CreateNative<ShotExplosionObject, "class", uint32_t, int32_t, int32_t, uint32_t>,
                     kCreateObjectMethod);
    target.SetMethod(PushLifetime, 37);
    target.SetMethod(PopLifetime, 38);
}
