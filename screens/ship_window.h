// The ship window: the modal window in which the player looks at a ship and refits it. Items move
// between the ship's slots and the hand (the pointer), ammunition is loaded, stacks are split, items
// are thrown away, guides are attached, slots are switched, and the player picks between his two
// ships and between players. The controls of each page are laid out by screens/equipment_window.h
// and screens/slot_layout.h; this file holds the window, its state and its event handling.
//
// Ships, slots and items are script objects that scripts may delete at any time: the window holds
// them by WeakObject and looks them up at each use. The item in the hand belongs to the window until
// it is put somewhere or an opener takes it back with TakeHeld. The opener ends the window with End.
#pragma once

#include <cstdint>

#include "screens/equipment_window.h"
#include "screens/hand.h"
#include "screens/screen_teardown.h"
#include "screens/slot_layout.h"
#include "ui/dialog_window.h"

class OptionObject;
class PlayerObject;
class ShipObject;
class SlotObject;
class WeaponObject;

// Tools: what a click on a slot does.
constexpr int32_t kToolNone = 0;  // take and put
constexpr int32_t kToolConfigure = 1;
constexpr int32_t kToolDiscard = 2;
constexpr int32_t kToolSplit = 3;

class ShipWindow : public DialogWindow {
  public:
    // A window for the ship over the game's display with the engine's pointer; the processor is the
    // ship's class's. Takes the ship's remembered page and the group of its first weapon slot.
    explicit ShipWindow(ShipObject& ship);
    // A window never ended lets go of the same as End, logging the errors of script destructors.
    ~ShipWindow() override = default;

    // Ends the window: its controls, the stock slots (detached from the player's items first), an
    // item still in the hand and the shared background control go. Every part goes; the first error
    // of a script destructor passes on once all went.
    void End();

    // Clears and recreates every control for the current page, tool, view, group and ship.
    void Build();
    // DialogWindow::Run calls this when the loop starts: the controls are built then.
    void OnStart() override { Build(); }

    // What the pages are made from: ship, page, tool, view, group, stock slots, snapshots, hand.
    ShipWindowState& State() { return state_; }
    const ShipWindowState& State() const { return state_; }
    // The ship shown; null once it is gone.
    ShipObject* Ship() const;
    // The player of the ship shown; null when it has none.
    PlayerObject* Player() const;
    // The item in the hand, null for none.
    OptionObject* Held() const;

    // --- what openers use ---
    // Puts item in the hand (the window then owns it and marks it so); an item already held is given
    // back. The pointer follows the hand.
    OptionObject* SetHeld(OptionObject* item);
    // Takes the item out of the hand; the caller owns it.
    OptionObject* TakeHeld();
    // When set, closing leaves the held item in the hand for the opener.
    void SetKeepHeld(bool keep) { keepHeld_ = keep; }
    // The pointer: the held item's picture, else the tool's entry of the pointer table.
    void UpdatePointer();

    // The window's event callback.
    void OnEvent(int32_t event, int32_t p1, int32_t p2);

  private:
    void Command(int32_t id);
    void SlotCommand(SlotObject& slot, bool guidePlace);
    void SlotSecondary(SlotObject& slot, bool guidePlace);
    void GroupSecondary(int32_t group);
    void ToolCommand(int32_t tool);
    // What puts an item into this window's hand.
    PutInHand Hand();
    // Offers the hand's item (none: asks for the loaded ammunition) to the weapon and takes back what
    // the offer leaves.
    void OfferFromHand(WeaponObject& weapon);
    void TakeAndPut(SlotObject& slot);
    void TakeAndPutGuide(SlotObject& slot);
    void Discard(SlotObject& slot, bool guidePlace);
    void Split(SlotObject& slot);
    // The close event: stows the hand, or keeps the window open without room.
    void CloseRequested();
    void ShowShip(ShipObject* ship);
    void SwitchToPlayer(int32_t index);
    void StorePage();
    void Refresh();
    void Tell(uint32_t message);

    ShipWindowState state_;
    bool keepHeld_ = false;
    // Last, so that a window never ended lets go of its parts before anything else of it goes.
    ScreenTeardown teardown_;
};

// Builds, runs and destroys the window for the ship over the game's screen, with the input device
// of the ship's player; nothing when the ship has no player with a device. What is in the hand at
// the end (only when the cargo had no room) stays in the player's stock. The ship's slot-window hook.
void RunShipWindow(ShipObject& ship);
