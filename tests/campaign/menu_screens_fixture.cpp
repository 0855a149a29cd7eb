#include "tests/campaign/menu_screens_fixture.h"

#include <memory>

#include "campaign/in_game_menu.h"
#include "campaign/save_slots.h"
#include "platform/key_table.h"
#include "script/object_manager.h"
#include "shell/input_device.h"
#include "world/player.h"

MenuScreensTest::MenuScreensTest() {
    for (const char* picture :
         {"Misc\\SaveDisk.dpf", "Misc\\SchemaLine.dpf", "Misc\\Up.dpf", "Misc\\Down.dpf", "Misc\\Stars.dpf"})
        game.AddPicture(picture);
    game.AddFont("BigMenu");
    game.AddMessages("system.mes", {{117, "OK"},
                                    {119, "Cancel"},
                                    {120, "Yes"},
                                    {121, "No"},
                                    {185, "Back"},
                                    {191, "Save"},
                                    {192, "Leave"},
                                    {193, "Settings"},
                                    {196, "Load"},
                                    {311, "Scenario"},
                                    {312, "System"},
                                    {313, "Planet"},
                                    {314, "Keys"},
                                    {315, "Screen"},
                                    {342, "Leave?"},
                                    {344, "Over?"},
                                    {495, "Date"},
                                    {505, "Pilot"},
                                    {510, "Scenarios"}});
    game.Start();
    pilot = new PlayerObject(game.Class("Player"));
    auto device = std::make_unique<InputDevice>();
    device->SetMouseEnabled(true);
    pilot->SetInput(std::move(device));
    game.Players().AppendObject(pilot);
    SelectedSlot() = 0;
    FirstVisibleSlot() = 0;
}

MenuScreensTest::~MenuScreensTest() {
    SaveSlots().Clear();
    SetLoadRequested(false);
}

void MenuScreensTest::ClickAt(uint32_t time, int32_t x, int32_t y) {
    game.At(time, [this, x, y] {
        game.MovePointer(x, y);
        game.SetButton(VK_LBUTTON, true);
    });
    game.At(time + 80, [this] { game.SetButton(VK_LBUTTON, false); });
}

void MenuScreensTest::TypeAt(uint32_t time, const std::string& text) {
    game.At(time, [this, text] {
        for (char c : text) game.TypeChar(static_cast<uint8_t>(c));
    });
}

InputDevice& MenuScreensTest::Device() {
    return *pilot->Input();
}
