#include "script/native_catalogue.h"

#include <cstring>
#include <vector>

#include "foundation/exceptions.h"
#include "script/char_manager.h"
#include "script/math_procs.h"
#include "script/message_manager.h"
#include "script/native_descriptor.h"
#include "script/string_procs.h"

namespace {

struct CatalogueEntry {
    const char* name;
    const char* kindName;  // null: the registered name; empty: none of its own
    const char* base;
    uint16_t methods;
    uint16_t virtualMethods;
};

// Bases come before the classes derived from them.
constexpr CatalogueEntry kEntries[] = {
    {"ClassManager", nullptr, "ZEMAClass", 6, 2},
    {"ObjectManager", nullptr, "ZEMAClass", 16, 2},
    {"CharManager", nullptr, "ZEMAClass", 8, 2},
    {"MessageManager", nullptr, "ZEMAClass", 5, 2},
    {"StringProcs", nullptr, "ZEMAClass", 11, 2},
    {"MathProcs", nullptr, "ZEMAClass", 14, 2},
    {"FontManager", nullptr, "ZEMAClass", 6, 2},
    {"ImageManager", nullptr, "ZEMAClass", 15, 2},
    {"ColorManager", "", "ZEMAClass", 7, 2},
    {"ZEMAScreen", nullptr, "ZEMAClass", 14, 2},
    {"SoundSystem", nullptr, "ZEMAClass", 9, 2},
    {"SoundManager", nullptr, "ZEMAClass", 6, 2},
    {"GTime", nullptr, "ZEMAClass", 15, 2},
    {"Maze", nullptr, "ZEMAClass", 11, 2},
    {"PriceManager", nullptr, "ZEMAClass", 16, 2},
    {"GameManager", nullptr, "ZEMAClass", 24, 2},
    {"EventManager", nullptr, "ZEMAClass", 18, 2},
    {"Scenario", nullptr, "ZEMAClass", 4, 5},
    {"HighScoreManager", nullptr, "ZEMAClass", 5, 2},
    {"GTTClass", nullptr, "ZEMAClass", 4, 7},
    {"Visual", nullptr, "GTTClass", 16, 13},
    {"Dialog", "ZEMADialog", "GTTClass", 19, 9},
    {"HelpSystem", nullptr, "GTTClass", 6, 7},
    {"ScreenEffect", nullptr, "GTTClass", 5, 8},
    {"FadeEffect", nullptr, "ScreenEffect", 8, 8},
    {"Level", nullptr, "GTTClass", 18, 8},
    {"Player", nullptr, "GTTClass", 31, 7},
    {"Slot", nullptr, "GTTClass", 14, 7},
    {"Supply", nullptr, "GTTClass", 10, 7},
    {"SupplyService", nullptr, "GTTClass", 5, 9},
    {"Skill", nullptr, "GTTClass", 11, 10},
    {"WeaponSkill", nullptr, "Skill", 11, 10},
    {"CommerceSkill", nullptr, "Skill", 11, 11},
    {"SwitchSkill", nullptr, "Skill", 11, 11},
    {"Control", nullptr, "Visual", 21, 14},
    {"PicturesSetControl", nullptr, "Control", 23, 14},
    {"HeavenControl", nullptr, "PicturesSetControl", 24, 14},
    {"StaticText", nullptr, "Control", 31, 14},
    {"TextButton", nullptr, "StaticText", 31, 14},
    {"CheckButton", nullptr, "TextButton", 32, 14},
    {"MultiLineControl", nullptr, "StaticText", 31, 14},
    {"MultiLineButton", nullptr, "MultiLineControl", 31, 14},
    {"Edit", "EditControl", "StaticText", 31, 14},
    {"TimeControl", nullptr, "StaticText", 31, 14},
    {"RectangleControl", nullptr, "Control", 21, 14},
    {"OpenWindowControl", nullptr, "Control", 21, 14},
    {"CloseWindowControl", nullptr, "Control", 21, 14},
    {"Button", "DButton", "Control", 21, 14},
    {"Slider", nullptr, "Control", 29, 14},
    {"MultiControl", nullptr, "Control", 26, 14},
    {"ListBox", nullptr, "MultiControl", 34, 14},
    {"SlotControl", nullptr, "Control", 21, 14},
    {"StarSystem", nullptr, "Control", 21, 14},
    {"Planet", nullptr, "Control", 21, 21},
    {"StarSystemZoomed", nullptr, "Dialog", 20, 13},
    {"PlanetZoomed", nullptr, "Dialog", 23, 9},
    {"ShopDialog", nullptr, "Dialog", 30, 15},
    {"AllItemsShop", nullptr, "Dialog", 30, 15},
    {"Conversation", nullptr, "Dialog", 25, 9},
    {"Actor", nullptr, "Visual", 35, 18},
    {"Ship", nullptr, "Actor", 57, 18},
    {"SupplyShip", nullptr, "Actor", 38, 18},
    {"MazeEnemy", nullptr, "Actor", 36, 18},
    {"PseudoActor", nullptr, "Actor", 38, 18},
    {"MultiActor", nullptr, "Actor", 36, 18},
    {"Splinter", nullptr, "Actor", 35, 18},
    {"ProActor", nullptr, "Actor", 43, 19},
    {"StarsSky", nullptr, "Actor", 35, 18},
    {"ActiveBackGround", nullptr, "Actor", 35, 18},
    {"BackGround", nullptr, "ActiveBackGround", 35, 18},
    {"CycleBackGround", nullptr, "ActiveBackGround", 36, 18},
    {"PassivePicture", nullptr, "Actor", 37, 18},
    {"Explosion", nullptr, "PassivePicture", 37, 18},
    {"Shot", nullptr, "Actor", 37, 18},
    {"ShotExplosion", nullptr, "Shot", 39, 18},
    {"Missile", nullptr, "Shot", 40, 19},
    {"EnemyMissile", nullptr, "Missile", 40, 19},
    {"AbsBonus", nullptr, "Actor", 35, 21},
    {"Bonus", nullptr, "AbsBonus", 37, 21},
    {"PaidBonus", nullptr, "Bonus", 37, 21},
    {"MoneyBonus", nullptr, "AbsBonus", 35, 21},
    {"EnergyBonus", nullptr, "AbsBonus", 35, 21},
    {"Option", nullptr, "Visual", 26, 17},
    {"Weapon", nullptr, "Option", 37, 21},
    {"EnergyWeapon", nullptr, "Weapon", 41, 21},
    {"Ammo", nullptr, "Option", 35, 19},
    {"Shield", nullptr, "Option", 27, 17},
    {"Engine", nullptr, "Option", 27, 17},
    {"Hull", nullptr, "Option", 26, 17},
    {"Cargo", nullptr, "Option", 26, 17},
    {"Grabber", nullptr, "Option", 26, 17},
    {"QuestItem", nullptr, "Option", 26, 17},
    {"Akb", nullptr, "Option", 29, 17},
    {"Guide", nullptr, "Option", 26, 18},
    {"CircleGuide", nullptr, "Guide", 28, 18},
    {"AngleGuide", nullptr, "Guide", 28, 18},
    {"SelfGuidedGuide", nullptr, "Guide", 29, 18},
};

struct Catalogue {
    std::vector<NativeClassRow> rows;
    std::vector<const NativeClassRow*> all;

    Catalogue() {
        // Reserved up front: rows point at their bases inside the vector.
        rows.reserve(std::size(kEntries));
        all.push_back(&kZEMAClassRow);
        for (const CatalogueEntry& e : kEntries) {
            const NativeClassRow* base = Find(e.base);
            if (base == nullptr) ThrowFatal("Native class %s comes before its base", e.name);
            const char* kind = e.kindName == nullptr ? e.name : (*e.kindName == '\0' ? nullptr : e.kindName);
            rows.push_back(NativeClassRow{e.name, kind, base, e.methods, e.virtualMethods});
            all.push_back(&rows.back());
        }
    }

    const NativeClassRow* Find(const char* name) const {
        for (const NativeClassRow* row : all) {
            if (std::strcmp(row->name, name) == 0) return row;
        }
        return nullptr;
    }
};

const Catalogue& TheCatalogue() {
    static const Catalogue catalogue;
    return catalogue;
}

}  // namespace

std::span<const NativeClassRow* const> NativeCatalogue() {
    return TheCatalogue().all;
}

const NativeClassRow* FindNativeClassRow(const char* name) {
    return TheCatalogue().Find(name);
}

const NativeClassRow& NativeClassRowOf(const char* name) {
    const NativeClassRow* row = FindNativeClassRow(name);
    if (row == nullptr) ThrowFatal("Native class %s is not in the catalogue", name);
    return *row;
}

ZEMAClass* NewNativeDescriptor(MethodRunner* processor, const char* name) {
    return new NativeDescriptor(processor, NativeClassRowOf(name));
}

void RegisterScriptNatives() {
    RegisterNativeBinder("StringProcs", StringProcs::Bind);
    RegisterNativeBinder("MathProcs", MathProcs::Bind);
    RegisterNativeBinder("MessageManager", MessageManager::Bind);
    RegisterNativeBinder("CharManager", CharManager::Bind);
}
