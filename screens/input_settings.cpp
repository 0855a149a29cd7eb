#include "screens/input_settings.h"

#include <memory>
#include <utility>

#include "foundation/block_reader.h"
#include "foundation/byte_order.h"
#include "foundation/exceptions.h"
#include "foundation/fw.h"
#include "foundation/saturating.h"
#include "foundation/script_memory.h"
#include "foundation/word.h"
#include "graphics/display.h"
#include "graphics/image.h"
#include "graphics/screen_surface.h"
#include "screens/full_screen.h"
#include "screens/screen_helpers.h"
#include "screens/screen_teardown.h"
#include "script/processor.h"
#include "shell/input_device.h"
#include "shell/key_name.h"
#include "ui/control.h"
#include "ui/dialog_window.h"
#include "ui/list_frame.h"
#include "ui/text_controls.h"
#include "ui/ui_objects.h"
#include "ui/window_frame.h"
#include "ui/window_services.h"

namespace {

constexpr int32_t kReloadId = 130;
constexpr int32_t kFirstMouseId = 120;
constexpr int32_t kFirstJoystickId = 150;
constexpr int32_t kFirstKeyId = 300;
constexpr int32_t kDeviceIdStep = 100;
constexpr uint32_t kJoystickChoices = 3;
constexpr uint32_t kHighlightColour = 3;
constexpr uint32_t kRowCount = 10;
constexpr uint32_t kLargestKeyCode = 255;

// Shared by the runner, the builder and the callback; one screen runs at a time.
struct ScreenState {
    std::vector<InputDevice*> devices;
    std::vector<String> names;
    bool waiting = false;
    int32_t waitingId = 0;
};
ScreenState state;

int32_t DeviceCount() {
    return static_cast<int32_t>(state.devices.size());
}

int32_t ColumnX(int32_t device) {
    return 170 + 120 * device;
}

int32_t KeyId(int32_t device, uint32_t action) {
    return kFirstKeyId + kDeviceIdStep * device + static_cast<int32_t>(action);
}

// The device and action of a key button's id; false for any other id.
bool KeyButton(int32_t id, int32_t& device, uint32_t& action) {
    if (id < kFirstKeyId) return false;
    device = (id - kFirstKeyId) / kDeviceIdStep;
    const int32_t a = (id - kFirstKeyId) % kDeviceIdStep;
    if (device >= DeviceCount() || a >= static_cast<int32_t>(kInputSettingsActions)) return false;
    action = static_cast<uint32_t>(a);
    return true;
}

ControlObject& AddText(DialogWindow& window, const char* cls, int32_t x, int32_t y, const String& text,
                       int32_t id) {
    return AddOwned(window, NewTextControl(*window.GetProcessor(), cls, x, y, text.View(), id));
}

// An action the device's map has no code for shows as no key.
String ActionKeyName(const InputDevice& device, uint32_t action) {
    return KeyName(action < device.Actions().Count() ? static_cast<int32_t>(device.Actions().Code(action))
                                                     : -1);
}

void AddPictures(DialogWindow& window) {
    Processor& processor = *window.GetProcessor();
    Image* picture = ScreenPicture(processor, "Misc\\InputSettings.dpf");
    const uint32_t address = picture != nullptr ? picture->Address() : 0;
    const int32_t places[2][2] = {{441, 347}, {140, 408}};
    for (int32_t frame = 0; frame < 2; ++frame) {
        MadeControl<> part =
            MakeControl(processor, "Control", {address, Word(places[frame][0]), Word(places[frame][1]), 0});
        part->SetInt(kVisualPhase, frame * 100);
        AddOwned(window, std::move(part));
    }
}

void AddReloadButton(DialogWindow& window, int32_t height) {
    Processor& processor = *window.GetProcessor();
    ControlObject* cancel = window.FindControl(kFrameCancelId);
    // The cancel button's position is a field scripts may have written.
    const int32_t x =
        cancel != nullptr ? SaturateInt32(int64_t{cancel->Int(kVisualX)} - cancel->Width() - 20) : 0;
    MadeControl<> reload = MakeControl(processor, "TextButton",
                                       {Word(x), Word(SaturateInt32(int64_t{height} - 10)),
                                        SystemMessageAddress(processor, 329), Word(kReloadId)});
    auto& text = StaticTextObject::Of(reload.get());
    text.SetInt(kTextHorizontalAlign, 2);
    text.SetInt(kTextVerticalAlign, 2);
    text.SetFont(NamedFont(processor, "BigMenu"));
    AddOwned(window, std::move(reload));
}

void Rebuild(DialogWindow& window) {
    InputSettingsScreen(window);
}

void ToggleMouse(InputDevice& device) {
    device.SetMouseEnabled(!device.MouseEnabled());
}

void NextJoystick(InputDevice& device) {
    device.SetJoystickNumber((device.JoystickNumber() + 1) % kJoystickChoices);
    device.CheckJoystick();
}

// Only codes of real keys are taken, and only into an action the device's map holds.
void TakeKey(int32_t code) {
    int32_t device = 0;
    uint32_t action = 0;
    if (code <= 0 || code > static_cast<int32_t>(kLargestKeyCode)) return;
    if (!KeyButton(state.waitingId, device, action)) return;
    ActionMap& map = state.devices[static_cast<size_t>(device)]->Actions();
    if (action < map.Count()) StoreU32(map.ActionSlot(action), static_cast<uint32_t>(code));
    state.waiting = false;
}

}  // namespace

bool RunInputSettingsDialog(Processor& processor, InputDevice& input,
                            const std::vector<InputDevice*>& devices, const std::vector<String>& names) {
    if (devices.size() != names.size())
        ThrowFatal("Input settings for %zu devices with %zu names", devices.size(), names.size());
    for (InputDevice* device : devices)
        if (device == nullptr) ThrowFatal("Input settings without a device");
    auto window = std::make_unique<DialogWindow>(&processor, &GameDisplay(), EngineCursor(processor));
    window->SetCallback(InputSettingsCallback);
    state.devices = devices;
    state.names = names;
    state.waiting = false;
    ScreenTeardown teardown(
        processor, {[&window] { window->Close(); }, DeleteHeavenPanel, [] { state = ScreenState(); }});
    InputSettingsScreen(*window);
    const int32_t result = window->Run(input);
    teardown.Finish();
    for (InputDevice* device : devices) device->CheckJoystick();
    return result == 1;
}

void InputSettingsScreen(DialogWindow& window) {
    Processor& processor = *window.GetProcessor();
    String labels[kRowCount];
    for (uint32_t i = 0; i + 1 < kRowCount; ++i) labels[i] = SystemMessage(processor, 317 + i);
    labels[kRowCount - 1] = SystemMessage(processor, 396);
    window.SetSkipDraw();
    window.ClearControls();
    const ScreenSurface& surface = ScreenOf(window, "the input settings");

    HeavenPanel(window);
    AddPictures(window);
    const String title = SystemMessage(processor, 314);
    SchemaLineList(window, title.View());
    AddReloadButton(window, surface.Height());

    const int32_t count = DeviceCount();
    for (int32_t d = 0; d < count; ++d) {
        const InputDevice& device = *state.devices[static_cast<size_t>(d)];
        const int32_t x = ColumnX(d);
        AddText(window, "StaticText", x, 70, state.names[static_cast<size_t>(d)], 0);
        for (uint32_t a = 0; a < kInputSettingsActions; ++a) {
            const int32_t id = KeyId(d, a);
            ControlObject& key = AddText(window, "TextButton", x, 100 + 30 * static_cast<int32_t>(a),
                                         ActionKeyName(device, a), id);
            if (state.waiting && state.waitingId == id)
                key.SetInt(kTextColour, static_cast<int32_t>(ColourEntryAddress(&key, kHighlightColour)));
        }
    }
    for (uint32_t i = 0; i < kRowCount; ++i)
        AddText(window, "StaticText", 20, 100 + 30 * static_cast<int32_t>(i), labels[i], 0);
    for (int32_t d = 0; d < count; ++d) {
        const InputDevice& device = *state.devices[static_cast<size_t>(d)];
        const int32_t x = ColumnX(d);
        AddText(window, "TextButton", x, 340, SystemMessage(processor, device.MouseEnabled() ? 326 : 327),
                kFirstMouseId + d);
        AddText(window, "TextButton", x, 370,
                SystemMessage(processor, 400 + device.JoystickNumber() % kJoystickChoices),
                kFirstJoystickId + d);
    }
}

void InputSettingsCallback(DialogWindow& window, int32_t event, int32_t p1, int32_t p2) {
    if (event == kEventKey) {
        if (!state.waiting) return;
        TakeKey(p1);
        Rebuild(window);
        return;
    }
    if (event != kEventPrimary) {
        DialogWindow::FrameCallback(window, event, p1, p2);
        return;
    }
    const int32_t count = DeviceCount();
    int32_t device = 0;
    uint32_t action = 0;
    if (KeyButton(p2, device, action)) {
        state.waiting = true;
        state.waitingId = p2;
        Rebuild(window);
    } else if (p2 >= kFirstMouseId && p2 < kFirstMouseId + count) {
        ToggleMouse(*state.devices[static_cast<size_t>(p2 - kFirstMouseId)]);
        state.waiting = false;
        Rebuild(window);
    } else if (p2 >= kFirstJoystickId && p2 < kFirstJoystickId + count) {
        NextJoystick(*state.devices[static_cast<size_t>(p2 - kFirstJoystickId)]);
        state.waiting = false;
        Rebuild(window);
    } else if (p2 == kFrameCancelId) {
        window.SetResult(0);
    } else if (p2 == kFrameOkId) {
        window.SetResult(1);
    } else if (p2 == kReloadId) {
        ReadKeysFile(*window.GetProcessor(), state.devices);
        Rebuild(window);
    }
}

void ReadKeysFile(Processor& processor, const std::vector<InputDevice*>& devices) {
    EntryBlockReader reader(processor.Archive(), 1024, 1024, 128);
    reader.Open(String("Keys.INPD"));
    for (InputDevice* device : devices) reader >> *device;
    reader.Close();
}

void WriteKeysFile(const std::vector<InputDevice*>& devices) {
    FW out;
    out.Create(String("Keys.INPD"));
    for (const InputDevice* device : devices) device->WriteKeysChunk(out);
    out.Close();
}
