// What a ship gets from a bonus it touches: the carried item into a weapon, onto ammunition or into
// the hold; money for the pilot; energy for the ship.
#include <cstdint>

#include "foundation/saturating.h"
#include "foundation/script_memory.h"
#include "script/processor.h"
#include "script/zema_class.h"
#include "world/bonuses.h"
#include "world/option.h"
#include "world/player.h"
#include "world/ship.h"
#include "world/slot.h"

namespace {

constexpr const char* kPickUpSound = "BonusGet";
// Weapon methods: the address of the needs-ammunition word, and the loaded ammunition.
constexpr uint32_t kWeaponNeedsAmmoAddress = 27;
constexpr uint32_t kWeaponLoadedAmmo = 32;
constexpr uint32_t kOfferAmmoVirtual = 19;

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

uint32_t PopWord(Processor& processor) {
    return processor.DataStack().Pop();
}

// A weapon that needs ammunition takes the item onto what it holds, or loads it when it holds none.
bool WeaponTakes(Processor& processor, OptionObject& weapon, OptionObject& item) {
    processor.CallMethod(&weapon, weapon.Class(), kWeaponNeedsAmmoAddress);
    if (ScriptLoad32(PopWord(processor)) == 0) return false;
    processor.CallMethod(&weapon, weapon.Class(), kWeaponLoadedAmmo);
    if (OptionObject* loaded = OptionObject::FromAddress(PopWord(processor))) {
        return Option::TryMerge(*loaded, &item);
    }
    processor.DataStack().Push(item.Address());
    processor.CallVirtual(&weapon, kOfferAmmoVirtual);
    return PopWord(processor) == 0;
}

bool AmmoTaken(Processor& processor, ShipObject& ship, OptionObject& item) {
    for (uint32_t i = 0; i < ship.SlotCount(kWeaponGroup); ++i) {
        const SlotObject* slot = ship.SlotAt(kWeaponGroup, static_cast<int32_t>(i));
        OptionObject* weapon = slot != nullptr ? slot->First() : nullptr;
        if (Inherits(weapon, "Weapon") && WeaponTakes(processor, *weapon, item)) return true;
    }
    for (uint32_t i = 0; i < ship.SlotCount(kPlainGroup); ++i) {
        const SlotObject* slot = ship.SlotAt(kPlainGroup, static_cast<int32_t>(i));
        OptionObject* held = slot != nullptr ? slot->First() : nullptr;
        if (Inherits(held, "Ammo") && Option::TryMerge(*held, &item)) return true;
        if (Inherits(held, "Weapon") && WeaponTakes(processor, *held, item)) return true;
    }
    return false;
}

bool StoredInHold(ShipObject& ship, OptionObject& item) {
    for (uint32_t i = 0; i < ship.SlotCount(kPlainGroup); ++i) {
        SlotObject* slot = ship.SlotAt(kPlainGroup, static_cast<int32_t>(i));
        if (slot == nullptr || slot->First() != nullptr) continue;
        slot->SetObject(&item);
        return true;
    }
    return false;
}

void Taken(BonusObject& bonus, Processor& processor) {
    bonus.SetState(kActorGone);
    PlayCachedSound(processor, kPickUpSound);
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
    // A merge destroys the item; a weapon or a slot takes it over: either way the bonus lets go.
    const bool placed =
        (Inherits(item, "Ammo") && AmmoTaken(processor, *ship, *item)) || StoredInHold(*ship, *item);
    if (!placed) return false;
    bonus.TakeItem();
    if (paid) player->AddMoneyTenths(-10 * price);
    Taken(bonus, processor);
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
    PlayCachedSound(Actor::ProcessorOf(&bonus), kPickUpSound);
    return true;
}
