// The game program. The game folder is the working folder: "main.FD", the settings files and
// "vondrel.log" are found there. It needs a display; VONDREL_HEADLESS=1 runs it without a window
// and without sound.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "platform/headless/headless_audio.h"
#include "platform/quit_signals.h"
#include "platform/sdl/sdl_audio.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/system_timer.h"
#include "screens/screens_install.h"
#include "shell/game_hooks.h"
#include "shell/win_main.h"

namespace {

bool HeadlessRequested() {
    const char* value = std::getenv("VONDREL_HEADLESS");
    return value != nullptr && std::strcmp(value, "1") == 0;
}

}  // namespace

int main(int argc, char** argv) {
    const bool headless = HeadlessRequested();
    std::string reason;
    std::unique_ptr<Platform> platform =
        CreatePlatform(headless ? PlatformKind::Headless : PlatformKind::Sdl, "Vondrel", &reason);
    if (platform && !headless && !platform->HasDisplay()) {
        reason = "no window can be shown";
        platform.reset();
    }
    if (!platform) {
        std::fprintf(stderr,
                     "Vondrel: no display available (%s).\n"
                     "Set VONDREL_HEADLESS=1 to run without a window.\n",
                     reason.c_str());
        return 2;
    }
    // SDL turns SIGINT and SIGTERM into closing the window; without one they ask for quit the same way.
    std::optional<QuitOnSignals> signals;
    if (headless) signals.emplace(platform->GetApp());
    InstallScreens();
    SystemTimer timer;
    std::unique_ptr<Audio> audio;
    if (headless) {
        audio = std::make_unique<HeadlessAudio>(false);
    } else {
        audio = std::make_unique<SdlAudio>();
    }
    const ShellServices services{&platform->GetApp(), &platform->GetVideo(), &platform->GetInput(), &timer,
                                 audio.get()};
    // Only the first character of the first argument counts.
    const int code = WinMain(services, argc > 1 ? argv[1] : "");
    if (code != 0 && headless) std::fprintf(stderr, "Vondrel: ended with an error; see vondrel.log\n");
    return code;
}
