#include "tests/ui/dialog_fixture.h"

#include <ostream>

#include "platform/key_table.h"
#include "ui/control.h"
#include "ui/text_controls.h"
#include "ui/window_services.h"

std::ostream& operator<<(std::ostream& out, const WindowEventRecord& e) {
    return out << "{" << e.code << ", " << e.p1 << ", " << e.p2 << "}";
}

DialogFixture::DialogFixture(const std::function<void(GameHarness&)>& content) {
    game.AddMessages("system.mes", {{117, "Yes"}, {119, "No"}, {120, "Retry"}, {121, "Skip"}});
    if (content) content(game);
    game.Start();
    device.Actions().SetCodes({static_cast<uint32_t>(VK_LEFT), static_cast<uint32_t>(VK_RIGHT),
                               static_cast<uint32_t>(VK_UP), static_cast<uint32_t>(VK_DOWN), kPrimaryKey,
                               kSecondaryKey, kCloseKey});
    device.SetMouseEnabled(true);
}

DialogFixture::~DialogFixture() = default;

std::unique_ptr<DialogWindow> DialogFixture::NewWindow() {
    auto window = std::make_unique<DialogWindow>(&game.Cpu(), &game.Screen(), EngineCursor(game.Cpu()));
    window->SetCallback([this](DialogWindow& w, int32_t code, int32_t p1, int32_t p2) {
        events.push_back({code, p1, p2});
        if (events.size() > kEventLimit) {
            ADD_FAILURE() << "the loop did not end";
            w.SetResult(-2);
            return;
        }
        if (react) react(w, events.back());
    });
    return window;
}

int32_t DialogFixture::Run(DialogWindow& window) {
    return window.Run(device);
}

ControlObject& DialogFixture::AddButton(DialogWindow& window, int32_t id, int32_t x, int32_t y,
                                        const std::string& text) {
    ControlObject& button = NewControlByName(
        game.Cpu(), "TextButton",
        {static_cast<uint32_t>(x), static_cast<uint32_t>(y), game.Text(text), static_cast<uint32_t>(id)});
    window.AddControl(&button, kListOwned);
    return button;
}

uint32_t DialogFixture::AddEditField(DialogWindow& window, bool active) {
    const uint32_t buffer = game.Text(std::string(16, '\0'));
    auto& edit =
        dynamic_cast<EditControlObject&>(NewControlByName(game.Cpu(), "Edit", {300, 300, 12, buffer, 2}));
    window.AddControl(&edit, kListOwned);
    edit.SetActive(active);
    return buffer;
}

std::vector<int32_t> DialogFixture::Codes() const {
    std::vector<int32_t> codes;
    for (const WindowEventRecord& e : events) codes.push_back(e.code);
    return codes;
}

std::vector<WindowEventRecord> DialogFixture::Only(int32_t code) const {
    std::vector<WindowEventRecord> found;
    for (const WindowEventRecord& e : events)
        if (e.code == code) found.push_back(e);
    return found;
}

int DialogFixture::PointerEvents() const {
    int n = 0;
    for (const WindowEventRecord& e : events) n += e.code <= kEventRest || e.code == kEventDoubleClick;
    return n;
}
