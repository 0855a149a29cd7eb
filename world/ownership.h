// Script objects that a native object owns: a bonus's item, a weapon's ammunition, what a slot, a
// hand, a pilot's stock or a supply queue holds. An object has one owner at a time. Each owner marks
// an item when it takes it and clears its own mark when it lets go; the mark is kept on the host side
// of the item, out of script reach. Native code about to take an item that a script named (an offer's
// answer, what a failed call left) asks HeldByOwner first: what another owner holds stays there.
#pragma once

#include <cstdint>

#include "script/weak_object.h"

class Processor;
class ScriptObject;

// The kinds of owner an item can have.
enum class HolderKind : uint8_t { kNone, kSlot, kWeapon, kHand, kBonus, kPilot, kSupply };

// Who holds an item: the kind and the holding object. A hand that is no script object (the ship
// window's) leaves the object empty.
struct ItemHolder {
    HolderKind kind = HolderKind::kNone;
    WeakObject owner;
};

// For an owner taking an item: the item is marked as this owner's. Objects other than items carry no
// mark; null is left alone.
void MarkHeld(ScriptObject* item, HolderKind kind, const ScriptObject* owner);
// For an owner letting go of an item: its mark is cleared when it is this owner's.
void MarkLetGo(ScriptObject* item, HolderKind kind, const ScriptObject* owner);
// Whether an owner holds the item now: its mark names an owner that still lives and, where the owner
// keeps the item where scripts may change it (a slot's fields) or keeps a list, still has it there.
// False for null, for objects that are no items and for items whose destruction has begun.
bool HeldByOwner(const ScriptObject* item);
// The same, leaving out the owner given: what that owner may hand back as its own.
bool HeldByAnotherOwner(const ScriptObject* item, const ScriptObject* owner);

// What a taker may take of an item a script named: the item while it lives and no owner holds it,
// else null.
template <class T>
T* FreeToTake(T* item) {
    return item != nullptr && item->Alive() && !HeldByOwner(item) ? item : nullptr;
}

// An object about to be owned (carried, queued, loaded), which it may then destroy: FatalExep naming
// what takes it when the engine keeps the object or an owner holds it already. Null passes.
ScriptObject* Ownable(Processor& processor, ScriptObject* object, const char* what);
// An owner letting go of an object it owns: destroys it (every object table and list that holds it
// lets go of it too). Null, and an object whose destruction has begun, are left alone: another
// destruction is under way and finishes it.
void DestroyOwned(ScriptObject* object);
// What an offer or a failed call left behind that nobody holds goes the way DestroyOwned destroys
// it; what an owner holds stays with it.
void DestroyLeftover(ScriptObject* object);
// The unique_ptr deleter of an object on its way to an owner, where the way may fail after a script
// gave it to some other owner: what nobody holds then is discarded (DiscardObject), the rest stays.
struct LeftoverDiscarder {
    void operator()(ScriptObject* object) const noexcept;
};
