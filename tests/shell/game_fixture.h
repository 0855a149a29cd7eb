// A game folder in a temporary directory, made the working folder for the test, with headless
// platform, clock and sound, and the log read back line by line.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/headless/headless_audio.h"
#include "platform/headless/headless_platform.h"
#include "platform/headless/headless_timer.h"
#include "shell/game_globals.h"
#include "tests/support/startup_archive.h"
#include "tests/support/temp_dir.h"

class GameFixture : public ::testing::Test {
  protected:
    GameFixture();
    ~GameFixture() override;

    void WriteArchive(const StartupArchiveOptions& options = {});
    // Fresh platform and sound for another run of the program.
    void NewPlatform();
    ShellServices Services();
    // The program on the current platform.
    int Run(const char* commandLine = "");
    // Start-up alone, on this thread.
    void Startup();

    // The text of every line of "vondrel.log"; each line is checked against the log line format.
    std::vector<std::string> LogTexts();

    HeadlessApp& App() { return platform->GetApp(); }
    HeadlessVideo& Video() { return platform->GetVideo(); }

    TempDir dir;
    std::unique_ptr<HeadlessPlatform> platform;
    std::unique_ptr<HeadlessAudio> audio;
    HeadlessTimer timer;

  private:
    std::filesystem::path previous_;
};
