// Bonuses in the started game: their creation values, the zig-zag drift, the drawing entries of an
// item bonus, dropping and freeing, and the pick-up of each kind by a ship with a grabber.
#include "world/bonuses.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "graphics/image.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "script/weak_object.h"
#include "shell/game_ids.h"
#include "tests/support/error_message.h"
#include "tests/support/game_harness.h"
#include "tests/support/hostile_scripts.h"
#include "tests/support/pilot_fixture.h"
#include "tools/content/sound_builder.h"
#include "world/level.h"
#include "world/option.h"
#include "world/player.h"
#include "world/ship.h"
#include "world/slot.h"
#include "world/weapon.h"

namespace {

class BonusTest : public ::testing::Test {
  protected:
    BonusTest() {
        AddPilotClasses(game);
        for (const char* name : {"Misc\\Bonus.dpf", "Misc\\MoneyBonus.dpf", "Misc\\EnergyBonus.dpf"}) {
            game.AddPicture(name);
        }
        game.AddSound("BonusGet", "Sound\\BonusGet.wav", WaveFile());
        game.Start();
        bonusList = new ObjectManager(&game.Cpu(), 1);
        game.Objects().SetObject(bonusList, kBonusListId);
        PublishedFlight().screenHeightX100 = 48000;
    }
    ~BonusTest() override { PublishedFlight() = FlightValues{}; }

    OptionObject* NewItem(const char* cls, int32_t baseValue = 0) {
        OptionInit init;
        init.baseValue = baseValue;
        return new OptionObject(game.Class(cls), init);
    }

    // Pops in order class, item, x, y, value (and the price argument for a PaidBonus).
    GameObject NewItemBonus(const char* cls, OptionObject* item, int32_t priceArgument = 0) {
        std::vector<uint32_t> pushed{static_cast<uint32_t>(priceArgument), 7, 300, 200, item->Address()};
        if (std::string(cls) != "PaidBonus") pushed.erase(pushed.begin());
        return game.New(cls, pushed);
    }
    GameObject NewAmountBonus(const char* cls, int32_t amount) {
        return game.New(cls, {7, 300, 200, static_cast<uint32_t>(amount)});
    }

    // A ship with one energy source (empty, capacity 100000), a grabber place and two hold places;
    // flown by a pilot with the money given, unless there is no pilot.
    GameObject NewShip(bool grabber, bool pilot, int32_t moneyTenths = 0) {
        ShipLayout layout;
        layout.slotCounts[kWeaponGroup] = 1;
        layout.slotCounts[kEnergyGroup] = 1;
        layout.slotCounts[kGrabberGroup] = 1;
        layout.slotCounts[kPlainGroup] = 2;
        layout.mass = 1;
        GameObject ship(new ShipObject(game.Class("Ship"), 0, 0, 0, layout));
        ShipObject& s = ShipObject::Of(ship.get());
        auto* akb = new AkbObject(game.Class("Akb"), 0, 100000, 0, 0);
        akb->SetCharge(0);
        s.SlotAt(kEnergyGroup, 0)->SetObject(akb);
        s.SlotAt(kEnergyGroup, 0)->SetFirstEnabled(1);
        if (grabber) s.SlotAt(kGrabberGroup, 0)->SetObject(NewItem("Grabber"));
        if (pilot) {
            player = new PlayerObject(game.Class("Player"));
            game.Players().AppendObject(player);
            player->SetMoneyTenths(moneyTenths);
            player->AttachShip(&s);
        }
        return ship;
    }

    AmmoObject* NewAmmo(int32_t shots, int32_t kind) {
        AmmoObject::Init init;
        init.shots = shots;
        init.kindA = kind;
        init.kindB = kind;
        return new AmmoObject(game.Class("Ammo"), init);
    }

    void Touch(ScriptObject* bonus, ScriptObject* toucher, int32_t entry = 1) {
        game.CallVirtual(bonus, kHitVirtual, {static_cast<uint32_t>(entry), toucher->Address(), 0});
    }
    int BonusSounds() {
        game.SettleSound();
        return game.Plays("BonusGet");
    }

    GameHarness game;
    ObjectManager* bonusList = nullptr;
    PlayerObject* player = nullptr;
};

TEST_F(BonusTest, EachKindStartsWithItsPictureSpeedLayerAndZigZag) {
    struct Case {
        const char* cls;
        const char* picture;
        uint32_t flags;
        bool amount;
    } cases[] = {
        {"Bonus", "Misc\\Bonus.dpf", 0, false},
        {"PaidBonus", "Misc\\Bonus.dpf", 0, false},
        {"MoneyBonus", "Misc\\MoneyBonus.dpf", kAnimBounce, true},
        {"EnergyBonus", "Misc\\EnergyBonus.dpf", kAnimBounce, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cls);
        GameObject made = c.amount ? NewAmountBonus(c.cls, 5) : NewItemBonus(c.cls, NewItem("Option"));
        BonusObject& bonus = BonusObject::Of(made.get());
        EXPECT_EQ(bonus.Own(kVisualPicture), game.Picture(c.picture)->Address());
        EXPECT_EQ(bonus.X(), 200);
        EXPECT_EQ(bonus.Y(), 300);
        EXPECT_EQ(bonus.Int(kBonusValue), 7);
        EXPECT_EQ(bonus.SpeedX(), kBonusSpeedX);
        EXPECT_EQ(bonus.SpeedY(), kBonusSpeedY);
        EXPECT_EQ(bonus.Layer(), kBonusLayer);
        EXPECT_EQ(bonus.Energy(), 0);
        EXPECT_EQ(bonus.Own(kVisualFlags), c.flags);
        EXPECT_EQ(bonus.Int(kBonusCountdown), 30);
        EXPECT_EQ(bonus.Int(kBonusPeriod), 60);
    }
}

TEST_F(BonusTest, DriftTurnsAfterThirtyStepsThenEverySixtyAndLeavesOnlyAboveOrBelow) {
    GameObject made = NewAmountBonus("MoneyBonus", 1);
    BonusObject& bonus = BonusObject::Of(made.get());
    struct Step {
        int steps;
        int32_t speedX;
        int32_t x;
    } steps[] = {{29, 100, 200 + 29 * 100},
                 {1, -100, 200 + 29 * 100 - 100},
                 {59, -100, 200 + 29 * 100 - 60 * 100},
                 {1, 100, 200 + 29 * 100 - 60 * 100 + 100}};
    for (const Step& s : steps) {
        for (int i = 0; i < s.steps; ++i) game.CallVirtual(made.get(), kStepVirtual, {0});
        EXPECT_EQ(bonus.SpeedX(), s.speedX);
        EXPECT_EQ(bonus.X(), s.x);
    }
    EXPECT_EQ(bonus.State(), kActorAlive);
    bonus.SetInt(kVisualX, -900000);  // far off to the side: still there
    bonus.SetInt(kVisualY, 48000 + 10000 - 200);
    game.CallVirtual(made.get(), kStepVirtual, {0});
    EXPECT_EQ(bonus.State(), kActorAlive);
    game.CallVirtual(made.get(), kStepVirtual, {0});
    EXPECT_EQ(bonus.State(), kActorGone);
}

TEST_F(BonusTest, AnItemBonusDrawsTheItemAndItsFrameInTheLayerOrder) {
    GameObject made = NewItemBonus("Bonus", NewItem("Option"));
    EXPECT_EQ(game.CallVirtual(made.get(), kPictureCountVirtual), std::vector<uint32_t>{2});
    struct Case {
        int32_t entry;
        std::vector<uint32_t> pair;
        uint32_t layer;
        uint32_t value12;
    } cases[] = {{0, {0, 4}, kBonusLayer, 4}, {1, {2, 3}, kBonusLayer - 1, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        const uint32_t entry = static_cast<uint32_t>(c.entry);
        EXPECT_EQ(game.CallVirtual(made.get(), 9, {entry}), c.pair);
        EXPECT_EQ(game.CallVirtual(made.get(), kLayerVirtual, {entry}), std::vector<uint32_t>{c.layer});
        EXPECT_EQ(game.CallVirtual(made.get(), 12, {entry}), std::vector<uint32_t>{c.value12});
        const std::vector<uint32_t> drawn = game.CallVirtual(made.get(), kPictureVirtual, {entry});
        ASSERT_EQ(drawn.size(), 4u);
        EXPECT_EQ(drawn[1], 300u);  // y, then x: placed at the bonus
        EXPECT_EQ(drawn[2], 200u);
    }
}

TEST_F(BonusTest, DroppedBonusesAreFreedByTheListOnceAndLooseOnesAtOnce) {
    GameObject dropped = NewAmountBonus("EnergyBonus", 1);
    game.CallVirtual(dropped.get(), kBonusDropVirtual, {900, 800});  // y, then x on top
    ScriptObject* inList = dropped.release();
    EXPECT_EQ(bonusList->ObjectList().Count(), 1u);
    EXPECT_EQ(ActorObject::Of(inList).X(), 800);
    EXPECT_EQ(ActorObject::Of(inList).Y(), 900);
    const WeakObject listed(inList);
    game.CallVirtual(inList, kBonusFreeVirtual);
    ASSERT_NE(listed.Get(), nullptr);
    EXPECT_EQ(ActorObject::Of(inList).State(), kActorRetired);

    OptionObject* item = NewItem("Option");
    const WeakObject carried(item);
    // A list holding the carried item as well lets go of it when the bonus destroys it.
    auto* alsoHolding = new ObjectManager(&game.Cpu(), 1);
    game.Objects().SetObject(alsoHolding, kObjectList33Id);
    alsoHolding->AppendObject(item);
    ScriptObject* loose = NewItemBonus("Bonus", item).release();
    const WeakObject looseBonus(loose);
    game.CallVirtual(loose, kBonusFreeVirtual);
    EXPECT_EQ(looseBonus.Get(), nullptr);
    EXPECT_EQ(carried.Get(), nullptr);  // the carried item went with it
    EXPECT_EQ(alsoHolding->ObjectList().Count(), 0u);
}

TEST_F(BonusTest, AnItemIsPickedUpOnlyByAPilotedShipWithAGrabberAndForItsPrice) {
    struct Case {
        const char* what;
        const char* cls;
        int32_t priceArgument;
        bool grabber;
        bool pilot;
        int32_t entry;
        int32_t moneyBefore;  // tenths
        bool taken;
        int32_t moneyAfter;
    } cases[] = {
        {"a bonus by its frame", "Bonus", 0, true, true, 1, 50, true, 50},
        {"the item picture does not pick up", "Bonus", 0, true, true, 0, 50, false, 50},
        {"no grabber", "Bonus", 0, false, true, 1, 50, false, 50},
        {"a ship without a pilot", "Bonus", 0, true, false, 1, 0, false, 0},
        {"paid at its price", "PaidBonus", 30, true, true, 1, 305, true, 5},
        {"refused below the price", "PaidBonus", 30, true, true, 1, 299, false, 299},
        {"half the item's price", "PaidBonus", -50, true, true, 1, 1000, true, 0},
        {"free at 0", "PaidBonus", 0, true, true, 1, 10, true, 10},
    };
    int sounds = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GameObject ship = NewShip(c.grabber, c.pilot, c.moneyBefore);
        OptionObject* item = NewItem("Option", 200);
        GameObject bonus = NewItemBonus(c.cls, item, c.priceArgument);
        Touch(bonus.get(), ship.get(), c.entry);
        const ShipObject& s = ShipObject::Of(ship.get());
        EXPECT_EQ(s.SlotAt(kPlainGroup, 0)->First() == item, c.taken);
        EXPECT_EQ(BonusObject::Of(bonus.get()).State(), c.taken ? kActorGone : kActorAlive);
        EXPECT_EQ(BonusObject::Of(bonus.get()).Item() == nullptr, c.taken);
        if (c.pilot) {
            EXPECT_EQ(player->MoneyTenths(), c.moneyAfter);
        }
        sounds += c.taken ? 1 : 0;
        EXPECT_EQ(BonusSounds(), sounds);
    }
}

TEST_F(BonusTest, SomethingThatIsNoShipOrAFullHoldTakesNothing) {
    GameObject bystander = game.New("Actor", {0, 0, 0, 0, 0, 0, 1, 0});
    GameObject bonus = NewItemBonus("Bonus", NewItem("Option"));
    Touch(bonus.get(), bystander.get());
    EXPECT_EQ(BonusObject::Of(bonus.get()).State(), kActorAlive);

    GameObject ship = NewShip(true, true);
    ShipObject& s = ShipObject::Of(ship.get());
    s.SlotAt(kPlainGroup, 0)->SetObject(NewItem("Option"));
    s.SlotAt(kPlainGroup, 1)->SetObject(NewItem("Option"));
    Touch(bonus.get(), ship.get());
    EXPECT_EQ(BonusObject::Of(bonus.get()).State(), kActorAlive);
    EXPECT_NE(BonusObject::Of(bonus.get()).Item(), nullptr);
    EXPECT_EQ(BonusSounds(), 0);
}

TEST_F(BonusTest, MoneyAndEnergyArePaidOnce) {
    struct Case {
        const char* cls;
        int32_t moneyAfter;
        int32_t chargeAfter;
    } cases[] = {{"MoneyBonus", 10 + 250, 0}, {"EnergyBonus", 10, 2500}};
    int sounds = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cls);
        GameObject ship = NewShip(true, true, 10);
        GameObject bonus = NewAmountBonus(c.cls, 25);
        Touch(bonus.get(), ship.get());
        Touch(bonus.get(), ship.get());
        EXPECT_EQ(BonusObject::Of(bonus.get()).State(), kActorGone);
        EXPECT_EQ(player->MoneyTenths(), c.moneyAfter);
        const auto* akb =
            dynamic_cast<AkbObject*>(ShipObject::Of(ship.get()).SlotAt(kEnergyGroup, 0)->First());
        ASSERT_NE(akb, nullptr);
        EXPECT_EQ(akb->Charge(), c.chargeAfter);
        EXPECT_EQ(BonusSounds(), ++sounds);
    }
    GameObject pilotless = NewShip(true, false);
    GameObject bonus = NewAmountBonus("MoneyBonus", 25);
    Touch(bonus.get(), pilotless.get());
    EXPECT_EQ(BonusObject::Of(bonus.get()).State(), kActorAlive);
}

TEST_F(BonusTest, AmmunitionGoesOntoAWeaponOrWhatTheHoldCarriesBeforeAnEmptyPlace) {
    struct Case {
        const char* what;
        bool weapon;
        bool needsAmmo;
        bool weaponLoaded;
        bool holdAmmo;
        int32_t kind;  // of the bonus's ammunition; everything else takes kind 4
        const char* where;
        int32_t shots;  // then left in that place
    } cases[] = {
        {"loaded into an empty weapon", true, true, false, false, 4, "weapon", 3},
        {"merged onto the weapon's", true, true, true, false, 4, "weapon", 8},
        {"merged onto the hold's", false, false, false, true, 4, "hold", 8},
        {"a weapon without ammunition takes none", true, false, false, false, 4, "hold", 3},
        {"another kind goes to an empty place", true, true, true, true, 9, "second", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GameObject ship = NewShip(true, true);
        ShipObject& s = ShipObject::Of(ship.get());
        WeaponObject* weapon = nullptr;
        if (c.weapon) {
            WeaponInit init;
            init.needsAmmo = c.needsAmmo ? 1 : 0;
            init.kindA = 4;
            init.kindB = 4;
            weapon = new WeaponObject(game.Class("Weapon"), init);
            s.SlotAt(kWeaponGroup, 0)->SetObject(weapon);
            if (c.weaponLoaded) weapon->SetAmmo(NewAmmo(5, 4));
        }
        if (c.holdAmmo) s.SlotAt(kPlainGroup, 0)->SetObject(NewAmmo(5, 4));
        AmmoObject* ammo = NewAmmo(3, c.kind);
        GameObject bonus = NewItemBonus("Bonus", ammo);
        Touch(bonus.get(), ship.get());
        EXPECT_EQ(BonusObject::Of(bonus.get()).State(), kActorGone);
        const std::string where = c.where;
        const OptionObject* place = where == "weapon" ? weapon->Ammo()
                                    : where == "hold" ? s.SlotAt(kPlainGroup, 0)->First()
                                                      : s.SlotAt(kPlainGroup, 1)->First();
        ASSERT_NE(place, nullptr);
        EXPECT_EQ(place->Amount(), c.shots);
    }
}

// A weapon's offer hands the ammunition to another weapon, then fails: what that weapon loaded stays
// loaded, and what it refused goes back to the bonus rather than being left owned by nobody.
TEST_F(BonusTest, AFailedOfferLeavesTheAmmunitionWithOneOwner) {
    for (const bool loads : {true, false}) {
        SCOPED_TRACE(loads);
        GameObject ship = NewShip(true, true);
        WeaponInit init;
        init.needsAmmo = 1;
        init.kindA = init.kindB = loads ? 4 : 9;
        GameObject other(new WeaponObject(game.Class("Weapon"), init));
        init.kindA = init.kindB = 4;
        auto* handing = new WeaponObject(game.Class(kHandingGunClass), init);
        handing->Field(0) = other->Address();
        ShipObject::Of(ship.get()).SlotAt(kWeaponGroup, 0)->SetObject(handing);
        AmmoObject* ammo = NewAmmo(3, 4);
        const WeakObject carried(ammo);
        GameObject bonus = NewItemBonus("Bonus", ammo);
        EXPECT_EQ(ErrorMessage([&] { Touch(bonus.get(), ship.get()); }), FailMessage());
        ASSERT_NE(carried.Get(), nullptr);
        EXPECT_EQ(WeaponObject::Of(other.get()).Ammo(), loads ? ammo : nullptr);
        EXPECT_EQ(BonusObject::Of(bonus.get()).Item(), loads ? nullptr : ammo);
        EXPECT_EQ(BonusObject::Of(bonus.get()).State(), kActorAlive);
    }
}

// A bonus is made only with an item nobody holds: one in a ship's hold stays there.
TEST_F(BonusTest, ABonusRefusesAnItemAnOwnerHolds) {
    GameObject ship = NewShip(true, true);
    OptionObject* stowed = NewItem("Option");
    ShipObject::Of(ship.get()).SlotAt(kPlainGroup, 0)->SetObject(stowed);
    for (const char* cls : {"Bonus", "PaidBonus"}) {
        SCOPED_TRACE(cls);
        EXPECT_EQ(ErrorMessage([&] { NewItemBonus(cls, stowed); }),
                  std::string(cls) + " cannot take an item that an owner holds already");
        EXPECT_EQ(ShipObject::Of(ship.get()).SlotAt(kPlainGroup, 0)->First(), stowed);
    }
}

}  // namespace
