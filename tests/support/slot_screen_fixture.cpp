#include "tests/support/slot_screen_fixture.h"

#include "graphics/image.h"
#include "platform/key_table.h"
#include "script/object_manager.h"
#include "shell/input_device.h"
#include "tests/support/pilot_fixture.h"
#include "ui/dialog_window.h"
#include "ui/window_services.h"
#include "world/option.h"
#include "world/player.h"
#include "world/slot.h"

namespace {

// The numbers of "system.mes" and "Help.mes" the screens ask for.
std::vector<MessageText> NumberedTexts(std::initializer_list<std::pair<uint32_t, uint32_t>> ranges) {
    std::vector<MessageText> texts;
    for (const auto& [first, last] : ranges)
        for (uint32_t n = first; n <= last; ++n) texts.push_back({n, "m" + std::to_string(n)});
    return texts;
}

}  // namespace

void DrawRecorder::DrawFrame(const Frame* frame, int32_t x, int32_t y, uint32_t orientation) {
    drawn.pictures.push_back({frame, x, y, orientation});
}

void DrawRecorder::DrawText(const char* text, int32_t x, int32_t y, uint32_t colour, int32_t hAlign,
                            int32_t vAlign, uint32_t) {
    drawn.texts.push_back({text, x, y, colour, hAlign, vAlign});
}

SlotScreenGame::SlotScreenGame() {
    game.AddPicture("Misc\\Slots.dpf",
                    {.frames = 8, .width = kSlotPictureWidth, .height = kSlotPictureHeight});
    game.AddPicture("Misc\\Guides.dpf", {.entries = 1, .frames = 1, .width = 6, .height = 6});
    game.AddPicture("Items\\Thing.dpf", {.frames = 1, .width = 8, .height = 8});
    for (const char* picture : {"Misc\\SchemaLine.dpf", "Misc\\Up.dpf", "Misc\\Down.dpf"})
        game.AddPicture(picture);
    for (const char* font : {"SlotType", "Chars", "Description", "SmallButton"}) game.AddFont(font);
    game.AddMessages("system.mes",
                     NumberedTexts({{101, 189}, {200, 215}, {301, 304}, {355, 359}, {420, 430}, {471, 478}}));
    // The close button answers ALT+C.
    game.AddMessages("system.mes", {{117, "$hC$hlose"}});
    game.AddMessages("Help.mes", NumberedTexts({{4, 10}}));
    AddPilotClasses(game);
    // Ship pops picture, damage, protection, the slot counts from the last group to the first,
    // value A (the class), value B, value C, mass, base consumption.
    game.AddClass({.name = kRigClass,
                   .base = "Ship",
                   .createValues = {0, 100, 0, 0, kRigClassNumber, 2, 1, 1, 1, 1, 2, 0, 0, 0}});
    // Ammo pops picture, shots, kind B, kind A, base value, speed, shot value, armour, damage, value H.
    game.AddClass({.name = kNamedShellsClass,
                   .base = "Ammo",
                   .virtuals = {{3, PushTextWords("$hZ$h shells")}},
                   .createValues = {0, 0, 0, 9, 4, 0, 1, 2, 30, 0}});
    game.Start();
    pilot = new PlayerObject(game.Class("Player"));
    auto device = std::make_unique<InputDevice>();
    device->SetMouseEnabled(true);
    pilot->SetInput(std::move(device));
    pilot->SetName(String("Ace"));
    game.Players().AppendObject(pilot);
}

GameObject SlotScreenGame::Item(int32_t kind, int32_t efficiency, int32_t lowest, int32_t highest) {
    OptionInit init;
    init.picture = ItemPicture()->Address();
    init.itemKind = kind;
    init.valueF = lowest;
    auto item = std::make_unique<OptionObject>(game.Class("Option"), init);
    item->SetInt(kOptionValueG, highest);
    item->SetEfficiency(efficiency);
    return GameObject(item.release());
}

GameObject SlotScreenGame::Slot(int32_t kind) {
    auto slot = std::make_unique<SlotObject>(game.Class("Slot"), nullptr, 0, 0, kind);
    // The test keeps its items.
    slot->SetInt(kSlotOwnsItems, 0);
    return GameObject(slot.release());
}

GameObject SlotScreenGame::Rig() {
    return game.New(kRigClass);
}

std::unique_ptr<DialogWindow> SlotScreenGame::Window() {
    auto window = std::make_unique<DialogWindow>(&game.Cpu(), &game.Screen(), EngineCursor(game.Cpu()));
    return window;
}

void SlotScreenGame::ClickAt(uint32_t time, int32_t x, int32_t y) {
    game.At(time, [this, x, y] {
        game.MovePointer(x, y);
        game.SetButton(VK_LBUTTON, true);
    });
    game.At(time + 80, [this] { game.SetButton(VK_LBUTTON, false); });
}

void SlotScreenGame::TypeAt(uint32_t time, uint8_t character, bool alt) {
    game.At(time, [this, character, alt] { game.TypeChar(character, alt); });
}

Image* SlotScreenGame::SlotPictures() {
    return game.Picture("Misc\\Slots.dpf");
}

Image* SlotScreenGame::ItemPicture() {
    return game.Picture("Items\\Thing.dpf");
}

Image* SlotScreenGame::GuidesPicture() {
    return game.Picture("Misc\\Guides.dpf");
}

const Frame* SlotScreenGame::SlotFrame(int32_t n) {
    return SlotPictures()->GetFrame(n);
}
