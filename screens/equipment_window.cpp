#include "screens/equipment_window.h"

#include <utility>
#include <vector>

#include "foundation/exceptions.h"
#include "foundation/word.h"
#include "graphics/color_manager.h"
#include "graphics/frame.h"
#include "graphics/image.h"
#include "screens/full_screen.h"
#include "screens/screen_helpers.h"
#include "screens/slot_layout.h"
#include "script/object_manager.h"
#include "script/object_walk.h"
#include "script/processor.h"
#include "script/weak_object.h"
#include "shell/game_ids.h"
#include "ui/control.h"
#include "ui/dialog_window.h"
#include "ui/text_controls.h"
#include "ui/window_services.h"
#include "world/player.h"
#include "world/ship.h"
#include "world/slot.h"

namespace {

constexpr uint32_t kHighlightColour = 3;
constexpr uint32_t kDisabledColour = 6;
constexpr int32_t kEdge = 10;
constexpr int32_t kLineStep = 25;
constexpr int32_t kSummaryY = 50;
constexpr int32_t kSummarySpeed = 400;
constexpr int32_t kStarCount = 200;
constexpr int32_t kPlayerGap = 20;

// The star background the ship window keeps across its rebuilds.
WeakObject background;

uint32_t ColourAddress(Processor& processor, uint32_t entry) {
    auto* colours = dynamic_cast<ColorManager*>(processor.Objects().GetObject(kColorManagerId));
    if (colours == nullptr) ThrowFatal("No colour manager (object %u)", kColorManagerId);
    return colours->CheckedEntryAddress(entry);
}

// What the builder needs all along.
struct Builder {
    DialogWindow& window;
    ShipWindowState& state;
    Processor& processor;
    int32_t width;  // the screen's
    int32_t height;
    int32_t slotHeight;  // of frame 0 of the slot pictures

    // A label that is plain text while current (in the highlight colour) and a button otherwise.
    StaticTextObject& Label(bool current, int32_t x, int32_t y, const String& text, int32_t id,
                            int32_t help = 0) {
        MadeControl<StaticTextObject> label =
            NewTextControl(processor, current ? "StaticText" : "TextButton", x, y, text.View(), id);
        label->SetInt(kTextHorizontalAlign, 2);
        if (current) label->Own(kTextColour) = ColourAddress(processor, kHighlightColour);
        if (help != 0) label->SetHelpText(kScreenHelpFile, help);
        return AddOwned(window, std::move(label));
    }

    StaticTextObject& Button(int32_t x, int32_t y, uint32_t text, int32_t id, int32_t help) {
        return Label(false, x, y, SystemMessage(processor, text), id, help);
    }
};

void AddBackground(Builder& b) {
    if (background.Get() == nullptr)
        background = WeakObject(&NewControlByName(b.processor, "HeavenControl", {Word(kStarCount), 0}));
    // Its own script may have deleted it as it was made.
    ScriptObject* shared = background.Get();
    if (shared != nullptr && shared->Alive()) b.window.AddControl(shared, kNeverOwned);
}

void AddShipPictures(Builder& b, ShipObject* ship) {
    const int32_t centreY = (b.height - b.slotHeight - 20) / 2;
    if (ship != nullptr)
        AddOwned(b.window, MakeControl(b.processor, "Control",
                                       {ship->Own(kVisualPicture), Word(b.width / 2), Word(centreY), 0}));
    // The line that parts the ship from the row of cargo or stock below it.
    Image* line = ScreenPicture(b.processor, "Misc\\SchemaLine.dpf");
    AddOwned(b.window,
             MakeControl(b.processor, "Control",
                         {line->Address(), Word(b.width / 2), Word(b.height - b.slotHeight - 20), 0}));
    // The controls' scripts may have deleted the ship.
    ship = IfAlive(ship);
    const String name = ship != nullptr ? GTTClass::CallGetName(ship) : String();
    AddOwned(b.window, NewTextControl(b.processor, "TextButton", kEdge, kEdge, name.View(), kShipNameId));
}

void AddSummary(Builder& b) {
    MadeControl<StaticTextObject> made =
        NewMultiLineText(b.processor, kEdge, kSummaryY, 0, 0, b.state.summaryText.View(), 0, "Chars");
    made->SetInt(kTextTypingSpeed, kSummarySpeed);
    StaticTextObject& summary = AddOwned(b.window, std::move(made));
    b.state.summaryControl = WeakObject(&summary);
    UpdateSummary(b.processor, b.state);
}

// The nine group labels, " 9 " rightmost: the current one plain, a switched-off one greyed.
void AddGroupLabels(Builder& b, const SlotObject* firstWeapon, int32_t y) {
    int32_t x = b.width - kEdge;
    for (int32_t group = kGuideGroups - 1; group >= 0; --group) {
        const bool current = group == b.state.group;
        const char text[] = {' ', static_cast<char>('1' + group), ' ', '\0'};
        StaticTextObject& label = b.Label(current, x, y, String(text), kFirstGroupId + group);
        // The labels' scripts may have deleted the slot: then every group shows on.
        const bool on = firstWeapon == nullptr || !firstWeapon->Alive() ||
                        firstWeapon->Direction(static_cast<uint32_t>(group)).enabled;
        if (!on) label.Own(kTextColour) = ColourAddress(b.processor, kDisabledColour);
        x -= label.Width();
    }
}

void AddRightColumn(Builder& b) {
    const int32_t x = b.width - kEdge;
    b.Label(b.state.page == kShipPage, x, 10, SystemMessage(b.processor, 101), kShipPageId, 24);
    b.Label(b.state.page == kGuidePage, x, 35, SystemMessage(b.processor, 180), kGuidePageId, 26);
    int32_t y = 60;
    if (b.state.page == kGuidePage) {
        const ShipObject* ship = StateShip(b.state);
        AddGroupLabels(b, ship != nullptr ? ship->SlotAt(kWeaponGroup, 0) : nullptr, y);
        y += kLineStep;
    }
    b.Label(b.state.page == kEquipmentPage, x, y, SystemMessage(b.processor, 103), kEquipmentPageId, 25);
    b.Button(x, y += kLineStep, 178, kSplitToolId, 20);
    b.Button(x, y += kLineStep, 118, kDiscardToolId, 21);
    b.Button(x, y += kLineStep, 104, kConfigureToolId, 22);
    b.Button(x, y += kLineStep, 102, kShipCloseId, 23);
}

void AddViewLabels(Builder& b) {
    const int32_t x = b.width - kEdge;
    StaticTextObject& cargo = b.Label(b.state.slotView == kCargoView, x, b.height - kEdge,
                                      SystemMessage(b.processor, 477), kCargoViewId, 27);
    cargo.SetInt(kTextVerticalAlign, 2);
    StaticTextObject& stock = b.Label(b.state.slotView == kStockView, x, b.height - b.slotHeight - kEdge,
                                      SystemMessage(b.processor, 478), kStockViewId, 28);
    stock.SetInt(kTextVerticalAlign, 0);
}

// One button per player of the player list (object 23), at most ten.
void AddPlayerButtons(Builder& b) {
    auto* players = PlayerList(b.processor);
    if (players == nullptr) return;
    int32_t x = kEdge;
    const int32_t y = b.height - b.slotHeight - 30;
    int32_t index = 0;
    // Making a button runs its class's scripts, which may change the list: the walk goes over the
    // players there when it began.
    const ObjectWalk<> walk(ObjectWalk<>::ItemsOf(players->ObjectList()));
    walk.ForEachAlive([&](ScriptObject& entry) {
        auto* player = dynamic_cast<PlayerObject*>(&entry);
        if (player == nullptr || index >= kMostPlayerButtons) return;
        MadeControl<StaticTextObject> made =
            NewTextControl(b.processor, "TextButton", x, y, player->Name().View(), kFirstPlayerId + index);
        made->SetInt(kTextHorizontalAlign, 0);
        made->SetInt(kTextVerticalAlign, 2);
        StaticTextObject& button = AddOwned(b.window, std::move(made));
        x += button.Width() + kPlayerGap;
        ++index;
    });
}

// The two ship buttons: the shown one plain; without a second ship its button is greyed text.
void AddShipButtons(Builder& b, ShipObject* ship) {
    auto* player = ship != nullptr ? dynamic_cast<PlayerObject*>(ship->Owner()) : nullptr;
    ScriptObject* reserve = player != nullptr ? player->ReserveShip() : nullptr;
    const bool secondShown = reserve != nullptr && reserve == ship;
    const int32_t x = b.width - kEdge;
    const int32_t y = b.height - b.slotHeight - 30;
    StaticTextObject& first = b.Label(!secondShown, x, y, SystemMessage(b.processor, 183), kFirstShipId);
    first.SetInt(kTextVerticalAlign, 2);
    StaticTextObject& second = b.Label(secondShown || reserve == nullptr, x, y - kLineStep,
                                       SystemMessage(b.processor, 189), kSecondShipId);
    second.SetInt(kTextVerticalAlign, 2);
    if (reserve == nullptr) second.Own(kTextColour) = ColourAddress(b.processor, kDisabledColour);
}

void ShowPageHelp(Builder& b) {
    if (!b.window.Running()) return;
    switch (b.state.page) {
        case kShipPage:
            ShowHelpOnce(b.processor, &b.window, "HELP_SHIP_WINDOW", 4);
            break;
        case kEquipmentPage:
            ShowHelpOnce(b.processor, &b.window, "HELP_EQUIP_WINDOW", 10);
            break;
        case kGuidePage:
            ShowHelpOnce(b.processor, &b.window, "HELP_GUIDE", 8);
            break;
        default:
            break;
    }
}

}  // namespace

void BuildEquipmentWindow(DialogWindow& window, ShipWindowState& state) {
    Processor* processor = window.GetProcessor();
    if (processor == nullptr) ThrowFatal("Ship window without a processor");
    const Frame* slotFrame = SlotFrame(state);
    Builder b{window,
              state,
              *processor,
              ScreenWidthOf(window),
              ScreenHeightOf(window),
              slotFrame != nullptr ? static_cast<int32_t>(slotFrame->Height()) : 0};
    window.ClearControls();
    state.summaryControl = WeakObject();
    // Every part runs scripts (the controls' own, the ship's name), which may delete the ship: each
    // asks for it again.
    AddBackground(b);
    AddShipPictures(b, StateShip(state));
    AddSummary(b);
    AddRightColumn(b);
    AddViewLabels(b);
    PlaceSlotControls(window, state);
    AddPlayerButtons(b);
    AddShipButtons(b, StateShip(state));
    ShowPageHelp(b);
}

void ReleaseShipWindowBackground() {
    ScriptObject* made = background.Get();
    background = WeakObject();
    if (made != nullptr && made->Alive()) DestroyObject(made);
}
