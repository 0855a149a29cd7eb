// Script classes that turn on the native code calling them. The game is started headless with one
// script class derived from each native class whose objects native code calls back (items, energy
// sources, engines, shields, grabbers, guides, weapons, ammunition, ships, actors, shots, multi and
// pseudo actors, explosions, bonuses, a supplier, supply services and ships, dialogs, pilots,
// skills, the scenario), and scene classes (an item, ammunition, a weapon, an actor, a text button,
// a pilot) that are loaded only when first made or armed, after the resource marks, so that a scene
// reset unloads them. Every virtual method, destructor method and method of these classes starts
// with room for code that the input fills for the length of one input: it may delete the object
// itself, an object it was handed on the data stack, one in its fields, one it can name (the
// objects the input made, a list, the supply, the level or the scenario by object ID, its ship,
// slot, ammunition, carried item or pilot), add an object to a list or an owner (ObjectManager add,
// a multi actor's members, a pilot's items or ship, a supply ship's cargo, the supply, a weapon's
// ammunition, a slot's item field, a dialog's controls, a shop's stock), clear a list or remove
// from it, call back into the natives (step, explode), load a font, a picture or a sound and use it
// (the screen's font, a control's, a dialog's pointer, a shop's slot frames, a field, played), make
// an object of a scene class, run a scene round an object (the marks, its step, a scene reset back
// to them: what the flight and the galaxy do round their scenes), answer with an object (where a
// weapon is offered ammunition, one that another owner may hold), or fail with an engine error;
// before or after the native behaviour it overrides, or instead of it; at the n-th call, once or
// from then on. The input builds a small world of such objects and of native ones and drives the
// natives that call them: items switched, priced, saved and restored; weapons triggered, offered
// ammunition and fired; slots filled and switched; ships updated, recharged, saved to and loaded
// from their configuration; supply offered, stepped and dropped; bonuses picked up; actors exploded
// into splinters and frozen copies; multi actors stepped and hit; lists cleared, swept, drawn,
// collided and deleted; dialogs run for a few frames; pilots stored and created from their
// configuration, the scene reset, the players file and a save written, a save loaded; marks taken
// and scenes reset to them or to the world's own, scene rounds, text drawn in the screen's font,
// resources loaded; a shop built and clicked, its hand given an item; a ship window built, given an
// item in its hand and clicked. Each step runs as the game runs it, under a release hold, and the
// whole input under one more, as the game thread holds for the whole game. After each step no item
// may have two owners among those the input can see. Afterwards the world is taken down: every
// object the input still holds is deleted as a script deletes, the flight's, ship and player lists
// are emptied, and, still under the input's hold, every class must count no more live objects than
// before the input, and a scene class none at all; then a scene reset takes the game back to the
// world's marks. Once the input's hold is gone, no destroyed object may still wait for its memory,
// and no object may be left to the class that unloaded classes hand their live objects to.
//
// An engine error is a normal end of a step. A crash, a sanitizer report (use after free, double
// free, leak), any other exception, a hang, an item with two owners, or an object that no one owns
// once the world is taken down (its class still counts it live: its destructor methods have not
// run, or wait for the memory of a destroyed owner to go) is a finding.
//
// Input (fuzz/hostile_steps.h names its values): steps until the input ends or kMaxSteps were
// made; a step is an operation byte and the bytes it reads. A pick finds the first named object of
// the kind needed from that slot on; what the input hands on (fit, hand, offer, place) it must
// still hold, as native code hands on only what it owns, and it hands no object to itself nor a
// container to another.
//   0 arm:      class, site (a virtual method, then the methods from 1), plan (bits 0-2 calls
//               that pass before the code acts, bit 3 act at every later call too, bits 4-5 one to
//               three actions), then per action: verb, subject, target, extra
//   1 make:     kind, named slot, extra (a bonus's item, a pseudo actor's source)
//   2 fit:      item, ship, place (bits 0-2 group, bit 3 index, bit 6 second place, bit 7 enabled),
//               named slot for the slot
//   3 hand:     object, owner, how (list, multi actor, pilot's items or ship, supply ship, service,
//               supply, weapon)
//   4 field:    object, field, value object
//   5-12        drive items, weapons, ships, actors, supply and bonuses, lists, pilots: operation,
//               receiver, value; a dialog: the dialog, the pilot whose device it runs with
//   13-14       scenes, a shop: operation, receiver, value
//   15 ship window: ship, item for the hand, two clicks (4 bits each)
//   16 delete:  object, as a script deletes
// Subjects and targets of an action: top 3 bits the kind (itself, a data-stack argument, a field,
// a named object, an object ID, an object of its own reached through a native, null, a control of
// a named dialog), low 5 bits which. The game is started again every kInputsPerGame inputs, and
// when it cannot be put back. With VONDREL_FUZZ_LIST set, each step is listed on stderr (with the
// bytes that follow its operation byte), with the engine error it ended in.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "campaign/flight_collisions.h"
#include "campaign/flight_draw.h"
#include "campaign/flight_lists.h"
#include "campaign/player_files.h"
#include "campaign/save_game.h"
#include "campaign/scene_reset.h"
#include "foundation/script_memory.h"
#include "fuzz/game_steps.h"
#include "fuzz/hostile_steps.h"
#include "graphics/font.h"
#include "graphics/image.h"
#include "graphics/screen_buffer.h"
#include "screens/conversation.h"
#include "screens/ship_window.h"
#include "screens/shop_dialog.h"
#include "screens/slot_layout.h"
#include "script/class_manager.h"
#include "script/cleanup_steps.h"
#include "script/native_catalogue.h"
#include "script/object_lifetime.h"
#include "script/object_manager.h"
#include "script/object_walk.h"
#include "script/operations.h"
#include "script/processor.h"
#include "script/weak_object.h"
#include "script/zema_class.h"
#include "shell/draw_layers.h"
#include "shell/frame_timer.h"
#include "shell/game_ids.h"
#include "shell/input_device.h"
#include "shell/input_queue.h"
#include "shell/sound_system.h"
#include "tests/support/game_harness.h"
#include "tests/support/shop_scene.h"
#include "tools/content/class_library_builder.h"
#include "tools/content/script_assembler.h"
#include "tools/content/script_subclass.h"
#include "tools/content/sound_builder.h"
#include "ui/control.h"
#include "ui/dialog_window.h"
#include "ui/script_dialog.h"
#include "ui/visual.h"
#include "world/actor.h"
#include "world/bonuses.h"
#include "world/equipment_config.h"
#include "world/level.h"
#include "world/multi_actor.h"
#include "world/option.h"
#include "world/player.h"
#include "world/player_config.h"
#include "world/pseudo_actor.h"
#include "world/scenario.h"
#include "world/ship.h"
#include "world/shots_manager.h"
#include "world/skills.h"
#include "world/slot.h"
#include "world/supply.h"
#include "world/weapon.h"

namespace {

using namespace hostile;
using Label = ScriptAssembler::Label;
using Receiver = ScriptAssembler::Receiver;

constexpr uint32_t kMaxSteps = 48;
constexpr uint32_t kInputsPerGame = 2000;
constexpr uint32_t kStepBudgetMs = 6 * FrameTimer::kFramePeriod;
// Words at the head of every method body that an input may fill.
constexpr uint32_t kAreaWords = 48;
// Script fields of every hostile class, which the input may point at other objects.
constexpr uint32_t kFields = 2;
constexpr uint32_t kNamed = 16;
constexpr uint32_t kMaxArmed = 8;
constexpr uint32_t kMaxActions = 3;
// The control block in script memory: the named objects' addresses, then a call counter per armed site.
constexpr uint32_t kCounterWords = kNamed;
constexpr uint32_t kControlWords = kNamed + kMaxArmed;

// Creation values that stand for a picture of the archive or a text.
constexpr int64_t kPicture = int64_t{1} << 40;
constexpr int64_t kShipPicture = int64_t{2} << 40;
constexpr int64_t kLabel = int64_t{3} << 40;
constexpr int64_t kTalkMessages = int64_t{4} << 40;
constexpr int64_t kTalkQuestions = int64_t{5} << 40;
const char* const kPictureName = "P.dpf";
const char* const kShipPictureName = "Test\\Ship.dpf";
const char* const kLabelText = "Fuzz";
const char* const kTalkMessagesName = "Talk.mes";
const char* const kTalkQuestionsName = "Talk.chr";

// How an object of a kind is made.
enum class Shape {
    kFixed,   // its creation values only
    kBonus,   // a carried item (a named object) first
    kPseudo,  // a source actor (a named object) and flags
    kPlayer,  // a pilot with an input device, in the player list
    kList,    // a secondary ObjectManager
    kShop,    // a customer (a named pilot, or none)
};

struct Creation {
    Shape shape;
    std::vector<int64_t> values;  // after the class, in pop order; a hostile class pushes its own
};

// A weapon that fires loaded ammunition only; an energy weapon fires its own shots.
const std::vector<int64_t> kWeaponValues = {kPicture, 0, 0, 0, -100, 0, 5, 0, 0, 0, 1, 1, 1, 0, 100, 1};

std::vector<int64_t> EnergyWeaponValues() {
    std::vector<int64_t> values = {kPicture, 0, 0, 0, -100, 0, 5, 0, 0, 0, 1, 1, 0, 0, 100, 1};
    values.insert(values.end(), {1000, 10, 0, 0, kPicture});
    return values;
}

std::vector<int64_t> ShipValues() {
    std::vector<int64_t> values = {kShipPicture, 0, 0};
    for (int group = kShipGroups - 1; group >= 0; --group) values.push_back(kShipSlots[group]);
    values.insert(values.end(), {0, 0, 0, 1, 0});
    return values;
}

// By Kind.
const std::vector<Creation>& Creations() {
    const std::vector<int64_t> item = {kPicture, 0, 0, 0, 0, 0, 5, 0, 0, 0, 100};
    const std::vector<int64_t> ammo = {kPicture, 5, 1, 1, 10, 1000, 10, 0, 0, kPicture};
    const std::vector<int64_t> actor = {kPicture, 100, 1000, 1000, 0, 0, 0, 0};
    static const std::vector<Creation> creations = {
        {Shape::kFixed, item},
        {Shape::kFixed, {kPicture, 1000, 0, 100}},
        {Shape::kFixed, {kPicture, 500, 10, 0, 100}},
        {Shape::kFixed, {kPicture, 0, 10, 0, 100}},
        {Shape::kFixed, {kPicture, 1, 0, 50}},
        {Shape::kFixed, {kPicture, 2, 0, 40}},
        {Shape::kFixed, kWeaponValues},
        {Shape::kFixed, EnergyWeaponValues()},
        {Shape::kFixed, ammo},
        {Shape::kFixed, ShipValues()},
        {Shape::kFixed, actor},
        {Shape::kFixed, {kPicture, 10, 1000, 1000, 0, -100, 0, 0}},
        {Shape::kFixed, {1000, 1000}},
        {Shape::kFixed, {kPicture, 1000, 1000}},
        {Shape::kBonus, {1000, 1000, 0}},
        {Shape::kBonus, {1000, 1000, 0, -50}},
        {Shape::kFixed, {5, 1000, 1000, 0}},
        {Shape::kFixed, {5, 1000, 1000, 0}},
        {Shape::kPseudo, {}},
        {Shape::kFixed, {}},
        {Shape::kFixed, {}},
        {Shape::kFixed, {kPicture, 0, 1000, 100, 0}},
        {Shape::kFixed, {}},
        {Shape::kPlayer, {}},
        {Shape::kFixed, {}},
        {Shape::kFixed, {}},
        // The scene classes.
        {Shape::kFixed, item},
        {Shape::kFixed, ammo},
        {Shape::kFixed, kWeaponValues},
        {Shape::kFixed, actor},
        {Shape::kFixed, {20, 20, kLabel, 7}},
        {Shape::kPlayer, {}},
        // The native classes.
        {Shape::kFixed, item},
        {Shape::kFixed, {kPicture, 1000, 0, 100}},
        {Shape::kFixed, {kPicture, 1, 0, 50}},
        {Shape::kFixed, kWeaponValues},
        {Shape::kFixed, ammo},
        {Shape::kFixed, ShipValues()},
        {Shape::kFixed, actor},
        {Shape::kFixed, {1000, 1000}},
        {Shape::kBonus, {1000, 1000, 0}},
        {Shape::kFixed, {kPicture, 0, 1000, 100, 0}},
        {Shape::kFixed, {}},
        {Shape::kPlayer, {}},
        {Shape::kList, {}},
        {Shape::kFixed, {40, 40, kLabel, 8}},
        // Answers at x 400 from y 400 up, 200 wide; the question at (20, 20), 300 wide.
        {Shape::kFixed, {kTalkMessages, kTalkQuestions, 400, 400, 200, 20, 20, 300}},
        {Shape::kShop, {}},
    };
    return creations;
}

// The classes a hostile class uses, by class number from 1 (1 is its base).
enum UsedClass : uint32_t {
    kUsesObjectManager = 2,
    kUsesMultiActor,
    kUsesPlayer,
    kUsesSupplyShip,
    kUsesSupply,
    kUsesSlot,
    kUsesImageManager,
    kUsesOption,
    kUsesWeapon,
    kUsesBonus,
    kUsesShip,
    kUsesFontManager,
    kUsesSoundManager,
    kUsesSoundSystem,
    kUsesScreen,
    kUsesStaticText,
    kUsesDialog,
    kUsesShop,
    kUsesFuzzScene,
};
const std::vector<std::string> kUses = {
    "ObjectManager", "MultiActor", "Player", "SupplyShip", "Supply",      "Slot",         "ImageManager",
    "Option",        "Weapon",     "Bonus",  "Ship",       "FontManager", "SoundManager", "SoundSystem",
    "ZEMAScreen",    "StaticText", "Dialog", "ShopDialog", "FuzzScene"};

// The target's own class, loaded before the marks: its methods 4 and 5 are the natives of the
// kSceneOf and kMakeScene verbs.
const char* const kFuzzSceneClass = "FuzzScene";
constexpr uint32_t kSceneNativeMethod = 4;
constexpr uint32_t kMakeNativeMethod = 5;

// Objects that hostile code names by object ID: the flight's lists, the ships, the pilots, the supply, the
// level and the scenario.
const uint32_t kNamedIds[] = {kFlightActorListId, kFlightList7Id,  kShipListId,     kShotsManagerId,
                              kFlightList11Id,    kTestRunListId,  kPlayerListId,   kBonusListId,
                              kFlightList31Id,    kObjectList33Id, kFlightList35Id, kSupplyId,
                              kLevelId,           kScenarioId};
static_assert(std::size(kNamedIds) == kIdCount);
// The lists that the world's take-down empties.
const uint32_t kWorldLists[] = {kFlightActorListId, kFlightList7Id, kShotsManagerId, kFlightList11Id,
                                kTestRunListId,     kBonusListId,   kFlightList31Id, kObjectList33Id,
                                kFlightList35Id,    kShipListId,    kPlayerListId};

// A site: a virtual method (number below the class's virtual count), else a method.
struct Site {
    bool isVirtual;
    uint32_t number;
    Kind kind;
};

// The virtual method native code hands a supplier an object offered with.
constexpr uint32_t kSupplierOfferVirtual = 7;
// Skill methods that set its step and apply flags.
constexpr uint32_t kSkillStepFlagMethod = 8;
constexpr uint32_t kSkillApplyFlagMethod = 9;

uint32_t BaseVirtualCount(Kind k) {
    return FindNativeClassRow(kKindNames[k].base)->virtualMethods;
}
uint32_t VirtualCount(Kind k) {
    return BaseVirtualCount(k) + kKindNames[k].ownVirtuals;
}

// What a site does of its own: the base's behaviour (none for the destructor method, whose bases run theirs
// anyway); where native code calls a virtual method that only script classes give, what such a class does: a
// supplier takes the object offered and lets it go, a scenario starts and answers 0.
void OwnBehaviour(ScriptAssembler& s, const Site& site) {
    if (site.isVirtual && site.kind == kHSupplier && site.number == kSupplierOfferVirtual) {
        s.Op(Op::DeleteObject);
    } else if (site.isVirtual && site.kind == kHScenario && site.number == kScenarioStartVirtual) {
        s.Op(Op::PushZero);
    } else if (site.isVirtual || site.number != kDestructorMethod) {
        s.Word(ScriptAssembler::CallWord(site.number, 1, site.isVirtual));
    }
}

// Where a weapon is offered ammunition: it answers with what the offer's caller gets.
bool AnswersOffer(const Site& site) {
    return site.isVirtual && site.number == kWeaponOfferAmmoVirtual &&
           (site.kind == kHWeapon || site.kind == kHEnergyWeapon || site.kind == kSWeapon);
}

// Where native code hands the object on top over (an object offered to a supplier or a supply service,
// ammunition offered to a weapon). The script owns it from then on.
bool TakesObject(const Site& site) {
    if (!site.isVirtual) return false;
    if (site.number == kSupplierOfferVirtual) return site.kind == kHSupplier || site.kind == kHService;
    return AnswersOffer(site);
}

// In place of the base's behaviour: where the script is handed an object it takes it and lets it go, as a
// script that does not keep what it took must (a weapon answers that it took it).
void NoBehaviour(ScriptAssembler& s, const Site& site) {
    if (!TakesObject(site)) return;
    s.Op(Op::DeleteObject);
    if (site.number == kWeaponOfferAmmoVirtual) s.Op(Op::PushZero);
}

// kAreaWords words: what fill assembles (which may jump to the label after the area), padded. Empty when it
// does not fit.
std::vector<uint32_t> AreaWords(const std::function<void(ScriptAssembler&, Label)>& fill) {
    ScriptAssembler s;
    const Label end = s.NewLabel();
    fill(s, end);
    if (s.Here() > kAreaWords) return {};
    while (s.Here() < kAreaWords) s.Op(Op::Nop);
    s.Bind(end);
    return s.Finish();
}

// What a site does while the input leaves it alone.
std::vector<uint32_t> QuietArea(const Site& site) {
    return AreaWords([&](ScriptAssembler& s, Label end) {
        OwnBehaviour(s, site);
        s.Jump(Op::Jump, end);
    });
}

// The library of a hostile class: method 0 makes the object with its creation values through the base; every
// other method and every virtual method is an area, quiet until armed.
ClassLibraryBuilder HostileLibrary(Kind k) {
    const KindName& kind = kKindNames[k];
    const Creation& creation = Creations()[k];
    const NativeClassRow* row = FindNativeClassRow(kind.base);
    const uint32_t methods = row != nullptr ? std::max<uint32_t>(row->methods, 2) : 2;
    std::vector<std::string> used = {kind.base};
    used.insert(used.end(), kUses.begin(), kUses.end());
    ClassLibraryBuilder b = ClassLibraryBuilder::Named(kind.name, used);
    b.baseIndex = 1;
    b.instanceFields = kFields;
    ScriptAssembler a;
    std::vector<uint32_t> methodTable(methods, 0);
    methodTable[kCreateObjectMethod] = a.Method();
    if (creation.shape == Shape::kFixed) {
        // Pushed under the class so that native code can make the object by its name alone.
        for (auto value = creation.values.rbegin(); value != creation.values.rend(); ++value) {
            if (*value == kPicture || *value == kShipPicture) {
                const char* name = *value == kPicture ? kPictureName : kShipPictureName;
                for (uint32_t w : PushPictureWords(name, kUsesImageManager)) a.Word(w);
            } else if (*value == kLabel) {
                for (uint32_t w : PushTextWords(kLabelText)) a.Word(w);
            } else {
                a.Op(Op::PushInline, {static_cast<uint32_t>(*value)});
            }
            a.Op(Op::Swap);
        }
    }
    a.Call(kCreateObjectMethod, 1);
    if (k == kHSkill) {
        // Its step and apply flags set, so that a pilot steps and applies it.
        for (uint32_t method : {kSkillStepFlagMethod, kSkillApplyFlagMethod}) {
            a.Op(Op::Dup);
            a.Op(Op::PushOne);
            a.Op(Op::Swap);
            a.Word(ScriptAssembler::CallWord(method, 1, false, Receiver::Popped));
        }
    }
    a.Return();
    const auto body = [&](const Site& site) {
        const uint32_t at = a.Method();
        for (uint32_t w : QuietArea(site)) a.Word(w);
        a.Return();
        return at;
    };
    for (uint32_t m = 1; m < methods; ++m) methodTable[m] = body({false, m, k});
    std::vector<uint32_t> virtualTable(VirtualCount(k), 0);
    for (uint32_t v = 0; v < virtualTable.size(); ++v) virtualTable[v] = body({true, v, k});
    b.methods = methodTable;
    b.virtualMethods = virtualTable;
    b.code = a.Finish();
    return b;
}

// One hostile action as the input gives it.
struct Action {
    uint8_t verb;
    uint8_t subject;
    uint8_t target;
    uint8_t extra;
};

// Script addresses of the resource names, by the low 3 bits of a verb's extra byte.
struct ResourceTexts {
    uint32_t fonts[8];
    uint32_t pictures[8];
    uint32_t sounds[8];
};

// What a run leaves out, named in VONDREL_FUZZ_SKIP (a list of names, for a finding that waits
// for its mend): "answer" (the kAnswerHeld verb), "sound" (kPlaySound), "lists" (hostile code's
// deletion of an object it names by object ID, the lists among them, and a list step's of a list).
bool SkipsPart(const char* name) {
    static const std::string skipped =
        std::getenv("VONDREL_FUZZ_SKIP") != nullptr ? std::getenv("VONDREL_FUZZ_SKIP") : "";
    return skipped.find(name) != std::string::npos;
}

bool Skipped(const Action& action, uint8_t verb) {
    if (verb == kAnswerHeld) return SkipsPart("answer");
    if (verb == kPlaySound) return SkipsPart("sound");
    if (verb == kDeleteIt && action.subject >> 5 == kById) return SkipsPart("lists");
    return false;
}

// Whether a verb leaves what it made on the data stack, as what the method answers.
bool LeavesAnswer(const Action& action, uint8_t verb) {
    const uint8_t use = (action.extra >> 3) & 3;
    return (verb == kUseFont && use == kStackFont) || (verb == kUsePicture && use == kStackPicture);
}

class HostileCode {
  public:
    HostileCode(uint32_t control, const ResourceTexts& texts) : control_(control), texts_(texts) {}

    // The area of an armed site; empty when it does not fit.
    std::vector<uint32_t> Armed(const Site& site, uint32_t counter, uint8_t plan,
                                const std::vector<Action>& actions) const {
        return AreaWords([&](ScriptAssembler& s, Label end) {
            const uint32_t count = control_ + 4 * (kCounterWords + counter);
            const bool always = (plan & 7) == 0 && (plan & 8) != 0;
            if (!always) {
                // The calls that pass first do what a quiet site does.
                const Label fire = s.NewLabel();
                s.Op(Op::PushInline, {count});
                s.Op(Op::Fetch);
                s.Jump(Op::JumpIfZero, fire);
                s.Op(Op::PushInline, {count});
                s.Op(Op::DecrementMemory);
                OwnBehaviour(s, site);
                s.Jump(Op::Jump, end);
                s.Bind(fire);
                if ((plan & 8) == 0) {
                    s.Op(Op::PushInline, {0x7FFFFFFFu});
                    s.Op(Op::PushInline, {count});
                    s.Op(Op::Store);
                }
            }
            bool own = false;
            for (const Action& action : actions) {
                const uint8_t verb = action.verb % kVerbCount;
                if (Skipped(action, verb)) continue;
                if (verb == kBaseNow || verb == kNoBase) {
                    if (!own) {
                        if (verb == kBaseNow) {
                            OwnBehaviour(s, site);
                        } else {
                            NoBehaviour(s, site);
                        }
                    }
                    own = true;
                    continue;
                }
                if (verb == kAnswerHeld && AnswersOffer(site)) {
                    // The offered object taken and let go of, and what the weapon answers in its place
                    // let go of too: the answer is the subject, which may have another owner.
                    if (!own) NoBehaviour(s, site);
                    own = true;
                    s.Op(Op::DeleteObject);
                    Object(s, action.subject);
                    continue;
                }
                // What it answers goes over the object it was handed, which would be left to no one.
                if ((verb == kPushIt || verb == kAnswerHeld || LeavesAnswer(action, verb)) &&
                    TakesObject(site))
                    continue;
                Emit(s, action, verb);
            }
            if (!own) OwnBehaviour(s, site);
        });
    }

  private:
    void Emit(ScriptAssembler& s, const Action& action, uint8_t verb) const {
        switch (verb) {
            case kDeleteIt:
                Object(s, action.subject);
                s.Op(Op::DeleteObject);
                break;
            case kHandIt:
                Hand(s, action);
                break;
            case kClearIt:
                Object(s, action.target);
                s.Word(CallWord(13, kUsesObjectManager));
                break;
            case kRemoveFirst:
                Object(s, action.target);
                s.Op(Op::Dup);
                s.Word(CallWord(5, kUsesObjectManager));
                s.Op(Op::Drop);
                s.Word(CallWord(11, kUsesObjectManager));
                break;
            case kFail:
                s.Op(Op::PushZero);
                s.Op(Op::Fetch);
                break;
            case kStepIt:
                s.Op(Op::PushZero);
                Object(s, action.subject);
                s.Word(ScriptAssembler::CallWord(2, 0, true, Receiver::Popped));
                break;
            case kExplodeIt:
                Object(s, action.subject);
                s.Word(ScriptAssembler::CallWord(15, 0, true, Receiver::Popped));
                break;
            case kUseFont:
                LoadNamed(s, texts_.fonts[action.extra & 7], kUsesFontManager, kFontManagerId);
                UseFont(s, action);
                break;
            case kUsePicture:
                LoadNamed(s, texts_.pictures[action.extra & 7], kUsesImageManager, kImageManagerId);
                UsePicture(s, action);
                break;
            case kPlaySound:
                LoadNamed(s, texts_.sounds[action.extra & 7], kUsesSoundManager, kSoundManagerId);
                s.Word(ScriptAssembler::CallWord((action.extra & 8) != 0 ? 8 : 4, kUsesSoundSystem, false,
                                                 Receiver::ObjectId, kSoundSystemId));
                s.Op(Op::Drop);
                break;
            case kSceneOf:
                Object(s, action.subject);
                s.Word(CallWord(kSceneNativeMethod, kUsesFuzzScene));
                break;
            case kMakeScene:
                s.Op(Op::PushInline, {action.extra % kSceneKinds | (action.target & 15u) << 8});
                s.Word(ScriptAssembler::CallWord(kMakeNativeMethod, kUsesFuzzScene, false));
                break;
            default:
                Object(s, action.subject);
                break;
        }
    }

    // Pushes what the manager at the id loads of the name (its method 4).
    static void LoadNamed(ScriptAssembler& s, uint32_t name, uint32_t uses, uint32_t managerId) {
        s.Op(Op::PushInline, {name});
        s.Word(ScriptAssembler::CallWord(4, uses, false, Receiver::ObjectId, managerId));
    }

    // Puts the font on top where the action's use says: the screen's font or the target control's, a
    // field of its own, or left as the answer.
    void UseFont(ScriptAssembler& s, const Action& action) const {
        switch ((action.extra >> 3) & 3) {
            case kScreenFont:
                s.Word(ScriptAssembler::CallWord(13, kUsesScreen, false, Receiver::ObjectId, kScreenId));
                s.Op(Op::Drop);
                break;
            case kControlFont:
                Object(s, action.target);
                s.Word(CallWord(28, kUsesStaticText));
                break;
            case kFieldFont:
                IntoField(s, action);
                break;
            default:
                break;
        }
    }

    // The same for a picture: the target dialog's pointer or the target shop's slot frames.
    void UsePicture(ScriptAssembler& s, const Action& action) const {
        switch ((action.extra >> 3) & 3) {
            case kCursorPicture:
                Object(s, action.target);
                s.Word(CallWord(6, kUsesDialog));
                break;
            case kSlotFramesPicture:
                Object(s, action.target);
                s.Word(CallWord(26, kUsesShop));
                s.Op(Op::Store);
                break;
            case kFieldPicture:
                IntoField(s, action);
                break;
            default:
                break;
        }
    }

    static void IntoField(ScriptAssembler& s, const Action& action) {
        s.Op(Op::PushInline, {(action.extra >> 5) % kFields});
        s.Op(Op::FieldAddress);
        s.Op(Op::Store);
    }

    // Hands the subject to the target by one of the natives that take objects.
    void Hand(ScriptAssembler& s, const Action& action) const {
        Object(s, action.subject);
        const uint8_t adder = action.extra % kAdderCount;
        if (adder == kPilotShip) s.Op(Op::PushInline, {(action.extra >> 4) & 1u});
        Object(s, action.target);
        switch (adder) {
            case kListAdd:
                s.Word(CallWord(4, kUsesObjectManager));
                break;
            case kMemberAdd:
                s.Word(CallWord(35, kUsesMultiActor));
                break;
            case kPilotItem:
                s.Word(CallWord(21, kUsesPlayer));
                break;
            case kCargo:
                s.Word(CallWord(35, kUsesSupplyShip));
                break;
            case kSupplyOffer:
                s.Word(CallWord(5, kUsesSupply));
                break;
            case kVirtualAdd:
                s.Word(ScriptAssembler::CallWord(7, 0, true, Receiver::Popped));
                break;
            case kPilotShip:
                s.Word(CallWord(27, kUsesPlayer));
                s.Op(Op::Drop);
                break;
            case kWeaponOffer:
                // What the weapon hands back is the script's: it goes, as a script that does not keep it must
                // let it go.
                s.Word(ScriptAssembler::CallWord(19, 0, true, Receiver::Popped));
                s.Op(Op::DeleteObject);
                break;
            case kDialogControl:
                s.Word(CallWord(7, kUsesDialog));
                break;
            case kShopStock:
                s.Word(CallWord(19, kUsesShop));
                break;
            default:
                s.Word(CallWord(9, kUsesSlot));
                s.Op(Op::Store);
                break;
        }
    }

    static uint32_t CallWord(uint32_t method, uint32_t used) {
        return ScriptAssembler::CallWord(method, used, false, Receiver::Popped);
    }

    // Pushes the object a subject or target byte names.
    void Object(ScriptAssembler& s, uint8_t spec) const {
        const uint32_t n = spec & 31u;
        switch (spec >> 5) {
            case kItself:
                s.Op(Op::This);
                break;
            case kArgument:
                s.Op(Op::PushInline, {n % 4});
                s.Op(Op::Pick);
                break;
            case kField:
                s.Op(Op::PushInline, {n % kFields});
                s.Op(Op::FieldAddress);
                s.Op(Op::Fetch);
                break;
            case kNamedObject:
                s.Op(Op::PushInline, {control_ + 4 * (n % kNamed)});
                s.Op(Op::Fetch);
                break;
            case kById:
                s.Op(Op::PushInline, {kNamedIds[n % std::size(kNamedIds)]});
                s.Op(Op::ObjectById);
                break;
            case kReached:
                Reached(s, static_cast<uint8_t>(n % kGetterCount));
                break;
            case kNull:
                s.Op(Op::PushZero);
                break;
            default:
                s.Op(Op::PushInline, {static_cast<uint32_t>(kControlIds[(n >> 3) & 3])});
                s.Op(Op::PushInline, {control_ + 4 * (n & 7)});
                s.Op(Op::Fetch);
                s.Word(CallWord(10, kUsesDialog));
                break;
        }
    }

    static void Reached(ScriptAssembler& s, uint8_t getter) {
        const auto own = [&](uint32_t method, uint32_t used) { s.Call(method, used); };
        switch (getter) {
            case kItemShip:
                own(17, kUsesOption);
                break;
            case kItemSlot:
                own(24, kUsesOption);
                s.Op(Op::Fetch);
                break;
            case kLoadedAmmo:
                own(32, kUsesWeapon);
                break;
            case kSlotFirst:
                own(9, kUsesSlot);
                s.Op(Op::Fetch);
                break;
            case kSlotSecond:
                own(10, kUsesSlot);
                s.Op(Op::Fetch);
                break;
            case kPilotsShip:
                own(7, kUsesPlayer);
                break;
            case kPilotsFirstItem:
                own(24, kUsesPlayer);
                break;
            case kBonusItem:
                own(35, kUsesBonus);
                break;
            case kShipWeaponSlot:
                s.Op(Op::PushZero);
                own(35, kUsesShip);
                break;
            case kShipHoldSlot:
                s.Op(Op::PushZero);
                own(40, kUsesShip);
                break;
            default:
                own(44, kUsesShip);
                break;
        }
    }

    uint32_t control_;
    ResourceTexts texts_;
};

// The hostile classes' libraries, built once.
const std::vector<ClassLibraryBuilder>& HostileLibraries() {
    static const std::vector<ClassLibraryBuilder> libraries = [] {
        std::vector<ClassLibraryBuilder> built;
        for (uint8_t k = 0; k < kHostileKinds; ++k) built.push_back(HostileLibrary(Kind(k)));
        return built;
    }();
    return libraries;
}

class HostileWorld;
// The world whose natives the FuzzScene class runs.
HostileWorld* gWorld = nullptr;

class HostileWorld {
  public:
    HostileWorld() {
        if (Creations().size() != kKindCount) std::abort();  // one way of making each kind
        harness_.AddPicture(kPictureName, {.entries = 2, .frames = 2, .width = 4, .height = 4});
        harness_.AddPicture(kShipPictureName, {.entries = 5, .frames = 2});
        for (const char* name : {"Misc\\Broker.dpf", "Explosions\\SmallExplosion.dpf", "Misc\\Bonus.dpf",
                                 "Misc\\MoneyBonus.dpf", "Misc\\EnergyBonus.dpf"})
            harness_.AddPicture(name, {.width = 2, .height = 2});
        harness_.AddPicture("Explosions\\Explosion1.dpf", {.frames = 2});
        harness_.AddEntry("Explosions\\Explosion1.wav", WaveFile());
        for (const char* sound : {"BonusGet", "ShipExplosion", "EnergyLack", "EquipmentDetached"})
            harness_.AddSound(sound, std::string("Misc\\") + sound + ".wav", WaveFile());
        // The world's own texts (AddSceneContent leaves out their numbers).
        harness_.AddMessages("system.mes", {{177, "Rate"},
                                            {307, "Detached"},
                                            {308, "Low"},
                                            {392, "Sign %s?"},
                                            {476, "Direction"},
                                            {479, "Level up"}});
        AddSceneContent();
        for (const ClassLibraryBuilder& library : HostileLibraries()) harness_.AddLibrary(library);
        harness_.Start();
        Processor& cpu = harness_.Cpu();
        control_ = cpu.AllocateBlock(4 * kControlWords);
        ResourceTexts texts{};
        for (uint32_t i = 0; i < 8; ++i) {
            texts.fonts[i] = harness_.Text(kFontNames[i]);
            texts.pictures[i] = harness_.Text(kPictureNames[i]);
            texts.sounds[i] = harness_.Text(kSoundNames[i]);
        }
        code_ = std::make_unique<HostileCode>(control_, texts);
        labelText_ = harness_.Text(kLabelText);
        talkMessagesText_ = harness_.Text(kTalkMessagesName);
        talkQuestionsText_ = harness_.Text(kTalkQuestionsName);
        // The scene classes are loaded by what first makes or arms one, after the marks.
        for (uint8_t k = 0; k < kFirstSceneKind; ++k) hostile_.push_back(harness_.Class(kKindNames[k].name));
        ZEMAClass* scene = harness_.Class(kFuzzSceneClass);
        scene->SetMethod(SceneNative, kSceneNativeMethod);
        scene->SetMethod(MakeNative, kMakeNativeMethod);
        gWorld = this;
        // What the world uses is loaded before the marks, so that a scene reset leaves it.
        for (const char* name : {kPictureName, kShipPictureName, "Misc\\Broker.dpf",
                                 "Explosions\\Explosion1.dpf", "Explosions\\SmallExplosion.dpf",
                                 "Misc\\Bonus.dpf", "Misc\\MoneyBonus.dpf", "Misc\\EnergyBonus.dpf"})
            harness_.Picture(name);
        for (const char* sound : {"BonusGet", "ShipExplosion", "EnergyLack", "EquipmentDetached"})
            harness_.Sound(sound);
        harness_.Message("system.mes", 177);
        harness_.FontNamed("Hint");
        harness_.Sound("Explosions\\Explosion1.wav");
        // So are the pictures and fonts of the shop, the ship window and the controls, which most
        // inputs that reach them would otherwise load after the marks (each such input ends with a
        // scene reset, which costs a sound thread's restart): what only scenes load is what the
        // scripts name (kFontNames, kPictureNames, kSoundNames) and a conversation's fonts.
        for (const char* name : {"Misc\\SchemaLine.dpf", "Misc\\Up.dpf", "Misc\\Down.dpf", "Misc\\Guides.dpf",
                                 "Misc\\Slots.dpf", "Misc\\Stars.dpf", "Misc\\SaveDisk.dpf"})
            harness_.Picture(name);
        for (const char* font :
             {"SlotType", "Chars", "Description", "SmallButton", "TextButton", "StaticText"})
            harness_.FontNamed(font);
        PublishedFlight() = FlightValues{.sceneWidthX100 = 64000, .screenHeightX100 = 48000};
        CreateFlightLists(cpu);
        budget_ = std::make_unique<StepBudget>(harness_, kStepBudgetMs);
        PutBack();
        startFont_ = WeakObject(harness_.Buffer().CurrentFont());
        marks_ = SaveResourceMarks(cpu);
        sceneMarks_ = marks_;
        for (const NativeClassRow* row : NativeCatalogue()) {
            if (ZEMAClass* cls = harness_.Classes().Classes().Find(String(row->name)))
                counted_.push_back(cls);
        }
        counted_.insert(counted_.end(), hostile_.begin(), hostile_.end());
        for (ZEMAClass* cls : counted_) baseline_.push_back(cls->InstanceCount());
        unloadedBaseline_ = ZEMAClass::UnloadedClass().InstanceCount();
    }
    ~HostileWorld() {
        budget_->Stop();
        gWorld = nullptr;
    }

    // What only scenes load: fonts, pictures and sounds, what the shop and a conversation need, and
    // the target's own class.
    void AddSceneContent() {
        for (const char* font : {"Scene0", "Scene1", "Scene2", "QuestionFont", "AnswerFont", "SlotType",
                                 "Chars", "Description", "SmallButton"})
            harness_.AddFont(font);
        for (const char* picture :
             {"Scene0.dpf", "Scene1.dpf", "Scene2.dpf", "Scene3.dpf", "Misc\\SchemaLine.dpf", "Misc\\Up.dpf",
              "Misc\\Down.dpf", "Misc\\Guides.dpf"})
            harness_.AddPicture(picture, {.width = 2, .height = 2});
        harness_.AddPicture("Misc\\Slots.dpf", {.frames = 8, .width = 8, .height = 8});
        for (const char* sound : {"Scene0", "Scene1", "Scene2", "Scene3"})
            harness_.AddSound(sound, std::string("Misc\\") + sound + ".wav", WaveFile());
        // The shop's questions; the rest of what it and the ship window show a text for.
        const std::vector<MessageText> shopTexts = {
            {102, "Done"},       {104, "Info"},     {117, "OK"},       {120, "Yes"},
            {121, "No"},         {182, "Sell"},     {183, "Ship"},     {186, "Full"},
            {187, "Buy %s %d?"}, {188, "Sell %d?"}, {189, "Spare"},    {305, "Old %s?"},
            {306, "Old %s?"},    {310, "cr"},       {340, "Poor"},     {341, "Ship %s %d %d?"},
            {345, "Charge"},     {346, "Full"},     {347, "Fill %d?"}, {477, "Hold"},
            {478, "Bag"},        {511, "Write?"}};
        std::vector<MessageText> texts = shopTexts;
        const std::vector<MessageText> others = OtherShopTexts(shopTexts, {177, 476});
        texts.insert(texts.end(), others.begin(), others.end());
        harness_.AddMessages("system.mes", texts);
        harness_.AddMessages(kTalkMessagesName,
                             {{1, "Where?"}, {2, "Why?"}, {9, "Bye"}, {10, "More"}, {11, "Signal"}});
        harness_.AddCharacteristics(kTalkQuestionsName, {{100, {1, 9, 10, 2, 200, -1}}, {200, {2, 9}}});
        harness_.AddClass({.name = kFuzzSceneClass, .base = "GTTClass", .methods = {{4, {}}, {5, {}}}});
    }
    HostileWorld(const HostileWorld&) = delete;
    HostileWorld& operator=(const HostileWorld&) = delete;

    // The game needs starting again: it asked to quit, or the world could not be put back.
    bool Spoilt() { return spoilt_ || harness_.Host().App().QuitRequested(); }

    void Run(InputBytes& in) {
        {
            // As the game thread holds for the whole game: what a destroyed object still owns must have gone
            // with it, not wait for its memory to go.
            const ReleaseHold hold;
            for (uint32_t step = 0; step < kMaxSteps && in.More(); ++step) Step(in);
            TakeDown();
        }
        CheckReleased();
    }

    // The natives of the FuzzScene class.
    static void SceneNative(ScriptObject* receiver) { gWorld->SceneRound(receiver); }
    static void MakeNative(ScriptObject*) {
        const uint32_t word = gWorld->harness_.Cpu().DataStack().Pop();
        gWorld->Name(static_cast<uint8_t>(word >> 8),
                     gWorld->Make(Kind(kFirstSceneKind + (word & 0xFF) % kSceneKinds), 0));
    }

  private:
    void Step(InputBytes& in) {
        const uint8_t step = in.Next() % kStepCount;
        if (listed_) {
            std::fprintf(stderr, "step %u [%u %u %u %u]:", step, in.Peek(0), in.Peek(1), in.Peek(2),
                         in.Peek(3));
        }
        switch (step) {
            case kArm:
                Arm(in);
                break;
            case kMake:
                MakeStep(in);
                break;
            case kFit:
                Fit(in);
                break;
            case kHand:
                HandOver(in);
                break;
            case kSetField:
                SetField(in);
                break;
            case kItems:
                DriveItems(in);
                break;
            case kWeapons:
                DriveWeapons(in);
                break;
            case kShips:
                DriveShips(in);
                break;
            case kActors:
                DriveActors(in);
                break;
            case kSupply:
                DriveSupply(in);
                break;
            case kLists:
                DriveLists(in);
                break;
            case kDialog:
                DriveDialog(in);
                break;
            case kPilots:
                DrivePilots(in);
                break;
            case kScene:
                DriveScene(in);
                break;
            case kShop:
                DriveShop(in);
                break;
            case kShipWindow:
                DriveShipWindow(in);
                break;
            default:
                DeleteStep(in);
                break;
        }
        CheckOneOwner();
    }

    // An item has one owner at a time: between steps no two of the owners the input can see (a slot
    // that owns its items, a shop's stock or hand, a weapon's ammunition, a pilot's carried items, a
    // bonus; and the hand of a ship window that is open) hold the same one.
    void CheckOneOwner(OptionObject* windowHand = nullptr) {
        std::vector<ScriptObject*> seen;
        for (const Root& root : roots_) seen.push_back(root.ref.Get());
        for (const WeakObject& named : named_) seen.push_back(named.Get());
        for (uint32_t id : {kShipListId, kPlayerListId, kBonusListId}) {
            if (ObjectManager* list = harness_.Objects().ListAt(id)) {
                for (ScriptObject* entry : ObjectWalk<>::ItemsOf(list->ObjectList())) seen.push_back(entry);
            }
        }
        std::vector<std::pair<const ScriptObject*, std::string>> held;  // item, owner
        const auto holds = [&](const char* owner, ScriptObject* item) {
            if (item == nullptr || !item->Alive()) return;
            for (const auto& [other, by] : held) {
                if (other == item) {
                    std::fprintf(stderr, "==hostile classes== a %s held by a %s and a %s at once\n",
                                 item->Class()->ClassName().Text(), by.c_str(), owner);
                    std::abort();
                }
            }
            held.emplace_back(item, owner);
            seen.push_back(item);
        };
        std::vector<const ScriptObject*> visited;
        std::vector<const SlotObject*> slots;
        const auto slotItems = [&](const SlotObject* slot) {
            if (slot == nullptr || !slot->OwnsItems() ||
                std::find(slots.begin(), slots.end(), slot) != slots.end())
                return;
            slots.push_back(slot);
            holds("slot", slot->First());
            holds("slot", slot->Second());
        };
        holds("ship window's hand", windowHand);
        for (size_t i = 0; i < seen.size(); ++i) {
            ScriptObject* object = seen[i];
            if (object == nullptr || !object->Alive() ||
                std::find(visited.begin(), visited.end(), object) != visited.end())
                continue;
            visited.push_back(object);
            if (auto* ship = dynamic_cast<ShipObject*>(object)) {
                for (uint32_t group = 0; group < kShipGroups; ++group) {
                    for (uint32_t k = 0; k < ship->SlotCount(group); ++k)
                        slotItems(ship->SlotAt(group, static_cast<int32_t>(k)));
                }
            }
            if (auto* slot = dynamic_cast<SlotObject*>(object)) slotItems(slot);
            if (auto* weapon = dynamic_cast<WeaponObject*>(object)) holds("weapon", weapon->Ammo());
            if (auto* bonus = dynamic_cast<BonusObject*>(object)) holds("bonus", bonus->Item());
            if (auto* shop = dynamic_cast<ShopDialogObject*>(object)) {
                holds("shop's hand", shop->Held());
                for (uint32_t k = 0; k < shop->StockCount(); ++k) slotItems(shop->StockAt(k));
            }
            if (auto* pilot = dynamic_cast<PlayerObject*>(object)) {
                for (ScriptObject* item : pilot->Items()) holds("pilot", item);
            }
        }
    }

    // --- hostile code ---

    void Arm(InputBytes& in) {
        const auto kind = Kind(in.Next() % kHostileKinds);
        const uint8_t pick = in.Next();
        const uint8_t plan = in.Next();
        std::vector<Action> actions(1 + (plan >> 4) % kMaxActions);
        for (Action& action : actions) action = {in.Next(), in.Next(), in.Next(), in.Next()};
        if (armed_.size() == kMaxArmed) return;
        ZEMAClass* cls = HostileClass(kind);
        if (cls == nullptr) return;
        const uint32_t virtuals = cls->VirtualMethodCount();
        const uint32_t sites = virtuals + cls->MethodCount() - 1;
        const uint32_t index = pick % sites;
        const Site site =
            index < virtuals ? Site{true, index, kind} : Site{false, index - virtuals + 1, kind};
        const uint32_t at =
            (site.isVirtual ? cls->VirtualMethodSlot(site.number) : cls->MethodSlot(site.number)) + 4;
        for (const Armed& other : armed_) {
            if (other.at == at && other.cls.Get() != nullptr) return;
        }
        const auto counter = static_cast<uint32_t>(armed_.size());
        const std::vector<uint32_t> words = code_->Armed(site, counter, plan, actions);
        if (listed_) {
            std::fprintf(stderr, " armed %s %s %u%s\n", cls->ClassName().Text(),
                         site.isVirtual ? "virtual" : "method", site.number,
                         words.empty() ? " (too long)" : "");
        }
        if (words.empty()) return;
        ScriptStore32(control_ + 4 * (kCounterWords + counter), plan & 7);
        WriteArea(at, words);
        armed_.push_back({at, QuietArea(site), WeakObject(cls)});
    }

    // The class of a hostile kind; a scene class is loaded when it is not (null when that fails).
    ZEMAClass* HostileClass(Kind kind) {
        if (!IsSceneKind(kind)) return hostile_[kind];
        ZEMAClass* cls = nullptr;
        Drive([&] { cls = harness_.Class(kKindNames[kind].name); });
        return cls;
    }

    static void WriteArea(uint32_t at, const std::vector<uint32_t>& words) {
        for (uint32_t i = 0; i < words.size(); ++i) ScriptStore32(at + 4 * i, words[i]);
    }

    // The code of a class a scene reset unloaded is gone with it.
    void Disarm() {
        for (const Armed& site : armed_) {
            if (site.cls.Get() != nullptr) WriteArea(site.at, site.quiet);
        }
        armed_.clear();
    }

    // --- the world's objects ---

    void Name(uint8_t slot, ScriptObject* object) {
        const uint32_t at = slot % kNamed;
        named_[at] = WeakObject(object);
        ScriptStore32(control_ + 4 * at, object != nullptr ? object->Address() : 0);
    }

    // Made by the input, or handed back to it: deleted at the take-down unless gone by then. The input hands
    // an object on (as native code hands what it holds) only while it holds it.
    void Keep(ScriptObject* object) {
        if (object != nullptr) roots_.push_back({WeakObject(object), true});
    }
    bool Held(const ScriptObject* object) const {
        for (const Root& root : roots_) {
            if (root.held && root.ref.Get() == object) return true;
        }
        return false;
    }
    void HandedOn(const ScriptObject* object) {
        for (Root& root : roots_) {
            if (root.ref.Get() == object) root.held = false;
        }
    }

    // Whether an owner that the input can see holds the object: a slot or a list, or a weapon, a
    // pilot or a shop among the objects it made or named.
    bool OwnedElsewhere(const ScriptObject* object) {
        const auto* item = dynamic_cast<const OptionObject*>(object);
        if ((item != nullptr && item->Slot() != nullptr) || object->ManagerHolds() > 0) return true;
        std::vector<ScriptObject*> seen;
        for (const Root& root : roots_) seen.push_back(root.ref.Get());
        for (const WeakObject& named : named_) seen.push_back(named.Get());
        for (ScriptObject* owner : seen) {
            if (auto* weapon = dynamic_cast<WeaponObject*>(owner);
                weapon != nullptr && weapon->Ammo() == object)
                return true;
            if (auto* shop = dynamic_cast<ShopDialogObject*>(owner)) {
                if (shop->Held() == object) return true;
                for (uint32_t i = 0; i < shop->StockCount(); ++i) {
                    if (const SlotObject* row = shop->StockAt(i); row != nullptr && row->First() == object)
                        return true;
                }
            }
            if (auto* pilot = dynamic_cast<PlayerObject*>(owner)) {
                const std::vector<ScriptObject*> items = pilot->Items();
                if (std::find(items.begin(), items.end(), object) != items.end()) return true;
            }
        }
        return false;
    }

    // The first named object of the type from slot on, or null.
    template <class T>
    T* Find(uint8_t slot) {
        for (uint32_t i = 0; i < kNamed; ++i) {
            if (T* found = dynamic_cast<T*>(named_[(slot + i) % kNamed].Get())) return found;
        }
        return nullptr;
    }

    // The same other than the object given.
    template <class T>
    T* FindOther(uint8_t slot, const ScriptObject* other) {
        for (uint32_t i = 0; i < kNamed; ++i) {
            auto* found = dynamic_cast<T*>(named_[(slot + i) % kNamed].Get());
            if (found != nullptr && found != other) return found;
        }
        return nullptr;
    }

    // The same among the objects the input holds.
    template <class T>
    T* FindHeld(uint8_t slot) {
        for (uint32_t i = 0; i < kNamed; ++i) {
            auto* found = dynamic_cast<T*>(named_[(slot + i) % kNamed].Get());
            if (found != nullptr && Held(found)) return found;
        }
        return nullptr;
    }

    ObjectManager* FindList(uint8_t pick) {
        if ((pick & 0x80) != 0) return harness_.Objects().ListAt(kNamedIds[pick % std::size(kNamedIds)]);
        return Find<ObjectManager>(pick);
    }

    uint32_t PushValue(int64_t value) {
        if (value == kPicture) return harness_.Picture(kPictureName)->Address();
        if (value == kShipPicture) return harness_.Picture(kShipPictureName)->Address();
        if (value == kLabel) return labelText_;
        if (value == kTalkMessages) return talkMessagesText_;
        if (value == kTalkQuestions) return talkQuestionsText_;
        return static_cast<uint32_t>(value);
    }

    ScriptObject* Make(Kind k, uint8_t extra) {
        Processor& cpu = harness_.Cpu();
        const Creation& kind = Creations()[k];
        if (kind.shape == Shape::kList) {
            auto* list = new ObjectManager(&cpu, 1);
            Keep(list);
            return list;
        }
        std::vector<uint32_t> pushed;
        if (k >= kHostileKinds || kind.shape != Shape::kFixed) {
            for (auto value = kind.values.rbegin(); value != kind.values.rend(); ++value)
                pushed.push_back(PushValue(*value));
        }
        ScriptObject* item = nullptr;
        if (kind.shape == Shape::kBonus) {
            item = FindHeld<OptionObject>(extra);
            pushed.push_back(item != nullptr ? item->Address() : 0);
        } else if (kind.shape == Shape::kPseudo) {
            ScriptObject* source = Find<ActorObject>(extra);
            pushed.push_back(extra >> 6);
            pushed.push_back(source != nullptr ? source->Address() : 0);
        } else if (kind.shape == Shape::kShop) {
            ScriptObject* customer = (extra & 0x80) != 0 ? nullptr : Find<PlayerObject>(extra);
            pushed.push_back(customer != nullptr ? customer->Address() : 0);
        }
        GameObject made = harness_.New(kKindNames[k].name, pushed);
        ScriptObject* object = made.release();
        Keep(object);
        HandedOn(item);
        if (kind.shape == Shape::kShop) {
            // Where the shop's tests lay out its grid: 4 columns, 2 rows.
            auto& shop = ShopDialogObject::Of(object);
            shop.SetField(kShopGridX, 20);
            shop.SetField(kShopGridY, 100);
            shop.SetField(kShopGridColumns, 4);
            shop.SetField(kShopGridRows, 2);
        }
        if (kind.shape == Shape::kPlayer) {
            auto& pilot = PlayerObject::Of(object);
            pilot.SetInput(std::make_unique<InputDevice>());
            if (ObjectManager* players = harness_.Objects().ListAt(kPlayerListId)) {
                players->AppendObject(&pilot);
                HandedOn(&pilot);
            }
        }
        return object;
    }

    void MakeStep(InputBytes& in) {
        const auto kind = Kind(in.Next() % kKindCount);
        const uint8_t slot = in.Next();
        const uint8_t extra = in.Next();
        Drive([&] { Name(slot, Make(kind, extra)); });
    }

    void Fit(InputBytes& in) {
        OptionObject* item = FindHeld<OptionObject>(in.Next());
        ShipObject* ship = Find<ShipObject>(in.Next());
        const uint8_t place = in.Next();
        const uint8_t slotName = in.Next();
        if (item == nullptr || ship == nullptr) return;
        SlotObject* slot = ship->SlotAt((place & 7) % kShipGroups, (place >> 3) & 1);
        if (slot == nullptr) return;
        Name(slotName, slot);
        Drive([&] {
            const bool second = (place & 0x40) != 0;
            OptionObject* old = second ? slot->SetObjectB(item) : slot->SetObject(item);
            HandedOn(item);
            Keep(old);
            if (second) {
                slot->SetSecondEnabled(place >> 7);
            } else {
                slot->SetFirstEnabled(place >> 7);
            }
        });
    }

    void HandOver(InputBytes& in) {
        const uint8_t what = in.Next();
        const uint8_t owner = in.Next();
        const uint8_t how = in.Next();
        ScriptObject* object = FindHeld<ScriptObject>(what);
        if (object == nullptr) return;
        Drive([&] {
            if (HandTo(object, owner, how)) HandedOn(object);
        });
    }

    // Whether the owner took the object. Native code hands nothing to itself, nor a container of other
    // objects to another container the input made: the two might end up owning each other.
    bool HandTo(ScriptObject* object, uint8_t owner, uint8_t how) {
        auto* actor = dynamic_cast<ActorObject*>(object);
        auto* ammo = dynamic_cast<AmmoObject*>(object);
        auto* item = dynamic_cast<OptionObject*>(object);
        auto* control = dynamic_cast<ControlObject*>(object);
        const bool container = dynamic_cast<ObjectManager*>(object) != nullptr ||
                               dynamic_cast<SupplyShipObject*>(object) != nullptr ||
                               dynamic_cast<SupplyServiceObject*>(object) != nullptr ||
                               dynamic_cast<MultiActorObject*>(object) != nullptr ||
                               dynamic_cast<ZEMADialogObject*>(object) != nullptr;
        switch (how % kHandCount) {
            case kToList:
                if (container && (owner & 0x80) == 0) return false;
                if (ObjectManager* list = FindList(owner); list != nullptr && list != object) {
                    list->AppendObject(object);
                    return true;
                }
                return false;
            case kToMulti:
                if (container) return false;
                if (auto* multi = FindOther<MultiActorObject>(owner, object);
                    multi != nullptr && actor != nullptr) {
                    multi->Append(*actor);
                    return true;
                }
                return false;
            case kToPilotItems:
                if (auto* pilot = FindOther<PlayerObject>(owner, object)) {
                    pilot->AddItem(object);
                    return true;
                }
                return false;
            case kToPilotShip:
                if (auto* pilot = FindOther<PlayerObject>(owner, object)) {
                    // The ship list takes it; without one it stays the input's.
                    (void)pilot->SetShip(object, how >> 7);
                    return object->ManagerHolds() > 0;
                }
                return false;
            case kToCargo:
                if (container) return false;
                if (auto* ship = FindOther<SupplyShipObject>(owner, object)) {
                    ship->Load(object);
                    return true;
                }
                return false;
            case kToService:
                if (container) return false;
                if (auto* service = FindOther<SupplyServiceObject>(owner, object)) {
                    service->queue.Append(object);
                    return true;
                }
                return false;
            case kToSupply:
                // The supply holds what it makes from a supplier's class name: a supplier.
                if (object->Class() != hostile_[kHSupplier]) return false;
                SupplyObject::Of(harness_.Object(kSupplyId)).Hold(object);
                return true;
            case kToDialog:
                if (auto* dialog = Find<ZEMADialogObject>(owner); dialog != nullptr && control != nullptr) {
                    dialog->Window().AddControl(control, kListOwned);
                    return true;
                }
                return false;
            case kToShop:
                if (auto* shop = Find<ShopDialogObject>(owner); shop != nullptr && item != nullptr) {
                    shop->AddStockSlot(item);
                    return true;
                }
                return false;
            default:
                if (auto* weapon = FindOther<WeaponObject>(owner, object);
                    weapon != nullptr && ammo != nullptr) {
                    Keep(weapon->SetAmmo(ammo));
                    return true;
                }
                return false;
        }
    }

    void SetField(InputBytes& in) {
        ScriptObject* object = Find<ScriptObject>(in.Next());
        const uint8_t field = in.Next();
        ScriptObject* value = Find<ScriptObject>(in.Next());
        if (object == nullptr || object->FieldCount() == 0) return;
        object->Field(field % object->FieldCount()) = value != nullptr ? value->Address() : 0;
    }

    void DeleteStep(InputBytes& in) {
        ScriptObject* object = Find<ScriptObject>(in.Next());
        if (object == nullptr) return;
        const uint32_t address = object->Address();
        Drive([&] { DeleteAsScript(address); });
    }

    void DeleteAsScript(uint32_t address) {
        harness_.Cpu().DataStack().Push(address);
        ProcessorOps::DeleteObject(harness_.Cpu());
    }

    // --- the natives that call script code ---

    // Runs one native operation as the game does: under a release hold, engine errors a normal end.
    template <class F>
    void Drive(F&& operation) {
        RunGuarded(harness_.Cpu(), *budget_, [&] {
            const ReleaseHold hold;
            try {
                operation();
                if (listed_) std::fprintf(stderr, " done\n");
            } catch (const DExep& e) {
                if (listed_) std::fprintf(stderr, " engine error: %s\n", e.message.Text());
                throw;
            }
        });
    }

    void DriveItems(InputBytes& in) {
        const uint8_t what = in.Next();
        OptionObject* item = Find<OptionObject>(in.Next());
        const uint8_t value = in.Next();
        if (item == nullptr) return;
        Drive([&] {
            SlotObject* slot = item->Slot();
            switch (what % kItemOpCount) {
                case kPrice:
                    (void)CallScriptMethod16PopInt(item);
                    break;
                case kItemName:
                    (void)GTTClass::CallGetName(item);
                    break;
                case kSaveRestore: {
                    const std::vector<uint32_t> words = SaveObjectState(item);
                    OptionObject* into = Find<OptionObject>(value);
                    RestoreObjectState(into != nullptr ? into : item, words);
                    break;
                }
                case kSwitch:
                    if (slot != nullptr) {
                        if ((value & 1) != 0) {
                            slot->SetSecondState((value >> 1) & 3);
                        } else {
                            slot->SetFirstState((value >> 1) & 3);
                        }
                    }
                    break;
                case kEnable:
                    if (slot != nullptr) slot->SetFirstEnabled(value & 1);
                    break;
                case kTakeOut:
                    if (slot != nullptr)
                        Keep((value & 1) != 0 ? slot->SetObjectB(nullptr) : slot->SetObject(nullptr));
                    break;
                case kShareOfPrice:
                    (void)Bonus::PriceFor(item, -static_cast<int32_t>(value));
                    break;
                default:
                    // A merge destroys the other; else it stays the input's.
                    (void)Option::TryMerge(*item, FindHeld<OptionObject>(value));
                    break;
            }
        });
    }

    void DriveWeapons(InputBytes& in) {
        const uint8_t what = in.Next();
        WeaponObject* weapon = Find<WeaponObject>(in.Next());
        const uint8_t value = in.Next();
        if (weapon == nullptr) return;
        Drive([&] {
            switch (what % kWeaponOpCount) {
                case kTrigger:
                    Weapon::CallTrigger(weapon, 1000 * value);
                    break;
                case kOfferAmmo: {
                    // What the weapon answers the input holds; what it took is its own.
                    ScriptObject* offered = FindHeld<OptionObject>(value);
                    const uint32_t address = offered != nullptr ? offered->Address() : 0;
                    const uint32_t answer = Weapon::CallOfferAmmo(weapon, address);
                    if (answer != address) {
                        HandedOn(offered);
                        // Not when another owner holds it: a weapon's script may answer with such an item.
                        ScriptObject* back = WeakObject::AtAddress(answer).Get();
                        if (back != nullptr && !OwnedElsewhere(back)) Keep(back);
                    }
                    break;
                }
                default:
                    RunnerOf(weapon).CallVirtual(weapon, kWeaponFireVirtual);
                    break;
            }
        });
    }

    void DriveShips(InputBytes& in) {
        const uint8_t what = in.Next();
        ShipObject* ship = Find<ShipObject>(in.Next());
        const uint8_t value = in.Next();
        if (ship == nullptr) return;
        Drive([&] {
            switch (what % kShipOpCount) {
                case kRecompute:
                    ship->RecomputeEnergy();
                    break;
                case kRecharge:
                    ship->Recharge(10 * value);
                    break;
                case kDrain:
                    Ship::DrainEnergy(*ship, 10 * value);
                    break;
                case kUpdate:
                    GTTClass::CallStep(ship, value);
                    break;
                case kFire:
                    ship->Fire(1 + (value & 1));
                    break;
                case kStepEquipment:
                    ship->StepEquipment(value);
                    break;
                case kSelectDirections:
                    ship->SelectDirections((value & 0x80) != 0 ? -1 - (value & 1) : value,
                                           (value & 0x40) != 0);
                    break;
                case kSaveConfig:
                    shipConfig_ = std::make_unique<ShipConfig>();
                    SaveToConfig(*ship, *shipConfig_);
                    break;
                case kLoadConfig:
                    if (shipConfig_ != nullptr) {
                        ScriptObject* loaded = LoadFromConfig(harness_.Cpu(), *shipConfig_);
                        Keep(loaded);
                        Name(value, loaded);
                    }
                    break;
                case kShipExplode:
                    RunnerOf(ship).CallVirtual(ship, kExplodeVirtual);
                    break;
                case kResetDelays:
                    ship->ResetDelays();
                    break;
                default: {
                    ScriptObject* attacker = Find<ActorObject>(value);
                    Actor::OnHit(ship,
                                 attacker != nullptr ? ActorObject::Of(attacker).DamageTableAddress() : 0,
                                 attacker, value >> 4);
                    break;
                }
            }
        });
    }

    void DriveActors(InputBytes& in) {
        const uint8_t what = in.Next();
        ActorObject* actor = Find<ActorObject>(in.Next());
        const uint8_t value = in.Next();
        if (actor == nullptr) return;
        Drive([&] {
            switch (what % kActorOpCount) {
                case kExplodeMode:
                    actor->SetInt(kActorExplosionMode, value % 5);
                    Actor::Explode(*actor);
                    break;
                case kSplinters:
                    (void)Actor::MakeSplinters(*actor, *harness_.Picture("Misc\\Broker.dpf"));
                    break;
                case kActorStep:
                    GTTClass::CallStep(actor, value);
                    break;
                case kPseudoStep:
                    if (auto* pseudo = dynamic_cast<PseudoActorObject*>(actor)) PseudoActor::Step(*pseudo);
                    break;
                case kMultiStep:
                    if (auto* multi = dynamic_cast<MultiActorObject*>(actor)) MultiActor::Step(*multi, value);
                    break;
                case kMultiEntries:
                    if (auto* multi = dynamic_cast<MultiActorObject*>(actor))
                        (void)MultiActor::EntryCount(*multi);
                    break;
                case kActorHit: {
                    ScriptObject* attacker = Find<ActorObject>(value);
                    Actor::OnHit(actor, actor->DamageTableAddress(), attacker, value >> 4);
                    break;
                }
                case kDraw: {
                    DrawLayerLists layers;
                    RegisterActorFrames(harness_.Cpu(), *actor, layers);
                    break;
                }
                case kCollide:
                    if (ActorObject* other = Find<ActorObject>(value)) {
                        DrawLayerLists layers;
                        const WeakObject otherRef(other);
                        RegisterActorFrames(harness_.Cpu(), *actor, layers);
                        if (auto* still = dynamic_cast<ActorObject*>(otherRef.Get())) {
                            RegisterActorFrames(harness_.Cpu(), *still, layers);
                            if (actor->Alive() && still->Alive()) (void)Actor::TestCollision(*actor, *still);
                        }
                    }
                    break;
                default:
                    actor->SetState(value % 4);
                    break;
            }
        });
    }

    void DriveSupply(InputBytes& in) {
        const uint8_t what = in.Next();
        const uint8_t pick = in.Next();
        const uint8_t value = in.Next();
        Processor& cpu = harness_.Cpu();
        Drive([&] {
            auto* supply = dynamic_cast<SupplyObject*>(harness_.Object(kSupplyId));
            switch (what % kSupplyOpCount) {
                case kOffer:
                    if (ScriptObject* object = FindHeld<ScriptObject>(pick);
                        object != nullptr && supply != nullptr) {
                        Supply::Offer(cpu, *supply, object);
                        HandedOn(object);
                    }
                    break;
                case kSupplyStep:
                    if (supply != nullptr) GTTClass::CallStep(supply, value);
                    break;
                case kServiceStep:
                    if (auto* service = Find<SupplyServiceObject>(pick))
                        SupplyService::Step(cpu, *service, 10 * value);
                    break;
                case kSupplyShipStep:
                    if (auto* ship = Find<SupplyShipObject>(pick)) GTTClass::CallStep(ship, value);
                    break;
                case kDropCargo:
                    if (auto* ship = Find<SupplyShipObject>(pick)) {
                        ship->SetInt(kVisualX, 100 * 640 * value / 255);
                        SupplyShip::DropCargo(cpu, *ship);
                    }
                    break;
                case kReleaseSupplier:
                    if (supply != nullptr) supply->ReleaseHeld();
                    break;
                case kPickUp:
                    if (auto* bonus = Find<BonusObject>(pick)) {
                        ScriptObject* toucher = Find<ShipObject>(value);
                        Actor::OnHit(bonus, 0, toucher, 1 + (value >> 7));
                    }
                    break;
                case kBonusStep:
                    if (auto* bonus = Find<BonusObject>(pick)) GTTClass::CallStep(bonus, value);
                    break;
                case kBonusDrop:
                    if (auto* bonus = Find<BonusObject>(pick)) {
                        cpu.DataStack().Push(1000);
                        cpu.DataStack().Push(100 * value);
                        RunnerOf(bonus).CallVirtual(bonus, kBonusDropVirtual);
                    }
                    break;
                default:
                    if (auto* bonus = Find<BonusObject>(pick))
                        RunnerOf(bonus).CallVirtual(bonus, kBonusFreeVirtual);
                    break;
            }
        });
    }

    void DriveLists(InputBytes& in) {
        const uint8_t what = in.Next();
        const uint8_t pick = in.Next();
        const uint8_t value = in.Next();
        Processor& cpu = harness_.Cpu();
        Drive([&] {
            ObjectManager* list = FindList(pick);
            switch (what % kListOpCount) {
                case kClearList:
                    if (list != nullptr) list->ClearList();
                    break;
                case kRemoveAt:
                    if (list != nullptr) {
                        list->Seek(value % 4);
                        list->RemoveCurrent(false);
                    }
                    break;
                case kDeleteList:
                    if (list != nullptr && !((pick & 0x80) != 0 && SkipsPart("lists")))
                        DeleteAsScript(list->Address());
                    break;
                case kSweep:
                    if (list != nullptr) SweepActorList(*list);
                    break;
                case kEmptyFlight: {
                    CleanupSteps steps(cpu);
                    EmptyFlightLists(cpu, steps);
                    steps.Finish();
                    break;
                }
                case kCollideFlight:
                    DrawFlight();
                    CollideFlight(cpu, (value & 1) != 0);
                    break;
                default:
                    DrawFlight();
                    break;
            }
        });
    }

    // What the flight's drawing does each frame: every actor of its lists files its pictures, and its
    // drawn-entry cache is filled for the collision pass.
    void DrawFlight() {
        Processor& cpu = harness_.Cpu();
        DrawLayerLists layers;
        std::vector<WeakObject> actors;
        for (uint32_t id : {kFlightActorListId, kShipListId, kShotsManagerId, kTestRunListId, kBonusListId}) {
            AliveActors(cpu, id, actors);
            for (const WeakObject& member : actors) {
                if (ActorObject* actor = AliveActor(member)) RegisterActorFrames(cpu, *actor, layers);
            }
        }
    }

    void DriveDialog(InputBytes& in) {
        auto* dialog = Find<ZEMADialogObject>(in.Next());
        PlayerObject* pilot = Find<PlayerObject>(in.Next());
        if (dialog == nullptr || pilot == nullptr) return;
        Drive([&] { (void)dialog->Run(*pilot); });
    }

    void DrivePilots(InputBytes& in) {
        const uint8_t what = in.Next();
        PlayerObject* pilot = Find<PlayerObject>(in.Next());
        const uint8_t value = in.Next();
        Processor& cpu = harness_.Cpu();
        Drive([&] {
            switch (what % kPilotOpCount) {
                case kStore:
                    if (pilot != nullptr) {
                        playerConfig_ = std::make_unique<PlayerConfig>();
                        Player::StoreToConfig(*playerConfig_, *pilot);
                    }
                    break;
                case kCreate:
                    if (playerConfig_ != nullptr) {
                        PlayerObject* made = Player::CreateFromConfig(cpu, *playerConfig_);
                        Name(value, made);
                    }
                    break;
                case kPilotStep:
                    if (pilot != nullptr) pilot->Step(value);
                    break;
                case kFindItem:
                    if (pilot != nullptr) (void)pilot->FindItemNamed(String("Unnamed"));
                    break;
                case kDeleteItemOfClass:
                    if (pilot != nullptr)
                        (void)pilot->DeleteItemOfClass(String(kKindNames[value % kKindCount].name));
                    break;
                case kApplySkills:
                    if (pilot != nullptr) pilot->ApplySkills();
                    break;
                case kPlaceSkill:
                    if (ScriptObject* skill = FindHeld<SkillObject>(value);
                        skill != nullptr && pilot != nullptr) {
                        pilot->PlaceSkill(skill, 50 + value % 4);
                        HandedOn(skill);
                    }
                    break;
                case kResetScene:
                    ResetScene(cpu, marks_, false);
                    break;
                case kWritePlayers: {
                    SaveHeader header;
                    WritePlayersConfig(cpu, header, String("Players.PCFG"));
                    break;
                }
                case kWriteSave: {
                    SaveHeader header;
                    header.Fill(CurrentGameTexts(cpu, "Fuzz", "Fuzz"));
                    WriteSaveGame(cpu, header, SaveFileName("Fuzz"));
                    break;
                }
                case kReplacePlayers: {
                    SaveHeader header;
                    WritePlayersConfig(cpu, header, String("Players.PCFG"));
                    const auto configs = ReadPlayerFile(cpu, String("Players.PCFG"), 0);
                    (void)ReplacePlayers(cpu, configs);
                    break;
                }
                case kReplaceShip:
                    if (ShipObject* ship = FindHeld<ShipObject>(value); ship != nullptr && pilot != nullptr) {
                        ScriptObject* old = pilot->ReplaceShip(ship);
                        // The ship list takes it; without one it stays the input's.
                        if (ship->ManagerHolds() > 0) HandedOn(ship);
                        Keep(old);
                    }
                    break;
                case kWalkItems:
                    if (pilot != nullptr) {
                        for (ScriptObject* item = pilot->FirstItem(); item != nullptr;
                             item = pilot->NextItem())
                            (void)GTTClass::CallGetName(item);
                    }
                    break;
                default: {
                    SaveHeader header;
                    header.Fill(CurrentGameTexts(cpu, "Fuzz", "Fuzz"));
                    WriteSaveGame(cpu, header, SaveFileName("Fuzz"));
                    SaveGameFile::Load(cpu, SaveFileName("Fuzz"));
                    break;
                }
            }
        });
    }

    // --- scenes ---

    // What the flight and the galaxy do round a scene: the marks, the scene's scripts (the subject's
    // virtual method 2), a scene reset back to the marks, whatever the scripts did.
    void SceneRound(ScriptObject* subject) {
        Processor& cpu = harness_.Cpu();
        const ResourceMarks marks = SaveResourceMarks(cpu);
        CleanupSteps steps(cpu);
        steps.Run([&] {
            if (!subject->Alive()) return;
            StackDepths depths;
            cpu.SaveStackDepths(depths);
            cpu.DataStack().Push(0);
            cpu.CallVirtual(subject, 2);
            cpu.RestoreStackDepths(depths);
        });
        steps.Run([&] { ResetScene(cpu, marks, false); });
        steps.Finish();
    }

    void DriveScene(InputBytes& in) {
        const uint8_t what = in.Next();
        const uint8_t pick = in.Next();
        const uint8_t value = in.Next();
        Processor& cpu = harness_.Cpu();
        Drive([&] {
            switch (what % kSceneOpCount) {
                case kTakeMarks:
                    sceneMarks_ = SaveResourceMarks(cpu);
                    break;
                case kResetToMarks:
                    ResetScene(cpu, sceneMarks_, false);
                    break;
                case kResetToStart:
                    sceneMarks_ = marks_;
                    ResetScene(cpu, marks_, false);
                    break;
                case kSceneRound:
                    if (ScriptObject* subject = Find<ScriptObject>(pick)) SceneRound(subject);
                    break;
                case kScreenText:
                    harness_.Buffer().DrawTextAligned(kLabelText, 4 * value, 20, 0xFFFF, value % 3, 0, 0);
                    break;
                case kLoadFont:
                    harness_.Buffer().SetFont(harness_.FontNamed(kFontNames[value & 7]));
                    break;
                case kLoadPicture:
                    if (auto* dialog = Find<ZEMADialogObject>(pick))
                        dialog->Window().SetCursor(harness_.Picture(kPictureNames[value & 7]));
                    break;
                case kSceneSound:
                    (void)harness_.SoundOutput().PostPlay(harness_.Sound(kSoundNames[value & 7]));
                    break;
                default:
                    if (auto* talk = Find<ConversationObject>(pick))
                        talk->ShowQuestion((value & 1) != 0 ? 200 : 100);
                    break;
            }
        });
    }

    // --- the shop and the ship window, driven by their window's messages ---

    void ShopMessage(ShopDialogObject& shop, int32_t code, int32_t id) {
        DStack<uint32_t>& data = harness_.Cpu().DataStack();
        data.Push(static_cast<uint32_t>(code));
        data.Push(0);
        data.Push(static_cast<uint32_t>(id));
        harness_.Cpu().CallVirtual(&shop, kDialogEventVirtual);
    }

    void DriveShop(InputBytes& in) {
        const uint8_t what = in.Next();
        auto* shop = Find<ShopDialogObject>(in.Next());
        const uint8_t value = in.Next();
        if (shop == nullptr) return;
        static constexpr int32_t kCommands[] = {
            kShopSellId,        kShopRechargeId,   kShopScrollUpId,      kShopScrollDownId,
            kShopPlayerItemsId, kShopShipItemsId,  kShopFirstCustomerId, kShopFirstCustomerId + 1,
            kShopInformationId, kShopShipWindowId, kShopSecondShipId};
        Drive([&] {
            switch (what % kShopOpCount) {
                case kShopBuild:
                    ShopDialog::CallBuild(*shop);
                    break;
                case kShopClick:
                    ShopMessage(*shop, (value & 0x80) != 0 ? kEventSecondary : kEventPrimary,
                                ShopDialogObject::kFirstSlotControlId + (value & 31));
                    break;
                case kShopCommand:
                    ShopMessage(*shop, kEventPrimary, kCommands[value % std::size(kCommands)]);
                    break;
                case kShopHand:
                    if (OptionObject* item = FindHeld<OptionObject>(value)) {
                        OptionObject* before = shop->Held();
                        shop->SetHeld(item);
                        HandedOn(item);
                        Keep(before);
                    }
                    break;
                default:
                    ShopMessage(*shop, kEventClose, 0);
                    break;
            }
        });
    }

    void DriveShipWindow(InputBytes& in) {
        ShipObject* ship = Find<ShipObject>(in.Next());
        const uint8_t hand = in.Next();
        const uint8_t clicks = in.Next();
        if (ship == nullptr) return;
        Drive([&] {
            ShipWindow window(*ship);
            window.Build();
            if (OptionObject* item = (hand & 0x80) != 0 ? nullptr : FindHeld<OptionObject>(hand)) {
                Keep(window.SetHeld(item));
                HandedOn(item);
            }
            window.OnEvent(kEventPrimary, 0, kFirstSlotControlId + (clicks & 15));
            window.OnEvent(kEventPrimary, 0, kFirstSlotControlId + (clicks >> 4));
            CheckOneOwner(window.Held());
            window.End();
        });
    }

    // --- between inputs ---

    // Deletes what the input still holds and empties the lists its objects went into, with every site quiet
    // again; then every class must count what it counted before the input.
    void TakeDown() {
        Disarm();
        // What the input handed on is its owner's to destroy.
        for (auto root = roots_.rbegin(); root != roots_.rend(); ++root) {
            if (ScriptObject* object = root->ref.Get(); object != nullptr && root->held && Held(object)) {
                const uint32_t address = object->Address();
                Drive([&] { DeleteAsScript(address); });
            }
        }
        roots_.clear();
        for (WeakObject& named : named_) named.Reset();
        for (uint32_t i = 0; i < kControlWords; ++i) ScriptStore32(control_ + 4 * i, 0);
        for (uint32_t id : kWorldLists) {
            Drive([&] {
                if (ObjectManager* list = harness_.Objects().ListAt(id)) list->ClearList();
            });
        }
        Drive([&] {
            if (auto* supply = dynamic_cast<SupplyObject*>(harness_.Object(kSupplyId))) supply->ReleaseHeld();
        });
        shipConfig_.reset();
        playerConfig_.reset();
        KeyQueue().Drain();
        CharQueue().Drain();
        PutBack();
        CheckOwned();
        CheckSceneOwned();
        harness_.Buffer().SetFont(startFont_.As<Font>());
        BackToStart();
    }

    // Every input ends where the world began: what was loaded since its marks is unloaded.
    void BackToStart() {
        Processor& cpu = harness_.Cpu();
        sceneMarks_ = marks_;
        const ResourceMarks now = SaveResourceMarks(cpu);
        if (now.classes > marks_.classes || now.images > marks_.images || now.fonts > marks_.fonts ||
            now.messages > marks_.messages || now.sounds > marks_.sounds) {
            Drive([&] { ResetScene(cpu, marks_, false); });
        }
    }

    // The scene classes loaded now have no object left once the world is down.
    void CheckSceneOwned() {
        for (uint8_t k = kFirstSceneKind; k < kHostileKinds; ++k) {
            ZEMAClass* cls = harness_.Classes().Classes().Find(String(kKindNames[k].name));
            if (cls != nullptr && cls->InstanceCount() > 0) {
                std::fprintf(stderr, "==hostile classes== %u object(s) of class %s owned by no one\n",
                             cls->InstanceCount(), kKindNames[k].name);
                std::abort();
            }
        }
    }

    // Once no hold lives, the memory of every destroyed object has been given back, and the classes
    // the input's scene resets unloaded have gone, handing what still lived of theirs to the class of
    // unloaded classes, where no one would destroy it.
    void CheckReleased() const {
        if (const size_t waiting = DestroyedAwaitingRelease(); waiting != 0) {
            std::fprintf(stderr, "==hostile classes== %zu destroyed object(s) kept after the last hold\n",
                         waiting);
            std::abort();
        }
        if (const uint32_t unloaded = ZEMAClass::UnloadedClass().InstanceCount();
            unloaded > unloadedBaseline_) {
            std::fprintf(stderr, "==hostile classes== %u object(s) of unloaded classes owned by no one\n",
                         unloaded - unloadedBaseline_);
            std::abort();
        }
    }

    // The well-known objects the world uses, made again where an input deleted them.
    void PutBack() {
        Processor& cpu = harness_.Cpu();
        ObjectManager& objects = harness_.Objects();
        try {
            for (uint32_t id : kWorldLists) {
                if (objects.ListAt(id) == nullptr) {
                    objects.SetObject(
                        id == kShotsManagerId ? new ShotsManager(&cpu) : new ObjectManager(&cpu, 1), id);
                }
            }
            if (dynamic_cast<LevelObject*>(objects.GetObject(kLevelId)) == nullptr)
                harness_.Keep(kLevelId, harness_.New("Level"));
            if (dynamic_cast<SupplyObject*>(objects.GetObject(kSupplyId)) == nullptr)
                harness_.Keep(kSupplyId, harness_.New("Supply"));
            if (objects.GetObject(kScenarioId) == nullptr)
                harness_.Keep(kScenarioId, harness_.New(kKindNames[kHScenario].name));
        } catch (const DExep&) {
            spoilt_ = true;
        }
    }

    // An object that no one owns once the world is down: its destructor methods never run.
    void CheckOwned() {
        for (size_t i = 0; i < counted_.size(); ++i) {
            const uint32_t count = counted_[i]->InstanceCount();
            if (count > baseline_[i]) {
                std::fprintf(stderr, "==hostile classes== %u object(s) of class %s owned by no one\n",
                             count - baseline_[i], counted_[i]->ClassName().Text());
                std::abort();
            }
            baseline_[i] = count;
        }
    }

    struct Armed {
        uint32_t at;
        std::vector<uint32_t> quiet;
        WeakObject cls;
    };

    GameHarness harness_;
    uint32_t control_ = 0;
    std::unique_ptr<HostileCode> code_;
    std::vector<ZEMAClass*> hostile_;
    std::vector<ZEMAClass*> counted_;
    std::vector<uint32_t> baseline_;
    std::vector<Armed> armed_;
    WeakObject named_[kNamed];
    struct Root {
        WeakObject ref;
        bool held;
    };
    std::vector<Root> roots_;
    std::unique_ptr<ShipConfig> shipConfig_;
    std::unique_ptr<PlayerConfig> playerConfig_;
    uint32_t labelText_ = 0;
    uint32_t talkMessagesText_ = 0;
    uint32_t talkQuestionsText_ = 0;
    // The marks the world took at its start, which every input ends at, and those an input took last.
    ResourceMarks marks_;
    ResourceMarks sceneMarks_;
    WeakObject startFont_;
    uint32_t unloadedBaseline_ = 0;
    std::unique_ptr<StepBudget> budget_;
    bool spoilt_ = false;
    bool listed_ = std::getenv("VONDREL_FUZZ_LIST") != nullptr;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    InputBytes in(data, size);
    StartedGame<HostileWorld>(kInputsPerGame).Run(in);
    return 0;
}
