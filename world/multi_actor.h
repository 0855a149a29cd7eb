// MultiActor: one actor made of member actors that are stepped, drawn and hit through it. Its picture
// entries are its members' entries one after the other; a member that leaves play is unlinked and
// destroyed, and when the last has gone the MultiActor goes too. Members are held weakly, so a
// member deleted elsewhere is simply no longer found.
#pragma once

#include <cstdint>
#include <vector>

#include "script/weak_object.h"
#include "world/actor.h"

struct NativeClassRow;

class MultiActorObject : public ActorObject {
  public:
    // No picture, energy 0, at rest, tables of zeros, no members.
    MultiActorObject(ZEMAClass* cls, int32_t x, int32_t y);
    // Destroys the members it still has.
    ~MultiActorObject() override;
    MultiActorObject(const MultiActorObject&) = delete;
    MultiActorObject& operator=(const MultiActorObject&) = delete;

    // Appends a member, which the MultiActor then owns. FatalExep for the MultiActor itself or for a
    // MultiActor that holds it already (a loop would step and destroy without end).
    void Append(ActorObject& member);
    // The live members in order; members deleted elsewhere are dropped from the list.
    std::vector<ActorObject*> Members();
    // True when actor is a member, or a member of a member, and so on.
    bool Holds(const ActorObject& actor);
    // The member holding picture entry i, counting each member's entries by its drawn-entry count as
    // stored at the last entry count; within gets the index inside that member. Null when none does.
    ActorObject* MemberOfEntry(int32_t i, int32_t& within);

    static MultiActorObject& Of(ScriptObject* receiver);

  private:
    friend struct MultiActor;
    std::vector<WeakObject> members_;
};

struct MultiActor {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);

    // Steps every member with the argument; a member that is no longer alive is exploded (state 1)
    // or told it is gone (state 2), unlinked and destroyed. Without members the MultiActor's state
    // becomes 1 when a member was destroyed in this step, else 2.
    static void Step(MultiActorObject& multi, int32_t argument);
    // The sum of the members' entry counts (virtual method 7 of each), each stored in the member's
    // drawn-entry count.
    static uint32_t EntryCount(MultiActorObject& multi);
};
