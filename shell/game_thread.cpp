#include "shell/game_thread.h"

#include "foundation/exceptions.h"
#include "foundation/log_writer.h"
#include "foundation/trace_flag.h"
#include "platform/app.h"
#include "script/object_lifetime.h"
#include "shell/error_report.h"
#include "shell/game_globals.h"
#include "shell/game_hooks.h"
#include "shell/test_run.h"
#include "shell/win_main.h"

namespace {

void RunTestRun(TestRunKind kind) {
    GameGlobals& game = Game();
    if (game.processor == nullptr || !game.display)
        throw FatalExep(String("Test run without a started game"));
    RunTestLevel(kind, *game.processor, *game.display, Hooks().testRunWorld.get());
}

void RunPath(int32_t startMode) {
    // The game's own code keeps what it works on across the scripts it runs; its loops give back
    // the memory of what they destroy.
    const ReleaseHold hold;
    switch (startMode) {
        case kStartNormal:
            if (Hooks().mainScreen) Hooks().mainScreen();
            break;
        case kStartTestRunA:
            RunTestRun(TestRunKind::A);
            break;
        case kStartTestRunB:
            RunTestRun(TestRunKind::B);
            break;
        case kStartPlayerSetup:
            if (Hooks().newGameSetup) Hooks().newGameSetup();
            break;
        default:
            break;
    }
}

}  // namespace

int GameThread() {
    GameGlobals& game = Game();
    App& app = *game.services.app;
    try {
        WithMemoryError("the game", [&] { RunPath(game.startMode); });
        app.PostQuit(0);
    } catch (const StopRequested&) {
        // Quit was asked for already; the thread only had to get out of the way.
    } catch (const DExep& error) {
        WriteLog(kLogFile, error.message.Text());
        RestoreScreen();
        ErrorDialog(error, game.processor, app);
        // Scripts and CI that start the program must see the failure.
        app.PostQuit(kErrorExit);
    } catch (...) {
        WriteLog(kLogFile, "Not Dorn exception!");
        RestoreScreen();
        ErrorDialog(FatalExep(String("UnknownException")), game.processor, app);
        if (TraceFlag()) throw;
        app.PostQuit(kErrorExit);
    }
    return 1;
}
