// Small helpers that several game screens share: the tips a page shows once per game, and the
// "label : value" lines of the information pages.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "foundation/engine_string.h"
#include "script/script_object.h"
#include "script/weak_object.h"

class CleanupSteps;
class ControlObject;
class ObjectManager;
class DialogWindow;
class OptionObject;
class Processor;
class ScreenSurface;
class ShipObject;
class SlotObject;
class StaticTextObject;

// The help file every screen takes its tips from.
constexpr const char* kScreenHelpFile = "Help.mes";

// Shows the tips of file from entry over window (null: over the game's display) unless the
// EventManager (object 25) has recorded key for a player already, then records it for every player,
// so that a page's tips appear once per game whichever way it was reached. Answers whether the
// tips were shown. Without an EventManager or a help system (object 34) nothing is shown and
// nothing recorded.
bool ShowHelpOnce(Processor& processor, DialogWindow* window, const char* key, int32_t entry,
                  std::string_view file = kScreenHelpFile);

// label + " : $h" + value + "$h": the value in the text renderer's highlight colour.
String LabelLine(const String& label, const String& value);
// The same with a number in decimal.
String LabelLine(const String& label, int32_t value);

// An item's range of ship classes against a ship's class number, read the one way every screen
// reads them: the ship's value A is its class number, an item's values F and G its lowest and
// highest class (a highest class of 1000, the default, has no upper limit).
constexpr int32_t kNoHighestClass = 1000;
int32_t ShipClassNumber(const ShipObject& ship);
int32_t ItemLowestClass(const OptionObject& item);
int32_t ItemHighestClass(const OptionObject& item);
// lowest <= shipClass <= highest.
bool ItemFitsClass(const OptionObject& item, int32_t shipClass);

// The live slots of the ship's groups, group after group in the order given.
std::vector<SlotObject*> ShipSlots(const ShipObject& ship, std::initializer_list<uint32_t> groups);

// The screen the window draws on, null without one.
const ScreenSurface* ScreenSurfaceOf(const DialogWindow& window);
// The same; FatalExep "No screen for <what>" without one.
const ScreenSurface& ScreenOf(const DialogWindow& window, const char* what);
// The processor of the object's class; FatalExep with the failure text when it has none.
Processor& ClassProcessor(const ScriptObject& object, const char* failure);

// The game's player list (object 23), null without one.
ObjectManager* PlayerList(Processor& processor);

// The game screen's width and height, 0 without a display.
int32_t ScreenWidthOf(const DialogWindow& window);
int32_t ScreenHeightOf(const DialogWindow& window);

// The object while it is alive, else null: how native code takes an object a script call handed it.
template <class T>
T* IfAlive(T* object) {
    return object != nullptr && object->Alive() ? object : nullptr;
}

// A control made by native code on its way to a window: should anything fail before the window
// takes it, it is destroyed (its script destructors run) rather than left to nobody.
template <class T = ControlObject>
using MadeControl = std::unique_ptr<T, ObjectDiscarder>;

// A control made by the script class of that name (NewControlByName), not yet in a window.
MadeControl<> MakeControl(Processor& processor, const char* className,
                          std::initializer_list<uint32_t> values);
// A text control of the class ("StaticText", "TextButton", ...) at (x, y) with a copy of text, not
// yet in a window. FatalExep when the class makes no text control.
MadeControl<StaticTextObject> NewTextControl(Processor& processor, const char* className, int32_t x,
                                             int32_t y, std::string_view text, int32_t id);
// A "MultiLineControl" of that width and height (0: from the text) in the named font.
MadeControl<StaticTextObject> NewMultiLineText(Processor& processor, int32_t x, int32_t y, int32_t width,
                                               int32_t height, std::string_view text, int32_t id,
                                               const char* font);
// Adds a made control to window, which owns it from then on, under parent when given; the control.
// FatalExep, the control destroyed, when a script deleted it on its way or closed the window
// meanwhile (the dialog that owned the window is gone): a closed window never lets go of it again.
ControlObject& AddOwnedControl(DialogWindow& window, MadeControl<> control, ControlObject* parent = nullptr);
template <class T>
T& AddOwned(DialogWindow& window, MadeControl<T> control, ControlObject* parent = nullptr) {
    return static_cast<T&>(AddOwnedControl(window, std::move(control), parent));
}

// A new item of the item's class that takes over the item's state through its save and restore
// methods (an item may own what its fields point at, so its fields are never copied), on its way to
// where the caller puts it. FatalExep, nothing left behind, when the class makes no item or when the
// restore did not leave the new item alive.
std::unique_ptr<OptionObject, ObjectDiscarder> CopyItemState(Processor& processor, OptionObject& item);

// Destroys what native code made that found no place after all, unless a script did already; the
// errors of its script destructors pass on.
template <class T>
void DestroyUnplaced(std::unique_ptr<T, ObjectDiscarder> made) {
    T* object = made.release();
    if (object != nullptr && object->Alive()) DestroyObject(object);
}

// How slots that go treat what they hold: stock rows own their items, and rows that only show
// someone else's (the player's carried items) are emptied first so that no item goes with them.
enum class SlotItems { kOwned, kShown };
// Destroys each live slot as a step of its own, so that a failing script destructor stops none of
// the others.
void DestroySlots(CleanupSteps& steps, const std::vector<WeakObject>& slots, SlotItems items);
