#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "script/object_manager.h"
#include "script/operations.h"
#include "shell/game_ids.h"
#include "tests/support/error_message.h"
#include "tests/support/hostile_scripts.h"
#include "tests/world/flight_actors_fixture.h"
#include "tools/content/script_assembler.h"
#include "world/ship.h"
#include "world/shots.h"
#include "world/shots_manager.h"
#include "world/skills.h"
#include "world/slot.h"
#include "world/weapon.h"

namespace {

constexpr uint32_t kShotsManagerId = 10;

// A pilot that holds skills by slot number, as the player does.
class TestPilot : public ScriptObject, public SkillHolder {
  public:
    using ScriptObject::ScriptObject;
    SkillObject* SkillAt(int32_t slot) const override {
        return slot == skillSlot ? skill.As<SkillObject>() : nullptr;
    }
    int32_t skillSlot = -1;
    WeakObject skill;
};

class WeaponsTest : public FlightActorsTest {
  protected:
    WeaponsTest() : FlightActorsTest({VanishingAmmo(), SwappingAmmo()}) {
        game.Objects().SetObject(new ShotsManager(&Cpu()), kShotsManagerId);
    }
    // Ammunition whose fire deletes it.
    static ScriptSubclass VanishingAmmo() {
        ScriptSubclass ammo{.name = "VanishingAmmo", .base = "Ammo"};
        ammo.virtuals[kAmmoFireVirtual] = CodeWords({{OpWord(Op::Drop)}, DeleteSelfWords()});
        return ammo;
    }

    // Ammunition whose fire takes it out of the weapon handed to it and loads the ammunition its
    // field names instead.
    static ScriptSubclass SwappingAmmo() {
        ScriptSubclass ammo{.name = "SwappingAmmo", .base = "Ammo", .instanceFields = 1};
        const auto offer =
            ScriptAssembler::CallWord(kWeaponOfferAmmoVirtual, 0, true, ScriptAssembler::Receiver::Popped);
        ammo.virtuals[kAmmoFireVirtual] =
            CodeWords({{OpWord(Op::Dup), OpWord(Op::PushZero), OpWord(Op::Swap), offer, OpWord(Op::Drop)},
                       FieldWords(0),
                       {OpWord(Op::Swap), offer, OpWord(Op::Drop)}});
        return ammo;
    }

    // An EnergyWeapon firing shots of energy 7 at speed 3 along its heading (0, -100).
    WeaponObject& NewEnergyWeapon(int32_t interval, int32_t energyPerShot, int32_t needsAmmo = 0) {
        return Make<WeaponObject>(
            "EnergyWeapon",
            {0, 0, 0, 0, W(-100), 0, 0, 0, W(interval), 0, 2, 1, W(needsAmmo), 0, 0, W(energyPerShot),
             3, 7, 0, 0, 0});
    }
    // Ammunition of kinds (1, 2) with shots left, firing shots of energy 9.
    AmmoObject& NewAmmo(int32_t shots, int32_t kindA = 1, int32_t kindB = 2, const char* cls = "Ammo") {
        // Pop order: picture, shots, kind B, kind A, base value, speed, shot value, armour, damage, H.
        return Make<AmmoObject>(cls, {0, W(shots), W(kindB), W(kindA), 0, 4, 9, 0, 0, 0});
    }
    // A ship with one weapon place holding the weapon, and a balance to drain.
    ShipObject& Arm(WeaponObject& weapon) {
        ShipLayout shape;
        shape.slotCounts[kWeaponGroup] = 1;
        shape.mass = 1;
        ships.push_back(std::make_unique<ShipObject>(game.Class("Ship"), 0, 0, 0, shape));
        ShipObject& ship = *ships.back();
        ship.SetBalance(1000);
        SlotObject* slot = ship.SlotAt(kWeaponGroup, 0);
        EXPECT_NE(slot, nullptr);
        slot->SetObject(&weapon);
        // The slot owns the weapon now.
        ObjectManager::ForgetEverywhere(&weapon);
        return ship;
    }
    uint32_t ShotCount() { return List(kShotsManagerId).ObjectList().Count(); }
    ShotObject& LastShot() { return ShotObject::Of(List(kShotsManagerId).ObjectList().Last()); }

    std::vector<std::unique_ptr<ShipObject>> ships;
};

TEST_F(WeaponsTest, AWeaponFiresOnceItsIntervalHasPassedAndDrainsItsShip) {
    WeaponObject& weapon = NewEnergyWeapon(10, 5);
    ShipObject& ship = Arm(weapon);
    const struct {
        int32_t time;
        bool fires;
    } steps[] = {{5, false}, {10, true}, {19, false}, {20, true}, {20, false}, {31, true}, {-100, false}};
    uint32_t shots = 0;
    for (const auto& s : steps) {
        SCOPED_TRACE(s.time);
        Weapon::CallTrigger(&weapon, s.time);
        shots += s.fires ? 1 : 0;
        EXPECT_EQ(ShotCount(), shots);
        EXPECT_EQ(ship.Balance(), 1000 - 5 * static_cast<int32_t>(shots));
    }
    const ShotObject& shot = LastShot();
    EXPECT_EQ(shot.Energy(), 7);
    EXPECT_EQ(shot.SpeedY(), -300);
    EXPECT_EQ(shot.Layer(), kShipLayer - 1);
    EXPECT_EQ(weapon.LastShot(), 31);
}

TEST_F(WeaponsTest, TimesThatWouldOverflowADifferenceStillCompareRightly) {
    WeaponObject& weapon = NewEnergyWeapon(10, 0);
    weapon.SetLastShot(2147483647);
    Weapon::CallTrigger(&weapon, -2147483647 - 1);
    EXPECT_EQ(ShotCount(), 0u);
    weapon.SetLastShot(-2147483647 - 1);
    Weapon::CallTrigger(&weapon, 2147483647);
    EXPECT_EQ(ShotCount(), 1u);
}

TEST_F(WeaponsTest, AWeaponThatNeedsAmmunitionFiresOnlyWhatIsLoaded) {
    WeaponObject& weapon = NewEnergyWeapon(0, 5, 1);
    ShipObject& ship = Arm(weapon);
    Weapon::CallTrigger(&weapon, 1);
    EXPECT_EQ(ShotCount(), 0u);
    EXPECT_EQ(ship.Balance(), 1000);
    EXPECT_EQ(weapon.Amount(), 0);

    AmmoObject& ammo = NewAmmo(2);
    EXPECT_EQ(Weapon::CallOfferAmmo(&weapon, ammo.Address()), 0u);
    EXPECT_EQ(weapon.Amount(), 2);
    EXPECT_EQ(ammo.Slot(), weapon.Slot());
    const WeakObject loaded(&ammo);
    Weapon::CallTrigger(&weapon, 2);
    EXPECT_EQ(ShotCount(), 1u);
    EXPECT_EQ(LastShot().Energy(), 9);
    EXPECT_EQ(weapon.Amount(), 1);
    // The last shot takes the ammunition with it; the next trigger finds the weapon empty.
    Weapon::CallTrigger(&weapon, 3);
    EXPECT_EQ(ShotCount(), 2u);
    EXPECT_EQ(loaded.Get(), nullptr);
    EXPECT_EQ(weapon.Ammo(), nullptr);
    Weapon::CallTrigger(&weapon, 4);
    EXPECT_EQ(ShotCount(), 2u);
    EXPECT_EQ(ship.Balance(), 990);
    EXPECT_EQ(Cpu().DataStack().Depth(), 0u);
}

TEST_F(WeaponsTest, OfferingAmmunition) {
    struct Case {
        const char* what;
        const char* offeredClass;  // null: a null offer
        int32_t kindA;
        bool loadedFirst;
        bool taken;    // answer 0
        bool merged;   // the offer joined the loaded ammunition
        bool swapped;  // the answer is the ammunition loaded before
    };
    const Case cases[] = {
        {"fitting kinds into an empty weapon", "Ammo", 1, false, true, false, false},
        {"other kinds into an empty weapon", "Ammo", 5, false, false, false, false},
        {"the same kind merges", "Ammo", 1, true, true, true, false},
        {"another kind is refused", "Ammo", 5, true, false, false, false},
        {"no ammunition is refused", "Actor", 1, true, false, false, false},
        {"a null offer takes the loaded one out", nullptr, 0, true, false, false, true},
        {"a null offer to an empty weapon", nullptr, 0, false, true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WeaponObject& weapon = NewEnergyWeapon(0, 0, 1);
        AmmoObject* before = c.loadedFirst ? &NewAmmo(3) : nullptr;
        if (before != nullptr) {
            ASSERT_EQ(Weapon::CallOfferAmmo(&weapon, before->Address()), 0u);
        }
        // The offer is the test's until the weapon takes it.
        GameObject item;
        if (c.offeredClass != nullptr) {
            item = std::string(c.offeredClass) == "Ammo"
                       ? game.New("Ammo", {0, 0, 0, 9, 4, 0, W(c.kindA), 2, 4, 0})
                       : game.New("Actor", {0, 0, 0, 0, 0, 0, 1, 0});
        }
        const uint32_t offer = item != nullptr ? item->Address() : 0;
        const WeakObject offered(item.get());
        const uint32_t answer = Weapon::CallOfferAmmo(&weapon, offer);
        if (answer != offer) item.release();
        if (c.taken) {
            EXPECT_EQ(answer, 0u);
        } else if (c.swapped) {
            EXPECT_EQ(answer, before->Address());
            EXPECT_EQ(weapon.Ammo(), nullptr);
        } else {
            EXPECT_EQ(answer, offer);
        }
        if (c.merged) {
            EXPECT_EQ(offered.Get(), nullptr);
            EXPECT_EQ(weapon.Amount(), 7);
        }
    }
}

TEST_F(WeaponsTest, ReofferingTheLoadedAmmunitionKeepsItLoaded) {
    WeaponObject& weapon = NewEnergyWeapon(0, 0, 1);
    AmmoObject& ammo = NewAmmo(3);
    ASSERT_EQ(Weapon::CallOfferAmmo(&weapon, ammo.Address()), 0u);
    EXPECT_EQ(Weapon::CallOfferAmmo(&weapon, ammo.Address()), 0u);
    EXPECT_EQ(weapon.Ammo(), &ammo);
    EXPECT_EQ(weapon.Amount(), 3);
}

// Ammunition another weapon loaded, or a slot holds, stays there: the offer answers it back without
// loading it or merging it into what is loaded. Free ammunition is still taken.
TEST_F(WeaponsTest, AnOfferTakesOnlyAmmunitionNoOtherOwnerHolds) {
    enum Holder { kNobody, kOtherWeapon, kSlot };
    const struct {
        Holder holder;
        bool loadedFirst;  // three shots of the same kinds
    } cases[] = {
        {kNobody, false}, {kNobody, true}, {kOtherWeapon, false}, {kOtherWeapon, true}, {kSlot, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "holder " << c.holder << ", loaded " << c.loadedFirst);
        WeaponObject& weapon = NewEnergyWeapon(0, 0, 1);
        if (c.loadedFirst) Weapon::CallOfferAmmo(&weapon, NewAmmo(3).Address());
        AmmoObject& ammo = NewAmmo(4);
        WeaponObject& other = NewEnergyWeapon(0, 0, 1);
        auto& slot = Make<SlotObject>("Slot", {0, 0, 0, W(kSlotHold)});
        if (c.holder == kOtherWeapon) Weapon::CallOfferAmmo(&other, ammo.Address());
        if (c.holder == kSlot) slot.SetObject(&ammo);
        const uint32_t offer = ammo.Address();
        const WeakObject offered(&ammo);
        const bool held = c.holder != kNobody;
        EXPECT_EQ(Weapon::CallOfferAmmo(&weapon, offer), held ? offer : 0u);
        EXPECT_EQ(weapon.Amount(), (c.loadedFirst ? 3 : 0) + (held ? 0 : 4));
        EXPECT_EQ(offered.Get() != nullptr, held || !c.loadedFirst);  // a merge destroys it
        EXPECT_EQ(other.Ammo(), c.holder == kOtherWeapon ? offered.Get() : nullptr);
        EXPECT_EQ(slot.First(), c.holder == kSlot ? offered.Get() : nullptr);
    }
}

TEST_F(WeaponsTest, AWeaponFiringItsOwnShotsLeavesAnOfferOnTheStack) {
    WeaponObject& weapon = NewEnergyWeapon(0, 0, 0);
    AmmoObject& ammo = NewAmmo(3);
    EXPECT_EQ(CallVirtual(&weapon, kWeaponOfferAmmoVirtual, {ammo.Address()}),
              std::vector<uint32_t>{ammo.Address()});
    EXPECT_EQ(weapon.Ammo(), nullptr);
    EXPECT_EQ(weapon.Amount(), -1);
}

TEST_F(WeaponsTest, AWeaponTakesItsAmmunitionWithIt) {
    WeaponObject& weapon = NewEnergyWeapon(0, 0, 1);
    AmmoObject& ammo = NewAmmo(3);
    ASSERT_EQ(Weapon::CallOfferAmmo(&weapon, ammo.Address()), 0u);
    const WeakObject loaded(&ammo);
    Delete(&weapon);
    EXPECT_EQ(loaded.Get(), nullptr);
}

TEST_F(WeaponsTest, AmmunitionDeletedByAScriptIsNeverFired) {
    WeaponObject& weapon = NewEnergyWeapon(0, 5, 1);
    ShipObject& ship = Arm(weapon);
    AmmoObject& ammo = NewAmmo(3);
    ASSERT_EQ(Weapon::CallOfferAmmo(&weapon, ammo.Address()), 0u);
    Delete(&ammo);
    EXPECT_EQ(weapon.Ammo(), nullptr);
    EXPECT_EQ(weapon.Amount(), 0);
    Weapon::CallTrigger(&weapon, 1);
    EXPECT_EQ(ShotCount(), 0u);
    EXPECT_EQ(ship.Balance(), 1000);
}

// The ammunition's fire deletes it: the trigger takes no shot from what is gone, and the weapon goes
// on empty, its shot counted.
TEST_F(WeaponsTest, AmmunitionThatDeletesItselfFiringLeavesTheWeaponEmpty) {
    WeaponObject& weapon = NewEnergyWeapon(10, 5, 1);
    ShipObject& ship = Arm(weapon);
    AmmoObject& ammo = NewAmmo(3, 1, 2, "VanishingAmmo");
    ASSERT_EQ(Weapon::CallOfferAmmo(&weapon, ammo.Address()), 0u);
    EXPECT_EQ(ErrorMessage([&] { Weapon::CallTrigger(&weapon, 20); }), "no error");
    EXPECT_EQ(weapon.Ammo(), nullptr);
    EXPECT_EQ(weapon.Own(kWeaponAmmo), 0u);
    EXPECT_EQ(weapon.LastShot(), 20);
    EXPECT_EQ(ship.Balance(), 995);
}

// The ammunition's fire takes its last shot, takes itself out and loads other ammunition: the
// trigger leaves the new one loaded, and what was taken out is the script's, not destroyed.
TEST_F(WeaponsTest, AmmunitionThatSwapsItselfOutFiringLeavesTheNewOneLoaded) {
    WeaponObject& weapon = NewEnergyWeapon(10, 5, 1);
    Arm(weapon);
    AmmoObject& first = NewAmmo(1, 1, 2, "SwappingAmmo");
    AmmoObject& second = NewAmmo(3);
    first.Field(0) = second.Address();
    ASSERT_EQ(Weapon::CallOfferAmmo(&weapon, first.Address()), 0u);
    const WeakObject out(&first);
    EXPECT_EQ(ErrorMessage([&] { Weapon::CallTrigger(&weapon, 20); }), "no error");
    EXPECT_EQ(weapon.Ammo(), &second);
    EXPECT_EQ(weapon.Own(kWeaponAmmo), second.Address());
    EXPECT_EQ(out.Get(), &first);
    EXPECT_EQ(first.ShotsLeft(), 0);
}

TEST_F(WeaponsTest, ShotsCarryThePilotAndItsSkillAtTheWeaponsIndex) {
    const struct {
        int32_t skillIndex;
        int32_t pilotSlot;
        int32_t damage3;
    } cases[] = {{4, 4, 5 + 2}, {4, 5, 5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pilotSlot);
        WeaponObject& weapon = NewEnergyWeapon(0, 0);
        game.CallMethod(&weapon, game.Class("Weapon"), 36, {W(c.skillIndex)});
        for (uint32_t k = 0; k < kDamageKinds; ++k) weapon.SetInt(kEnergyDamage + k, 5);
        ShipObject& ship = Arm(weapon);
        auto pilot = std::make_unique<TestPilot>(game.Class("GTTClass"));
        GameObject skill = game.New("WeaponSkill", {3});
        SkillObject::Of(skill.get()).SetLevel(2);
        pilot->skill = WeakObject(skill.get());
        pilot->skillSlot = c.pilotSlot;
        ship.SetOwner(pilot.get());
        Weapon::CallTrigger(&weapon, 0);
        const ShotObject& shot = LastShot();
        EXPECT_EQ(shot.Own(kShotTag), pilot->Address());
        EXPECT_EQ(shot.Int(kActorDamage + 3), c.damage3);
        EXPECT_EQ(shot.Int(kActorDamage + 2), 5);
        ship.SetOwner(nullptr);
    }
}

TEST_F(WeaponsTest, AWeaponWithoutAShipStillFires) {
    WeaponObject& weapon = NewEnergyWeapon(0, 5);
    Weapon::CallTrigger(&weapon, 0);
    ASSERT_EQ(ShotCount(), 1u);
    EXPECT_EQ(LastShot().Own(kShotTag), 0u);
    EXPECT_EQ(LastShot().Layer(), kShotLayer);
}

}  // namespace
