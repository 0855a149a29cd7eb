#include "world/slot.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "foundation/byte_order.h"
#include "foundation/exceptions.h"
#include "foundation/saturating.h"
#include "script/cleanup_steps.h"
#include "script/field_natives.h"
#include "script/method_runner.h"
#include "script/native_args.h"
#include "script/native_binder.h"
#include "script/receiver_of.h"
#include "script/zema_class.h"
#include "ui/visual.h"
#include "ui/window_services.h"
#include "world/actor.h"
#include "world/option.h"
#include "world/ownership.h"

namespace {

SlotPilotHooks pilotHooks;

struct Direction16 {
    int32_t x;
    int32_t y;
};

// Clockwise on the screen, y growing downward, starting straight up.
constexpr Direction16 kRotation[kRotationSteps] = {
    {0, -100}, {38, -92}, {71, -71}, {92, -38}, {100, 0},  {92, 38},   {71, 71},   {38, 92},
    {0, 100},  {-38, 92}, {-71, 71}, {-92, 38}, {-100, 0}, {-92, -38}, {-71, -71}, {-38, -92},
};

int Sign(int32_t v) {
    return (v > 0) - (v < 0);
}

// Where a record stands among the sixteen: by its y, and by the sign of x where two share that y.
// -1 for a record that is none of them.
int RotationIndex(const DirectionRecord& record) {
    int sameY = -1;
    for (int i = 0; i < static_cast<int>(kRotationSteps); ++i) {
        if (kRotation[i].y != record.y) continue;
        if (Sign(kRotation[i].x) == Sign(record.x)) return i;
        if (sameY < 0) sameY = i;
    }
    return sameY;
}

void Rotate(DirectionRecord& record, int step) {
    const int i = RotationIndex(record);
    if (i < 0) return;
    const Direction16& next = kRotation[(i + step + kRotationSteps) % kRotationSteps];
    record.x = next.x;
    record.y = next.y;
}

uint32_t ItemField(SlotPlace place) {
    return place == SlotPlace::kFirst ? kSlotFirstItem : kSlotSecondItem;
}
uint32_t EnabledField(SlotPlace place) {
    return place == SlotPlace::kFirst ? kSlotFirstEnabled : kSlotSecondEnabled;
}
uint32_t StateField(SlotPlace place) {
    return place == SlotPlace::kFirst ? kSlotFirstState : kSlotSecondState;
}

uint32_t RecordField(uint32_t i) {
    return kSlotDirectionRecords + i * 3;
}

// The item a place may switch off and hand back: one that lives and, in a slot that owns its items,
// that no other owner holds. A script may have written another owner's item into the place's field;
// that one stays with its owner.
OptionObject* Returnable(const SlotObject& slot, OptionObject* item) {
    if (item == nullptr || !item->Alive()) return nullptr;
    return slot.OwnsItems() && HeldByAnotherOwner(item, &slot) ? nullptr : item;
}

// --- natives ---

void CreateSlot(ScriptObject* receiver) {
    MethodRunner& runner = RunnerOf(receiver);
    NativeArgs args(runner);
    ZEMAClass* cls = args.Class("class");
    ScriptObject* ship = args.ObjectOrNull(0, "owner ship");
    const int32_t y = args.Int();
    const int32_t x = args.Int();
    const int32_t kind = args.Int();
    PushNewObject(runner, std::make_unique<SlotObject>(cls, ship, x, y, kind));
}

template <uint32_t Word>
void PushSelectedReference(ScriptObject* receiver) {
    SlotObject& slot = SlotObject::Of(receiver);
    NativeArgs(receiver).Stack().Push(slot.OwnAddress(RecordField(slot.SelectedIndex()) + Word));
}

void PushFirstState(ScriptObject* receiver) {
    SlotObject& slot = SlotObject::Of(receiver);
    NativeArgs(receiver).Stack().Push(static_cast<uint32_t>(slot.FirstState()));
}

void SetFirstEnabledNative(ScriptObject* receiver) {
    SlotObject& slot = SlotObject::Of(receiver);
    slot.SetFirstEnabled(NativeArgs(receiver).Int());
}

}  // namespace

void SetSlotPilotHooks(const SlotPilotHooks& hooks) {
    pilotHooks = hooks;
}

const SlotPilotHooks& InstalledSlotPilotHooks() {
    return pilotHooks;
}

SlotObject::SlotObject(ZEMAClass* cls, ScriptObject* ownerShip, int32_t x, int32_t y, int32_t kind)
    : ScriptObject(cls), own_(kSlotFieldCount), ship_(ownerShip) {
    Own(kSlotOwnerShip) = ownerShip != nullptr ? ownerShip->Address() : 0;
    SetInt(kSlotOwnsItems, 1);
    SetInt(kSlotOffsetX, x);
    SetInt(kSlotOffsetY, y);
    SetInt(kSlotKind, kind);
    for (uint32_t i = 0; i < kSlotDirections; ++i) SetDirection(i, DirectionRecord{});
}

void SlotObject::ReleaseOwned() {
    if (OwnsItems()) {
        CleanupSteps steps(this);
        for (SlotPlace place : {SlotPlace::kFirst, SlotPlace::kSecond}) {
            steps.Run([this, place] {
                OptionObject* item = Item(place);
                // Only an item that still counts itself in this slot is this slot's to destroy.
                if (item != nullptr && item->Slot() == this && item->Alive() && !item->KeptByEngine())
                    DestroyObject(item);
            });
        }
        steps.Finish();
    }
    ScriptObject::ReleaseOwned();
}

uint32_t& SlotObject::Own(uint32_t index) {
    if (index >= own_.Count()) ThrowFatal("Field %u of a slot is out of range", index);
    return own_.Data()[index];
}

uint32_t SlotObject::Own(uint32_t index) const {
    return const_cast<SlotObject*>(this)->Own(index);
}

uint32_t SlotObject::OwnAddress(uint32_t index) const {
    if (index >= own_.Count()) ThrowFatal("Field %u of a slot is out of range", index);
    return own_.Address(index);
}

OptionObject* SlotObject::Item(SlotPlace place) const {
    const WeakObject& held = items_[place == SlotPlace::kFirst ? 0 : 1];
    const uint32_t value = Own(ItemField(place));
    if (value == 0) return nullptr;
    // A script may have stored another item through the field's address.
    if (value == held.Address()) return held.As<OptionObject>();
    return OptionObject::FromAddress(value);
}

OptionObject* SlotObject::PutItem(SlotPlace place, OptionObject* item) {
    CheckAlive("slot");
    SetInt(EnabledField(place), 0);
    OptionObject* old = Returnable(*this, Item(place));
    if (Int(StateField(place)) != 0 && old != nullptr) CallScriptMethodPushInt(old, 0);
    // The switch-off ran script code. A slot that went meanwhile took its items with it and takes
    // nothing more; an old item that went, or went to another owner, is handed back to nobody; a new
    // one that went is not put.
    CheckAlive("slot");
    old = Returnable(*this, old);
    if (item != nullptr && !item->Alive()) item = nullptr;
    SetInt(StateField(place), 0);
    if (old != nullptr) {
        old->SetSlot(nullptr);
        MarkLetGo(old, HolderKind::kSlot, this);
    }
    items_[place == SlotPlace::kFirst ? 0 : 1] = WeakObject(item);
    Own(ItemField(place)) = item != nullptr ? item->Address() : 0;
    if (item != nullptr) {
        item->SetSlot(this);
        // A slot that only shows an item (the pilot's stock) leaves it with its owner.
        if (OwnsItems()) MarkHeld(item, HolderKind::kSlot, this);
    }
    return old;
}

OptionObject* SlotObject::SetObject(OptionObject* item) {
    return PutItem(SlotPlace::kFirst, item);
}

OptionObject* SlotObject::SetObjectB(OptionObject* item) {
    return PutItem(SlotPlace::kSecond, item);
}

void SlotObject::SetFirstEnabled(int32_t value) {
    SetInt(kSlotFirstEnabled, value);
    if (value == 0) SetFirstState(0);
}

void SlotObject::SetSecondEnabled(int32_t value) {
    SetInt(kSlotSecondEnabled, value);
    if (value == 0) SetSecondState(0);
}

void SlotObject::SetState(SlotPlace place, int32_t value) {
    if (Int(StateField(place)) == value) return;
    // The state is stored first: the item's switch method may ask the slot.
    SetInt(StateField(place), value);
    if (OptionObject* item = Item(place)) CallScriptMethodPushInt(item, value);
}

void SlotObject::SetFirstState(int32_t value) {
    SetState(SlotPlace::kFirst, value);
}

void SlotObject::SetSecondState(int32_t value) {
    SetState(SlotPlace::kSecond, value);
}

DirectionRecord SlotObject::Direction(uint32_t i) const {
    if (i >= kSlotDirections) ThrowFatal("Direction %u of a slot is out of range", i);
    const uint32_t field = RecordField(i);
    return {Int(field), Int(field + 1), (Own(field + 2) & 0xff) != 0};
}

void SlotObject::SetDirection(uint32_t i, const DirectionRecord& record) {
    if (i >= kSlotDirections) ThrowFatal("Direction %u of a slot is out of range", i);
    const uint32_t field = RecordField(i);
    SetInt(field, record.x);
    SetInt(field + 1, record.y);
    // The padding bytes after the flag are kept as they are.
    Own(field + 2) = (Own(field + 2) & ~0xffu) | (record.enabled ? 1u : 0u);
}

uint32_t SlotObject::SelectedIndex() const {
    return Own(kSlotSelected) % kSlotDirections;
}

void SlotObject::StoreDirections(uint8_t (&bytes)[kDirectionsBytes]) const {
    for (uint32_t w = 0; w < kSlotDirections * 3; ++w)
        StoreU32(bytes + w * 4, Own(kSlotDirectionRecords + w));
}

void SlotObject::LoadDirections(const uint8_t (&bytes)[kDirectionsBytes]) {
    for (uint32_t w = 0; w < kSlotDirections * 3; ++w)
        Own(kSlotDirectionRecords + w) = LoadU32(bytes + w * 4);
}

void SlotObject::SelectDirection(int32_t request, bool announce) {
    const uint32_t old = SelectedIndex();
    uint32_t index = old;
    if (request >= 0) {
        index = static_cast<uint32_t>(request) % kSlotDirections;
    } else {
        const uint32_t step = request == -1 ? 1 : kSlotDirections - 1;
        do {
            index = (index + step) % kSlotDirections;
        } while (!Direction(index).enabled && index != old);
    }
    SetInt(kSlotSelected, static_cast<int32_t>(index));
    if (!announce || index == old || Direction(index).y == Direction(old).y) return;

    ScriptObject* ship = Ship();
    int64_t percent = 0;
    if (ship != nullptr && pilotHooks.switchSkillPercent != nullptr)
        percent = pilotHooks.switchSkillPercent(ship);
    // A skill beyond 100% (or a negative one) never turns the delay negative or past 32 bits.
    const int64_t added = std::clamp<int64_t>((100 - percent) * kSwitchDelayFrames / 100, 0, INT32_MAX);
    const auto delay = SaturateInt32(int64_t{Delay()} + added);
    SetDelay(delay);
    if (ship != nullptr && pilotHooks.showStatus != nullptr)
        pilotHooks.showStatus(ship, SystemMessage(Actor::ProcessorOf(this), kDirectionChangedMessage), delay,
                              kDirectionChangedPriority);
}

SlotObject& SlotObject::Of(ScriptObject* receiver) {
    return ReceiverOf<SlotObject>(receiver, "Slot object expected");
}

SlotObject* SlotObject::FromAddress(uint32_t address) {
    return WeakObject::AtAddress(address).As<SlotObject>();
}

void Slot::Bind(ZEMAClass& target, const NativeClassRow& row) {
    BindNativeBase(row, target);
    target.SetMethod(CreateSlot, 0);
    target.SetMethod(PushFieldAddress<SlotObject, kSlotOffsetX>, 4);
    target.SetMethod(PushFieldAddress<SlotObject, kSlotOffsetY>, 5);
    target.SetMethod(PushSelectedReference<0>, 6);
    target.SetMethod(PushSelectedReference<1>, 7);
    BindFieldAddresses<SlotObject, 8, kSlotCustomised, kSlotFirstItem, kSlotSecondItem, kSlotKind>(target);
    target.SetMethod(PushFirstState, 12);
    target.SetMethod(SetFirstEnabledNative, 13);
}

void Slot::RotateDirectionClockwise(DirectionRecord& record) {
    Rotate(record, 1);
}

void Slot::RotateDirectionAnticlockwise(DirectionRecord& record) {
    Rotate(record, -1);
}
