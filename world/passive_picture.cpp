#include "world/passive_picture.h"

#include "foundation/exceptions.h"
#include "graphics/frame.h"
#include "graphics/image.h"
#include "script/create_native.h"
#include "script/native_args.h"
#include "script/native_binder.h"
#include "script/native_handler.h"
#include "script/processor.h"
#include "script/receiver_of.h"
#include "ui/visual.h"

constexpr int32_t kPassivePhaseStep = 100;

PassivePictureObject::PassivePictureObject(ZEMAClass* cls, uint32_t picture, int32_t x, int32_t y)
    : ActorObject(cls, picture, 0, x, y, 0, 0, 0, 0, uint32_t{kPassivePictureFieldCount} - kActorFieldCount) {
    SetInt(kPassiveLifetime, -1);
    SetInt(kVisualPhaseStep, kPassivePhaseStep);
}

PassivePictureObject& PassivePictureObject::Of(ScriptObject* receiver) {
    return ReceiverOf<PassivePictureObject>(receiver, "PassivePicture object expected");
}

void PassivePicture::Age(ActorObject& actor, uint32_t lifetimeField, uint32_t stopField) {
    const int32_t lifetime = actor.Int(lifetimeField);
    if (lifetime < 1) {
        const Image* picture = actor.Picture();
        const int64_t end = int64_t{picture != nullptr ? picture->FrameCount() : 0} * 100;
        const bool stopped = (actor.Own(stopField) & 0xFF) != 0;
        if (actor.Int(kVisualPhase) >= end || stopped) actor.SetState(kActorGone);
        return;
    }
    actor.SetInt(lifetimeField, lifetime - 1);
    if (lifetime == 1) actor.SetState(kActorGone);
}

void PassivePicture::EntryNative(ScriptObject* receiver) {
    NativeArgs args(receiver);
    args.Int();  // one entry only
    ActorObject& actor = ActorObject::Of(receiver);
    Image* picture = actor.Picture();
    const Frame* frame = picture != nullptr ? picture->GetFrame(actor.Int(kVisualPhase) / 100) : nullptr;
    PushPictureAnswer(args.Stack(), frame, actor.Int(kVisualX), actor.Int(kVisualY), 0);
}

void PassivePicture::StepNative(ScriptObject* receiver) {
    NativeArgs args(receiver);
    args.Int();
    ActorObject& actor = ActorObject::Of(receiver);
    Actor::Step(actor);
    Age(actor, kPassiveLifetime, kPassiveStop);
}

namespace {

constexpr NativeHandler CreatePicture =
    CreateNative<PassivePictureObject, "PassivePicture", uint32_t, int32_t, int32_t>;

void Lifetime(ScriptObject* receiver) {
    NativeArgs args(receiver);
    args.Stack().Push(PassivePictureObject::Of(receiver).Own(kPassiveLifetime));
}

void SetLifetime(ScriptObject* receiver) {
    NativeArgs args(receiver);
    const int32_t lifetime = args.Int();
    PassivePictureObject::Of(receiver).SetInt(kPassiveLifetime, lifetime);
}

// The drawing pair of an explosion: 1, then 4 on top.
void ExplosionDrawPair(ScriptObject* receiver) {
    NativeArgs args(receiver);
    args.Int();
    args.Stack().Push(1);
    args.Stack().Push(4);
}

void ExplosionDrawValue(ScriptObject* receiver) {
    NativeArgs args(receiver);
    args.Int();
    args.Stack().Push(4);
}

}  // namespace

void PassivePicture::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(StepNative, kStepVirtual);
    target.SetVirtualMethod(EntryNative, kPictureVirtual);
    BindNativeBase(row, target);
    target.SetMethod(CreatePicture, 0);
    target.SetMethod(Lifetime, 35);
    target.SetMethod(SetLifetime, 36);
}

void Explosion::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(ExplosionDrawPair, 9);
    target.SetVirtualMethod(ExplosionDrawValue, 12);
    BindNativeBase(row, target);
    target.SetMethod(CreatePicture, 0);
}

ActorObject& Explosion::Create(Processor& processor, uint32_t picture, int32_t x, int32_t y) {
    DStack<uint32_t>& stack = processor.DataStack();
    stack.Push(static_cast<uint32_t>(y));
    stack.Push(static_cast<uint32_t>(x));
    stack.Push(picture);
    ScriptObject* made = processor.NewObjectByName(String("Explosion"));
    auto* explosion = dynamic_cast<ActorObject*>(made);
    if (explosion == nullptr) {
        DiscardObject(made);
        ThrowFatal("Explosion class made no actor");
    }
    Actor::EnterFlight(processor, explosion);
    return *explosion;
}
