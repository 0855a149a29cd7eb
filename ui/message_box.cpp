#include "ui/message_box.h"

#include <algorithm>
#include <memory>

#include "foundation/exceptions.h"
#include "foundation/script_memory.h"
#include "foundation/word.h"
#include "graphics/display.h"
#include "graphics/font.h"
#include "graphics/frame.h"
#include "graphics/image.h"
#include "graphics/screen_surface.h"
#include "graphics/text_layout.h"
#include "platform/key_table.h"
#include "script/processor.h"
#include "shell/input_queue.h"
#include "ui/control.h"
#include "ui/dialog_window.h"
#include "ui/text_controls.h"
#include "ui/window_services.h"

namespace {

struct AnswerButton {
    uint32_t styleBit;
    int32_t id;  // also its text's number in "system.mes"
    int32_t answer;
};

// Right to left along the bottom.
constexpr AnswerButton kButtons[] = {
    {kMessageBoxCancel, 119, 0},
    {kMessageBoxOk, 117, 1},
    {kMessageBoxFourth, 121, 3},
    {kMessageBoxThird, 120, 2},
};

constexpr int32_t kMinWidth = 200;
constexpr int32_t kMinHeight = 100;

void AddToBox(DialogWindow& window, ControlObject& control, ControlObject* frame) {
    if (frame != nullptr) control.SetParent(frame);
    window.AddControl(&control, kListOwned);
}

}  // namespace

int32_t MessageBox(Processor& processor, InputDevice* input, DialogWindow* parent, const String& text,
                   uint32_t style, Image* picture, int32_t typingSpeed) {
    Display& display =
        parent != nullptr && parent->GetDisplay() != nullptr ? *parent->GetDisplay() : GameDisplay();
    Image* cursor = parent != nullptr ? parent->DefaultCursor() : EngineCursor(processor);
    if (display.Surface() == nullptr) ThrowFatal("No screen to show the message box on");
    InputDevice* device = parent != nullptr && parent->Input() != nullptr ? parent->Input() : input;
    if (device == nullptr) ThrowFatal("Message box without an input device");

    auto window = std::make_unique<DialogWindow>(&processor, &display, cursor);
    window->SetParent(parent);
    window->SetCallback(MessageBox::OnEvent);
    Font* font = NamedFont(processor, "StaticText");

    int32_t pictureWidth = 0;
    int32_t pictureHeight = 0;
    Frame* pictureFrame = picture != nullptr ? picture->GetFrame(0) : nullptr;
    if (pictureFrame != nullptr) {
        pictureWidth = static_cast<int32_t>(std::min<uint32_t>(pictureFrame->Width(), INT32_MAX - 10)) + 10;
        pictureHeight = static_cast<int32_t>(std::min<uint32_t>(pictureFrame->Height(), INT32_MAX / 2));
    }
    if (parent != nullptr) parent->ReleaseFocus();

    const int32_t screenWidth = display.Surface()->Width();
    const int32_t screenHeight = display.Surface()->Height();
    String wrapped = text;
    if (font != nullptr) WrapText(wrapped, screenWidth - 200, *font);
    const int64_t textWidth = font != nullptr ? TextWidth(*font, wrapped.Text()) : 0;
    const int64_t textHeight = font != nullptr ? TextHeight(*font, wrapped.Text()) : 0;

    int64_t w = textWidth + pictureWidth + 40;
    if (w <= kMinWidth) w = kMinWidth;
    if (w >= screenWidth) w = screenWidth;
    int64_t h = std::max<int64_t>(pictureHeight, textHeight + 40) + 40;
    if (h <= kMinHeight) h = kMinHeight;
    if (h >= screenHeight) h = screenHeight;
    const auto width = static_cast<int32_t>(w);
    const auto height = static_cast<int32_t>(h);

    ControlObject& frame = NewControlByName(
        processor, "OpenWindowControl",
        {Word((screenWidth - width) / 2), Word((screenHeight - height) / 2), Word(width), Word(height), 0});
    AddToBox(*window, frame, nullptr);
    if ((style & kMessageBoxBare) == 0)
        AddToBox(*window,
                 NewControlByName(processor, "RectangleControl", {0, 0, Word(width), Word(height), 0}),
                 &frame);

    {
        const ScriptBuffer<char> shown = CopyTextToScript(std::string_view(wrapped.Text(), wrapped.Size()));
        ControlObject& message =
            NewControlByName(processor, "MultiLineControl",
                             {Word(pictureWidth + 20), 20, Word(width - pictureWidth - 40), Word(height - 80),
                              ToScript(shown.get()), 0});
        message.SetInt(kTextHorizontalAlign, 1);
        message.SetInt(kTextVerticalAlign, 0);
        message.SetInt(kTextTypingSpeed, typingSpeed);
        AddToBox(*window, message, &frame);
    }
    if (pictureFrame != nullptr) {
        const int32_t x = 10 + pictureFrame->OriginX();
        const int32_t y = (height - 40) / 2 - pictureHeight / 2 + pictureFrame->OriginY();
        AddToBox(*window, NewControlByName(processor, "Control", {picture->Address(), Word(x), Word(y), 0}),
                 &frame);
    }
    int32_t x = width - 20;
    for (const AnswerButton& button : kButtons) {
        if ((style & button.styleBit) == 0) continue;
        ControlObject& made = NewControlByName(
            processor, "TextButton",
            {Word(x), Word(height - 20), SystemMessageAddress(processor, Word(button.id)), Word(button.id)});
        made.SetInt(kTextHorizontalAlign, 2);
        made.SetInt(kTextVerticalAlign, 2);
        AddToBox(*window, made, &frame);
        x -= 20 + made.Width();
    }
    AddToBox(*window, NewControlByName(processor, "CloseWindowControl", {frame.Address(), 0}), &frame);

    // Over a window, the device is the parent's, and goes with the parent's owner.
    const int32_t answer = window->Run(*device, device != input ? parent->InputOwner() : nullptr);
    // Closed here rather than by the destructor, so that errors of script destructors are heard.
    window->Close();
    return answer;
}

int32_t MessageBoxOverWindow(Processor& processor, DialogWindow& parent, const String& text, uint32_t style,
                             Image* picture, int32_t typingSpeed) {
    return MessageBox(processor, nullptr, &parent, text, style, picture, typingSpeed);
}

int32_t MessageBoxNoWindow(Processor& processor, InputDevice& input, const String& text, uint32_t style,
                           Image* picture, int32_t typingSpeed) {
    return MessageBox(processor, &input, nullptr, text, style, picture, typingSpeed);
}

void MessageBox::OnEvent(DialogWindow& window, int32_t event, int32_t p1, int32_t p2) {
    if (event == kEventCharacter || event == kEventKey) {
        if (p1 == VK_ESCAPE) {
            window.PostMessage(kEventPrimary, 0, 119);
            return;
        }
        if (p1 == VK_RETURN) return;
        if (p1 == -1) {
            CharQueue().ReadInt();
            return;
        }
        event = kEventPrimary;
    }
    if (event == kEventClose) {
        window.SetResult(0);
        return;
    }
    if (event != kEventPrimary) return;
    for (const AnswerButton& button : kButtons) {
        if (button.id == p2) window.SetResult(button.answer);
    }
}
