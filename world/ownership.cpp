#include "world/ownership.h"

#include <algorithm>
#include <vector>

#include "foundation/exceptions.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "world/bonuses.h"
#include "world/option.h"
#include "world/player.h"
#include "world/slot.h"
#include "world/weapon.h"

namespace {

// Owners that keep the item where scripts can change it, or in a list, are asked whether they still
// have it. A hand and a supply queue keep theirs host-side only and clear the mark as they let go.
bool OwnerStillHolds(const ItemHolder& holder, const OptionObject* item) {
    ScriptObject* owner = holder.owner.Get();
    switch (holder.kind) {
        case HolderKind::kNone:
            return false;
        case HolderKind::kSlot: {
            // Scripts write a slot's item fields: only an item the slot still shows is its own.
            const auto* slot = dynamic_cast<const SlotObject*>(owner);
            return slot != nullptr && (slot->First() == item || slot->Second() == item);
        }
        case HolderKind::kWeapon: {
            const auto* weapon = dynamic_cast<const WeaponObject*>(owner);
            return weapon != nullptr && weapon->Ammo() == item;
        }
        case HolderKind::kBonus: {
            const auto* bonus = dynamic_cast<const BonusObject*>(owner);
            return bonus != nullptr && bonus->Item() == item;
        }
        case HolderKind::kPilot: {
            const auto* pilot = dynamic_cast<const PlayerObject*>(owner);
            if (pilot == nullptr) return false;
            const std::vector<ScriptObject*> items = pilot->Items();
            return std::find(items.begin(), items.end(), item) != items.end();
        }
        case HolderKind::kHand:
            return holder.owner.Empty() || owner != nullptr;
        case HolderKind::kSupply:
            return owner != nullptr;
    }
    return false;
}

}  // namespace

void MarkHeld(ScriptObject* item, HolderKind kind, const ScriptObject* owner) {
    if (auto* option = dynamic_cast<OptionObject*>(item)) option->SetHolder({kind, WeakObject(owner)});
}

void MarkLetGo(ScriptObject* item, HolderKind kind, const ScriptObject* owner) {
    auto* option = dynamic_cast<OptionObject*>(item);
    if (option == nullptr) return;
    const ItemHolder& holder = option->Holder();
    if (holder.kind == kind && holder.owner == WeakObject(owner)) option->SetHolder({});
}

bool HeldByOwner(const ScriptObject* item) {
    const auto* option = dynamic_cast<const OptionObject*>(item);
    return option != nullptr && option->Alive() && OwnerStillHolds(option->Holder(), option);
}

bool HeldByAnotherOwner(const ScriptObject* item, const ScriptObject* owner) {
    const auto* option = dynamic_cast<const OptionObject*>(item);
    return HeldByOwner(item) && !(option->Holder().owner == WeakObject(owner));
}

ScriptObject* Ownable(Processor& processor, ScriptObject* object, const char* what) {
    if (object != nullptr && processor.Objects().BelongsToEngine(object)) {
        ThrowFatal("%s cannot take an object the engine keeps", what);
    }
    if (HeldByOwner(object)) ThrowFatal("%s cannot take an item that an owner holds already", what);
    return object;
}

void DestroyOwned(ScriptObject* object) {
    if (object == nullptr || !object->Alive()) return;
    DestroyObject(object);
}

void DestroyLeftover(ScriptObject* object) {
    if (HeldByOwner(object)) return;
    DestroyOwned(object);
}

void LeftoverDiscarder::operator()(ScriptObject* object) const noexcept {
    if (!HeldByOwner(object)) DiscardObject(object);
}
