#include "campaign/in_game_menu.h"

#include <memory>
#include <vector>

#include "campaign/player_input.h"
#include "campaign/save_game.h"
#include "campaign/save_screens.h"
#include "campaign/scene_reset.h"
#include "campaign/screen_hooks.h"
#include "foundation/exceptions.h"
#include "foundation/word.h"
#include "graphics/display.h"
#include "graphics/screen_surface.h"
#include "script/native_args.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "shell/game_ids.h"
#include "shell/input_device.h"
#include "ui/control.h"
#include "ui/dialog_window.h"
#include "ui/message_box.h"
#include "ui/script_dialog.h"
#include "ui/text_controls.h"
#include "ui/ui_kinds.h"
#include "ui/window_services.h"
#include "world/player.h"
#include "world/running_processor.h"

namespace {

constexpr int32_t kSaveId = 40;
constexpr int32_t kSettingsId = 41;
constexpr int32_t kLeaveId = 42;
constexpr int32_t kKeysId = 104;
constexpr int32_t kScreenOptionsId = 105;
constexpr int32_t kLoadId = 141;
constexpr int32_t kBackId = 160;
constexpr uint32_t kLeaveQuestion = 342;
constexpr int32_t kQuestionTypingSpeed = 200;
constexpr int32_t kYesAnswer = 2;

int32_t pageNumber = 0;
uint32_t menuFlags = 0;
bool loadRequested = false;

struct MenuButton {
    int32_t id;
    uint32_t text;
};

void BuildPage(DialogWindow& window, int32_t width, int32_t height, const std::vector<MenuButton>& buttons) {
    Processor& processor = *window.GetProcessor();
    window.SetSkipDraw();
    window.ClearControls();
    const ScreenSurface* surface = window.GetDisplay()->Surface();
    const int32_t screenWidth = surface != nullptr ? surface->Width() : 0;
    const int32_t screenHeight = surface != nullptr ? surface->Height() : 0;
    ControlObject& frame = NewControlByName(
        processor, "OpenWindowControl",
        {Word((screenWidth - width) / 2), Word((screenHeight - height) / 2), Word(width), Word(height), 0});
    window.AddControl(&frame, kListOwned);
    ControlObject& background =
        NewControlByName(processor, "RectangleControl", {0, 0, Word(width), Word(height), 0});
    background.SetParent(&frame);
    window.AddControl(&background, kListOwned);
    Font* font = NamedFont(processor, "BigMenu");
    int32_t y = 40;
    for (const MenuButton& button : buttons) {
        ControlObject& made =
            NewControlByName(processor, "TextButton",
                             {200, Word(y), SystemMessageAddress(processor, button.text), Word(button.id)});
        auto& text = StaticTextObject::Of(&made);
        text.SetInt(kTextVerticalAlign, 1);
        text.SetInt(kTextHorizontalAlign, 1);
        text.SetFont(font);
        made.SetParent(&frame);
        window.AddControl(&made, kListOwned);
        y += 50;
    }
    ControlObject& closer = NewControlByName(processor, "CloseWindowControl", {frame.Address(), 0});
    closer.SetParent(&frame);
    window.AddControl(&closer, kListOwned);
}

bool AskToLeave(DialogWindow& window) {
    Processor& processor = *window.GetProcessor();
    return MessageBoxOverWindow(processor, window, SystemMessage(processor, kLeaveQuestion),
                                kMessageBoxThird | kMessageBoxFourth, nullptr,
                                kQuestionTypingSpeed) == kYesAnswer;
}

void Save(DialogWindow& window) {
    Processor& processor = *window.GetProcessor();
    InputDevice* input = window.Input();
    if (input == nullptr) ThrowFatal("The game menu has no input device");
    SaveChoice choice = RunSaveGameDialog(processor, *input);
    if (choice.header != nullptr) WritePlayersConfig(processor, *choice.header, choice.fileName);
    window.SetResult(kGameMenuContinue);
}

// The settings are edited on copies; only a confirmed dialog changes the players' devices, in place,
// as a window may be running with one of them.
void KeySettings(DialogWindow& window) {
    Processor& processor = *window.GetProcessor();
    std::vector<PlayerObject*> players;
    if (auto* list = processor.Objects().ListAt(kPlayerListId)) {
        for (auto* node = list->ObjectList().Head(); node != nullptr; node = node->next) {
            auto* player = dynamic_cast<PlayerObject*>(node->item);
            if (player != nullptr && player->Input() != nullptr) players.push_back(player);
        }
    }
    const auto& settings = Screens().inputSettings;
    if (players.empty() || !settings) return;
    std::vector<std::unique_ptr<InputDevice>> copies;
    std::vector<InputDevice*> editable;
    std::vector<String> names;
    for (PlayerObject* player : players) {
        copies.push_back(PlayerObject::CopyInput(*player->Input()));
        editable.push_back(copies.back().get());
        names.push_back(player->Name());
    }
    if (!settings(processor, *players.front()->Input(), names, editable)) return;
    // The dialog ran scripts, which may have deleted players or taken their devices.
    for (size_t i = 0; i < players.size(); ++i) {
        InputDevice* device = players[i]->Alive() ? players[i]->Input() : nullptr;
        if (device == nullptr) continue;
        static_cast<DataBlock&>(*device) = *copies[i];
        device->Actions() = copies[i]->Actions();
        device->MouseButtons() = copies[i]->MouseButtons();
    }
}

}  // namespace

int32_t GameMenuPageNumber() {
    return pageNumber;
}

bool LoadRequested() {
    return loadRequested;
}

void SetLoadRequested(bool requested) {
    loadRequested = requested;
}

void GameMenuMainPage(DialogWindow& window) {
    std::vector<MenuButton> buttons{{kSettingsId, 193}};
    if ((menuFlags & kGameMenuNoSave) == 0) buttons.push_back({kSaveId, 191});
    buttons.push_back({kLoadId, 196});
    buttons.push_back({kLeaveId, 192});
    buttons.push_back({kBackId, 185});
    BuildPage(window, 400, 300, buttons);
    pageNumber = 0;
}

void GameMenuSettingsPage(DialogWindow& window) {
    BuildPage(window, 400, 200, {{kKeysId, 314}, {kScreenOptionsId, 315}, {kBackId, 185}});
    pageNumber = 1;
}

void GameMenu(DialogWindow& window, int32_t event, int32_t p1, int32_t p2) {
    if (event != kEventPrimary) {
        DialogWindow::FrameCallback(window, event, p1, p2);
        return;
    }
    switch (p2) {
        case kSaveId:
            Save(window);
            break;
        case kSettingsId:
            GameMenuSettingsPage(window);
            break;
        case kLeaveId:
            if (AskToLeave(window)) window.SetResult(kGameMenuLeave);
            break;
        case kKeysId:
            KeySettings(window);
            break;
        case kScreenOptionsId:
            if (Screens().screenOptions && window.Input() != nullptr)
                Screens().screenOptions(*window.GetProcessor(), *window.Input(), window.Parent());
            break;
        case kLoadId:
            if (AskToLeave(window)) {
                window.SetResult(kGameMenuLeave);
                loadRequested = true;
            }
            break;
        case kBackId:
            if (pageNumber == 0)
                window.SetResult(kGameMenuContinue);
            else
                GameMenuMainPage(window);
            break;
        default:
            break;
    }
}

void OpenGameMenuNative(ScriptObject* receiver) {
    Processor& processor = RunningProcessor(receiver, "GameManager");
    NativeArgs args(receiver);
    ScriptObject* dialog = args.ObjectOrNull(kZEMADialogKind, "game menu parent");
    const uint32_t flags = args.Word();
    DialogWindow* parent = dialog != nullptr ? &ZEMADialogObject::Of(dialog).Window() : nullptr;
    const int32_t result = OpenGameMenu(processor, parent, flags);
    args.Stack().Push(static_cast<uint32_t>(result));
}

int32_t OpenGameMenu(Processor& processor, DialogWindow* parent, uint32_t flags) {
    Display* display = parent != nullptr ? parent->GetDisplay() : &GameDisplay();
    Image* cursor = parent != nullptr ? parent->DefaultCursor() : EngineCursor(processor);
    InputDevice* input = parent != nullptr ? parent->Input() : nullptr;
    const ScriptObject* owner = parent != nullptr ? parent->InputOwner() : nullptr;
    if (input == nullptr) {
        input = FirstPlayerInput(processor);
        owner = nullptr;
    }
    if (input == nullptr) ThrowFatal("The game menu has no input device");

    auto window = std::make_unique<DialogWindow>(&processor, display, cursor);
    window->SetCallback(GameMenu);
    menuFlags = flags;
    if (parent != nullptr) {
        window->SetParent(parent);
        parent->ReleaseFocus();
    }
    GameMenuMainPage(*window);
    const int32_t result = window->Run(*input, owner);
    // Closed here rather than by the destructor, so that errors of script destructors are heard.
    window->Close();
    return result;
}
