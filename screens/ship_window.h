// The ship window: the modal window in which the player looks at a ship and refits it. Items move
// between the ship's slots and the hand (the pointer), ammunition is loaded, stacks are split, items
// are thrown away, guides are attached, slots are switched, and the player picks between his two
// ships and between players. The controls of each page are laid out by screens/equipment_window.h
// and screens/slot_layout.h; this file holds the window, its state and its event handling.
//
// Ships, slots and items are script objects that scripts may delete at any time: the window holds
// them by WeakObject and looks them up at each use. The item in the hand belongs to the window until
// it is put somewhere or an opener takes it back with TakeHeld.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "foundation/engine_string.h"
#include "script/weak_object.h"
#include "ui/dialog_window.h"

class ControlObject;
class Image;
class OptionObject;
class PlayerObject;
class ShipConfig;
class ShipObject;
class SlotObject;

// Pages of the window (2 is never shown).
constexpr int32_t kShipPage = 0;
constexpr int32_t kEquipmentPage = 1;
constexpr int32_t kGuidePage = 3;

// Tools: what a click on a slot does.
constexpr int32_t kToolNone = 0;  // take and put
constexpr int32_t kToolConfigure = 1;
constexpr int32_t kToolDiscard = 2;
constexpr int32_t kToolSplit = 3;

// Control ids the window reacts to.
constexpr int32_t kShipPageId = 40;
constexpr int32_t kEquipmentPageId = 41;
constexpr int32_t kShipCloseId = 42;
constexpr int32_t kToolConfigureId = 43;
constexpr int32_t kToolDiscardId = 52;
constexpr int32_t kToolSplitId = 53;
constexpr int32_t kGuidePageId = 55;
constexpr int32_t kFirstGroupId = 60;  // " 1 " .. " 9 ": 60..68
constexpr int32_t kGroupCount = 9;
constexpr int32_t kFirstShipId = 70;
constexpr int32_t kSecondShipId = 71;
constexpr int32_t kFirstPlayerId = 80;  // 80..89
constexpr int32_t kPlayerButtons = 10;
constexpr int32_t kShipNameId = 90;
constexpr int32_t kSlotViewStockId = 92;
constexpr int32_t kSlotViewCargoId = 93;
// Slot controls are numbered from here in the order they are made.
constexpr int32_t kFirstSlotId = 100;
// Pixels per column or row unit of a slot's place.
constexpr int32_t kSlotLayoutStep = 4;

// Slot kind of the temporary slots that show the player's stock: the tools leave them alone.
constexpr int32_t kStockSlotKind = 11;

class ShipWindow : public DialogWindow {
  public:
    // A window for the ship over the game's display with the engine's pointer; the processor is the
    // ship's class's. Takes the ship's remembered page and the group of its first weapon slot.
    explicit ShipWindow(ShipObject& ship);
    // Deletes the stock slots (detached from the player's items first), the snapshots, the shared
    // background control and an item still in the hand.
    ~ShipWindow() override;

    // Clears and recreates every control for the current page, tool, view, group and ship.
    void Build();
    // DialogWindow::Run calls this when the loop starts: the controls are built then.
    void OnStart() override;

    // --- what the layout and the equipment page read ---
    // The ship shown; null once it is gone.
    ShipObject* Ship() const;
    // The player of the ship shown; null when it has none.
    PlayerObject* Player() const;
    int32_t Page() const { return page_; }
    int32_t Tool() const { return tool_; }
    int32_t SlotView() const { return slotView_; }
    int32_t CurrentGroup() const { return group_; }
    // The item in the hand, null for none. Slot controls highlight by it.
    OptionObject* Held() const;
    // The reference slot controls are given as their selection: it names the held item.
    const WeakObject& HeldReference() const { return held_; }
    // "Misc\Slots.dpf".
    Image* SlotPictures() const { return slotPictures_; }
    // The multi-line summary control, set by the builder, and its text.
    String& SummaryText() { return summaryText_; }
    void SetSummaryControl(ControlObject* control);
    ControlObject* SummaryControl() const;
    // The temporary slots that show the player's stock in slot view 1. They never own the items:
    // the player does.
    const std::vector<WeakObject>& StockSlots() const { return stockSlots_; }
    // Deletes the stock slots, each detached from its item first.
    void ClearStockSlots();
    // A new not-owning stock slot holding item; the window deletes it.
    SlotObject& AddStockSlot(OptionObject& item);
    // The configurations of the ships of the ship list as they stood when the run started; entry i
    // belongs to ship i. An entry is null for a ship list entry that is no ship.
    const std::vector<std::unique_ptr<ShipConfig>>& Snapshots() const { return snapshots_; }

    // --- what openers use ---
    // Puts item in the hand (the window then owns it); an item already held is given back.
    OptionObject* SetHeld(OptionObject* item);
    // Takes the item out of the hand; the caller owns it.
    OptionObject* TakeHeld();
    // When set, closing leaves the held item in the hand for the opener.
    void SetKeepHeld(bool keep) { keepHeld_ = keep; }
    // The pointer: the held item's picture, else the tool's entry of the pointer table.
    void UpdatePointer();
    // Rebuilds the summary text and puts it in the summary control.
    void UpdateSummary();

    // The window's event callback.
    void OnEvent(int32_t event, int32_t p1, int32_t p2);

  private:
    void Command(int32_t id);
    void SlotCommand(ControlObject& control);
    void SlotSecondary(ControlObject& control);
    void GroupSecondary(int32_t group);
    void ToolCommand(int32_t tool);
    void Close();
    void ShowShip(ShipObject* ship);
    void SwitchToPlayer(int32_t index);
    void TakeSnapshots();
    void StorePage();

    WeakObject ship_;
    int32_t page_ = kShipPage;
    Image* slotPictures_ = nullptr;
    String summaryText_;
    WeakObject summaryControl_;
    int32_t group_ = 0;
    int32_t tool_ = kToolNone;
    int32_t slotView_ = 0;
    std::vector<WeakObject> stockSlots_;
    std::vector<std::unique_ptr<ShipConfig>> snapshots_;
    bool keepHeld_ = false;
    WeakObject held_;
};

// Builds, runs and destroys the window for the ship over the game's screen, with the input device
// of the ship's player; nothing when the ship has no player with a device. What is in the hand at
// the end (only when the cargo had no room) stays in the player's stock. The ship's slot-window hook.
void RunShipWindow(ShipObject& ship);
