#include "script/native_catalogue.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>
#include <string>

#include "foundation/exceptions.h"
#include "script/native_descriptor.h"
#include "tests/script/native_fixture.h"

namespace {

// Registered name, kind name ("-" for none), base, methods, virtual methods.
const char kExpected[] =
    "ZEMAClass ZEMAClass - 4 2\n"
    "ClassManager ClassManager ZEMAClass 6 2\n"
    "ObjectManager ObjectManager ZEMAClass 16 2\n"
    "CharManager CharManager ZEMAClass 8 2\n"
    "MessageManager MessageManager ZEMAClass 5 2\n"
    "StringProcs StringProcs ZEMAClass 11 2\n"
    "MathProcs MathProcs ZEMAClass 14 2\n"
    "FontManager FontManager ZEMAClass 6 2\n"
    "ImageManager ImageManager ZEMAClass 15 2\n"
    "ColorManager - ZEMAClass 7 2\n"
    "ZEMAScreen ZEMAScreen ZEMAClass 14 2\n"
    "SoundSystem SoundSystem ZEMAClass 9 2\n"
    "SoundManager SoundManager ZEMAClass 6 2\n"
    "GTime GTime ZEMAClass 15 2\n"
    "Maze Maze ZEMAClass 11 2\n"
    "PriceManager PriceManager ZEMAClass 16 2\n"
    "GameManager GameManager ZEMAClass 24 2\n"
    "EventManager EventManager ZEMAClass 18 2\n"
    "Scenario Scenario ZEMAClass 4 5\n"
    "HighScoreManager HighScoreManager ZEMAClass 5 2\n"
    "GTTClass GTTClass ZEMAClass 4 7\n"
    "Visual Visual GTTClass 16 13\n"
    "Dialog ZEMADialog GTTClass 19 9\n"
    "HelpSystem HelpSystem GTTClass 6 7\n"
    "ScreenEffect ScreenEffect GTTClass 5 8\n"
    "FadeEffect FadeEffect ScreenEffect 8 8\n"
    "Level Level GTTClass 18 8\n"
    "Player Player GTTClass 31 7\n"
    "Slot Slot GTTClass 14 7\n"
    "Supply Supply GTTClass 10 7\n"
    "SupplyService SupplyService GTTClass 5 9\n"
    "Skill Skill GTTClass 11 10\n"
    "WeaponSkill WeaponSkill Skill 11 10\n"
    "CommerceSkill CommerceSkill Skill 11 11\n"
    "SwitchSkill SwitchSkill Skill 11 11\n"
    "Control Control Visual 21 14\n"
    "PicturesSetControl PicturesSetControl Control 23 14\n"
    "HeavenControl HeavenControl PicturesSetControl 24 14\n"
    "StaticText StaticText Control 31 14\n"
    "TextButton TextButton StaticText 31 14\n"
    "CheckButton CheckButton TextButton 32 14\n"
    "MultiLineControl MultiLineControl StaticText 31 14\n"
    "MultiLineButton MultiLineButton MultiLineControl 31 14\n"
    "Edit EditControl StaticText 31 14\n"
    "TimeControl TimeControl StaticText 31 14\n"
    "RectangleControl RectangleControl Control 21 14\n"
    "OpenWindowControl OpenWindowControl Control 21 14\n"
    "CloseWindowControl CloseWindowControl Control 21 14\n"
    "Button DButton Control 21 14\n"
    "Slider Slider Control 29 14\n"
    "MultiControl MultiControl Control 26 14\n"
    "ListBox ListBox MultiControl 34 14\n"
    "SlotControl SlotControl Control 21 14\n"
    "StarSystem StarSystem Control 21 14\n"
    "Planet Planet Control 21 21\n"
    "StarSystemZoomed StarSystemZoomed Dialog 20 13\n"
    "PlanetZoomed PlanetZoomed Dialog 23 9\n"
    "ShopDialog ShopDialog Dialog 30 15\n"
    "AllItemsShop AllItemsShop Dialog 30 15\n"
    "Conversation Conversation Dialog 25 9\n"
    "Actor Actor Visual 35 18\n"
    "Ship Ship Actor 57 18\n"
    "SupplyShip SupplyShip Actor 38 18\n"
    "MazeEnemy MazeEnemy Actor 36 18\n"
    "PseudoActor PseudoActor Actor 38 18\n"
    "MultiActor MultiActor Actor 36 18\n"
    "Splinter Splinter Actor 35 18\n"
    "ProActor ProActor Actor 43 19\n"
    "StarsSky StarsSky Actor 35 18\n"
    "ActiveBackGround ActiveBackGround Actor 35 18\n"
    "BackGround BackGround ActiveBackGround 35 18\n"
    "CycleBackGround CycleBackGround ActiveBackGround 36 18\n"
    "PassivePicture PassivePicture Actor 37 18\n"
    "Explosion Explosion PassivePicture 37 18\n"
    "Shot Shot Actor 37 18\n"
    "ShotExplosion ShotExplosion Shot 39 18\n"
    "Missile Missile Shot 40 19\n"
    "EnemyMissile EnemyMissile Missile 40 19\n"
    "AbsBonus AbsBonus Actor 35 21\n"
    "Bonus Bonus AbsBonus 37 21\n"
    "PaidBonus PaidBonus Bonus 37 21\n"
    "MoneyBonus MoneyBonus AbsBonus 35 21\n"
    "EnergyBonus EnergyBonus AbsBonus 35 21\n"
    "Option Option Visual 26 17\n"
    "Weapon Weapon Option 37 21\n"
    "EnergyWeapon EnergyWeapon Weapon 41 21\n"
    "Ammo Ammo Option 35 19\n"
    "Shield Shield Option 27 17\n"
    "Engine Engine Option 27 17\n"
    "Hull Hull Option 26 17\n"
    "Cargo Cargo Option 26 17\n"
    "Grabber Grabber Option 26 17\n"
    "QuestItem QuestItem Option 26 17\n"
    "Akb Akb Option 29 17\n"
    "Guide Guide Option 26 18\n"
    "CircleGuide CircleGuide Guide 28 18\n"
    "AngleGuide AngleGuide Guide 28 18\n"
    "SelfGuidedGuide SelfGuidedGuide Guide 29 18\n";

struct Expected {
    std::string kind;
    std::string base;
    uint32_t methods;
    uint32_t virtualMethods;
};

std::map<std::string, Expected> ExpectedRows() {
    std::map<std::string, Expected> rows;
    std::istringstream in(kExpected);
    std::string name;
    Expected e;
    while (in >> name >> e.kind >> e.base >> e.methods >> e.virtualMethods) rows[name] = e;
    return rows;
}

// Kind names IsKindOf accepts, from the class up to the root.
std::set<std::string> KindChain(const std::map<std::string, Expected>& rows, std::string name) {
    std::set<std::string> kinds;
    while (name != "-") {
        const Expected& e = rows.at(name);
        if (e.kind != "-") kinds.insert(e.kind);
        name = e.base;
    }
    kinds.insert("ZEMAClass");
    return kinds;
}

void BindAkb2(ScriptObject*) {}
void BindAkbVirtual5(ScriptObject*) {}

class NativeCatalogueTest : public NativeFixture {};

}  // namespace

TEST_F(NativeCatalogueTest, RowsMatchTheCatalogue) {
    const auto expected = ExpectedRows();
    ASSERT_EQ(NativeCatalogue().size(), expected.size());
    EXPECT_EQ(NativeCatalogue()[0], &kZEMAClassRow);
    std::set<std::string> seen;
    for (const NativeClassRow* row : NativeCatalogue()) {
        ASSERT_TRUE(expected.count(row->name)) << row->name;
        const Expected& e = expected.at(row->name);
        EXPECT_TRUE(seen.insert(row->name).second) << row->name;
        EXPECT_EQ(row->kindName != nullptr ? row->kindName : "-", e.kind) << row->name;
        EXPECT_EQ(row->base != nullptr ? row->base->name : "-", e.base) << row->name;
        if (row->base != nullptr) {
            EXPECT_TRUE(seen.count(row->base->name)) << "base after " << row->name;
        }
        EXPECT_EQ(row->methods, e.methods) << row->name;
        EXPECT_EQ(row->virtualMethods, e.virtualMethods) << row->name;
        EXPECT_EQ(FindNativeClassRow(row->name), row);
    }
    EXPECT_EQ(FindNativeClassRow("DButton"), nullptr);
    EXPECT_EQ(ErrorMessage([] { NativeClassRowOf("Nothing"); }),
              "Native class Nothing is not in the catalogue");
}

TEST_F(NativeCatalogueTest, EveryClassGetsADescriptorWithItsCountsAndKinds) {
    const auto expected = ExpectedRows();
    std::set<std::string> allKinds;
    for (const auto& [name, e] : expected) {
        if (e.kind != "-") allKinds.insert(e.kind);
        allKinds.insert(name);
    }
    for (const NativeClassRow* row : NativeCatalogue()) {
        const std::string name = row->name;
        // A fresh class manager holds these two already.
        if (name != "ZEMAClass" && name != "ClassManager") AddNative(row->name);
        ZEMAClass* cls = manager->FindClass(row->name);
        EXPECT_EQ(cls->ClassName(), row->name);
        EXPECT_EQ(cls->MethodCount(), expected.at(name).methods) << name;
        EXPECT_EQ(cls->VirtualMethodCount(), expected.at(name).virtualMethods) << name;
        const std::set<std::string> chain = KindChain(expected, name);
        for (const std::string& kind : allKinds) {
            EXPECT_EQ(cls->IsKindOf(kind.c_str()), chain.count(kind) == 1) << name << " IsKindOf " << kind;
        }
        EXPECT_FALSE(cls->IsKindOf(""));
    }
}

TEST_F(NativeCatalogueTest, InheritsFromComparesTheRegisteredNameFirst) {
    ZEMAClass* edit = AddNative("Edit");
    EXPECT_FALSE(edit->IsKindOf("Edit"));
    EXPECT_TRUE(edit->IsKindOf("EditControl"));
    EXPECT_TRUE(edit->InheritsFrom("Edit"));
    EXPECT_FALSE(edit->InheritsFrom("Button"));
}

TEST_F(NativeCatalogueTest, ClassesWithoutBindersGetTheirAncestorsBindingsUntilOneIsRegistered) {
    ZEMAClass* before = AddNative("Akb");
    for (uint32_t m = 0; m < before->MethodCount(); ++m) EXPECT_EQ(before->MethodSlot(m) != 0, m < 4) << m;
    for (uint32_t v = 0; v < before->VirtualMethodCount(); ++v) {
        EXPECT_EQ(before->VirtualMethodSlot(v) != 0, v < 2) << v;
    }

    RegisterNativeBinder("Akb", [](ZEMAClass& target, const NativeClassRow& row) {
        target.SetVirtualMethod(BindAkbVirtual5, 5);
        BindNativeBase(row, target);
        target.SetMethod(BindAkb2, 2);
    });
    manager = std::make_unique<ClassManager>(&runner, 26, nullptr);
    ZEMAClass* after = AddNative("Akb");
    EXPECT_NE(after->VirtualMethodSlot(5), 0u);
    EXPECT_NE(after->MethodSlot(0), 0u);
    EXPECT_EQ(after->MethodSlot(4), 0u);
    const uint32_t entry = after->MethodSlot(2);
    EXPECT_EQ(NativeHandlerAt(ScriptLoad32(entry + 4)), &BindAkb2);
    RegisterNativeBinder("Akb", nullptr);
}

TEST_F(NativeCatalogueTest, ManagersAnswerWithTheirRows) {
    const NativeClassRow& row = NativeClassRowOf("ClassManager");
    EXPECT_EQ(manager->MethodCount(), row.methods);
    EXPECT_EQ(manager->VirtualMethodCount(), row.virtualMethods);
    EXPECT_TRUE(manager->IsKindOf("ClassManager"));
    EXPECT_EQ(manager->FindClass("ZEMAClass")->MethodCount(), kZEMAClassRow.methods);
}
