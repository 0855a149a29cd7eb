// The shop dialog's object, its natives and its binding.
#include "screens/shop_dialog.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "foundation/exceptions.h"
#include "graphics/graphics_kinds.h"
#include "graphics/image.h"
#include "graphics/image_manager.h"
#include "screens/screen_helpers.h"
#include "script/class_manager.h"
#include "script/cleanup_steps.h"
#include "script/method_runner.h"
#include "script/native_args.h"
#include "script/native_binder.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "script/receiver_of.h"
#include "script/zema_class.h"
#include "shell/game_ids.h"
#include "ui/dialog_window.h"
#include "world/option.h"
#include "world/ownership.h"
#include "world/player.h"
#include "world/running_processor.h"
#include "world/ship.h"
#include "world/slot.h"

namespace {

Image* CachedPicture(ZEMAClass* cls, const char* name) {
    auto* processor = dynamic_cast<Processor*>(cls != nullptr ? cls->GetProcessor() : nullptr);
    if (processor == nullptr) return nullptr;
    auto* images = dynamic_cast<ImageManager*>(processor->Objects().GetObject(kImageManagerId));
    return images != nullptr ? images->GetImage(String(name)) : nullptr;
}

void PushWord(ScriptObject* receiver, uint32_t value) {
    NativeArgs(receiver).Stack().Push(value);
}

OptionObject& ItemArgument(NativeArgs& args) {
    ScriptObject* object = args.Object(0, "item");
    auto* item = dynamic_cast<OptionObject*>(object);
    if (item == nullptr) ThrowFatal("Item expected by the shop");
    return *item;
}

// --- natives ---

void AddStockNative(ScriptObject* receiver) {
    ShopDialogObject& shop = ShopDialogObject::Of(receiver);
    NativeArgs args(receiver);
    OptionObject& item = ItemArgument(args);
    Ownable(ShopProcessor(shop), &item, "The shop");
    shop.AddStockSlot(&item);
}

template <ShopField Field>
void PushFieldReference(ScriptObject* receiver) {
    PushWord(receiver, ShopDialogObject::Of(receiver).FieldAddress(Field));
}

void PushShipNative(ScriptObject* receiver) {
    const ScriptObject* ship = ShopDialogObject::Of(receiver).CustomerShip();
    PushWord(receiver, ship != nullptr ? ship->Address() : 0);
}

void PushPlayerNative(ScriptObject* receiver) {
    const ScriptObject* player = ShopDialogObject::Of(receiver).Customer();
    PushWord(receiver, player != nullptr ? player->Address() : 0);
}

void SetMarginNative(ScriptObject* receiver) {
    ShopDialogObject& shop = ShopDialogObject::Of(receiver);
    shop.SetMargin(NativeArgs(receiver).Int());
}

void PushMarginNative(ScriptObject* receiver) {
    PushWord(receiver, static_cast<uint32_t>(ShopDialogObject::Of(receiver).Margin()));
}

// --- events ---

void WindowMessageEvent(ScriptObject* receiver) {
    ShopDialogObject& shop = ShopDialogObject::Of(receiver);
    NativeArgs args(receiver);
    const int32_t p2 = args.Int();
    const int32_t p1 = args.Int();
    const int32_t code = args.Int();
    ShopDialog::OnWindowMessage(shop, code, p1, p2);
}

void BuildEvent(ScriptObject* receiver) {
    ShopDialog::Build(ShopDialogObject::Of(receiver));
}

void ExtraControlsEvent(ScriptObject* receiver) {
    ShopDialogObject::Of(receiver);
    NativeArgs(receiver).Int();
}

void FillStockEvent(ScriptObject*) {}

// The buy or sell price event: pops the item, pushes the price.
template <int32_t (*Price)(ShopDialogObject&, OptionObject&)>
void PriceEvent(ScriptObject* receiver) {
    ShopDialogObject& shop = ShopDialogObject::Of(receiver);
    NativeArgs args(receiver);
    OptionObject& item = ItemArgument(args);
    args.Stack().Push(static_cast<uint32_t>(Price(shop, item)));
}

void BuyEvent(ScriptObject* receiver) {
    ShopDialogObject& shop = ShopDialogObject::Of(receiver);
    NativeArgs args(receiver);
    OptionObject& item = ItemArgument(args);
    const OptionObject* bought = ShopDialog::Buy(shop, item);
    args.Stack().Push(bought != nullptr ? bought->Address() : 0);
}

void SellEvent(ScriptObject* receiver) {
    ShopDialogObject& shop = ShopDialogObject::Of(receiver);
    NativeArgs args(receiver);
    OptionObject& item = ItemArgument(args);
    args.Stack().Push(ShopDialog::Sell(shop, item) ? 1 : 0);
}

// Virtual methods go into empty slots only, so a binding run after another's keeps the first.
void BindEvents(ZEMAClass& target) {
    target.SetVirtualMethod(WindowMessageEvent, kDialogEventVirtual);
    target.SetVirtualMethod(BuildEvent, kShopBuildVirtual);
    target.SetVirtualMethod(ExtraControlsEvent, kShopExtraControlsVirtual);
    target.SetVirtualMethod(FillStockEvent, kShopFillStockVirtual);
    target.SetVirtualMethod(PriceEvent<ShopDialog::BuyPrice>, kShopBuyPriceVirtual);
    target.SetVirtualMethod(PriceEvent<ShopDialog::SellPrice>, kShopSellPriceVirtual);
    target.SetVirtualMethod(BuyEvent, kShopBuyVirtual);
    target.SetVirtualMethod(SellEvent, kShopSellVirtual);
}

void BindNatives(ZEMAClass& target) {
    target.SetMethod(AddStockNative, 19);
    target.SetMethod(PushFieldReference<kShopGridX>, 20);
    target.SetMethod(PushFieldReference<kShopGridY>, 21);
    target.SetMethod(PushFieldReference<kShopGridColumns>, 22);
    target.SetMethod(PushFieldReference<kShopGridRows>, 23);
    target.SetMethod(PushShipNative, 24);
    target.SetMethod(PushPlayerNative, 25);
    target.SetMethod(PushFieldReference<kShopSlotPicture>, 26);
    target.SetMethod(SetMarginNative, 27);
    target.SetMethod(PushMarginNative, 28);
    target.SetMethod(PushFieldReference<kShopLowerPane>, 29);
}

}  // namespace

Image* ShopDialogObject::UpPicture() const {
    return up_.As<Image>();
}

Image* ShopDialogObject::DownPicture() const {
    return down_.As<Image>();
}

Image* ShopDialogObject::LinePicture() const {
    return line_.As<Image>();
}

ShopDialogObject::ShopDialogObject(ZEMAClass* cls, PlayerObject* player)
    : ZEMADialogObject(cls),
      up_(CachedPicture(cls, "Misc\\Up.dpf")),
      down_(CachedPicture(cls, "Misc\\Down.dpf")),
      line_(CachedPicture(cls, "Misc\\SchemaLine.dpf")),
      customer_(player) {
    // The shop keeps the dialog's kind: every native that takes a dialog takes a shop.
    fields_.Data()[kShopLowerPane] = 1;
    slots_ = WeakObject(CachedPicture(cls, "Misc\\Slots.dpf"));
    fields_.Data()[kShopSlotPicture] = slots_.Address();
}

void ShopDialogObject::ReleaseOwned() {
    CleanupSteps steps(this);
    steps.Run([this] { Window().Close(); });
    DestroySlots(steps, std::exchange(itemRows_, {}), SlotItems::kShown);
    DestroySlots(steps, std::exchange(stock_, {}), SlotItems::kOwned);
    steps.Run([this] {
        OptionObject* item = Held();
        held_.Reset();
        if (item != nullptr && item->Alive()) DestroyObject(item);
    });
    steps.Run([this] { ZEMADialogObject::ReleaseOwned(); });
    steps.Finish();
}

int32_t ShopDialogObject::GridX() const {
    return std::clamp(Field(kShopGridX), -kMaxGridOffset, kMaxGridOffset);
}

int32_t ShopDialogObject::GridY() const {
    return std::clamp(Field(kShopGridY), -kMaxGridOffset, kMaxGridOffset);
}

int32_t ShopDialogObject::GridColumns() const {
    return std::clamp(Field(kShopGridColumns), 0, kMaxGridColumns);
}

int32_t ShopDialogObject::GridRows() const {
    return std::clamp(Field(kShopGridRows), 0, kMaxGridRows);
}

Image* ShopDialogObject::SlotPicture() const {
    return ObjectBesideField<Image>(fields_.Data()[kShopSlotPicture], slots_, kImageKind);
}

PlayerObject* ShopDialogObject::Customer() const {
    return customer_.As<PlayerObject>();
}

void ShopDialogObject::SetCustomer(PlayerObject* player) {
    customer_ = WeakObject(player);
}

ShipObject* ShopDialogObject::CustomerShip() const {
    const PlayerObject* player = Customer();
    return player != nullptr ? dynamic_cast<ShipObject*>(player->Ship()) : nullptr;
}

OptionObject* ShopDialogObject::Held() const {
    return held_.As<OptionObject>();
}

void ShopDialogObject::SetHeld(OptionObject* item) {
    item = IfAlive(item);
    MarkLetGo(Held(), HolderKind::kHand, this);
    if (!Alive()) {
        held_.Reset();
        if (item != nullptr) DestroyObject(item);
        return;
    }
    held_ = WeakObject(item);
    MarkHeld(item, HolderKind::kHand, this);
    ShopDialog::UpdatePointer(*this);
}

void ShopDialogObject::SetToolMode(int32_t mode) {
    toolMode_ = mode;
    if (Alive()) ShopDialog::UpdatePointer(*this);
}

SlotObject& ShopDialogObject::NewSlot(std::vector<WeakObject>& into, OptionObject* item, bool owning) {
    CheckAlive("shop");
    if (item != nullptr) item->CheckAlive("item");
    auto* processor = dynamic_cast<Processor*>(&RunnerOf(this));
    if (processor == nullptr) ThrowFatal("Shop without a processor");
    ZEMAClass* slotClass = processor->Classes().Get(String("Slot"));
    std::unique_ptr<SlotObject, ObjectDiscarder> slot(
        new SlotObject(slotClass, nullptr, 0, 0, kShopStockKind));
    slot->SetInt(kSlotOwnsItems, owning ? 1 : 0);
    into.emplace_back(slot.get());
    SlotObject& made = *slot.release();
    if (item != nullptr) made.SetObject(item);
    return made;
}

SlotObject& ShopDialogObject::AddStockSlot(OptionObject* item) {
    return NewSlot(stock_, item, true);
}

SlotObject* ShopDialogObject::StockAt(uint32_t index) const {
    return index < stock_.size() ? stock_[index].As<SlotObject>() : nullptr;
}

SlotObject* ShopDialogObject::FirstEmptyStockSlot() const {
    for (const WeakObject& ref : stock_) {
        auto* slot = ref.As<SlotObject>();
        if (slot != nullptr && slot->First() == nullptr) return slot;
    }
    return nullptr;
}

void ShopDialogObject::Restock(OptionObject& item, SlotObject* row) {
    if (row == nullptr || !row->Alive() || row->First() != nullptr || !IsStockSlot(row))
        row = FirstEmptyStockSlot();
    if (row != nullptr)
        row->SetObject(&item);
    else
        AddStockSlot(&item);
}

bool ShopDialogObject::IsStockSlot(const SlotObject* slot) const {
    return slot != nullptr && std::find(stock_.begin(), stock_.end(), WeakObject(slot)) != stock_.end();
}

void ShopDialogObject::ClearItemRows() {
    CleanupSteps steps(this);
    DestroySlots(steps, std::exchange(itemRows_, {}), SlotItems::kShown);
    steps.Finish();
}

SlotObject& ShopDialogObject::AddItemRow(OptionObject* item) {
    return NewSlot(itemRows_, item, false);
}

bool ShopDialogObject::IsItemRow(const SlotObject* slot) const {
    return slot != nullptr &&
           std::find(itemRows_.begin(), itemRows_.end(), WeakObject(slot)) != itemRows_.end();
}

void ShopDialogObject::ForgetSlotControls() {
    slotControls_.clear();
}

int32_t ShopDialogObject::RecordSlotControl(SlotObject& slot) {
    slotControls_.emplace_back(&slot);
    return kFirstSlotControlId + static_cast<int32_t>(slotControls_.size() - 1);
}

SlotObject* ShopDialogObject::SlotOfControl(int32_t id) const {
    const int64_t index = int64_t{id} - kFirstSlotControlId;
    if (index < 0 || index >= static_cast<int64_t>(slotControls_.size())) return nullptr;
    return slotControls_[static_cast<size_t>(index)].As<SlotObject>();
}

ShopDialogObject& ShopDialogObject::Of(ScriptObject* receiver) {
    return ReceiverOf<ShopDialogObject>(receiver, "Shop dialog object expected");
}

Processor& ShopProcessor(ShopDialogObject& shop) {
    return RunningProcessor(&shop, "Shop");
}

void ShopDialog::Bind(ZEMAClass& target, const NativeClassRow& row) {
    BindEvents(target);
    BindNativeBase(row, target);
    target.SetMethod(CreateShopOf<ShopDialogObject>, kCreateObjectMethod);
    BindNatives(target);
}

String FormatMessage(std::string_view text, const std::vector<std::string>& values) {
    std::string out;
    size_t next = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%' || i + 1 >= text.size()) {
            out += text[i];
            continue;
        }
        const char conversion = text[++i];
        if (conversion == '%') {
            out += '%';
        } else if (conversion == 's' || conversion == 'd' || conversion == 'i' || conversion == 'u') {
            if (next < values.size()) out += values[next];
            ++next;
        }
    }
    return String::FromBytes(out.data(), out.size());
}

PlayerObject* PopShopCustomer(NativeArgs& args) {
    ScriptObject* customer = args.ObjectOrNull(0, "player");
    auto* player = dynamic_cast<PlayerObject*>(customer);
    if (customer != nullptr && player == nullptr) ThrowFatal("Player expected by the shop");
    return player;
}
