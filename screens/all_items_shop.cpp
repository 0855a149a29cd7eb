#include "screens/all_items_shop.h"

#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "foundation/block_reader.h"
#include "foundation/exceptions.h"
#include "screens/screen_helpers.h"
#include "script/method_runner.h"
#include "script/native_args.h"
#include "script/processor.h"
#include "script/receiver_of.h"
#include "script/zema_class.h"
#include "ui/dialog_window.h"
#include "ui/text_controls.h"
#include "ui/ui_objects.h"
#include "ui/window_services.h"
#include "world/option.h"
#include "world/player.h"
#include "world/running_processor.h"

namespace {

struct FieldLayout {
    uint32_t capacity;  // of the text buffer
    int32_t limit;      // characters the field takes; its control also holds the terminator
    int32_t y;
    const char* initial;
};
constexpr FieldLayout kFields[kAllItemsFields] = {
    {100, 30, 200, "Star system"}, {100, 30, 220, "Planet"}, {10, 9, 240, "2"}, {10, 9, 260, "100"}};
constexpr int32_t kFieldX = 620;

bool IsField(int32_t id) {
    return id >= kStarSystemFieldId && id < kStarSystemFieldId + static_cast<int32_t>(kAllItemsFields);
}

uint32_t FieldIndex(int32_t id) {
    if (!IsField(id)) ThrowFatal("No all-items shop field %d", id);
    return static_cast<uint32_t>(id - kStarSystemFieldId);
}

Processor& ProcessorOf(ScriptObject& object) {
    return RunningProcessor(&object, "All-items shop");
}

void WindowMessageEvent(ScriptObject* receiver) {
    AllItemsShopObject& shop = AllItemsShopObject::Of(receiver);
    NativeArgs args(receiver);
    const int32_t p2 = args.Int();
    const int32_t p1 = args.Int();
    const int32_t code = args.Int();
    if (code == kEventPrimary || code == kEventSecondary) {
        AllItemsShop::ActiveField() = 0;
        ShopDialog::CallBuild(shop);
    } else if (code == kEventDoubleClick && IsField(p2)) {
        AllItemsShop::ActiveField() = p2;
        ShopDialog::CallBuild(shop);
    }
    // The build ran scripts: a shop they deleted has no message to handle.
    if (shop.Alive()) ShopDialog::OnWindowMessage(shop, code, p1, p2);
}

// The fields come once, after the shop's own controls.
void ExtraControlsEvent(ScriptObject* receiver) {
    AllItemsShopObject& shop = AllItemsShopObject::Of(receiver);
    if (NativeArgs(receiver).Int() != 1) return;
    DialogWindow& window = shop.Window();
    // Making a field runs its class's scripts, which may delete fields made before it or the shop
    // (whose window then takes no more controls): the fields are looked up at each use.
    std::vector<WeakObject> fields;
    for (uint32_t i = 0; i < kAllItemsFields; ++i) {
        const int32_t id = kStarSystemFieldId + static_cast<int32_t>(i);
        MadeControl<> control = MakeControl(
            ProcessorOf(shop), "Edit",
            {static_cast<uint32_t>(kFieldX), static_cast<uint32_t>(kFields[i].y),
             static_cast<uint32_t>(kFields[i].limit + 1), shop.FieldBuffer(id), static_cast<uint32_t>(id)});
        if (auto* field = dynamic_cast<EditControlObject*>(control.get())) {
            // The texts end at x, so that they stay on the screen whatever they hold.
            field->SetInt(kTextHorizontalAlign, 2);
            field->SetInt(kTextVerticalAlign, 0);
            fields.emplace_back(field);
        }
        AddOwned(window, std::move(control));
        for (const WeakObject& ref : fields) {
            if (auto* field = IfAlive(ref.As<EditControlObject>()))
                field->SetActive(field->Id() == AllItemsShop::ActiveField());
        }
    }
}

void FillStockEvent(ScriptObject* receiver) {
    AllItemsShop::FillStock(AllItemsShopObject::Of(receiver));
}

void FreeEvent(ScriptObject* receiver) {
    AllItemsShopObject::Of(receiver);
    NativeArgs args(receiver);
    args.Word();
    args.Stack().Push(0);
}

}  // namespace

AllItemsShopObject::AllItemsShopObject(ZEMAClass* cls, PlayerObject* player) : ShopDialogObject(cls, player) {
    SetField(kShopGridX, 150);
    SetField(kShopGridY, 70);
    SetField(kShopGridColumns, 6);
    SetField(kShopGridRows, 6);
    for (uint32_t i = 0; i < kAllItemsFields; ++i) {
        texts_[i] = NewScriptBuffer<char>(kFields[i].capacity);
        SetFieldText(kStarSystemFieldId + static_cast<int32_t>(i), kFields[i].initial);
    }
}

std::string AllItemsShopObject::FieldText(int32_t id) const {
    const uint32_t i = FieldIndex(id);
    // Typing and scripts write the buffer: it is read up to its end whatever it holds.
    return std::string(texts_[i].get(), strnlen(texts_[i].get(), kFields[i].capacity - 1));
}

void AllItemsShopObject::SetFieldText(int32_t id, std::string_view text) {
    const uint32_t i = FieldIndex(id);
    const size_t n = std::min<size_t>(text.size(), kFields[i].capacity - 1);
    std::memcpy(texts_[i].get(), text.data(), n);
    texts_[i].get()[n] = '\0';
}

uint32_t AllItemsShopObject::FieldBuffer(int32_t id) const {
    return ToScript(texts_[FieldIndex(id)].get());
}

int32_t AllItemsShopObject::FieldLimit(int32_t id) {
    return kFields[FieldIndex(id)].limit;
}

AllItemsShopObject& AllItemsShopObject::Of(ScriptObject* receiver) {
    return ReceiverOf<AllItemsShopObject>(receiver, "All-items shop object expected");
}

void AllItemsShop::FillStock(AllItemsShopObject& shop) {
    Processor& processor = ProcessorOf(shop);
    FD::File* archive = processor.Archive();
    if (archive == nullptr) ThrowFatal("No archive to read \"%s\" from", shop.ListName().Text());
    EntryBlockReader reader(archive, 1024, 1024, 128);
    reader.Open(shop.ListName());
    while (!reader.AtEnd()) {
        String word;
        reader >> word;
        if (word.View().empty()) continue;
        StackDepths depths;
        processor.SaveStackDepths(depths);
        std::unique_ptr<ScriptObject, ObjectDiscarder> made(processor.NewObjectByName(word));
        processor.RestoreStackDepths(depths);
        auto* item = dynamic_cast<OptionObject*>(made.get());
        if (item == nullptr)
            ThrowFatal("Class \"%s\" in \"%s\" makes no item", word.Text(), shop.ListName().Text());
        // The item's class ran its scripts as it was made: a shop they deleted takes no stock
        // (AddStockSlot refuses, and the item goes).
        shop.AddStockSlot(item);
        made.release();  // the stock row holds it
    }
}

int32_t& AllItemsShop::ActiveField() {
    static int32_t active = 0;
    return active;
}

void AllItemsShop::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(WindowMessageEvent, kDialogEventVirtual);
    target.SetVirtualMethod(ExtraControlsEvent, kShopExtraControlsVirtual);
    target.SetVirtualMethod(FillStockEvent, kShopFillStockVirtual);
    target.SetVirtualMethod(FreeEvent, kShopBuyPriceVirtual);
    target.SetVirtualMethod(FreeEvent, kShopSellPriceVirtual);
    ShopDialog::Bind(target, row);
    target.SetMethod(CreateShopOf<AllItemsShopObject>, kCreateObjectMethod);
}
