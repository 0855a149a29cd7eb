#include "world/equipment_config.h"

#include <cstring>
#include <memory>

#include "foundation/block_reader.h"
#include "foundation/byte_order.h"
#include "foundation/container_writer.h"
#include "foundation/exceptions.h"
#include "foundation/fw.h"
#include "script/cleanup_steps.h"
#include "script/d_stack.h"
#include "script/method_runner.h"
#include "script/processor.h"
#include "script/zema_class.h"
#include "world/option.h"
#include "world/ownership.h"
#include "world/ship.h"
#include "world/slot.h"
#include "world/weapon.h"

namespace {

// The groups whose first items follow the weapon places, by slot kind code.
constexpr int32_t kOtherPlaces[] = {kSlotEnergy, kSlotEngine, kSlotProtection, kSlotGrabber, kSlotHold};

bool Inherits(const ScriptObject* object, const char* base) {
    return object != nullptr && object->Class() != nullptr && object->Class()->InheritsFrom(base);
}

std::string_view ClassNameOf(const ScriptObject& object) {
    return object.Class() != nullptr ? object.Class()->ClassName().View() : std::string_view();
}

// A half-built ship or item goes the way scripts delete objects.
template <class T>
using Building = std::unique_ptr<T, ObjectDiscarder>;

// A class that inherits from "Weapon" without a native weapon behind it has nothing loaded.
ScriptObject* LoadedAmmo(ScriptObject* weapon) {
    auto* native = dynamic_cast<WeaponObject*>(weapon);
    return native != nullptr ? native->Ammo() : nullptr;
}

// The record of an item with what its save method kept; false, and nothing recorded, when the save
// destroyed the item: it is gone from the ship.
bool AddItemRecord(SlotBlockList& children, int32_t kind, int32_t enabled, uint32_t index,
                   ScriptObject& item) {
    auto record = std::make_unique<SsltBlock>(kind, enabled, index, ClassNameOf(item));
    const std::vector<uint32_t> words = SaveObjectState(&item);
    if (!item.Alive()) return false;
    if (!words.empty()) record->SetState(std::make_unique<SslcBlock>(words));
    children.Items().push_back(std::move(record));
    return true;
}

// A new item of the record's class, checked to be an item before anything of it is used.
OptionObject* NewItem(Processor& processor, const SsltBlock& record) {
    CheckBlockClass(processor, record.ClassName(), "Option", record.Source());
    ScriptObject* made =
        processor.NewObjectByName(String::FromBytes(record.ClassName().data(), record.ClassName().size()));
    auto* item = dynamic_cast<OptionObject*>(made);
    if (item == nullptr) {
        DiscardObject(made);
        ThrowFatal("Class \"%s\" in \"%s\" makes no item",
                   String::FromBytes(record.ClassName().data(), record.ClassName().size()).Text(),
                   record.Source().Text());
    }
    return item;
}

std::vector<uint32_t> WordsOf(const SslcBlock* state) {
    return state != nullptr ? state->Words() : std::vector<uint32_t>();
}

// Ammunition for the weapon in the slot: offered, what the weapon hands back destroyed, and the
// saved words restored into whatever it has loaded then. The offered ammunition stays this load's
// until the weapon (or another owner a script gave it to) has it: refused, or left over by a failing
// offer, it is destroyed. An answer that another owner holds stays with it.
void LoadAmmo(Processor& processor, ScriptObject* weapon, const SsltBlock& record) {
    std::unique_ptr<OptionObject, LeftoverDiscarder> offered(NewItem(processor, record));
    const uint32_t answer = Weapon::CallOfferAmmo(weapon, offered->Address());
    ScriptObject* loaded = weapon->Alive() ? LoadedAmmo(weapon) : nullptr;
    OptionObject* ammo = offered.release();
    ScriptObject* handedBack = OptionObject::FromAddress(answer);
    CleanupSteps steps(processor);
    if (ammo != loaded) steps.Run([ammo] { DestroyLeftover(ammo); });
    if (handedBack != ammo && handedBack != loaded) steps.Run([handedBack] { DestroyLeftover(handedBack); });
    steps.Finish();
    if (weapon->Alive() && (loaded = LoadedAmmo(weapon)) != nullptr)
        RestoreObjectState(loaded, WordsOf(record.State()));
}

void PlaceItem(Processor& processor, SlotObject& slot, SlotPlace place, const SsltBlock& record) {
    const bool first = place == SlotPlace::kFirst;
    if (first) {
        slot.SetFirstEnabled(0);
    } else {
        slot.SetSecondEnabled(0);
    }
    Building<OptionObject> item(NewItem(processor, record));
    OptionObject* old = first ? slot.SetObject(item.get()) : slot.SetObjectB(item.get());
    item.release();  // the slot holds it
    DestroyOwned(old);
    OptionObject* placed = slot.Item(place);
    if (placed != nullptr) RestoreObjectState(placed, WordsOf(record.State()));
    const auto enabled = static_cast<int32_t>(record.Enabled());
    if (first) {
        slot.SetFirstEnabled(enabled);
        if (enabled == 0) slot.SetFirstState(0);
    } else {
        slot.SetSecondEnabled(enabled);
        if (enabled == 0) slot.SetSecondState(0);
    }
}

void LoadItem(Processor& processor, ShipObject& ship, const SsltBlock& record) {
    if (!record.KnownKind()) return;
    const bool guide = static_cast<int32_t>(record.Kind()) == kSlotGuide;
    const uint32_t group = guide ? kWeaponGroup : GroupOfSlotKind(record.Kind());
    if (group >= kShipGroups) return;
    CheckSlotIndex(record.Index(), ship.SlotCount(group), record.Source());
    SlotObject* slot = ship.SlotAt(group, static_cast<int32_t>(record.Index()));
    if (slot == nullptr) return;
    if (!guide && static_cast<int32_t>(record.Kind()) == kSlotWeapon) {
        CheckBlockClass(processor, record.ClassName(), "Option", record.Source());
        ZEMAClass* cls =
            processor.ClassByName(String::FromBytes(record.ClassName().data(), record.ClassName().size()));
        if (cls != nullptr && cls->InheritsFrom("Ammo") && Inherits(slot->First(), "Weapon")) {
            LoadAmmo(processor, slot->First(), record);
            return;
        }
    }
    PlaceItem(processor, *slot, guide ? SlotPlace::kSecond : SlotPlace::kFirst, record);
}

}  // namespace

// --- the block ---

ShipConfig::ShipConfig() : DataBlock(kScfgHeaderSize, true) {
    SetSignature("SCFG");
}

std::string_view ShipConfig::ClassName() const {
    if (Payload() == nullptr) return {};
    const auto* text = reinterpret_cast<const char*>(Payload());
    return {text, strnlen(text, PayloadSize())};
}

void ShipConfig::SetClassName(std::string_view name) {
    PayloadPtr payload = NewPayload(name.size() + 1);
    std::memcpy(payload.get(), name.data(), name.size());
    SetPayloadSize(static_cast<uint32_t>(name.size() + 1));
    SetPayload(std::move(payload));
}

uint32_t ShipConfig::SelectedDirection() const {
    return LoadU32(Header() + 10);
}

void ShipConfig::SetSelectedDirection(uint32_t index) {
    StoreU32(Header() + 10, index);
}

void ShipConfig::ReadChunk(BlockReader& reader, const uint8_t* signature) {
    source_ = reader.Name();
    slots_.TakeChunk(reader, signature);
}

void ShipConfig::AfterRead(BlockReader& reader) {
    source_ = reader.Name();
    const uint32_t size = Payload() != nullptr ? PayloadSize() : 0;
    if (size < 2 || std::memchr(Payload(), 0, size) == nullptr || Payload()[0] == 0)
        ThrowFatal("Ship configuration without a class name in \"%s\"", source_.Text());
}

uint32_t ShipConfig::ChunkSize() const {
    if (slots_.Count() == 0) return DataBlock::ChunkSize();
    return ContainerStoredSize(*this, slots_.StoredSize());
}

void ShipConfig::Store(FW& fw) const {
    if (slots_.Count() == 0) {
        fw << *this;
        return;
    }
    WriteContainerHead(fw, *this, slots_.Count(), slots_.StoredSize());
    slots_.Store(fw);
}

// --- saving and loading a ship ---

std::vector<uint32_t> SaveObjectState(ScriptObject* object) {
    MethodRunner& runner = RunnerOf(object);
    runner.CallVirtual(object, kSaveStateVirtual);
    DStack<uint32_t>& stack = runner.DataStack();
    const uint32_t count = stack.Pop();
    // Checked before anything is sized by it.
    if (count > stack.Depth()) ThrowDStackUnderflow();
    std::vector<uint32_t> words(count);
    for (uint32_t i = count; i > 0; --i) words[i - 1] = stack.Pop();
    return words;
}

void RestoreObjectState(ScriptObject* object, const std::vector<uint32_t>& words) {
    if (words.empty()) return;
    MethodRunner& runner = RunnerOf(object);
    DStack<uint32_t>& stack = runner.DataStack();
    if (uint64_t{stack.Depth()} + words.size() >= static_cast<uint64_t>(stack.Capacity()))
        ThrowDStackOverflow();
    for (uint32_t word : words) stack.Push(word);
    runner.CallVirtual(object, kRestoreStateVirtual);
}

void SaveToConfig(ShipObject& ship, ShipConfig& config) {
    SlotBlockList& children = config.Slots();
    children.Clear();
    config.SetClassName(ClassNameOf(ship));
    const SlotObject* first = ship.SlotAt(kWeaponGroup, 0);
    config.SetSelectedDirection(first != nullptr ? first->SelectedIndex() : 0);

    const std::vector<uint32_t> shipWords = SaveObjectState(&ship);
    if (!shipWords.empty()) children.SetShipState(std::make_unique<SslcBlock>(shipWords));

    // Each save runs script code: slots and items are looked up again for every record, and a ship
    // that went meanwhile (its slots and items with it) is no ship to store.
    const uint32_t weapons = ship.SlotCount(kWeaponGroup);
    for (uint32_t i = 0; i < weapons; ++i) {
        SlotObject* slot = ship.SlotAt(kWeaponGroup, static_cast<int32_t>(i));
        OptionObject* item = slot != nullptr ? slot->First() : nullptr;
        if (item == nullptr) continue;
        if (!AddItemRecord(children, kSlotWeapon, slot->FirstEnabled() ? 1 : 0, i, *item)) continue;
        if (!Inherits(item, "Weapon")) continue;
        if (ScriptObject* ammo = LoadedAmmo(item)) AddItemRecord(children, kSlotWeapon, 0, i, *ammo);
    }
    for (uint32_t i = 0; i < weapons; ++i) {
        SlotObject* slot = ship.SlotAt(kWeaponGroup, static_cast<int32_t>(i));
        if (slot == nullptr) continue;
        if (slot->Customised()) {
            uint8_t records[kDirectionsBytes];
            slot->StoreDirections(records);
            children.Directions().push_back(std::make_unique<SsldBlock>(i, records));
        }
        if (OptionObject* guide = slot->Second())
            AddItemRecord(children, kSlotGuide, slot->SecondEnabled() ? 1 : 0, i, *guide);
    }
    for (int32_t kind : kOtherPlaces) {
        const uint32_t group = GroupOfSlotKind(static_cast<uint32_t>(kind));
        if (group >= kShipGroups) continue;
        const uint32_t count = ship.SlotCount(group);
        for (uint32_t i = 0; i < count; ++i) {
            SlotObject* slot = ship.SlotAt(group, static_cast<int32_t>(i));
            OptionObject* item = slot != nullptr ? slot->First() : nullptr;
            if (item != nullptr) AddItemRecord(children, kind, slot->FirstEnabled() ? 1 : 0, i, *item);
        }
    }
    ship.CheckAlive("ship");
}

ShipObject* LoadFromConfig(Processor& processor, const ShipConfig& config) {
    const std::string_view name = config.ClassName();
    CheckBlockClass(processor, name, "Ship", config.Source());
    ScriptObject* made = processor.NewObjectByName(String::FromBytes(name.data(), name.size()));
    auto* created = dynamic_cast<ShipObject*>(made);
    if (created == nullptr) {
        DiscardObject(made);
        ThrowFatal("Class \"%s\" in \"%s\" makes no ship", String::FromBytes(name.data(), name.size()).Text(),
                   config.Source().Text());
    }
    Building<ShipObject> ship(created);
    // Restoring runs script code, which may delete the ship: what is gone is no ship to hand back.
    RestoreObjectState(ship.get(), WordsOf(config.Slots().ShipState()));
    ship->CheckAlive("ship");

    for (const std::unique_ptr<SsltBlock>& record : config.Slots().Items()) {
        LoadItem(processor, *ship, *record);
        ship->CheckAlive("ship");
    }
    for (const std::unique_ptr<SsldBlock>& directions : config.Slots().Directions()) {
        CheckSlotIndex(directions->Index(), ship->SlotCount(kWeaponGroup), directions->Source());
        SlotObject* slot = ship->SlotAt(kWeaponGroup, static_cast<int32_t>(directions->Index()));
        if (slot == nullptr) continue;
        slot->LoadDirections(directions->Records());
        slot->SetCustomised(true);
    }
    // A stored index beyond the nine records still names one of them, never a step request.
    ship->SelectDirections(static_cast<int32_t>(config.SelectedDirection() % kSlotDirections), false);
    ship->Recharge(0);
    ship->CheckAlive("ship");
    return ship.release();
}
