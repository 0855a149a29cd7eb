#include "world/supply.h"

#include <memory>

#include "foundation/exceptions.h"
#include "script/cleanup_steps.h"
#include "script/create_native.h"
#include "script/native_args.h"
#include "script/native_binder.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "script/receiver_of.h"
#include "shell/game_ids.h"
#include "ui/message_box.h"
#include "ui/window_services.h"
#include "world/bonuses.h"
#include "world/event_manager.h"
#include "world/level.h"
#include "world/ownership.h"

namespace {

// The contract question: the two answer buttons of style 12, answered 2 and 3; 2 agrees.
constexpr uint32_t kContractBoxStyle = kMessageBoxThird | kMessageBoxFourth;
constexpr int32_t kContractYes = 2;
constexpr int32_t kContractTypingSpeed = 200;
constexpr uint32_t kAskFlag = 1;
constexpr uint32_t kSupplierNameKind = 3;
constexpr uint32_t kAddObjectVirtual = 7;
constexpr uint32_t kMakeShipVirtual = 8;

String Prefixed(const char* prefix, const String& key) {
    String text(prefix);
    text += key;
    return text;
}

// Objects a script offers may be engine objects, which nobody may delete, or items another owner
// holds, which stay with it.
void DeleteOffered(Processor& processor, ScriptObject* object) {
    if (object == nullptr || processor.Objects().BelongsToEngine(object)) return;
    CheckNotBeingDestroyed(object);
    DestroyLeftover(object);
}

bool HasEventManager(Processor& processor) {
    return processor.Objects().GetObject(kEventManagerId) != nullptr;
}

// The supplier class a place's record names, or an empty text.
String SupplierClassFor(Processor& processor, const String& placeName) {
    String text;
    if (!EventManager::FirstEventText(processor, Prefixed(kSupplierClassPrefix, placeName), text))
        return String();
    return text;
}

// Asks over the dialog's window; true when the player agrees. Without a window to ask over the
// contract is not touched: nobody agreed.
bool Agrees(Processor& processor, ScriptObject* dialog, const String& question) {
    const auto& windowOf = SupplyHooksInstalled().windowOf;
    DialogWindow* window = windowOf ? windowOf(dialog) : nullptr;
    if (window == nullptr) return false;
    return MessageBoxOverWindow(processor, *window, question, kContractBoxStyle, nullptr,
                                kContractTypingSpeed) == kContractYes;
}

void ChooseNative(ScriptObject* receiver) {
    Supply::ChooseSupplier(Actor::ProcessorOf(receiver), SupplyObject::Of(receiver));
}

void OfferNative(ScriptObject* receiver) {
    NativeArgs args(receiver);
    ScriptObject* object = args.ObjectOrNull(0, "Supply object");
    Supply::Offer(Actor::ProcessorOf(receiver), SupplyObject::Of(receiver), object);
}

void SignNative(ScriptObject* receiver) {
    NativeArgs args(receiver);
    ScriptObject* dialog = args.ObjectOrNull(0, "Supply contract dialog");
    const uint32_t flags = args.Word();
    const String displayName = args.TextCopy();
    const String className = args.TextCopy();
    const String key = args.TextCopy();
    const bool signed_ =
        Supply::SignContract(Actor::ProcessorOf(receiver), dialog, flags, displayName, className, key);
    args.Stack().Push(signed_ ? 1 : 0);
}

void CancelNative(ScriptObject* receiver) {
    NativeArgs args(receiver);
    ScriptObject* dialog = args.ObjectOrNull(0, "Supply contract dialog");
    const uint32_t flags = args.Word();
    args.Word();  // a text that plays no part
    const String key = args.TextCopy();
    args.Stack().Push(Supply::CancelContract(Actor::ProcessorOf(receiver), dialog, flags, key) ? 1 : 0);
}

void CheckNative(ScriptObject* receiver) {
    NativeArgs args(receiver);
    const String className = args.TextCopy();
    const String key = args.TextCopy();
    args.Stack().Push(Supply::CheckContract(Actor::ProcessorOf(receiver), className, key) ? 1 : 0);
}

void SupplyStep(ScriptObject* receiver) {
    SupplyObject& supply = SupplyObject::Of(receiver);
    ScriptObject* supplier = supply.Supplier();
    if (supplier == nullptr) {
        NativeArgs(receiver).Int();
        return;
    }
    // The step argument stays on the stack for the supplier's step.
    Actor::ProcessorOf(receiver).CallVirtual(supplier, kStepVirtual);
}

void ServiceStep(ScriptObject* receiver) {
    NativeArgs args(receiver);
    const int32_t t = args.Int();
    SupplyService::Step(Actor::ProcessorOf(receiver), SupplyServiceObject::Of(receiver), t);
}

void ServiceAdd(ScriptObject* receiver) {
    NativeArgs args(receiver);
    SupplyServiceObject& service = SupplyServiceObject::Of(receiver);
    ScriptObject* object =
        Ownable(Actor::ProcessorOf(receiver), args.ObjectOrNull(0, "SupplyService object"), "SupplyService");
    // A service whose destruction began would never destroy what it queued.
    service.CheckAlive("SupplyService");
    if (object != nullptr) service.queue.Append(object);
}

void ServiceNoShip(ScriptObject* receiver) {
    NativeArgs(receiver).Stack().Push(0);
}

void ShipStep(ScriptObject* receiver) {
    Actor::StepNative(receiver);
    SupplyShip::DropCargo(Actor::ProcessorOf(receiver), SupplyShipObject::Of(receiver));
}

void ShipLoad(ScriptObject* receiver) {
    NativeArgs args(receiver);
    ScriptObject* object =
        Ownable(Actor::ProcessorOf(receiver), args.ObjectOrNull(0, "SupplyShip cargo"), "SupplyShip");
    if (object != nullptr) SupplyShipObject::Of(receiver).Load(object);
}

void ShipLoaded(ScriptObject* receiver) {
    NativeArgs(receiver).Stack().Push(static_cast<uint32_t>(SupplyShipObject::Of(receiver).Loaded()));
}

void ShipValueReference(ScriptObject* receiver) {
    NativeArgs(receiver).Stack().Push(SupplyShipObject::Of(receiver).OwnAddress(kSupplyShipValue));
}

// The object left the cargo for a PaidBonus that carries it, placed where the ship is and entered
// into the flight's bonus list. Until a bonus has it the object is this drop's: an error on the way
// destroys it, and so does a bonus that did not take it, unless a script gave it to another owner.
void DropAsBonus(Processor& processor, const SupplyShipObject& ship, ScriptObject* object) {
    std::unique_ptr<ScriptObject, LeftoverDiscarder> carried(object);
    DStack<uint32_t>& stack = processor.DataStack();
    stack.Push(0u - static_cast<uint32_t>(ship.Value()));
    stack.Push(0);
    stack.Push(ship.Own(kVisualY));
    stack.Push(ship.Own(kVisualX));
    stack.Push(object->Address());
    ScriptObject* made = processor.NewObjectByName(String("PaidBonus"));
    carried.release();
    auto* bonus = dynamic_cast<BonusObject*>(made);
    if (bonus == nullptr || bonus->Item() != object) DestroyLeftover(object);
    if (made == nullptr || !made->Alive()) return;
    stack.Push(ship.Own(kVisualY));
    stack.Push(ship.Own(kVisualX));
    processor.CallVirtual(made, kBonusDropVirtual);
    // One that nothing took over is not left behind.
    if (made->Alive() && made->ManagerHolds() == 0) DestroyObject(made);
}

}  // namespace

SupplyHooks& SupplyHooksInstalled() {
    static SupplyHooks hooks;
    return hooks;
}

String FormatWithName(std::string_view format, std::string_view name) {
    std::string out;
    bool substituted = false;
    for (size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        const char next = i + 1 < format.size() ? format[i + 1] : '\0';
        if (c == '%' && next == '%') {
            out += '%';
            ++i;
        } else if (c == '%' && next == 's' && !substituted) {
            out += name;
            substituted = true;
            ++i;
        } else {
            out += c;
        }
    }
    return String::FromBytes(out.data(), out.size());
}

// --- owned objects ---

void OwnedObjects::DestroyAll(CleanupSteps& steps) {
    // Taken out first: what the destructors add is held anew, never half walked.
    std::vector<WeakObject> held;
    held.swap(objects_);
    for (const WeakObject& entry : held) steps.Run([&entry] { DestroyOwned(entry.Get()); });
}

void OwnedObjects::Append(ScriptObject* object) {
    objects_.emplace_back(object);
    MarkHeld(object, HolderKind::kSupply, owner_);
}

bool OwnedObjects::TakeFirst(ScriptObject*& object) {
    if (objects_.empty()) return false;
    object = objects_.front().Get();
    objects_.erase(objects_.begin());
    MarkLetGo(object, HolderKind::kSupply, owner_);
    return true;
}

// --- Supply ---

void SupplyObject::ReleaseOwned() {
    CleanupSteps steps(this);
    steps.Run([this] { ReleaseHeld(); });
    steps.Finish();
    ScriptObject::ReleaseOwned();
}

void SupplyObject::ReleaseHeld() {
    ScriptObject* supplier = supplier_.Get();
    supplier_.Reset();
    if (supplier == nullptr) return;
    DestroyOwned(supplier);
}

void SupplyObject::Hold(ScriptObject* supplier) {
    CheckAlive("Supply");
    ReleaseHeld();
    // The supplier held before may have deleted the supply as it went.
    CheckAlive("Supply");
    supplier_ = WeakObject(supplier);
}

SupplyObject& SupplyObject::Of(ScriptObject* receiver) {
    return ReceiverOf<SupplyObject>(receiver, "Supply object expected");
}

void Supply::ChooseSupplier(Processor& processor, SupplyObject& supply) {
    supply.ReleaseHeld();
    ScriptObject* window = processor.Objects().GetObject(kStarSystemWindowId);
    const auto& placeOf = SupplyHooksInstalled().place;
    if (window == nullptr || !placeOf || !HasEventManager(processor)) return;
    SupplyPlace place;
    if (!placeOf(window, place)) return;
    String className;
    if (!place.planet.Empty()) className = SupplierClassFor(processor, place.planet);
    if (className.Empty()) className = SupplierClassFor(processor, place.system);
    if (className.Empty()) return;
    // Until the Supply holds it: looking up the place ran scripts, which may have deleted the Supply.
    std::unique_ptr<ScriptObject, ObjectDiscarder> supplier(processor.NewObjectByName(className));
    supply.Hold(supplier.get());
    supplier.release();
}

void Supply::Offer(Processor& processor, SupplyObject& supply, ScriptObject* object) {
    ScriptObject* supplier = supply.Supplier();
    if (supplier == nullptr) {
        DeleteOffered(processor, object);
        return;
    }
    processor.DataStack().Push(object != nullptr ? object->Address() : 0);
    processor.CallVirtual(supplier, kAddObjectVirtual);
}

bool Supply::SignContract(Processor& processor, ScriptObject* dialog, uint32_t flags,
                          const String& displayName, const String& className, const String& key) {
    if ((flags & kAskFlag) != 0 && dialog != nullptr) {
        const String format = SystemMessage(processor, kSignContractMessage);
        if (!Agrees(processor, dialog, FormatWithName(format.View(), displayName.View()))) return false;
    }
    // Without an EventManager there is nowhere to keep a contract: it is not signed.
    if (!HasEventManager(processor)) return false;
    EventManager::RecordEventAll(processor, Prefixed(kSupplierClassPrefix, key), 0, className, 1);
    EventManager::RecordEventAll(processor, Prefixed(kSupplierNamePrefix, key), kSupplierNameKind,
                                 displayName, 0);
    return true;
}

bool Supply::CancelContract(Processor& processor, ScriptObject* dialog, uint32_t flags, const String& key) {
    if ((flags & kAskFlag) != 0 && dialog != nullptr && !Agrees(processor, dialog, String())) return false;
    if (!HasEventManager(processor)) return false;
    EventManager::RemoveEventAll(processor, Prefixed(kSupplierClassPrefix, key));
    EventManager::RemoveEventAll(processor, Prefixed(kSupplierNamePrefix, key));
    return true;
}

bool Supply::CheckContract(Processor& processor, const String& className, const String& key) {
    if (!HasEventManager(processor)) return false;
    String text;
    return EventManager::FirstEventText(processor, Prefixed(kSupplierClassPrefix, key), text) &&
           text == className;
}

void Supply::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(SupplyStep, kStepVirtual);
    BindNativeBase(row, target);
    target.SetMethod(CreateNative<SupplyObject, "Supply">, 0);
    target.SetMethod(ChooseNative, 4);
    target.SetMethod(OfferNative, 5);
    target.SetMethod(OfferNative, 6);
    target.SetMethod(SignNative, 7);
    target.SetMethod(CancelNative, 8);
    target.SetMethod(CheckNative, 9);
}

// --- SupplyService ---

SupplyServiceObject& SupplyServiceObject::Of(ScriptObject* receiver) {
    return ReceiverOf<SupplyServiceObject>(receiver, "SupplyService object expected");
}

void SupplyServiceObject::ReleaseOwned() {
    CleanupSteps steps(this);
    queue.DestroyAll(steps);
    steps.Finish();
    ScriptObject::ReleaseOwned();
}

void SupplyService::Step(Processor& processor, SupplyServiceObject& service, int32_t t) {
    if (int64_t{t} < int64_t{service.startTime} + service.delay || service.queue.Empty()) return;
    processor.CallVirtual(&service, kMakeShipVirtual);
    const uint32_t value = processor.DataStack().Pop();
    if (value == 0) return;
    auto* ship = dynamic_cast<SupplyShipObject*>(ScriptObject::FromAddress(value, 0, "supply ship"));
    // Only a supply ship can carry the objects; anything else keeps its owner and the queue waits.
    if (ship == nullptr) return;
    auto* flight = processor.Objects().ListAt(kTestRunListId);
    // Made for a service that went meanwhile (its queue with it) or for a flight there is not:
    // nothing would own it.
    if (!service.Alive() || flight == nullptr) {
        if (ship->ManagerHolds() == 0) DeleteOffered(processor, ship);
        return;
    }
    ship->SetValue(service.shipValue);
    flight->AppendObject(ship);
    ScriptObject* object = nullptr;
    while (service.queue.TakeFirst(object)) {
        if (object != nullptr) ship->Load(object);
    }
}

void SupplyService::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(ServiceStep, kStepVirtual);
    target.SetVirtualMethod(ServiceAdd, kAddObjectVirtual);
    target.SetVirtualMethod(ServiceNoShip, kMakeShipVirtual);
    BindNativeBase(row, target);
    target.SetMethod(CreateNative<SupplyServiceObject, "SupplyService">, 0);
}

// --- SupplyShip ---

SupplyShipObject::SupplyShipObject(ZEMAClass* cls, uint32_t picture, int32_t x, int32_t y, int32_t speedX,
                                   int32_t speedY)
    : ActorObject(cls, picture, 1, x, y, speedX, speedY, 0, 0,
                  uint32_t{kSupplyShipFieldCount} - kActorFieldCount) {
    SetInt(kActorLayer, kLayer);
    SetValue(kDefaultValue);
}

void SupplyShipObject::ReleaseOwned() {
    CleanupSteps steps(this);
    cargo_.DestroyAll(steps);
    steps.Finish();
    ActorObject::ReleaseOwned();
}

void SupplyShipObject::Load(ScriptObject* object) {
    CheckAlive("SupplyShip");
    cargo_.Append(object);
    loaded_ = loaded_ < INT32_MAX ? loaded_ + 1 : loaded_;
}

SupplyShipObject& SupplyShipObject::Of(ScriptObject* receiver) {
    return ReceiverOf<SupplyShipObject>(receiver, "SupplyShip object expected");
}

void SupplyShip::DropCargo(Processor& processor, SupplyShipObject& ship) {
    const int64_t extent = PublishedFlight().sceneWidthX100;
    for (uint32_t aboard = ship.Cargo().Count(); aboard > 0 && ship.Alive(); --aboard) {
        const int64_t total = ship.Loaded();
        const int64_t remaining = ship.Cargo().Count();
        if (remaining == 0 || (extent / (total + 1)) * (total - remaining + 1) >= ship.X()) return;
        ScriptObject* object = nullptr;
        ship.Cargo().TakeFirst(object);
        // An object a script deleted while it was aboard drops as nothing.
        if (object != nullptr) DropAsBonus(processor, ship, object);
    }
}

void SupplyShip::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(ShipStep, kStepVirtual);
    BindNativeBase(row, target);
    target.SetMethod(
        CreateNative<SupplyShipObject, "SupplyShip", uint32_t, int32_t, int32_t, int32_t, int32_t>, 0);
    target.SetMethod(ShipLoad, 35);
    target.SetMethod(ShipLoaded, 36);
    target.SetMethod(ShipValueReference, 37);
}
