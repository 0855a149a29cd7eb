// The settings windows of weapons and guides, run over a calling window as the shop runs them: the
// calling window is stepped by each iteration of the panel, which is where the test clicks.
#include "world/settings_panel.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "graphics/font.h"
#include "graphics/text_layout.h"
#include "platform/key_table.h"
#include "shell/input_device.h"
#include "tests/support/error_message.h"
#include "tests/support/game_harness.h"
#include "ui/dialog_window.h"
#include "ui/window_services.h"
#include "world/guides.h"
#include "world/weapon.h"

namespace {

uint32_t W(int32_t v) {
    return static_cast<uint32_t>(v);
}

// The shop window scripts name by any value here.
DialogWindow* shopWindow = nullptr;
DialogWindow* FindShop(uint32_t) {
    return shopWindow;
}

class Shop : public DialogWindow {
  public:
    using DialogWindow::DialogWindow;
    void Step(int32_t) override {
        if (onStep) onStep(++steps);
    }
    std::function<void(int)> onStep;
    int steps = 0;
};

// The panel's frame is 400 x 100, centred on the 640 x 480 screen.
constexpr int32_t kPanelX = 120;
constexpr int32_t kPanelY = 190;

class SettingsPanelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        game.AddMessages(
            "system.mes",
            {{117, "Yes"}, {119, "No"}, {177, "Rate"}, {360, "Turn"}, {361, "Spread"}, {362, "Lock"}});
        game.AddPicture("Misc\\Slider.dpf", {.width = 10, .height = 10});
        game.Start();
        device.Actions().SetCodes(
            {W(VK_LEFT), W(VK_RIGHT), W(VK_UP), W(VK_DOWN), W(VK_SPACE), W(VK_TAB), W(VK_END)});
        device.SetMouseEnabled(true);
        SetCallingWindowLookup(FindShop);
    }
    void TearDown() override {
        SetCallingWindowLookup(nullptr);
        shopWindow = nullptr;
    }

    // Runs the item's settings (virtual method 14) from inside the shop's loop; clicks: the points
    // pressed one after another, each held for one step.
    void OpenSettings(ScriptObject* item, const std::vector<std::pair<int32_t, int32_t>>& clicks) {
        Shop shop(&game.Cpu(), &game.Screen(), EngineCursor(game.Cpu()));
        shopWindow = &shop;
        shop.onStep = [&](int step) {
            const size_t click = static_cast<size_t>(step - 1) / 2;
            if (click >= clicks.size()) return;
            game.MovePointer(clicks[click].first, clicks[click].second);
            game.SetButton(VK_LBUTTON, step % 2 == 1);
        };
        shop.SetCallback([&](DialogWindow& w, int32_t event, int32_t, int32_t) {
            if (event != kEventStart) return;
            game.CallVirtual(item, kItemSettingsVirtual, {1});
            w.SetResult(0);
        });
        shop.Run(device);
        game.SetButton(VK_LBUTTON, false);
    }
    // Inside the frame's OK button, which lies left of the cancel button at the bottom right.
    std::pair<int32_t, int32_t> Ok() {
        const int32_t cancelWidth = TextWidth(*game.FontNamed("TextButton"), "No");
        return {kPanelX + 380 - 20 - cancelWidth - 2, kPanelY + 88};
    }
    std::pair<int32_t, int32_t> Cancel() { return {kPanelX + 378, kPanelY + 88}; }
    std::pair<int32_t, int32_t> CheckButton() { return {kPanelX + 12, kPanelY + 12}; }

    GameHarness game;
    InputDevice device;
    std::vector<GameObject> made;
};

// Confirming writes the slider's value back: whole hundreds for guides, so what the panel cannot
// show is cut off; cancelling changes nothing.
TEST_F(SettingsPanelTest, SliderPanelsWriteTheirValueBackWhenConfirmed) {
    struct Case {
        const char* cls;
        std::vector<uint32_t> pushed;  // creation values in push order
        uint32_t field;
        int32_t start;
        bool confirm;
        int32_t after;
    };
    // Guides pop: class, picture, consumption, value F, base value, rate or spread.
    const std::vector<uint32_t> guide = {250, 0, 0, 0, 0};
    // A weapon of default interval 250.
    const std::vector<uint32_t> weapon = {0, 0, 0, 0, 0, 0, 0, 250, 0, 0, 0, W(-100), 0, 0, 0, 0};
    std::vector<uint32_t> big = weapon;
    big[7] = 2147483647;
    const Case cases[] = {
        {"CircleGuide", guide, kGuideB, 250, true, 200},
        {"CircleGuide", guide, kGuideB, -180, true, -100},
        {"CircleGuide", guide, kGuideB, 250, false, 250},
        {"AngleGuide", guide, kGuideA, 199, true, 100},
        {"AngleGuide", guide, kGuideA, 199, false, 199},
        {"Weapon", weapon, kWeaponInterval, 270, true, 270},
        {"Weapon", weapon, kWeaponInterval, 900, true, 300},
        {"Weapon", weapon, kWeaponInterval, 900, false, 900},
        // The largest default interval: the next hundred would not fit in 32 bits.
        {"Weapon", big, kWeaponInterval, 5, true, 2147483647},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.cls) + " " + std::to_string(c.start));
        made.push_back(game.New(c.cls, c.pushed));
        auto& item = dynamic_cast<OptionObject&>(*made.back());
        item.SetInt(c.field, c.start);
        EXPECT_EQ(ErrorMessage([&] { OpenSettings(&item, {c.confirm ? Ok() : Cancel()}); }), "no error");
        EXPECT_EQ(item.Int(c.field), c.after);
    }
}

TEST_F(SettingsPanelTest, TheSelfGuidedPanelSetsTheLock) {
    const struct {
        int32_t locked;
        bool toggle;
        bool confirm;
        int32_t after;
    } cases[] = {{0, true, true, 1}, {1, true, true, 0}, {0, false, true, 0}, {0, true, false, 0}};
    for (const auto& c : cases) {
        made.push_back(game.New("SelfGuidedGuide", {100, 0, 0, 0, 0}));
        auto& guide = GuideObject::Of(made.back().get());
        guide.SetInt(kGuideC, c.locked);
        std::vector<std::pair<int32_t, int32_t>> clicks;
        if (c.toggle) clicks.push_back(CheckButton());
        clicks.push_back(c.confirm ? Ok() : Cancel());
        OpenSettings(&guide, clicks);
        EXPECT_EQ(guide.Int(kGuideC), c.after);
    }
}

TEST_F(SettingsPanelTest, WithoutACallingWindowTheSettingsFail) {
    made.push_back(game.New("CircleGuide", {100, 0, 0, 0, 0}));
    EXPECT_ANY_THROW(game.CallVirtual(made.back().get(), kItemSettingsVirtual, {1}));
}

}  // namespace
