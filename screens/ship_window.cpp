#include "screens/ship_window.h"

#include <memory>
#include <utility>

#include "foundation/exceptions.h"
#include "graphics/color_manager.h"
#include "graphics/image.h"
#include "graphics/image_manager.h"
#include "screens/hand.h"
#include "screens/item_window.h"
#include "screens/player_screen.h"
#include "screens/screen_helpers.h"
#include "screens/ship_info_window.h"
#include "screens/slot_control.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "script/zema_class.h"
#include "shell/game_ids.h"
#include "ui/control.h"
#include "ui/message_box.h"
#include "ui/text_controls.h"
#include "ui/window_services.h"
#include "world/equipment_config.h"
#include "world/option.h"
#include "world/ownership.h"
#include "world/player.h"
#include "world/ship.h"
#include "world/slot.h"
#include "world/weapon.h"

namespace {

constexpr uint32_t kNoRoomMessage = 186;
constexpr uint32_t kWrongClassMessage = 354;
constexpr uint32_t kDiscardQuestion = 122;
constexpr int32_t kBoxTypingSpeed = 200;
constexpr int32_t kYesAnswer = 2;
constexpr uint32_t kOffColour = 6;
constexpr uint32_t kCurrentColour = 3;
constexpr uint32_t kNormalColour = 1;

Processor& ProcessorOf(const ScriptObject& object) {
    return ClassProcessor(object, "The ship window's objects have no processor");
}

Image* NamedPicture(Processor& processor, const char* name) {
    auto* images = dynamic_cast<ImageManager*>(processor.Objects().GetObject(kImageManagerId));
    if (images == nullptr) ThrowFatal("No picture manager (object %u)", kImageManagerId);
    Image* picture = images->GetImage(String(name));
    if (picture == nullptr) ThrowFatal("Picture \"%s\" not found", name);
    return picture;
}

bool FitsShip(const OptionObject& item, const ShipObject* ship) {
    return ship == nullptr || ItemFitsClass(item, ShipClassNumber(*ship));
}

// Weapon places take a guide as their second item.
bool TakesGuide(const SlotObject& slot) {
    return slot.Kind() == kSlotWeapon;
}

int32_t GroupOfFirstWeapon(ShipObject* ship) {
    const SlotObject* first = ship != nullptr ? ship->SlotAt(kWeaponGroup, 0) : nullptr;
    return first != nullptr ? static_cast<int32_t>(first->SelectedIndex()) : 0;
}

int32_t KnownPage(int32_t page) {
    return page == kEquipmentPage || page == kGuidePage ? page : kShipPage;
}

// A stack of ammunition split in two: a copy of the stack (CopyItemState) gets the rest of its count
// and the stack keeps half, rounded down. The new item, or null for a stack of one or one that did
// not outlive the copy's scripts.
std::unique_ptr<OptionObject, ObjectDiscarder> SplitStack(AmmoObject& stack) {
    const int32_t count = stack.ShotsLeft();
    if (count <= 1) return nullptr;
    std::unique_ptr<OptionObject, ObjectDiscarder> copy = CopyItemState(ProcessorOf(stack), stack);
    auto* split = dynamic_cast<AmmoObject*>(copy.get());
    if (split == nullptr) ThrowFatal("Class %s made no ammunition", stack.Class()->ClassName().Text());
    if (!stack.Alive()) {
        DestroyUnplaced(std::move(copy));
        return nullptr;
    }
    stack.SetShotsLeft(count / 2);
    split->SetShotsLeft(count - count / 2);
    return copy;
}

// The states a slot's item steps through with the other button: weapons have three trigger groups,
// the energy users are on or off, the rest keep theirs (0).
int32_t StatesOfKind(int32_t kind) {
    switch (kind) {
        case kSlotWeapon:
            return 3;
        case kSlotProtection:
        case kSlotEngine:
        case kSlotEnergy:
        case kSlotGrabber:
            return 2;
        default:
            return 0;
    }
}

// The firing direction of an empty guide place turns to its next one, one way or the other.
void StepGuideCode(SlotObject& slot, bool clockwise) {
    const uint32_t selected = slot.SelectedIndex();
    DirectionRecord record = slot.Direction(selected);
    if (clockwise)
        Slot::RotateDirectionClockwise(record);
    else
        Slot::RotateDirectionAnticlockwise(record);
    slot.SetDirection(selected, record);
    slot.SetCustomised(true);
}

}  // namespace

ShipWindow::ShipWindow(ShipObject& ship)
    : DialogWindow(&ProcessorOf(ship), &GameDisplay(), EngineCursor(ProcessorOf(ship))),
      teardown_(ProcessorOf(ship), {[this] { Close(); },  // the controls show the stock slots: first
                                    [this] { state_.stockSlots.Clear(); },
                                    [this] {
                                        OptionObject* held = TakeHeld();
                                        if (held != nullptr && held->Alive()) DestroyObject(held);
                                    },
                                    ReleaseShipWindowBackground}) {
    state_.ship = WeakObject(&ship);
    state_.slotPictures = WeakObject(NamedPicture(*GetProcessor(), "Misc\\Slots.dpf"));
    state_.page = KnownPage(ship.WindowPage());
    SetCallback([this](DialogWindow&, int32_t event, int32_t p1, int32_t p2) { OnEvent(event, p1, p2); });
    Build();
    UpdatePointer();
    // The build ran scripts: the ship is asked for again.
    state_.group = GroupOfFirstWeapon(Ship());
}

void ShipWindow::End() {
    teardown_.Finish();
}

void ShipWindow::Build() {
    BuildEquipmentWindow(*this, state_);
}

ShipObject* ShipWindow::Ship() const {
    return StateShip(state_);
}

PlayerObject* ShipWindow::Player() const {
    ShipObject* ship = Ship();
    return ship != nullptr ? dynamic_cast<PlayerObject*>(ship->Owner()) : nullptr;
}

OptionObject* ShipWindow::Held() const {
    return dynamic_cast<OptionObject*>(state_.heldItem.Get());
}

OptionObject* ShipWindow::SetHeld(OptionObject* item) {
    OptionObject* old = Held();
    MarkLetGo(old, HolderKind::kHand, nullptr);
    state_.heldItem = WeakObject(item);
    MarkHeld(item, HolderKind::kHand, nullptr);
    UpdatePointer();
    return old;
}

PutInHand ShipWindow::Hand() {
    return [this](OptionObject* item) { SetHeld(item); };
}

void ShipWindow::OfferFromHand(WeaponObject& weapon) {
    OfferHeldToWeapon(Held(), Hand(), weapon);
}

OptionObject* ShipWindow::TakeHeld() {
    return SetHeld(nullptr);
}

void ShipWindow::UpdatePointer() {
    ShowHandPointer(*this, Held(), state_.tool);
}

void ShipWindow::Refresh() {
    UpdateSummary(*GetProcessor(), state_);
}

void ShipWindow::Tell(uint32_t message) {
    Processor& processor = *GetProcessor();
    MessageBoxOverWindow(processor, *this, SystemMessage(processor, message), kMessageBoxOk, nullptr,
                         kBoxTypingSpeed);
}

void ShipWindow::OnEvent(int32_t event, int32_t /*p1*/, int32_t p2) {
    Processor& processor = *GetProcessor();
    switch (event) {
        case kEventStart:
            if (state_.page == kShipPage) ShowHelpOnce(processor, this, "HELP_SHIP_WINDOW", 4);
            TakeSnapshots(processor, state_);
            break;
        case kEventEnd:
            ApplyRefitDelays(processor, state_);
            break;
        case kEventPrimary:
        case kEventDoubleClick:
            Command(p2);
            break;
        case kEventSecondary:
            if (p2 >= kFirstGroupId && p2 < kFirstGroupId + kGuideGroups) {
                GroupSecondary(p2 - kFirstGroupId);
            } else if (state_.tool != kToolNone) {
                state_.tool = kToolNone;
                UpdatePointer();
            } else if (SlotControlObject* control = SlotControlObject::As(FindControl(p2))) {
                if (SlotObject* slot = control->Slot()) SlotSecondary(*slot, control->GuidePlace());
            }
            break;
        case kEventRest:
            if (SlotControlObject* control = SlotControlObject::As(FindControl(p2))) {
                if (OptionObject* shown = control->ShownItem()) SetHint(GTTClass::CallGetName(shown));
            }
            break;
        case kEventClose:
            CloseRequested();
            break;
        default:
            break;
    }
}

void ShipWindow::StorePage() {
    if (ShipObject* ship = Ship()) ship->SetWindowPage(state_.page);
}

void ShipWindow::CloseRequested() {
    StorePage();
    OptionObject* held = Held();
    if (held != nullptr && !keepHeld_) {
        ShipObject* ship = Ship();
        SlotObject* free = nullptr;
        const uint32_t count = ship != nullptr ? ship->SlotCount(kPlainGroup) : 0;
        for (uint32_t i = 0; i < count && free == nullptr; ++i) {
            SlotObject* slot = ship->SlotAt(kPlainGroup, static_cast<int32_t>(i));
            if (slot != nullptr && slot->First() == nullptr) free = slot;
        }
        if (free == nullptr) {
            Tell(kNoRoomMessage);
            return;
        }
        free->SetObject(TakeHeld());
    }
    SetResult(0);
}

void ShipWindow::ShowShip(ShipObject* ship) {
    // A player without that ship keeps the window where it is.
    if (ship == nullptr) return;
    StorePage();
    state_.ship = WeakObject(ship);
    state_.page = KnownPage(ship->WindowPage());
    Build();
    UpdatePointer();
    state_.group = GroupOfFirstWeapon(Ship());
}

void ShipWindow::SwitchToPlayer(int32_t index) {
    PlayerObject* current = Player();
    StorePage();
    if (current != nullptr) {
        if (auto* second = dynamic_cast<ShipObject*>(current->ReserveShip()))
            second->SetWindowPage(state_.page);
    }
    ObjectManager* players = PlayerList(*GetProcessor());
    if (players == nullptr) return;
    List<ScriptObject>& list = players->ObjectList();
    const auto* node = list.Head();
    for (int32_t i = 0; node != nullptr && i < index; ++i) node = node->next;
    auto* player = node != nullptr ? dynamic_cast<PlayerObject*>(node->item) : nullptr;
    if (player == nullptr) return;
    if (player == current) {
        // The player screen shows the pilot under the list's cursor.
        for (ScriptObject* at = list.First(); at != nullptr && at != player;) at = list.Next();
        ShowPlayerScreen(*this);
        Build();
        return;
    }
    ShowShip(dynamic_cast<ShipObject*>(player->Ship()));
}

void ShipWindow::Command(int32_t id) {
    // Only the nine group labels are group commands.
    if (id >= kFirstGroupId && id < kFirstGroupId + kGuideGroups) {
        state_.group = id - kFirstGroupId;
        if (ShipObject* ship = Ship()) ship->SelectDirections(state_.group, false);
        Build();
        return;
    }
    if (id >= kFirstPlayerId && id < kFirstPlayerId + kMostPlayerButtons) {
        SwitchToPlayer(id - kFirstPlayerId);
        return;
    }
    const auto setPage = [this](int32_t page) {
        if (state_.page == page) return;
        state_.page = page;
        Build();
    };
    const auto setView = [this](int32_t view) {
        if (state_.slotView == view) return;
        state_.slotView = view;
        Build();
    };
    switch (id) {
        case kShipPageId:
            setPage(kShipPage);
            return;
        case kEquipmentPageId:
            setPage(kEquipmentPage);
            return;
        case kGuidePageId:
            setPage(kGuidePage);
            return;
        case kShipCloseId:
            PostMessage(kEventClose, 0, 0);
            return;
        case kConfigureToolId:
            ToolCommand(kToolConfigure);
            return;
        case kDiscardToolId:
            ToolCommand(kToolDiscard);
            return;
        case kSplitToolId:
            ToolCommand(kToolSplit);
            return;
        case kFirstShipId:
        case kSecondShipId: {
            PlayerObject* player = Player();
            if (player == nullptr) return;
            auto* chosen =
                dynamic_cast<ShipObject*>(id == kFirstShipId ? player->Ship() : player->ReserveShip());
            if (chosen != nullptr) chosen->SetWindowPage(state_.page);
            ShowShip(chosen);
            return;
        }
        case kShipNameId:
            if (ShipObject* ship = Ship()) ShowShipInfo(*this, *ship);
            return;
        case kStockViewId:
            setView(kStockView);
            return;
        case kCargoViewId:
            setView(kCargoView);
            return;
        default:
            break;
    }
    if (SlotControlObject* control = SlotControlObject::As(FindControl(id))) {
        if (SlotObject* slot = control->Slot()) SlotCommand(*slot, control->GuidePlace());
    }
}

void ShipWindow::ToolCommand(int32_t tool) {
    Processor& processor = *GetProcessor();
    if (OptionObject* held = Held()) {
        if (tool == kToolConfigure) {
            ShowItemInfo(*this, *held);
        } else if (tool == kToolDiscard) {
            const int32_t answer =
                MessageBoxOverWindow(processor, *this, SystemMessage(processor, kDiscardQuestion),
                                     kMessageBoxThird | kMessageBoxFourth, held->Picture(), kBoxTypingSpeed);
            // The question ran scripts, which may have deleted the item meanwhile.
            if (answer == kYesAnswer) DestroyObject(IfAlive(TakeHeld()));
        } else {
            Tell(kNoRoomMessage);
        }
    } else {
        state_.tool = state_.tool == tool ? kToolNone : tool;
    }
    UpdatePointer();
}

void ShipWindow::GroupSecondary(int32_t group) {
    ShipObject* ship = Ship();
    SlotObject* first = ship != nullptr ? ship->SlotAt(kWeaponGroup, 0) : nullptr;
    if (first == nullptr) return;
    DirectionRecord record = first->Direction(static_cast<uint32_t>(group));
    record.enabled = !record.enabled;
    first->SetDirection(static_cast<uint32_t>(group), record);
    first->SetCustomised(true);
    auto* label = dynamic_cast<StaticTextObject*>(FindControl(kFirstGroupId + group));
    auto* colours = dynamic_cast<ColorManager*>(GetProcessor()->Objects().GetObject(kColorManagerId));
    if (label == nullptr || colours == nullptr) return;
    const uint32_t entry = !record.enabled         ? kOffColour
                           : group == state_.group ? kCurrentColour
                                                   : kNormalColour;
    label->Own(kTextColour) = colours->CheckedEntryAddress(entry);
}

void ShipWindow::SlotCommand(SlotObject& slot, bool guidePlace) {
    OptionObject* shown = guidePlace ? slot.Second() : slot.First();
    switch (state_.tool) {
        case kToolNone:
            if (guidePlace)
                TakeAndPutGuide(slot);
            else
                TakeAndPut(slot);
            break;
        case kToolConfigure:
            if (shown != nullptr) ShowItemInfo(*this, *shown);
            break;
        case kToolDiscard:
            Discard(slot, guidePlace);
            break;
        case kToolSplit:
            if (!guidePlace) Split(slot);
            state_.tool = kToolNone;
            UpdatePointer();
            break;
        default:
            break;
    }
}

// The switch methods a slot runs when its item goes off, comes in or goes on are the items' own
// scripts: they may delete the slot or either item. A dead item goes neither into a slot nor into
// the hand, and nothing more is done with a dead slot.
void ShipWindow::TakeAndPut(SlotObject& slot) {
    const int32_t kind = slot.Kind();
    if (kind == kStockSlotKind) return;
    OptionObject* held = Held();
    OptionObject* item = slot.First();
    if (held == nullptr) {
        if (item == nullptr) return;
        slot.SetFirstEnabled(0);
        if (slot.Alive()) SetHeld(slot.SetObject(nullptr));
        Refresh();
        return;
    }
    const auto swap = [&] {
        slot.SetFirstEnabled(0);
        if (slot.Alive() && held->Alive()) SetHeld(slot.SetObject(held));
        Refresh();
    };
    if (held->ItemKind() == kItemAmmo && item != nullptr) {
        if (item->ItemKind() == kItemWeapon) {
            auto* weapon = dynamic_cast<WeaponObject*>(item);
            if (weapon == nullptr) return;
            OfferFromHand(*weapon);
            Refresh();
        } else if (item->ItemKind() == kItemAmmo) {
            // A merge that did not happen gave the hand back what it held; only that is exchanged.
            if (!MergeHeldInto(held, Hand(), *item) && Held() == held) swap();
        } else if (kind == kItemAmmo || kind == kSlotHold) {
            swap();
        }
        return;
    }
    if (held->ItemKind() != kind && kind != kSlotHold) return;
    if (kind != kSlotHold && !FitsShip(*held, Ship())) {
        Tell(kWrongClassMessage);
        return;
    }
    slot.SetFirstEnabled(0);
    if (slot.Alive() && held->Alive()) {
        SetHeld(slot.SetObject(held));
        if (kind != kSlotHold && slot.Alive() && slot.First() == held) {
            slot.SetFirstEnabled(1);
            slot.SetFirstState(1);
        }
    }
    Refresh();
}

void ShipWindow::TakeAndPutGuide(SlotObject& slot) {
    if (!TakesGuide(slot)) return;
    if (OptionObject* held = Held()) {
        if (!FitsShip(*held, Ship())) {
            Tell(kWrongClassMessage);
            return;
        }
        if (held->ItemKind() != kItemGuide) return;
        slot.SetSecondEnabled(0);
        if (slot.Alive() && held->Alive()) {
            SetHeld(slot.SetObjectB(held));
            if (slot.Alive() && slot.Second() == held) {
                slot.SetSecondEnabled(1);
                slot.SetSecondState(1);
            }
        }
        Refresh();
        return;
    }
    if (slot.Second() != nullptr) {
        slot.SetSecondEnabled(0);
        if (slot.Alive()) SetHeld(slot.SetObjectB(nullptr));
        Refresh();
        return;
    }
    StepGuideCode(slot, false);
}

void ShipWindow::Discard(SlotObject& slot, bool guidePlace) {
    if (slot.Kind() == kStockSlotKind) return;
    const int32_t enabled = guidePlace ? slot.Int(kSlotSecondEnabled) : slot.Int(kSlotFirstEnabled);
    const int32_t state = guidePlace ? slot.SecondState() : slot.FirstState();
    OptionObject* item = guidePlace ? slot.SetObjectB(nullptr) : slot.SetObject(nullptr);
    if (item == nullptr) return;
    Processor& processor = *GetProcessor();
    const int32_t answer =
        MessageBoxOverWindow(processor, *this, SystemMessage(processor, kDiscardQuestion),
                             kMessageBoxThird | kMessageBoxFourth, item->Picture(), kBoxTypingSpeed);
    // The question ran scripts. An item that went, or that a script gave to another owner, is not
    // this window's to throw away or put back. One whose place is gone, or was taken meanwhile, has
    // nowhere to go back to: it goes as the slot's items went.
    if (FreeToTake(item) == nullptr) {
        Refresh();
        return;
    }
    const bool placeFree = slot.Alive() && (guidePlace ? slot.Second() : slot.First()) == nullptr;
    if (answer == kYesAnswer || !placeFree) {
        DestroyObject(item);
        if (slot.Alive()) {
            if (guidePlace)
                slot.SetSecondEnabled(0);
            else
                slot.SetFirstEnabled(0);
        }
        Refresh();
        return;
    }
    // Put back as it was, switched on or off as before.
    if (guidePlace) {
        slot.SetObjectB(item);
        slot.SetSecondEnabled(enabled);
        if (slot.Alive()) slot.SetSecondState(state);
    } else {
        slot.SetObject(item);
        slot.SetFirstEnabled(enabled);
        if (slot.Alive()) slot.SetFirstState(state);
    }
    Refresh();
}

void ShipWindow::Split(SlotObject& slot) {
    // The hand must be free: what it holds would otherwise be dropped.
    if (Held() != nullptr || slot.Kind() == kStockSlotKind) return;
    OptionObject* item = slot.First();
    if (item == nullptr) return;
    if (auto* weapon = dynamic_cast<WeaponObject*>(item)) {
        OfferFromHand(*weapon);
        Refresh();
    } else if (auto* stack = dynamic_cast<AmmoObject*>(item)) {
        std::unique_ptr<OptionObject, ObjectDiscarder> split = SplitStack(*stack);
        SetHeld(split.release());
    }
}

void ShipWindow::SlotSecondary(SlotObject& slot, bool guidePlace) {
    // Switching off runs the item's script, which may delete the slot.
    if (guidePlace) {
        if (slot.Second() != nullptr) {
            const int32_t state = (slot.SecondState() + 1) % 2;
            slot.SetSecondEnabled(state);
            if (slot.Alive()) slot.SetSecondState(state);
            Refresh();
        } else if (TakesGuide(slot)) {
            StepGuideCode(slot, true);
        }
        return;
    }
    if (slot.First() == nullptr) return;
    const int32_t states = StatesOfKind(slot.Kind());
    if (states == 0) return;
    const int32_t state = (slot.FirstState() + 1) % states;
    slot.SetFirstEnabled(state);
    if (slot.Alive()) slot.SetFirstState(state);
    Refresh();
}

void RunShipWindow(ShipObject& ship) {
    auto* player = dynamic_cast<PlayerObject*>(ship.Owner());
    InputDevice* input = player != nullptr ? player->Input() : nullptr;
    if (input == nullptr) return;
    ShipWindow window(ship);
    window.Run(*input, player);
    // Only an opener that asked to keep the hand ends with something in it: it goes to the stock of
    // a player still there, and with the window otherwise.
    if (player->Alive()) {
        if (OptionObject* held = window.TakeHeld()) player->AddItem(held);
    }
    window.End();
}
