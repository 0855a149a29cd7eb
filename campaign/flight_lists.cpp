#include "campaign/flight_lists.h"

#include "foundation/list.h"
#include "script/cleanup_steps.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "world/actor.h"
#include "world/shots_manager.h"

namespace {

constexpr uint32_t kShotListId = 10;
// The lists scripts make are owning ObjectManagers, as the flight's are.
constexpr uint32_t kSecondaryList = 1;

void Snapshot(ObjectManager& manager, std::vector<WeakObject>& out) {
    List<ScriptObject>& list = manager.ObjectList();
    for (const auto* node = list.Head(); node != nullptr; node = node->next) {
        if (node->item != nullptr) out.emplace_back(node->item);
    }
}

}  // namespace

ObjectManager* FlightList(Processor& processor, uint32_t id) {
    return processor.Objects().ListAt(id);
}

ActorObject* AliveActor(const WeakObject& member) {
    auto* actor = member.As<ActorObject>();
    return actor != nullptr && actor->State() == kActorAlive ? actor : nullptr;
}

void AliveActors(Processor& processor, uint32_t id, std::vector<WeakObject>& out) {
    out.clear();
    ObjectManager* manager = FlightList(processor, id);
    if (manager == nullptr) return;
    List<ScriptObject>& list = manager->ObjectList();
    for (const auto* node = list.Head(); node != nullptr; node = node->next) {
        auto* actor = dynamic_cast<ActorObject*>(node->item);
        if (actor != nullptr && actor->State() == kActorAlive) out.emplace_back(actor);
    }
}

void CreateFlightLists(Processor& processor) {
    for (uint32_t id : kFlightListIds) {
        ObjectManager* list =
            id == kShotListId ? new ShotsManager(&processor) : new ObjectManager(&processor, kSecondaryList);
        processor.Objects().SetObject(list, id);
    }
}

void EmptyFlightLists(Processor& processor, CleanupSteps& steps) {
    for (uint32_t id : kFlightListIds) {
        steps.Run([&processor, id] {
            if (ObjectManager* list = FlightList(processor, id)) list->ClearList();
        });
    }
}

void RemoveFromList(ObjectManager& manager, ScriptObject* object) {
    List<ScriptObject>& list = manager.ObjectList();
    for (ScriptObject* item = list.First(); item != nullptr; item = list.Next()) {
        if (item == object) {
            manager.RemoveCurrent(false);
            return;
        }
    }
}

void SweepActorList(ObjectManager& manager) {
    std::vector<WeakObject> members;
    Snapshot(manager, members);
    const WeakObject self(&manager);
    for (const WeakObject& member : members) {
        // The explode and gone methods run scripts, which may delete the list itself.
        auto* list = self.As<ObjectManager>();
        if (list == nullptr) return;
        auto* actor = member.As<ActorObject>();
        if (actor == nullptr) continue;
        const int32_t state = actor->State();
        if (state == kActorRetired) {
            RemoveFromList(*list, actor);
            continue;
        }
        if (state != kActorDestroyed && state != kActorGone) continue;
        Actor::ProcessorOf(actor).CallVirtual(actor,
                                              state == kActorDestroyed ? kExplodeVirtual : kGoneVirtual);
        if (auto* still = member.As<ActorObject>()) still->SetState(kActorRetired);
    }
}
