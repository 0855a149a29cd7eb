#include "campaign/flight_collisions.h"

#include <algorithm>
#include <vector>

#include "campaign/flight_lists.h"
#include "script/processor.h"
#include "shell/game_ids.h"
#include "world/collision_sweep.h"
#include "world/player.h"
#include "world/ship.h"
#include "world/shots.h"

namespace {

// Alive actors of a list, as plain pointers for the sweep (which keeps its own weak references).
std::vector<ActorObject*> AliveGroup(Processor& processor, uint32_t id) {
    std::vector<WeakObject> members;
    AliveActors(processor, id, members);
    std::vector<ActorObject*> group;
    group.reserve(members.size());
    for (const WeakObject& member : members) group.push_back(member.As<ActorObject>());
    return group;
}

// Tests every alive member of the group whose box meets target's against it (member first), in
// the group's order, while target stays alive. stopWhenHit: after a hit that destroyed target, the
// member is handed to onKill and the walk ends.
template <class OnKill>
void TestGroupAgainst(const CollisionSweep& group, const WeakObject& target, OnKill onKill) {
    ActorObject* actor = AliveActor(target);
    if (actor == nullptr) return;
    std::vector<uint32_t> candidates;
    group.Candidates(BoundsOf(*actor), candidates);
    for (uint32_t index : candidates) {
        actor = AliveActor(target);
        if (actor == nullptr) return;
        ActorObject* member = group.At(index);
        if (member == nullptr || member->State() != kActorAlive) continue;
        const WeakObject hitter(member);
        Actor::TestCollision(*member, *actor);
        ActorObject* after = target.As<ActorObject>();
        if (after != nullptr && after->State() == kActorDestroyed) {
            onKill(hitter, *after);
            return;
        }
    }
}

void NoCredit(const WeakObject&, ActorObject&) {}

// The shot's player gains the destroyed actor's maximum energy as experience.
void CreditShot(const WeakObject& shotRef, ActorObject& destroyed) {
    auto* shot = shotRef.As<ShotObject>();
    if (shot == nullptr) return;
    PlayerObject* owner = PlayerObject::AtAddress(shot->Own(kShotTag));
    if (owner == nullptr) return;
    owner->AddExperience(std::max(destroyed.Int(kActorMaxEnergy), 0));
}

std::vector<WeakObject> Members(const std::vector<ActorObject*>& group) {
    std::vector<WeakObject> out;
    out.reserve(group.size());
    for (ActorObject* actor : group) out.emplace_back(actor);
    return out;
}

}  // namespace

void CollideFlight(Processor& processor, bool leaving) {
    const std::vector<ActorObject*> actors = AliveGroup(processor, kFlightActorListId);
    const std::vector<ActorObject*> ships = AliveGroup(processor, kShipListId);
    const std::vector<ActorObject*> list35 = AliveGroup(processor, kFlightList35Id);
    const CollisionSweep shotSweep(AliveGroup(processor, kShotsManagerId));
    const CollisionSweep shipSweep(ships);
    const CollisionSweep sweep35(list35);

    for (const WeakObject& target : Members(actors)) {
        TestGroupAgainst(shotSweep, target, CreditShot);
        if (!leaving) TestGroupAgainst(shipSweep, target, NoCredit);
        TestGroupAgainst(sweep35, target, NoCredit);
    }
    if (!leaving) {
        for (const WeakObject& target : Members(AliveGroup(processor, kFlightList31Id)))
            TestGroupAgainst(shipSweep, target, NoCredit);
    }
    for (const WeakObject& target : Members(AliveGroup(processor, kBonusListId)))
        TestGroupAgainst(shipSweep, target, NoCredit);
    if (leaving) return;
    const CollisionSweep sweep11(AliveGroup(processor, kFlightList11Id));
    for (const WeakObject& target : Members(AliveGroup(processor, kShipListId)))
        TestGroupAgainst(sweep11, target, NoCredit);
    for (const WeakObject& target : Members(AliveGroup(processor, kFlightList35Id)))
        TestGroupAgainst(sweep11, target, NoCredit);
}
