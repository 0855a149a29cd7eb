// How the ship window lays out a ship's six slot lists as slot controls on each page, the ship's
// summary text, and the refit delays charged when the window's run ends. The ship window owns a
// ShipWindowState; the equipment window (equipment_window.h) builds its controls from it.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "foundation/engine_string.h"
#include "script/weak_object.h"
#include "world/equipment_config.h"

class DialogWindow;
class Frame;
class Image;
class OptionObject;
class Processor;
class ShipObject;
class SlotObject;
class SsltBlock;

// Pages of the ship window (2 is never used).
constexpr int32_t kShipPage = 0;
constexpr int32_t kEquipmentPage = 1;
constexpr int32_t kGuidePage = 3;

// Slot views: the ship's cargo row, or the player's stock.
constexpr int32_t kCargoView = 0;
constexpr int32_t kStockView = 1;

constexpr int32_t kFirstSlotControlId = 100;
// Pixels per unit of a slot's place on the ship.
constexpr int32_t kSlotLayoutStep = 4;
// The slot kind of the stock slots, which the take-and-put tool leaves alone.
constexpr int32_t kStockSlotKind = 11;
// The "system.mes" text of the refit delay status and its priority.
constexpr uint32_t kRefitDelayMessage = 476;
constexpr int32_t kRefitDelayPriority = 6;

// The temporary slots that show the player's stock. They never own the player's items: each item is
// taken out again before its slot is destroyed.
class StockSlots {
  public:
    StockSlots() = default;
    StockSlots(const StockSlots&) = delete;
    StockSlots& operator=(const StockSlots&) = delete;
    // Slots never cleared (an error unwinds) go as Clear lets them, logging errors.
    ~StockSlots();

    // A new stock slot holding item (not owned); FatalExep when "Slot" makes no slot.
    SlotObject& Add(Processor& processor, OptionObject& item);
    // Detaches the items and destroys the slots, every one whatever another's script destructor
    // does; the first error passes on once all went.
    void Clear();
    size_t Count() const { return slots_.size(); }
    SlotObject* At(size_t i) const;

  private:
    std::vector<WeakObject> slots_;
};

// A ship's configuration when the window's run started, with the ship it was taken from.
struct ShipSnapshot {
    WeakObject ship;
    std::unique_ptr<ShipConfig> config;
};

// What the ship window's pages are made from. The ship window keeps it and the slot layout and
// equipment window read and update it.
struct ShipWindowState {
    WeakObject ship;  // the ship shown
    int32_t page = kShipPage;
    WeakObject slotPictures;  // "Misc\Slots.dpf"; frame 0 gives the slot size
    String summaryText;
    WeakObject summaryControl;  // the multi-line control made by the build
    int32_t group = 0;          // guide group 0-8
    int32_t tool = 0;
    int32_t slotView = kCargoView;
    StockSlots stockSlots;
    // The configurations of the ships of the ship list (object 8) when the run started, in list order.
    std::vector<ShipSnapshot> snapshots;
    WeakObject heldItem;  // the item the pointer carries
};

// Frame 0 of the slot pictures, which gives the slot size; null without one (or once it is gone).
const Frame* SlotFrame(const ShipWindowState& state);

// The ship shown, null when there is none or it is gone.
ShipObject* StateShip(const ShipWindowState& state);

// Adds the slot controls of the page and slot view to window: the cargo row or the stock row along
// the bottom, then the page's lists placed from the middle of the screen. Identifiers count from
// kFirstSlotControlId. Sets the window's help entry of the page. Slots that are gone, empty
// entries and a ship without slots add nothing.
void PlaceSlotControls(DialogWindow& window, ShipWindowState& state);

// The summary of the ship: recomputes its equipment and gives the figures and non-zero properties.
String ShipSummary(Processor& processor, ShipObject& ship);
// Rebuilds the summary text and puts it into the summary control when there is one.
void UpdateSummary(Processor& processor, ShipWindowState& state);

// Makes a snapshot of every ship of the ship list (object 8), in list order. Taking one runs the
// items' save scripts: a ship they delete before its turn is left out.
void TakeSnapshots(Processor& processor, ShipWindowState& state);
// The first entry of the configuration whose stored kind maps to the group (kind index), whose index
// is index and whose guide mark is guide; null for none.
const SsltBlock* FindSnapshotSlot(const ShipConfig& snapshot, uint32_t index, uint32_t group, bool guide);
// For every ship of the ship list with its own snapshot (ships that joined the list during the run
// have none, and a ship that left it takes no other ship's): charges each slot the delay of its changed,
// added and removed items, never lowering a larger delay it had, and tells the ship's pilot the
// largest one. Ships without a snapshot are left alone.
void ApplyRefitDelays(Processor& processor, ShipWindowState& state);
