// What a ship gets from a bonus it touches: the carried item into a weapon, onto ammunition or into
// the hold; money for the pilot; energy for the ship.
#include <cstdint>

#include "foundation/exceptions.h"
#include "foundation/saturating.h"
#include "script/processor.h"
#include "script/zema_class.h"
#include "world/bonuses.h"
#include "world/option.h"
#include "world/ownership.h"
#include "world/player.h"
#include "world/ship.h"
#include "world/slot.h"
#include "world/weapon.h"
#include "world/world_sound.h"

namespace {

constexpr const char* kPickUpSound = "BonusGet";

bool Inherits(const ScriptObject* object, const char* name) {
    return object != nullptr && object->Class() != nullptr && object->Class()->InheritsFrom(name);
}

// A ship with a pilot; anything else touching a bonus takes nothing.
ShipObject* PilotedShip(ScriptObject* toucher) {
    auto* ship = dynamic_cast<ShipObject*>(toucher);
    if (ship == nullptr || dynamic_cast<PlayerObject*>(ship->Owner()) == nullptr) return nullptr;
    return ship;
}

bool HasGrabber(const ShipObject& ship) {
    for (uint32_t i = 0; i < ship.SlotCount(kGrabberGroup); ++i) {
        const SlotObject* slot = ship.SlotAt(kGrabberGroup, static_cast<int32_t>(i));
        if (slot != nullptr && Inherits(slot->First(), "Grabber")) return true;
    }
    return false;
}

// Whether the item went where a taker put it: merged away, or held by an owner now.
bool Placed(const OptionObject& item) {
    return !item.Alive() || HeldByOwner(&item);
}

// A weapon that needs ammunition takes the item onto what it holds, or loads it when it holds none.
// An answer of 0 counts only when the item then went somewhere.
bool WeaponTakes(OptionObject& held, OptionObject& item) {
    auto* weapon = dynamic_cast<WeaponObject*>(&held);
    if (weapon == nullptr || !weapon->NeedsAmmo()) return false;
    if (AmmoObject* loaded = weapon->Ammo()) return Option::TryMerge(*loaded, &item);
    return Weapon::CallOfferAmmo(weapon, item.Address()) == 0 && Placed(item);
}

// Each offer to a weapon may run script code: an item that went meanwhile, or that a script gave to
// another owner, is offered no further.
bool AmmoTaken(ShipObject& ship, OptionObject& item) {
    for (uint32_t i = 0; i < ship.SlotCount(kWeaponGroup) && FreeToTake(&item) != nullptr; ++i) {
        const SlotObject* slot = ship.SlotAt(kWeaponGroup, static_cast<int32_t>(i));
        OptionObject* weapon = slot != nullptr ? slot->First() : nullptr;
        if (Inherits(weapon, "Weapon") && WeaponTakes(*weapon, item)) return true;
    }
    for (uint32_t i = 0; i < ship.SlotCount(kPlainGroup) && FreeToTake(&item) != nullptr; ++i) {
        const SlotObject* slot = ship.SlotAt(kPlainGroup, static_cast<int32_t>(i));
        OptionObject* held = slot != nullptr ? slot->First() : nullptr;
        if (Inherits(held, "Ammo") && Option::TryMerge(*held, &item)) return true;
        if (Inherits(held, "Weapon") && WeaponTakes(*held, item)) return true;
    }
    return false;
}

bool StoredInHold(ShipObject& ship, OptionObject& item) {
    if (FreeToTake(&item) == nullptr) return false;
    for (uint32_t i = 0; i < ship.SlotCount(kPlainGroup); ++i) {
        SlotObject* slot = ship.SlotAt(kPlainGroup, static_cast<int32_t>(i));
        if (slot == nullptr || slot->First() != nullptr) continue;
        slot->SetObject(&item);
        return true;
    }
    return false;
}

// The item the ship did not take goes back to the bonus; with the bonus gone nothing would own it.
// What a script gave to another owner meanwhile stays with that owner. Where no error may leave
// (unwinding a failed offer) the destruction is a discard.
void GiveBack(BonusObject& bonus, OptionObject& item, bool unwinding) {
    if (FreeToTake(&item) == nullptr) return;
    if (bonus.Alive()) {
        bonus.Carry(&item);
    } else if (unwinding) {
        DiscardObject(&item);
    } else {
        DestroyOwned(&item);
    }
}

void Taken(BonusObject& bonus, Processor& processor) {
    bonus.SetState(kActorGone);
    PlayNamedSound(processor, kPickUpSound);
}

}  // namespace

bool Bonus::PickUp(BonusObject& bonus, ScriptObject* toucher, bool paid) {
    ShipObject* ship = PilotedShip(toucher);
    auto* item = dynamic_cast<OptionObject*>(bonus.Item());
    if (ship == nullptr || item == nullptr || !HasGrabber(*ship)) return false;
    auto* player = dynamic_cast<PlayerObject*>(ship->Owner());
    const int64_t price = bonus.Int(kBonusPrice);
    if (paid && int64_t{player->MoneyUnits()} < price) return false;
    Processor& processor = Actor::ProcessorOf(&bonus);
    // The bonus lets go of the item while the ship takes it: the weapons' offers run script code,
    // which may delete the bonus, and what went into the ship must not go with it. A merge destroys
    // the item; a weapon or a slot takes it over.
    bonus.TakeItem();
    bool placed = false;
    try {
        placed = (Inherits(item, "Ammo") && AmmoTaken(*ship, *item)) || StoredInHold(*ship, *item);
    } catch (const DExep&) {
        GiveBack(bonus, *item, true);
        throw;
    }
    if (!placed) {
        GiveBack(bonus, *item, false);
        return false;
    }
    if (paid) player->AddMoneyTenths(-10 * price);
    if (bonus.Alive()) Taken(bonus, processor);
    return true;
}

bool Bonus::PayOut(BonusObject& bonus, ScriptObject* toucher, bool energy) {
    if (bonus.State() != kActorAlive) return false;
    ShipObject* ship = PilotedShip(toucher);
    if (ship == nullptr || !HasGrabber(*ship)) return false;
    const int64_t amount = bonus.Int(kBonusAmount);
    bonus.SetState(kActorGone);
    if (energy) {
        ship->Recharge(SaturateInt32(amount * 100));
    } else {
        dynamic_cast<PlayerObject*>(ship->Owner())->AddMoneyTenths(amount * 10);
    }
    PlayNamedSound(Actor::ProcessorOf(&bonus), kPickUpSound);
    return true;
}
