// The information windows of items: one modal window over another that shows an item's picture,
// name, characteristics by kind, description and a row of buttons (close, the item's own offer, and
// for a weapon its loaded ammunition, which opens that item's window in turn). The ship information
// window shares its callback; the slot layout shares the value lists.
#pragma once

#include <array>
#include <cstdint>

#include "foundation/engine_string.h"

class DialogWindow;
class OptionObject;
class Processor;

// Buttons of the information windows.
constexpr int32_t kInfoCloseId = 47;
constexpr int32_t kInfoLinkedId = 54;  // the weapon's loaded ammunition
constexpr int32_t kInfoOfferId = 91;   // the item's own action (its virtual method 14)

// Controls of the information windows, for the windows that build alike.
constexpr int32_t kInfoFrameId = 50;
constexpr int32_t kInfoBackgroundId = 44;
constexpr int32_t kInfoPictureId = 46;
constexpr int32_t kInfoNameId = 45;
constexpr int32_t kInfoCharsId = 49;
constexpr int32_t kInfoDescriptionId = 48;
constexpr int32_t kInfoCloserId = 51;

// Ten values of an item or a ship, one per damage kind or property.
using ValueList = std::array<int32_t, 10>;

// Appends, for each non-zero value i, the line prefix + "system.mes" text 107 + i + " = " + value +
// "\n", with heading before the first such line; nothing at all when every value is 0.
void AppendValueList(Processor& processor, String& text, const String& heading, const char* prefix,
                     const ValueList& values);

// The characteristics block of the item window for the item's kind, finished with the line of its
// worth (script method 16). An item of a kind without lines shows only that line.
String ItemCharacteristics(Processor& processor, OptionObject& item);

// The callback of both information windows: button 47 gives 1, 54 and 91 give their id, closing 0.
void ItemWindowCallback(DialogWindow& window, int32_t event, int32_t p1, int32_t p2);

// Shows the item's window over parent and returns when it is closed, and any window opened from it
// with it. The parent is busy meanwhile; its input device runs the window.
void ShowItemInfo(DialogWindow& parent, OptionObject& item);

// Lets the items' own windows (virtual method 14) open over the information window that asked: the
// value pushed for them names it while it is open. Start-up installs it; script dialogs are still
// found as before.
void InstallItemWindowLookup();
