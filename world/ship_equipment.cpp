#include "world/ship_equipment.h"

#include "script/processor.h"
#include "script/zema_class.h"
#include "world/actor.h"
#include "world/option.h"

namespace {

// Weapon method that pushes the loaded ammunition, and the weapon's first own field.
constexpr uint32_t kWeaponAmmunitionMethod = 32;
constexpr uint32_t kWeaponLastShotField = kOptionFieldCount;

}  // namespace

bool IsWeapon(const ScriptObject* item) {
    return item != nullptr && item->Class() != nullptr && item->Class()->InheritsFrom("Weapon");
}

OptionObject* LoadedAmmunition(ScriptObject* weapon) {
    if (!IsWeapon(weapon)) return nullptr;
    Processor& processor = Actor::ProcessorOf(weapon);
    processor.CallMethod(weapon, weapon->Class(), kWeaponAmmunitionMethod);
    return OptionObject::FromAddress(processor.DataStack().Pop());
}

void ResetLastShot(OptionObject& weapon) {
    if (IsWeapon(&weapon) && weapon.OwnCount() > kWeaponLastShotField) weapon.Own(kWeaponLastShotField) = 0;
}
