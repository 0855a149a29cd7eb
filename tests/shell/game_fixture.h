// A game folder in a temporary directory, made the working folder for the test, with headless
// platform, clock and sound (tests/support/headless_game.h), and the log read back line by line.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/headless_game.h"

class GameFixture : public ::testing::Test, public HeadlessGame {
  protected:
    // The program on the current platform.
    int Run(const char* commandLine = "");

    // The text of every line of "vondrel.log"; each line is checked against the log line format.
    std::vector<std::string> LogTexts();
};
