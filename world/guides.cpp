#include "world/guides.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <optional>

#include "foundation/exceptions.h"
#include "foundation/random.h"
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
#include "ui/slider.h"
#include "world/actor.h"
#include "world/settings_panel.h"

namespace {

constexpr uint32_t kFlightActorsId = 5;
constexpr int64_t kFullTurn = 36000;

OptionInit GuideInit(uint32_t picture, int32_t consumption, int32_t valueF, int32_t baseValue) {
    return OptionInit{.picture = picture,
                      .speedX = 0,
                      .speedY = -100,
                      .consumption = consumption,
                      .itemKind = kItemGuide,
                      .altPicture = picture,
                      .valueF = valueF,
                      .baseValue = baseValue};
}

// Fields that scripts write are read as any 32-bit value: the sums are worked in 64 bits and
// brought back into one turn.
int32_t WrapHeading(int64_t heading) {
    return static_cast<int32_t>(heading % kFullTurn);
}

void SetVelocityFromHeading(GuideObject& guide) {
    const int32_t heading = guide.Heading();
    guide.SetInt(kVisualDirX, CosX100(heading));
    guide.SetInt(kVisualDirY, -SinX100(heading));
}

int32_t Truncate100(int32_t value) {
    return value / 100;
}

}  // namespace

GuideObject::GuideObject(ZEMAClass* cls, uint32_t picture, int32_t consumption, int32_t valueF,
                         int32_t baseValue, int32_t setting)
    : OptionObject(cls, GuideInit(picture, consumption, valueF, baseValue),
                   uint32_t{kGuideFieldCount} - kOptionFieldCount) {
    SetInt(kGuideB, setting);
}

ActorObject* GuideObject::Target() const {
    return target_.As<ActorObject>();
}

GuideObject& GuideObject::Of(ScriptObject* receiver) {
    return ReceiverOf<GuideObject>(receiver, "Guide object expected");
}

void Guide::CallApply(ScriptObject* guide, ScriptObject* shot) {
    MethodRunner& runner = RunnerOf(guide);
    runner.DataStack().Push(shot != nullptr ? shot->Address() : 0);
    runner.CallVirtual(guide, kGuideApplyVirtual);
}

void Guide::StepCircle(GuideObject& guide) {
    guide.SetInt(kGuideA, WrapHeading(int64_t{guide.Heading()} + guide.TurnRate()));
    SetVelocityFromHeading(guide);
}

ScriptObject* Guide::NearestActor(GuideObject& guide) {
    auto* actors = Actor::ProcessorOf(&guide).Objects().ListAt(kFlightActorsId);
    if (actors == nullptr) return nullptr;
    return FindNearestActor(actors->ObjectList(), guide.Int(kVisualX), guide.Int(kVisualY));
}

void Guide::StepSelfGuided(GuideObject& guide) {
    const ActorObject* target = guide.Target();
    if (target != nullptr && target->ActorRemoved() != 0) target = nullptr;
    if (target == nullptr || !guide.Locked()) {
        guide.SetTarget(NearestActor(guide));
        target = guide.Target();
    }
    if (target == nullptr) {
        guide.SetTarget(nullptr);
        return;
    }
    const int64_t angle = VectorAngleX100(SaturateInt32(int64_t{target->X()} - guide.Int(kVisualX)),
                                          SaturateInt32(int64_t{target->Y()} - guide.Int(kVisualY)));
    int64_t d = (angle - guide.Heading()) % kFullTurn;
    if (d >= 18001) d -= kFullTurn;
    if (d < -18000) d += kFullTurn;
    const int64_t rate = std::abs(int64_t{guide.TurnRate()});
    d = std::clamp(d, -rate, rate);
    if (d == 0) return;
    guide.SetInt(kGuideA, WrapHeading(guide.Heading() + d));
    SetVelocityFromHeading(guide);
}

void Guide::Scatter(const GuideObject& guide, ActorObject& shot) {
    const int64_t speed = IntHypot(shot.SpeedX(), shot.SpeedY());
    const int64_t spread = guide.Spread();
    const int64_t r = EngineRand();
    const int32_t angle =
        WrapHeading((r * spread * 2) / 32767 - spread + VectorAngleX100(shot.SpeedX(), shot.SpeedY()));
    shot.SetInt(kActorSpeedY, static_cast<int32_t>(-(SinX100(angle) * speed) / 100));
    shot.SetInt(kActorSpeedX, static_cast<int32_t>((CosX100(angle) * speed) / 100));
}

namespace {

void IgnoreInt(ScriptObject* receiver) {
    NativeArgs(receiver).Int();
}

template <class Make>
void PushGuide(ScriptObject* receiver, ZEMAClass* cls, uint32_t picture, int32_t consumption, int32_t valueF,
               int32_t baseValue, int32_t setting, Make&& finish) {
    auto guide = std::make_unique<GuideObject>(cls, picture, consumption, valueF, baseValue, setting);
    finish(*guide);
    PushNewObject(RunnerOf(receiver), std::move(guide));
}

void CreateGuide(ScriptObject* receiver) {
    NativeArgs args(receiver);
    ZEMAClass* cls = args.Class("Guide");
    const uint32_t picture = args.Word();
    const int32_t consumption = args.Int();
    const int32_t valueF = args.Int();
    const int32_t baseValue = args.Int();
    PushGuide(receiver, cls, picture, consumption, valueF, baseValue, 0, [](GuideObject&) {});
}

// The kinds pop a sixth value: the turn rate or the spread.
template <void (*Finish)(GuideObject&, int32_t)>
void CreateKind(ScriptObject* receiver) {
    NativeArgs args(receiver);
    ZEMAClass* cls = args.Class("Guide");
    const uint32_t picture = args.Word();
    const int32_t consumption = args.Int();
    const int32_t valueF = args.Int();
    const int32_t baseValue = args.Int();
    const int32_t setting = args.Int();
    PushGuide(receiver, cls, picture, consumption, valueF, baseValue, setting,
              [setting](GuideObject& guide) { Finish(guide, setting); });
}

void FinishCircle(GuideObject& guide, int32_t rate) {
    guide.SetInt(kGuideC, rate);
}

void FinishAngle(GuideObject& guide, int32_t spread) {
    guide.SetInt(kGuideA, spread);
}

void FinishSelfGuided(GuideObject&, int32_t) {}

// Saved state: one word, then the count.
void CircleStep(ScriptObject* receiver) {
    NativeArgs(receiver).Int();
    Guide::StepCircle(GuideObject::Of(receiver));
}

void SelfGuidedStep(ScriptObject* receiver) {
    NativeArgs(receiver).Int();
    Guide::StepSelfGuided(GuideObject::Of(receiver));
}

// Follows the ship that holds it: its velocity becomes the ship's, then the Visual step moves it.
void AngleStep(ScriptObject* receiver) {
    NativeArgs(receiver).Int();
    GuideObject& guide = GuideObject::Of(receiver);
    if (const auto* holder = dynamic_cast<const ActorObject*>(guide.Ship())) {
        guide.SetInt(kVisualDirX, holder->SpeedX());
        guide.SetInt(kVisualDirY, holder->SpeedY());
    }
    guide.SetInt(kVisualX, static_cast<int32_t>(static_cast<uint32_t>(guide.Int(kVisualX)) +
                                                static_cast<uint32_t>(guide.Int(kVisualDirX))));
    guide.SetInt(kVisualY, static_cast<int32_t>(static_cast<uint32_t>(guide.Int(kVisualY)) +
                                                static_cast<uint32_t>(guide.Int(kVisualDirY))));
    guide.Step();
}

void AngleApply(ScriptObject* receiver) {
    NativeArgs args(receiver);
    auto* shot = dynamic_cast<ActorObject*>(args.ObjectOrNull(0, "shot"));
    if (shot != nullptr) Guide::Scatter(GuideObject::Of(receiver), *shot);
}

void ReleaseTarget(ScriptObject* receiver) {
    NativeArgs args(receiver);
    if (args.Int() == 0) GuideObject::Of(receiver).SetTarget(nullptr);
}

void AcquireTarget(ScriptObject* receiver) {
    NativeArgs args(receiver);
    GuideObject& guide = GuideObject::Of(receiver);
    guide.SetTarget(Guide::NearestActor(guide));
}

void CirclePanel(ScriptObject* receiver) {
    NativeArgs args(receiver);
    DialogWindow& caller = CallingWindow(args.Word());
    GuideObject& guide = GuideObject::Of(receiver);
    const WeakObject self(&guide);
    const int32_t r0 = guide.Int(kGuideC);
    const std::optional<int32_t> value = RunSliderPanel(
        caller,
        {kCircleGuideCaption, -Truncate100(r0), Truncate100(r0), kSliderSnap, Truncate100(guide.TurnRate())});
    if (value && self.Get() != nullptr) guide.SetInt(kGuideB, *value * 100);
}

void AnglePanel(ScriptObject* receiver) {
    NativeArgs args(receiver);
    DialogWindow& caller = CallingWindow(args.Word());
    GuideObject& guide = GuideObject::Of(receiver);
    const WeakObject self(&guide);
    const std::optional<int32_t> value = RunSliderPanel(
        caller, {kAngleGuideCaption, 0, Truncate100(guide.Int(kGuideB)), 0, Truncate100(guide.Spread())});
    if (value && self.Get() != nullptr) guide.SetInt(kGuideA, *value * 100);
}

void SelfGuidedPanel(ScriptObject* receiver) {
    NativeArgs args(receiver);
    DialogWindow& caller = CallingWindow(args.Word());
    GuideObject& guide = GuideObject::Of(receiver);
    const WeakObject self(&guide);
    const std::optional<bool> checked = RunCheckPanel(caller, kSelfGuidedGuideCaption, guide.Locked());
    if (checked && self.Get() != nullptr) guide.SetInt(kGuideC, *checked ? 1 : 0);
}

// What the three kinds share after their own virtual methods: the Guide binding (the default of
// 17, Option's binding, the plain create) and the references to A and B.
void BindKind(ZEMAClass& target, const NativeClassRow& row, NativeHandler create) {
    BindNativeBase(row, target);
    target.SetMethod(create, 0);
    target.SetMethod(PushFieldAddress<GuideObject, kGuideB>, 26);
    target.SetMethod(PushFieldAddress<GuideObject, kGuideA>, 27);
}

}  // namespace

void Guide::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(IgnoreInt, kGuideApplyVirtual);
    BindNativeBase(row, target);
    target.SetMethod(CreateGuide, 0);
}

void CircleGuide::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(CircleStep, kStepVirtual);
    target.SetVirtualMethod(SaveField<GuideObject, kGuideB>, kSaveStateVirtual);
    target.SetVirtualMethod(PopFieldValue<GuideObject, kGuideB>, kRestoreStateVirtual);
    target.SetVirtualMethod(CirclePanel, kItemSettingsVirtual);
    BindKind(target, row, CreateKind<FinishCircle>);
}

void AngleGuide::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(AngleStep, kStepVirtual);
    target.SetVirtualMethod(SaveField<GuideObject, kGuideA>, kSaveStateVirtual);
    target.SetVirtualMethod(PopFieldValue<GuideObject, kGuideA>, kRestoreStateVirtual);
    target.SetVirtualMethod(AnglePanel, kItemSettingsVirtual);
    target.SetVirtualMethod(AngleApply, kGuideApplyVirtual);
    BindKind(target, row, CreateKind<FinishAngle>);
}

void SelfGuidedGuide::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(SelfGuidedStep, kStepVirtual);
    target.SetVirtualMethod(SaveField<GuideObject, kGuideC>, kSaveStateVirtual);
    target.SetVirtualMethod(PopFieldValue<GuideObject, kGuideC>, kRestoreStateVirtual);
    target.SetVirtualMethod(SelfGuidedPanel, kItemSettingsVirtual);
    target.SetVirtualMethod(ReleaseTarget, kGuideReleaseVirtual);
    BindKind(target, row, CreateKind<FinishSelfGuided>);
    target.SetMethod(AcquireTarget, 28);
}
