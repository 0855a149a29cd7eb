#include "shell/win_main.h"

#include <exception>

#include "foundation/exceptions.h"
#include "foundation/log_writer.h"
#include "platform/app.h"
#include "shell/command_line.h"
#include "shell/error_report.h"
#include "shell/game_shutdown.h"
#include "shell/game_startup.h"
#include "shell/game_thread.h"
#include "shell/input_queue.h"
#include "shell/window_procedure.h"

namespace {

// Asks the game thread to stop and waits for it, serving its calls meanwhile; what escaped it is
// given back.
std::exception_ptr JoinGame(App& app) {
    app.PostQuit(0);
    try {
        app.JoinGameThread();
    } catch (...) {
        return std::current_exception();
    }
    return nullptr;
}

// The services are the caller's: they are forgotten on every way out.
struct ServicesInUse {
    explicit ServicesInUse(const ShellServices& services) { Game().services = services; }
    ~ServicesInUse() { Game().services = {}; }
    ServicesInUse(const ServicesInUse&) = delete;
    ServicesInUse& operator=(const ServicesInUse&) = delete;
};

int RunGame(App& app, const char* commandLine) {
    ApplyCommandLine(commandLine);
    ConnectWindowProcedure(app, KeyQueue(), CharQueue());
    GameStartup();
    app.StartGameThread([&app] {
        try {
            GameThread();
        } catch (...) {
            // Thrown on out of the thread: the main loop must end for it to be passed on.
            app.PostQuit(0);
            throw;
        }
    });
    app.ShowCursor(false);
    return app.RunMainLoop();
}

}  // namespace

int WinMain(const ShellServices& services, const char* commandLine) {
    const ServicesInUse inUse(services);
    App& app = *services.app;
    int code = 0;
    try {
        code = WithMemoryError("the game", [&] { return RunGame(app, commandLine); });
    } catch (const DExep& error) {
        RestoreScreen();
        if (Game().processor != nullptr) ErrorDialog(error, Game().processor, app);
        JoinGame(app);
        GameShutdown();
        WriteLog(kLogFile, error.message.Text());
        ShowError(error.message, String("Error"), app);
        code = kErrorExit;
    } catch (...) {
        WriteLog(kLogFile, "Not Dorn exception\n");
        RestoreScreen();
        JoinGame(app);
        GameShutdown();
        throw;
    }
    const std::exception_ptr escaped = JoinGame(app);
    GameShutdown();
    if (escaped) std::rethrow_exception(escaped);
    return code;
}
