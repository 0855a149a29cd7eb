// A started game with a dialog window over its display, whose callback records every event and
// hands it to the test's reaction, and an input device polling the headless keyboard and mouse.
// Tests drive the modal loop by injecting input from their reaction: what is injected while one
// iteration reports is read by the next.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/key_table.h"
#include "shell/input_device.h"
#include "tests/support/game_harness.h"
#include "ui/dialog_window.h"

class ControlObject;

struct WindowEventRecord {
    int32_t code;
    int32_t p1;
    int32_t p2;
    bool operator==(const WindowEventRecord&) const = default;
};
std::ostream& operator<<(std::ostream& out, const WindowEventRecord& e);

// Device actions the fixture maps: the four directions, primary, secondary, close.
constexpr int32_t kPrimaryKey = VK_SPACE;
constexpr int32_t kSecondaryKey = VK_TAB;
constexpr int32_t kCloseKey = VK_END;

class DialogFixture : public ::testing::Test {
  protected:
    using Reaction = std::function<void(DialogWindow& window, const WindowEventRecord& event)>;

    // content adds to the game's archive before it starts.
    explicit DialogFixture(const std::function<void(GameHarness&)>& content = nullptr);
    ~DialogFixture() override;

    // A window over the game's display with the engine's pointer and the recording callback.
    std::unique_ptr<DialogWindow> NewWindow();
    // Runs the window with the fixture's device; a loop that goes on for more than kEventLimit
    // events is stopped with result -2 and fails the test.
    int32_t Run(DialogWindow& window);
    // A TextButton made as scripts make it, added to the window (owned).
    ControlObject& AddButton(DialogWindow& window, int32_t id, int32_t x, int32_t y, const std::string& text);
    // An edit field with id 2 at (300, 300) that takes 11 characters, added to the window (owned) and
    // active or not; the script address of the text it edits, "" at first.
    uint32_t AddEditField(DialogWindow& window, bool active);
    // The recorded codes, in order.
    std::vector<int32_t> Codes() const;
    // The recorded events with this code.
    std::vector<WindowEventRecord> Only(int32_t code) const;
    static int32_t Position(int32_t x, int32_t y) { return (y << 16) | x; }
    // Iterations that reported the pointer (events 0 to 3 and 9 without a control's answer).
    int PointerEvents() const;

    static constexpr size_t kEventLimit = 5000;

    GameHarness game;
    InputDevice device;
    std::vector<WindowEventRecord> events;
    Reaction react;
};
