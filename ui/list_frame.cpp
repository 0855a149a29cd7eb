#include "ui/list_frame.h"

#include "foundation/engine_string.h"
#include "foundation/exceptions.h"
#include "foundation/script_memory.h"
#include "foundation/word.h"
#include "graphics/display.h"
#include "graphics/image.h"
#include "graphics/image_manager.h"
#include "graphics/screen_surface.h"
#include "script/cleanup_steps.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "script/weak_object.h"
#include "shell/game_globals.h"
#include "shell/game_ids.h"
#include "ui/control.h"
#include "ui/dialog_window.h"
#include "ui/text_controls.h"
#include "ui/window_frame.h"
#include "ui/window_services.h"

namespace {

WeakObject panel;

ControlObject& Add(DialogWindow& window, ControlObject& control) {
    window.AddControl(&control, kListOwned);
    return control;
}

ControlObject& Text(DialogWindow& window, const char* cls, int32_t x, int32_t y, uint32_t text, int32_t id,
                    int32_t align, Font* font) {
    ControlObject& made = NewControlByName(*window.GetProcessor(), cls, {Word(x), Word(y), text, Word(id)});
    auto& shown = StaticTextObject::Of(&made);
    shown.SetInt(kTextHorizontalAlign, align);
    shown.SetInt(kTextVerticalAlign, align);
    shown.SetFont(font);
    return Add(window, made);
}

}  // namespace

void HeavenPanel(DialogWindow& window) {
    if (panel.Get() == nullptr)
        panel = WeakObject(&NewControlByName(*window.GetProcessor(), "HeavenControl", {400, 0}));
    window.AddControl(panel.Get(), kNeverOwned);
}

void DeleteHeavenPanel() {
    ScriptObject* made = panel.Get();
    panel = WeakObject();
    if (made != nullptr && !made->BeingDestroyed()) DestroyObject(made);
}

void SchemaLineList(DialogWindow& window, std::string_view title) {
    Processor& processor = *window.GetProcessor();
    const ScreenSurface* surface = window.GetDisplay() != nullptr ? window.GetDisplay()->Surface() : nullptr;
    if (surface == nullptr) ThrowFatal("No screen for the list frame");
    const int32_t w = surface->Width();
    const int32_t h = surface->Height();
    Font* font = NamedFont(processor, "BigMenu");
    {
        const ScriptBuffer<char> text = CopyTextToScript(title);
        Text(window, "StaticText", 20, 10, ToScript(text.get()), 0, 0, font);
    }
    auto* images = dynamic_cast<ImageManager*>(processor.Objects().GetObject(kImageManagerId));
    if (images == nullptr) ThrowFatal("No picture manager (object %u)", kImageManagerId);
    Image* rule = images->GetImage(String("Misc\\SchemaLine.dpf"));
    const uint32_t picture = rule != nullptr ? rule->Address() : 0;
    Add(window, NewControlByName(processor, "Control", {picture, Word(w / 2), Word(h - 50), 0}));
    Add(window, NewControlByName(processor, "Control", {picture, Word(w / 2), 60, 0}));
    ControlObject& ok =
        Text(window, "TextButton", w - 20, h - 10, SystemMessageAddress(processor, 117), kFrameOkId, 2, font);
    Text(window, "TextButton", w - 40 - ok.Width(), h - 10, SystemMessageAddress(processor, 119),
         kFrameCancelId, 2, font);
}

std::unique_ptr<DialogWindow> MakeListScreen(Processor& processor, DialogWindow::Callback callback) {
    auto window = std::make_unique<DialogWindow>(&processor, &GameDisplay(), EngineCursor(processor));
    window->SetCallback(std::move(callback));
    return window;
}

int32_t RunListScreen(DialogWindow& window, InputDevice& input) {
    // While an error of the run unwinds: the panel goes without a word, as none may leave here.
    struct PanelGoes {
        ~PanelGoes() { DiscardObject(panel.Get()); }
    } panelGoes;
    const int32_t result = window.Run(input);
    // Both go, and the first error of a script destructor passes on once both went.
    CleanupSteps steps(*window.GetProcessor());
    steps.Run([&window] { window.Close(); });
    steps.Run(DeleteHeavenPanel);
    steps.Finish();
    return result;
}
