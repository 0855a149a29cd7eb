#include "ui/window_services.h"

#include <memory>
#include <vector>

#include "foundation/exceptions.h"
#include "graphics/display.h"
#include "graphics/font_manager.h"
#include "graphics/image.h"
#include "script/message_manager.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "shell/game_globals.h"
#include "shell/game_ids.h"
#include "ui/control.h"

Font* NamedFont(Processor& processor, const char* name) {
    return WellKnown<FontManager>(processor, kFontManagerId, "font manager").GetFont(String(name));
}

String SystemMessage(Processor& processor, uint32_t number) {
    return String(WellKnown<MessageManager>(processor, kMessageManagerId, "message manager")
                      .GetMessage(String("system.mes"), number));
}

Display& GameDisplay() {
    Display* display = Game().display.get();
    if (display == nullptr) ThrowFatal("No display to show the window on");
    return *display;
}

Image* EngineCursor(Processor& processor) {
    auto* picture = dynamic_cast<Image*>(
        WellKnown<ObjectManager>(processor, kGalaxyCursorListId, "picture table").GetObject(0));
    if (picture == nullptr) ThrowFatal("No pointer picture in the picture table");
    return picture->EntryAt(0);
}

uint32_t SystemMessageAddress(Processor& processor, uint32_t number) {
    return WellKnown<MessageManager>(processor, kMessageManagerId, "message manager")
        .ScriptMessage(String("system.mes"), number);
}

ControlObject& NewControlByName(Processor& processor, const char* className,
                                std::initializer_list<uint32_t> values) {
    const std::vector<uint32_t> popped(values);
    for (auto value = popped.rbegin(); value != popped.rend(); ++value) processor.DataStack().Push(*value);
    std::unique_ptr<ScriptObject, ObjectDiscarder> made(processor.NewObjectByName(String(className)));
    auto* control = dynamic_cast<ControlObject*>(made.get());
    if (control == nullptr) ThrowFatal("Class %s made no control", className);
    made.release();  // the caller's to place
    return *control;
}
