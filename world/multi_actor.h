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
    ~MultiActorObject() override { ReleaseOwnedQuietly(); }
    MultiActorObject(const MultiActorObject&) = delete;
    MultiActorObject& operator=(const MultiActorObject&) = delete;

    // Appends a member, which the MultiActor then owns; a member it has already stays where it is.
    // FatalExep for the MultiActor itself, for a MultiActor that holds it already (a loop would step
    // and destroy without end), for a member whose destruction began, and once the MultiActor's own
    // destruction has begun (nothing would destroy the member).
    void Append(ActorObject& member);
    // The live members in order; members deleted elsewhere are dropped from the list.
    std::vector<ActorObject*> Members();
    // True when actor is a member, or a member of a member, and so on.
    bool Holds(const ActorObject& actor);
    // The member holding picture entry i, counting each member's entries by its drawn-entry count as
    // stored at the last entry count; within gets the index inside that member. Null when none does.
    ActorObject* MemberOfEntry(int32_t i, int32_t& within);

    static MultiActorObject& Of(ScriptObject* receiver);

  protected:
    // The members it still has go with it.
    void ReleaseOwned() override;

  private:
    friend struct MultiActor;
    std::vector<WeakObject> members_;
};

struct MultiActor {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);

    // Steps every member it had when the step began, each once, with the argument; a member that is
    // no longer alive is exploded (state 1) or told it is gone (state 2), unlinked and destroyed.
    // Without members the MultiActor's state becomes 1 when a member was destroyed in this step,
    // else 2.
    static void Step(MultiActorObject& multi, int32_t argument);
    // The sum of the members' entry counts (virtual method 7 of each, taken as a drawing takes it:
    // none for a negative answer, FatalExep beyond what a drawing takes), each stored in the
    // member's drawn-entry count.
    static uint32_t EntryCount(MultiActorObject& multi);
};
