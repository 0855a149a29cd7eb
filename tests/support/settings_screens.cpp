#include "tests/support/settings_screens.h"

#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "foundation/block_reader.h"
#include "foundation/engine_string.h"
#include "platform/key_table.h"
#include "ui/control.h"
#include "ui/dialog_window.h"

SettingsScreensTest::SettingsScreensTest() {
    game.Settings().screenFlags = 1;  // DirectDraw: the headless screen's own 565
    for (const char* picture : {"Misc\\Stars.dpf", "Misc\\SchemaLine.dpf"}) game.AddPicture(picture);
    game.AddPicture("Misc\\InputSettings.dpf", {.frames = 2});
    game.AddFont("BigMenu");
    game.AddFont("Science");
    std::vector<MessageText> texts = {
        {117, "OK"},       {119, "Cancel"},   {120, "Yes"},      {121, "No"},       {123, "Go on?"},
        {314, "Keys"},     {315, "Options"},  {326, "Mouse"},    {327, "No mouse"}, {329, "Reload"},
        {330, "Screen"},   {331, "Colours"},  {332, "Kind"},     {333, "Sound"},    {334, "Music"},
        {335, "Full"},     {336, "Window"},   {337, "8 bits"},   {338, "16 bits"},  {339, "Restart"},
        {356, "Switch 2"}, {357, "Switch 3"}, {396, "Joystick"}, {400, "None"},     {401, "First"},
        {402, "Second"},   {472, "Switch 4"}};
    for (uint32_t n = 317; n <= 325; ++n) texts.push_back({n, "Row " + std::to_string(n)});
    game.AddMessages("system.mes", texts);
    game.AddMessages("Keys.mes", {{0x25, "Left"}, {0x4B, "K"}});
    device.SetMouseEnabled(true);
}

void SettingsScreensTest::Start() {
    game.Start();
}

void SettingsScreensTest::ClickAt(uint32_t time, ScreenPoint point) {
    game.At(time, [this, point] {
        game.MovePointer(point.x, point.y);
        game.SetButton(VK_LBUTTON, true);
    });
    game.At(time + 80, [this] { game.SetButton(VK_LBUTTON, false); });
}

uint32_t SettingsScreensTest::Clicks(const std::vector<ScreenPoint>& points) {
    uint32_t t = game.Now();
    for (const ScreenPoint& point : points) ClickAt(t += 400, point);
    return t;
}

void SettingsScreensTest::KeyAt(uint32_t time, int32_t key, bool* pressed) {
    game.At(time, [this, key, pressed] {
        game.PressKey(key);
        if (pressed != nullptr) *pressed = true;
    });
    game.At(time + 80, [this, key] { game.ReleaseKey(key); });
}

ScreenPoint SettingsScreensTest::Where(const std::function<void(DialogWindow&)>& build, int32_t id) {
    DialogWindow window(&game.Cpu(), &game.Screen(), nullptr);
    build(window);
    // The middle of the pixels the control takes, looked for around its anchor.
    ScreenPoint found;
    if (ControlObject* control = window.FindControl(id)) {
        const int32_t ax = control->AbsoluteX();
        const int32_t ay = control->AbsoluteY();
        int32_t left = INT32_MAX, top = INT32_MAX, right = -1, bottom = -1;
        for (int32_t y = std::max(ay - 40, 0); y < std::min(ay + 40, 480); ++y) {
            for (int32_t x = std::max(ax - 200, 0); x < std::min(ax + 200, 640); ++x) {
                if (!control->HitTest(x, y)) continue;
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
        if (right >= 0) found = {(left + right) / 2, (top + bottom) / 2};
    }
    window.ClearControls();
    return found;
}

std::string SettingsScreensTest::FileBytes(const std::string& name) const {
    if (!std::filesystem::exists(name)) return "";
    FileBlockReader reader;
    reader.Open(String(name.c_str()));
    std::string bytes(reader.Size(), '\0');
    bytes.resize(reader.Read(bytes.data(), static_cast<uint32_t>(bytes.size())));
    return bytes;
}

bool SettingsScreensTest::FilePacked(const std::string& name) const {
    std::ifstream in(name, std::ios::binary);
    char head[6] = {};
    in.read(head, sizeof head);
    return std::string(head, sizeof head) == std::string("SEPK\0\0", 6);
}
