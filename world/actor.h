// Actor: the script class of everything that moves, is drawn and can collide in a flight. Its native
// object extends the Visual object with a damage and an armour table, a draw layer, the margins
// beyond which it counts as gone, the cache of what the flight drew of it last frame, the last hit
// point, an explosion mode, energy and a state. Positions and speeds are hundredths of a pixel,
// angles hundredths of a degree (36000 a full turn, counter-clockwise on screen, y growing down).
#pragma once

#include <cstdint>

#include "script/actor_view.h"
#include "ui/visual.h"

struct DrawnEntries;

class Image;
class NativeArgs;
class Processor;

// Virtual methods an actor adds to Visual's.
constexpr uint32_t kLayerVirtual = 10;
constexpr uint32_t kHitVirtual = 13;
constexpr uint32_t kGoneVirtual = 14;
constexpr uint32_t kExplodeVirtual = 15;
constexpr uint32_t kDamageTableVirtual = 16;
constexpr uint32_t kArmourTableVirtual = 17;

// The state word. The flight calls explode for a destroyed actor and gone for one that left, then
// retires it and takes it out of its list at the next sweep.
constexpr int32_t kActorAlive = 0;
constexpr int32_t kActorDestroyed = 1;
constexpr int32_t kActorGone = 2;
constexpr int32_t kActorRetired = 3;

// Damage and armour are kept per damage kind.
constexpr uint32_t kDamageKinds = 10;
// Entries of the drawn-entry cache; entries beyond it are asked of virtual method 8 again.
constexpr uint32_t kDrawnCacheSize = 20;

constexpr int32_t kDefaultSideMargin = 10000;
constexpr int32_t kDefaultBottomMargin = 15000;
constexpr int32_t kDefaultExplosionMode = 3;
constexpr int32_t kActorPhaseStep = 50;

// Fields of an ActorObject after Visual's, in order; a kind's own fields follow from
// kActorFieldCount. The speed is Visual's heading pair.
enum ActorField : uint32_t {
    kActorSpeedX = kVisualDirX,
    kActorSpeedY = kVisualDirY,
    kActorDamage = kVisualFieldCount,            // kDamageKinds values
    kActorArmour = kActorDamage + kDamageKinds,  // kDamageKinds values
    kActorLayer = kActorArmour + kDamageKinds,
    kActorLeftMargin,
    kActorRightMargin,
    kActorTopMargin,
    kActorBottomMargin,
    kActorDrawnCount,
    kActorDrawnFrame,  // kDrawnCacheSize frames' script values
    kActorDrawnX = kActorDrawnFrame + kDrawnCacheSize,
    kActorDrawnY = kActorDrawnX + kDrawnCacheSize,
    kActorDrawnOrientation = kActorDrawnY + kDrawnCacheSize,
    kActorHitX = kActorDrawnOrientation + kDrawnCacheSize,
    kActorHitY,
    kActorExplosionMode,
    kActorEnergy,
    kActorMaxEnergy,
    kActorState,
    kActorFieldCount
};

// One picture entry of an actor as drawn: the frame's script value, position in hundredths of a
// pixel and orientation code.
struct DrawnEntry {
    uint32_t frame = 0;
    int32_t x = 0;
    int32_t y = 0;
    uint32_t orientation = 0;
};

// What native 0 of the actor kinds pops after the class, in order: picture, energy, x, y, the
// speed, the damage and armour tables. Kinds made at rest take one cruising speed in place of the
// two speeds.
struct ActorCreation {
    enum class Speed { Pair, Single };

    ZEMAClass* cls = nullptr;
    uint32_t picture = 0;
    int32_t energy = 0;
    int32_t x = 0;
    int32_t y = 0;
    int32_t speedX = 0;
    int32_t speedY = 0;
    int32_t speed = 0;  // the single speed
    uint32_t damage = 0;
    uint32_t armour = 0;

    static ActorCreation Pop(NativeArgs& args, Speed speed = Speed::Pair);
};

class ActorObject : public VisualObject, public ActorView {
  public:
    // damageTable and armourTable are script addresses of kDamageKinds values each (checked), 0
    // for a table of zeros. extraFields zero-filled fields of a kind follow the actor's.
    ActorObject(ZEMAClass* cls, uint32_t picture, int32_t energy, int32_t x, int32_t y, int32_t speedX,
                int32_t speedY, uint32_t damageTable, uint32_t armourTable, uint32_t extraFields = 0);

    int32_t X() const { return Int(kVisualX); }
    int32_t Y() const { return Int(kVisualY); }
    int32_t SpeedX() const { return Int(kActorSpeedX); }
    int32_t SpeedY() const { return Int(kActorSpeedY); }
    int32_t State() const { return Int(kActorState); }
    void SetState(int32_t state) { SetInt(kActorState, state); }
    int32_t Energy() const { return Int(kActorEnergy); }
    int32_t Layer() const { return Int(kActorLayer); }

    // Script addresses of the two tables (what virtual methods 16 and 17 give by default).
    uint32_t DamageTableAddress() const { return OwnAddress(kActorDamage); }
    uint32_t ArmourTableAddress() const { return OwnAddress(kActorArmour); }

    // The drawn-entry cache the flight's drawing fills each frame. The count is read as stored
    // (untrusted): Recorded entries are those below both the count and kDrawnCacheSize.
    int32_t DrawnCount() const { return Int(kActorDrawnCount); }
    // Stores the count, and keeps it out of script reach as what the drawing gave (at most
    // DrawnEntries::kMaxCount, none for a negative count).
    void SetDrawnCount(int32_t count);
    // The entries the last drawing gave, as collisions walk them: the stored count (a script may
    // lower it) but never more than the count the drawing stored, none for a negative count.
    int32_t TestedDrawnCount() const;
    // Stores entry i when i is below kDrawnCacheSize; later entries are not kept.
    void RecordDrawn(uint32_t i, const DrawnEntry& entry);
    // Keeps the count and the cached entries of a drawing just collected.
    void KeepDrawn(const DrawnEntries& drawn);
    // Entry i of the last drawing: from the cache below kDrawnCacheSize, else through virtual 8.
    DrawnEntry Drawn(uint32_t i);

    // The nearest-actor searches see position and state.
    int32_t ActorX() const override { return X(); }
    int32_t ActorY() const override { return Y(); }
    uint32_t ActorRemoved() const override { return Own(kActorState); }

    // The receiver of an Actor native; FatalExep when it is not an actor.
    static ActorObject& Of(ScriptObject* receiver);
    // The live actor at a script value just taken from a script, or null for 0, a deleted object or
    // one that is not an actor. A value kept for later is kept as a WeakObject instead.
    static ActorObject* Find(uint32_t address);

  private:
    // What SetDrawnCount was given, clamped; out of script reach, it bounds the count scripts write.
    int32_t drawnCount_ = 0;
};

struct Actor {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);

    // Movement and leaving the field: position += speed; state 2 beyond the field and margins
    // (never back to 0); then Visual's step. Pops nothing. The field is the one the flight
    // publishes (PublishedFlight in world/level.h): scene width and screen height, times 100.
    static void Step(ActorObject& actor);
    // The step without the animation: movement and the margin test only.
    static void Move(ActorObject& actor);

    // Tests every drawn entry of self against every drawn entry of other pixel by pixel; each
    // overlapping pair sets the hit point and deals hits both ways. Gives the number of pairs hit;
    // stops as soon as a hit method has deleted either actor.
    static uint32_t TestCollision(ActorObject& self, ActorObject& other);
    // Sum of damage above armour over the damage kinds, compared unsigned; a sum beyond 32 bits
    // gives the largest 32-bit value.
    static uint32_t Damage(const uint32_t* damage, const uint32_t* armour);
    // The damage rule: the actor's armour for the entry (virtual 17), energy -= damage (stopping at
    // the lowest integer), state 1 at 0 or below. damageTable is a script address of kDamageKinds
    // values (checked).
    static void TakeHit(ActorObject& actor, uint32_t damageTable, ScriptObject* attacker, int32_t entry);
    // Pushes entry, attacker and the table address and calls virtual method 13 of the actor.
    static void OnHit(ScriptObject* actor, uint32_t damageTable, ScriptObject* attacker, int32_t entry);
    // Virtual methods 16 and 17 for an entry: the table's script address.
    static uint32_t CallEvent16(ScriptObject* actor, int32_t entry);
    static uint32_t CallEvent17(ScriptObject* actor, int32_t entry);
    // Virtual method 10 for an entry.
    static int32_t CallLayer(ScriptObject* actor, int32_t entry);

    // Steering. Relative angle to (tx, ty) in -18000..18000.
    static int32_t AngleTo(const ActorObject& actor, int32_t tx, int32_t ty);
    // Turns the speed vector toward (tx, ty) by at most maxTurn, keeping its length.
    static void TurnToward(ActorObject& actor, int32_t maxTurn, int32_t tx, int32_t ty);
    // Turns toward the point with a length of at most the distance; true when the point is reached.
    static bool SteerToPoint(ActorObject& actor, int32_t maxTurn, int32_t x, int32_t y);
    // Scales the speed vector to the new length; nothing for a standing actor.
    static void SetSpeed(ActorObject& actor, int32_t speed);
    // The speed vector of length speed at angle heading.
    static void SetHeading(ActorObject& actor, int32_t heading, int32_t speed);

    // The destruction effect of the explosion mode (virtual method 15 default).
    static void Explode(ActorObject& actor);
    // Cuts each drawn entry with each frame of the mask and sends the pieces off as splinters.
    // Gives the number of splinters made.
    static uint32_t MakeSplinters(ActorObject& actor, Image& mask);

    // Enters a new actor into the actors of the running flight (object 12), which then owns it.
    // Without a flight the actor is destroyed and FatalExep follows.
    static void EnterFlight(Processor& processor, ScriptObject* actor);
    // The processor of an object's class; FatalExep when it has none.
    static Processor& ProcessorOf(ScriptObject* object);

    // Natives other kinds bind too.
    static void StepNative(ScriptObject* receiver);         // virtual 2
    static void LayerNative(ScriptObject* receiver);        // virtual 10
    static void HitNative(ScriptObject* receiver);          // virtual 13, method 17
    static void GoneNative(ScriptObject* receiver);         // virtual 14
    static void ExplodeNative(ScriptObject* receiver);      // virtual 15
    static void DamageTableNative(ScriptObject* receiver);  // virtual 16
    static void ArmourTableNative(ScriptObject* receiver);  // virtual 17
};
