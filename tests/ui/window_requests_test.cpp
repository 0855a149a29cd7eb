#include "ui/window_requests.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

#include "graphics/image.h"
#include "platform/key_table.h"
#include "shell/input_device.h"
#include "tests/ui/sliders_fixture.h"
#include "ui/dialog_window.h"
#include "ui/multi_control.h"
#include "ui/slider.h"
#include "ui/window_services.h"

namespace {

// A window running its loop over a container at (100, 100) that holds a slider at (20, 30), 200
// long with bounds 0 and 100, and a plain control with id 3 at (0, 0). The test presses and drags
// through the headless mouse; the loop ends after the frame given.
class WindowRequestsTest : public SlidersFixture {
  protected:
    WindowRequestsTest() : window(&game.Cpu(), &game.Screen(), EngineCursor(game.Cpu())) {
        WindowRequestHooks() = {};
        device.Actions().SetCodes({static_cast<uint32_t>(VK_LEFT), static_cast<uint32_t>(VK_RIGHT),
                                   static_cast<uint32_t>(VK_UP), static_cast<uint32_t>(VK_DOWN),
                                   static_cast<uint32_t>(VK_SPACE)});
        device.SetMouseEnabled(true);
        ControlObject& container = NewControlByName(game.Cpu(), "MultiControl", {100, 100, 100, 50, 9});
        window.AddControl(&container, kListOwned);
        ControlObject& made = NewControlByName(game.Cpu(), "Slider", {20, 30, 4, 200, 0, 100, 0});
        slider = &SliderObject::Of(&made);
        MultiControlObject::Of(&container).AddControl(&made);
        ControlObject& box =
            NewControlByName(game.Cpu(), "Control", {game.Picture("Misc\\Up.dpf")->Address(), 0, 0, 3});
        MultiControlObject::Of(&container).AddControl(&box);
    }

    // Runs the loop; step(frame) is called after each frame is drawn and may inject input.
    void Run(int lastFrame, const std::function<void(int)>& step) {
        int frame = 0;
        window.SetCallback([&](DialogWindow& w, int32_t code, int32_t p1, int32_t p2) {
            events.push_back({code, p1, p2});
            if (code != kEventAfterDraw) return;
            step(frame);
            if (frame == 0) frameHints.clear();
            frameHints.emplace_back(w.Hint().Text());
            if (++frame > lastFrame) w.SetResult(1);
        });
        const WindowRequestScope requests(window);
        window.Run(device);
    }

    DialogWindow window;
    InputDevice device;
    SliderObject* slider = nullptr;
    std::vector<std::array<int32_t, 3>> events;
    std::vector<std::string> frameHints;
};

TEST_F(WindowRequestsTest, PressAndDragSetTheValueAndTheWindowsHint) {
    Run(3, [this](int frame) {
        if (frame == 0) game.MovePointer(170, 130);  // 50 along the slider's line
        game.SetButton(VK_LBUTTON, frame == 0 || frame == 1);
        if (frame == 1) game.MovePointer(190, 130);  // dragged with the button held
    });
    EXPECT_EQ(slider->Value(), 35);
    // Frame 1 saw the press, frame 2 the drag; frame 3 the pointer over it with the button up.
    EXPECT_EQ(frameHints, (std::vector<std::string>{"", "25", "35", ""}));
}

TEST_F(WindowRequestsTest, AChildThatIgnoresThePressIsReportedThroughTheQueue) {
    Run(3, [this](int frame) {
        if (frame == 0) game.MovePointer(105, 105);
        game.SetButton(VK_LBUTTON, frame == 0);
    });
    // The press reached the container, which posted it for the control; the next iteration
    // dispatched it to the callback.
    const std::array<int32_t, 3> posted{kEventPrimary, 0, 3};
    EXPECT_NE(std::find(events.begin(), events.end(), posted), events.end());
}

TEST_F(WindowRequestsTest, RequestsForOtherWindowsGoToTheRoutingBefore) {
    std::vector<uint32_t> asked;
    WindowRequestHooks().primaryHeld = [&asked](uint32_t dialog) {
        asked.push_back(dialog);
        return true;
    };
    {
        const WindowRequestScope scope(window);
        EXPECT_FALSE(WindowPrimaryHeld(0));  // the window has not run: no device
        EXPECT_TRUE(WindowPrimaryHeld(55));
        WindowSetHint(0, "7");
        EXPECT_EQ(window.Hint(), "7");
    }
    EXPECT_TRUE(WindowPrimaryHeld(0));
    EXPECT_EQ(asked, (std::vector<uint32_t>{55, 0}));
}

}  // namespace
