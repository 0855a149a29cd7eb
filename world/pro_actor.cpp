#include "world/pro_actor.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "foundation/exceptions.h"
#include "foundation/script_memory.h"
#include "script/field_natives.h"
#include "script/method_runner.h"
#include "script/native_args.h"
#include "script/native_binder.h"
#include "script/receiver_of.h"
#include "script/zema_class.h"
#include "world/step_arithmetic.h"

namespace {

void ProStep(ScriptObject* receiver) {
    ProActorObject& actor = ProActorObject::Of(receiver);
    NativeArgs(receiver).Int();
    ProActor::Step(actor);
}

void IgnoreSegmentReached(ScriptObject* receiver) {
    NativeArgs(receiver).Int();
}

void CreateProActor(ScriptObject* receiver) {
    MethodRunner& runner = RunnerOf(receiver);
    NativeArgs args(runner);
    const ActorCreation c = ActorCreation::Pop(args);
    PushNewObject(runner, std::make_unique<ProActorObject>(c.cls, c.picture, c.energy, c.x, c.y, c.speedX,
                                                           c.speedY, c.damage, c.armour));
}

void StartPathHere(ScriptObject* receiver) {
    ProActorObject& actor = ProActorObject::Of(receiver);
    ProActor::StartPath(actor, NativeArgs(receiver).Word(), actor.X(), actor.Y());
}

void StartPathAtZero(ScriptObject* receiver) {
    ProActorObject& actor = ProActorObject::Of(receiver);
    ProActor::StartPath(actor, NativeArgs(receiver).Word(), 0, 0);
}

void StartSegmentNative(ScriptObject* receiver) {
    ProActorObject& actor = ProActorObject::Of(receiver);
    ProActor::StartSegment(actor, NativeArgs(receiver).Int());
}

}  // namespace

ProActorObject::ProActorObject(ZEMAClass* cls, uint32_t picture, int32_t energy, int32_t x, int32_t y,
                               int32_t speedX, int32_t speedY, uint32_t damageTable, uint32_t armourTable)
    : ActorObject(cls, picture, energy, x, y, speedX, speedY, damageTable, armourTable,
                  uint32_t{kProActorFieldCount} - kActorFieldCount) {
    SetInt(kProOriginX, x);
    SetInt(kProOriginY, y);
    SetInt(kProDefaultSpeed, kProDefaultSpeedStart);
}

ProActorObject& ProActorObject::Of(ScriptObject* receiver) {
    return ReceiverOf<ProActorObject>(receiver, "ProActor object expected");
}

uint32_t ProActor::RecordCount(uint32_t path) {
    if (path == 0) return 0;
    if (path < 4) ThrowFatal("ProActor: no path at 0x%08X", path);
    const uint32_t length = ScriptLoad32(path - 4);
    if (length > UINT32_MAX / 4)
        ThrowFatal("ProActor: a path of %u integers cannot lie in script memory", length);
    CheckScriptRange(path, length * 4);
    return length / kProRecordInts;
}

void ProActor::StartPath(ProActorObject& actor, uint32_t path, int32_t originX, int32_t originY) {
    const uint32_t count = RecordCount(path);
    actor.SetInt(kProOriginX, originX);
    actor.SetInt(kProOriginY, originY);
    actor.Own(kProPath) = path;
    actor.Own(kProSegmentCount) = count;
    actor.SetInt(kProSegmentIndex, 0);
    actor.SetInt(kProStepCount, 0);
    actor.SetInt(kProStepIndex, 0);
    actor.SetInt(kProWait, 0);
    if (count > 0) StartSegment(actor, 0);
}

void ProActor::StartSegment(ProActorObject& actor, int32_t k) {
    const uint32_t path = actor.Own(kProPath);
    if (path == 0) ThrowFatal("ProActor: segment %d started without a path", k);
    const uint32_t count = RecordCount(path);
    if (k < 0 || static_cast<uint32_t>(k) >= count) {
        ThrowFatal("ProActor: segment %d is not in a path of %u segments", k, count);
    }
    const uint32_t record = path + static_cast<uint32_t>(k) * kProRecordInts * 4;
    const auto dx = static_cast<int32_t>(ScriptLoad32(record));
    const auto dy = static_cast<int32_t>(ScriptLoad32(record + 4));
    const auto recordSpeed = static_cast<int32_t>(ScriptLoad32(record + 8));
    const auto wait = static_cast<int32_t>(ScriptLoad32(record + 12));

    const int32_t x = actor.X();
    const int32_t y = actor.Y();
    const int32_t targetX = WrappingAdd(actor.Int(kProOriginX), dx);
    const int32_t targetY = WrappingAdd(actor.Int(kProOriginY), dy);
    const int32_t speed = recordSpeed != 0 ? recordSpeed : actor.Int(kProDefaultSpeed);
    actor.SetInt(kProSegmentIndex, k);
    actor.SetInt(kProTargetX, targetX);
    actor.SetInt(kProTargetY, targetY);
    actor.SetInt(kProSegmentSpeed, speed);
    actor.SetInt(kProWait, wait);
    actor.SetInt(kProStartX, x);
    actor.SetInt(kProStartY, y);

    const int64_t ddx = int64_t{targetX} - x;
    const int64_t ddy = int64_t{targetY} - y;
    const auto distance =
        static_cast<int64_t>(std::sqrt(static_cast<double>(ddx) * ddx + static_cast<double>(ddy) * ddy));
    // A speed below 1 would divide by zero or walk backwards: such a segment is finished at once.
    const int64_t steps = speed >= 1 ? std::min<int64_t>(distance / speed, INT32_MAX) : 0;
    actor.SetInt(kProStepCount, static_cast<int32_t>(steps));
    actor.SetInt(kProStepIndex, 0);
    actor.SetInt(kActorSpeedX, steps != 0 ? static_cast<int32_t>(ddx / steps) : 0);
    actor.SetInt(kActorSpeedY, steps != 0 ? static_cast<int32_t>(ddy / steps) : 0);
}

void ProActor::Step(ProActorObject& actor) {
    if (actor.Own(kProPath) == 0) return;
    if (actor.Int(kProStepIndex) >= actor.Int(kProStepCount)) {
        const int32_t wait = actor.Int(kProWait);
        if (wait > 0) {
            actor.SetInt(kProWait, wait - 1);
            return;
        }
        const int64_t next = int64_t{actor.Int(kProSegmentIndex)} + 1;
        if (next >= actor.Own(kProSegmentCount)) {
            actor.SetState(kActorGone);
            return;
        }
        StartSegment(actor, static_cast<int32_t>(next));
    }
    const int32_t index = WrappingAdd(actor.Int(kProStepIndex), 1);
    const int32_t count = actor.Int(kProStepCount);
    actor.SetInt(kProStepIndex, index);
    if (count > 0) {
        actor.SetInt(kVisualX, Interpolate(actor.Int(kProStartX), actor.Int(kProTargetX), index, count));
        actor.SetInt(kVisualY, Interpolate(actor.Int(kProStartY), actor.Int(kProTargetY), index, count));
    } else {
        // Finished at once: the segment is shorter than one step.
        actor.SetInt(kVisualX, actor.Int(kProTargetX));
        actor.SetInt(kVisualY, actor.Int(kProTargetY));
    }
    if (index >= count) {
        MethodRunner& runner = RunnerOf(&actor);
        runner.DataStack().Push(actor.Own(kProSegmentIndex));
        runner.CallVirtual(&actor, kSegmentReachedVirtual);
        // The script told of it may have deleted the actor.
        if (!actor.Alive()) return;
    }
    actor.VisualObject::Step();
}

void ProActor::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(ProStep, kStepVirtual);
    target.SetVirtualMethod(IgnoreSegmentReached, kSegmentReachedVirtual);
    BindNativeBase(row, target);
    target.SetMethod(CreateProActor, kCreateObjectMethod);
    target.SetMethod(StartPathHere, 35);
    target.SetMethod(StartPathAtZero, 36);
    target.SetMethod(PushFieldAddress<ProActorObject, kProOriginX>, 37);
    target.SetMethod(PushFieldAddress<ProActorObject, kProOriginY>, 38);
    target.SetMethod(StartSegmentNative, 39);
    target.SetMethod(PushFieldValue<ProActorObject, kProPath>, 40);
    target.SetMethod(PushFieldAddress<ProActorObject, kProDefaultSpeed>, 41);
    target.SetMethod(PushFieldValue<ProActorObject, kProSegmentCount>, 42);
}
