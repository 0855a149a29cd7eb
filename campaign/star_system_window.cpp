#include "campaign/star_system_window.h"

#include <algorithm>
#include <cmath>

#include "campaign/autosave.h"
#include "campaign/date_steps.h"
#include "campaign/game_manager.h"
#include "campaign/planet.h"
#include "foundation/exceptions.h"
#include "foundation/saturating.h"
#include "foundation/script_memory.h"
#include "foundation/word.h"
#include "graphics/display.h"
#include "graphics/screen_buffer.h"
#include "graphics/screen_surface.h"
#include "script/create_native.h"
#include "script/native_args.h"
#include "script/native_binder.h"
#include "script/object_manager.h"
#include "script/object_walk.h"
#include "script/processor.h"
#include "script/receiver_of.h"
#include "script/zema_class.h"
#include "shell/game_ids.h"
#include "ui/dialog_window.h"
#include "ui/gtime.h"
#include "ui/message_box.h"
#include "ui/text_controls.h"
#include "ui/ui_objects.h"
#include "ui/visual.h"
#include "ui/window_services.h"
#include "world/option.h"
#include "world/player.h"
#include "world/running_processor.h"
#include "world/ship.h"
#include "world/slot.h"

namespace {

// Ids of the window's own controls; the date-step buttons carry the numbers of their texts.
constexpr int32_t kGalaxyButtonId = 10;
constexpr int32_t kStayButtonId = 22;
constexpr int32_t kFirstStepButtonId = 490;
constexpr int32_t kStepButtonCount = 4;
constexpr uint32_t kGalaxyButtonText = 190;
constexpr uint32_t kStayButtonText = 119;
constexpr uint32_t kTimeHelpNumber = 42;
constexpr const char* kTimeHelpFile = "Help.mes";
constexpr int32_t kMargin = 10;
constexpr int32_t kFirstStepButtonX = 120;
constexpr uint32_t kNormalColourEntry = 1;
constexpr uint32_t kChosenColourEntry = 3;
constexpr uint32_t kReachColourEntry = 7;
constexpr uint32_t kInfoBoxStyle = 1;
constexpr uint32_t kQuestionBoxStyle = 12;
constexpr int32_t kQuestionGoOn = 2;
constexpr int32_t kBoxTypingSpeed = 200;
constexpr int32_t kDaysPerTripPixel = 3;  // a trip takes its distance div 3 days

// The start angle of the reach circle, which turns a degree each time it is drawn.
int32_t reachAngle = 0;

Processor& ProcessorOf(ScriptObject* receiver) {
    return RunningProcessor(receiver, "Star-system window");
}

// Runs a virtual method that answers one integer.
int32_t AskInt(Processor& processor, ScriptObject* object, uint32_t number) {
    processor.CallVirtual(object, number);
    return static_cast<int32_t>(processor.DataStack().Pop());
}

String AskText(Processor& processor, ScriptObject* object, uint32_t number) {
    processor.CallVirtual(object, number);
    return NativeArgs(processor).TextCopy();
}

int64_t Distance(const ControlObject& a, const ControlObject& b) {
    return PlaceDistance(a.Int(kVisualX), a.Int(kVisualY), b.Int(kVisualX), b.Int(kVisualY));
}

std::vector<ShipObject*> PlayerShips(Processor& processor) {
    std::vector<ShipObject*> ships;
    auto* players = processor.Objects().ListAt(kPlayerListId);
    if (players == nullptr) return ships;
    for (auto* node = players->ObjectList().Head(); node != nullptr; node = node->next) {
        auto* player = dynamic_cast<PlayerObject*>(node->item);
        ships.push_back(player != nullptr ? dynamic_cast<ShipObject*>(player->Ship()) : nullptr);
    }
    return ships;
}

AkbObject* EnergySource(const ShipObject& ship, uint32_t i) {
    SlotObject* slot = ship.SlotAt(kEnergyGroup, static_cast<int32_t>(i));
    return slot != nullptr ? dynamic_cast<AkbObject*>(slot->First()) : nullptr;
}

void ColourStepButtons(ScriptObject* from, DialogWindow& window, int32_t chosen) {
    for (int32_t i = 0; i < kStepButtonCount; ++i) {
        ControlObject* button = window.FindControl(kFirstStepButtonId + i);
        if (button == nullptr || dynamic_cast<StaticTextObject*>(button) == nullptr) continue;
        const uint32_t entry = kFirstStepButtonId + i == chosen ? kChosenColourEntry : kNormalColourEntry;
        button->Own(kTextColour) = ColourEntryAddress(from, entry);
    }
}

uint32_t StandardSystemText() {
    static const ScriptBuffer<char> text = CopyTextToScript("Standard system");
    return ToScript(text.get());
}

void DropFrame(ScriptObject* receiver) {
    NativeArgs(receiver).Word();
}

void KindText(ScriptObject* receiver) {
    NativeArgs(receiver).Stack().Push(StandardSystemText());
}

void ReturnMinusOne(ScriptObject* receiver) {
    NativeArgs(receiver).Stack().Push(static_cast<uint32_t>(-1));
}

void OnEvent(ScriptObject* receiver) {
    StarSystemZoomedObject& window = StarSystemZoomedObject::Of(receiver);
    NativeArgs args(receiver);
    const int32_t p2 = args.Int();
    args.Int();
    const int32_t event = args.Int();
    Processor& processor = ProcessorOf(receiver);
    DialogWindow& dialog = window.Window();

    if (event == kEventPrimary) {
        if (p2 == kGalaxyButtonId) return dialog.SetResult(kSystemResultGalaxy);
        if (p2 == kStayButtonId) return dialog.SetResult(kSystemResultStay);
        if (p2 >= kFirstStepButtonId && p2 < kFirstStepButtonId + kStepButtonCount) {
            SetDateStep(GameManagerObject::Get(processor).DateStep(), p2 - kFirstStepButtonId + kStepMinute);
            ColourStepButtons(receiver, dialog, p2);
            return;
        }
    }
    ControlObject* control = dialog.FindControl(p2);
    if (control == nullptr || !PlanetObject::IsPlanet(control)) return;
    dialog.SetHint(AskText(processor, control, kPlanetHintVirtual));
    // The hint is script code, which may have deleted the planet or this window.
    if (!control->Alive() || !window.Alive()) return;
    if (event == kEventSecondary) {
        const String description = AskText(processor, control, kDescriptionVirtual);
        if (!window.Alive()) return;
        MessageBoxOverWindow(processor, dialog, description, kInfoBoxStyle, nullptr, kBoxTypingSpeed);
    } else if (event == kEventPrimary) {
        TravelToPlanet(processor, window, *control);
    }
}

void BuildControlsNative(ScriptObject* receiver) {
    StarSystemZoomedObject::Of(receiver).BuildControls();
}

}  // namespace

StarSystemZoomedObject::StarSystemZoomedObject(ZEMAClass* cls) : ZEMADialogObject(cls) {}

StarSystemZoomedObject::~StarSystemZoomedObject() = default;

ControlObject* StarSystemZoomedObject::SelectedPlanet() const {
    return selectedPlanet_.As<ControlObject>();
}

void StarSystemZoomedObject::SetSelectedPlanet(ControlObject* planet) {
    selectedPlanet_ = WeakObject(planet);
}

void StarSystemZoomedObject::SetNames(const String& name, const String& displayName) {
    name_ = name;
    displayName_ = displayName;
}

void StarSystemZoomedObject::SelectPlanet(std::string_view planetName) {
    // The names are script code, which may delete planets, add controls or delete this window:
    // the walk goes over the planets there were, and one deleted by its own name is passed over.
    ObjectWalk<ControlObject> planets;
    DialogWindow& window = Window();
    for (uint32_t i = 0; i < window.ControlCount(); ++i) {
        ControlObject* control = window.ControlAt(i);
        if (control != nullptr && PlanetObject::IsPlanet(control)) planets.Add(control);
    }
    bool found = false;
    planets.ForEachAlive([&](ControlObject& planet) {
        if (found) return;
        const WeakObject before = selectedPlanet_;
        SetSelectedPlanet(&planet);
        const bool named = Planet::CallGetName(&planet).View() == planetName;
        if (!planet.Alive()) {
            selectedPlanet_ = before;
            return;
        }
        found = named;
    });
    CheckAlive("star-system window");
    if (SelectedPlanet() == nullptr) ThrowFatal("Star system is empty!");
}

void StarSystemZoomedObject::BuildControls() {
    Processor& processor = ProcessorOf(this);
    DialogWindow& window = Window();
    const int32_t width = GameDisplay().Surface()->Width();
    const int32_t height = GameDisplay().Surface()->Height();

    auto addButton = [&](int32_t x, int32_t y, uint32_t text, int32_t id, int32_t across, int32_t down) {
        ControlObject& button = NewControlByName(
            processor, "TextButton", {Word(x), Word(y), SystemMessageAddress(processor, text), Word(id)});
        button.SetInt(kTextHorizontalAlign, across);
        button.SetInt(kTextVerticalAlign, down);
        window.AddControl(&button, kListOwned);
        return &button;
    };
    addButton(width - kMargin, kMargin, kGalaxyButtonText, kGalaxyButtonId, 2, 0);
    addButton(width - kMargin, height - kMargin, kStayButtonText, kStayButtonId, 2, 2);

    ControlObject& clock =
        NewControlByName(processor, "TimeControl", {Word(kMargin), Word(height - kMargin), 0});
    clock.SetInt(kTextHorizontalAlign, 0);
    clock.SetInt(kTextVerticalAlign, 2);
    clock.SetHelpText(kTimeHelpFile, kTimeHelpNumber);
    window.AddControl(&clock, kListOwned);

    const int32_t chosen =
        kFirstStepButtonId - kStepMinute + DateStepCode(GameManagerObject::Get(processor).DateStep());
    int32_t x = kFirstStepButtonX;
    for (int32_t i = 0; i < kStepButtonCount; ++i) {
        const int32_t id = kFirstStepButtonId + i;
        ControlObject* button = addButton(x, height - kMargin, static_cast<uint32_t>(id), id, 0, 2);
        x = SaturateInt32(int64_t{x} + button->Width() + kMargin);
    }
    ColourStepButtons(this, window, chosen);
}

void StarSystemZoomedObject::StepWindow(int32_t) {
    if (!Window().ChildOpen()) AdvanceDate(ProcessorOf(this));
}

void StarSystemZoomedObject::DrawWindowControls() {
    Processor& processor = ProcessorOf(this);
    auto* shown = StarSystemZoomedObject::AsWindow(processor.Objects().GetObject(kStarSystemViewId));
    ControlObject* selected = shown != nullptr ? shown->SelectedPlanet() : nullptr;
    if (selected != nullptr) {
        const int32_t radius = SaturateInt32(LargestFuelTotal(processor) / kFuelPerPixel);
        if (ScreenBuffer* buffer = GameDisplay().Buffer())
            buffer->DrawCircleDots(selected->Int(kVisualX), selected->Int(kVisualY), radius, radius,
                                   ColourAt(ColourEntryAddress(this, kReachColourEntry)), reachAngle);
        reachAngle = (reachAngle + 1) % 360;
    }
    ZEMADialogObject::DrawWindowControls();
}

StarSystemZoomedObject& StarSystemZoomedObject::Of(ScriptObject* receiver) {
    return ReceiverOf<StarSystemZoomedObject>(receiver, "StarSystemZoomed object expected");
}

StarSystemZoomedObject* StarSystemZoomedObject::AsWindow(ScriptObject* object) {
    return dynamic_cast<StarSystemZoomedObject*>(object);
}

int64_t LargestFuelTotal(Processor& processor) {
    int64_t largest = 0;
    for (ShipObject* ship : PlayerShips(processor)) {
        if (ship == nullptr) continue;
        int64_t total = 0;
        for (uint32_t i = 0; i < ship->SlotCount(kEnergyGroup); ++i) {
            if (AkbObject* source = EnergySource(*ship, i)) total += source->Charge();
            largest = std::max(largest, total);
        }
    }
    return largest;
}

void TakeFuel(Processor& processor, int64_t need) {
    for (ShipObject* ship : PlayerShips(processor)) {
        if (ship == nullptr) continue;
        int64_t left = need;
        for (uint32_t i = 0; i < ship->SlotCount(kEnergyGroup) && left > 0; ++i) {
            AkbObject* source = EnergySource(*ship, i);
            if (source == nullptr) continue;
            const int64_t charge = source->Charge();
            const int64_t taken = std::min(charge, left);
            source->SetCharge(SaturateInt32(std::max<int64_t>(charge - left, 0)));
            left -= taken;
        }
    }
}

int64_t PlaceDistance(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    const double dx = static_cast<double>(x1) - x2;
    const double dy = static_cast<double>(y1) - y2;
    return static_cast<int64_t>(std::sqrt(dx * dx + dy * dy));
}

int64_t PlanetTripFuel(int64_t distance) {
    return kFuelPerPixel * distance;
}

bool PlanetTripAllowed(int64_t fuel, int64_t distance) {
    return fuel / 100 >= 2 * distance;
}

void TravelToPlanet(Processor& processor, StarSystemZoomedObject& window, ControlObject& planet) {
    ObjectManager& objects = processor.Objects();
    DialogWindow& dialog = window.Window();
    const WeakObject target(&planet);
    auto* shown = StarSystemZoomedObject::AsWindow(objects.GetObject(kStarSystemViewId));
    ControlObject* from = shown != nullptr ? shown->SelectedPlanet() : nullptr;

    if (from == nullptr) {
        ScriptObject* current = objects.GetObject(kStarSystemWindowId);
        if (current != nullptr && AskInt(processor, current, kLeaveSystemVirtual) == 0)
            return dialog.SetResult(kSystemResultStay);
        shown = StarSystemZoomedObject::AsWindow(objects.GetObject(kStarSystemViewId));
        if (shown != nullptr && AskInt(processor, shown, kEnterSystemVirtual) == 0)
            return dialog.SetResult(kSystemResultStay);
        shown = StarSystemZoomedObject::AsWindow(objects.GetObject(kStarSystemViewId));
        auto* chosen = target.As<ControlObject>();
        if (shown != nullptr && chosen != nullptr) shown->SetSelectedPlanet(chosen);
        return dialog.SetResult(kSystemResultTravelled);
    }

    const WeakObject origin(from);
    const int64_t distance = Distance(*from, planet);
    if (!PlanetTripAllowed(LargestFuelTotal(processor), distance)) {
        MessageBoxOverWindow(processor, dialog, SystemMessage(processor, kNoFuelMessage), kInfoBoxStyle,
                             nullptr, kBoxTypingSpeed);
        return;
    }
    if (AskInt(processor, &planet, kPlanetNoQuestionVirtual) == 0) {
        const String question = SystemMessage(processor, kTravelQuestionMessage);
        if (MessageBoxOverWindow(processor, dialog, question, kQuestionBoxStyle, nullptr, kBoxTypingSpeed) !=
            kQuestionGoOn)
            return;
    }
    AutoSave(processor);

    // The scripts asked below may delete what they are asked about: each is looked up again.
    auto refused = [&](ScriptObject* asked, uint32_t number) {
        return asked == nullptr || AskInt(processor, asked, number) == 0;
    };
    if (refused(objects.GetObject(kStarSystemViewId), kTravelInSystemVirtual) ||
        refused(origin.Get(), kPlanetLeaveVirtual) || refused(target.Get(), kPlanetArriveVirtual))
        return dialog.SetResult(kSystemResultStay);
    // A trip asked from a window that the scripts asked meanwhile deleted is not made.
    if (!window.Alive()) return;

    GTime trip;
    trip.Set(0, SaturateInt32(distance / kDaysPerTripPixel), 0, 0, 0);
    AdvanceDateBy(processor, trip);
    TakeFuel(processor, PlanetTripFuel(distance));

    shown = StarSystemZoomedObject::AsWindow(objects.GetObject(kStarSystemViewId));
    auto* arrived = target.As<ControlObject>();
    if (shown != nullptr && arrived != nullptr) shown->SetSelectedPlanet(arrived);
    dialog.SetResult(kSystemResultTravelled);
}

void StarSystemZoomed::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(DropFrame, kStepVirtual);
    target.SetVirtualMethod(OnEvent, kDialogEventVirtual);
    target.SetVirtualMethod(KindText, 9);
    target.SetVirtualMethod(ReturnMinusOne, kEnterSystemVirtual);
    target.SetVirtualMethod(ReturnMinusOne, kLeaveSystemVirtual);
    target.SetVirtualMethod(ReturnMinusOne, kTravelInSystemVirtual);
    BindNativeBase(row, target);
    target.SetMethod(CreateNative<StarSystemZoomedObject, "StarSystemZoomed">, kCreateObjectMethod);
    target.SetMethod(BuildControlsNative, 19);
}
