// Small helpers that several game screens share: the tips a page shows once per game, and the
// "label : value" lines of the information pages.
#pragma once

#include <cstdint>
#include <string_view>

#include "foundation/engine_string.h"

class DialogWindow;
class OptionObject;
class Processor;
class ShipObject;

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
