// The ship object, its slot groups, its collision and picture, and the natives scripts call.
#include "world/ship.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "foundation/exceptions.h"
#include "foundation/saturating.h"
#include "graphics/frame.h"
#include "graphics/image.h"
#include "script/class_manager.h"
#include "script/cleanup_steps.h"
#include "script/field_natives.h"
#include "script/native_args.h"
#include "script/native_binder.h"
#include "script/processor.h"
#include "script/receiver_of.h"
#include "script/zema_class.h"
#include "shell/input_device.h"
#include "ui/visual.h"
#include "world/level.h"
#include "world/ownership.h"
#include "world/slot.h"
#include "world/world_sound.h"

namespace {

constexpr uint32_t kGroupSlotKinds[kShipGroups] = {
    static_cast<uint32_t>(kSlotWeapon),  static_cast<uint32_t>(kSlotEnergy),
    static_cast<uint32_t>(kSlotEngine),  static_cast<uint32_t>(kSlotProtection),
    static_cast<uint32_t>(kSlotGrabber), static_cast<uint32_t>(kSlotHold)};

constexpr const char* kExplosionSound = "ShipExplosion";

// The counts come from the creation values of the ship's class: an error names the class library
// that holds it, when it came from one.
void CheckSlotCounts(const ShipLayout& layout, const ZEMAClass* cls) {
    for (uint32_t group = 0; group < kShipGroups; ++group) {
        const int32_t count = layout.slotCounts[group];
        if (count >= 0 && count <= ShipObject::kMaxSlotsPerGroup) continue;
        const ZEMAClass* loaded = cls;
        while (loaded != nullptr && loaded->LibraryName().Empty()) loaded = loaded->BaseClass();
        if (loaded == nullptr) ThrowFatal("Wrong slot count %d for ship group %u", count, group);
        ThrowFatal("Wrong slot count %d for ship group %u in \"%s\"", count, group,
                   loaded->LibraryName().Text());
    }
}

// Every slot is taken out of its group before any is destroyed: a destructor script that looks at
// the ship finds no slots. Each slot is one step: one failing does not keep the others alive.
void DestroySlots(std::array<std::vector<WeakObject>, kShipGroups>& groups, CleanupSteps& steps) {
    std::vector<WeakObject> slots;
    for (auto& group : groups) {
        slots.insert(slots.end(), group.begin(), group.end());
        group.clear();
    }
    for (const WeakObject& slot : slots) steps.Run([&slot] { DestroyOwned(slot.Get()); });
}

// The picture entry the sideways speed shows: straight, slight and hard turns either way.
int32_t EntryForSpeed(int32_t speedX) {
    if (speedX > 1000) return 3;
    if (speedX > 200) return 1;
    if (speedX < -1000) return 4;
    if (speedX < -200) return 2;
    return 0;
}

}  // namespace

uint32_t SlotKindOfGroup(uint32_t group) {
    return group < kShipGroups ? kGroupSlotKinds[group] : UINT32_MAX;
}

uint32_t GroupOfSlotKind(uint32_t kind) {
    for (uint32_t group = 0; group < kShipGroups; ++group) {
        if (kGroupSlotKinds[group] == kind) return group;
    }
    return kShipGroups;
}

ShipSlotWindow& ShipSlotWindowHook() {
    static ShipSlotWindow hook;
    return hook;
}

// --- the object ---

ShipObject::ShipObject(ZEMAClass* cls, uint32_t picture, uint32_t damageTable, uint32_t protectionTable,
                       const ShipLayout& layout, uint32_t extraFields)
    : ActorObject(cls, picture, 0, 0, 0, 0, 0, damageTable, protectionTable,
                  uint32_t{kShipFieldCount} - kActorFieldCount + extraFields) {
    CheckSlotCounts(layout, cls);
    SetInt(kShipGrace, kShipGraceFrames);
    SetInt(kShipValueA, layout.valueA);
    SetInt(kShipValueB, layout.valueB);
    SetInt(kShipValueC, layout.valueC);
    SetInt(kShipMass, layout.mass);
    SetInt(kShipBaseConsumption, layout.baseConsumption);
    // The armour table holds the protection table's copy already (checked when it was read).
    for (uint32_t k = 0; k < kDamageKinds; ++k) Own(kShipProtection + k) = Own(kActorArmour + k);
    try {
        ZEMAClass* slotClass = Actor::ProcessorOf(this).Classes().Get(String("Slot"));
        for (uint32_t group = 0; group < kShipGroups; ++group) {
            const auto count = static_cast<uint32_t>(layout.slotCounts[group]);
            groups_[group].reserve(count);
            for (uint32_t i = 0; i < count; ++i) {
                auto slot = std::make_unique<SlotObject>(slotClass, this, 0, 0,
                                                         static_cast<int32_t>(kGroupSlotKinds[group]));
                groups_[group].emplace_back(slot.get());
                slot.release();
            }
        }
    } catch (...) {
        CleanupSteps steps(this, CleanupSteps::FirstError::kLog);
        DestroySlots(groups_, steps);
        throw;
    }
    SetInt(kActorExplosionMode, kDefaultExplosionMode);
}

void ShipObject::ReleaseOwned() {
    CleanupSteps steps(this);
    DestroySlots(groups_, steps);
    steps.Finish();
    ActorObject::ReleaseOwned();
}

SlotObject* ShipObject::SlotAt(uint32_t group, int32_t index) const {
    if (group >= kShipGroups || index < 0 || static_cast<uint32_t>(index) >= groups_[group].size())
        return nullptr;
    return groups_[group][static_cast<uint32_t>(index)].As<SlotObject>();
}

uint32_t ShipObject::SlotCount(uint32_t group) const {
    return group < kShipGroups ? static_cast<uint32_t>(groups_[group].size()) : 0;
}

void ShipObject::SelectDirections(int32_t request, bool announce) {
    SlotObject* first = SlotAt(kWeaponGroup, 0);
    if (first == nullptr) return;
    first->SelectDirection(request, announce);
    const auto index = static_cast<int32_t>(first->SelectedIndex());
    for (uint32_t i = 1; i < SlotCount(kWeaponGroup); ++i) {
        if (SlotObject* slot = SlotAt(kWeaponGroup, static_cast<int32_t>(i)))
            slot->SelectDirection(index, announce);
    }
}

ShipObject& ShipObject::Of(ScriptObject* receiver) {
    return ReceiverOf<ShipObject>(receiver, "Ship object expected");
}

ShipObject* ShipObject::Find(uint32_t address) {
    return WeakObject::AtAddress(address).As<ShipObject>();
}

// --- collision and picture ---

void Ship::Collide(ShipObject& ship, uint32_t attackTable, ScriptObject* other, int32_t entry) {
    if (ship.Grace() != 0 || PublishedFlight().hiddenMode) return;
    // Asking for the protection table may run script code, which may delete either ship.
    const WeakObject pusherRef(other);
    uint32_t attack[kDamageKinds];
    std::memcpy(attack, ScriptPointer<uint32_t>(attackTable, sizeof(attack)), sizeof(attack));
    const uint32_t protectionTable = Actor::CallEvent17(&ship, entry);
    if (!ship.Alive()) return;
    uint32_t protection[kDamageKinds];
    std::memcpy(protection, ScriptPointer<uint32_t>(protectionTable, sizeof(protection)), sizeof(protection));
    const uint32_t damage = Actor::Damage(attack, protection);
    if (damage > 0) {
        DrainEnergy(ship, SaturateInt32(int64_t{damage} * 100));
        if (ship.Balance() < 1) ship.SetState(kActorDestroyed);
    }
    // Something that is no actor, or is gone by now, gives no push.
    auto* pusher = pusherRef.As<ActorObject>();
    if (pusher == nullptr) return;
    const int64_t ownX = ship.SpeedX();
    const int64_t ownY = ship.SpeedY();
    const int64_t theirX = pusher->SpeedX();
    const int64_t theirY = pusher->SpeedY();
    const bool addX = ownX * theirX < 1 || std::abs(theirX) > std::abs(ownX);
    const bool subtractY = ownY * theirY > 0 && std::abs(theirY) <= std::abs(ownY);
    ship.SetInt(kActorSpeedX, SaturateInt32(addX ? ownX + theirX : ownX - theirX));
    ship.SetInt(kActorSpeedY, SaturateInt32(subtractY ? ownY - theirY : ownY + theirY));
}

uint32_t Ship::LoadImage(ShipObject& ship, uint32_t& orientation) {
    orientation = 0;
    Image* picture = nullptr;
    try {
        picture = ship.Picture();
    } catch (const FatalExep&) {
        picture = nullptr;
    }
    const int32_t entryIndex = EntryForSpeed(ship.SpeedX());
    if (picture == nullptr || static_cast<uint32_t>(entryIndex) >= picture->SubImageCount())
        ThrowFatal("Wrong ship image.");
    Image* entry = picture->EntryAt(entryIndex);
    const int64_t count = entry != nullptr ? entry->FrameCount() : 0;
    if (ship.Int(kVisualPhase) >= count * 100) ship.SetInt(kVisualPhase, 0);
    const int32_t frame = ship.Int(kVisualPhase) / 100;
    if (frame < 0 || frame >= count) ThrowFatal("Wrong ship image.");
    return entry->GetFrame(frame)->Address();
}

// --- natives ---

namespace {

void Create(ScriptObject* receiver) {
    NativeArgs args(receiver);
    ZEMAClass* cls = args.Class("Ship");
    const uint32_t picture = args.Word();
    const uint32_t damage = args.Word();
    const uint32_t protection = args.Word();
    ShipLayout layout;
    for (uint32_t group = kShipGroups; group-- > 0;) layout.slotCounts[group] = args.Int();
    layout.valueA = args.Int();
    layout.valueB = args.Int();
    layout.valueC = args.Int();
    layout.mass = args.Int();
    layout.baseConsumption = args.Int();
    PushNewObject(RunnerOf(receiver), std::make_unique<ShipObject>(cls, picture, damage, protection, layout));
}

template <uint32_t Group>
void SlotOfGroup(ScriptObject* receiver) {
    NativeArgs args(receiver);
    const int32_t index = args.Int();
    SlotObject* slot = ShipObject::Of(receiver).SlotAt(Group, index);
    args.Stack().Push(slot != nullptr ? slot->Address() : 0);
}

void FireNative(ScriptObject* receiver) {
    NativeArgs args(receiver);
    ShipObject::Of(receiver).Fire(args.Int());
}

void StepEquipmentNative(ScriptObject* receiver) {
    NativeArgs args(receiver);
    ShipObject::Of(receiver).StepEquipment(args.Int());
}

void OwnerNative(ScriptObject* receiver) {
    NativeArgs args(receiver);
    ScriptObject* owner = ShipObject::Of(receiver).Owner();
    args.Stack().Push(owner != nullptr ? owner->Address() : 0);
}

void DrainEnergyNative(ScriptObject* receiver) {
    NativeArgs args(receiver);
    Ship::DrainEnergy(ShipObject::Of(receiver), args.Int());
}

void RechargeNative(ScriptObject* receiver) {
    NativeArgs args(receiver);
    ShipObject::Of(receiver).Recharge(args.Int());
}

void SetGraceNative(ScriptObject* receiver) {
    NativeArgs args(receiver);
    ShipObject::Of(receiver).SetGrace(args.Int());
}

// The pilot's device when it steers by mouse, else null.
InputDevice* MouseOf(const ShipObject& ship) {
    ShipPilot* pilot = ship.Pilot();
    InputDevice* device = pilot != nullptr ? pilot->PilotInput() : nullptr;
    return device != nullptr && device->MouseEnabled() ? device : nullptr;
}

int32_t SceneScroll(ShipObject& ship) {
    LevelObject* level = LevelObject::Running(Actor::ProcessorOf(&ship).Objects());
    return level != nullptr ? level->ViewX() : 0;
}

void SetXNative(ScriptObject* receiver) {
    NativeArgs args(receiver);
    ShipObject& ship = ShipObject::Of(receiver);
    const int32_t x = args.Int();
    ship.SetInt(kVisualX, x);
    if (InputDevice* mouse = MouseOf(ship))
        mouse->SetMousePosition(SaturateInt32(int64_t{x / 100} + SceneScroll(ship)), mouse->MouseY());
}

void SetYNative(ScriptObject* receiver) {
    NativeArgs args(receiver);
    ShipObject& ship = ShipObject::Of(receiver);
    const int32_t y = args.Int();
    ship.SetInt(kVisualY, y);
    if (InputDevice* mouse = MouseOf(ship)) mouse->SetMousePosition(mouse->MouseX(), y / 100);
}

void UpdateNative(ScriptObject* receiver) {
    NativeArgs args(receiver);
    const int32_t step = args.Int();
    Ship::Update(ShipObject::Of(receiver), step);
}

void LoadImageNative(ScriptObject* receiver) {
    NativeArgs args(receiver);
    args.Int();  // the picture index: a ship draws one picture
    ShipObject& ship = ShipObject::Of(receiver);
    uint32_t orientation = 0;
    const uint32_t frame = Ship::LoadImage(ship, orientation);
    PushPictureAnswer(args.Stack(), frame, ship.Int(kVisualX), ship.Int(kVisualY), orientation);
}

void LayerNative(ScriptObject* receiver) {
    NativeArgs args(receiver);
    args.Word();
    args.Stack().Push(static_cast<uint32_t>(kShipLayer));
}

void CollideNative(ScriptObject* receiver) {
    NativeArgs args(receiver);
    const uint32_t attack = args.Word();
    ScriptObject* other = WeakObject::AtAddress(args.Word()).Get();
    const int32_t entry = args.Int();
    Ship::Collide(ShipObject::Of(receiver), attack, other, entry);
}

void ExplodeNative(ScriptObject* receiver) {
    ShipObject& ship = ShipObject::Of(receiver);
    Actor::Explode(ship);
    PlayNamedSound(Actor::ProcessorOf(&ship), kExplosionSound);
}

}  // namespace

void Ship::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(UpdateNative, kStepVirtual);
    target.SetVirtualMethod(LoadImageNative, kPictureVirtual);
    target.SetVirtualMethod(LayerNative, kLayerVirtual);
    target.SetVirtualMethod(CollideNative, kHitVirtual);
    target.SetVirtualMethod(ExplodeNative, kExplodeVirtual);
    BindNativeBase(row, target);
    target.SetMethod(Create, 0);
    target.SetMethod(SlotOfGroup<kWeaponGroup>, 35);
    target.SetMethod(SlotOfGroup<kEnergyGroup>, 36);
    target.SetMethod(SlotOfGroup<kEngineGroup>, 37);
    target.SetMethod(SlotOfGroup<kProtectionGroup>, 38);
    target.SetMethod(SlotOfGroup<kGrabberGroup>, 39);
    target.SetMethod(SlotOfGroup<kPlainGroup>, 40);
    target.SetMethod(FireNative, 41);
    target.SetMethod(StepEquipmentNative, 42);
    target.SetMethod(OwnerNative, 44);
    BindFieldAddresses<ShipObject, 45, kShipValueB, kShipMass, kShipValueC, kShipBaseConsumption>(target);
    target.SetMethod(PushFieldValue<ShipObject, kShipEnergyLack>, 49);
    target.SetMethod(DrainEnergyNative, 50);
    target.SetMethod(RechargeNative, 51);
    target.SetMethod(PushFieldValue<ShipObject, kShipMaxSpeed>, 52);
    target.SetMethod(PushFieldValue<ShipObject, kShipGrace>, 53);
    target.SetMethod(SetGraceNative, 54);
    target.SetMethod(SetXNative, 55);
    target.SetMethod(SetYNative, 56);
}
