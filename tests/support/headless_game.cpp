#include "tests/support/headless_game.h"

#include "campaign/screen_hooks.h"
#include "foundation/trace_flag.h"
#include "shell/game_hooks.h"
#include "shell/game_shutdown.h"
#include "shell/game_startup.h"
#include "shell/input_device.h"
#include "shell/input_queue.h"
#include "world/ship.h"

namespace {

// The key device outlives every start: what one test left held, moved or turned must not reach the
// next.
void ReleaseGameKeys() {
    InputDevice& keys = GameKeys();
    keys.ResetActions();
    keys.MouseButtons().ResetActions();
    keys.SetMousePosition(0, 0);
    keys.SetWheel(0);
}

}  // namespace

HeadlessGame::HeadlessGame() : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(dir.Absolute());
    NewPlatform();
    ReleaseGameKeys();
    KeyQueue().Drain();
    CharQueue().Drain();
}

HeadlessGame::~HeadlessGame() {
    GameShutdown();
    Game() = GameGlobals{};
    Hooks() = GameHooks{};
    Screens() = ScreenHooks{};
    ShipSlotWindowHook() = nullptr;
    SetTraceFlag(false);
    ReleaseGameKeys();
    KeyQueue().Drain();
    CharQueue().Drain();
    std::filesystem::current_path(previous_);
}

void HeadlessGame::WriteArchive(const StartupArchiveOptions& options) {
    dir.Write("main.FD", StartupArchive(options));
}

void HeadlessGame::NewPlatform() {
    platform = std::make_unique<HeadlessPlatform>();
    audio = std::make_unique<HeadlessAudio>();
}

ShellServices HeadlessGame::Services() {
    return {&platform->GetApp(), &platform->GetVideo(), &platform->GetInput(), &timer, audio.get()};
}

void HeadlessGame::Startup() {
    Game().services = Services();
    GameStartup();
}
