// The input of fuzz_hostile_classes, as the target reads it and its seeds write it: the steps, the
// kinds of objects a step makes, the actions hostile code takes and how it names their objects, and
// the operations each driving step runs (fuzz/fuzz_hostile_classes.cpp says what each does).
#pragma once

#include <cstdint>

namespace hostile {

enum Step : uint8_t {
    kArm,
    kMake,
    kFit,
    kHand,
    kSetField,
    kItems,
    kWeapons,
    kShips,
    kActors,
    kSupply,
    kLists,
    kDialog,
    kPilots,
    kDelete,
    kStepCount
};

// The kinds a make step chooses from: hostile classes (named H... after their native base) first.
enum Kind : uint8_t {
    kHOption,
    kHAkb,
    kHEngine,
    kHShield,
    kHGrabber,
    kHGuide,
    kHWeapon,
    kHEnergyWeapon,
    kHAmmo,
    kHShip,
    kHActor,
    kHShot,
    kHMulti,
    kHExplosion,
    kHBonus,
    kHPaidBonus,
    kHMoneyBonus,
    kHEnergyBonus,
    kHPseudo,
    kHSupplier,
    kHService,
    kHSupplyShip,
    kHDialog,
    kHPlayer,
    kHSkill,
    kHScenario,
    kOption,
    kAkb,
    kGrabber,
    kWeapon,
    kAmmo,
    kShip,
    kActor,
    kMultiActor,
    kBonus,
    kSupplyShip,
    kSupplyService,
    kPlayer,
    kList,
    kKindCount
};
constexpr uint8_t kHostileKinds = kOption;

struct KindName {
    const char* name;
    const char* base;  // the native class a hostile class derives from; null for a native class
    // Virtual methods the class has beyond its base's: the ones native code calls on script
    // classes alone (a supplier's 7, an object offered).
    uint8_t ownVirtuals = 0;
};
inline constexpr KindName kKindNames[kKindCount] = {
    {"HOption", "Option"},
    {"HAkb", "Akb"},
    {"HEngine", "Engine"},
    {"HShield", "Shield"},
    {"HGrabber", "Grabber"},
    {"HGuide", "Guide"},
    {"HWeapon", "Weapon"},
    {"HEnergyWeapon", "EnergyWeapon"},
    {"HAmmo", "Ammo"},
    {"HShip", "Ship"},
    {"HActor", "Actor"},
    {"HShot", "Shot"},
    {"HMulti", "MultiActor"},
    {"HExplosion", "Explosion"},
    {"HBonus", "Bonus"},
    {"HPaidBonus", "PaidBonus"},
    {"HMoneyBonus", "MoneyBonus"},
    {"HEnergyBonus", "EnergyBonus"},
    {"HPseudo", "PseudoActor"},
    {"HSupplier", "GTTClass", 1},
    {"HService", "SupplyService"},
    {"HSupplyShip", "SupplyShip"},
    {"HDialog", "Dialog"},
    {"HPlayer", "Player"},
    {"HSkill", "Skill"},
    {"HScenario", "Scenario"},
    {"Option", nullptr},
    {"Akb", nullptr},
    {"Grabber", nullptr},
    {"Weapon", nullptr},
    {"Ammo", nullptr},
    {"Ship", nullptr},
    {"Actor", nullptr},
    {"MultiActor", nullptr},
    {"Bonus", nullptr},
    {"SupplyShip", nullptr},
    {"SupplyService", nullptr},
    {"Player", nullptr},
    {"ObjectManager", nullptr},
};

// The slots of the ships made: weapons, energy, engine, shield, grabber, hold.
inline constexpr int32_t kShipSlots[] = {2, 1, 1, 1, 1, 2};

// --- arming ---

// The site byte of a virtual method, or a method, of a hostile class whose base has baseVirtuals.
constexpr uint8_t Site(const KindName& kind, uint32_t baseVirtuals, bool isVirtual, uint32_t number) {
    return static_cast<uint8_t>(isVirtual ? number : baseVirtuals + kind.ownVirtuals + number - 1);
}

// Plan byte: calls that pass before the code acts, whether it acts at every later call, how many
// actions follow (1-3).
constexpr uint8_t Plan(uint8_t passing, bool everyCall, uint8_t actions) {
    return static_cast<uint8_t>((passing & 7) | (everyCall ? 8 : 0) | (((actions - 1) % 3) << 4));
}

enum Verb : uint8_t {
    kDeleteIt,     // the subject, as a script deletes
    kHandIt,       // the subject to the target, by the adder in the extra byte
    kClearIt,      // the target list (ObjectManager method 13)
    kRemoveFirst,  // the target list's first entry (methods 5 and 11)
    kFail,         // reads address 0
    kBaseNow,      // the native behaviour here (else after the actions)
    kNoBase,       // none (where it is handed an object: takes it and lets it go)
    kStepIt,       // the subject's virtual method 2
    kExplodeIt,    // the subject's virtual method 15
    kPushIt,       // the subject left on the data stack, as what the method answers
    kVerbCount
};

// How a subject is handed over (extra byte; bit 4 is the flag of kPilotShip).
enum Adder : uint8_t {
    kListAdd,      // ObjectManager method 4
    kMemberAdd,    // MultiActor method 35
    kPilotItem,    // Player method 21
    kCargo,        // SupplyShip method 35
    kSupplyOffer,  // Supply method 5
    kVirtualAdd,   // virtual method 7 (a supplier or a supply service)
    kPilotShip,    // Player method 27
    kWeaponOffer,  // virtual method 19, the answer deleted
    kSlotStore,    // stored into the slot's first-item field (Slot method 9)
    kAdderCount
};

// Subject and target bytes: the kind in the top 3 bits, which in the low 5.
enum Named : uint8_t {
    kItself,
    kArgument,  // the data-stack value at that depth (0-3)
    kField,     // its script field
    kNamedObject,
    kById,  // an object ID of kNamedIds
    kReached,
    kNull,
};
constexpr uint8_t Object(Named kind, uint8_t which) {
    return static_cast<uint8_t>((kind << 5) | (which & 31));
}

// The object IDs hostile code names, in order.
enum IdIndex : uint8_t {
    kIdFlightActors,
    kIdFlight7,
    kIdShips,
    kIdShots,
    kIdFlight11,
    kIdFlight12,
    kIdPlayers,
    kIdBonuses,
    kIdFlight31,
    kIdFlight33,
    kIdFlight35,
    kIdSupply,
    kIdLevel,
    kIdScenario,
    kIdCount
};

// Objects of its own that a hostile object reaches through natives of its kind.
enum Getter : uint8_t {
    kItemShip,
    kItemSlot,
    kLoadedAmmo,
    kSlotFirst,
    kSlotSecond,
    kPilotsShip,
    kPilotsFirstItem,
    kBonusItem,
    kShipWeaponSlot,
    kShipHoldSlot,
    kShipOwner,
    kGetterCount
};

// --- handing over and driving ---

enum HandHow : uint8_t {
    kToList,  // owner byte with bit 7: a list by object ID
    kToMulti,
    kToPilotItems,
    kToPilotShip,  // bit 7 of the how byte: the flag
    kToCargo,
    kToService,
    kToSupply,
    kToWeapon,
    kHandCount
};

enum ItemOp : uint8_t {
    kPrice,
    kItemName,
    kSaveRestore,
    kSwitch,
    kEnable,
    kTakeOut,
    kShareOfPrice,
    kMerge,
    kItemOpCount
};
enum WeaponOp : uint8_t { kTrigger, kOfferAmmo, kFireOwn, kWeaponOpCount };
enum ShipOp : uint8_t {
    kRecompute,
    kRecharge,
    kDrain,
    kUpdate,
    kFire,
    kStepEquipment,
    kSelectDirections,
    kSaveConfig,
    kLoadConfig,
    kShipExplode,
    kResetDelays,
    kShipHit,
    kShipOpCount
};
enum ActorOp : uint8_t {
    kExplodeMode,
    kSplinters,
    kActorStep,
    kPseudoStep,
    kMultiStep,
    kMultiEntries,
    kActorHit,
    kDraw,
    kCollide,
    kSetState,
    kActorOpCount
};
enum SupplyOp : uint8_t {
    kOffer,
    kSupplyStep,
    kServiceStep,
    kSupplyShipStep,
    kDropCargo,
    kReleaseSupplier,
    kPickUp,
    kBonusStep,
    kBonusDrop,
    kBonusFree,
    kSupplyOpCount
};
enum ListOp : uint8_t {
    kClearList,
    kRemoveAt,
    kDeleteList,
    kSweep,
    kEmptyFlight,
    kCollideFlight,
    kDrawFlight,
    kListOpCount
};
enum PilotOp : uint8_t {
    kStore,
    kCreate,
    kPilotStep,
    kFindItem,
    kDeleteItemOfClass,
    kApplySkills,
    kPlaceSkill,
    kResetScene,
    kWritePlayers,
    kWriteSave,
    kReplacePlayers,
    kReplaceShip,
    kWalkItems,
    kLoadSave,
    kPilotOpCount
};

}  // namespace hostile
