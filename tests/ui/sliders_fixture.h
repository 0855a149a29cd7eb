// The game started headless with the pictures the slider, container and star-field controls load,
// the window's answers to controls recorded (hint texts and posted messages; the primary button held
// as the test says), and the screen surface locked for drawing.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "graphics/display.h"
#include "graphics/screen_surface.h"
#include "tests/support/game_harness.h"
#include "ui/control.h"
#include "ui/window_requests.h"

class SlidersFixture : public ::testing::Test {
  protected:
    // The knob and the arrows are 10x10; the star picture has kStarKinds entries of 1x1.
    static constexpr uint32_t kArrowSize = 10;
    static constexpr uint32_t kStarKinds = 3;

    // content adds to the game's archive before it starts.
    explicit SlidersFixture(const std::function<void(GameHarness&)>& content = nullptr) {
        game.AddPicture("Misc\\Slider.dpf", {.width = 10, .height = 10});
        game.AddPicture("Misc\\Up.dpf", {.width = kArrowSize, .height = kArrowSize});
        game.AddPicture("Misc\\Down.dpf", {.width = kArrowSize, .height = kArrowSize});
        game.AddPicture("Misc\\Stars.dpf", {.entries = kStarKinds, .width = 1, .height = 1});
        if (content) content(game);
        game.Start();
        WindowRequests& hooks = WindowRequestHooks();
        hooks.primaryHeld = [this](uint32_t) { return held; };
        hooks.setHint = [this](uint32_t, std::string_view text) { hints.emplace_back(text); };
        hooks.postMessage = [this](uint32_t dialog, int32_t code, int32_t p1, int32_t p2) {
            posted.push_back({static_cast<int32_t>(dialog), code, p1, p2});
        };
    }
    ~SlidersFixture() override { WindowRequestHooks() = {}; }

    // Calls with arguments in the order the callee pops them.
    static std::vector<uint32_t> Pushed(std::vector<uint32_t> popped) {
        return {popped.rbegin(), popped.rend()};
    }
    GameObject New(const std::string& className, const std::vector<uint32_t>& popped = {}) {
        return game.New(className, Pushed(popped));
    }
    std::vector<uint32_t> CallMethod(ScriptObject* object, uint32_t number,
                                     const std::vector<uint32_t>& popped = {}) {
        return game.CallMethod(object, number, Pushed(popped));
    }
    std::vector<uint32_t> CallVirtual(ScriptObject* object, uint32_t number,
                                      const std::vector<uint32_t>& popped = {}) {
        return game.CallVirtual(object, number, Pushed(popped));
    }

    ControlObject& Control(const GameObject& object) {
        return *ControlObject::FromAddress(object->Address(), "control");
    }
    int32_t Input(const GameObject& control, int32_t kind, int32_t a, int32_t b, uint32_t dialog = 77) {
        return static_cast<int32_t>(CallVirtual(control.get(), kInputEventVirtual,
                                                {dialog, static_cast<uint32_t>(kind),
                                                 static_cast<uint32_t>(a), static_cast<uint32_t>(b)})
                                        .at(0));
    }
    // Locks and clears the screen for drawing.
    ScreenBuffer& Canvas() {
        game.Screen().LockSurface();
        game.Screen().Surface()->Fill(0);
        return game.Buffer();
    }
    uint32_t Pixel(int32_t x, int32_t y) {
        const uint8_t* p = game.Screen().Surface()->PixelAddress(x, y);
        return static_cast<uint32_t>(p[0] | (p[1] << 8));
    }

    GameHarness game;
    bool held = false;
    std::vector<std::string> hints;
    std::vector<std::array<int32_t, 4>> posted;  // dialog, code, p1, p2
};
