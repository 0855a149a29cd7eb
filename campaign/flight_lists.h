// The object lists of a running flight, found by their object IDs at each use: scripts run between
// any two steps of a frame and may delete an actor, or a whole list, at any of them. Members are
// therefore handed out as weak references, taken in list order.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "script/weak_object.h"

class ActorObject;
class CleanupSteps;
class ObjectManager;
class Processor;

// The nine managers a flight creates, in the order it creates them (10 is the ShotsManager, 33 the
// screen-effect list).
constexpr std::array<uint32_t, 9> kFlightListIds = {5, 7, 10, 11, 12, 30, 31, 33, 35};
constexpr uint32_t kFlightEffectListId = 33;

// The manager under the ID, or null when there is none (or something else is stored there).
ObjectManager* FlightList(Processor& processor, uint32_t id);

// The members of the list that are actors with state 0, in list order; nothing for a missing list.
void AliveActors(Processor& processor, uint32_t id, std::vector<WeakObject>& out);
// The actor behind a member, or null once it is deleted or no longer alive.
ActorObject* AliveActor(const WeakObject& member);

// Creates the nine lists under their IDs (what the IDs held before is destroyed).
void CreateFlightLists(Processor& processor);
// Empties the nine lists, destroying their objects, each list a step of the steps given (a list
// is looked up when its turn comes); the managers stay.
void EmptyFlightLists(Processor& processor, CleanupSteps& steps);

// One walk over the list: a destroyed actor explodes (virtual method 15), one that left goes
// (virtual method 14), either is retired; a retired one is taken out of the list and destroyed.
void SweepActorList(ObjectManager& manager);
// Takes the object out of the manager's list and destroys it; nothing when the list lacks it.
void RemoveFromList(ObjectManager& manager, ScriptObject* object);
