#include "screens/screen_helpers.h"

#include "campaign/help_system.h"
#include "foundation/exceptions.h"
#include "foundation/script_memory.h"
#include "foundation/word.h"
#include "graphics/display.h"
#include "graphics/screen_surface.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "script/zema_class.h"
#include "shell/game_ids.h"
#include "ui/dialog_window.h"
#include "ui/text_controls.h"
#include "ui/window_services.h"
#include "world/event_manager.h"
#include "world/option.h"
#include "world/ship.h"

bool ShowHelpOnce(Processor& processor, DialogWindow* window, const char* key, int32_t entry,
                  std::string_view file) {
    ObjectManager& objects = processor.Objects();
    if (objects.GetObject(kEventManagerId) == nullptr || objects.GetObject(kHelpSystemId) == nullptr)
        return false;
    const String name(key);
    if (EventManager::AnyHasEvent(processor, name)) return false;
    HelpSystem::ShowTips(processor, window, file, entry, kHelpIsTip);
    EventManager::RecordEventAll(processor, name, 0, String(), 0);
    return true;
}

String LabelLine(const String& label, const String& value) {
    return label + " : $h" + value + "$h";
}

String LabelLine(const String& label, int32_t value) {
    return LabelLine(label, String(value));
}

int32_t ShipClassNumber(const ShipObject& ship) {
    return ship.Int(kShipValueA);
}

int32_t ItemLowestClass(const OptionObject& item) {
    return item.Int(kOptionValueF);
}

int32_t ItemHighestClass(const OptionObject& item) {
    return item.Int(kOptionValueG);
}

bool ItemFitsClass(const OptionObject& item, int32_t shipClass) {
    return ItemLowestClass(item) <= shipClass && shipClass <= ItemHighestClass(item);
}

namespace {

StaticTextObject& AsText(ControlObject& made, const char* className) {
    auto* text = dynamic_cast<StaticTextObject*>(&made);
    if (text == nullptr) {
        DiscardObject(&made);
        ThrowFatal("Class %s made no text control", className);
    }
    return *text;
}

}  // namespace

Processor& ClassProcessor(const ScriptObject& object, const char* failure) {
    auto* processor =
        object.Class() != nullptr ? dynamic_cast<Processor*>(object.Class()->GetProcessor()) : nullptr;
    if (processor == nullptr) ThrowFatal("%s", failure);
    return *processor;
}

ObjectManager* PlayerList(Processor& processor) {
    return processor.Objects().ListAt(kPlayerListId);
}

const ScreenSurface* ScreenSurfaceOf(const DialogWindow& window) {
    const Display* display = window.GetDisplay();
    return display != nullptr ? display->Surface() : nullptr;
}

const ScreenSurface& ScreenOf(const DialogWindow& window, const char* what) {
    const ScreenSurface* surface = ScreenSurfaceOf(window);
    if (surface == nullptr) ThrowFatal("No screen for %s", what);
    return *surface;
}

int32_t ScreenWidthOf(const DialogWindow& window) {
    const ScreenSurface* surface = ScreenSurfaceOf(window);
    return surface != nullptr ? surface->Width() : 0;
}

int32_t ScreenHeightOf(const DialogWindow& window) {
    const ScreenSurface* surface = ScreenSurfaceOf(window);
    return surface != nullptr ? surface->Height() : 0;
}

StaticTextObject& NewTextControl(Processor& processor, const char* className, int32_t x, int32_t y,
                                 std::string_view text, int32_t id) {
    // The control copies the text as it is made.
    const ScriptBuffer<char> copy = CopyTextToScript(text);
    ControlObject& made =
        NewControlByName(processor, className, {Word(x), Word(y), ToScript(copy.get()), Word(id)});
    return AsText(made, className);
}

StaticTextObject& NewMultiLineText(Processor& processor, int32_t x, int32_t y, int32_t width, int32_t height,
                                   std::string_view text, int32_t id, const char* font) {
    const ScriptBuffer<char> copy = CopyTextToScript(text);
    ControlObject& made =
        NewControlByName(processor, "MultiLineControl",
                         {Word(x), Word(y), Word(width), Word(height), ToScript(copy.get()), Word(id)});
    StaticTextObject& box = AsText(made, "MultiLineControl");
    try {
        box.SetFont(NamedFont(processor, font));
    } catch (...) {
        DiscardObject(&box);
        throw;
    }
    return box;
}

ControlObject& AddOwned(DialogWindow& window, ControlObject& control, ControlObject* parent) {
    try {
        if (parent != nullptr) control.SetParent(parent);
        window.AddControl(&control, kListOwned);
    } catch (...) {
        DiscardObject(&control);
        throw;
    }
    return control;
}
