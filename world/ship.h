// Ship: the actor of every flying ship, the player's and those scripts make. It adds six groups of
// equipment places (Slot objects), an energy balance worked out from what they hold, steering by
// keys or mouse, firing by trigger group, collision damage against a protection table, the picture
// chosen by sideways speed and two warning sounds. The energy balance itself (recompute, shedding,
// recharge) is in world/ship_energy.cpp.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "foundation/engine_string.h"
#include "script/weak_object.h"
#include "world/actor.h"

class InputDevice;
class SlotObject;
class ShipObject;

// The draw layer a ship answers (virtual method 10); its items ask it, and its shots go one below.
constexpr int32_t kShipLayer = 20;
// Frames after creation during which collisions do no harm.
constexpr int32_t kShipGraceFrames = 60;
// The fastest a ship steers itself, hundredths of a pixel per frame.
constexpr int32_t kShipSpeedCap = 1500;

// The equipment groups, by group number.
enum ShipGroup : uint32_t {
    kWeaponGroup,      // first item a weapon, second its guide
    kEnergyGroup,      // energy sources
    kEngineGroup,      // engines
    kProtectionGroup,  // protection items
    kGrabberGroup,     // grabbers
    kPlainGroup,       // items of kind 0, no energy use
    kShipGroups
};
// The slot kind code each group's slots get (UINT32_MAX for a group beyond them), and the group of a
// slot kind code (kShipGroups for a code no group has, such as 6, a weapon place's second item).
uint32_t SlotKindOfGroup(uint32_t group);
uint32_t GroupOfSlotKind(uint32_t kind);

// Fields of a ShipObject after the actor's, in order. Scripts get the addresses of value B, value C,
// the mass and the base consumption; whatever is read back from any of them is untrusted.
enum ShipField : uint32_t {
    kShipGrace = kActorFieldCount,  // frames left in which collisions do no harm
    kShipDetachSoundCountdown,      // frames until "EquipmentDetached" may play again
    kShipLackSoundCountdown,        // frames until "EnergyLack" may play again
    kShipValueA,
    kShipReserved,
    kShipValueB,
    kShipValueC,
    kShipMass,               // the engines' thrust is divided by it
    kShipBaseConsumption,    // what the hull itself uses
    kShipEnergyLack,         // 1 while the balance is below 1
    kShipEquipmentDetached,  // 1 once equipment was switched off for lack of energy
    kShipMaxSpeed,           // the engines' thrust over the mass
    kShipProtection,         // kDamageKinds values: the hull's own protection
    kShipScrollAmount = kShipProtection + kDamageKinds,  // the last frame's scroll, for mouse steering
    kShipFieldCount
};

// What a ship asks of the player that flies it. The player's native object implements it; a ship
// finds its owner through a WeakObject at each use and skips it when it is gone or is no pilot.
class ShipPilot {
  public:
    // The device whose actions steer and fire the ship; null when it has none.
    virtual InputDevice* PilotInput() = 0;
    // The status line: the text for duration frames, unless a message of higher priority is running.
    virtual void ShowStatus(const String& text, int32_t duration, int32_t priority) = 0;
    // The ship's balance, speed and protection were worked out again (the player applies its skills).
    virtual void ShipRecomputed(ShipObject& ship) = 0;

  protected:
    ~ShipPilot() = default;
};

// The ship's slot window, which the screens above build: shown modally for the ship on input
// action 6. Start-up installs it; without one the action does nothing.
using ShipSlotWindow = std::function<void(ShipObject& ship)>;
ShipSlotWindow& ShipSlotWindowHook();

// The creation values of native 0 besides the class, the picture and the two tables.
struct ShipLayout {
    std::array<int32_t, kShipGroups> slotCounts{};  // by group number
    int32_t valueA = 0;
    int32_t valueB = 0;
    int32_t valueC = 0;
    int32_t mass = 0;
    int32_t baseConsumption = 0;
};

class ShipObject : public ActorObject {
  public:
    // The most slots a group may have; more is refused as damaged creation values.
    static constexpr int32_t kMaxSlotsPerGroup = 1000;

    // damageTable and protectionTable are script addresses of kDamageKinds values (checked), 0 for
    // zeros; the protection table becomes both the hull's own protection and the actor's armour.
    // Creates the slots through the class "Slot"; FatalExep for a slot count below 0 or above the
    // maximum, or when "Slot" makes no slot.
    ShipObject(ZEMAClass* cls, uint32_t picture, uint32_t damageTable, uint32_t protectionTable,
               const ShipLayout& layout, uint32_t extraFields = 0);
    ~ShipObject() override { ReleaseOwnedQuietly(); }

    // The player flying the ship: null when it has none, or it is gone.
    ScriptObject* Owner() const { return owner_.Get(); }
    ShipPilot* Pilot() const { return owner_.As<ShipPilot>(); }
    // The player sets itself (or null) when it takes or drops the ship.
    void SetOwner(const ScriptObject* player) { owner_ = WeakObject(player); }
    // The page the ship window showed last for this ship, so that it opens there again.
    int32_t WindowPage() const { return windowPage_; }
    void SetWindowPage(int32_t page) { windowPage_ = page; }

    // Slot index of a group: null for a group or index out of range, or a slot that is gone.
    SlotObject* SlotAt(uint32_t group, int32_t index) const;
    uint32_t SlotCount(uint32_t group) const;

    int32_t Balance() const { return Energy(); }
    void SetBalance(int32_t balance) { SetInt(kActorEnergy, balance); }
    int32_t MaxSpeed() const { return Int(kShipMaxSpeed); }
    int32_t Mass() const { return Int(kShipMass); }
    int32_t BaseConsumption() const { return Int(kShipBaseConsumption); }
    int32_t Grace() const { return Int(kShipGrace); }
    void SetGrace(int32_t frames) { SetInt(kShipGrace, frames); }
    bool EnergyLack() const { return Own(kShipEnergyLack) != 0; }
    bool EquipmentDetached() const { return Own(kShipEquipmentDetached) != 0; }
    // The hull's own protection for damage kind k (below kDamageKinds).
    int32_t Protection(uint32_t k) const { return Int(kShipProtection + k); }

    // --- the energy balance (world/ship_energy.cpp) ---
    // Balance, throttling and shedding, maximum speed and protection from the active equipment;
    // the owner hears of it and of what was shed.
    void RecomputeEnergy();
    // Puts amount back into the energy sources in slot order, switches every enabled item on at
    // full efficiency and recomputes.
    void Recharge(int32_t amount);
    // Before a flight: weapons' last shot times and slot delays of groups 0-4 to 0.
    void ResetDelays();

    // Selects the direction on weapon slot 0 (Slot::SelectDirection) and the same index on every
    // further weapon slot; nothing without weapon slot 0.
    void SelectDirections(int32_t request, bool announce);
    // With mouse steering, puts the owner's pointer on the ship's place on the screen.
    void PlaceMouse();

    // Native 41: every weapon of the trigger group whose slot is ready gets its trigger with the
    // processor's frame number.
    void Fire(int32_t triggerGroup);
    // Native 42: places and steps the equipment with the step value.
    void StepEquipment(int32_t step);

    // The receiver of a Ship native; FatalExep when it is not a ship.
    static ShipObject& Of(ScriptObject* receiver);
    // The live ship at a script value, or null.
    static ShipObject* Find(uint32_t address);

  protected:
    // The slots it still has go with it, and through them their items.
    void ReleaseOwned() override;

  private:
    WeakObject owner_;
    int32_t windowPage_ = 0;
    // Each group's slots, by index; the ship owns them, but a script may still delete one, so
    // each is looked up again at every use.
    std::array<std::vector<WeakObject>, kShipGroups> groups_;
};

struct Ship {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);

    // Virtual method 2: steering, the actor step, clamping, scrolling, firing, the slot window,
    // direction changes and warning sounds. step is the frame value handed to the equipment.
    static void Update(ShipObject& ship, int32_t step);
    // Virtual method 13: the attack table (script address) of other against the ship's protection
    // for entry.
    static void Collide(ShipObject& ship, uint32_t attackTable, ScriptObject* other, int32_t entry);
    // Virtual method 8: the frame of the entry the sideways speed picks; FatalExep "Wrong ship
    // image." when the picture lacks it.
    static uint32_t LoadImage(ShipObject& ship, uint32_t& orientation);
    // Takes amount out of the energy sources in slot order, then out of the balance (recomputing
    // it when the amount reaches it).
    static void DrainEnergy(ShipObject& ship, int32_t amount);
};
