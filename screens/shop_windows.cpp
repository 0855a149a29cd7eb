// What the shop shows of the other screens: its slot controls, the item information window, the
// player screen and the ship window.
#include <memory>

#include "foundation/exceptions.h"
#include "graphics/image.h"
#include "screens/item_window.h"
#include "screens/player_screen.h"
#include "screens/screen_helpers.h"
#include "screens/ship_window.h"
#include "screens/shop_dialog.h"
#include "screens/slot_control.h"
#include "script/method_runner.h"
#include "script/processor.h"
#include "ui/dialog_window.h"
#include "world/option.h"
#include "world/player.h"
#include "world/ship.h"
#include "world/slot.h"

namespace {

// Marks the shop busy while a window runs over it, also when the run fails.
class ChildOpen {
  public:
    explicit ChildOpen(DialogWindow& window) : window_(window) {
        window_.ReleaseFocus();
        window_.SetChildOpen(true);
    }
    ~ChildOpen() { window_.SetChildOpen(false); }
    ChildOpen(const ChildOpen&) = delete;
    ChildOpen& operator=(const ChildOpen&) = delete;

  private:
    DialogWindow& window_;
};

}  // namespace

void ShopDialog::AddSlotControl(ShopDialogObject& shop, SlotObject& slot, int32_t x, int32_t y) {
    const Image* picture = shop.SlotPicture();
    SlotControlInit init;
    init.picture = picture != nullptr ? picture->Address() : 0;
    init.x = x;
    init.y = y;
    init.id = shop.RecordSlotControl(slot);
    init.slot = &slot;
    init.selection = [ref = WeakObject(&shop)]() -> OptionObject* {
        const auto* owner = ref.As<ShopDialogObject>();
        return owner != nullptr ? owner->Held() : nullptr;
    };
    init.ship = shop.CustomerShip();
    AddOwned(shop.Window(), NewSlotControl(ShopProcessor(shop), init));
}

void ShopDialog::ShowItemWindow(ShopDialogObject& shop, OptionObject& item) {
    ShowItemInfo(shop.Window(), item);
}

void ShopDialog::ShowPlayerScreen(ShopDialogObject& shop, PlayerObject&) {
    ::ShowPlayerScreen(shop.Window());
}

void ShopDialog::OpenShipWindow(ShopDialogObject& shop, bool secondShip) {
    PlayerObject* player = shop.Customer();
    if (player == nullptr) return;
    auto* ship = dynamic_cast<ShipObject*>(secondShip ? player->ReserveShip() : player->Ship());
    // No ship to show, or no device to run with: nothing opens.
    if (ship == nullptr || shop.Window().Input() == nullptr) return;
    ShipWindow window(*ship);
    // The window's build ran scripts: the shop and the device are asked for again.
    InputDevice* input = shop.Window().Input();
    if (input == nullptr || !shop.Alive()) {
        window.End();
        return;
    }
    window.SetKeepHeld(true);
    if (OptionObject* held = shop.Held()) {
        shop.SetHeld(nullptr);
        window.SetHeld(held);
    }
    {
        ChildOpen busy(shop.Window());
        window.Run(*input, shop.Window().InputOwner());
    }
    // A shop that is gone takes nothing back: what the hand holds goes with the window.
    if (shop.Alive()) {
        shop.SetHeld(window.TakeHeld());
        if (PlayerObject* chosen = window.Player()) shop.SetCustomer(chosen);
    }
    window.End();
    if (shop.Alive()) CallBuild(shop);
}
