// What the shop shows of the other screens: its slot controls, the item information window, the
// player screen and the ship window.
#include "foundation/exceptions.h"
#include "graphics/image.h"
#include "screens/shop_dialog.h"
#include "script/method_runner.h"
#include "script/processor.h"
#include "ui/control.h"
#include "ui/dialog_window.h"
#include "ui/window_services.h"
#include "world/option.h"
#include "world/player.h"
#include "world/slot.h"

namespace {

Processor& ProcessorOf(ShopDialogObject& shop) {
    auto* processor = dynamic_cast<Processor*>(&RunnerOf(&shop));
    if (processor == nullptr) ThrowFatal("Shop without a processor");
    return *processor;
}

}  // namespace

void ShopDialog::AddSlotControl(ShopDialogObject& shop, SlotObject& slot, int32_t x, int32_t y) {
    Image* picture = shop.SlotPicture();
    const int32_t id = shop.RecordSlotControl(slot);
    ControlObject& control =
        NewControlByName(ProcessorOf(shop), "Control",
                         {picture != nullptr ? picture->Address() : 0, static_cast<uint32_t>(x),
                          static_cast<uint32_t>(y), static_cast<uint32_t>(id)});
    shop.Window().AddControl(&control, kListOwned);
}

void ShopDialog::ShowItemWindow(ShopDialogObject&, OptionObject&) {}

void ShopDialog::ShowPlayerScreen(ShopDialogObject&, PlayerObject&) {}

void ShopDialog::OpenShipWindow(ShopDialogObject&, bool) {}
