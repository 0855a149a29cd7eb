#include "screens/screen_helpers.h"

#include <memory>

#include "campaign/help_system.h"
#include "foundation/exceptions.h"
#include "foundation/script_memory.h"
#include "foundation/word.h"
#include "graphics/display.h"
#include "graphics/screen_surface.h"
#include "script/cleanup_steps.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "script/zema_class.h"
#include "shell/game_ids.h"
#include "ui/dialog_window.h"
#include "ui/text_controls.h"
#include "ui/window_services.h"
#include "world/equipment_config.h"
#include "world/event_manager.h"
#include "world/option.h"
#include "world/ship.h"
#include "world/slot.h"

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

std::vector<SlotObject*> ShipSlots(const ShipObject& ship, std::initializer_list<uint32_t> groups) {
    std::vector<SlotObject*> slots;
    for (const uint32_t group : groups) {
        for (uint32_t i = 0; i < ship.SlotCount(group); ++i) {
            SlotObject* slot = ship.SlotAt(group, static_cast<int32_t>(i));
            if (slot != nullptr && slot->Alive()) slots.push_back(slot);
        }
    }
    return slots;
}

namespace {

MadeControl<StaticTextObject> AsText(MadeControl<> made, const char* className) {
    auto* text = dynamic_cast<StaticTextObject*>(made.get());
    if (text == nullptr) ThrowFatal("Class %s made no text control", className);
    made.release();
    return MadeControl<StaticTextObject>(text);
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

MadeControl<> MakeControl(Processor& processor, const char* className,
                          std::initializer_list<uint32_t> values) {
    return MadeControl<>(&NewControlByName(processor, className, values));
}

MadeControl<StaticTextObject> NewTextControl(Processor& processor, const char* className, int32_t x,
                                             int32_t y, std::string_view text, int32_t id) {
    // The control copies the text as it is made.
    const ScriptBuffer<char> copy = CopyTextToScript(text);
    return AsText(MakeControl(processor, className, {Word(x), Word(y), ToScript(copy.get()), Word(id)}),
                  className);
}

MadeControl<StaticTextObject> NewMultiLineText(Processor& processor, int32_t x, int32_t y, int32_t width,
                                               int32_t height, std::string_view text, int32_t id,
                                               const char* font) {
    const ScriptBuffer<char> copy = CopyTextToScript(text);
    MadeControl<StaticTextObject> box =
        AsText(MakeControl(processor, "MultiLineControl",
                           {Word(x), Word(y), Word(width), Word(height), ToScript(copy.get()), Word(id)}),
               "MultiLineControl");
    box->SetFont(NamedFont(processor, font));
    return box;
}

ControlObject& AddOwnedControl(DialogWindow& window, MadeControl<> control, ControlObject* parent) {
    control->CheckAlive("control");
    if (window.Closed()) ThrowFatal("A control was added to a closed window");
    if (parent != nullptr) control->SetParent(parent);
    window.AddControl(control.get(), kListOwned);
    return *control.release();
}

std::unique_ptr<OptionObject, ObjectDiscarder> CopyItemState(Processor& processor, OptionObject& item) {
    const String className = item.Class()->ClassName();
    std::unique_ptr<ScriptObject, ObjectDiscarder> made(processor.NewObjectByName(className));
    if (dynamic_cast<OptionObject*>(made.get()) == nullptr)
        ThrowFatal("Class \"%s\" makes no item", className.Text());
    std::unique_ptr<OptionObject, ObjectDiscarder> copy(static_cast<OptionObject*>(made.release()));
    RestoreObjectState(copy.get(), SaveObjectState(&item));
    // The restore is the new item's own script: it may have deleted it.
    copy->CheckAlive("item copy");
    return copy;
}

void DestroySlots(CleanupSteps& steps, const std::vector<WeakObject>& slots, SlotItems items) {
    for (const WeakObject& ref : slots) {
        steps.Run([&ref, items] {
            auto* slot = ref.As<SlotObject>();
            if (slot == nullptr || !slot->Alive()) return;
            if (items == SlotItems::kShown) {
                slot->SetInt(kSlotOwnsItems, 0);
                // Taking the item out may run its switch method, which may delete the slot.
                slot->SetObject(nullptr);
                if (!slot->Alive()) return;
            }
            DestroyObject(slot);
        });
    }
}
