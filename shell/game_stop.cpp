#include "shell/game_stop.h"

#include "platform/app.h"
#include "shell/frame_timer.h"
#include "shell/game_globals.h"

bool GameStopRequested() {
    App* app = Game().services.app;
    return app != nullptr && app->QuitRequested();
}

void CheckGameStop() {
    if (GameStopRequested()) throw StopRequested{};
}

void GameFrameWait() {
    CheckGameStop();
    FrameWait();
    CheckGameStop();
}
