// The ship's energy balance: what its energy sources give less what its active equipment uses,
// throttling engines and protection or shedding equipment when that falls below 1, the maximum
// speed and protection the active equipment gives, recharging, draining and the flight-start reset.
// Item values are script-writable: sums are worked out in 64 bits and no divisor is trusted.
#include <algorithm>
#include <cstdint>

#include "foundation/saturating.h"
#include "foundation/script_memory.h"
#include "script/processor.h"
#include "ui/window_services.h"
#include "world/option.h"
#include "world/ship.h"
#include "world/ship_equipment.h"
#include "world/slot.h"

namespace {

// Status lines: energy short, and equipment switched off for it.
constexpr uint32_t kLackMessage = 308;
constexpr int32_t kLackFrames = 60;
constexpr int32_t kLackPriority = 7;
constexpr uint32_t kDetachedMessage = 307;
constexpr int32_t kDetachedFrames = 30;
constexpr int32_t kDetachedPriority = 8;

// An item and the place it sits in.
struct Placed {
    SlotObject* slot = nullptr;
    OptionObject* item = nullptr;
    SlotPlace place = SlotPlace::kFirst;
};

bool Active(const SlotObject& slot, SlotPlace place) {
    return (place == SlotPlace::kFirst ? slot.FirstState() : slot.SecondState()) != 0;
}

// Every item of a group in one of its places, in slot order, looked up afresh at each call.
template <class Visit>
void ForEachItem(const ShipObject& ship, uint32_t group, SlotPlace place, Visit visit) {
    for (uint32_t i = 0; i < ship.SlotCount(group); ++i) {
        SlotObject* slot = ship.SlotAt(group, static_cast<int32_t>(i));
        OptionObject* item = slot != nullptr ? slot->Item(place) : nullptr;
        if (item != nullptr) visit(Placed{slot, item, place});
    }
}

template <class Visit>
void ForEachActive(const ShipObject& ship, uint32_t group, SlotPlace place, Visit visit) {
    ForEachItem(ship, group, place, [&](const Placed& placed) {
        if (Active(*placed.slot, place)) visit(placed);
    });
}

int64_t ActiveConsumption(const ShipObject& ship, uint32_t group, SlotPlace place) {
    int64_t sum = 0;
    ForEachActive(ship, group, place, [&](const Placed& placed) { sum += placed.item->Consumption(); });
    return sum;
}

// Switching an item runs its switch virtual method, which is script code.
void SwitchOff(const Placed& placed) {
    if (placed.place == SlotPlace::kFirst) {
        placed.slot->SetFirstState(0);
    } else {
        placed.slot->SetSecondState(0);
    }
}

// The first active item of the group and place that uses energy.
Placed FirstConsumer(const ShipObject& ship, uint32_t group, SlotPlace place) {
    Placed found;
    ForEachActive(ship, group, place, [&](const Placed& placed) {
        if (found.item == nullptr && placed.item->Consumption() != 0) found = placed;
    });
    return found;
}

// Lowers the efficiency of every active item of the group by its part of the group's share of the
// deficit; an item that uses nothing saves nothing and is left alone.
void Throttle(const ShipObject& ship, uint32_t group, int64_t groupSum, int64_t share) {
    if (share == 0 || groupSum == 0) return;
    ForEachActive(ship, group, SlotPlace::kFirst, [&](const Placed& placed) {
        const int64_t c = placed.item->Consumption();
        if (c == 0) return;
        placed.item->SetEfficiency(SaturateInt32(kFullEfficiency - ((c * 100 / groupSum) * share) / c));
    });
}

}  // namespace

void ShipObject::RecomputeEnergy() {
    const WeakObject self(this);
    const auto gone = [&] { return self.Get() != this; };
    SetBalance(0);
    SetInt(kShipMaxSpeed, 0);
    SetInt(kShipEnergyLack, 0);
    SetInt(kShipEquipmentDetached, 0);

    int64_t balance = -int64_t{BaseConsumption()};
    ForEachActive(*this, kEnergyGroup, SlotPlace::kFirst, [&](const Placed& placed) {
        if (auto* source = dynamic_cast<AkbObject*>(placed.item)) balance += source->Charge();
    });

    if (balance < 1) {
        // Nothing to run on: every consumer goes off, without a word to the pilot.
        SetBalance(SaturateInt32(balance));
        const auto offWithFullEfficiency = [&](uint32_t group, SlotPlace place, bool resetEfficiency) {
            for (uint32_t i = 0; i < SlotCount(group) && !gone(); ++i) {
                SlotObject* slot = SlotAt(group, static_cast<int32_t>(i));
                OptionObject* item = slot != nullptr ? slot->Item(place) : nullptr;
                if (item == nullptr || item->Consumption() == 0) continue;
                if (resetEfficiency) item->SetEfficiency(kFullEfficiency);
                SwitchOff(Placed{slot, item, place});
            }
        };
        offWithFullEfficiency(kWeaponGroup, SlotPlace::kFirst, false);
        offWithFullEfficiency(kWeaponGroup, SlotPlace::kSecond, false);
        offWithFullEfficiency(kEngineGroup, SlotPlace::kFirst, true);
        offWithFullEfficiency(kProtectionGroup, SlotPlace::kFirst, true);
        offWithFullEfficiency(kGrabberGroup, SlotPlace::kFirst, false);
        return;
    }

    int64_t engines = ActiveConsumption(*this, kEngineGroup, SlotPlace::kFirst);
    int64_t protection = ActiveConsumption(*this, kProtectionGroup, SlotPlace::kFirst);
    balance -= ActiveConsumption(*this, kWeaponGroup, SlotPlace::kFirst) +
               ActiveConsumption(*this, kWeaponGroup, SlotPlace::kSecond) + engines + protection +
               ActiveConsumption(*this, kGrabberGroup, SlotPlace::kFirst);

    bool told = false;
    while (balance < 1) {
        ShipPilot* pilot = Pilot();
        if (!told) {
            told = true;
            SetInt(kShipEnergyLack, 1);
            if (pilot != nullptr)
                pilot->ShowStatus(SystemMessage(Actor::ProcessorOf(this), kLackMessage), kLackFrames,
                                  kLackPriority);
        }
        const int64_t deficit = -balance - 1;
        if (deficit <= (4 * protection) / 5 + (4 * engines) / 5) {
            // Small enough to spread over engines and protection in proportion to what they use.
            const int64_t d = std::max<int64_t>(deficit, 0);
            const int64_t engineShare = engines + protection != 0 ? d * engines / (engines + protection) : 0;
            Throttle(*this, kEngineGroup, engines, engineShare);
            Throttle(*this, kProtectionGroup, protection, engines + protection != 0 ? d - engineShare : 0);
            balance = 1;
            break;
        }
        // Shed one item: guide, grabber, protection, weapon, engine.
        Placed shed = FirstConsumer(*this, kWeaponGroup, SlotPlace::kSecond);
        uint32_t group = kWeaponGroup;
        if (shed.item == nullptr) shed = FirstConsumer(*this, group = kGrabberGroup, SlotPlace::kFirst);
        if (shed.item == nullptr) shed = FirstConsumer(*this, group = kProtectionGroup, SlotPlace::kFirst);
        if (shed.item == nullptr) shed = FirstConsumer(*this, group = kWeaponGroup, SlotPlace::kFirst);
        if (shed.item == nullptr) shed = FirstConsumer(*this, group = kEngineGroup, SlotPlace::kFirst);
        if (shed.item == nullptr) break;  // nothing left to shed: the ship flies on short of energy
        const int64_t c = shed.item->Consumption();
        if (group == kProtectionGroup) {
            shed.item->SetEfficiency(kFullEfficiency);
            protection -= c;
        } else if (group == kEngineGroup) {
            shed.item->SetEfficiency(kFullEfficiency);
            engines -= c;
        }
        SwitchOff(shed);
        if (gone()) return;
        balance += c;
        // The switch ran script code: the pilot is asked for again.
        pilot = Pilot();
        if (group != kProtectionGroup && pilot != nullptr) {
            SetInt(kShipEquipmentDetached, 1);
            pilot->ShowStatus(SystemMessage(Actor::ProcessorOf(this), kDetachedMessage), kDetachedFrames,
                              kDetachedPriority);
        }
    }
    SetBalance(SaturateInt32(balance));

    int64_t speed = 0;
    ForEachActive(*this, kEngineGroup, SlotPlace::kFirst, [&](const Placed& placed) {
        if (auto* engine = dynamic_cast<EngineObject*>(placed.item))
            speed += int64_t{engine->Efficiency()} * engine->Thrust() / 100;
    });

    int64_t armour[kDamageKinds];
    for (uint32_t k = 0; k < kDamageKinds; ++k) armour[k] = Protection(k);
    ForEachActive(*this, kProtectionGroup, SlotPlace::kFirst, [&](const Placed& placed) {
        auto* shield = dynamic_cast<ShieldObject*>(placed.item);
        if (shield == nullptr) return;
        for (uint32_t k = 0; k < kDamageKinds; ++k)
            armour[k] += int64_t{shield->Efficiency()} * shield->Protection(k) / 100;
    });
    const uint32_t table = Actor::CallEvent17(this, 0);
    if (gone()) return;
    auto* values = reinterpret_cast<uint32_t*>(ScriptWritable(table, kDamageKinds * sizeof(uint32_t)));
    for (uint32_t k = 0; k < kDamageKinds; ++k) values[k] = static_cast<uint32_t>(SaturateInt32(armour[k]));

    // A ship of no mass (or a script's negative one) is as fast as its engines' thrust.
    SetInt(kShipMaxSpeed, SaturateInt32(speed / std::max(Mass(), 1)));

    if (ShipPilot* pilot = Pilot()) pilot->ShipRecomputed(*this);
}

void ShipObject::Recharge(int32_t amount) {
    const WeakObject self(this);
    int64_t remaining = amount;
    for (uint32_t i = 0; i < SlotCount(kEnergyGroup) && remaining >= 1; ++i) {
        SlotObject* slot = SlotAt(kEnergyGroup, static_cast<int32_t>(i));
        auto* source = slot != nullptr ? dynamic_cast<AkbObject*>(slot->First()) : nullptr;
        if (source == nullptr || !slot->FirstEnabled()) continue;
        const int64_t added = std::min<int64_t>(int64_t{source->Capacity()} - source->Charge(), remaining);
        if (added <= 0) continue;
        source->SetCharge(SaturateInt32(int64_t{source->Charge()} + added));
        remaining -= added;
    }
    for (uint32_t group = kWeaponGroup; group <= kGrabberGroup; ++group) {
        for (uint32_t i = 0; i < SlotCount(group); ++i) {
            SlotObject* slot = SlotAt(group, static_cast<int32_t>(i));
            OptionObject* item = slot != nullptr ? slot->First() : nullptr;
            if (item == nullptr) continue;
            if (group >= kEngineGroup) item->SetEfficiency(kFullEfficiency);
            slot->SetFirstState(slot->Int(kSlotFirstEnabled));
            if (self.Get() != this) return;
            // The switch ran script code: the slot is looked up again.
            slot = SlotAt(group, static_cast<int32_t>(i));
            if (group == kWeaponGroup && slot != nullptr) slot->SetSecondState(slot->Int(kSlotSecondEnabled));
            if (self.Get() != this) return;
        }
    }
    RecomputeEnergy();
}

void ShipObject::ResetDelays() {
    ForEachItem(*this, kWeaponGroup, SlotPlace::kFirst,
                [](const Placed& placed) { ResetLastShot(*placed.item); });
    for (uint32_t group = kWeaponGroup; group <= kGrabberGroup; ++group) {
        for (uint32_t i = 0; i < SlotCount(group); ++i) {
            if (SlotObject* slot = SlotAt(group, static_cast<int32_t>(i))) slot->SetDelay(0);
        }
    }
}

void Ship::DrainEnergy(ShipObject& ship, int32_t amount) {
    int64_t remaining = amount;
    for (uint32_t i = 0; i < ship.SlotCount(kEnergyGroup) && remaining >= 1; ++i) {
        SlotObject* slot = ship.SlotAt(kEnergyGroup, static_cast<int32_t>(i));
        auto* source = slot != nullptr ? dynamic_cast<AkbObject*>(slot->First()) : nullptr;
        if (source == nullptr || !slot->FirstEnabled()) continue;
        const int64_t taken = std::min<int64_t>(source->Charge(), remaining);
        if (taken <= 0) continue;
        source->SetCharge(SaturateInt32(int64_t{source->Charge()} - taken));
        remaining -= taken;
    }
    if (amount >= ship.Balance()) {
        ship.RecomputeEnergy();
    } else {
        ship.SetBalance(SaturateInt32(int64_t{ship.Balance()} - amount));
    }
}
