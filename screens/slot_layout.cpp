#include "screens/slot_layout.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "foundation/byte_order.h"
#include "foundation/exceptions.h"
#include "foundation/saturating.h"
#include "foundation/script_memory.h"
#include "graphics/frame.h"
#include "graphics/image.h"
#include "screens/item_window.h"
#include "screens/screen_helpers.h"
#include "screens/slot_control.h"
#include "script/cleanup_steps.h"
#include "script/object_manager.h"
#include "script/object_walk.h"
#include "script/processor.h"
#include "shell/game_ids.h"
#include "ui/dialog_window.h"
#include "ui/text_controls.h"
#include "ui/window_services.h"
#include "world/actor.h"
#include "world/option.h"
#include "world/player.h"
#include "world/ship.h"
#include "world/slot.h"
#include "world/slot_blocks.h"

namespace {

constexpr int32_t kRowMargin = 10;
constexpr uint32_t kFirstFigureText = 105;
constexpr uint32_t kSecondFigureText = 170;
constexpr uint32_t kPropertiesText = 106;
constexpr int32_t kShipPageHelp = 4;
constexpr int32_t kEquipmentPageHelp = 10;
constexpr int32_t kGuidePageHelp = 8;

// Makes a slot control for the slot and adds it to the window under the next identifier.
void AddSlotControl(DialogWindow& window, ShipWindowState& state, int32_t& id, SlotObject& slot, int32_t x,
                    int32_t y, int32_t mode) {
    SlotControlInit init;
    init.picture = state.slotPictures.As<Image>() != nullptr ? state.slotPictures.Address() : 0;
    init.x = x;
    init.y = y;
    init.id = id++;
    init.slot = &slot;
    init.selection = [&state] { return state.heldItem.As<OptionObject>(); };
    init.mode = mode;
    init.ship = StateShip(state);
    AddOwned(window, NewSlotControl(*window.GetProcessor(), init));
}

// The row along the bottom of the screen: the ship's cargo places, or the player's stock.
void PlaceBottomRow(DialogWindow& window, ShipWindowState& state, int32_t& id, int32_t w, int32_t h) {
    const int32_t y = ScreenHeightOf(window) - h / 2 - kRowMargin;
    int32_t x = w / 2 + kRowMargin;
    // Clearing runs the slots' script destructors: the ship is asked for after it.
    if (state.slotView == kStockView) state.stockSlots.Clear();
    ShipObject* ship = StateShip(state);
    if (state.slotView == kStockView) {
        auto* player = ship != nullptr ? dynamic_cast<PlayerObject*>(ship->Owner()) : nullptr;
        if (player == nullptr) return;
        for (ScriptObject* object : player->Items()) {
            auto* item = dynamic_cast<OptionObject*>(object);
            if (item == nullptr) continue;
            AddSlotControl(window, state, id, state.stockSlots.Add(*window.GetProcessor(), *item), x, y,
                           kSlotControlEquipment);
            x += w + kRowMargin;
        }
        return;
    }
    if (ship == nullptr) return;
    for (uint32_t i = 0; i < ship->SlotCount(kPlainGroup); ++i) {
        SlotObject* slot = ship->SlotAt(kPlainGroup, static_cast<int32_t>(i));
        if (slot == nullptr) continue;
        AddSlotControl(window, state, id, *slot, x, y, kSlotControlEquipment);
        x += w + kRowMargin;
    }
}

// The slots of the ship's groups placed over the ship's picture, each at its item's place.
void PlaceGroups(DialogWindow& window, ShipWindowState& state, int32_t& id,
                 std::initializer_list<uint32_t> groups, int32_t mode, int32_t h) {
    ShipObject* ship = StateShip(state);
    if (ship == nullptr) return;
    const int32_t centreX = ScreenWidthOf(window) / 2;
    const int32_t centreY = (ScreenHeightOf(window) - h - 20) / 2;
    for (uint32_t group : groups) {
        for (uint32_t i = 0; i < ship->SlotCount(group); ++i) {
            SlotObject* slot = ship->SlotAt(group, static_cast<int32_t>(i));
            if (slot == nullptr) continue;
            AddSlotControl(window, state, id, *slot, SaturateInt32(int64_t{centreX} + slot->OffsetX()),
                           SaturateInt32(int64_t{centreY} + slot->OffsetY()), mode);
        }
    }
}

std::vector<ShipObject*> ListedShips(Processor& processor) {
    std::vector<ShipObject*> ships;
    auto* list = processor.Objects().ListAt(kShipListId);
    if (list == nullptr) return ships;
    for (auto* node = list->ObjectList().Head(); node != nullptr; node = node->next)
        if (auto* ship = dynamic_cast<ShipObject*>(node->item)) ships.push_back(ship);
    return ships;
}

// The stored direction record of the weapon slot at index, or null when the snapshot kept none
// (the slot's directions were not customised then).
const SsldBlock* SnapshotDirections(const ShipConfig& snapshot, uint32_t index) {
    for (const auto& block : snapshot.Slots().Directions())
        if (block != nullptr && block->Index() == index) return block.get();
    return nullptr;
}

// Whether the weapon slot's aim for group now differs from what the snapshot kept for its group.
bool AimChanged(const SlotObject& slot, const ShipConfig& snapshot, uint32_t index, uint32_t group) {
    const DirectionRecord now = slot.Direction(group);
    const SsldBlock* stored = SnapshotDirections(snapshot, index);
    if (stored == nullptr) return slot.Customised();
    const uint32_t storedGroup = std::min(snapshot.SelectedDirection(), kSlotDirections - 1);
    const uint8_t* record = stored->Records() + storedGroup * kDirectionRecordBytes;
    return now.x != static_cast<int32_t>(LoadU32(record)) ||
           now.y != static_cast<int32_t>(LoadU32(record + 4));
}

// The delay an item or guide costs against its snapshot entry: a new one once the factor, another
// one twice, a removed one once, an unchanged one nothing. Only a guide is ever removed here: a slot
// that holds no item costs nothing, and is not asked.
int64_t ChangeCost(const OptionObject* now, const SsltBlock* before, int64_t factor) {
    if (now == nullptr) return before != nullptr ? factor : 0;
    if (before == nullptr) return factor;
    return before->ClassName() != now->Class()->ClassName().View() ? 2 * factor : 0;
}

// A slot of the list still there, whose class gives the runner the clean-up puts back; null for none.
const ScriptObject* AnyLive(const std::vector<WeakObject>& slots) {
    for (const WeakObject& slot : slots) {
        if (const ScriptObject* live = slot.Get()) return live;
    }
    return nullptr;
}

}  // namespace

const Frame* SlotFrame(const ShipWindowState& state) {
    Image* pictures = state.slotPictures.As<Image>();
    if (pictures == nullptr || pictures->FrameCount() == 0) return nullptr;
    return pictures->GetFrame(0);
}

StockSlots::~StockSlots() {
    // Only for slots the window's end did not clear (an error unwinds): a destructor cannot pass
    // the error of a script destructor on.
    std::vector<WeakObject> slots;
    slots.swap(slots_);
    CleanupSteps steps(AnyLive(slots), CleanupSteps::FirstError::kLog);
    DestroySlots(steps, slots, SlotItems::kShown);
}

SlotObject& StockSlots::Add(Processor& processor, OptionObject& item) {
    ZEMAClass* cls = processor.ClassByName(String("Slot"));
    std::unique_ptr<SlotObject, ObjectDiscarder> slot(new SlotObject(cls, nullptr, 0, 0, kStockSlotKind));
    // The items stay the player's: a stock slot never destroys what it shows.
    slot->SetInt(kSlotOwnsItems, 0);
    slot->SetObject(&item);
    slot->SetFirstEnabled(2);
    slots_.emplace_back(slot.get());
    return *slot.release();
}

void StockSlots::Clear() {
    std::vector<WeakObject> slots;
    slots.swap(slots_);
    CleanupSteps steps(AnyLive(slots));
    DestroySlots(steps, slots, SlotItems::kShown);
    steps.Finish();
}

SlotObject* StockSlots::At(size_t i) const {
    return i < slots_.size() ? slots_[i].As<SlotObject>() : nullptr;
}

ShipObject* StateShip(const ShipWindowState& state) {
    return state.ship.As<ShipObject>();
}

void PlaceSlotControls(DialogWindow& window, ShipWindowState& state) {
    const Frame* frame = SlotFrame(state);
    const int32_t w = frame != nullptr ? static_cast<int32_t>(frame->Width()) : 0;
    const int32_t h = frame != nullptr ? static_cast<int32_t>(frame->Height()) : 0;
    int32_t id = kFirstSlotControlId;
    PlaceBottomRow(window, state, id, w, h);
    switch (state.page) {
        case kEquipmentPage:
            PlaceGroups(window, state, id, {kEnergyGroup, kEngineGroup, kProtectionGroup, kGrabberGroup},
                        kSlotControlEquipment, h);
            window.SetHelp(kEquipmentPageHelp, kScreenHelpFile);
            break;
        case kGuidePage:
            PlaceGroups(window, state, id, {kWeaponGroup}, kSlotControlGuide, h);
            window.SetHelp(kGuidePageHelp, kScreenHelpFile);
            break;
        default:
            PlaceGroups(window, state, id, {kWeaponGroup}, kSlotControlEquipment, h);
            window.SetHelp(kShipPageHelp, kScreenHelpFile);
            break;
    }
}

String ShipSummary(Processor& processor, ShipObject& ship) {
    ship.RecomputeEnergy();
    String text = SystemMessage(processor, kFirstFigureText) + " = " + String(ship.Balance() / 100) + "\n";
    text += SystemMessage(processor, kSecondFigureText) + " = " + String(ship.MaxSpeed() / 100) + "\n";
    ValueList properties{};
    // The table is the ship's answer (a script may give its own): read through checked access.
    if (const uint32_t table = Actor::CallEvent17(&ship, 0); table != 0) {
        for (uint32_t i = 0; i < properties.size(); ++i)
            properties[i] = static_cast<int32_t>(ScriptLoad32(table + 4 * i));
    }
    AppendValueList(processor, text, SystemMessage(processor, kPropertiesText) + " :\n", "  ", properties);
    return text;
}

void UpdateSummary(Processor& processor, ShipWindowState& state) {
    ShipObject* ship = StateShip(state);
    state.summaryText = ship != nullptr ? ShipSummary(processor, *ship) : String();
    if (auto* control = dynamic_cast<StaticTextObject*>(state.summaryControl.Get()))
        control->SetText(state.summaryText.View());
}

void TakeSnapshots(Processor& processor, ShipWindowState& state) {
    state.snapshots.clear();
    const ObjectWalk<ShipObject> ships(ListedShips(processor));
    ships.ForEachAlive([&state](ShipObject& ship) {
        auto snapshot = std::make_unique<ShipConfig>();
        SaveToConfig(ship, *snapshot);
        state.snapshots.push_back({WeakObject(&ship), std::move(snapshot)});
    });
}

const SsltBlock* FindSnapshotSlot(const ShipConfig& snapshot, uint32_t index, uint32_t group, bool guide) {
    for (const auto& entry : snapshot.Slots().Items()) {
        if (entry == nullptr) continue;
        const bool isGuide = entry->Kind() == static_cast<uint32_t>(kSlotGuide);
        const uint32_t entryGroup = isGuide ? kWeaponGroup : GroupOfSlotKind(entry->Kind());
        if (entryGroup == group && entry->Index() == index && isGuide == guide) return entry.get();
    }
    return nullptr;
}

void ApplyRefitDelays(Processor& processor, ShipWindowState& state) {
    for (ShipObject* listed : ListedShips(processor)) {
        ShipObject& ship = *listed;
        const auto own = std::find_if(state.snapshots.begin(), state.snapshots.end(),
                                      [&ship](const ShipSnapshot& s) { return s.ship == WeakObject(&ship); });
        const ShipConfig* snapshot = own != state.snapshots.end() ? own->config.get() : nullptr;
        if (snapshot == nullptr) continue;
        auto* player = dynamic_cast<PlayerObject*>(ship.Owner());
        const int64_t factor = player != nullptr ? player->PricePercent90() : 0;
        const int64_t aimCost = player != nullptr ? player->PricePercent30Times3() : 0;
        const SlotObject* first = ship.SlotAt(kWeaponGroup, 0);
        const uint32_t group = first != nullptr ? first->SelectedIndex() : 0;
        int64_t largest = 0;
        for (uint32_t kind = 0; kind < kShipGroups; ++kind) {
            for (uint32_t i = 0; i < ship.SlotCount(kind); ++i) {
                SlotObject* slot = ship.SlotAt(kind, static_cast<int32_t>(i));
                if (slot == nullptr) continue;
                int64_t delay = 0;
                if (const OptionObject* item = slot->First(); item != nullptr) {
                    delay += ChangeCost(item, FindSnapshotSlot(*snapshot, i, kind, false), factor);
                    if (kind == kWeaponGroup)
                        delay +=
                            ChangeCost(slot->Second(), FindSnapshotSlot(*snapshot, i, kind, true), factor);
                }
                if (kind == kWeaponGroup && AimChanged(*slot, *snapshot, i, group)) delay += aimCost;
                slot->SetDelay(std::max(slot->Delay(), SaturateInt32(delay)));
                largest = std::max(largest, delay);
            }
        }
        if (largest != 0 && ship.Pilot() != nullptr)
            ship.Pilot()->ShowStatus(SystemMessage(processor, kRefitDelayMessage), SaturateInt32(largest),
                                     kRefitDelayPriority);
    }
}
