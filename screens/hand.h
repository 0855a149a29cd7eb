// What the windows that keep an item in hand (the shop and the ship window) share: the pointer that
// shows the hand, and offering what the hand holds to a weapon or to a stack of ammunition.
#pragma once

#include <cstdint>
#include <functional>

class DialogWindow;
class OptionObject;

// Sets the window's pointer from its hand: the held item's picture while an item is in hand (none,
// the window's own pointer, for an item without one), else the entry of the engine's pointer
// pictures (object 19) that the window's tool shows; the window's own pointer without them.
void ShowHandPointer(DialogWindow& window, const OptionObject* held, int32_t toolEntry);

// What puts an item into a hand (null empties it), the hand marking it as its own.
using PutInHand = std::function<void(OptionObject* item)>;

// Offers what the hand holds (held; null for nothing) to a taker. The hand lets go of it meanwhile:
// the taker's scripts may take it and then end the hand's window, whose end destroys what the hand
// holds. Then the hand takes back what the offer leaves it, unless another owner holds that; when the
// offer fails, the item offered, unless another owner holds it, and the error passes on.
//
// To the weapon's offer method: the hand takes back what the weapon refused or gave up (with nothing
// held, its loaded ammunition).
void OfferHeldToWeapon(OptionObject* held, const PutInHand& put, OptionObject& weapon);
// Onto the stack (Option::TryMerge): true when merged, the hand empty; else the hand has its item
// back.
bool MergeHeldInto(OptionObject* held, const PutInHand& put, OptionObject& stack);
