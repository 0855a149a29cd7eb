// Storing and building a ship through its objects' own save, restore and offer methods, when those
// delete what they are asked about or fail: nothing gone is stored or handed back, nothing made is
// left owned by nobody, and the errors of destructor methods reach the caller.
#include "world/equipment_config.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "script/object_lifetime.h"
#include "script/operations.h"
#include "script/zema_class.h"
#include "tests/support/error_message.h"
#include "tests/support/hostile_scripts.h"
#include "tests/world/ship_fixture.h"
#include "world/weapon.h"

namespace {

// Pushed under the class for the create methods, so that loading can make them by name alone.
const std::vector<int32_t> kShipValues = {0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0};  // one weapon, one hold
const std::vector<int32_t> kWeaponValues = {0, 0, 0, 1, 1, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};  // kinds 1, 2
const std::vector<int32_t> kAmmoValues = {0, 0, 0, 0, 0, 0, 1, 2, 5, 0};                      // kinds 1, 2
const std::vector<int32_t> kItemValues(11, 0);

std::vector<ScriptSubclass> Classes() {
    const auto pushZero = std::vector<uint32_t>{OpWord(Op::PushZero)};
    return {
        {.name = "TestShip", .base = "Ship", .createValues = kShipValues},
        {.name = "SelfRestoringShip",
         .base = "Ship",
         .virtuals = {{kRestoreStateVirtual, CodeWords({{OpWord(Op::Drop)}, DeleteSelfWords()})}},
         .createValues = kShipValues},
        {.name = "FailingRestoreShip",
         .base = "Ship",
         .virtuals = {{kRestoreStateVirtual,
                       CodeWords({{OpWord(Op::Drop)}, DeleteSelfWords(), FailWords()})}},
         .createValues = kShipValues},
        {.name = "SelfSavingShip",
         .base = "Ship",
         .virtuals = {{kSaveStateVirtual, CodeWords({DeleteSelfWords(), pushZero})}},
         .createValues = kShipValues},
        {.name = "TestWeapon", .base = "Weapon", .createValues = kWeaponValues},
        {.name = "SelfSavingWeapon",
         .base = "Weapon",
         .virtuals = {{kSaveStateVirtual, CodeWords({DeleteSelfWords(), pushZero})}},
         .createValues = kWeaponValues},
        {.name = "FailingOfferWeapon",
         .base = "Weapon",
         .virtuals = {{kWeaponOfferAmmoVirtual, CodeWords({{OpWord(Op::Drop)}, FailWords()})}},
         .createValues = kWeaponValues},
        // Answers an offer with itself, which its place holds.
        {.name = "SelfAnsweringWeapon",
         .base = "Weapon",
         .virtuals = {{kWeaponOfferAmmoVirtual, {OpWord(Op::Drop), OpWord(Op::This)}}},
         .createValues = kWeaponValues},
        {.name = "TestAmmo", .base = "Ammo", .createValues = kAmmoValues},
        {.name = "FailingAmmo", .base = "Ammo", .virtuals = {{0, FailWords()}}, .createValues = kAmmoValues},
        {.name = "TestItem", .base = "Option", .createValues = kItemValues},
        {.name = "FailingItem",
         .base = "Option",
         .virtuals = {{0, FailWords()}},
         .createValues = kItemValues},
    };
}

class EquipmentConfigTest : public ShipFixture {
  protected:
    EquipmentConfigTest() : ShipFixture(Classes()) {}

    static std::unique_ptr<SsltBlock> Record(int32_t kind, const char* className) {
        return std::make_unique<SsltBlock>(kind, 1, 0, className);
    }
    uint32_t Instances(const char* className) { return game.Class(className)->InstanceCount(); }
};

TEST_F(EquipmentConfigTest, AShipStoresNothingThatItsSaveMethodsDeleted) {
    const ReleaseHold hold;
    GameObject ship = game.New("TestShip");
    OptionObject& weapon = Fit(Of(ship), kWeaponGroup, 0, game.New("SelfSavingWeapon"));
    GameObject ammo = game.New("TestAmmo");
    ASSERT_EQ(Weapon::CallOfferAmmo(&weapon, ammo.release()->Address()), 0u);
    Fit(Of(ship), kPlainGroup, 0, game.New("TestItem"));
    ShipConfig config;
    SaveToConfig(Of(ship), config);
    // The weapon went, and its ammunition with it: only the hold's item is stored.
    ASSERT_EQ(config.Slots().Items().size(), 1u);
    EXPECT_EQ(config.Slots().Items()[0]->ClassName(), "TestItem");
    EXPECT_EQ(Instances("TestAmmo"), 0u);

    GameObject gone = game.New("SelfSavingShip");
    const uint32_t address = gone->Address();
    EXPECT_EQ(ErrorMessage([&] { SaveToConfig(Of(gone), config); }), NotValid(address, "ship"));
    gone.release();
}

// The weapon's offer answers with an item its place holds: that stays in its place, and the
// ammunition it refused is destroyed.
TEST_F(EquipmentConfigTest, AnAnswerThatAPlaceHoldsStaysInItsPlace) {
    const ReleaseHold hold;
    ShipConfig config;
    config.SetClassName("TestShip");
    for (const char* cls : {"SelfAnsweringWeapon", "TestAmmo"})
        config.Slots().Items().push_back(Record(kSlotWeapon, cls));
    ShipObject* ship = nullptr;
    EXPECT_EQ(ErrorMessage([&] { ship = LoadFromConfig(game.Cpu(), config); }), "no error");
    ASSERT_NE(ship, nullptr);
    const OptionObject* weapon = ship->SlotAt(kWeaponGroup, 0)->First();
    ASSERT_NE(weapon, nullptr);
    EXPECT_EQ(weapon->Class()->ClassName().View(), "SelfAnsweringWeapon");
    EXPECT_EQ(Instances("TestAmmo"), 0u);
    DestroyObject(ship);
}

TEST_F(EquipmentConfigTest, LoadingHandsBackNoShipThatWentAndLeavesNothingOwnedByNobody) {
    const struct {
        const char* name;
        const char* shipClass;
        std::vector<std::pair<int32_t, const char*>> records;  // kind, class
        std::string error;                                     // "" for the ship's own address
        std::vector<const char*> gone;                         // classes with no instance left
    } cases[] = {
        {"the restore deletes the ship", "SelfRestoringShip", {}, "", {"SelfRestoringShip"}},
        {"the restore deletes the ship and fails",
         "FailingRestoreShip",
         {},
         FailMessage(),
         {"FailingRestoreShip"}},
        {"the offer of ammunition fails",
         "TestShip",
         {{kSlotWeapon, "FailingOfferWeapon"}, {kSlotWeapon, "TestAmmo"}},
         FailMessage(),
         {"TestShip", "FailingOfferWeapon", "TestAmmo"}},
        {"the item a place held has a failing destructor",
         "TestShip",
         {{kSlotHold, "FailingItem"}, {kSlotHold, "TestItem"}},
         FailMessage(),
         {"TestShip", "FailingItem", "TestItem"}},
        {"the ammunition handed back has a failing destructor",
         "TestShip",
         {{kSlotWeapon, "TestWeapon"}, {kSlotWeapon, "FailingAmmo"}, {kSlotWeapon, "TestAmmo"}},
         FailMessage(),
         {"TestShip", "TestWeapon", "FailingAmmo", "TestAmmo"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ReleaseHold hold;
        ShipConfig config;
        config.SetClassName(c.shipClass);
        // Only the restoring ships take a saved word.
        if (c.records.empty())
            config.Slots().SetShipState(std::make_unique<SslcBlock>(std::vector<uint32_t>{7}));
        for (const auto& [kind, cls] : c.records) config.Slots().Items().push_back(Record(kind, cls));
        const std::string error = ErrorMessage([&] { LoadFromConfig(game.Cpu(), config); });
        if (c.error.empty()) {
            EXPECT_EQ(error.rfind("Not a valid object at 0x", 0), 0u) << error;
            EXPECT_NE(error.find(" where ship expected"), std::string::npos) << error;
        } else {
            EXPECT_EQ(error, c.error);
        }
        for (const char* cls : c.gone) EXPECT_EQ(Instances(cls), 0u) << cls;
    }
    EXPECT_EQ(game.Log().find("being deleted already"), std::string::npos) << game.Log();
}

}  // namespace
