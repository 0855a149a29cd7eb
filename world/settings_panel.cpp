#include "world/settings_panel.h"

#include <memory>

#include "foundation/exceptions.h"
#include "foundation/word.h"
#include "script/processor.h"
#include "script/weak_object.h"
#include "ui/control.h"
#include "ui/dialog_window.h"
#include "ui/slider.h"
#include "ui/text_controls.h"
#include "ui/window_frame.h"
#include "ui/window_services.h"
#include "world/option.h"

namespace {

constexpr int32_t kPanelWidth = 400;
constexpr int32_t kPanelHeight = 100;
constexpr uint32_t kPanelButtons = 3;
constexpr int32_t kPanelControlId = 100;
constexpr int32_t kSliderLength = 380;
constexpr int32_t kSliderInnerTickCount = 19;

// Created by class name and placed in the frame's content rectangle.
ControlObject& AddPanelControl(DialogWindow& panel, const char* className,
                               std::initializer_list<uint32_t> values) {
    ControlObject& control = NewControlByName(*panel.GetProcessor(), className, values);
    control.SetParent(panel.FindControl(kFrameBackgroundId));
    panel.AddControl(&control, kListOwned);
    return control;
}

std::unique_ptr<DialogWindow> OpenPanel(DialogWindow& caller) {
    if (caller.GetProcessor() == nullptr) ThrowFatal("Settings window without a processor");
    return NewItemWindow(*caller.GetProcessor(), caller, kPanelWidth, kPanelHeight, kPanelButtons);
}

}  // namespace

std::optional<int32_t> RunSliderPanel(DialogWindow& caller, const SliderPanel& values) {
    std::unique_ptr<DialogWindow> panel = OpenPanel(caller);
    Processor& processor = *panel->GetProcessor();
    AddPanelControl(*panel, "StaticText", {10, 10, SystemMessageAddress(processor, values.caption), 0});
    ControlObject& control = AddPanelControl(*panel, "Slider",
                                             {10, 40, Word(kPanelControlId), Word(kSliderLength),
                                              Word(values.boundA), Word(values.boundB), values.flags});
    const WeakObject sliderRef(&control);
    auto& slider = SliderObject::Of(&control);
    slider.SetInt(kSliderInnerTicks, kSliderInnerTickCount);
    slider.SetValue(values.value);
    const bool confirmed = RunItemWindow(*panel, caller) == 1;
    // A script may have deleted the slider while the window ran.
    const auto* live = sliderRef.As<SliderObject>();
    const std::optional<int32_t> value =
        confirmed && live != nullptr ? std::optional<int32_t>(live->Value()) : std::nullopt;
    // Here, not in the window's destructor, a failing script destructor of a control is reported.
    panel->Close();
    return value;
}

std::optional<bool> RunCheckPanel(DialogWindow& caller, uint32_t caption, bool checked) {
    std::unique_ptr<DialogWindow> panel = OpenPanel(caller);
    Processor& processor = *panel->GetProcessor();
    ControlObject& control = AddPanelControl(
        *panel, "CheckButton", {10, 10, SystemMessageAddress(processor, caption), Word(kPanelControlId)});
    const WeakObject buttonRef(&control);
    control.SetInt(kCheckChecked, checked ? 1 : 0);
    const bool confirmed = RunItemWindow(*panel, caller) == 1;
    const auto* live = buttonRef.As<CheckButtonObject>();
    const std::optional<bool> state =
        confirmed && live != nullptr ? std::optional<bool>(live->Checked()) : std::nullopt;
    panel->Close();
    return state;
}
