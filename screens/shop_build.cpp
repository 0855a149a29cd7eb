// The shop window's build (event 8): every control is made again by class name after each change.
#include <algorithm>
#include <string>
#include <utility>

#include "foundation/exceptions.h"
#include "foundation/script_memory.h"
#include "foundation/word.h"
#include "graphics/display.h"
#include "graphics/frame.h"
#include "graphics/image.h"
#include "graphics/screen_surface.h"
#include "screens/screen_helpers.h"
#include "screens/shop_dialog.h"
#include "script/method_runner.h"
#include "script/object_manager.h"
#include "script/object_walk.h"
#include "script/processor.h"
#include "shell/game_ids.h"
#include "ui/control.h"
#include "ui/dialog_window.h"
#include "ui/text_controls.h"
#include "ui/visual.h"
#include "ui/window_services.h"
#include "world/option.h"
#include "world/player.h"
#include "world/running_processor.h"
#include "world/ship.h"
#include "world/slot.h"

namespace {

constexpr uint32_t kShopHelpNumber = 30;
constexpr int32_t kButtonStep = 25;
// The rows below the tool buttons are closer, so that a column with one customer ends above y 200,
// where the all-items shop puts its fields.
constexpr int32_t kRowStep = 20;
constexpr int32_t kMaxCustomers = kShopLastCustomerId - kShopFirstCustomerId + 1;

struct ButtonText {
    int32_t id;
    uint32_t text;
};
constexpr ButtonText kToolButtons[] = {
    {kShopSellId, 182}, {kShopRechargeId, 345}, {kShopInformationId, 104}, {kShopCloseId, 102}};
constexpr uint32_t kShipItemsText = 477;
constexpr uint32_t kPlayerItemsText = 478;
constexpr uint32_t kMoneyUnitText = 310;
constexpr uint32_t kShipWindowText = 183;
constexpr uint32_t kSecondShipText = 189;

void CallExtraControls(ShopDialogObject& shop, int32_t when) {
    MethodRunner& runner = RunnerOf(&shop);
    runner.DataStack().Push(Word(when));
    runner.CallVirtual(&shop, kShopExtraControlsVirtual);
}

int32_t ScreenWidth(DialogWindow& window) {
    const ScreenSurface* surface = ScreenSurfaceOf(window);
    return surface != nullptr ? surface->Width() : 640;
}

// A label or button of a text kept in script memory while the control is made (it copies it).
ControlObject& TextControl(ShopDialogObject& shop, const char* className, int32_t id, const std::string& text,
                           int32_t x, int32_t y, int32_t align) {
    MadeControl<StaticTextObject> control = NewTextControl(ShopProcessor(shop), className, x, y, text, id);
    control->SetInt(kTextHorizontalAlign, align);
    return AddOwned(shop.Window(), std::move(control));
}

ControlObject& MessageControl(ShopDialogObject& shop, const char* className, int32_t id, uint32_t text,
                              int32_t x, int32_t y) {
    const String message = SystemMessage(ShopProcessor(shop), text);
    ControlObject& control = TextControl(shop, className, id, std::string(message.View()), x, y, 2);
    control.SetHelpText("Help.mes", static_cast<int32_t>(text));
    return control;
}

void PictureControl(ShopDialogObject& shop, Image* picture, int32_t id, int32_t x, int32_t y) {
    if (picture == nullptr) return;
    AddOwned(shop.Window(),
             MakeControl(ShopProcessor(shop), "Control", {picture->Address(), Word(x), Word(y), Word(id)}));
}

// The width and height one slot control takes.
void SlotCell(ShopDialogObject& shop, int32_t& width, int32_t& height) {
    width = height = 40;
    Image* picture = shop.SlotPicture();
    Frame* frame = picture != nullptr && picture->FrameCount() > 0 ? picture->GetFrame(0) : nullptr;
    if (frame == nullptr) return;
    width = static_cast<int32_t>(std::min<uint32_t>(frame->Width(), 1000));
    height = static_cast<int32_t>(std::min<uint32_t>(frame->Height(), 1000));
}

void AddCustomers(ShopDialogObject& shop, int32_t x, int32_t& y) {
    auto* list = PlayerList(ShopProcessor(shop));
    if (list == nullptr) return;
    const String unit = SystemMessage(ShopProcessor(shop), kMoneyUnitText);
    // Making a button runs its class's scripts, which may change the list: the walk goes over the
    // players there when it began, and a button's number is its player's place among those still
    // there, where the command looks for it.
    const ObjectWalk<> walk(ObjectWalk<>::ItemsOf(list->ObjectList()));
    int32_t index = 0;
    walk.ForEachAlive([&](ScriptObject& entry) {
        auto* player = dynamic_cast<PlayerObject*>(&entry);
        if (index >= kMaxCustomers) return;
        if (player != nullptr) {
            const std::string label = std::string(player->Name().View()) + " : " +
                                      std::to_string(player->MoneyUnits()) + " " + std::string(unit.View());
            TextControl(shop, "TextButton", kShopFirstCustomerId + index, label, x, y, 2);
            y += kRowStep;
        }
        ++index;
    });
}

void AddStockGrid(ShopDialogObject& shop, int32_t cellW, int32_t cellH) {
    const int32_t columns = shop.GridColumns();
    const int32_t rows = shop.GridRows();
    const int32_t x0 = shop.GridX();
    const int32_t y0 = shop.GridY();
    const int64_t first = int64_t{shop.ScrollRow()} * columns;
    for (int32_t r = 0; r < rows; ++r) {
        for (int32_t c = 0; c < columns; ++c) {
            const int64_t index = first + int64_t{r} * columns + c;
            if (index < 0 || index >= shop.StockCount()) return;
            if (SlotObject* slot = shop.StockAt(static_cast<uint32_t>(index)))
                ShopDialog::AddSlotControl(shop, *slot, x0 + c * cellW, y0 + r * cellH);
        }
    }
}

void AddLowerPane(ShopDialogObject& shop, int32_t x0, int32_t y0, int32_t cellW, int32_t cellH,
                  int32_t perRow) {
    // Clearing runs the rows' script destructors: the ship and the player are asked for after it.
    shop.ClearItemRows();
    int32_t k = 0;
    auto place = [&](SlotObject& slot) {
        ShopDialog::AddSlotControl(shop, slot, x0 + (k % perRow) * cellW, y0 + (k / perRow) * cellH);
        ++k;
    };
    if (shop.Page() == 0) {
        ShipObject* ship = shop.CustomerShip();
        for (uint32_t i = 0; ship != nullptr && i < ship->SlotCount(kPlainGroup); ++i) {
            if (SlotObject* slot = ship->SlotAt(kPlainGroup, static_cast<int32_t>(i))) place(*slot);
        }
        return;
    }
    PlayerObject* player = shop.Customer();
    if (player == nullptr) return;
    for (ScriptObject* item : player->Items()) {
        if (auto* option = dynamic_cast<OptionObject*>(item)) place(shop.AddItemRow(option));
    }
}

}  // namespace

void ShopDialog::Build(ShopDialogObject& shop) {
    DialogWindow& window = shop.Window();
    if (!shop.StockFilled()) {
        shop.SetStockFilled();
        RunnerOf(&shop).CallVirtual(&shop, kShopFillStockVirtual);
    }
    const int64_t shown = (int64_t{shop.ScrollRow()} + shop.GridRows()) * shop.GridColumns();
    shop.SetMoreBelow(shown < shop.StockCount());

    window.SetSkipDraw();
    window.ClearControls();
    shop.ForgetSlotControls();
    CallExtraControls(shop, 0);
    window.SetHelp(static_cast<int32_t>(kShopHelpNumber), String("Help.mes"));

    const int32_t w = ScreenWidth(window);
    const int32_t column = w - 10;
    TextControl(shop, "StaticText", kShopCaptionId, std::string(GTTClass::CallGetName(&shop).View()), 10, 10,
                0);
    PictureControl(shop, shop.LinePicture(), kShopLineId, 10, 30);
    int32_t y = 10;
    for (const ButtonText& button : kToolButtons) {
        MessageControl(shop, "TextButton", button.id, button.text, column, y);
        y += kButtonStep;
    }
    MessageControl(shop, shop.Page() == 0 ? "StaticText" : "TextButton", kShopShipItemsId, kShipItemsText,
                   column, y);
    y += kRowStep;
    MessageControl(shop, shop.Page() == 1 ? "StaticText" : "TextButton", kShopPlayerItemsId, kPlayerItemsText,
                   column, y);
    y += kRowStep;
    AddCustomers(shop, column, y);
    MessageControl(shop, "TextButton", kShopShipWindowId, kShipWindowText, column, y);
    y += kRowStep;
    MessageControl(shop, "TextButton", kShopSecondShipId, kSecondShipText, column, y);

    int32_t cellW = 0;
    int32_t cellH = 0;
    SlotCell(shop, cellW, cellH);
    AddStockGrid(shop, cellW, cellH);
    const int32_t gridRight = shop.GridX() + shop.GridColumns() * cellW + 10;
    const int32_t gridTop = shop.GridY();
    if (shop.MoreBelow())
        PictureControl(shop, shop.DownPicture(), kShopScrollDownId, gridRight,
                       gridTop + std::max(0, shop.GridRows() - 1) * cellH);
    if (shop.ScrollRow() != 0) PictureControl(shop, shop.UpPicture(), kShopScrollUpId, gridRight, gridTop);
    if (shop.LowerPaneShown()) {
        const int32_t paneTop = gridTop + shop.GridRows() * cellH + 20;
        AddLowerPane(shop, shop.GridX(), paneTop, cellW, cellH, std::max(shop.GridColumns(), 1));
    }
    CallExtraControls(shop, 1);
}
