// A started game with what the settings screens need (their pictures and texts, a 16-bit 565
// DirectDraw screen in a window), a pointer-driven device to run them with, input placed on the
// manual clock, and the places of their controls.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

#include "shell/input_device.h"
#include "tests/support/game_harness.h"

class DialogWindow;

struct ScreenPoint {
    int32_t x = -1;
    int32_t y = -1;
};

class SettingsScreensTest : public ::testing::Test {
  protected:
    SettingsScreensTest();

    // Starts the game; tests change the archive first.
    void Start();
    // A press and release of the first button at the point at the time given.
    void ClickAt(uint32_t time, ScreenPoint point);
    // Clicks 400 ms apart from now on; the time of the last.
    uint32_t Clicks(const std::vector<ScreenPoint>& points);
    // The key goes down and up at the time given; pressed is set when it did.
    void KeyAt(uint32_t time, int32_t key, bool* pressed = nullptr);
    // The middle of the control with the id in a window that build lays out; (-1, -1) when there
    // is none.
    ScreenPoint Where(const std::function<void(DialogWindow&)>& build, int32_t id);
    // The plain bytes of a file in the game folder (unpacked when it is packed), "" when there is
    // none.
    std::string FileBytes(const std::string& name) const;
    bool FilePacked(const std::string& name) const;

    GameHarness game;
    InputDevice device;
};
