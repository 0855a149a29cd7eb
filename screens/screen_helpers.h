// Small helpers that several game screens share: the tips a page shows once per game, and the
// "label : value" lines of the information pages.
#pragma once

#include <cstdint>
#include <string_view>

#include "foundation/engine_string.h"

class ControlObject;
class ObjectManager;
class DialogWindow;
class OptionObject;
class Processor;
class ScreenSurface;
class ScriptObject;
class ShipObject;
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

// A text control of the class ("StaticText", "TextButton", ...) at (x, y) with a copy of text, not
// yet in a window. FatalExep when the class makes no text control.
StaticTextObject& NewTextControl(Processor& processor, const char* className, int32_t x, int32_t y,
                                 std::string_view text, int32_t id);
// A "MultiLineControl" of that width and height (0: from the text) in the named font.
StaticTextObject& NewMultiLineText(Processor& processor, int32_t x, int32_t y, int32_t width, int32_t height,
                                   std::string_view text, int32_t id, const char* font);
// Adds a made control to window, which owns it from then on, under parent when given.
ControlObject& AddOwned(DialogWindow& window, ControlObject& control, ControlObject* parent = nullptr);
