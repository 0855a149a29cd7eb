// A started game with what the save screens and the in-game menu need: their pictures, fonts and
// texts, one player with a pointer-driven device, and clicks placed on the manual clock.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "tests/support/game_harness.h"

class InputDevice;
class PlayerObject;

class MenuScreensTest : public ::testing::Test {
  protected:
    MenuScreensTest();
    ~MenuScreensTest() override;

    // A press and release of the first button at (x, y) at the time given.
    void ClickAt(uint32_t time, int32_t x, int32_t y);
    // Characters typed at the time given.
    void TypeAt(uint32_t time, const std::string& text);
    InputDevice& Device();

    // Row k of a list screen, its OK and cancel buttons; the answers of a yes/no question.
    static int32_t RowX() { return 597; }
    static int32_t RowY(int k) { return 97 + 30 * k; }
    static constexpr int32_t kOkX = 617, kButtonY = 467, kCancelX = 587;
    static constexpr int32_t kYesX = 367, kNoX = 397, kAnswerY = 267;

    GameHarness game;
    PlayerObject* pilot = nullptr;
};
