// Native objects that own script objects let go of them when they are destroyed, not when their
// memory goes: the owned objects' destructor methods run then, their errors reach whoever destroyed
// the owner, and an owned object whose own destruction is under way is left to it.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "script/object_lifetime.h"
#include "tests/support/error_message.h"
#include "tests/support/hostile_scripts.h"
#include "tests/world/flight_actors_fixture.h"
#include "world/bonuses.h"
#include "world/multi_actor.h"
#include "world/option.h"
#include "world/ownership.h"
#include "world/player.h"
#include "world/ship.h"
#include "world/slot.h"
#include "world/stars_sky.h"
#include "world/supply.h"
#include "world/weapon.h"

namespace {

// Each owned kind twice: one whose destructor method fails, one whose destructor method deletes the
// object in its field 0 (its owner, in these tests).
std::vector<ScriptSubclass> OwnedClasses() {
    std::vector<ScriptSubclass> classes;
    for (const char* base : {"Actor", "Ammo", "Option", "GTTClass", "Skill"}) {
        ScriptSubclass failing{.name = std::string("Failing") + base, .base = base};
        failing.virtuals[0] = FailWords();
        classes.push_back(failing);
        ScriptSubclass deleting{
            .name = std::string("OwnerDeleting") + base, .base = base, .instanceFields = 1};
        deleting.virtuals[0] = DeleteFieldWords(0);
        classes.push_back(deleting);
    }
    return classes;
}

class OwnersReleaseTest : public FlightActorsTest {
  protected:
    OwnersReleaseTest() : FlightActorsTest(OwnedClasses()) {}

    ScriptObject& Actor(const std::string& prefix) {
        return Make<ActorObject>((prefix + "Actor").c_str(), {0, 10, 0, 0, 0, 0, 0, 0});
    }
    AmmoObject& Ammo(const std::string& prefix) {
        return Make<AmmoObject>((prefix + "Ammo").c_str(), {0, 5, 2, 1, 0, 0, 0, 0, 0, 0});
    }
    OptionObject& Item(const std::string& prefix) {
        return Make<OptionObject>((prefix + "Option").c_str(), {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    }
    ScriptObject& Thing(const std::string& prefix) {
        return Make<ScriptObject>((prefix + "GTTClass").c_str(), {});
    }
    ScriptObject& Skill(const std::string& prefix) {
        return Make<ScriptObject>((prefix + "Skill").c_str(), {});
    }

    // An owner of each kind holding the object made for it: {owner, owned}.
    using Made = std::pair<ScriptObject*, ScriptObject*>;
    struct Owner {
        const char* name;
        std::function<Made(const std::string& prefix)> make;
    };
    std::vector<Owner> Owners() {
        return {
            {"MultiActor member",
             [&](const std::string& p) -> Made {
                 auto& multi = Make<MultiActorObject>("MultiActor", {0, 0});
                 ScriptObject& member = Actor(p);
                 Call(&multi, "MultiActor", 35, {member.Address()});
                 return {&multi, &member};
             }},
            {"weapon's ammunition",
             [&](const std::string& p) -> Made {
                 auto& weapon =
                     Make<WeaponObject>("Weapon", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 1, 1, 0, 0, 0});
                 AmmoObject& ammo = Ammo(p);
                 EXPECT_EQ(Weapon::CallOfferAmmo(&weapon, ammo.Address()), 0u);
                 return {&weapon, &ammo};
             }},
            {"bonus's item",
             [&](const std::string& p) -> Made {
                 OptionObject& item = Item(p);
                 auto* bonus = new BonusObject(game.Class("Bonus"), 0, 0, 0, 0, &item);
                 return {bonus, &item};
             }},
            {"Supply's supplier",
             [&](const std::string& p) -> Made {
                 auto& supply = Make<SupplyObject>("Supply", {});
                 ScriptObject& supplier = Thing(p);
                 supply.Hold(&supplier);
                 return {&supply, &supplier};
             }},
            {"SupplyService's queue",
             [&](const std::string& p) -> Made {
                 auto& service = Make<SupplyServiceObject>("SupplyService", {});
                 ScriptObject& queued = Thing(p);
                 CallVirtual(&service, 7, {queued.Address()});
                 return {&service, &queued};
             }},
            {"SupplyShip's cargo",
             [&](const std::string& p) -> Made {
                 auto& ship = Make<SupplyShipObject>("SupplyShip", {0, 0, 0, 0, 0});
                 ScriptObject& cargo = Thing(p);
                 Call(&ship, "SupplyShip", 35, {cargo.Address()});
                 return {&ship, &cargo};
             }},
            {"pilot's item",
             [&](const std::string& p) -> Made {
                 auto& player = Make<PlayerObject>("Player", {});
                 OptionObject& item = Item(p);
                 player.AddItem(&item);
                 return {&player, &item};
             }},
            {"pilot's skill",
             [&](const std::string& p) -> Made {
                 auto& player = Make<PlayerObject>("Player", {});
                 ScriptObject& skill = Skill(p);
                 player.PlaceSkill(&skill, 3);
                 return {&player, &skill};
             }},
            {"ship's slot's item",
             [&](const std::string& p) -> Made {
                 auto& ship = Make<ShipObject>("Ship", {0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0});
                 OptionObject& item = Item(p);
                 ship.SlotAt(kPlainGroup, 0)->SetObject(&item);
                 return {&ship, &item};
             }},
        };
    }
};

TEST_F(OwnersReleaseTest, DestroyingAnOwnerDestroysWhatItOwnsAndPassesTheirErrorsOn) {
    for (const Owner& owner : Owners()) {
        SCOPED_TRACE(owner.name);
        const ReleaseHold hold;
        const auto [holder, owned] = owner.make("Failing");
        EXPECT_EQ(ErrorMessage([&] { Delete(holder); }), FailMessage());
        EXPECT_FALSE(owned->Alive());
        EXPECT_FALSE(holder->Alive());
    }
    // Stars are plain Visuals: nothing of theirs can fail.
    const ReleaseHold hold;
    auto& sky = Make<StarsSkyObject>("StarsSky", {Picture(1), 2, 640});
    ScriptObject* star = sky.Star(1);
    ASSERT_NE(star, nullptr);
    Delete(&sky);
    EXPECT_FALSE(star->Alive());
}

// The owned object's destructor method deletes its owner: the owner lets go of it without a word,
// as its destruction is under way already.
TEST_F(OwnersReleaseTest, AnOwnerLetsGoSilentlyOfWhatIsBeingDestroyedAlready) {
    for (const Owner& owner : Owners()) {
        SCOPED_TRACE(owner.name);
        const ReleaseHold hold;
        const auto [holder, owned] = owner.make("OwnerDeleting");
        owned->Field(0) = holder->Address();
        EXPECT_EQ(ErrorMessage([&] { Delete(owned); }), "no error");
        EXPECT_FALSE(holder->Alive());
        EXPECT_FALSE(owned->Alive());
    }
    EXPECT_EQ(game.Log().find("being deleted already"), std::string::npos) << game.Log();
}

// A native that a script asks to take an item refuses one an owner holds already, which stays with
// that owner; a free item is taken. A Supply without a supplier deletes what it is offered, but only
// what nobody holds.
TEST_F(OwnersReleaseTest, ATakerLeavesAnItemAnOwnerHoldsWithThatOwner) {
    const struct {
        const char* cls;
        std::vector<uint32_t> create;
        uint32_t method;  // a virtual one for the service
        bool deletes;
    } takers[] = {{"SupplyService", {}, 7, false},
                  {"SupplyShip", {0, 0, 0, 0, 0}, 35, false},
                  {"Player", {}, 21, false},
                  {"Supply", {}, 5, true}};
    for (const auto& t : takers) {
        const auto take = [&](ScriptObject& item) {
            auto& taker = Make<ScriptObject>(t.cls, t.create);
            return ErrorMessage([&] {
                if (t.method == 7) CallVirtual(&taker, 7, {item.Address()});
                if (t.method != 7) Call(&taker, t.cls, t.method, {item.Address()});
            });
        };
        const ReleaseHold hold;
        for (const Owner& owner : Owners()) {
            const auto [holder, owned] = owner.make("");
            if (dynamic_cast<OptionObject*>(owned) == nullptr) continue;
            SCOPED_TRACE(std::string(t.cls) + " from the " + owner.name);
            EXPECT_EQ(take(*owned),
                      t.deletes ? "no error"
                                : std::string(t.cls) + " cannot take an item that an owner holds already");
            EXPECT_TRUE(HeldByOwner(owned));
        }
        OptionObject& free = Item("");
        EXPECT_EQ(take(free), "no error") << t.cls;
        EXPECT_EQ(free.Alive(), !t.deletes) << t.cls;
    }
}

}  // namespace
