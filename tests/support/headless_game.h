// A game folder in a temporary directory, made the working folder for the object's life, with the
// headless platform, a manual clock and recording sound output. Start-up runs over it on the calling
// thread; when the object goes the game is shut down and the working folder, the game's globals,
// its hooks, the trace flag and the input queues are as they were before.
#pragma once

#include <filesystem>
#include <memory>

#include "platform/headless/headless_audio.h"
#include "platform/headless/headless_platform.h"
#include "platform/headless/headless_timer.h"
#include "shell/game_globals.h"
#include "tests/support/temp_dir.h"
#include "tools/content/startup_archive.h"

class HeadlessGame {
  public:
    HeadlessGame();
    ~HeadlessGame();
    HeadlessGame(const HeadlessGame&) = delete;
    HeadlessGame& operator=(const HeadlessGame&) = delete;

    // "main.FD" of the game folder.
    void WriteArchive(const StartupArchiveOptions& options = {});
    // Fresh platform and sound for another run of the program.
    void NewPlatform();
    ShellServices Services();
    // Start-up alone, on this thread.
    void Startup();

    HeadlessApp& App() { return platform->GetApp(); }
    HeadlessVideo& Video() { return platform->GetVideo(); }
    HeadlessInput& Input() { return platform->GetInput(); }

    TempDir dir;
    std::unique_ptr<HeadlessPlatform> platform;
    std::unique_ptr<HeadlessAudio> audio;
    HeadlessTimer timer;

  private:
    std::filesystem::path previous_;
};
