#include "screens/options_window.h"

#include <algorithm>
#include <string>
#include <utility>

#include "foundation/exceptions.h"
#include "foundation/script_memory.h"
#include "foundation/word.h"
#include "graphics/display.h"
#include "graphics/screen_surface.h"
#include "screens/screen_helpers.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "script/weak_object.h"
#include "shell/game_ids.h"
#include "shell/sound_system.h"
#include "ui/control.h"
#include "ui/dialog_window.h"
#include "ui/text_controls.h"
#include "ui/ui_objects.h"
#include "ui/window_frame.h"
#include "ui/window_services.h"

namespace {

constexpr int32_t kFrameWidth = 480;
constexpr int32_t kFrameHeight = 340;
constexpr char kLevelMark = 23;
constexpr uint32_t kHighlightColour = 3;

enum OptionCommand : int32_t {
    kCancel = kFrameCancelId,
    kConfirm = kFrameOkId,
    kSixteenBit = 131,
    kEightBit = 132,
    kDirectDrawOn = 133,
    kDirectDrawOff = 134,
    kVolumeAUp = 135,
    kVolumeADown = 136,
    kVolumeBDown = 137,
    kVolumeBUp = 138,
    kFullScreen = 139,
    kWindowed = 140,
    kSwitch3On = 142,
    kSwitch3Off = 143,
    kSwitch2On = 144,
    kSwitch2Off = 145,
    kSwitch4On = 146,
    kSwitch4Off = 147,
};

WeakObject background;

int32_t Level(int32_t value) {
    return std::clamp(value, 0, kMaxVolumeLevel);
}

struct Builder {
    DialogWindow& window;
    Processor& processor;
    ControlObject& frame;

    ControlObject& Add(const char* cls, std::initializer_list<uint32_t> values) {
        return AddOwned(window, MakeControl(processor, cls, values), &frame);
    }

    ControlObject& Text(const char* cls, int32_t x, int32_t y, uint32_t text, int32_t id, int32_t hAlign,
                        int32_t vAlign) {
        MadeControl<> made = MakeControl(processor, cls, {Word(x), Word(y), text, Word(id)});
        made->SetInt(kTextHorizontalAlign, hAlign);
        made->SetInt(kTextVerticalAlign, vAlign);
        return AddOwned(window, std::move(made), &frame);
    }

    ControlObject& Message(const char* cls, int32_t x, int32_t y, uint32_t message, int32_t id,
                           int32_t hAlign, int32_t vAlign) {
        return Text(cls, x, y, SystemMessageAddress(processor, message), id, hAlign, vAlign);
    }

    void Highlight(ControlObject& control, bool on) {
        if (on)
            control.SetInt(kTextColour, static_cast<int32_t>(ColourEntryAddress(&control, kHighlightColour)));
    }

    // A label and two buttons, the second 30 pixels after the first's text.
    void ChoiceRow(int32_t y, uint32_t label, int32_t firstId, uint32_t firstText, int32_t secondId,
                   uint32_t secondText, bool firstOn) {
        Message("StaticText", 20, y, label, 0, 0, 2);
        ControlObject& first = Message("TextButton", 200, y, firstText, firstId, 0, 2);
        Highlight(first, firstOn);
        ControlObject& second = Message("TextButton", 230 + first.Width(), y, secondText, secondId, 0, 2);
        Highlight(second, !firstOn);
    }

    void LevelRow(int32_t y, uint32_t label, int32_t minusId, int32_t plusId, int32_t value) {
        Message("StaticText", 20, y, label, 0, 0, 2);
        const ScriptBuffer<char> minus = CopyTextToScript("-");
        ControlObject& down = Text("TextButton", 200, y, ToScript(minus.get()), minusId, 0, 2);
        const int32_t barX = 230 + down.Width();
        const ScriptBuffer<char> bar =
            CopyTextToScript(std::string(static_cast<size_t>(Level(value)), kLevelMark));
        Text("StaticText", barX, y, ToScript(bar.get()), 0, 0, 2);
        const ScriptBuffer<char> plus = CopyTextToScript("+");
        Text("TextButton", barX + 170, y, ToScript(plus.get()), plusId, 2, 2);
    }
};

// True when the id is one of the window's commands.
bool Apply(DialogWindow& window, int32_t id) {
    OptionValues& v = Options();
    switch (id) {
        case kCancel:
            window.SetResult(0);
            return false;
        case kConfirm:
            window.SetResult(1);
            return false;
        case kSixteenBit:
        case kEightBit:
            v.eightBit = id == kEightBit ? 1 : 0;
            return true;
        case kDirectDrawOn:
        case kDirectDrawOff:
            v.directDraw = id == kDirectDrawOn ? 1 : 0;
            return true;
        case kVolumeAUp:
        case kVolumeADown:
            v.volumeA = Level(Level(v.volumeA) + (id == kVolumeAUp ? 1 : -1));
            ApplyVolume(*window.GetProcessor(), v.volumeA);
            return true;
        case kVolumeBUp:
        case kVolumeBDown:
            v.volumeB = Level(Level(v.volumeB) + (id == kVolumeBUp ? 1 : -1));
            return true;
        case kFullScreen:
        case kWindowed:
            v.windowed = id == kWindowed ? 1 : 0;
            return true;
        case kSwitch3On:
        case kSwitch3Off:
            v.switchBit3 = id == kSwitch3On ? 1 : 0;
            return true;
        case kSwitch2On:
        case kSwitch2Off:
            v.switchBit2 = id == kSwitch2On ? 1 : 0;
            return true;
        case kSwitch4On:
        case kSwitch4Off:
            v.switchBit4 = id == kSwitch4On ? 1 : 0;
            return true;
        default:
            return false;
    }
}

}  // namespace

OptionValues& Options() {
    static OptionValues values;
    return values;
}

void OptionsWindow(DialogWindow& window) {
    Processor& processor = *window.GetProcessor();
    window.SetSkipDraw();
    window.ClearControls();
    const ScreenSurface& surface = ScreenOf(window, "the options window");
    ControlObject& frame = AddOwned(window, MakeControl(processor, "OpenWindowControl",
                                                        {Word((surface.Width() - kFrameWidth) / 2),
                                                         Word((surface.Height() - kFrameHeight) / 2),
                                                         Word(kFrameWidth), Word(kFrameHeight), 0}));
    Builder b{window, processor, frame};
    b.Add("RectangleControl", {0, 0, Word(kFrameWidth), Word(kFrameHeight), 0});
    b.Message("StaticText", 20, 20, 315, 0, 0, 0);

    const OptionValues& v = Options();
    b.ChoiceRow(80, 330, kFullScreen, 335, kWindowed, 336, v.windowed == 0);
    b.ChoiceRow(110, 331, kSixteenBit, 338, kEightBit, 337, v.eightBit == 0);
    b.ChoiceRow(140, 332, kDirectDrawOn, 120, kDirectDrawOff, 121, v.directDraw != 0);
    b.ChoiceRow(170, 356, kSwitch2On, 120, kSwitch2Off, 121, v.switchBit2 != 0);
    b.ChoiceRow(200, 472, kSwitch4On, 120, kSwitch4Off, 121, v.switchBit4 != 0);
    b.ChoiceRow(230, 357, kSwitch3On, 120, kSwitch3Off, 121, v.switchBit3 != 0);
    b.LevelRow(260, 333, kVolumeADown, kVolumeAUp, v.volumeA);
    b.LevelRow(290, 334, kVolumeBDown, kVolumeBUp, v.volumeB);

    ControlObject& cancel = b.Message("TextButton", 460, 320, 119, kCancel, 2, 2);
    b.Message("TextButton", 440 - cancel.Width(), 320, 117, kConfirm, 2, 2);
    b.Add("CloseWindowControl", {frame.Address(), 0});
}

void OptionsCallback(DialogWindow& window, int32_t event, int32_t p1, int32_t p2) {
    if (event != kEventPrimary && event != kEventDoubleClick) {
        DialogWindow::FrameCallback(window, event, p1, p2);
        return;
    }
    if (Apply(window, p2)) OptionsWindow(window);
}

void ApplyVolume(Processor& processor, int32_t level) {
    auto* sound = dynamic_cast<SoundSystem*>(processor.Objects().GetObject(kSoundSystemId));
    if (sound != nullptr) sound->SetVolume(level);
}

ScriptObject* OptionsBackground(Processor& processor) {
    if (background.Get() == nullptr)
        background = WeakObject(&NewControlByName(processor, "HeavenControl", {400, 0}));
    return IfAlive(background.Get());
}

void DeleteOptionsBackground() {
    ScriptObject* made = background.Get();
    background = WeakObject();
    if (made != nullptr && made->Alive()) DestroyObject(made);
}
