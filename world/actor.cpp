#include "world/actor.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "foundation/exceptions.h"
#include "foundation/saturating.h"
#include "foundation/script_handle.h"
#include "graphics/frame.h"
#include "graphics/image.h"
#include "script/field_natives.h"
#include "script/math_procs.h"
#include "script/native_args.h"
#include "script/native_binder.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "script/receiver_of.h"
#include "script/weak_object.h"
#include "script/zema_class.h"
#include "shell/draw_layers.h"
#include "shell/game_ids.h"
#include "world/level.h"
#include "world/running_processor.h"

namespace {

// Radians per hundredth of a degree, with pi taken as 3.1416.
constexpr double kTurnFactor = 0.00017453333333333334;

// Position plus speed wraps round as script arithmetic does, instead of overflowing.
int32_t WrapAdd(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

// A vector from one point to another, halved until both parts fit 32 bits (the direction is what
// counts; the length only where it fits anyway).
struct Vector {
    int32_t x;
    int32_t y;
};
Vector Between(int32_t fromX, int32_t fromY, int32_t toX, int32_t toY) {
    int64_t dx = int64_t{toX} - fromX;
    int64_t dy = int64_t{toY} - fromY;
    while (dx != SaturateInt32(dx) || dy != SaturateInt32(dy)) {
        dx /= 2;
        dy /= 2;
    }
    return {static_cast<int32_t>(dx), static_cast<int32_t>(dy)};
}

// d kept in -18000..18000 (the remainder takes the sign of the dividend).
int32_t NormaliseTurn(int64_t d) {
    d %= 36000;
    if (d > 18000) d -= 36000;
    if (d < -18000) d += 36000;
    return static_cast<int32_t>(d);
}

int32_t Truncate(double value) {
    if (!(value > -2147483649.0 && value < 2147483648.0)) return value > 0 ? INT32_MAX : INT32_MIN;
    return static_cast<int32_t>(value);
}

void CopyTable(VisualObject& actor, uint32_t field, uint32_t table) {
    if (table == 0) return;
    const uint32_t* values = ScriptPointer<uint32_t>(table, kDamageKinds * sizeof(uint32_t));
    for (uint32_t k = 0; k < kDamageKinds; ++k) actor.Own(field + k) = values[k];
}

Frame* LiveFrame(uint32_t value) {
    return value == 0 ? nullptr : static_cast<Frame*>(FindScriptHandle(value, HandleFamily::kFrame, 0));
}

// Turns the speed vector by d (already normalised), clamped to maxTurn, to the given length.
void Turn(ActorObject& actor, int32_t heading, int64_t d, int32_t maxTurn, int32_t length) {
    if (d > maxTurn) d = maxTurn;
    if (d < -int64_t{maxTurn}) d = -int64_t{maxTurn};
    Actor::SetHeading(actor, SaturateInt32(heading + d), length);
}

}  // namespace

// --- the native object ---

ActorObject::ActorObject(ZEMAClass* cls, uint32_t picture, int32_t energy, int32_t x, int32_t y,
                         int32_t speedX, int32_t speedY, uint32_t damageTable, uint32_t armourTable,
                         uint32_t extraFields)
    : VisualObject(cls, picture, x, y, speedX, speedY,
                   uint32_t{kActorFieldCount} - kVisualFieldCount + extraFields) {
    SetInt(kVisualPhaseStep, kActorPhaseStep);
    CopyTable(*this, kActorDamage, damageTable);
    CopyTable(*this, kActorArmour, armourTable);
    SetInt(kActorLeftMargin, kDefaultSideMargin);
    SetInt(kActorRightMargin, kDefaultSideMargin);
    SetInt(kActorTopMargin, kDefaultSideMargin);
    SetInt(kActorBottomMargin, kDefaultBottomMargin);
    SetInt(kActorExplosionMode, kDefaultExplosionMode);
    SetInt(kActorEnergy, energy);
    SetInt(kActorMaxEnergy, energy);
}

void ActorObject::SetDrawnCount(int32_t count) {
    SetInt(kActorDrawnCount, count);
    drawnCount_ = std::clamp(count, 0, DrawnEntries::kMaxCount);
}

int32_t ActorObject::TestedDrawnCount() const {
    return std::clamp(DrawnCount(), 0, drawnCount_);
}

void ActorObject::RecordDrawn(uint32_t i, const DrawnEntry& entry) {
    if (i >= kDrawnCacheSize) return;
    Own(kActorDrawnFrame + i) = entry.frame;
    SetInt(kActorDrawnX + i, entry.x);
    SetInt(kActorDrawnY + i, entry.y);
    Own(kActorDrawnOrientation + i) = entry.orientation;
}

ActorCreation ActorCreation::Pop(NativeArgs& args, Speed speed) {
    ActorCreation c;
    c.cls = args.Class("class");
    c.picture = args.Word();
    c.energy = args.Int();
    c.x = args.Int();
    c.y = args.Int();
    if (speed == Speed::Pair) {
        c.speedX = args.Int();
        c.speedY = args.Int();
    } else {
        c.speed = args.Int();
    }
    c.damage = args.Word();
    c.armour = args.Word();
    return c;
}

void ActorObject::KeepDrawn(const DrawnEntries& drawn) {
    SetDrawnCount(drawn.count);
    const int32_t kept = std::min(drawn.count, DrawnEntries::kCached);
    for (int32_t i = 0; i < kept; ++i) {
        const auto n = static_cast<size_t>(i);
        RecordDrawn(static_cast<uint32_t>(i),
                    DrawnEntry{drawn.frame[n], static_cast<int32_t>(drawn.x[n]),
                               static_cast<int32_t>(drawn.y[n]), drawn.orientation[n]});
    }
}

DrawnEntry ActorObject::Drawn(uint32_t i) {
    DrawnEntry entry;
    if (i < kDrawnCacheSize) {
        entry.frame = Own(kActorDrawnFrame + i);
        entry.x = Int(kActorDrawnX + i);
        entry.y = Int(kActorDrawnY + i);
        entry.orientation = Own(kActorDrawnOrientation + i);
    } else {
        entry.frame = Visual::CallEvent8(this, static_cast<int32_t>(i), entry.x, entry.y, entry.orientation);
    }
    return entry;
}

ActorObject& ActorObject::Of(ScriptObject* receiver) {
    return ReceiverOf<ActorObject>(receiver, "Actor object expected");
}

ActorObject* ActorObject::Find(uint32_t address) {
    return WeakObject::AtAddress(address).As<ActorObject>();
}

// --- movement, collision and damage ---

void Actor::Move(ActorObject& actor) {
    const int32_t x = WrapAdd(actor.X(), actor.SpeedX());
    const int32_t y = WrapAdd(actor.Y(), actor.SpeedY());
    actor.SetInt(kVisualX, x);
    actor.SetInt(kVisualY, y);
    const FlightValues& field = PublishedFlight();
    // Margins are script-writable: the limits are worked out in 64 bits.
    if (x < -int64_t{actor.Int(kActorLeftMargin)} ||
        x > int64_t{field.sceneWidthX100} + actor.Int(kActorRightMargin) ||
        y < -int64_t{actor.Int(kActorTopMargin)} ||
        y > int64_t{field.screenHeightX100} + actor.Int(kActorBottomMargin)) {
        actor.SetState(kActorGone);
    }
}

void Actor::Step(ActorObject& actor) {
    Move(actor);
    actor.VisualObject::Step();
}

uint32_t Actor::TestCollision(ActorObject& self, ActorObject& other) {
    // A count a script raised past what the drawing gave would only ask virtual method 8 for
    // entries never drawn.
    const int32_t count = self.TestedDrawnCount();
    if (count <= 0) return 0;
    const int32_t otherCount = other.TestedDrawnCount();
    MethodRunner& runner = RunnerOf(&self);
    const auto bothLive = [&] { return self.Alive() && other.Alive(); };
    // The other's damage table is copied before either hit is dealt: the first hit may change it.
    ScriptBuffer<uint32_t> otherDamage;
    uint32_t hits = 0;
    // Up to kMaxCount squared pairs, those beyond the cache asking scripts for their entries: the
    // walk stops with the program, as script loops do.
    // Entries beyond the cache, the tables and the hits are asked of scripts, which may delete
    // either actor: neither is asked anything once it is gone.
    for (int32_t i = 0; i < count; ++i) {
        runner.CountLoopRound();
        const DrawnEntry a = self.Drawn(static_cast<uint32_t>(i));
        if (!bothLive()) return hits;
        for (int32_t j = 0; j < otherCount; ++j) {
            runner.CountLoopRound();
            // Re-resolved at every pair: the hit methods run script code, which may unload pictures.
            const Frame* fa = LiveFrame(a.frame);
            if (fa == nullptr) break;
            const DrawnEntry b = other.Drawn(static_cast<uint32_t>(j));
            if (!bothLive()) return hits;
            const Frame* fb = LiveFrame(b.frame);
            if (fb == nullptr) continue;
            int32_t cx = 0;
            int32_t cy = 0;
            if (!Frame::Collides(*fa, a.x / 100, a.y / 100, a.orientation, *fb, b.x / 100, b.y / 100,
                                 b.orientation, cx, cy))
                continue;
            ++hits;
            const int32_t hitX = SaturateInt32(int64_t{cx} * 100);
            const int32_t hitY = SaturateInt32(int64_t{cy} * 100);
            self.SetInt(kActorHitX, hitX);
            self.SetInt(kActorHitY, hitY);
            other.SetInt(kActorHitX, hitX);
            other.SetInt(kActorHitY, hitY);
            if (!otherDamage) otherDamage = NewScriptBuffer<uint32_t>(kDamageKinds * sizeof(uint32_t));
            const uint32_t theirs = CallEvent16(&other, j);
            if (!bothLive()) return hits;
            std::memcpy(otherDamage.get(), ScriptPointer<uint32_t>(theirs, kDamageKinds * sizeof(uint32_t)),
                        kDamageKinds * sizeof(uint32_t));
            const uint32_t mine = CallEvent16(&self, i);
            if (!bothLive()) return hits;
            OnHit(&other, mine, &self, j);
            if (!bothLive()) return hits;
            OnHit(&self, ToScript(otherDamage.get()), &other, i);
            if (!bothLive()) return hits;
        }
    }
    return hits;
}

uint32_t Actor::Damage(const uint32_t* damage, const uint32_t* armour) {
    uint64_t sum = 0;
    for (uint32_t k = 0; k < kDamageKinds; ++k) {
        if (damage[k] > armour[k]) sum += damage[k] - armour[k];
    }
    return static_cast<uint32_t>(std::min<uint64_t>(sum, UINT32_MAX));
}

void Actor::TakeHit(ActorObject& actor, uint32_t damageTable, ScriptObject* /*attacker*/, int32_t entry) {
    uint32_t damage[kDamageKinds];
    std::memcpy(damage, ScriptPointer<uint32_t>(damageTable, sizeof(damage)), sizeof(damage));
    const uint32_t armourTable = CallEvent17(&actor, entry);
    if (!actor.Alive()) return;
    uint32_t armour[kDamageKinds];
    std::memcpy(armour, ScriptPointer<uint32_t>(armourTable, sizeof(armour)), sizeof(armour));
    // Energy goes down by the whole damage, bottoming out at the lowest integer: a hit never
    // wraps round into a heal.
    const int32_t energy = SaturateInt32(int64_t{actor.Energy()} - Damage(damage, armour));
    actor.SetInt(kActorEnergy, energy);
    if (energy <= 0) actor.SetState(kActorDestroyed);
}

void Actor::OnHit(ScriptObject* actor, uint32_t damageTable, ScriptObject* attacker, int32_t entry) {
    MethodRunner& runner = RunnerOf(actor);
    DStack<uint32_t>& stack = runner.DataStack();
    stack.Push(static_cast<uint32_t>(entry));
    stack.Push(attacker != nullptr ? attacker->Address() : 0);
    stack.Push(damageTable);
    runner.CallVirtual(actor, kHitVirtual);
}

namespace {

uint32_t CallTable(ScriptObject* actor, int32_t entry, uint32_t number) {
    MethodRunner& runner = RunnerOf(actor);
    runner.DataStack().Push(static_cast<uint32_t>(entry));
    runner.CallVirtual(actor, number);
    return runner.DataStack().Pop();
}

}  // namespace

uint32_t Actor::CallEvent16(ScriptObject* actor, int32_t entry) {
    return CallTable(actor, entry, kDamageTableVirtual);
}

uint32_t Actor::CallEvent17(ScriptObject* actor, int32_t entry) {
    return CallTable(actor, entry, kArmourTableVirtual);
}

int32_t Actor::CallLayer(ScriptObject* actor, int32_t entry) {
    return static_cast<int32_t>(CallTable(actor, entry, kLayerVirtual));
}

// --- steering ---

int32_t Actor::AngleTo(const ActorObject& actor, int32_t tx, int32_t ty) {
    const int32_t heading = VectorAngleX100(actor.SpeedX(), actor.SpeedY());
    const Vector to = Between(actor.X(), actor.Y(), tx, ty);
    return NormaliseTurn(int64_t{VectorAngleX100(to.x, to.y)} - heading);
}

void Actor::TurnToward(ActorObject& actor, int32_t maxTurn, int32_t tx, int32_t ty) {
    const int32_t heading = VectorAngleX100(actor.SpeedX(), actor.SpeedY());
    const int32_t speed = IntHypot(actor.SpeedX(), actor.SpeedY());
    Turn(actor, heading, AngleTo(actor, tx, ty), maxTurn, speed);
}

bool Actor::SteerToPoint(ActorObject& actor, int32_t maxTurn, int32_t x, int32_t y) {
    const int32_t heading = VectorAngleX100(actor.SpeedX(), actor.SpeedY());
    const int32_t speed = IntHypot(actor.SpeedX(), actor.SpeedY());
    const Vector to = Between(actor.X(), actor.Y(), x, y);
    const int32_t distance = IntHypot(to.x, to.y);
    const int32_t length = std::min(speed, distance);
    Turn(actor, heading, AngleTo(actor, x, y), maxTurn, length);
    return length == distance;
}

void Actor::SetSpeed(ActorObject& actor, int32_t speed) {
    const int32_t length = IntHypot(actor.SpeedX(), actor.SpeedY());
    if (length < 1) return;
    actor.SetInt(kActorSpeedX, SaturateInt32(int64_t{actor.SpeedX()} * speed / length));
    actor.SetInt(kActorSpeedY, SaturateInt32(int64_t{speed} * actor.SpeedY() / length));
}

void Actor::SetHeading(ActorObject& actor, int32_t heading, int32_t speed) {
    const double a = heading * kTurnFactor;
    actor.SetInt(kActorSpeedX, Truncate(std::cos(a) * speed));
    actor.SetInt(kActorSpeedY, Truncate(-std::sin(a) * speed));
}

// --- the flight's objects ---

Processor& Actor::ProcessorOf(ScriptObject* object) {
    return RunningProcessor(object, "Actor");
}

void Actor::EnterFlight(Processor& processor, ScriptObject* actor) {
    auto* flight = processor.Objects().ListAt(kTestRunListId);
    if (flight == nullptr) {
        // Nothing would own it otherwise.
        DiscardObject(actor);
        ThrowFatal("No flight to enter an actor into");
    }
    flight->AppendObject(actor);
}

// --- natives ---

namespace {

void Create(ScriptObject* receiver) {
    NativeArgs args(receiver);
    const ActorCreation c = ActorCreation::Pop(args);
    PushNewObject(RunnerOf(receiver), std::make_unique<ActorObject>(c.cls, c.picture, c.energy, c.x, c.y,
                                                                    c.speedX, c.speedY, c.damage, c.armour));
}

ActorObject& TargetActor(NativeArgs& args) {
    return ActorObject::Of(args.Object(0, "actor"));
}

void Collide(ScriptObject* receiver) {
    NativeArgs args(receiver);
    ActorObject& other = TargetActor(args);
    Actor::TestCollision(ActorObject::Of(receiver), other);
}

void MakeSplintersNative(ScriptObject* receiver) {
    NativeArgs args(receiver);
    Image* mask = Image::FromAddress(args.Word());
    Actor::MakeSplinters(ActorObject::Of(receiver), *mask);
}

void AngleToNative(ScriptObject* receiver) {
    NativeArgs args(receiver);
    const ActorObject& target = TargetActor(args);
    const ActorObject& self = ActorObject::Of(receiver);
    args.Stack().Push(static_cast<uint32_t>(Actor::AngleTo(self, target.X(), target.Y())));
}

void TurnTowardNative(ScriptObject* receiver) {
    NativeArgs args(receiver);
    const int32_t maxTurn = args.Int();
    const ActorObject& target = TargetActor(args);
    Actor::TurnToward(ActorObject::Of(receiver), maxTurn, target.X(), target.Y());
}

void DistanceToNative(ScriptObject* receiver) {
    NativeArgs args(receiver);
    const ActorObject& target = TargetActor(args);
    const ActorObject& self = ActorObject::Of(receiver);
    const Vector to = Between(self.X(), self.Y(), target.X(), target.Y());
    args.Stack().Push(static_cast<uint32_t>(IntHypot(to.x, to.y)));
}

void SetSpeedNative(ScriptObject* receiver) {
    NativeArgs args(receiver);
    Actor::SetSpeed(ActorObject::Of(receiver), args.Int());
}

void SteerToPointNative(ScriptObject* receiver) {
    NativeArgs args(receiver);
    const int32_t maxTurn = args.Int();
    const int32_t y = args.Int();
    const int32_t x = args.Int();
    args.Stack().Push(Actor::SteerToPoint(ActorObject::Of(receiver), maxTurn, x, y) ? 1 : 0);
}

}  // namespace

void Actor::StepNative(ScriptObject* receiver) {
    NativeArgs args(receiver);
    args.Int();  // the frame number; movement does not depend on it
    Step(ActorObject::Of(receiver));
}

void Actor::LayerNative(ScriptObject* receiver) {
    NativeArgs args(receiver);
    args.Int();
    args.Stack().Push(static_cast<uint32_t>(ActorObject::Of(receiver).Layer()));
}

void Actor::HitNative(ScriptObject* receiver) {
    NativeArgs args(receiver);
    const uint32_t table = args.Word();
    args.Word();  // the attacker: the default rule does not look at it
    const int32_t entry = args.Int();
    TakeHit(ActorObject::Of(receiver), table, nullptr, entry);
}

void Actor::GoneNative(ScriptObject* /*receiver*/) {}

void Actor::ExplodeNative(ScriptObject* receiver) {
    Explode(ActorObject::Of(receiver));
}

void Actor::DamageTableNative(ScriptObject* receiver) {
    NativeArgs args(receiver);
    args.Int();
    args.Stack().Push(ActorObject::Of(receiver).DamageTableAddress());
}

void Actor::ArmourTableNative(ScriptObject* receiver) {
    NativeArgs args(receiver);
    args.Int();
    args.Stack().Push(ActorObject::Of(receiver).ArmourTableAddress());
}

void Actor::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(StepNative, kStepVirtual);
    target.SetVirtualMethod(LayerNative, kLayerVirtual);
    target.SetVirtualMethod(HitNative, kHitVirtual);
    target.SetVirtualMethod(GoneNative, kGoneVirtual);
    target.SetVirtualMethod(ExplodeNative, kExplodeVirtual);
    target.SetVirtualMethod(DamageTableNative, kDamageTableVirtual);
    target.SetVirtualMethod(ArmourTableNative, kArmourTableVirtual);
    BindNativeBase(row, target);
    target.SetMethod(Create, 0);
    target.SetMethod(Collide, 16);
    target.SetMethod(HitNative, 17);
    BindFieldAddresses<ActorObject, 18, kActorState, kActorEnergy, kActorHitX, kActorHitY>(target);
    target.SetMethod(MakeSplintersNative, 22);
    target.SetMethod(PushFieldAddress<ActorObject, kActorLayer>, 23);
    target.SetMethod(PushFieldAddress<ActorObject, kActorExplosionMode>, 24);
    target.SetMethod(AngleToNative, 25);
    target.SetMethod(TurnTowardNative, 26);
    target.SetMethod(DistanceToNative, 27);
    target.SetMethod(SetSpeedNative, 28);
    target.SetMethod(SteerToPointNative, 29);
    BindFieldAddresses<ActorObject, 30, kActorLeftMargin, kActorRightMargin, kActorTopMargin,
                       kActorBottomMargin, kActorMaxEnergy>(target);
}
