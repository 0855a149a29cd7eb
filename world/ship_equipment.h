// What the ship's own code asks of the weapons in its weapon places: whether an item is one, its
// loaded ammunition and its last shot time. The weapon kinds answer these through the numbers
// every Weapon class has, so the ship works with native and scripted weapons alike.
#pragma once

#include <cstdint>

class OptionObject;
class ScriptObject;

// A Weapon class or one derived from it.
bool IsWeapon(const ScriptObject* item);
// The weapon's loaded ammunition (Weapon method 32), null for none or for an item that is no weapon.
OptionObject* LoadedAmmunition(ScriptObject* weapon);
// Sets the weapon's last shot time to 0, so that its next trigger fires.
void ResetLastShot(OptionObject& weapon);
