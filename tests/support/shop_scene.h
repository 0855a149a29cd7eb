// What the shop, the all-items shop and the player set-up need in a started game: their pictures,
// fonts and texts (short, so that every question box has the same place), item and ship classes
// with prices, customers with a pointer-driven device and a ship, and clicks on the manual clock.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/content/game_content.h"

class GameHarness;
class PlayerObject;
class ScriptObject;

// "TestBattery": an energy source of capacity 500 and base price 100.
constexpr const char* kBatteryClass = "TestBattery";
// "TestHollowCell": an energy source of capacity 0 and base price 100.
constexpr const char* kHollowCellClass = "TestHollowCell";
// "TestFreighter": class number 3, trade-in value 50; one weapon, energy and engine slot, two slots
// in the last group.
constexpr const char* kFreighterClass = "TestFreighter";
constexpr int32_t kFreighterTradeIn = 50;

// Where the tests lay out the shop's grid (4 columns, 2 rows of 40-pixel slots) and the lower pane.
constexpr int32_t kTestGridX = 20;
constexpr int32_t kTestGridY = 100;
constexpr int32_t kShopCell = 40;
constexpr int32_t kShopPaneY = kTestGridY + 2 * kShopCell + 20;

// The two answers of a question box over the game's screen.
constexpr int32_t kYesX = 367, kNoX = 397, kAnswerY = 267;
constexpr int32_t kOkX = 397;

// The button of a command in the shop's right-hand column, by its row (0 the first).
constexpr int32_t kShopButtonX = 625;
constexpr int32_t ShopButtonY(int32_t row) {
    return 13 + 25 * row;
}

// A key mapping ("INPD") that reads the pointer and its buttons.
std::string MouseInputFile();

// Before Start.
void AddShopContent(GameHarness& game);
// A text "t<n>" for each number the shop and the ship window opened from it show a text for, other
// than those given their own text and those to be left without one.
std::vector<MessageText> OtherShopTexts(const std::vector<MessageText>& given,
                                        const std::vector<uint32_t>& without = {});
// A pilot with money (tenths), a mouse-driven device and a new TestFreighter, at the end of the
// player list.
PlayerObject& AddCustomer(GameHarness& game, const std::string& name, int32_t moneyTenths);
// A press and release of the first button at (x, y) at the time given.
void ClickAt(GameHarness& game, uint32_t time, int32_t x, int32_t y);
// A click on stock row k or on pane slot k of the shop as the tests lay it out.
void ClickStock(GameHarness& game, uint32_t time, int32_t k);
void ClickPane(GameHarness& game, uint32_t time, int32_t k);
