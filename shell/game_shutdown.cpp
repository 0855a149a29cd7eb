#include "shell/game_shutdown.h"

#include "script/object_manager.h"
#include "script/processor.h"
#include "shell/frame_timer.h"
#include "shell/game_globals.h"
#include "shell/game_ids.h"
#include "shell/input_device.h"
#include "shell/key_name.h"
#include "shell/sound_system.h"

namespace {

// The galaxy cursor picture belongs to the picture cache: its list lets go of it without
// destroying it, before the tables are torn down.
void ForgetGalaxyCursor(Processor& processor) {
    auto* list = processor.Objects().ListAt(kGalaxyCursorListId);
    if (list == nullptr) return;
    if (ScriptObject* cursor = list->GetObject(0)) list->Forget(cursor);
}

}  // namespace

void GameShutdown() {
    GameGlobals& game = Game();
    // The sound system itself goes with the class table; its thread must end before the sounds do.
    if (game.soundSystem != nullptr) game.soundSystem->StopThread();
    game.soundSystem = nullptr;
    if (game.processor != nullptr) {
        SetKeyNameSource(nullptr);
        ForgetGalaxyCursor(*game.processor);
        delete game.processor;
    }
    game.processor = nullptr;
    game.archive.reset();
    game.archiveReader.reset();
    game.display.reset();
    if (game.directDraw) game.directDraw->Release();
    game.directDraw.reset();
    StopFrameTimer();
    SetInputServices({});
}
