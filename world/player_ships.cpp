// The pilot's two ships. The actor list (object 8) owns the ships of a flight; the pilot only names
// them, and a ship names its pilot back. A ship the pilot drops leaves that list, which destroys
// it; one handed back to a script (native 29) leaves the list without being destroyed.
#include <memory>

#include "foundation/block_reader.h"
#include "foundation/exceptions.h"
#include "script/method_runner.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "script/zema_class.h"
#include "shell/game_globals.h"
#include "shell/game_ids.h"
#include "world/equipment_config.h"
#include "world/player.h"
#include "world/running_processor.h"
#include "world/slot.h"

namespace {

Processor& ProcessorOf(ScriptObject* object) {
    return RunningProcessor(object, "Player");
}

// The actor list, or null when there is none (a tool or test without a flight's lists).
ObjectManager* ActorList(ScriptObject* player) {
    return ProcessorOf(player).Objects().ListAt(kShipListId);
}

bool Holds(ObjectManager& list, const ScriptObject* object) {
    for (auto* node = list.ObjectList().Head(); node != nullptr; node = node->next) {
        if (node->item == object) return true;
    }
    return false;
}

void AppendToActors(ScriptObject* player, ScriptObject* ship) {
    ObjectManager* list = ActorList(player);
    if (list != nullptr && ship != nullptr && !Holds(*list, ship)) list->AppendObject(ship);
}

// Takes the ship out of the actor list. A ship the list held is destroyed unless kept; one it did
// not hold is not the pilot's to destroy.
void RemoveFromActors(ScriptObject* player, ScriptObject* ship, bool keep) {
    ObjectManager* list = ActorList(player);
    if (list == nullptr || ship == nullptr || !Holds(*list, ship)) return;
    list->ObjectList().Detach(ship);
    ship->DropManagerHold();
    if (!keep && ship->ManagerHolds() == 0 && !ship->BeingDestroyed()) DestroyObject(ship);
}

ShipObject* AsShip(ScriptObject* object) {
    return object != nullptr ? &ShipObject::Of(object) : nullptr;
}

void Unlink(ScriptObject* ship, const PlayerObject& player) {
    if (auto* s = dynamic_cast<ShipObject*>(ship); s != nullptr && s->Owner() == &player)
        s->SetOwner(nullptr);
}

ShipObject* ReadShipFile(Processor& processor, const String& file) {
    FD::File* archive = Game().archive.get();
    if (archive == nullptr) ThrowFatal("No archive to load the ship \"%s\" from", file.Text());
    EntryBlockReader reader(archive);
    reader.Open(file);
    ShipConfig config;
    reader >> config;
    return LoadFromConfig(processor, config);
}

// Slots ask the pilot of their ship through these.
int32_t SwitchSkillPercent(ScriptObject* ship) {
    auto* s = dynamic_cast<ShipObject*>(ship);
    auto* player = s != nullptr ? dynamic_cast<PlayerObject*>(s->Owner()) : nullptr;
    return player != nullptr ? player->SwitchPercent() : 0;
}

void ShowPilotStatus(ScriptObject* ship, const String& text, int32_t frames, int32_t priority) {
    auto* s = dynamic_cast<ShipObject*>(ship);
    if (ShipPilot* pilot = s != nullptr ? s->Pilot() : nullptr) pilot->ShowStatus(text, frames, priority);
}

}  // namespace

ScriptObject* PlayerObject::AttachShip(ScriptObject* ship) {
    ShipObject* next = AsShip(ship);
    ScriptObject* previous = Ship();
    Unlink(previous, *this);
    ship_ = WeakObject(next);
    if (next != nullptr) next->SetOwner(this);
    return previous;
}

void PlayerObject::AttachReserveShip(ScriptObject* ship) {
    ShipObject* next = AsShip(ship);
    if (ScriptObject* previous = ReserveShip(); previous != Ship()) Unlink(previous, *this);
    reserve_ = WeakObject(next);
    if (next != nullptr) next->SetOwner(this);
}

ScriptObject* PlayerObject::SetShip(ScriptObject* ship, uint32_t flag) {
    ShipObject* next = AsShip(ship);
    ScriptObject* previous = Ship();
    ScriptObject* previousReserve = ReserveShip();
    AttachShip(next);
    ScriptObject* dropped = previous;
    if ((flag & 1) != 0) {
        reserve_ = WeakObject(previous);
        if (previous != nullptr && previous != next) ShipObject::Of(previous).SetOwner(this);
        dropped = previousReserve;
    }
    if (dropped != nullptr && dropped != next && dropped != ReserveShip()) {
        Unlink(dropped, *this);
        RemoveFromActors(this, dropped, false);
    }
    // Dropping ran script destructors, and so does working out the energy: ask again whether the
    // new ship lives.
    next = dynamic_cast<ShipObject*>(Ship());
    if (next != nullptr) next->RecomputeEnergy();
    if (next == nullptr || !next->Alive()) return nullptr;
    AppendToActors(this, next);
    return next;
}

ScriptObject* PlayerObject::LoadShip(const String& file, uint32_t flag) {
    // Until the actor list holds it, the ship is this load's.
    std::unique_ptr<ShipObject, ObjectDiscarder> loaded(ReadShipFile(ProcessorOf(this), file));
    ScriptObject* ship = SetShip(loaded.get(), flag);
    loaded.release();
    return ship;
}

ScriptObject* PlayerObject::LoadReserveShip(const String& file) {
    ShipObject* ship = ReadShipFile(ProcessorOf(this), file);
    AppendToActors(this, ship);
    ScriptObject* previous = ReserveShip();
    AttachReserveShip(ship);
    if (previous != nullptr && previous != ship && previous != Ship())
        RemoveFromActors(this, previous, false);
    return ReserveShip();
}

ScriptObject* PlayerObject::ReplaceShip(ScriptObject* ship) {
    ShipObject* next = AsShip(ship);
    AppendToActors(this, next);
    ScriptObject* previous = AttachShip(next);
    // The script gets the previous ship back, so the list lets it go without destroying it.
    if (previous != next) RemoveFromActors(this, previous, true);
    return previous;
}

void Player::InstallSlotHooks() {
    SetSlotPilotHooks({SwitchSkillPercent, ShowPilotStatus});
}
