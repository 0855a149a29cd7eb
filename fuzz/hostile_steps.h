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
    kScene,
    kShop,
    kShipWindow,
    kDelete,
    kStepCount
};

// The kinds a make step chooses from: hostile classes (named H... after their native base) first,
// then the scene classes (S...), hostile classes too but loaded only when first used, so after the
// resource marks: a scene reset unloads them.
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
    kSOption,
    kSAmmo,
    kSWeapon,
    kSActor,
    kSText,
    kSPlayer,
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
    kTextButton,
    kConversation,
    kShopDialog,
    kKindCount
};
constexpr uint8_t kFirstSceneKind = kSOption;
constexpr uint8_t kHostileKinds = kOption;
constexpr uint8_t kSceneKinds = kHostileKinds - kFirstSceneKind;
constexpr bool IsSceneKind(uint8_t k) {
    return k >= kFirstSceneKind && k < kHostileKinds;
}

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
    {"SOption", "Option"},
    {"SAmmo", "Ammo"},
    {"SWeapon", "Weapon"},
    {"SActor", "Actor"},
    {"SText", "TextButton"},
    {"SPlayer", "Player"},
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
    {"TextButton", nullptr},
    {"Conversation", nullptr},
    {"ShopDialog", nullptr},
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
    kUseFont,      // a font of the extra byte's name, put where its use says (FontUse)
    kUsePicture,   // a picture of the extra byte's name, put where its use says (PictureUse)
    kPlaySound,    // a sound of the extra byte's name played once (bit 3: looped)
    kSceneOf,      // a scene round the subject's virtual method 2: marks, the call, a scene reset
    kMakeScene,    // an object of a scene kind (extra) made and named (target's low 4 bits)
    kAnswerHeld,   // where a weapon is offered ammunition: answers with the subject instead
    kVerbCount
};

// The resources verbs and scene steps name, by the low 3 bits of their byte: those the world loads
// before its marks first, then those only a scene loads (a name without a file last).
inline constexpr const char* kFontNames[8] = {"Hint",   "Default", "TextButton",   "Scene0",
                                              "Scene1", "Scene2",  "QuestionFont", "AnswerFont"};
inline constexpr const char* kPictureNames[8] = {"P.dpf",      "Misc\\Broker.dpf", "Misc\\Slots.dpf",
                                                 "Scene0.dpf", "Scene1.dpf",       "Scene2.dpf",
                                                 "Scene3.dpf", "Missing.dpf"};
inline constexpr const char* kSoundNames[8] = {"BonusGet", "EnergyLack", "Scene0", "Scene1",
                                               "Scene2",   "Scene3",     "Click",  "Missing"};

// What the resource verbs do with what they loaded (bits 3-4 of the extra byte; bits 0-2 the name).
enum FontUse : uint8_t {
    kScreenFont,   // the screen's font (ZEMAScreen method 13)
    kControlFont,  // the target control's font (StaticText method 28)
    kFieldFont,    // into its own field
    kStackFont,    // left on the data stack, as what the method answers
};
enum PictureUse : uint8_t {
    kCursorPicture,      // the target dialog's pointer (Dialog method 6)
    kSlotFramesPicture,  // the target shop's slot frames (ShopDialog method 26)
    kFieldPicture,       // into its own field
    kStackPicture,       // left on the data stack
};
constexpr uint8_t Resource(uint8_t name, uint8_t use) {
    return static_cast<uint8_t>((name & 7) | ((use & 3) << 3));
}
constexpr uint8_t SoundOf(uint8_t name, bool looped) {
    return static_cast<uint8_t>((name & 7) | (looped ? 8 : 0));
}

// How a subject is handed over (extra byte; bit 4 is the flag of kPilotShip).
enum Adder : uint8_t {
    kListAdd,        // ObjectManager method 4
    kMemberAdd,      // MultiActor method 35
    kPilotItem,      // Player method 21
    kCargo,          // SupplyShip method 35
    kSupplyOffer,    // Supply method 5
    kVirtualAdd,     // virtual method 7 (a supplier or a supply service)
    kPilotShip,      // Player method 27
    kWeaponOffer,    // virtual method 19, the answer deleted
    kSlotStore,      // stored into the slot's first-item field (Slot method 9)
    kDialogControl,  // a control into the target dialog's window, owned there (Dialog method 7)
    kShopStock,      // an item into the target shop's stock (ShopDialog method 19)
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
    kControlOf,  // a control of a named dialog's window (low 3 bits), by the id bits 3-4 choose
};
// The control ids kControlOf chooses from: a conversation's question and its ending answer, a scene
// text button's and a text button's.
inline constexpr int32_t kControlIds[4] = {1, 9, 7, 8};
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
    kToDialog,  // a control into a dialog's window, owned there
    kToShop,    // an item into a shop's stock
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
// Scene steps: marks taken where the input says, scene resets back to them or to the marks the world
// took at its start, a scene round an object, resources loaded and used by native code.
enum SceneOp : uint8_t {
    kTakeMarks,
    kResetToMarks,
    kResetToStart,
    kSceneRound,   // the scene of a kSceneOf verb, from native code
    kScreenText,   // text drawn in the screen's font
    kLoadFont,     // a font of the value's name, as the screen's font
    kLoadPicture,  // a picture of the value's name, as the picked dialog's pointer
    kSceneSound,   // a sound of the value's name played once
    kQuestion,     // a conversation shows question 100 or 200
    kSceneOpCount
};
// Shop steps (a shop picked, a value): its window built, a slot control clicked (the value's
// number among those of the last build), a command of the shop's window, the hand given an item
// the input holds, the window's close event.
enum ShopOp : uint8_t { kShopBuild, kShopClick, kShopCommand, kShopHand, kShopClose, kShopOpCount };
// A ship window step: a ship, an item the input holds for the hand (none when it holds no such
// item), then two clicks on slot controls (the value's low and high 4 bits) before the window ends.

}  // namespace hostile
