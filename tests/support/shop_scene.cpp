#include "tests/support/shop_scene.h"

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/key_table.h"
#include "script/object_manager.h"
#include "shell/input_device.h"
#include "tests/support/game_harness.h"
#include "tools/content/block_writer.h"
#include "world/player.h"

void AddShopContent(GameHarness& game) {
    for (const char* picture : {"Misc\\SchemaLine.dpf", "Misc\\Up.dpf", "Misc\\Down.dpf", "Misc\\Guides.dpf"})
        game.AddPicture(picture);
    game.AddPicture("Misc\\Slots.dpf", {.frames = 8, .width = kShopCell, .height = kShopCell});
    for (const char* font : {"SlotType", "Chars", "Description", "SmallButton"}) game.AddFont(font);
    const std::vector<MessageText> texts = {{117, "OK"},
                                            {120, "Yes"},
                                            {121, "No"},
                                            {102, "Done"},
                                            {104, "Info"},
                                            {182, "Sell"},
                                            {183, "Ship"},
                                            {189, "Spare"},
                                            {310, "cr"},
                                            {345, "Charge"},
                                            {477, "Hold"},
                                            {478, "Bag"},
                                            {186, "Full"},
                                            {187, "Buy %s %d?"},
                                            {188, "Sell %d?"},
                                            {340, "Poor"},
                                            {341, "Ship %s %d %d?"},
                                            {346, "Full"},
                                            {347, "Fill %d?"},
                                            {305, "Old %s?"},
                                            {306, "Old %s?"},
                                            {511, "Write?"}};
    game.AddMessages("system.mes", texts);
    // The rest of what the ship window opened from the shop asks for.
    game.AddMessages("system.mes", OtherShopTexts(texts));
    game.AddMessages("Help.mes", {{4, "Ship"}});
    // Akb pops picture, capacity, value F, base value.
    game.AddClass({.name = kBatteryClass, .base = "Akb", .createValues = {100, 0, 500, 0}});
    game.AddClass({.name = kHollowCellClass, .base = "Akb", .createValues = {100, 0, 0, 0}});
    // Ship pops picture, damage, protection, the slot counts from the last group to the first,
    // value A, value B, value C, mass, base consumption.
    game.AddClass({.name = kFreighterClass,
                   .base = "Ship",
                   .createValues = {0, 100, 0, kFreighterTradeIn, 3, 1, 1, 1, 0, 0, 2, 0, 0, 0}});
}

std::vector<MessageText> OtherShopTexts(const std::vector<MessageText>& given,
                                        const std::vector<uint32_t>& without) {
    std::vector<MessageText> others;
    for (const auto& [first, last] : {std::pair<uint32_t, uint32_t>{101, 189},
                                      {200, 215},
                                      {301, 304},
                                      {355, 359},
                                      {420, 430},
                                      {471, 478}}) {
        for (uint32_t n = first; n <= last; ++n) {
            const bool named = std::find(without.begin(), without.end(), n) != without.end() ||
                               std::any_of(given.begin(), given.end(),
                                           [n](const MessageText& text) { return text.number == n; });
            if (!named) others.push_back({n, "t" + std::to_string(n)});
        }
    }
    return others;
}

PlayerObject& AddCustomer(GameHarness& game, const std::string& name, int32_t moneyTenths) {
    auto* pilot = new PlayerObject(game.Class("Player"));
    game.Players().AppendObject(pilot);
    auto device = std::make_unique<InputDevice>();
    device->SetMouseEnabled(true);
    pilot->SetInput(std::move(device));
    pilot->SetName(String(name.c_str()));
    pilot->SetMoneyTenths(moneyTenths);
    pilot->SetShip(game.New(kFreighterClass).release(), 0);
    return *pilot;
}

void ClickAt(GameHarness& game, uint32_t time, int32_t x, int32_t y) {
    game.At(time, [&game, x, y] {
        game.MovePointer(x, y);
        game.SetButton(VK_LBUTTON, true);
    });
    game.At(time + 80, [&game] { game.SetButton(VK_LBUTTON, false); });
}

void ClickStock(GameHarness& game, uint32_t time, int32_t k) {
    ClickAt(game, time, kTestGridX + (k % 4) * kShopCell + 5, kTestGridY + (k / 4) * kShopCell + 5);
}

void ClickPane(GameHarness& game, uint32_t time, int32_t k) {
    ClickAt(game, time, kTestGridX + (k % 4) * kShopCell + 5, kShopPaneY + (k / 4) * kShopCell + 5);
}

std::string MouseInputFile() {
    BlockWriter w;
    w.tag = "INPD";
    w.headerFields = LeU32(1) + LeU32(0);
    w.subBlocks = {SEBlock("KEYS", LeU32(0x20), LeU16(1))};
    return w.SC();
}
