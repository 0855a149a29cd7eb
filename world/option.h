// Option: every piece of equipment that can sit in a ship's Slot (weapons, ammunition, energy
// sources, engines, protection, hulls, cargo, grabbers, quest items, guides). It is a Visual with
// its slot and ship, an energy consumption, an efficiency and a value; each kind adds a few fields
// of its own after Option's. Scripts address most fields, so values read back are checked at use.
#pragma once

#include <cstdint>
#include <memory>

#include "script/weak_object.h"
#include "ui/visual.h"
#include "world/ownership.h"

class DialogWindow;
class Processor;
class SlotObject;
struct NativeClassRow;

// Item kind codes: the slot places an item is made for.
constexpr int32_t kItemWeapon = 1;
constexpr int32_t kItemAmmo = 2;  // loaded into weapons rather than into slots
constexpr int32_t kItemShield = 3;
constexpr int32_t kItemEngine = 4;
constexpr int32_t kItemAkb = 5;
constexpr int32_t kItemGuide = 6;
constexpr int32_t kItemGrabber = 7;
constexpr int32_t kItemHull = 9;
constexpr int32_t kItemCargo = 10;
constexpr int32_t kItemQuest = 11;

// Virtual methods of every item, beyond Visual's.
constexpr uint32_t kSaveStateVirtual = 5;     // pushes the kept values, then their count
constexpr uint32_t kRestoreStateVirtual = 6;  // pops them again, each kind its own first
constexpr uint32_t kItemShipQueryVirtual = 10;
constexpr uint32_t kItemSettingsVirtual = 14;  // the item's settings window over a dialog
// kItemSwitchVirtual (15) is in world/slot.h.
constexpr uint32_t kItemValueVirtual = 16;
constexpr uint32_t kAmmoFireVirtual = 17;
constexpr uint32_t kAmmoTriggerVirtual = 18;

constexpr int32_t kFullEfficiency = 100;
constexpr int32_t kDefaultValueG = 1000;
constexpr uint32_t kProtectionKinds = 10;  // one value per damage kind

// Fields of an OptionObject after Visual's, in order; a kind's own fields follow from
// kOptionFieldCount.
enum OptionField : uint32_t {
    kOptionShip = kVisualFieldCount,  // script values mirrored for scripts; natives ask the weak references
    kOptionSlot,
    kOptionBaseValue,
    kOptionConsumption,
    kOptionValueD,
    kOptionItemKind,
    kOptionValueF,
    kOptionValueG,
    kOptionEfficiency,  // percent of full power
    kOptionAltPicture,  // used when no picture is given at creation
    kOptionFieldCount
};

enum AkbField : uint32_t { kAkbCapacity = kOptionFieldCount, kAkbCharge, kAkbFieldCount };
enum EngineField : uint32_t { kEngineThrust = kOptionFieldCount, kEngineFieldCount };
enum ShieldField : uint32_t {
    kShieldProtection = kOptionFieldCount,  // kProtectionKinds values
    kShieldFieldCount = kShieldProtection + kProtectionKinds
};
enum HullField : uint32_t { kHullShip = kOptionFieldCount, kHullFieldCount };
enum AmmoField : uint32_t {
    kAmmoKindA = kOptionFieldCount,  // matched against a weapon's accepted kinds
    kAmmoKindB,
    kAmmoShots,   // shots left
    kAmmoValueH,  // picture of the shots fired
    kAmmoDamage,  // kProtectionKinds values: the shots' damage table
    kAmmoArmour = kAmmoDamage + kProtectionKinds,
    kAmmoShotValue = kAmmoArmour + kProtectionKinds,  // energy of each shot
    kAmmoShotSpeed,
    kAmmoFieldCount
};

// Creation values of an item, as Option native 0 takes them.
struct OptionInit {
    uint32_t picture = 0;  // 0: the alternative picture
    int32_t x = 0;
    int32_t y = 0;
    int32_t speedX = 0;
    int32_t speedY = 0;
    int32_t valueD = 0;
    int32_t consumption = 0;
    int32_t itemKind = 0;
    uint32_t altPicture = 0;
    int32_t valueF = 0;
    int32_t baseValue = 0;
};

class OptionObject : public VisualObject {
  public:
    // extraFields zero-filled fields of a kind follow Option's.
    OptionObject(ZEMAClass* cls, const OptionInit& init, uint32_t extraFields = 0);

    // The ship and slot while they live, else null.
    ScriptObject* Ship() const { return ship_.Get(); }
    SlotObject* Slot() const;
    // Stores the slot and the slot's ship (null clears both); returns the previous slot. A weapon
    // also passes the slot on to its loaded ammunition.
    virtual SlotObject* SetSlot(SlotObject* slot);
    // The number shown with the item, -1 for none: the efficiency when it is not 100.
    virtual int32_t Amount() const;

    // Which owner holds the item (world/ownership.h); kept here, out of script reach.
    const ItemHolder& Holder() const { return holder_; }
    void SetHolder(const ItemHolder& holder) { holder_ = holder; }

    int32_t BaseValue() const { return Int(kOptionBaseValue); }
    int32_t Consumption() const { return Int(kOptionConsumption); }
    int32_t ItemKind() const { return Int(kOptionItemKind); }
    int32_t Efficiency() const { return Int(kOptionEfficiency); }
    void SetEfficiency(int32_t percent) { SetInt(kOptionEfficiency, percent); }

    // The receiver of an Option native; FatalExep when it is not an item.
    static OptionObject& Of(ScriptObject* receiver);
    // The live item a script value names, null for anything else.
    static OptionObject* FromAddress(uint32_t address);

  private:
    WeakObject slot_;
    WeakObject ship_;
    ItemHolder holder_;
};

// Energy source: capacity and charge; a new one is full.
class AkbObject : public OptionObject {
  public:
    AkbObject(ZEMAClass* cls, uint32_t picture, int32_t capacity, int32_t valueF, int32_t baseValue);
    int32_t Capacity() const { return Int(kAkbCapacity); }
    int32_t Charge() const { return Int(kAkbCharge); }
    void SetCharge(int32_t charge) { SetInt(kAkbCharge, charge); }
    static AkbObject& Of(ScriptObject* receiver);
};

class EngineObject : public OptionObject {
  public:
    EngineObject(ZEMAClass* cls, uint32_t picture, int32_t thrust, int32_t consumption, int32_t valueF,
                 int32_t baseValue);
    int32_t Thrust() const { return Int(kEngineThrust); }
    static EngineObject& Of(ScriptObject* receiver);
};

// Protection item: one protection value per damage kind.
class ShieldObject : public OptionObject {
  public:
    // protection: script address of kProtectionKinds values (checked), 0 for all zero.
    ShieldObject(ZEMAClass* cls, uint32_t picture, uint32_t protection, int32_t consumption, int32_t valueF,
                 int32_t baseValue);
    int32_t Protection(uint32_t kind) const;  // 0 for a kind beyond the table
    static ShieldObject& Of(ScriptObject* receiver);
};

// A hull names a ship; the item shows that ship's name and description.
class HullObject : public OptionObject {
  public:
    HullObject(ZEMAClass* cls, ScriptObject* ship, uint32_t picture, int32_t baseValue);
    ScriptObject* HullShip() const { return hullShip_.Get(); }
    static HullObject& Of(ScriptObject* receiver);

  private:
    WeakObject hullShip_;
};

// Ammunition, loaded into weapons. Leaves the object table (ID 32) when destroyed empty.
class AmmoObject : public OptionObject {
  public:
    struct Init {
        uint32_t picture = 0;
        int32_t shots = 0;
        int32_t kindA = 0;
        int32_t kindB = 0;
        int32_t baseValue = 0;
        int32_t shotSpeed = 0;
        int32_t shotValue = 0;
        uint32_t armourTable = 0;  // script addresses of kProtectionKinds values, 0 for zeros
        uint32_t damageTable = 0;
        int32_t valueH = 0;
    };
    AmmoObject(ZEMAClass* cls, const Init& init);
    ~AmmoObject() override;

    int32_t ShotsLeft() const { return Int(kAmmoShots); }
    void SetShotsLeft(int32_t shots) { SetInt(kAmmoShots, shots); }
    int32_t KindA() const { return Int(kAmmoKindA); }
    int32_t KindB() const { return Int(kAmmoKindB); }
    int32_t ValueH() const { return Int(kAmmoValueH); }
    int32_t ShotValue() const { return Int(kAmmoShotValue); }
    int32_t ShotSpeed() const { return Int(kAmmoShotSpeed); }
    int32_t Amount() const override { return ShotsLeft(); }
    static AmmoObject& Of(ScriptObject* receiver);
};

// The Option script class and its kinds. Switching an item (virtual method 15) and asking its worth
// (16) go through CallScriptMethodPushInt and CallScriptMethod16PopInt of ui/visual.h.
struct Option {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);

    // Merges other into into when both are ammunition of the same class with equal kind
    // identifiers and no owner holds other (world/ownership.h): other leaves a slot that shows it,
    // into's shots grow by other's, other is destroyed and true returned. Otherwise nothing changes.
    // A null other, other being into, an item an owner holds (an owner offering its own lets go of
    // it first) and an item that went while other left its slot, never merge.
    static bool TryMerge(OptionObject& into, OptionObject* other);
};

// One shot fired from an item (ammunition or a weapon that makes its own): picture and energy, the
// speed along the firing item's heading, and the script addresses of the shot's damage and armour
// tables (0 for zeros). Made by the class "Shot", given to the shots manager (object 10), then
// handed to the firing weapon's virtual method 20. Returns the shot, null when the weapon's scripts
// destroyed it.
struct ShotValues {
    uint32_t picture = 0;
    int32_t energy = 0;
    int32_t speed = 0;
    uint32_t damageTable = 0;
    uint32_t armourTable = 0;
};
ScriptObject* FireItemShot(OptionObject& weapon, const ShotValues& shot);

// Item settings windows (virtual method 14) open over the window of the script that asked; the
// script names it by a value that the script dialogs resolve. Until they install the lookup, and
// for a value that names no window, CallingWindow throws FatalExep.
using CallingWindowLookup = DialogWindow* (*)(uint32_t value);
void SetCallingWindowLookup(CallingWindowLookup lookup);
CallingWindowLookup InstalledCallingWindowLookup();
DialogWindow& CallingWindow(uint32_t value);
// A child window over caller (its display and default pointer, caller as parent) holding a
// width x height frame with the given buttons and the standard frame callback.
std::unique_ptr<DialogWindow> NewItemWindow(Processor& processor, DialogWindow& caller, int32_t width,
                                            int32_t height, uint32_t buttons);
// Runs window with the caller's input device and gives its result; FatalExep when the caller has none.
int32_t RunItemWindow(DialogWindow& window, DialogWindow& caller);

struct Akb {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
};
struct Engine {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
};
struct Shield {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
};
struct Hull {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
};
struct Cargo {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
};
struct Grabber {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
};
struct QuestItem {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
};
struct Ammo {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
};
