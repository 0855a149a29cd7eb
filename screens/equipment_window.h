// The controls of the ship window's pages: the summary, the ship name, the column of page, tool and
// view labels, the guide group labels, the slot controls, the player buttons and the two ship
// buttons, rebuilt after every change; and the page's tips on first use.
#pragma once

#include <cstdint>

class DialogWindow;
struct ShipWindowState;

// Control identifiers of the ship window.
enum ShipWindowControl : int32_t {
    kShipPageId = 40,
    kEquipmentPageId = 41,
    kShipCloseId = 42,
    kConfigureToolId = 43,
    kDiscardToolId = 52,
    kSplitToolId = 53,
    kGuidePageId = 55,
    kFirstGroupId = 60,  // " 1 " .. " 9 ": 60-68
    kFirstShipId = 70,
    kSecondShipId = 71,
    kFirstPlayerId = 80,  // 80-89
    kShipNameId = 90,
    kStockViewId = 92,
    kCargoViewId = 93,
};
constexpr int32_t kGuideGroups = 9;
constexpr int32_t kMostPlayerButtons = 10;

// Clears window's controls and builds those of the state's page, tool, view, group and ship. While
// the window runs, the page's tips show once per game. Engine errors while creating controls pass
// on.
void BuildEquipmentWindow(DialogWindow& window, ShipWindowState& state);

// The star background the ship window shares across rebuilds; destroyed when the window goes.
void ReleaseShipWindowBackground();
