// Weapons: the items that fire. A Weapon fires its loaded ammunition or, when it needs none, shots of
// its own; an EnergyWeapon describes those shots itself. The ship triggers every weapon of a pressed
// group with the current time; a weapon fires when its interval has passed since its last shot and
// drains its energy per shot from the ship.
#pragma once

#include <cstdint>

#include "script/weak_object.h"
#include "world/option.h"

class AmmoObject;

constexpr uint32_t kWeaponFireVirtual = 17;
constexpr uint32_t kWeaponTriggerVirtual = 18;
constexpr uint32_t kWeaponOfferAmmoVirtual = 19;
constexpr uint32_t kWeaponPrepareShotVirtual = 20;

// Caption of the fire-rate window, a message of "system.mes".
constexpr uint32_t kFireRateCaption = 177;

constexpr uint32_t kWeaponReservedWords = 10;

// Fields of a WeaponObject after Option's, then an EnergyWeapon's. Scripts reach most of them by
// reference, so they are read back as untrusted.
enum WeaponField : uint32_t {
    kWeaponLastShot = kOptionFieldCount,  // time value of the last shot
    kWeaponAmmo,                          // script value of the loaded ammunition, kept for scripts
    kWeaponSkillIndex,                    // the pilot's skill applied to each shot
    kWeaponNeedsAmmo,                     // 0: fires its own shots when nothing is loaded
    kWeaponKindA,                         // accepted ammunition kinds
    kWeaponKindB,
    kWeaponValueJ,
    kWeaponInterval,  // least time between two shots
    kWeaponDefaultInterval,
    kWeaponEnergyPerShot,
    kWeaponReserved,  // kWeaponReservedWords words; an EnergyWeapon's shots' damage table
    kWeaponFieldCount = kWeaponReserved + kWeaponReservedWords
};

enum EnergyWeaponField : uint32_t {
    kEnergyDamage = kWeaponReserved,
    kEnergyShotPicture = kWeaponFieldCount,                    // value K
    kEnergyArmour,                                             // kDamageKinds values
    kEnergyShotEnergy = kEnergyArmour + kWeaponReservedWords,  // value L
    kEnergyShotSpeed,
    kEnergyWeaponFieldCount
};

// Creation values of Weapon native 0 besides the class.
struct WeaponInit {
    uint32_t picture = 0;  // 0: the alternative picture
    int32_t x = 0;
    int32_t y = 0;
    int32_t dirX = 0;
    int32_t dirY = 0;
    int32_t valueD = 0;
    int32_t consumption = 0;
    uint32_t altPicture = 0;
    int32_t interval = 0;
    int32_t valueJ = 0;
    int32_t kindB = 0;
    int32_t kindA = 0;
    int32_t needsAmmo = 0;
    int32_t valueF = 0;
    int32_t baseValue = 0;
    int32_t energyPerShot = 0;
};

class WeaponObject : public OptionObject {
  public:
    WeaponObject(ZEMAClass* cls, const WeaponInit& init, uint32_t extraFields = 0);
    ~WeaponObject() override { ReleaseOwnedQuietly(); }

    // -1 for a weapon that fires its own shots, else the loaded ammunition's shots left (0 for none).
    int32_t Amount() const override;
    // The slot passes on to the loaded ammunition.
    SlotObject* SetSlot(SlotObject* slot) override;

    // The loaded ammunition while it lives, else null.
    AmmoObject* Ammo() const;
    // Loads ammo (null: none), marking it as the weapon's, and gives back what was loaded, which the
    // caller now holds.
    AmmoObject* SetAmmo(AmmoObject* ammo);

    int32_t LastShot() const { return Int(kWeaponLastShot); }
    void SetLastShot(int32_t time) { SetInt(kWeaponLastShot, time); }
    int32_t Interval() const { return Int(kWeaponInterval); }
    int32_t EnergyPerShot() const { return Int(kWeaponEnergyPerShot); }
    bool NeedsAmmo() const { return Own(kWeaponNeedsAmmo) != 0; }
    int32_t SkillIndex() const { return Int(kWeaponSkillIndex); }

    static WeaponObject& Of(ScriptObject* receiver);

  protected:
    // The loaded ammunition goes with it.
    void ReleaseOwned() override;

  private:
    WeakObject ammo_;
};

struct Weapon {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);

    // Virtual method 18 with the current time value.
    static void CallTrigger(ScriptObject* weapon, int32_t time);
    // Virtual method 19 with x: the answer (0 when taken, else what the caller gets back).
    static uint32_t CallOfferAmmo(ScriptObject* weapon, uint32_t x);
    // What an owner that let go of offered (null for none) to offer it takes back once the offer
    // answered: offered itself while it lives and nobody took it, else the answer while it lives and
    // no owner holds it (what the weapon gave up), else null. An answer another owner holds stays
    // with that owner.
    static OptionObject* TakenBack(OptionObject* offered, uint32_t answer);

    // The rules behind virtual methods 18, 19 and 20. The offer merges or loads only ammunition no
    // other owner holds; any other is answered back.
    static void Trigger(WeaponObject& weapon, int32_t time);
    static uint32_t OfferAmmo(WeaponObject& weapon, uint32_t x);
    static void PrepareShot(WeaponObject& weapon, ScriptObject* shot);
};

struct EnergyWeapon {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
};
