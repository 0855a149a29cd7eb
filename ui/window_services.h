// What windows and their builders take from the engine's well-known objects: fonts by name, the
// texts of "system.mes", the game's display and the engine's pointer picture. Each fails with an
// engine error naming what is missing.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "foundation/engine_string.h"
#include "foundation/exceptions.h"
#include "script/object_manager.h"
#include "script/processor.h"

class ControlObject;
class Display;
class Font;
class Image;
class Processor;

// The well-known object of that id as the kind T; FatalExep "No <what> (object <id>)" otherwise.
template <class T>
T& WellKnown(Processor& processor, uint32_t id, const char* what) {
    auto* object = dynamic_cast<T*>(processor.Objects().GetObject(id));
    if (object == nullptr) ThrowFatal("No %s (object %u)", what, id);
    return *object;
}

// The FontManager's font of that name (object 13).
Font* NamedFont(Processor& processor, const char* name);
// Message number of "system.mes" (MessageManager, object 14).
String SystemMessage(Processor& processor, uint32_t number);
// The display of the screen object.
Display& GameDisplay();
// Entry 0 of the first picture of the engine's picture table (object 19).
Image* EngineCursor(Processor& processor);
// Script address of a copy of that message, kept by the MessageManager.
uint32_t SystemMessageAddress(Processor& processor, uint32_t number);
// A control made by the script class of that name: values are given in the order its native 0
// pops them (after the class) and pushed in reverse. FatalExep when the class makes no control.
ControlObject& NewControlByName(Processor& processor, const char* className,
                                std::initializer_list<uint32_t> values);
