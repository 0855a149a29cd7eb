// The shop window's messages (event 7): tips at the start, hints, the wheel, the buttons, clicks
// on slots and closing; and the pointer that shows the hand or the tool.
#include <algorithm>

#include "foundation/exceptions.h"
#include "screens/hand.h"
#include "screens/screen_helpers.h"
#include "screens/shop_dialog.h"
#include "script/method_runner.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "ui/control.h"
#include "ui/dialog_window.h"
#include "ui/visual.h"
#include "world/option.h"
#include "world/player.h"
#include "world/slot.h"

namespace {

constexpr const char* kShopTipsEvent = "HELP_SHOP";
constexpr int32_t kShopTipsNumber = 30;
constexpr int32_t kInformationPointer = 1;
constexpr int32_t kSellingPointer = 4;

void Refresh(ShopDialogObject& shop) {
    ShopDialog::CallBuild(shop);
}

// The slot a control of the window shows, or null when it is no slot control.
SlotObject* SlotOfControl(ShopDialogObject& shop, int32_t id) {
    return shop.SlotOfControl(id);
}

void Scroll(ShopDialogObject& shop, int64_t rows) {
    const int64_t columns = shop.GridColumns();
    if (columns == 0) return;
    const int64_t lines = (int64_t{shop.StockCount()} + columns - 1) / columns;
    const int64_t last = std::max<int64_t>(0, lines - shop.GridRows());
    shop.SetScrollRow(static_cast<int32_t>(std::clamp<int64_t>(shop.ScrollRow() + rows, 0, last)));
    Refresh(shop);
}

void SellCommand(ShopDialogObject& shop) {
    if (OptionObject* held = shop.Held()) {
        // The sale ran scripts: only what a live shop still holds goes back into its stock.
        if (ShopDialog::CallSell(shop, *held) && shop.Alive() && shop.Held() == held) {
            shop.SetHeld(nullptr);
            shop.Restock(*held, nullptr);
        }
        Refresh(shop);
    } else {
        shop.SetToolMode(shop.ToolMode() == kShopToolSelling ? kShopToolNormal : kShopToolSelling);
    }
}

void InformationCommand(ShopDialogObject& shop) {
    if (OptionObject* held = shop.Held()) {
        ShopDialog::ShowItemWindow(shop, *held);
        return;
    }
    shop.SetToolMode(shop.ToolMode() == kShopToolInformation ? kShopToolNormal : kShopToolInformation);
}

void CustomerCommand(ShopDialogObject& shop, int32_t id) {
    auto* list = PlayerList(ShopProcessor(shop));
    if (list == nullptr) return;
    int32_t index = 0;
    for (auto* node = list->ObjectList().Head(); node != nullptr; node = node->next, ++index) {
        if (index != id - kShopFirstCustomerId) continue;
        auto* player = dynamic_cast<PlayerObject*>(node->item);
        if (player == nullptr) return;
        if (player == shop.Customer()) {
            // The player screen shows the list's current player.
            list->Seek(static_cast<uint32_t>(index));
            ShopDialog::ShowPlayerScreen(shop, *player);
        } else {
            shop.SetCustomer(player);
        }
        Refresh(shop);
        return;
    }
}

void Command(ShopDialogObject& shop, int32_t id) {
    switch (id) {
        case kShopSellId:
            SellCommand(shop);
            return;
        case kShopInformationId:
            InformationCommand(shop);
            return;
        case kShopCloseId:
            shop.Window().PostMessage(kEventClose, 0, 0);
            return;
        case kShopShipWindowId:
            ShopDialog::OpenShipWindow(shop, false);
            return;
        case kShopSecondShipId:
            ShopDialog::OpenShipWindow(shop, true);
            return;
        case kShopScrollUpId:
            Scroll(shop, -1);
            return;
        case kShopScrollDownId:
            Scroll(shop, 1);
            return;
        case kShopRechargeId:
            ShopDialog::Recharge(shop);
            return;
        case kShopPlayerItemsId:
        case kShopShipItemsId: {
            const int32_t page = id == kShopPlayerItemsId ? 1 : 0;
            if (shop.Page() == page) return;
            shop.SetPage(page);
            Refresh(shop);
            return;
        }
        default:
            break;
    }
    if (id >= kShopFirstCustomerId && id <= kShopLastCustomerId) {
        CustomerCommand(shop, id);
        return;
    }
    if (SlotObject* slot = SlotOfControl(shop, id)) ShopDialog::ClickSlot(shop, *slot);
}

}  // namespace

void ShopDialog::OnWindowMessage(ShopDialogObject& shop, int32_t code, int32_t p1, int32_t p2) {
    switch (code) {
        case kEventStart:
            ShowHelpOnce(ShopProcessor(shop), &shop.Window(), kShopTipsEvent, kShopTipsNumber);
            return;
        case kEventRest:
            if (SlotObject* slot = SlotOfControl(shop, p2); slot != nullptr && slot->First() != nullptr)
                shop.Window().SetHint(GTTClass::CallGetName(slot->First()));
            return;
        case kEventSecondary:
            if (p2 == 0 && shop.ToolMode() != kShopToolNormal) shop.SetToolMode(kShopToolNormal);
            if (SlotObject* slot = SlotOfControl(shop, p2); slot != nullptr && slot->First() != nullptr)
                ShowItemWindow(shop, *slot->First());
            return;
        case kEventWheel:
            Scroll(shop, -int64_t{p1});
            return;
        case kEventClose:
            if (!Close(shop)) return;
            Refresh(shop);
            shop.Window().SetResult(1);
            return;
        case kEventPrimary:
        case kEventDoubleClick:
            Command(shop, p2);
            return;
        default:
            return;
    }
}

void ShopDialog::UpdatePointer(ShopDialogObject& shop) {
    const int32_t entry = shop.ToolMode() == kShopToolInformation ? kInformationPointer
                          : shop.ToolMode() == kShopToolSelling   ? kSellingPointer
                                                                  : 0;
    ShowHandPointer(shop.Window(), shop.Held(), entry);
}
