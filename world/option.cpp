#include "world/option.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "foundation/exceptions.h"
#include "foundation/saturating.h"
#include "foundation/script_memory.h"
#include "foundation/word.h"
#include "script/create_native.h"
#include "script/field_natives.h"
#include "script/method_runner.h"
#include "script/native_args.h"
#include "script/native_binder.h"
#include "script/processor.h"
#include "script/receiver_of.h"
#include "script/script_text.h"
#include "script/zema_class.h"
#include "shell/game_ids.h"
#include "ui/dialog_window.h"
#include "world/actor.h"
#include "world/ownership.h"
#include "world/ship.h"
#include "world/shots_manager.h"
#include "world/slot.h"

namespace {

// The settings window every item opens unless its kind has its own.
constexpr int32_t kSettingsWidth = 240;
constexpr int32_t kSettingsHeight = 160;
constexpr uint32_t kOkCancel = 3;

CallingWindowLookup callingWindowLookup = nullptr;

// The weapon's method that readies a shot it fired.
constexpr uint32_t kPrepareShotVirtual = 20;

// What an item without a ship of its own answers for a name or a description. Texts handed to
// scripts stay for the program's life.
uint32_t DefaultItemText(uint32_t number) {
    static const ScriptBuffer<char> unnamed = CopyTextToScript("Unnamed");
    static const ScriptBuffer<char> noDescription = CopyTextToScript("Description not available");
    return ToScript(number == kNameVirtual ? unnamed.get() : noDescription.get());
}

// Value B of a ship, 0 for an object that is no ship.
int32_t ShipValueB(ScriptObject* ship) {
    auto* visual = dynamic_cast<VisualObject*>(ship);
    if (visual == nullptr || ship->Class() == nullptr || !ship->Class()->InheritsFrom("Ship") ||
        visual->OwnCount() <= kShipValueB)
        return 0;
    return visual->Int(kShipValueB);
}

int32_t ScaledValue(int32_t base, int32_t shots) {
    return SaturateInt32(int64_t{base} * shots / 100);
}

void AddToShotsManager(Processor& processor, ScriptObject* shot) {
    auto* manager = dynamic_cast<ShotsManager*>(processor.Objects().GetObject(kShotsManagerId));
    if (manager == nullptr) {
        // Nothing would own it otherwise.
        DiscardObject(shot);
        ThrowFatal("No shots manager to add a shot to");
    }
    manager->AddShot(shot, 0);
}

// --- Option ---

void CreateOption(ScriptObject* receiver) {
    MethodRunner& runner = RunnerOf(receiver);
    NativeArgs args(runner);
    ZEMAClass* cls = args.Class("class");
    OptionInit init;
    init.picture = args.Word();
    init.x = args.Int();
    init.y = args.Int();
    init.speedX = args.Int();
    init.speedY = args.Int();
    init.valueD = args.Int();
    init.consumption = args.Int();
    init.itemKind = args.Int();
    init.altPicture = args.Word();
    init.valueF = args.Int();
    init.baseValue = args.Int();
    PushNewObject(runner, std::make_unique<OptionObject>(cls, init));
}

void PushShip(ScriptObject* receiver) {
    OptionObject& item = OptionObject::Of(receiver);
    ScriptObject* ship = item.Ship();
    NativeArgs(receiver).Stack().Push(ship != nullptr ? ship->Address() : 0);
}

// Virtual method 10: the ship's answer to the same question; an item in no ship answers 0.
void AskShip(ScriptObject* receiver) {
    OptionObject& item = OptionObject::Of(receiver);
    MethodRunner& runner = RunnerOf(receiver);
    runner.DataStack().Pop();
    runner.DataStack().Push(0);
    if (ScriptObject* ship = item.Ship()) RunnerOf(ship).CallVirtual(ship, kItemShipQueryVirtual);
}

void PushZero(ScriptObject* receiver) {
    NativeArgs(receiver).Stack().Push(0);
}

void IgnoreSwitch(ScriptObject* receiver) {
    NativeArgs(receiver).Word();
}

void OpenSettings(ScriptObject* receiver) {
    NativeArgs args(receiver);
    DialogWindow& caller = CallingWindow(args.Word());
    Processor& processor = Actor::ProcessorOf(receiver);
    std::unique_ptr<DialogWindow> window =
        NewItemWindow(processor, caller, kSettingsWidth, kSettingsHeight, kOkCancel);
    RunItemWindow(*window, caller);
    // Here, not in the window's destructor, a failing script destructor is reported.
    window->Close();
}

// --- kinds ---

// Takes the second value only when the charge reaches the threshold, so a caller that pushed two
// values and met a lower charge finds one left on the stack.
void UpdateCharge(ScriptObject* receiver) {
    AkbObject& akb = AkbObject::Of(receiver);
    NativeArgs args(receiver);
    const uint32_t threshold = args.Word();
    if (static_cast<uint32_t>(akb.Charge()) < threshold) return;
    akb.SetCharge(args.Int());
}

// Plain kinds: Grabber (class, picture, consumption, value F, base value), Cargo (class, picture,
// base value) and QuestItem (class, picture).
void CreatePlainItem(ScriptObject* receiver, int32_t kind, bool takesConsumption, bool takesValues) {
    MethodRunner& runner = RunnerOf(receiver);
    NativeArgs args(runner);
    ZEMAClass* cls = args.Class("class");
    OptionInit init;
    init.picture = args.Word();
    init.altPicture = init.picture;
    init.itemKind = kind;
    if (takesConsumption) {
        init.consumption = args.Int();
        init.valueF = args.Int();
    }
    if (takesValues) init.baseValue = args.Int();
    PushNewObject(runner, std::make_unique<OptionObject>(cls, init));
}

void CreateGrabber(ScriptObject* receiver) {
    CreatePlainItem(receiver, kItemGrabber, true, true);
}

void CreateCargo(ScriptObject* receiver) {
    CreatePlainItem(receiver, kItemCargo, false, true);
}

void CreateQuestItem(ScriptObject* receiver) {
    CreatePlainItem(receiver, kItemQuest, false, false);
}

void CreateHull(ScriptObject* receiver) {
    MethodRunner& runner = RunnerOf(receiver);
    NativeArgs args(runner);
    ZEMAClass* cls = args.Class("class");
    ScriptObject* ship = args.ObjectOrNull(0, "hull ship");
    const uint32_t picture = args.Word();
    const int32_t baseValue = args.Int();
    PushNewObject(runner, std::make_unique<HullObject>(cls, ship, picture, baseValue));
}

// Name and description are the referenced ship's; a hull without one (or whose ship is gone)
// answers as any object.
template <uint32_t Number>
void ForwardToHullShip(ScriptObject* receiver) {
    HullObject& hull = HullObject::Of(receiver);
    if (ScriptObject* ship = hull.HullShip()) {
        RunnerOf(ship).CallVirtual(ship, Number);
        return;
    }
    NativeArgs(receiver).Stack().Push(DefaultItemText(Number));
}

void CreateAmmo(ScriptObject* receiver) {
    MethodRunner& runner = RunnerOf(receiver);
    NativeArgs args(runner);
    ZEMAClass* cls = args.Class("class");
    AmmoObject::Init init;
    init.picture = args.Word();
    init.shots = args.Int();
    init.kindB = args.Int();
    init.kindA = args.Int();
    init.baseValue = args.Int();
    init.shotSpeed = args.Int();
    init.shotValue = args.Int();
    init.armourTable = args.Word();
    init.damageTable = args.Word();
    init.valueH = args.Int();
    PushNewObject(runner, std::make_unique<AmmoObject>(cls, init));
}

void PushAmmoValue(ScriptObject* receiver) {
    AmmoObject& ammo = AmmoObject::Of(receiver);
    NativeArgs(receiver).Stack().Push(Word(ScaledValue(ammo.BaseValue(), ammo.ShotsLeft())));
}

// Virtual method 17, the firing weapon on the stack.
void FireAmmo(ScriptObject* receiver) {
    AmmoObject& ammo = AmmoObject::Of(receiver);
    NativeArgs args(receiver);
    ScriptObject* weaponObject = args.Object(0, "firing weapon");
    auto* weapon = dynamic_cast<OptionObject*>(weaponObject);
    if (weapon == nullptr) ThrowFatal("Ammunition fired by something that is no weapon");
    ShotValues shot;
    shot.picture = static_cast<uint32_t>(ammo.ValueH());
    shot.energy = ammo.ShotValue();
    shot.speed = ammo.ShotSpeed();
    shot.damageTable = ammo.OwnAddress(kAmmoDamage);
    shot.armourTable = ammo.OwnAddress(kAmmoArmour);
    FireItemShot(*weapon, shot);
}

// Virtual method 18, the weapon on the stack: fires while shots are left and takes one.
void TriggerAmmo(ScriptObject* receiver) {
    AmmoObject& ammo = AmmoObject::Of(receiver);
    MethodRunner& runner = RunnerOf(receiver);
    if (ammo.ShotsLeft() <= 0) {
        runner.DataStack().Pop();
        return;
    }
    runner.CallVirtual(receiver, kAmmoFireVirtual);
    // The fire method may have run script code that emptied, replaced or deleted the ammunition.
    if (ammo.Alive() && ammo.ShotsLeft() > 0) ammo.SetShotsLeft(ammo.ShotsLeft() - 1);
}

void MergeNative(ScriptObject* receiver) {
    AmmoObject& ammo = AmmoObject::Of(receiver);
    NativeArgs args(receiver);
    auto* other = dynamic_cast<OptionObject*>(args.ObjectOrNull(0, "item to merge"));
    const bool merged = Option::TryMerge(ammo, other);
    args.Stack().Push(merged ? Word(-1) : 0);
}

bool SameClassName(const ScriptObject& a, const ScriptObject& b) {
    return a.Class() != nullptr && b.Class() != nullptr && a.Class()->ClassName() == b.Class()->ClassName();
}

uint32_t SizeOfTable() {
    return kProtectionKinds * sizeof(uint32_t);
}

void CopyTable(OptionObject& item, uint32_t field, uint32_t table) {
    if (table == 0) return;
    const uint32_t* values = ScriptPointer<uint32_t>(table, SizeOfTable());
    for (uint32_t k = 0; k < kProtectionKinds; ++k) item.Own(field + k) = values[k];
}

// Fields a kind adds to Option's.
constexpr uint32_t KindFields(uint32_t kindFieldCount) {
    return kindFieldCount - kOptionFieldCount;
}

OptionInit KindInit(uint32_t picture, int32_t kind, int32_t consumption, int32_t valueF, int32_t baseValue) {
    OptionInit init;
    init.picture = picture;
    init.altPicture = picture;
    init.itemKind = kind;
    init.consumption = consumption;
    init.valueF = valueF;
    init.baseValue = baseValue;
    return init;
}

}  // namespace

// --- objects ---

OptionObject::OptionObject(ZEMAClass* cls, const OptionInit& init, uint32_t extraFields)
    : VisualObject(cls, init.picture != 0 ? init.picture : init.altPicture, init.x, init.y, init.speedX,
                   init.speedY, uint32_t{kOptionFieldCount} - kVisualFieldCount + extraFields) {
    SetInt(kOptionBaseValue, init.baseValue);
    SetInt(kOptionConsumption, init.consumption);
    SetInt(kOptionValueD, init.valueD);
    SetInt(kOptionItemKind, init.itemKind);
    SetInt(kOptionValueF, init.valueF);
    SetInt(kOptionValueG, kDefaultValueG);
    SetInt(kOptionEfficiency, kFullEfficiency);
    Own(kOptionAltPicture) = init.altPicture;
}

SlotObject* OptionObject::Slot() const {
    return slot_.As<SlotObject>();
}

SlotObject* OptionObject::SetSlot(SlotObject* slot) {
    SlotObject* previous = Slot();
    ScriptObject* ship = slot != nullptr ? slot->Ship() : nullptr;
    slot_ = WeakObject(slot);
    ship_ = WeakObject(ship);
    Own(kOptionSlot) = slot != nullptr ? slot->Address() : 0;
    Own(kOptionShip) = ship != nullptr ? ship->Address() : 0;
    return previous;
}

int32_t OptionObject::Amount() const {
    return Efficiency() != kFullEfficiency ? Efficiency() : -1;
}

OptionObject& OptionObject::Of(ScriptObject* receiver) {
    return ReceiverOf<OptionObject>(receiver, "Option object expected");
}

OptionObject* OptionObject::FromAddress(uint32_t address) {
    return WeakObject::AtAddress(address).As<OptionObject>();
}

AkbObject::AkbObject(ZEMAClass* cls, uint32_t picture, int32_t capacity, int32_t valueF, int32_t baseValue)
    : OptionObject(cls, KindInit(picture, kItemAkb, 0, valueF, baseValue), KindFields(kAkbFieldCount)) {
    SetInt(kAkbCapacity, capacity);
    SetInt(kAkbCharge, capacity);
}

AkbObject& AkbObject::Of(ScriptObject* receiver) {
    return ReceiverOf<AkbObject>(receiver, "Akb object expected");
}

EngineObject::EngineObject(ZEMAClass* cls, uint32_t picture, int32_t thrust, int32_t consumption,
                           int32_t valueF, int32_t baseValue)
    : OptionObject(cls, KindInit(picture, kItemEngine, consumption, valueF, baseValue),
                   KindFields(kEngineFieldCount)) {
    SetInt(kEngineThrust, thrust);
}

EngineObject& EngineObject::Of(ScriptObject* receiver) {
    return ReceiverOf<EngineObject>(receiver, "Engine object expected");
}

ShieldObject::ShieldObject(ZEMAClass* cls, uint32_t picture, uint32_t protection, int32_t consumption,
                           int32_t valueF, int32_t baseValue)
    : OptionObject(cls, KindInit(picture, kItemShield, consumption, valueF, baseValue),
                   KindFields(kShieldFieldCount)) {
    CopyTable(*this, kShieldProtection, protection);
}

int32_t ShieldObject::Protection(uint32_t kind) const {
    return kind < kProtectionKinds ? Int(kShieldProtection + kind) : 0;
}

ShieldObject& ShieldObject::Of(ScriptObject* receiver) {
    return ReceiverOf<ShieldObject>(receiver, "Shield object expected");
}

HullObject::HullObject(ZEMAClass* cls, ScriptObject* ship, uint32_t picture, int32_t baseValue)
    : OptionObject(cls, KindInit(picture, kItemHull, 0, ship != nullptr ? ShipValueB(ship) : 0, baseValue),
                   KindFields(kHullFieldCount)),
      hullShip_(ship) {
    Own(kHullShip) = ship != nullptr ? ship->Address() : 0;
}

HullObject& HullObject::Of(ScriptObject* receiver) {
    return ReceiverOf<HullObject>(receiver, "Hull object expected");
}

AmmoObject::AmmoObject(ZEMAClass* cls, const Init& init)
    : OptionObject(cls, KindInit(init.picture, kItemAmmo, 0, 0, init.baseValue),
                   KindFields(kAmmoFieldCount)) {
    SetInt(kAmmoKindA, init.kindA);
    SetInt(kAmmoKindB, init.kindB);
    SetInt(kAmmoShots, init.shots);
    SetInt(kAmmoValueH, init.valueH);
    CopyTable(*this, kAmmoDamage, init.damageTable);
    CopyTable(*this, kAmmoArmour, init.armourTable);
    SetInt(kAmmoShotValue, init.shotValue);
    SetInt(kAmmoShotSpeed, init.shotSpeed);
}

// An empty one leaves the supply's table (object 32) as every object leaves the managers that hold
// it when it is destroyed (DestroyObject), so nothing is left to do here.
AmmoObject::~AmmoObject() = default;

AmmoObject& AmmoObject::Of(ScriptObject* receiver) {
    return ReceiverOf<AmmoObject>(receiver, "Ammo object expected");
}

// --- shared operations ---

bool Option::TryMerge(OptionObject& into, OptionObject* other) {
    auto* receiving = dynamic_cast<AmmoObject*>(&into);
    auto* offered = dynamic_cast<AmmoObject*>(other);
    if (receiving == nullptr || offered == nullptr || offered == receiving) return false;
    if (receiving->KindA() != offered->KindA() || receiving->KindB() != offered->KindB()) return false;
    if (!SameClassName(*receiving, *offered)) return false;
    if (!offered->Alive() || offered->KeptByEngine()) return false;
    // What a slot, a weapon, a hand, a pilot, a bonus or a supply queue holds stays with its owner:
    // an owner offering its own item lets go of it first.
    if (HeldByOwner(offered)) return false;
    // An item a slot shows without holding it leaves the slot first, so no slot keeps its script
    // value. Leaving switches it off, which runs script code: an item that went meanwhile merges
    // nowhere.
    if (SlotObject* slot = offered->Slot()) {
        if (slot->First() == offered) slot->SetObject(nullptr);
        if (slot->Second() == offered) slot->SetObjectB(nullptr);
    }
    if (!offered->Alive() || !receiving->Alive()) return false;
    receiving->SetShotsLeft(SaturateInt32(int64_t{receiving->ShotsLeft()} + offered->ShotsLeft()));
    DestroyObject(offered);
    return true;
}

ScriptObject* FireItemShot(OptionObject& weapon, const ShotValues& shot) {
    Processor& processor = Actor::ProcessorOf(&weapon);
    const int32_t x = weapon.Int(kVisualX);
    const int32_t y = weapon.Int(kVisualY);
    const int32_t speedX = SaturateInt32(int64_t{weapon.Int(kVisualDirX)} * shot.speed);
    const int32_t speedY = SaturateInt32(int64_t{weapon.Int(kVisualDirY)} * shot.speed);
    DStack<uint32_t>& stack = processor.DataStack();
    // Pushed so that the create method pops them in the actor's order.
    stack.Push(shot.armourTable);
    stack.Push(shot.damageTable);
    stack.Push(Word(speedY));
    stack.Push(Word(speedX));
    stack.Push(Word(y));
    stack.Push(Word(x));
    stack.Push(Word(shot.energy));
    stack.Push(shot.picture);
    ScriptObject* made = processor.NewObjectByName(String("Shot"));
    if (made == nullptr) ThrowFatal("Class \"Shot\" made no shot");
    AddToShotsManager(processor, made);
    stack.Push(made->Address());
    processor.CallVirtual(&weapon, kPrepareShotVirtual);
    return made->Alive() ? made : nullptr;
}

void SetCallingWindowLookup(CallingWindowLookup lookup) {
    callingWindowLookup = lookup;
}

CallingWindowLookup InstalledCallingWindowLookup() {
    return callingWindowLookup;
}

DialogWindow& CallingWindow(uint32_t value) {
    DialogWindow* window = callingWindowLookup != nullptr ? callingWindowLookup(value) : nullptr;
    if (window == nullptr) ThrowFatal("No window to open the item's settings over");
    return *window;
}

std::unique_ptr<DialogWindow> NewItemWindow(Processor& processor, DialogWindow& caller, int32_t width,
                                            int32_t height, uint32_t buttons) {
    auto window = std::make_unique<DialogWindow>(&processor, caller.GetDisplay(), caller.DefaultCursor());
    window->SetParent(&caller);
    window->BuildFrame(width, height, buttons);
    return window;
}

int32_t RunItemWindow(DialogWindow& window, DialogWindow& caller) {
    InputDevice* input = caller.Input();
    if (input == nullptr) ThrowFatal("No input device to run the item's settings with");
    return window.Run(*input);
}

// --- binding ---

void Option::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(AskShip, kItemShipQueryVirtual);
    target.SetVirtualMethod(PushZero, 13);
    target.SetVirtualMethod(OpenSettings, kItemSettingsVirtual);
    target.SetVirtualMethod(IgnoreSwitch, kItemSwitchVirtual);
    target.SetVirtualMethod(PushFieldValue<OptionObject, kOptionBaseValue>, kItemValueVirtual);
    BindNativeBase(row, target);
    target.SetMethod(CreateOption, 0);
    target.SetMethod(PushFieldAddress<OptionObject, kOptionConsumption>, 16);
    target.SetMethod(PushShip, 17);
    BindFieldAddresses<OptionObject, 18, kOptionValueD, kOptionItemKind, kOptionAltPicture, kOptionBaseValue,
                       kOptionValueF, kOptionEfficiency, kOptionSlot, kOptionValueG>(target);
}

void Akb::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(SaveField<AkbObject, kAkbCharge>, kSaveStateVirtual);
    target.SetVirtualMethod(PopFieldValue<AkbObject, kAkbCharge>, kRestoreStateVirtual);
    target.SetVirtualMethod(PushFieldValue<OptionObject, kOptionBaseValue>, kItemValueVirtual);
    BindNativeBase(row, target);
    target.SetMethod(CreateNative<AkbObject, "class", uint32_t, int32_t, int32_t, int32_t>, 0);
    target.SetMethod(PushFieldValue<AkbObject, kAkbCharge>, 26);
    target.SetMethod(UpdateCharge, 27);
    target.SetMethod(PushFieldValue<AkbObject, kAkbCapacity>, 28);
}

void Engine::Bind(ZEMAClass& target, const NativeClassRow& row) {
    BindNativeBase(row, target);
    target.SetMethod(CreateNative<EngineObject, "class", uint32_t, int32_t, int32_t, int32_t, int32_t>, 0);
    target.SetMethod(PushFieldValue<EngineObject, kEngineThrust>, 26);
}

void Shield::Bind(ZEMAClass& target, const NativeClassRow& row) {
    BindNativeBase(row, target);
    target.SetMethod(CreateNative<ShieldObject, "class", uint32_t, uint32_t, int32_t, int32_t, int32_t>, 0);
    target.SetMethod(PushFieldAddress<ShieldObject, kShieldProtection>, 26);
}

void Hull::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(ForwardToHullShip<kNameVirtual>, kNameVirtual);
    target.SetVirtualMethod(ForwardToHullShip<kDescriptionVirtual>, kDescriptionVirtual);
    BindNativeBase(row, target);
    target.SetMethod(CreateHull, 0);
}

void Cargo::Bind(ZEMAClass& target, const NativeClassRow& row) {
    BindNativeBase(row, target);
    target.SetMethod(CreateCargo, 0);
}

void Grabber::Bind(ZEMAClass& target, const NativeClassRow& row) {
    BindNativeBase(row, target);
    target.SetMethod(CreateGrabber, 0);
}

void QuestItem::Bind(ZEMAClass& target, const NativeClassRow& row) {
    BindNativeBase(row, target);
    target.SetMethod(CreateQuestItem, 0);
}

void Ammo::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(SaveField<AmmoObject, kAmmoShots>, kSaveStateVirtual);
    target.SetVirtualMethod(PopFieldValue<AmmoObject, kAmmoShots>, kRestoreStateVirtual);
    target.SetVirtualMethod(PushAmmoValue, kItemValueVirtual);
    target.SetVirtualMethod(FireAmmo, kAmmoFireVirtual);
    target.SetVirtualMethod(TriggerAmmo, kAmmoTriggerVirtual);
    BindNativeBase(row, target);
    target.SetMethod(CreateAmmo, 0);
    BindFieldAddresses<AmmoObject, 26, kAmmoKindA, kAmmoKindB, kAmmoShots>(target);
    target.SetMethod(MergeNative, 29);
    BindFieldAddresses<AmmoObject, 30, kAmmoDamage, kAmmoValueH, kAmmoArmour, kAmmoShotValue, kAmmoShotSpeed>(
        target);
}
