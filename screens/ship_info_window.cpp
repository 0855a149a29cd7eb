#include "screens/ship_info_window.h"

#include <cstdlib>
#include <memory>
#include <string_view>
#include <utility>

#include "foundation/exceptions.h"
#include "foundation/script_memory.h"
#include "foundation/word.h"
#include "graphics/display.h"
#include "graphics/screen_surface.h"
#include "screens/item_window.h"
#include "screens/screen_helpers.h"
#include "script/processor.h"
#include "ui/control.h"
#include "ui/dialog_window.h"
#include "ui/picture_controls.h"
#include "ui/text_controls.h"
#include "ui/visual.h"
#include "ui/window_services.h"
#include "world/ship.h"

namespace {

constexpr uint32_t kClassLabel = 302;
constexpr uint32_t kValueBLabel = 303;
constexpr uint32_t kValueCLabel = 171;
constexpr uint32_t kValueDLabel = 301;
constexpr uint32_t kCloseText = 117;
constexpr int32_t kNameTypingSpeed = 200;
constexpr int32_t kCharsTypingSpeed = 400;
constexpr int32_t kDescriptionTypingSpeed = 300;
constexpr int32_t kMargin = 100;

String Line(Processor& processor, uint32_t label, int32_t value) {
    return SystemMessage(processor, label) + " = " + String(value);
}

// A text control made from a text built here; the control keeps its own copy.
MadeControl<> NewBox(Processor& processor, int32_t x, int32_t y, int32_t width, const String& text,
                     int32_t id) {
    const ScriptBuffer<char> copy = CopyTextToScript(std::string_view(text.Text(), text.Size()));
    return MakeControl(processor, "MultiLineControl",
                       {Word(x), Word(y), Word(width), 0, ToScript(copy.get()), Word(id)});
}

int32_t ShownHeight(ControlObject& control) {
    return std::abs(control.Height());
}

}  // namespace

String ShipCharacteristics(Processor& processor, ScriptObject& ship) {
    const ShipObject& shown = ShipObject::Of(&ship);
    return Line(processor, kClassLabel, ShipClassNumber(shown)) + "\n" +
           Line(processor, kValueBLabel, shown.Int(kShipValueB)) + "\n" +
           Line(processor, kValueCLabel, shown.Int(kShipValueC) / 100) + "\n\n" +
           Line(processor, kValueDLabel, shown.Mass());
}

void ShowShipInfo(DialogWindow& parent, ScriptObject& ship) {
    Processor* processor = parent.GetProcessor();
    InputDevice* input = parent.Input();
    if (processor == nullptr || input == nullptr)
        ThrowFatal("The ship information window has no input device");
    const WeakObject shipRef(&ship);
    const String characteristics = ShipCharacteristics(*processor, ship);
    const ScreenSurface* surface = parent.GetDisplay() != nullptr ? parent.GetDisplay()->Surface() : nullptr;
    const int32_t screenHeight = surface != nullptr ? surface->Height() : 0;
    const int32_t w = (surface != nullptr ? surface->Width() : 0) - 2 * kMargin;

    parent.ReleaseFocus();
    // The parent is drawn beneath and stays busy until the window goes.
    auto window = std::make_unique<DialogWindow>(processor, parent.GetDisplay(), parent.DefaultCursor());
    window->SetParent(&parent);
    window->SetCallback(ItemWindowCallback);

    // The name is the ship's own text; its script code may delete the ship, which then shows no
    // description either.
    const String name = GTTClass::CallGetName(&ship);
    const String description =
        IfAlive(shipRef.Get()) != nullptr ? GTTClass::CallGetDescription(shipRef.Get()) : String();
    Font* descriptionFont = NamedFont(*processor, "Description");
    Font* charsFont = NamedFont(*processor, "Chars");

    // The boxes are made first: the frame and its background are as tall as the texts they hold.
    MadeControl<> chars = NewBox(*processor, 10, 35, w - 20, characteristics, kInfoCharsId);
    auto& charsText = StaticTextObject::Of(chars.get());
    charsText.SetFont(charsFont);
    charsText.SetInt(kTextHorizontalAlign, 2);
    charsText.SetInt(kTextTypingSpeed, kCharsTypingSpeed);
    const int32_t h4 = ShownHeight(*chars);

    MadeControl<> about = NewBox(*processor, 10, h4 + 45, w - 20, description, kInfoDescriptionId);
    auto& aboutText = StaticTextObject::Of(about.get());
    aboutText.SetFont(descriptionFont);
    aboutText.SetInt(kTextTypingSpeed, kDescriptionTypingSpeed);
    const int32_t h5 = ShownHeight(*about);

    const int32_t height = 30 + h4 + 10 + h5 + 35;
    // The frame and the background go before the texts, which are drawn inside them.
    ControlObject& frame = AddOwned(*window, MakeControl(*processor, "OpenWindowControl",
                                                         {Word(kMargin), Word((screenHeight - height) / 2),
                                                          Word(w), Word(height), Word(kInfoFrameId)}));
    AddOwned(
        *window,
        MakeControl(*processor, "RectangleControl", {0, 0, Word(w), Word(height), Word(kInfoBackgroundId)}),
        &frame);
    const ScriptBuffer<char> nameCopy = CopyTextToScript(std::string_view(name.Text(), name.Size()));
    MadeControl<> title = MakeControl(*processor, "StaticText", {10, 20, ToScript(nameCopy.get()), 0});
    title->SetInt(kTextVerticalAlign, 1);
    title->SetInt(kTextTypingSpeed, kNameTypingSpeed);
    AddOwned(*window, std::move(title), &frame);
    AddOwned(*window, std::move(chars), &frame);
    AddOwned(*window, std::move(about), &frame);
    MadeControl<> button = MakeControl(
        *processor, "TextButton",
        {Word(w - 10), Word(height - 10), SystemMessageAddress(*processor, kCloseText), Word(kInfoCloseId)});
    button->SetInt(kTextHorizontalAlign, 2);
    button->SetInt(kTextVerticalAlign, 2);
    AddOwned(*window, std::move(button), &frame);
    AddOwned(*window, MakeControl(*processor, "CloseWindowControl", {frame.Address(), Word(kInfoCloserId)}));

    // Scripts ran since the device was asked for: it is asked again.
    input = parent.Input();
    if (input == nullptr) ThrowFatal("The ship information window has no input device");
    window->Run(*input, parent.InputOwner());
    // Closed here rather than by the destructor, so that errors of script destructors are heard.
    window->Close();
}
