#include "tests/support/refit_scene.h"

#include <memory>
#include <stdexcept>

#include "foundation/engine_string.h"
#include "graphics/text_layout.h"
#include "platform/key_table.h"
#include "screens/ship_window.h"
#include "screens/slot_control.h"
#include "script/object_manager.h"
#include "shell/game_ids.h"
#include "shell/input_device.h"
#include "tests/support/pilot_fixture.h"
#include "ui/control.h"
#include "world/event_manager.h"
#include "world/option.h"
#include "world/player.h"
#include "world/ship.h"
#include "world/slot.h"

namespace {

constexpr uint32_t kStepMs = 300;
constexpr uint32_t kHoldMs = 80;
constexpr const char* kSeenTips[] = {"HELP_SHIP_WINDOW", "HELP_EQUIP_WINDOW", "HELP_GUIDE"};

ObjectManager& ListOf(GameHarness& game, uint32_t id) {
    auto* list = dynamic_cast<ObjectManager*>(game.Object(id));
    if (list == nullptr) throw std::logic_error("no list under that id");
    return *list;
}

// The slot control that shows the place now; the window rebuilds its controls after each change.
ControlObject* ControlOf(ShipWindow& window, const SlotObject* slot, bool guidePlace) {
    for (uint32_t i = 0; i < window.ControlCount(); ++i) {
        SlotControlObject* control = SlotControlObject::As(window.ControlAt(i));
        if (control != nullptr && control->Slot() == slot && control->GuidePlace() == guidePlace)
            return control;
    }
    throw std::logic_error("the window shows no control for that slot");
}

}  // namespace

RefitScene::RefitScene(GameHarness& game) : game_(game) {
    AddPilotClasses(game);
    game.AddPicture("Misc\\Slots.dpf", {.frames = 8, .width = 20, .height = 20});
    game.AddPicture("Misc\\Guides.dpf", {.entries = 1, .frames = 1, .width = 8, .height = 8});
    game.AddPicture("Misc\\SchemaLine.dpf");
    for (const char* font : {"Chars", "SlotType", "Description"}) game.AddFont(font);
    std::vector<MessageText> texts;
    for (uint32_t n :
         {101u, 102u, 103u, 104u, 105u, 106u, 117u, 118u, 119u, 120u, 121u, 122u, 150u, 151u, 152u, 153u,
          154u, 170u, 171u, 178u, 180u, 183u, 186u, 189u, 301u, 302u, 303u, 354u, 476u, 477u, 478u})
        texts.push_back({n, "T" + std::to_string(n)});
    for (uint32_t n = 107; n <= 116; ++n) texts.push_back({n, "P" + std::to_string(n)});
    game.AddMessages("system.mes", texts);
    // Ship pops picture, damage, protection, the slot counts from the last group to the first,
    // value A (its class), B, C, mass, base consumption.
    game.AddClass(
        {.name = kRefitShip,
         .base = "Ship",
         .createValues = {kRefitBaseConsumption, 100, 0, 0, kRefitShipClass, 1, 1, 1, 1, 0, 2, 0, 0, 0}});
    // Engine pops picture, thrust, consumption, lowest class, base value.
    game.AddClass({.name = kRefitEngine, .base = "Engine", .createValues = {0, 0, kRefitEngineUse, 3000, 0}});
    game.AddClass({.name = kHugeEngine, .base = "Engine", .createValues = {0, 9, kRefitEngineUse, 3000, 0}});
    // Shield pops picture, protection table, consumption, lowest class, base value.
    game.AddClass({.name = kRefitShield, .base = "Shield", .createValues = {0, 0, kRefitShieldUse, 0, 0}});
    // Guide pops picture, consumption, lowest class, base value.
    game.AddClass({.name = kRefitGuide, .base = "Guide", .createValues = {0, 0, 0, 0}});
}

PlayerObject& RefitScene::AddPilot() {
    auto& player = PlayerObject::Of(game_.New("Player").release());
    game_.Players().AppendObject(&player);
    auto device = std::make_unique<InputDevice>();
    device->SetMouseEnabled(true);
    player.SetInput(std::move(device));
    auto& ship = ShipObject::Of(game_.New(kRefitShip).release());
    // Every place apart from the others, ten layout steps each.
    for (uint32_t group = 0; group < kShipGroups; ++group) {
        for (uint32_t i = 0; i < ship.SlotCount(group); ++i)
            ship.SlotAt(group, static_cast<int32_t>(i))
                ->SetInt(kSlotOffsetX, static_cast<int32_t>(group * 2 + i) * 10 - 50);
    }
    ListOf(game_, kShipListId).AppendObject(&ship);
    Fit(*ship.SlotAt(kEnergyGroup, 0), Item(kCellClass));
    player.AttachShip(&ship);
    ship.Recharge(0);
    for (const char* key : kSeenTips)
        EventManager::RecordEventAll(game_.Cpu(), String(key), 0, String(""), 0);
    return player;
}

ShipObject& RefitScene::ShipOf(PlayerObject& pilot) {
    return ShipObject::Of(pilot.Ship());
}

OptionObject& RefitScene::Item(const std::string& className) {
    return OptionObject::Of(game_.New(className).release());
}

void RefitScene::Fit(SlotObject& slot, OptionObject& item) {
    slot.SetObject(&item);
    slot.SetFirstEnabled(1);
    slot.SetFirstState(1);
}

void RefitScene::Perform(ShipWindow& window, const RefitStep& step) {
    switch (step.kind) {
        case RefitStep::kClick:
        case RefitStep::kOtherClick: {
            const ControlObject* control = ControlOf(window, step.slot, step.guidePlace);
            const int32_t button = step.kind == RefitStep::kClick ? VK_LBUTTON : VK_RBUTTON;
            game_.MovePointer(control->Int(kVisualX), control->Int(kVisualY));
            game_.SetButton(button, true);
            game_.At(game_.Now() + kHoldMs, [this, button] { game_.SetButton(button, false); });
            break;
        }
        case RefitStep::kCommand:
            window.PostMessage(kEventPrimary, 0, step.id);
            break;
        case RefitStep::kYes: {
            // The box is 200 wide and 100 high for a short text without a picture, centred; its
            // buttons end 20 from its right edge, right to left: no, then yes.
            Font& font = *game_.FontNamed("TextButton");
            const int32_t noWidth = TextWidth(font, game_.Message("system.mes", 121).c_str());
            const int32_t right = (640 - 200) / 2 + 180 - 20 - noWidth;
            game_.MovePointer(right - 2, (480 - 100) / 2 + 80 - 2);
            game_.SetButton(VK_LBUTTON, true);
            game_.At(game_.Now() + kHoldMs, [this] { game_.SetButton(VK_LBUTTON, false); });
            break;
        }
        case RefitStep::kNo:
            game_.TypeChar(VK_ESCAPE);
            break;
        case RefitStep::kClose:
            window.PostMessage(kEventClose, 0, 0);
            break;
    }
}

int32_t RefitScene::Play(ShipWindow& window, const std::vector<RefitStep>& steps) {
    // Actions left over once the window is gone (it closed early) do nothing.
    const std::shared_ptr<DialogWindow*> alive = window.LifeToken();
    const auto whileOpen = [alive](auto action) {
        return [alive, action] {
            if (*alive != nullptr && (*alive)->Running()) action(static_cast<ShipWindow&>(**alive));
        };
    };
    uint32_t time = game_.Now() + kStepMs;
    for (const RefitStep& step : steps) {
        game_.At(time, whileOpen([this, step](ShipWindow& shown) { Perform(shown, step); }));
        time += kStepMs;
    }
    // The result ends the window's loop once a box still open over it has gone too.
    game_.At(time + 10 * kStepMs, whileOpen([](ShipWindow& shown) { shown.SetResult(kLeftOpen); }));
    game_.At(time + 11 * kStepMs, whileOpen([this](ShipWindow&) { game_.TypeChar(VK_ESCAPE); }));
    PlayerObject& pilot = PlayerObject::Of(window.Player());
    return window.Run(*pilot.Input(), &pilot);
}
