#include "world/weapon.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <optional>

#include "foundation/exceptions.h"
#include "foundation/script_memory.h"
#include "script/cleanup_steps.h"
#include "script/field_natives.h"
#include "script/method_runner.h"
#include "script/native_args.h"
#include "script/native_binder.h"
#include "script/receiver_of.h"
#include "script/zema_class.h"
#include "world/ownership.h"
#include "world/settings_panel.h"
#include "world/ship.h"
#include "world/shots.h"
#include "world/skills.h"
#include "world/slot.h"

namespace {

OptionInit ItemInit(const WeaponInit& init) {
    return OptionInit{.picture = init.picture,
                      .x = init.x,
                      .y = init.y,
                      .speedX = init.dirX,
                      .speedY = init.dirY,
                      .valueD = init.valueD,
                      .consumption = init.consumption,
                      .itemKind = kItemWeapon,
                      .altPicture = init.altPicture,
                      .valueF = init.valueF,
                      .baseValue = init.baseValue};
}

uint32_t AddressOf(const ScriptObject* object) {
    return object != nullptr ? object->Address() : 0;
}

}  // namespace

WeaponObject::WeaponObject(ZEMAClass* cls, const WeaponInit& init, uint32_t extraFields)
    : OptionObject(cls, ItemInit(init), uint32_t{kWeaponFieldCount} - kOptionFieldCount + extraFields) {
    SetInt(kWeaponNeedsAmmo, init.needsAmmo);
    SetInt(kWeaponKindA, init.kindA);
    SetInt(kWeaponKindB, init.kindB);
    SetInt(kWeaponValueJ, init.valueJ);
    SetInt(kWeaponInterval, init.interval);
    SetInt(kWeaponDefaultInterval, init.interval);
    SetInt(kWeaponEnergyPerShot, init.energyPerShot);
}

void WeaponObject::ReleaseOwned() {
    CleanupSteps steps(this);
    // A script may have deleted the ammunition already; then there is nothing to destroy.
    steps.Run([this] { DestroyOwned(SetAmmo(nullptr)); });
    steps.Finish();
    OptionObject::ReleaseOwned();
}

int32_t WeaponObject::Amount() const {
    if (!NeedsAmmo()) return -1;
    const AmmoObject* ammo = Ammo();
    return ammo != nullptr ? ammo->ShotsLeft() : 0;
}

SlotObject* WeaponObject::SetSlot(SlotObject* slot) {
    SlotObject* previous = OptionObject::SetSlot(slot);
    if (AmmoObject* ammo = Ammo()) ammo->SetSlot(slot);
    return previous;
}

AmmoObject* WeaponObject::Ammo() const {
    return ammo_.As<AmmoObject>();
}

AmmoObject* WeaponObject::SetAmmo(AmmoObject* ammo) {
    AmmoObject* previous = Ammo();
    MarkLetGo(previous, HolderKind::kWeapon, this);
    ammo_ = WeakObject(ammo);
    Own(kWeaponAmmo) = AddressOf(ammo);
    MarkHeld(ammo, HolderKind::kWeapon, this);
    return previous;
}

WeaponObject& WeaponObject::Of(ScriptObject* receiver) {
    return ReceiverOf<WeaponObject>(receiver, "Weapon object expected");
}

void Weapon::CallTrigger(ScriptObject* weapon, int32_t time) {
    MethodRunner& runner = RunnerOf(weapon);
    runner.DataStack().Push(static_cast<uint32_t>(time));
    runner.CallVirtual(weapon, kWeaponTriggerVirtual);
}

uint32_t Weapon::CallOfferAmmo(ScriptObject* weapon, uint32_t x) {
    MethodRunner& runner = RunnerOf(weapon);
    runner.DataStack().Push(x);
    runner.CallVirtual(weapon, kWeaponOfferAmmoVirtual);
    return runner.DataStack().Pop();
}

OptionObject* Weapon::TakenBack(OptionObject* offered, uint32_t answer) {
    if (OptionObject* refused = FreeToTake(offered)) return refused;
    return FreeToTake(answer != 0 ? OptionObject::FromAddress(answer) : nullptr);
}

void Weapon::Trigger(WeaponObject& weapon, int32_t time) {
    // The fields are script-writable: the difference is taken in 64 bits so that it cannot wrap.
    if (int64_t{time} - weapon.LastShot() < weapon.Interval()) return;
    const WeakObject self(&weapon);
    if (AmmoObject* ammo = weapon.Ammo()) {
        const WeakObject loaded(ammo);
        MethodRunner& runner = RunnerOf(ammo);
        runner.DataStack().Push(weapon.Address());
        runner.CallVirtual(ammo, kAmmoTriggerVirtual);
        // The shot's scripts may have deleted the weapon or its ammunition, or taken it out and
        // loaded other ammunition: only what is loaded still is the weapon's to let go of.
        if (self.Get() == nullptr) return;
        AmmoObject* now = weapon.Ammo();
        if (now == nullptr) {
            weapon.SetAmmo(nullptr);
        } else if (now == loaded.Get() && now->ShotsLeft() < 1) {
            weapon.SetAmmo(nullptr);
            DestroyOwned(now);
        }
    } else if (!weapon.NeedsAmmo()) {
        RunnerOf(&weapon).CallVirtual(&weapon, kWeaponFireVirtual);
        if (self.Get() == nullptr) return;
    } else {
        return;
    }
    weapon.SetLastShot(time);
    if (weapon.EnergyPerShot() == 0) return;
    if (auto* ship = dynamic_cast<ShipObject*>(weapon.Ship()))
        Ship::DrainEnergy(*ship, weapon.EnergyPerShot());
}

uint32_t Weapon::OfferAmmo(WeaponObject& weapon, uint32_t x) {
    if (x == 0) {
        AmmoObject* old = weapon.SetAmmo(nullptr);
        if (old == nullptr) return 0;
        old->SetSlot(nullptr);
        return old->Address();
    }
    ScriptObject* offered = ScriptObject::FromAddress(x, 0, "offered item");
    auto* ammo = dynamic_cast<AmmoObject*>(offered);
    if (ammo == nullptr || !offered->Class()->InheritsFrom("Ammo")) return x;
    AmmoObject* loaded = weapon.Ammo();
    // Offering what is loaded already leaves it loaded: answering it back would hand the caller an
    // item the weapon still holds.
    if (ammo == loaded) return 0;
    // Ammunition another weapon, a slot or a hand holds stays there: it is neither merged nor loaded.
    if (HeldByOwner(ammo)) return x;
    if (loaded != nullptr && Option::TryMerge(*loaded, ammo)) return 0;
    // Trying the merge may have run script code: an offer that went leaves nothing to hand back, and
    // a weapon that went takes nothing.
    if (!ammo->Alive()) return 0;
    if (!weapon.Alive()) return x;
    loaded = weapon.Ammo();
    if (ammo == loaded) return 0;
    if (HeldByOwner(ammo)) return x;
    const bool fits = ammo->KindA() == weapon.Int(kWeaponKindA) && ammo->KindB() == weapon.Int(kWeaponKindB);
    if (!fits) return x;
    SlotObject* slot = weapon.Slot();
    weapon.SetAmmo(ammo);
    ammo->SetSlot(slot);
    if (loaded == nullptr) return 0;
    loaded->SetSlot(nullptr);
    return loaded->Address();
}

void Weapon::PrepareShot(WeaponObject& weapon, ScriptObject* shot) {
    auto* ship = dynamic_cast<ShipObject*>(weapon.Ship());
    auto* actor = dynamic_cast<ShotObject*>(shot);
    if (ship != nullptr && actor != nullptr) {
        const WeakObject self(&weapon);
        const WeakObject fired(shot);
        const int32_t layer = Visual::CallEvent10(ship, 0);
        if (self.Get() == nullptr || fired.Get() == nullptr || !ship->Alive()) return;
        actor->SetInt(kActorLayer, static_cast<int32_t>(static_cast<uint32_t>(layer) - 1));
        ScriptObject* player = ship->Owner();
        actor->Own(kShotTag) = AddressOf(player);
        if (const auto* skills = dynamic_cast<const SkillHolder*>(player)) {
            if (SkillObject* skill = skills->SkillAt(weapon.SkillIndex())) Skill::CallApplyTo(skill, shot);
        }
        if (self.Get() == nullptr || fired.Get() == nullptr) return;
    }
    SlotObject* slot = weapon.Slot();
    OptionObject* guide = slot != nullptr ? slot->Second() : nullptr;
    if (guide != nullptr && slot->SecondState() != 0 && shot != nullptr) {
        MethodRunner& runner = RunnerOf(guide);
        runner.DataStack().Push(shot->Address());
        runner.CallVirtual(guide, 17);
    }
}

namespace {

void Nothing(ScriptObject*) {}

void PushMinusOne(ScriptObject* receiver) {
    NativeArgs(receiver).Stack().Push(static_cast<uint32_t>(-1));
}

void TriggerNative(ScriptObject* receiver) {
    NativeArgs args(receiver);
    const int32_t time = args.Int();
    Weapon::Trigger(WeaponObject::Of(receiver), time);
}

// A weapon that fires only its own shots takes no ammunition and leaves the offer on the stack,
// which is then its own answer.
void OfferAmmoNative(ScriptObject* receiver) {
    WeaponObject& weapon = WeaponObject::Of(receiver);
    if (!weapon.NeedsAmmo()) return;
    NativeArgs args(receiver);
    const uint32_t x = args.Word();
    const uint32_t answer = Weapon::OfferAmmo(weapon, x);
    args.Stack().Push(answer);
}

void PrepareShotNative(ScriptObject* receiver) {
    NativeArgs args(receiver);
    ScriptObject* shot = args.ObjectOrNull(0, "shot");
    Weapon::PrepareShot(WeaponObject::Of(receiver), shot);
}

void SaveInterval(ScriptObject* receiver) {
    NativeArgs args(receiver);
    args.Stack().Push(WeaponObject::Of(receiver).Own(kWeaponInterval));
    args.Stack().Push(1);
}

void RestoreInterval(ScriptObject* receiver) {
    NativeArgs args(receiver);
    const int32_t interval = args.Int();
    WeaponObject::Of(receiver).SetInt(kWeaponInterval, interval);
}

void FireRateWindow(ScriptObject* receiver) {
    NativeArgs args(receiver);
    DialogWindow& caller = CallingWindow(args.Word());
    WeaponObject& weapon = WeaponObject::Of(receiver);
    const WeakObject self(&weapon);
    const int32_t d = weapon.Int(kWeaponDefaultInterval);
    // The upper bound is the next whole hundred, kept within 32 bits for the largest intervals.
    const int64_t upper = std::min<int64_t>((int64_t{d} / 100 + 1) * 100, INT32_MAX);
    const std::optional<int32_t> value =
        RunSliderPanel(caller, {kFireRateCaption, d, static_cast<int32_t>(upper), 0, weapon.Interval()});
    if (value && self.Get() != nullptr) weapon.SetInt(kWeaponInterval, *value);
}

void EnergyFire(ScriptObject* receiver) {
    NativeArgs args(receiver);
    WeaponObject& weapon = WeaponObject::Of(receiver);
    FireItemShot(weapon, {.picture = weapon.Own(kEnergyShotPicture),
                          .energy = weapon.Int(kEnergyShotEnergy),
                          .speed = weapon.Int(kEnergyShotSpeed),
                          .damageTable = weapon.OwnAddress(kEnergyDamage),
                          .armourTable = weapon.OwnAddress(kEnergyArmour)});
}

WeaponInit PopWeaponInit(NativeArgs& args) {
    WeaponInit init;
    init.picture = args.Word();
    init.x = args.Int();
    init.y = args.Int();
    init.dirX = args.Int();
    init.dirY = args.Int();
    init.valueD = args.Int();
    init.consumption = args.Int();
    init.altPicture = args.Word();
    init.interval = args.Int();
    init.valueJ = args.Int();
    init.kindB = args.Int();
    init.kindA = args.Int();
    init.needsAmmo = args.Int();
    init.valueF = args.Int();
    init.baseValue = args.Int();
    init.energyPerShot = args.Int();
    return init;
}

void CreateWeapon(ScriptObject* receiver) {
    NativeArgs args(receiver);
    ZEMAClass* cls = args.Class("Weapon");
    const WeaponInit init = PopWeaponInit(args);
    PushNewObject(RunnerOf(receiver), std::make_unique<WeaponObject>(cls, init));
}

// A table of ten values at a script address (checked), null for 0.
const uint8_t* TableAt(uint32_t address) {
    return address != 0 ? ScriptPointer<const uint8_t>(address, kWeaponReservedWords * 4) : nullptr;
}

// Ten values copied from a script table (checked), or left 0 for address 0.
void CopyTable(WeaponObject& weapon, uint32_t first, const uint8_t* table) {
    if (table == nullptr) return;
    for (uint32_t k = 0; k < kWeaponReservedWords; ++k) {
        uint32_t value = 0;
        std::memcpy(&value, table + k * 4, 4);
        weapon.Own(first + k) = value;
    }
}

void CreateEnergyWeapon(ScriptObject* receiver) {
    NativeArgs args(receiver);
    ZEMAClass* cls = args.Class("EnergyWeapon");
    const WeaponInit init = PopWeaponInit(args);
    const int32_t speed = args.Int();
    const int32_t shotEnergy = args.Int();
    const uint8_t* armour = TableAt(args.Word());
    const uint8_t* damage = TableAt(args.Word());
    const uint32_t picture = args.Word();
    auto weapon =
        std::make_unique<WeaponObject>(cls, init, uint32_t{kEnergyWeaponFieldCount} - kWeaponFieldCount);
    CopyTable(*weapon, kEnergyDamage, damage);
    CopyTable(*weapon, kEnergyArmour, armour);
    weapon->Own(kEnergyShotPicture) = picture;
    weapon->SetInt(kEnergyShotEnergy, shotEnergy);
    weapon->SetInt(kEnergyShotSpeed, speed);
    PushNewObject(RunnerOf(receiver), std::move(weapon));
}

void PushAmmo(ScriptObject* receiver) {
    NativeArgs args(receiver);
    args.Stack().Push(AddressOf(WeaponObject::Of(receiver).Ammo()));
}

void PushSkillIndex(ScriptObject* receiver) {
    NativeArgs args(receiver);
    args.Stack().Push(WeaponObject::Of(receiver).Own(kWeaponSkillIndex));
}

void PopSkillIndex(ScriptObject* receiver) {
    NativeArgs args(receiver);
    const uint32_t index = args.Word();
    WeaponObject::Of(receiver).Own(kWeaponSkillIndex) = index;
}

}  // namespace

void Weapon::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(SaveInterval, kSaveStateVirtual);
    target.SetVirtualMethod(RestoreInterval, kRestoreStateVirtual);
    target.SetVirtualMethod(PushMinusOne, 13);
    target.SetVirtualMethod(FireRateWindow, kItemSettingsVirtual);
    target.SetVirtualMethod(Nothing, kWeaponFireVirtual);
    target.SetVirtualMethod(TriggerNative, kWeaponTriggerVirtual);
    target.SetVirtualMethod(OfferAmmoNative, kWeaponOfferAmmoVirtual);
    target.SetVirtualMethod(PrepareShotNative, kWeaponPrepareShotVirtual);
    BindNativeBase(row, target);
    target.SetMethod(CreateWeapon, 0);
    BindFieldAddresses<WeaponObject, 26, kWeaponLastShot, kWeaponNeedsAmmo, kWeaponKindA, kWeaponKindB,
                       kWeaponValueJ, kWeaponInterval>(target);
    target.SetMethod(PushAmmo, 32);
    target.SetMethod(PushFieldAddress<WeaponObject, kWeaponEnergyPerShot>, 33);
    target.SetMethod(PushFieldAddress<WeaponObject, kWeaponReserved>, 34);
    target.SetMethod(PushSkillIndex, 35);
    target.SetMethod(PopSkillIndex, 36);
}

void EnergyWeapon::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(EnergyFire, kWeaponFireVirtual);
    BindNativeBase(row, target);
    target.SetMethod(CreateEnergyWeapon, 0);
    BindFieldAddresses<WeaponObject, 37, kEnergyShotPicture, kEnergyArmour, kEnergyShotEnergy,
                       kEnergyShotSpeed>(target);
}
