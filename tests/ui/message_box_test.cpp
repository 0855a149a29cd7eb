#include "ui/message_box.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "graphics/color_manager.h"
#include "graphics/display.h"
#include "graphics/image.h"
#include "graphics/screen_surface.h"
#include "shell/input_queue.h"
#include "tests/support/read_bytes.h"
#include "tests/ui/dialog_fixture.h"
#include "tools/content/picture_builder.h"
#include "ui/control.h"
#include "ui/picture_controls.h"
#include "ui/window_frame.h"

namespace {

// A window behind the box: the box steps it every iteration, which is where the test puts in the
// input for the next one.
class ScriptedParent : public DialogWindow {
  public:
    using DialogWindow::DialogWindow;
    void Step(int32_t frame) override {
        ++steps;
        if (onStep) onStep(frame);
    }
    void DrawControls() override { ++draws; }
    std::function<void(int32_t)> onStep;
    int steps = 0;
    int draws = 0;
};

class MessageBoxTest : public DialogFixture {
  protected:
    // The smallest box, 200 x 100, lies centred on the 640 x 480 screen.
    static constexpr int32_t kBoxX = (640 - 200) / 2;
    static constexpr int32_t kBoxY = (480 - 100) / 2;
    // Inside the rightmost button, which ends 20 pixels left of and above the box's corner.
    static constexpr int32_t kRightButtonX = kBoxX + 200 - 20 - 2;
    static constexpr int32_t kRightButtonY = kBoxY + 100 - 20 - 2;

    // Runs a box with a short text over a parent that does at each frame what the script says.
    int32_t Show(uint32_t style, const std::function<void(int32_t frame)>& script) {
        parent = std::make_unique<ScriptedParent>(&game.Cpu(), &game.Screen(), nullptr);
        parent->onStep = script;
        return MessageBox(game.Cpu(), &device, parent.get(), String("Hi"), style, nullptr, 0);
    }

    uint16_t Pixel(int32_t x, int32_t y) {
        uint16_t p = 0;
        std::memcpy(&p, game.Screen().Surface()->PixelAddress(x, y), 2);
        return p;
    }

    std::unique_ptr<ScriptedParent> parent;
};

TEST_F(MessageBoxTest, ClickingTheRightmostButtonGivesItsAnswer) {
    struct Case {
        uint32_t style;
        int32_t answer;
    };
    // Right to left the buttons are 119, 117, 121, 120 as the style has them.
    const Case cases[] = {{1, 1}, {2, 0}, {3, 0}, {4, 2}, {8, 3}, {12, 3}, {13, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        const int32_t answer = Show(c.style, [&](int32_t frame) {
            game.MovePointer(kRightButtonX, kRightButtonY);
            game.SetButton(VK_LBUTTON, frame == 2);
        });
        game.SetButton(VK_LBUTTON, false);
        EXPECT_EQ(answer, c.answer);
    }
}

TEST_F(MessageBoxTest, KeysAndTheCloseRequestAnswerAsTheyShould) {
    struct Case {
        const char* name;
        std::function<void(int32_t)> input;
        int32_t answer;
        int minFrames;  // iterations the box ran at least
    };
    const Case cases[] = {
        {"Escape answers 0 through the posted command",
         [this](int32_t frame) {
             if (frame == 1) game.TypeChar(27);
         },
         0, 2},
        {"the close action answers 0", [this](int32_t frame) { game.SetButton(kCloseKey, frame == 1); }, 0,
         2},
        {"Enter does nothing; a click later answers",
         [this](int32_t frame) {
             if (frame == 1) game.TypeChar(13);
             game.MovePointer(kRightButtonX, kRightButtonY);
             game.SetButton(VK_LBUTTON, frame == 6);
         },
         1, 7},
        {"a key without a character answers as the button under the pointer",
         [this](int32_t frame) {
             game.MovePointer(kRightButtonX, kRightButtonY);
             if (frame == 3) game.PressKey(VK_RIGHT);
         },
         1, 4},
        {"a typed character leaves the frame current and answers nothing",
         [this](int32_t frame) {
             game.MovePointer(kRightButtonX, kRightButtonY);
             if (frame == 3) game.TypeChar('y');
             if (frame == 8) game.TypeChar(27);
         },
         0, 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int32_t answer = Show(1, c.input);
        game.SetButton(VK_LBUTTON, false);
        game.SetButton(kCloseKey, false);
        game.ReleaseKey(VK_RIGHT);
        EXPECT_EQ(answer, c.answer);
        EXPECT_GE(parent->steps, c.minFrames);
    }
}

TEST_F(MessageBoxTest, TheBoxIsDrawnAtItsPlaceInFrontOfItsParent) {
    const uint16_t edge = game.Colours().Colour(5);
    ASSERT_NE(edge, 0);
    Show(1, [&](int32_t frame) {
        if (frame == 3) game.TypeChar(27);
    });
    EXPECT_GE(parent->draws, 1);
    EXPECT_FALSE(parent->ChildOpen());
    // The background's edge on the box's left and top edges; nothing outside the box.
    EXPECT_EQ(Pixel(kBoxX, kBoxY + 50), edge);
    EXPECT_EQ(Pixel(kBoxX + 100, kBoxY), edge);
    EXPECT_EQ(Pixel(kBoxX - 1, kBoxY + 50), 0);
    EXPECT_EQ(Pixel(kBoxX + 100, kBoxY - 1), 0);
}

// A picture wider than the screen makes the box as wide as the screen, from its left edge, with the
// buttons still inside it.
TEST_F(MessageBoxTest, ABoxWiderThanTheScreenIsHeldToTheScreen) {
    const std::unique_ptr<Image> wide = ReadBlockObject<Image>(PictureBlock({FrameBlock(
        {.width = 700, .height = 1, .bitsPerPixel = 16, .pixels = std::vector<uint16_t>(700, 1)})}));
    const uint16_t edge = game.Colours().Colour(5);
    parent = std::make_unique<ScriptedParent>(&game.Cpu(), &game.Screen(), nullptr);
    parent->onStep = [&](int32_t frame) {
        game.MovePointer(640 - 20 - 2, kRightButtonY);
        game.SetButton(VK_LBUTTON, frame == 2);
    };
    const int32_t answer = MessageBox(game.Cpu(), &device, parent.get(), String("Hi"), 1, wide.get(), 0);
    game.SetButton(VK_LBUTTON, false);
    EXPECT_EQ(answer, 1);
    EXPECT_EQ(Pixel(0, kBoxY + 50), edge);
    EXPECT_EQ(Pixel(320, kBoxY - 1), 0);
}

TEST_F(MessageBoxTest, WithoutAnInputDeviceThereIsNoBox) {
    EXPECT_THROW(MessageBox(game.Cpu(), nullptr, nullptr, String("x"), 1, nullptr, 0), FatalExep);
}

using WindowFrameTest = DialogFixture;

TEST_F(WindowFrameTest, BuildsTheFrameItsButtonsAndItsCloser) {
    auto window = NewWindow();
    window->BuildFrame(300, 200, 3);
    ASSERT_EQ(window->ControlCount(), 5u);
    const int32_t ids[] = {40, 41, 42, 43, 44};
    for (uint32_t i = 0; i < 5; ++i) EXPECT_EQ(window->ControlAt(i)->Id(), ids[i]);
    ControlObject& frame = *window->ControlAt(0);
    EXPECT_EQ(frame.AbsoluteX(), (640 - 300) / 2);
    EXPECT_EQ(frame.AbsoluteY(), (480 - 200) / 2);
    EXPECT_EQ(window->ControlAt(1)->Parent(), &frame);
    ControlObject& cancel = *window->ControlAt(2);
    ControlObject& ok = *window->ControlAt(3);
    EXPECT_EQ(cancel.Parent(), &frame);
    EXPECT_EQ(cancel.Int(kVisualX), 280);
    EXPECT_EQ(cancel.Int(kVisualY), 190);
    EXPECT_EQ(ok.Int(kVisualX), 280 - 20 - cancel.Width());
    auto* closer = dynamic_cast<CloseWindowControlObject*>(window->ControlAt(4));
    ASSERT_NE(closer, nullptr);
    EXPECT_EQ(closer->Opener(), &frame);

    auto single = NewWindow();
    single->BuildFrame(100, 100, 1);
    ASSERT_EQ(single->ControlCount(), 4u);
    EXPECT_EQ(single->ControlAt(2)->Id(), kFrameOkId);
    EXPECT_EQ(single->ControlAt(2)->Int(kVisualX), 80);
}

TEST_F(WindowFrameTest, ScriptSizesAtTheEndsOfTheRangeGivePositionsInRange) {
    constexpr int32_t kMin = INT32_MIN;
    constexpr int32_t kMax = INT32_MAX;
    struct Case {
        int32_t width, height, frameX, frameY, cancelX, cancelY;
    };
    const Case cases[] = {{kMin, 100, 1073742144, 190, kMin, 90},
                          {kMax, kMin, -1073741503, 1073742064, kMax - 20, kMin},
                          {0, 0, 320, 240, -20, -10}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        auto window = NewWindow();
        window->BuildFrame(c.width, c.height, 3);
        ControlObject& frame = *window->ControlAt(0);
        EXPECT_EQ(frame.Int(kVisualX), c.frameX);
        EXPECT_EQ(frame.Int(kVisualY), c.frameY);
        ControlObject& cancel = *window->ControlAt(2);
        EXPECT_EQ(cancel.Int(kVisualX), c.cancelX);
        EXPECT_EQ(cancel.Int(kVisualY), c.cancelY);
        EXPECT_EQ(window->ControlAt(3)->Int(kVisualX),
                  std::max<int64_t>(kMin, int64_t{c.cancelX} - 20 - cancel.Width()));
    }
}

TEST_F(WindowFrameTest, TheFrameCallbackAnswers) {
    struct Case {
        int32_t event, p2, result;
    };
    const Case cases[] = {{kEventPrimary, kFrameOkId, 1},
                          {kEventPrimary, kFrameCancelId, 0},
                          {kEventClose, 0, 0},
                          {kEventPrimary, 7, kNoResult},
                          {kEventKey, kFrameOkId, kNoResult}};
    for (const Case& c : cases) {
        DialogWindow window(&game.Cpu(), &game.Screen(), nullptr);
        window.SetResult(kNoResult);
        DialogWindow::FrameCallback(window, c.event, 0, c.p2);
        EXPECT_EQ(window.Result(), c.result) << c.event << " " << c.p2;
    }
}

TEST_F(WindowFrameTest, ClickingOkInARunningFrameAnswers1) {
    auto window = NewWindow();
    window->BuildFrame(300, 200, 3);
    window->SetCallback(DialogWindow::FrameCallback);
    ControlObject& ok = *window->FindControl(kFrameOkId);
    // Right- and bottom-aligned: the button lies left of and above its position.
    const int32_t x = ok.AbsoluteX() - 2;
    const int32_t y = ok.AbsoluteY() - 2;
    int frame = 0;
    auto parent = std::make_unique<ScriptedParent>(&game.Cpu(), &game.Screen(), nullptr);
    parent->onStep = [&](int32_t) {
        game.MovePointer(x, y);
        game.SetButton(VK_LBUTTON, ++frame == 2);
    };
    window->SetParent(parent.get());
    EXPECT_EQ(Run(*window), 1);
    game.SetButton(VK_LBUTTON, false);
}

}  // namespace
