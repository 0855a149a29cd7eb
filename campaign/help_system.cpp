#include "campaign/help_system.h"

#include <algorithm>
#include <memory>

#include "campaign/player_input.h"
#include "foundation/engine_string.h"
#include "foundation/exceptions.h"
#include "foundation/word.h"
#include "graphics/font.h"
#include "graphics/text_layout.h"
#include "script/create_native.h"
#include "script/message_manager.h"
#include "script/native_args.h"
#include "script/native_binder.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "script/script_object.h"
#include "shell/game_globals.h"
#include "shell/game_ids.h"
#include "ui/control.h"
#include "ui/dialog_window.h"
#include "ui/input_holder.h"
#include "ui/multi_control.h"
#include "ui/script_dialog.h"
#include "ui/text_controls.h"
#include "ui/ui_kinds.h"
#include "ui/visual.h"
#include "ui/window_frame.h"
#include "ui/window_services.h"
#include "world/event_manager.h"
#include "world/player.h"
#include "world/running_processor.h"

namespace {

constexpr const char* kDontShowTips = "DONTSHOWTIPS";
constexpr int32_t kHelpTextWidth = 400;
constexpr int32_t kWindowWidth = 440;
constexpr int32_t kMaxTextHeight = 300;
constexpr uint32_t kSwitchLabel = 473;
constexpr uint32_t kSwitchOn = 474;
constexpr uint32_t kSwitchOff = 475;

bool tipsEnabled = true;

MessageManager& Messages(Processor& processor) {
    auto* messages = dynamic_cast<MessageManager*>(processor.Objects().GetObject(kMessageManagerId));
    if (messages == nullptr) ThrowFatal("No message manager (object %u)", kMessageManagerId);
    return *messages;
}

void AddTo(DialogWindow& window, ControlObject& control, ControlObject* parent) {
    if (parent != nullptr) control.SetParent(parent);
    window.AddControl(&control, kListOwned);
}

// Natives 4 and 5: number, file, dialog (or 0).
void ShowFromScript(ScriptObject* receiver, uint32_t flags) {
    Processor& processor = RunningProcessor(receiver, "HelpSystem");
    NativeArgs args(receiver);
    const int32_t number = args.Int();
    const String file = args.TextCopy();
    ScriptObject* dialog = args.ObjectOrNull(kZEMADialogKind, "help dialog");
    DialogWindow* window = dialog != nullptr ? &ZEMADialogObject::Of(dialog).Window() : nullptr;
    HelpSystem::ShowTips(processor, window, std::string_view(file.Text(), file.Size()), number, flags);
}

void ShowHelpNative(ScriptObject* receiver) {
    ShowFromScript(receiver, 0);
}

void ShowTipNative(ScriptObject* receiver) {
    ShowFromScript(receiver, kHelpIsTip);
}

}  // namespace

void HelpSystem::Bind(ZEMAClass& target, const NativeClassRow& row) {
    BindNativeBase(row, target);
    target.SetMethod(CreateNative<ScriptObject, "HelpSystem">, 0);
    target.SetMethod(ShowHelpNative, 4);
    target.SetMethod(ShowTipNative, 5);
}

bool HelpSystem::TipsEnabled() {
    return tipsEnabled;
}

void HelpSystem::ShowTips(Processor& processor, DialogWindow* window, std::string_view file, int32_t number,
                          uint32_t flags) {
    const String key(kDontShowTips);
    tipsEnabled = !EventManager::AnyHasEvent(processor, key);
    if ((flags & kHelpIsTip) != 0 && !tipsEnabled) return;

    // The text first: a missing message shows no window.
    const String fileName = String::FromBytes(file.data(), file.size());
    MessageManager& messages = Messages(processor);
    String text(messages.GetMessage(fileName, Word(number)));
    const uint32_t scriptText = messages.ScriptMessage(fileName, Word(number));

    InputDevice* device = window != nullptr ? window->Input() : nullptr;
    const ScriptObject* owner = window != nullptr ? window->InputOwner() : nullptr;
    if (device == nullptr) {
        device = FirstPlayerInput(processor);
        owner = nullptr;
    }
    if (device == nullptr) return;

    std::unique_ptr<ScriptObject, ObjectDiscarder> dialog(processor.NewObjectByName(String("Dialog")));
    DialogWindow& help = ZEMADialogObject::Of(dialog.get()).Window();
    help.SetParent(window);

    Font* font = NamedFont(processor, "HelpFont");
    int32_t height = 0;
    if (font != nullptr) {
        String wrapped = text;
        WrapText(wrapped, kHelpTextWidth, *font);
        height = std::min(TextHeight(*font, wrapped.Text()), kMaxTextHeight);
    }
    const int32_t frameHeight = height + 70;
    help.BuildFrame(kWindowWidth, frameHeight, 1);
    help.SetCallback(OnTipsEvent);
    ControlObject* frame = help.FindControl(static_cast<int32_t>(kFrameId));

    ControlObject& list =
        NewControlByName(processor, "ListBox", {20, 20, Word(kHelpTextWidth), Word(height), 0});
    AddTo(help, list, frame);
    ControlObject& shown =
        NewControlByName(processor, "MultiLineControl", {0, 0, Word(kHelpTextWidth), 0, scriptText, 0});
    auto& lines = StaticTextObject::Of(&shown);
    lines.SetInt(kTextHorizontalAlign, 1);
    lines.SetInt(kTextVerticalAlign, 0);
    lines.SetInt(kTextTypingSpeed, 400);
    lines.SetFont(font);
    MultiControlObject::Of(&list).AddControl(&shown);

    ControlObject& label =
        NewControlByName(processor, "StaticText",
                         {10, Word(frameHeight - 10), SystemMessageAddress(processor, kSwitchLabel), 0});
    label.SetInt(kTextHorizontalAlign, 0);
    label.SetInt(kTextVerticalAlign, 2);
    AddTo(help, label, frame);
    ControlObject& toggle = NewControlByName(
        processor, "TextButton",
        {Word(label.Width() + 20), Word(frameHeight - 10),
         SystemMessageAddress(processor, tipsEnabled ? kSwitchOn : kSwitchOff), Word(kTipsSwitchId)});
    toggle.SetInt(kTextHorizontalAlign, 0);
    toggle.SetInt(kTextVerticalAlign, 2);
    AddTo(help, toggle, frame);

    help.Run(*device, owner);

    if (tipsEnabled)
        EventManager::RemoveEventAll(processor, key);
    else
        EventManager::RecordEventAll(processor, key, 0, String(""), 1);
    // Destroyed here rather than by the deleter, so that errors of script destructors are heard; a
    // script may have deleted it already.
    ScriptObject* made = dialog.release();
    if (made->Alive()) DestroyObject(made);
}

void HelpSystem::OnTipsEvent(DialogWindow& window, int32_t event, int32_t, int32_t p2) {
    if (event == kEventClose) {
        window.SetResult(0);
        return;
    }
    if (event != kEventPrimary) return;
    if (p2 == kFrameCancelId) window.SetResult(0);
    if (p2 == kFrameOkId) window.SetResult(1);
    if (p2 != kTipsSwitchId) return;
    tipsEnabled = !tipsEnabled;
    ControlObject* toggle = window.FindControl(kTipsSwitchId);
    Processor* processor = window.GetProcessor();
    if (toggle == nullptr || processor == nullptr) return;
    const String label = SystemMessage(*processor, tipsEnabled ? kSwitchOn : kSwitchOff);
    StaticTextObject::Of(toggle).SetText(std::string_view(label.Text(), label.Size()));
}

void HelpSystem::InstallHelpRequest() {
    HelpRequestHook() = [](uint32_t dialog, std::string_view file, int32_t number, int32_t flags) {
        Processor* processor = Game().processor;
        if (processor == nullptr) return;
        DialogWindow* window = nullptr;
        if (dialog != 0)
            window = &ZEMADialogObject::Of(ScriptObject::FromAddress(dialog, kZEMADialogKind, "help dialog"))
                          .Window();
        ShowTips(*processor, window, file, number, static_cast<uint32_t>(flags));
    };
}
