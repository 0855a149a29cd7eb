// The ship's energy balance: throttling and shedding in order as energy runs short, recharging,
// draining, the flight-start reset, and the divisions that scripts' values could make impossible.
#include <gtest/gtest.h>

#include "tests/world/ship_fixture.h"

namespace {

// One item of each kind that sheds, with the consumption that makes the shedding order visible.
struct Fitted {
    OptionObject* guide;
    OptionObject* grabber;
    OptionObject* shield;
    OptionObject* weapon;
    OptionObject* engine;
};

class ShipEnergyTest : public ShipFixture {
  protected:
    // Guide 10, grabber 20, shield 40, weapon 30, engine 60 (thrust 3000): 160 in all; mass 2.
    GameObject Equipped(int32_t charge, Fitted& fitted) {
        GameObject ship = NewShip({1, 1, 1, 1, 1, 0}, 2, 0, {5, 5});
        ShipObject& s = Of(ship);
        Fit(s, kEnergyGroup, 0, Akb(charge));
        fitted.weapon = &Fit(s, kWeaponGroup, 0, Plain(30));
        fitted.guide = &Fit(s, kWeaponGroup, 0, Plain(10), SlotPlace::kSecond);
        fitted.grabber = &Fit(s, kGrabberGroup, 0, Plain(20));
        fitted.shield = &Fit(s, kProtectionGroup, 0, Shield(40, {20, 20}));
        fitted.engine = &Fit(s, kEngineGroup, 0, Engine(3000, 60));
        return ship;
    }

    static std::vector<int> OnStates(ShipObject& ship) {
        SlotObject& weapons = *ship.SlotAt(kWeaponGroup, 0);
        return {weapons.SecondState() != 0, ship.SlotAt(kGrabberGroup, 0)->FirstState() != 0,
                ship.SlotAt(kProtectionGroup, 0)->FirstState() != 0, weapons.FirstState() != 0,
                ship.SlotAt(kEngineGroup, 0)->FirstState() != 0};
    }
};

using Status = TestPilot::Status;
const Status kLack{"Energy low", 60, 7};
const Status kDetached{"Equipment detached", 30, 8};

TEST_F(ShipEnergyTest, EquipmentIsThrottledThenShedInOrderAsEnergyRunsShort) {
    struct Case {
        const char* name;
        int32_t charge;
        std::vector<int> on;  // guide, grabber, shield, weapon, engine
        int32_t engineEfficiency;
        int32_t shieldEfficiency;
        int32_t balance;
        int32_t maxSpeed;
        uint32_t protection0;
        bool lack;
        bool detached;
        std::vector<Status> statuses;
    } cases[] = {
        {"enough for everything", 200, {1, 1, 1, 1, 1}, 100, 100, 40, 1500, 25, false, false, {}},
        {"a balance of 0 is short, but nothing needs throttling",
         160,
         {1, 1, 1, 1, 1},
         100,
         100,
         1,
         1500,
         25,
         true,
         false,
         {kLack}},
        {"deficit 50 split 30 to the engine, 20 to the shield",
         109,
         {1, 1, 1, 1, 1},
         50,
         50,
         1,
         750,
         15,
         true,
         false,
         {kLack}},
        {"the guide goes first, then the rest is throttled",
         70,
         {0, 1, 1, 1, 1},
         22,
         20,
         1,
         330,
         9,
         true,
         true,
         {kLack, kDetached}},
        {"guide, grabber, shield (silently) and weapon go",
         40,
         {0, 0, 0, 0, 1},
         69,
         100,
         1,
         1035,
         5,
         true,
         true,
         {kLack, kDetached, kDetached, kDetached}},
        {"everything goes and the balance is what is left",
         10,
         {0, 0, 0, 0, 0},
         100,
         100,
         10,
         0,
         5,
         true,
         true,
         {kLack, kDetached, kDetached, kDetached, kDetached}},
        {"empty sources switch every consumer off without a word",
         0,
         {0, 0, 0, 0, 0},
         100,
         100,
         0,
         0,
         5,
         false,
         false,
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fitted fitted{};
        GameObject ship = Equipped(c.charge, fitted);
        ShipObject& s = Of(ship);
        TestPilot& pilot = Fly(s);
        s.Recharge(0);
        EXPECT_EQ(OnStates(s), c.on);
        EXPECT_EQ(fitted.engine->Efficiency(), c.engineEfficiency);
        EXPECT_EQ(fitted.shield->Efficiency(), c.shieldEfficiency);
        EXPECT_EQ(s.Balance(), c.balance);
        EXPECT_EQ(s.MaxSpeed(), c.maxSpeed);
        // Without energy the armour is left as it was: the hull's own protection.
        EXPECT_EQ(s.Own(kActorArmour), c.protection0);
        EXPECT_EQ(s.EnergyLack(), c.lack);
        EXPECT_EQ(s.EquipmentDetached(), c.detached);
        EXPECT_EQ(pilot.statuses, c.statuses);
    }
}

TEST_F(ShipEnergyTest, AShipWithoutPilotShedsTheSameWithoutMessageOrDetachedFlag) {
    Fitted fitted{};
    GameObject ship = Equipped(40, fitted);
    Of(ship).Recharge(0);
    EXPECT_EQ(OnStates(Of(ship)), (std::vector<int>{0, 0, 0, 0, 1}));
    EXPECT_TRUE(Of(ship).EnergyLack());
    EXPECT_FALSE(Of(ship).EquipmentDetached());
    // A pilot that is gone counts as none.
    Fly(Of(ship));
    pilots.clear();
    Of(ship).Recharge(0);
    EXPECT_FALSE(Of(ship).EquipmentDetached());
}

TEST_F(ShipEnergyTest, DivisionsScriptsCouldMakeImpossibleAreAvoided) {
    struct Case {
        const char* name;
        int32_t mass;
        int32_t charge;
        int32_t baseConsumption;
        int32_t idleEngineConsumption;  // a second engine's
        int32_t maxSpeed;
        int32_t idleEfficiency;
        int32_t balance;
    } cases[] = {
        {"mass 0: as fast as the thrust", 0, 1000, 0, 5, 6000, 100, 935},
        {"negative mass likewise", -4, 1000, 0, 5, 6000, 100, 935},
        {"no engine or shield use to split a balance of 0 over", 2, 60, 30, 0, 1500, 100, 1},
        {"an engine that uses nothing keeps its efficiency", 2, 50, 0, 0, 2775, 100, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GameObject ship = NewShip({1, 1, 2, 0, 0, 0}, c.mass, c.baseConsumption);
        ShipObject& s = Of(ship);
        Fit(s, kEnergyGroup, 0, Akb(c.charge));
        OptionObject& idle = Fit(s, kEngineGroup, 1, Engine(3000, c.idleEngineConsumption));
        if (c.baseConsumption == 0) {
            Fit(s, kEngineGroup, 0, Engine(3000, 60));
        } else {
            Fit(s, kWeaponGroup, 0, Plain(30));
        }
        s.Recharge(0);
        EXPECT_EQ(s.MaxSpeed(), c.maxSpeed);
        EXPECT_EQ(idle.Efficiency(), c.idleEfficiency);
        EXPECT_EQ(s.Balance(), c.balance);
    }
}

TEST_F(ShipEnergyTest, RechargeDrainAndResetWorkOnTheSourcesAndSlotsInOrder) {
    GameObject ship = NewShip({1, 3, 0, 0, 0, 1});
    ShipObject& s = Of(ship);
    auto& first = dynamic_cast<AkbObject&>(Fit(s, kEnergyGroup, 0, Akb(100)));
    auto& off = dynamic_cast<AkbObject&>(Fit(s, kEnergyGroup, 1, Akb(100), SlotPlace::kFirst, 0));
    auto& third = dynamic_cast<AkbObject&>(Fit(s, kEnergyGroup, 2, Akb(100)));
    s.Recharge(0);
    EXPECT_EQ(s.Balance(), 200);

    Ship::DrainEnergy(s, 150);  // the first source empties, the disabled one is passed over
    EXPECT_EQ(std::vector<int32_t>({first.Charge(), off.Charge(), third.Charge()}),
              (std::vector<int32_t>{0, 100, 50}));
    EXPECT_EQ(s.Balance(), 50);
    Ship::DrainEnergy(s, 10);  // below the balance: taken off it without a recompute
    EXPECT_EQ(s.Balance(), 40);

    s.Recharge(500);  // fills in slot order and drops the rest
    EXPECT_EQ(std::vector<int32_t>({first.Charge(), off.Charge(), third.Charge()}),
              (std::vector<int32_t>{100, 100, 100}));
    EXPECT_EQ(s.Balance(), 200);

    s.SlotAt(kWeaponGroup, 0)->SetDelay(5);
    s.SlotAt(kEnergyGroup, 2)->SetDelay(5);
    s.SlotAt(kPlainGroup, 0)->SetDelay(5);
    s.ResetDelays();
    EXPECT_EQ(s.SlotAt(kWeaponGroup, 0)->Delay(), 0);
    EXPECT_EQ(s.SlotAt(kEnergyGroup, 2)->Delay(), 0);
    EXPECT_EQ(s.SlotAt(kPlainGroup, 0)->Delay(), 5);
}

}  // namespace
