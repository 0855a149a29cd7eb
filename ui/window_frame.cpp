// The standard window frame: a centred OpenWindowControl with its background, up to two buttons
// along the bottom (texts from "system.mes") and the closer, with the frame's callback.
#include "ui/window_frame.h"

#include "foundation/saturating.h"
#include "foundation/word.h"
#include "graphics/display.h"
#include "graphics/screen_surface.h"
#include "script/processor.h"
#include "ui/control.h"
#include "ui/dialog_window.h"
#include "ui/text_controls.h"
#include "ui/window_services.h"

namespace {

constexpr uint32_t kCancelText = 119;
constexpr uint32_t kOkText = 117;

}  // namespace

void DialogWindow::BuildFrame(int32_t width, int32_t height, uint32_t buttons) {
    if (processor_ == nullptr || display_ == nullptr || display_->Surface() == nullptr)
        ThrowFatal("Window frame without a processor or a screen");
    Processor& processor = *processor_;
    const int32_t screenWidth = display_->Surface()->Width();
    const int32_t screenHeight = display_->Surface()->Height();

    // Sizes come from scripts: positions are worked out in 64 bits and kept in range.
    const int32_t left = SaturateInt32((int64_t{screenWidth} - width) / 2);
    const int32_t top = SaturateInt32((int64_t{screenHeight} - height) / 2);
    ControlObject& frame = NewControlByName(processor, "OpenWindowControl",
                                            {Word(left), Word(top), Word(width), Word(height), kFrameId});
    AddControl(&frame, kListOwned);
    ControlObject& background = NewControlByName(processor, "RectangleControl",
                                                 {0, 0, Word(width), Word(height), kFrameBackgroundId});
    background.SetParent(&frame);
    AddControl(&background, kListOwned);
    SetCallback(FrameCallback);

    int32_t x = SaturateInt32(int64_t{width} - 20);
    const int32_t buttonY = SaturateInt32(int64_t{height} - 10);
    auto addButton = [&](int32_t id, uint32_t text) {
        ControlObject& button =
            NewControlByName(processor, "TextButton",
                             {Word(x), Word(buttonY), SystemMessageAddress(processor, text), Word(id)});
        button.SetParent(&frame);
        button.SetInt(kTextHorizontalAlign, 2);
        button.SetInt(kTextVerticalAlign, 2);
        AddControl(&button, kListOwned);
        x = SaturateInt32(int64_t{x} - 20 - button.Width());
    };
    if (buttons & 2) addButton(kFrameCancelId, kCancelText);
    if (buttons & 1) addButton(kFrameOkId, kOkText);

    ControlObject& closer =
        NewControlByName(processor, "CloseWindowControl", {frame.Address(), kFrameCloserId});
    AddControl(&closer, kListOwned);
}

void DialogWindow::FrameCallback(DialogWindow& window, int32_t event, int32_t, int32_t p2) {
    if (event == kEventPrimary && p2 == kFrameCancelId) window.SetResult(0);
    if (event == kEventPrimary && p2 == kFrameOkId) window.SetResult(1);
    if (event == kEventClose) window.SetResult(0);
}
