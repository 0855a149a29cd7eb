// The shop: a script dialog ("ShopDialog", or a script class derived from it) in which a player
// buys and sells items and ships from a stock of slots at the shop's prices, keeps one item in hand,
// recharges energy sources, loads ammunition and refits the ship. Prices, buying and selling are the
// dialog's virtual methods, always called through the processor, so a script class may change them.
// The trade rules are in screens/shop_trade.cpp, the window build in screens/shop_build.cpp and the
// window's messages in screens/shop_messages.cpp.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/engine_string.h"
#include "script/method_runner.h"
#include "script/native_args.h"
#include "script/script_fields.h"
#include "script/script_object.h"
#include "script/weak_object.h"
#include "script/zema_class.h"
#include "ui/script_dialog.h"

class NativeArgs;

class Image;
class OptionObject;
class PlayerObject;
class Processor;
class ShipObject;
class SlotObject;
struct NativeClassRow;

// The shop's virtual methods beyond the dialog's window message (7).
constexpr uint32_t kShopBuildVirtual = 8;
constexpr uint32_t kShopExtraControlsVirtual = 9;  // 0 before the shop's controls, 1 after
constexpr uint32_t kShopFillStockVirtual = 10;
constexpr uint32_t kShopBuyPriceVirtual = 11;
constexpr uint32_t kShopSellPriceVirtual = 12;
constexpr uint32_t kShopBuyVirtual = 13;
constexpr uint32_t kShopSellVirtual = 14;

// Tool modes: what a click on a slot does.
constexpr int32_t kShopToolNormal = 0;
constexpr int32_t kShopToolInformation = 1;
constexpr int32_t kShopToolSelling = 2;

// Slot kinds of the shop: a stock row, and a row that ignores clicks.
constexpr int32_t kShopStockKind = 8;
constexpr int32_t kShopInertKind = 11;

constexpr int32_t kDefaultShopMargin = 30;
// The skill slot whose level lowers the margin's effect, ten percent a level.
constexpr int32_t kTradeSkillSlot = 51;

// Control ids of the shop's window.
enum ShopControlId : int32_t {
    kShopSellId = 51,
    kShopInformationId = 52,
    kShopCloseId = 53,
    kShopShipWindowId = 54,
    kShopScrollUpId = 55,
    kShopScrollDownId = 56,
    kShopSecondShipId = 57,
    kShopRechargeId = 58,
    kShopCaptionId = 59,
    kShopFirstCustomerId = 60,
    kShopLastCustomerId = 69,
    kShopLineId = 70,
    kShopPlayerItemsId = 92,
    kShopShipItemsId = 93,
};

// The fields scripts reach by address (natives 20-23, 26 and 29); read back as untrusted.
enum ShopField : uint32_t {
    kShopGridX,
    kShopGridY,
    kShopGridColumns,
    kShopGridRows,
    kShopSlotPicture,
    kShopLowerPane,  // a byte: the lower pane is shown while it is not 0
    kShopFieldCount
};

class ShopDialogObject : public ZEMADialogObject {
  public:
    // Grid limits: a stored grid larger than these is taken as these.
    static constexpr int32_t kMaxGridColumns = 64;
    static constexpr int32_t kMaxGridRows = 64;

    // A shop of the class for the player, with the interface pictures from the picture cache.
    ShopDialogObject(ZEMAClass* cls, PlayerObject* player);
    // For a shop the engine deletes without destroying it (one never handed over).
    ~ShopDialogObject() override { ReleaseOwnedQuietly(); }

    // --- the script fields ---
    uint32_t FieldAddress(ShopField field) const { return fields_.Address(field); }
    int32_t Field(ShopField field) const { return static_cast<int32_t>(fields_.Data()[field]); }
    void SetField(ShopField field, int32_t value) { fields_.Data()[field] = static_cast<uint32_t>(value); }
    // The grid's corner brought into +-kMaxGridOffset.
    static constexpr int32_t kMaxGridOffset = 100000;
    int32_t GridX() const;
    int32_t GridY() const;
    // Columns and rows brought into 0 .. the limits.
    int32_t GridColumns() const;
    int32_t GridRows() const;
    bool LowerPaneShown() const { return (fields_.Data()[kShopLowerPane] & 0xFF) != 0; }
    // The slot frames; null when the field names no picture.
    Image* SlotPicture() const;

    // Null once a scene reset took them, for a shop kept past its scene.
    Image* UpPicture() const;
    Image* DownPicture() const;
    Image* LinePicture() const;

    int32_t Margin() const { return margin_; }
    void SetMargin(int32_t margin) { margin_ = margin; }
    int32_t ToolMode() const { return toolMode_; }
    // The pointer follows the tool (ShopDialog::UpdatePointer).
    void SetToolMode(int32_t mode);
    int32_t Page() const { return page_; }
    void SetPage(int32_t page) { page_ = page; }
    int32_t ScrollRow() const { return scrollRow_; }
    void SetScrollRow(int32_t row) { scrollRow_ = row; }
    bool MoreBelow() const { return moreBelow_; }
    void SetMoreBelow(bool more) { moreBelow_ = more; }
    bool StockFilled() const { return stockFilled_; }
    void SetStockFilled() { stockFilled_ = true; }

    // The customer while it lives, else null.
    PlayerObject* Customer() const;
    void SetCustomer(PlayerObject* player);
    ShipObject* CustomerShip() const;

    // --- the hand: the dialog owns what it holds ---
    OptionObject* Held() const;
    // Puts an item in hand (null empties it); the caller gives the item up, and what was in hand
    // before is the caller's. A dead item empties the hand. Once the shop's destruction has begun
    // the item goes as the hand went (it is destroyed): nothing would let go of it again. The hand
    // marks what it holds as the shop's (world/ownership.h), and the pointer follows the hand
    // (ShopDialog::UpdatePointer), whatever changed it.
    void SetHeld(OptionObject* item);

    // --- the stock: the dialog owns its slots, and they own their items ---
    // A new stock row holding the item (null for an empty row); the row. FatalExep, nothing made,
    // once the shop's destruction has begun: nothing would let go of the row again.
    SlotObject& AddStockSlot(OptionObject* item);
    uint32_t StockCount() const { return static_cast<uint32_t>(stock_.size()); }
    // Null past the end or for a row a script deleted.
    SlotObject* StockAt(uint32_t index) const;
    SlotObject* FirstEmptyStockSlot() const;
    // Puts a sold item back into the stock: into row when it is still there and empty, else into the
    // first empty row or a new one.
    void Restock(OptionObject& item, SlotObject* row);
    bool IsStockSlot(const SlotObject* slot) const;

    // --- the lower pane's rows for the player's carried items ---
    // Rows never own the items: the player does. Every row goes whatever another's script destructor
    // does; the first error passes on once all went.
    void ClearItemRows();
    SlotObject& AddItemRow(OptionObject* item);
    bool IsItemRow(const SlotObject* slot) const;

    // --- the slot controls of the last build, by control id, counted from kFirstSlotControlId ---
    static constexpr int32_t kFirstSlotControlId = 1000;
    void ForgetSlotControls();
    // The id for a new slot control showing the slot.
    int32_t RecordSlotControl(SlotObject& slot);
    // The live slot a control id shows, else null.
    SlotObject* SlotOfControl(int32_t id) const;

    // The receiver of a shop native; FatalExep when it is not a shop.
    static ShopDialogObject& Of(ScriptObject* receiver);

  protected:
    // The window (its controls show the rows, so it goes first), the lower pane's rows (never the
    // player's items), the stock's rows with their items, and an item still in hand: every part
    // goes, the first error of a script destructor passed on once all went.
    void ReleaseOwned() override;

  private:
    SlotObject& NewSlot(std::vector<WeakObject>& into, OptionObject* item, bool owning);

    ScriptFields fields_{kShopFieldCount};
    WeakObject held_;
    int32_t toolMode_ = kShopToolNormal;
    WeakObject up_;
    WeakObject down_;
    WeakObject line_;
    WeakObject slots_;  // beside the field that names it, which scripts may write
    std::vector<WeakObject> stock_;
    int32_t scrollRow_ = 0;
    bool moreBelow_ = false;
    bool stockFilled_ = false;
    int32_t margin_ = kDefaultShopMargin;
    std::vector<WeakObject> itemRows_;
    int32_t page_ = 0;
    WeakObject customer_;
    std::vector<WeakObject> slotControls_;  // index = id - kFirstSlotControlId
};

// The processor running the shop's methods; FatalExep "Shop without a processor" on another runner.
Processor& ShopProcessor(ShopDialogObject& shop);

// The ShopDialog class and the rules behind its events. Calls named "Call..." go through the
// processor (a script override takes part); the others are the native behaviour.
struct ShopDialog {
    // Events 7-14 into empty slots, the Dialog binding, then natives 0 and 19-29.
    static void Bind(ZEMAClass& target, const NativeClassRow& row);

    static int32_t CallBuyPrice(ShopDialogObject& shop, OptionObject& item);
    static int32_t CallSellPrice(ShopDialogObject& shop, OptionObject& item);
    // The bought item, or null when refused.
    static OptionObject* CallBuy(ShopDialogObject& shop, OptionObject& item);
    static bool CallSell(ShopDialogObject& shop, OptionObject& item);
    static void CallBuild(ShopDialogObject& shop);

    // Prices in whole units from the item's base price, the margin and the customer's trade skill.
    static int32_t BuyPrice(ShopDialogObject& shop, OptionObject& item);
    static int32_t SellPrice(ShopDialogObject& shop, OptionObject& item);
    // Asks and takes the money; the item, or null when refused or not affordable.
    static OptionObject* Buy(ShopDialogObject& shop, OptionObject& item);
    // Asks and pays; true when sold.
    static bool Sell(ShopDialogObject& shop, OptionObject& item);
    // Sells what the player's second ship holds and gives the ship up, after one question with
    // message; true when done or when there is no second ship.
    static bool SellSecondShip(ShopDialogObject& shop, PlayerObject& player, uint32_t message);
    // Command 58: fills the current ship's marked energy sources for a price.
    static void Recharge(ShopDialogObject& shop);
    // A click on a slot shown in the window.
    static void ClickSlot(ShopDialogObject& shop, SlotObject& slot);
    // Code 4: puts the hand away and gives up the second ships; true when the shop may close.
    static bool Close(ShopDialogObject& shop);

    // Event 7.
    static void OnWindowMessage(ShopDialogObject& shop, int32_t code, int32_t p1, int32_t p2);
    // Event 8: removes and makes again every control.
    static void Build(ShopDialogObject& shop);
    // The window's pointer from the hand: the held item's picture, else the pointer of the tool
    // mode. Every change of the hand or of the tool mode ends with it.
    static void UpdatePointer(ShopDialogObject& shop);

    // A slot control at (x, y) showing the slot, with the hand as its selection, recorded by id
    // (screens/shop_windows.cpp, as the windows below).
    static void AddSlotControl(ShopDialogObject& shop, SlotObject& slot, int32_t x, int32_t y);
    // The windows the shop opens over itself.
    static void ShowItemWindow(ShopDialogObject& shop, OptionObject& item);
    static void ShowPlayerScreen(ShopDialogObject& shop, PlayerObject& player);
    // The ship window for the customer's current or second ship, with the hand.
    static void OpenShipWindow(ShopDialogObject& shop, bool secondShip);
};

// The text of a message with its conversions (%s, %d, %i, %u) replaced by the values in order;
// "%%" gives '%', any other conversion and one without a value are left out. Message files are
// data, so they never reach a printf format.
String FormatMessage(std::string_view text, const std::vector<std::string>& values);

// The customer native 0 of a shop kind pops after the class: a player or none; FatalExep for any
// other object.
PlayerObject* PopShopCustomer(NativeArgs& args);

// Native 0 of a shop kind: pops the class and the customer, and hands the new shop over.
template <class Shop>
void CreateShopOf(ScriptObject* receiver) {
    MethodRunner& runner = RunnerOf(receiver);
    NativeArgs args(runner);
    ZEMAClass* cls = args.Class("class");
    PushNewObject(runner, std::make_unique<Shop>(cls, PopShopCustomer(args)));
}
