#include "world/bonuses.h"

#include <cstdlib>
#include <memory>

#include "foundation/config_blocks.h"
#include "foundation/exceptions.h"
#include "foundation/saturating.h"
#include "graphics/frame.h"
#include "graphics/image.h"
#include "graphics/screen_buffer.h"
#include "graphics/screen_surface.h"
#include "graphics/zema_screen.h"
#include "script/cleanup_steps.h"
#include "script/native_args.h"
#include "script/native_binder.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "script/receiver_of.h"
#include "shell/game_ids.h"
#include "ui/visual.h"
#include "world/level.h"
#include "world/ownership.h"
#include "world/world_picture.h"

namespace {

constexpr const char* kBonusPicture = "Misc\\Bonus.dpf";
constexpr const char* kMoneyBonusPicture = "Misc\\MoneyBonus.dpf";
constexpr const char* kEnergyBonusPicture = "Misc\\EnergyBonus.dpf";
// Bit 3 of the screen settings' flags: the carried item is drawn above the frame.
constexpr uint16_t kItemOnTopFlag = 1u << 3;

// Refreshed each time a Bonus is made, as the drawing order of every bonus follows it.
bool itemOnTop = false;

bool ReadItemOnTop(Processor& processor) {
    ScriptObject* screenObject = processor.Objects().GetObject(kScreenId);
    auto* screen = screenObject != nullptr ? dynamic_cast<ZEMAScreen*>(screenObject->Class()) : nullptr;
    if (screen == nullptr) return false;
    ScreenBuffer& buffer = screen->Buffer();
    const ScreenSettingsBlock* settings =
        buffer.Surface() != nullptr ? buffer.Surface()->Settings() : nullptr;
    return settings != nullptr && (settings->Flags() & kItemOnTopFlag) != 0;
}

// The values every kind pops after its own leading ones: x, y, value.
struct Placement {
    int32_t x;
    int32_t y;
    int32_t value;
};

Placement PopPlacement(NativeArgs& args) {
    const int32_t x = args.Int();
    const int32_t y = args.Int();
    const int32_t value = args.Int();
    return {x, y, value};
}

void CreateAbsBonus(ScriptObject* receiver) {
    NativeArgs args(receiver);
    ZEMAClass* cls = args.Class("AbsBonus");
    const Placement at = PopPlacement(args);
    PushNewObject(RunnerOf(receiver), std::make_unique<BonusObject>(cls, 0, at.x, at.y, at.value, nullptr));
}

std::unique_ptr<BonusObject> MakeItemBonus(ScriptObject* receiver, NativeArgs& args, const char* what,
                                           int32_t& priceArgument, bool paid) {
    ZEMAClass* cls = args.Class(what);
    Processor& processor = Actor::ProcessorOf(receiver);
    ScriptObject* item = Ownable(processor, args.ObjectOrNull(0, "Bonus item"), what);
    const Placement at = PopPlacement(args);
    priceArgument = paid ? args.Int() : 0;
    itemOnTop = ReadItemOnTop(processor);
    const uint32_t picture = CachedPictureAddress(processor, kBonusPicture);
    return std::make_unique<BonusObject>(cls, picture, at.x, at.y, at.value, item);
}

void CreateBonus(ScriptObject* receiver) {
    NativeArgs args(receiver);
    int32_t unused = 0;
    PushNewObject(RunnerOf(receiver), MakeItemBonus(receiver, args, "Bonus", unused, false));
}

void CreatePaidBonus(ScriptObject* receiver) {
    NativeArgs args(receiver);
    int32_t argument = 0;
    // Asking the price runs the item's script: a bonus that fails it is destroyed with its item.
    std::unique_ptr<BonusObject, ObjectDiscarder> bonus(
        MakeItemBonus(receiver, args, "PaidBonus", argument, true).release());
    bonus->SetInt(kBonusPrice, Bonus::PriceFor(bonus->Item(), argument));
    PushNewObject(RunnerOf(receiver), std::unique_ptr<ScriptObject>(bonus.release()));
}

template <const char* const* Picture>
void CreateAmountBonus(ScriptObject* receiver) {
    NativeArgs args(receiver);
    ZEMAClass* cls = args.Class("AbsBonus");
    const int32_t amount = args.Int();
    const Placement at = PopPlacement(args);
    const uint32_t picture = CachedPictureAddress(Actor::ProcessorOf(receiver), *Picture);
    auto bonus = std::make_unique<BonusObject>(cls, picture, at.x, at.y, at.value, nullptr);
    bonus->SetInt(kBonusAmount, amount);
    bonus->Own(kVisualFlags) = kAnimBounce;
    PushNewObject(RunnerOf(receiver), std::move(bonus));
}

constexpr const char* const kMoneyPicture = kMoneyBonusPicture;
constexpr const char* const kEnergyPicture = kEnergyBonusPicture;

void ZigZagNative(ScriptObject* receiver) {
    NativeArgs args(receiver);
    args.Int();
    Bonus::ZigZag(BonusObject::Of(receiver));
}

void PushEntryCount(ScriptObject* receiver) {
    NativeArgs(receiver).Stack().Push(2);
}

// Entry 0 is the carried item placed at the bonus, entry 1 the frame.
void ItemEntry(ScriptObject* receiver) {
    NativeArgs args(receiver);
    const int32_t entry = args.Int();
    BonusObject& bonus = BonusObject::Of(receiver);
    uint32_t orientation = 0;
    uint32_t frame = 0;
    if (entry == 0) {
        ScriptObject* item = bonus.Item();
        int32_t x = 0;
        int32_t y = 0;
        if (item != nullptr) frame = Visual::CallEvent8(item, 0, x, y, orientation);
    } else {
        const Frame* own = bonus.SelectFrame(0, orientation);
        frame = own != nullptr ? own->Address() : 0;
    }
    PushPictureAnswer(args.Stack(), frame, bonus.Int(kVisualX), bonus.Int(kVisualY), orientation);
}

void ItemDrawPair(ScriptObject* receiver) {
    NativeArgs args(receiver);
    const int32_t entry = args.Int();
    args.Stack().Push(entry == 0 ? 0 : 2);
    args.Stack().Push(entry == 0 ? 4 : 3);
}

void AmountDrawPair(ScriptObject* receiver) {
    NativeArgs args(receiver);
    args.Int();
    args.Stack().Push(2);
    args.Stack().Push(3);
}

void ItemLayer(ScriptObject* receiver) {
    NativeArgs args(receiver);
    const int32_t entry = args.Int();
    const int32_t layer = BonusObject::Of(receiver).Layer();
    const bool lower = itemOnTop ? entry == 0 : entry != 0;
    args.Stack().Push(static_cast<uint32_t>(lower ? layer - 1 : layer));
}

void ItemDrawValue(ScriptObject* receiver) {
    NativeArgs args(receiver);
    const int32_t entry = args.Int();
    args.Stack().Push(entry == 0 ? 4 : 0);
}

void Drop(ScriptObject* receiver) {
    NativeArgs args(receiver);
    const int32_t x = args.Int();
    const int32_t y = args.Int();
    BonusObject& bonus = BonusObject::Of(receiver);
    bonus.SetInt(kVisualX, x);
    bonus.SetInt(kVisualY, y);
    auto* list = Actor::ProcessorOf(receiver).Objects().ListAt(kBonusListId);
    // Without a flight's bonus list the bonus stays with whoever holds it.
    if (list != nullptr) list->AppendObject(&bonus);
}

// A bonus in a list is only marked: the list's sweep frees it, once. One that nothing holds goes
// now.
void Free(ScriptObject* receiver) {
    BonusObject& bonus = BonusObject::Of(receiver);
    if (bonus.ManagerHolds() > 0) {
        bonus.SetState(kActorRetired);
        return;
    }
    DestroyObject(&bonus);
}

void Nothing(ScriptObject*) {}

void PushItem(ScriptObject* receiver) {
    ScriptObject* item = BonusObject::Of(receiver).Item();
    NativeArgs(receiver).Stack().Push(item != nullptr ? item->Address() : 0);
}

// The item is let go without being destroyed and the bonus is removed.
void ClearItem(ScriptObject* receiver) {
    BonusObject& bonus = BonusObject::Of(receiver);
    bonus.TakeItem();
    bonus.SetState(kActorGone);
}

void ItemHit(ScriptObject* receiver, bool paid) {
    NativeArgs args(receiver);
    args.Word();  // the damage table plays no part
    const uint32_t toucher = args.Word();
    const int32_t entry = args.Int();
    BonusObject& bonus = BonusObject::Of(receiver);
    // Only the frame (entry 1 on) picks up.
    if (entry == 0) return;
    Bonus::PickUp(bonus, ActorObject::Find(toucher), paid);
}

void BonusHit(ScriptObject* receiver) {
    ItemHit(receiver, false);
}

void PaidBonusHit(ScriptObject* receiver) {
    ItemHit(receiver, true);
}

void AmountHit(ScriptObject* receiver, bool energy) {
    NativeArgs args(receiver);
    args.Word();
    const uint32_t toucher = args.Word();
    args.Int();
    Bonus::PayOut(BonusObject::Of(receiver), ActorObject::Find(toucher), energy);
}

void MoneyHit(ScriptObject* receiver) {
    AmountHit(receiver, false);
}

void EnergyHit(ScriptObject* receiver) {
    AmountHit(receiver, true);
}

void BindCommonVirtuals(ZEMAClass& target) {
    target.SetVirtualMethod(Drop, kBonusDropVirtual);
    target.SetVirtualMethod(Free, kBonusFreeVirtual);
    target.SetVirtualMethod(Nothing, 20);
}

void BindItemVirtuals(ZEMAClass& target) {
    target.SetVirtualMethod(ZigZagNative, kStepVirtual);
    target.SetVirtualMethod(PushEntryCount, kPictureCountVirtual);
    target.SetVirtualMethod(ItemEntry, kPictureVirtual);
    target.SetVirtualMethod(ItemDrawPair, 9);
    target.SetVirtualMethod(ItemLayer, kLayerVirtual);
    target.SetVirtualMethod(ItemDrawValue, 12);
}

}  // namespace

BonusObject::BonusObject(ZEMAClass* cls, uint32_t picture, int32_t x, int32_t y, int32_t value,
                         ScriptObject* item)
    : ActorObject(cls, picture, 0, x, y, kBonusSpeedX, kBonusSpeedY, 0, 0,
                  uint32_t{kBonusFieldCount} - kActorFieldCount),
      item_(item) {
    SetInt(kBonusValue, value);
    SetInt(kActorLayer, kBonusLayer);
    SetInt(kBonusCountdown, kBonusFirstTurn);
    SetInt(kBonusPeriod, kBonusPeriodSteps);
    MarkHeld(item, HolderKind::kBonus, this);
}

void BonusObject::ReleaseOwned() {
    CleanupSteps steps(this);
    steps.Run([this] { DestroyOwned(TakeItem()); });
    steps.Finish();
    ActorObject::ReleaseOwned();
}

ScriptObject* BonusObject::TakeItem() {
    ScriptObject* item = item_.Get();
    item_.Reset();
    MarkLetGo(item, HolderKind::kBonus, this);
    return item;
}

void BonusObject::Carry(ScriptObject* item) {
    CheckAlive("Bonus");
    MarkLetGo(item_.Get(), HolderKind::kBonus, this);
    item_ = WeakObject(item);
    MarkHeld(item, HolderKind::kBonus, this);
}

BonusObject& BonusObject::Of(ScriptObject* receiver) {
    return ReceiverOf<BonusObject>(receiver, "Bonus object expected");
}

void Bonus::ZigZag(BonusObject& bonus) {
    const int32_t countdown = bonus.Int(kBonusCountdown);
    if (countdown == 1) {
        bonus.SetInt(kActorSpeedX, static_cast<int32_t>(0u - static_cast<uint32_t>(bonus.SpeedX())));
        bonus.SetInt(kBonusCountdown, bonus.Int(kBonusPeriod));
    } else {
        bonus.SetInt(kBonusCountdown, static_cast<int32_t>(static_cast<uint32_t>(countdown) - 1));
    }
    // Positions wrap as script arithmetic does.
    bonus.SetInt(kVisualX, static_cast<int32_t>(static_cast<uint32_t>(bonus.X()) +
                                                static_cast<uint32_t>(bonus.SpeedX())));
    bonus.SetInt(kVisualY, static_cast<int32_t>(static_cast<uint32_t>(bonus.Y()) +
                                                static_cast<uint32_t>(bonus.SpeedY())));
    const int64_t y = bonus.Y();
    if (y < -kBonusFieldMargin || y > int64_t{PublishedFlight().screenHeightX100} + kBonusFieldMargin) {
        bonus.SetState(kActorGone);
    }
    bonus.Step();
}

int32_t Bonus::PriceFor(ScriptObject* item, int32_t argument) {
    if (argument > 0) return argument;
    if (argument == 0 || item == nullptr) return 0;
    return SaturateInt32(int64_t{CallScriptMethod16PopInt(item)} * -int64_t{argument} / 100);
}

void AbsBonus::Bind(ZEMAClass& target, const NativeClassRow& row) {
    BindCommonVirtuals(target);
    BindNativeBase(row, target);
    target.SetMethod(CreateAbsBonus, 0);
}

void Bonus::Bind(ZEMAClass& target, const NativeClassRow& row) {
    BindItemVirtuals(target);
    target.SetVirtualMethod(BonusHit, kHitVirtual);
    BindNativeBase(row, target);
    target.SetMethod(CreateBonus, 0);
    target.SetMethod(PushItem, 35);
    target.SetMethod(ClearItem, 36);
}

void PaidBonus::Bind(ZEMAClass& target, const NativeClassRow& row) {
    BindItemVirtuals(target);
    target.SetVirtualMethod(PaidBonusHit, kHitVirtual);
    BindNativeBase(row, target);
    target.SetMethod(CreatePaidBonus, 0);
}

void MoneyBonus::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(ZigZagNative, kStepVirtual);
    target.SetVirtualMethod(AmountDrawPair, 9);
    target.SetVirtualMethod(MoneyHit, kHitVirtual);
    BindNativeBase(row, target);
    target.SetMethod(CreateAmountBonus<&kMoneyPicture>, 0);
}

void EnergyBonus::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(ZigZagNative, kStepVirtual);
    target.SetVirtualMethod(AmountDrawPair, 9);
    target.SetVirtualMethod(EnergyHit, kHitVirtual);
    BindNativeBase(row, target);
    target.SetMethod(CreateAmountBonus<&kEnergyPicture>, 0);
}
