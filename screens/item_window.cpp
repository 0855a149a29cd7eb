#include "screens/item_window.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <utility>
#include <vector>

#include "foundation/exceptions.h"
#include "foundation/script_handle.h"
#include "foundation/word.h"
#include "screens/screen_helpers.h"
#include "script/object_lifetime.h"
#include "script/processor.h"
#include "script/script_fields.h"
#include "script/weak_object.h"
#include "ui/control.h"
#include "ui/dialog_window.h"
#include "ui/script_dialog.h"
#include "ui/text_controls.h"
#include "ui/window_services.h"
#include "world/option.h"
#include "world/ship.h"
#include "world/weapon.h"

namespace {

constexpr int32_t kSideMargin = 100;
constexpr int32_t kTopY = 50;
constexpr int32_t kStartHeight = 70;
constexpr int32_t kButtonGap = 20;
constexpr int32_t kNameSpeed = 200;
constexpr int32_t kTextSpeed = 400;
constexpr uint32_t kFirstValueText = 107;
constexpr uint32_t kCloseText = 117;
constexpr uint32_t kOfferText = 359;
constexpr uint32_t kClassText = 302;
constexpr uint32_t kWorthText = 301;
constexpr uint32_t kConsumptionText = 171;

// The information windows open now, by the value their items are handed for them.
std::vector<std::pair<uint32_t, DialogWindow*>>& OpenInfoWindows() {
    static std::vector<std::pair<uint32_t, DialogWindow*>> windows;
    return windows;
}

// Names an information window to scripts while it is open: the address of a word of its own in
// script memory, which no other live window can have.
class InfoWindowName {
  public:
    explicit InfoWindowName(DialogWindow& window) { OpenInfoWindows().emplace_back(Value(), &window); }
    ~InfoWindowName() {
        std::erase_if(OpenInfoWindows(), [this](const auto& entry) { return entry.first == Value(); });
    }
    InfoWindowName(const InfoWindowName&) = delete;
    InfoWindowName& operator=(const InfoWindowName&) = delete;
    uint32_t Value() const { return word_.Address(0); }

  private:
    ScriptFields word_{1};
};

DialogWindow* FindCallingWindow(uint32_t value) {
    for (const auto& [name, window] : OpenInfoWindows())
        if (name == value) return window;
    auto* dialog = dynamic_cast<ZEMADialogObject*>(
        static_cast<ScriptObject*>(FindScriptHandle(value, HandleFamily::kScriptObject, 0)));
    return dialog != nullptr ? &dialog->Window() : nullptr;
}

String Number(int32_t value) {
    return String(value);
}

// One line "text N = value", ended as asked.
void AppendEntry(Processor& processor, String& text, uint32_t number, const String& value,
                 bool open = false) {
    text += SystemMessage(processor, number);
    text += " = ";
    text += value;
    if (!open) text += "\n";
}

void AppendEntry(Processor& processor, String& text, uint32_t number, int32_t value, bool open = false) {
    AppendEntry(processor, text, number, Number(value), open);
}

// The class line: the lowest class, then " +" without an upper limit or " - " and the highest.
void AppendClassLine(Processor& processor, String& text, const OptionObject& item) {
    String range = Number(ItemLowestClass(item));
    const int32_t highest = ItemHighestClass(item);
    if (highest == kNoHighestClass) {
        range += " +";
    } else {
        range += " - ";
        range += Number(highest);
    }
    AppendEntry(processor, text, kClassText, range);
}

// Ten values of the item from field first on; zeros past the item's fields.
ValueList ItemValues(const OptionObject& item, uint32_t first) {
    ValueList values{};
    for (uint32_t i = 0; i < values.size() && first + i < item.OwnCount(); ++i)
        values[i] = item.Int(first + i);
    return values;
}

int32_t Field(const OptionObject& item, uint32_t index) {
    return index < item.OwnCount() ? item.Int(index) : 0;
}

// The lines of each kind; answers whether the last one was left open.
bool AppendKindLines(Processor& processor, String& text, OptionObject& item) {
    const int32_t consumption = item.Consumption() / 100;
    switch (item.ItemKind()) {
        case kItemWeapon: {
            AppendEntry(processor, text, 471,
                        SystemMessage(processor, Word(420 + Field(item, kWeaponSkillIndex))));
            AppendClassLine(processor, text, item);
            AppendEntry(processor, text, kConsumptionText, consumption);
            AppendEntry(processor, text, 304, Number(Field(item, kWeaponEnergyPerShot)) + "/100");
            if (Field(item, kWeaponNeedsAmmo) != 0) {
                AppendEntry(processor, text, 174,
                            SystemMessage(processor, Word(200 + Field(item, kWeaponKindA))));
                AppendEntry(processor, text, 175, Field(item, kWeaponValueJ));
                AppendEntry(processor, text, 177, Field(item, kWeaponInterval), true);
                return true;
            }
            AppendEntry(processor, text, 177, Field(item, kWeaponInterval));
            AppendValueList(processor, text, SystemMessage(processor, 176) + " :\n", "  ",
                            ItemValues(item, kWeaponReserved));
            return false;
        }
        case kItemAmmo:
            AppendEntry(processor, text, 174, SystemMessage(processor, Word(200 + Field(item, kAmmoKindA))));
            AppendEntry(processor, text, 175, Field(item, kAmmoShots));
            AppendValueList(processor, text, SystemMessage(processor, 176) + " :\n", "  ",
                            ItemValues(item, kAmmoDamage));
            return false;
        case kItemShield:
            AppendClassLine(processor, text, item);
            AppendEntry(processor, text, kConsumptionText, consumption);
            AppendValueList(processor, text, SystemMessage(processor, 106) + " :   \n", "  ",
                            ItemValues(item, kShieldProtection));
            return false;
        case kItemEngine:
            AppendClassLine(processor, text, item);
            AppendEntry(processor, text, kConsumptionText, consumption);
            AppendEntry(processor, text, 355, Field(item, kEngineThrust) / 100, true);
            return true;
        case kItemAkb:
            AppendClassLine(processor, text, item);
            AppendEntry(processor, text, 172, Field(item, kAkbCapacity) / 100);
            AppendEntry(processor, text, 173, Field(item, kAkbCharge) / 100, true);
            return true;
        case kItemGuide:
        case kItemGrabber:
            AppendClassLine(processor, text, item);
            AppendEntry(processor, text, kConsumptionText, consumption, true);
            return true;
        case kItemHull: {
            const auto* hull = dynamic_cast<const HullObject*>(&item);
            const auto* ship = hull != nullptr ? dynamic_cast<const ShipObject*>(hull->HullShip()) : nullptr;
            // A hull whose ship is gone has nothing of it to show.
            if (ship == nullptr) return false;
            AppendEntry(processor, text, kClassText, ShipClassNumber(*ship));
            AppendEntry(processor, text, 303, ship->Int(kShipValueB));
            AppendEntry(processor, text, kConsumptionText, ship->Int(kShipValueC) / 100, true);
            return true;
        }
        default:
            return false;
    }
}

// The loaded ammunition of a weapon, null for anything else.
OptionObject* LinkedItem(OptionObject& item) {
    if (item.ItemKind() != kItemWeapon) return nullptr;
    auto* weapon = dynamic_cast<WeaponObject*>(&item);
    return weapon != nullptr ? weapon->Ammo() : nullptr;
}

// A button of the row: its text ends at (x, y).
StaticTextObject& AddRowButton(DialogWindow& window, ControlObject& frame, int32_t x, int32_t y,
                               std::string_view text, int32_t id) {
    MadeControl<StaticTextObject> button =
        NewTextControl(*window.GetProcessor(), "TextButton", x, y, text, id);
    button->SetInt(kTextHorizontalAlign, 2);
    button->SetInt(kTextVerticalAlign, 2);
    return AddOwned(window, std::move(button), &frame);
}

void BuildItemWindow(DialogWindow& window, OptionObject& item) {
    Processor& processor = *window.GetProcessor();
    const int32_t width = ScreenWidthOf(window) - 2 * kSideMargin;
    const String characteristics = ItemCharacteristics(processor, item);

    // The text boxes are measured before the frame is made, as the frame's height comes from them.
    MadeControl<StaticTextObject> chars =
        NewMultiLineText(processor, 10, 40, width - 20, 0, characteristics.View(), kInfoCharsId, "Chars");
    chars->SetInt(kTextHorizontalAlign, 2);
    chars->SetInt(kTextTypingSpeed, kTextSpeed);
    const int32_t charsHeight = std::abs(chars->Height());
    const String description = GTTClass::CallGetDescription(&item);
    MadeControl<StaticTextObject> about =
        NewMultiLineText(processor, 10, charsHeight + 60, width - 20, 0, description.View(),
                         kInfoDescriptionId, "Description");
    about->SetInt(kTextTypingSpeed, kTextSpeed);
    const int32_t height = kStartHeight + charsHeight + 10 + std::abs(about->Height()) + 20;

    ControlObject& frame = AddOwned(
        window, MakeControl(processor, "OpenWindowControl",
                            {Word(kSideMargin), Word(kTopY), Word(width), Word(height), Word(kInfoFrameId)}));
    AddOwned(window,
             MakeControl(processor, "RectangleControl",
                         {0, 0, Word(width), Word(height), Word(kInfoBackgroundId)}),
             &frame);
    // The item's own scripts ran: its picture is read only while it lives.
    item.CheckAlive("item");
    AddOwned(window,
             MakeControl(processor, "Control", {item.Own(kVisualPicture), 25, 25, Word(kInfoPictureId)}),
             &frame);
    MadeControl<StaticTextObject> name =
        NewTextControl(processor, "StaticText", 50, 25, GTTClass::CallGetName(&item).View(), kInfoNameId);
    name->SetInt(kTextVerticalAlign, 1);
    name->SetInt(kTextTypingSpeed, kNameSpeed);
    AddOwned(window, std::move(name), &frame);
    AddOwned(window, std::move(chars), &frame);
    AddOwned(window, std::move(about), &frame);

    int32_t x = width - 10;
    const int32_t y = height - 10;
    x -=
        AddRowButton(window, frame, x, y, SystemMessage(processor, kCloseText).View(), kInfoCloseId).Width() +
        kButtonGap;
    if (CallScriptMethod13PopInt(&item) != 0)
        x -= AddRowButton(window, frame, x, y, SystemMessage(processor, kOfferText).View(), kInfoOfferId)
                 .Width() +
             kButtonGap;
    if (OptionObject* linked = IfAlive(LinkedItem(item)); linked != nullptr) {
        StaticTextObject& button =
            AddRowButton(window, frame, x, y, GTTClass::CallGetName(linked).View(), kInfoLinkedId);
        x -= button.Width() + kButtonGap;
        // A row that runs past the left edge takes the smaller font.
        if (x < 0) button.SetFont(NamedFont(processor, "SmallButton"));
    }
    frame.SetInt(kVisualY, (ScreenHeightOf(window) - height) / 2);
    AddOwned(window, MakeControl(processor, "CloseWindowControl", {frame.Address(), Word(kInfoCloserId)}));
}

}  // namespace

void AppendValueList(Processor& processor, String& text, const String& heading, const char* prefix,
                     const ValueList& values) {
    bool first = true;
    for (uint32_t i = 0; i < values.size(); ++i) {
        if (values[i] == 0) continue;
        if (first) text += heading;
        first = false;
        text += prefix;
        AppendEntry(processor, text, kFirstValueText + i, values[i]);
    }
}

String ItemCharacteristics(Processor& processor, OptionObject& item) {
    String text;
    if (AppendKindLines(processor, text, item)) text += "\n";
    text += "\n";
    AppendEntry(processor, text, kWorthText, CallScriptMethod16PopInt(&item), true);
    return text;
}

void ItemWindowCallback(DialogWindow& window, int32_t event, int32_t, int32_t id) {
    if (event == kEventClose) {
        window.SetResult(0);
        return;
    }
    if (event != kEventPrimary) return;
    if (id == kInfoCloseId) window.SetResult(1);
    if (id == kInfoLinkedId || id == kInfoOfferId) window.SetResult(id);
}

void ShowItemInfo(DialogWindow& parent, OptionObject& item) {
    Processor* processor = parent.GetProcessor();
    if (processor == nullptr) ThrowFatal("Item window over a window without a processor");
    if (parent.Input() == nullptr) ThrowFatal("No input device to run the item window with");
    const WeakObject shown(&item);
    parent.ReleaseFocus();
    auto window = std::make_unique<DialogWindow>(processor, parent.GetDisplay(), parent.DefaultCursor());
    window->SetParent(&parent);
    window->SetCallback(ItemWindowCallback);
    const InfoWindowName name(*window);
    BuildItemWindow(*window, item);
    // What the item's offers make and destroy is given back at the next turn; the window and its
    // controls are older than the loop, and the item is asked for again.
    ReleaseLoop release;
    for (;;) {
        release.Turn();
        window->SetResult(kNoResult);
        // Scripts ran since the device was asked for: it is asked again, with its owner.
        InputDevice* input = parent.Input();
        if (input == nullptr) ThrowFatal("No input device to run the item window with");
        const int32_t result = window->Run(*input, parent.InputOwner());
        // The item's own scripts may have deleted it meanwhile.
        auto* live = IfAlive(shown.As<OptionObject>());
        if (live == nullptr) break;
        if (result == kInfoOfferId) {
            processor->DataStack().Push(name.Value());
            processor->CallVirtual(live, kItemSettingsVirtual);
            continue;
        }
        if (result == kInfoLinkedId) {
            if (OptionObject* linked = IfAlive(LinkedItem(*live)); linked != nullptr)
                ShowItemInfo(parent, *linked);
        }
        break;
    }
    // Here, not in the window's destructor, a failing script destructor is reported.
    window->Close();
}

void InstallItemWindowLookup() {
    SetCallingWindowLookup(FindCallingWindow);
}
