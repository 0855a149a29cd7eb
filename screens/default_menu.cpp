#include "screens/default_menu.h"

#include <memory>
#include <utility>

#include "foundation/exceptions.h"
#include "foundation/word.h"
#include "graphics/display.h"
#include "graphics/screen_surface.h"
#include "screens/options_window.h"
#include "screens/screen_helpers.h"
#include "screens/screen_teardown.h"
#include "script/processor.h"
#include "ui/control.h"
#include "ui/dialog_window.h"
#include "ui/text_controls.h"
#include "ui/window_frame.h"
#include "ui/window_services.h"

namespace {

constexpr uint32_t kQuestion = 123;
constexpr uint32_t kYes = 120;
constexpr uint32_t kNo = 121;

void AddCentred(DialogWindow& window, const char* cls, int32_t x, int32_t y, uint32_t message, int32_t id,
                Font* font) {
    Processor& processor = *window.GetProcessor();
    MadeControl<> made =
        MakeControl(processor, cls, {Word(x), Word(y), SystemMessageAddress(processor, message), Word(id)});
    auto& text = StaticTextObject::Of(made.get());
    text.SetInt(kTextHorizontalAlign, 1);
    text.SetInt(kTextVerticalAlign, 1);
    text.SetFont(font);
    AddOwned(window, std::move(made));
}

}  // namespace

bool RunDefaultMenuDialog(Processor& processor, InputDevice& input) {
    auto window = std::make_unique<DialogWindow>(&processor, &GameDisplay(), EngineCursor(processor));
    // Yes (43) answers 1; no (42) and closing answer 0.
    window->SetCallback(DialogWindow::FrameCallback);
    ScreenTeardown teardown(processor, {[&window] { window->Close(); }, DeleteOptionsBackground});
    DefaultMenu(*window);
    const int32_t result = window->Run(input);
    teardown.Finish();
    return result == 1;
}

void DefaultMenu(DialogWindow& window) {
    Processor& processor = *window.GetProcessor();
    Font* big = NamedFont(processor, "BigMenu");
    Font* plain = NamedFont(processor, "Default");
    window.SetSkipDraw();
    window.ClearControls();
    const ScreenSurface& surface = ScreenOf(window, "the menu");
    const int32_t w = surface.Width();
    const int32_t h = surface.Height();
    if (ScriptObject* background = OptionsBackground(processor)) window.AddControl(background, kNeverOwned);
    AddCentred(window, "StaticText", w / 2, h / 2 - 100, kQuestion, 0, big);
    AddCentred(window, "TextButton", w / 2, h / 2, kYes, kFrameOkId, plain);
    AddCentred(window, "TextButton", w / 2, h / 2 + 40, kNo, kFrameCancelId, plain);
}
