#include "campaign/load_and_fly.h"

#include "campaign/autosave.h"
#include "campaign/demo_playback.h"
#include "campaign/flight_loop.h"
#include "campaign/game_manager.h"
#include "campaign/player_files.h"
#include "campaign/screen_hooks.h"
#include "foundation/exceptions.h"
#include "foundation/random.h"
#include "script/native_args.h"
#include "script/processor.h"
#include "script/zema_class.h"
#include "world/player.h"
#include "world/player_config.h"
#include "world/running_processor.h"

namespace {

Processor& ProcessorOf(ScriptObject* receiver) {
    GameManagerObject::Of(receiver);
    return RunningProcessor(receiver, "The GameManager runs");
}

}  // namespace

void LoadAndFly(Processor& processor, ScriptObject& gameManager) {
    NativeArgs args(processor);
    const String playerFile = args.TextCopy();
    const uint32_t levelClass = args.Word();
    const String demoFile = args.TextCopy();

    DemoPlayback demo(processor, demoFile);
    // The demo's pilots never overwrite the player's own autosave.
    const DemoFlightGuard noAutoSave;
    ShowLoadingScreen(processor, 0);
    const std::vector<std::unique_ptr<PlayerConfig>> configs = ReadPlayerFile(processor, playerFile, 0);
    for (PlayerObject* player : ReplacePlayers(processor, configs)) demo.Attach(*player);

    // The recorded input replays the same flight only from the same random numbers.
    SeedRandom(0);
    processor.DataStack().Push(levelClass);
    FlightLoop(processor, gameManager);
    processor.DataStack().Pop();
}

void ShowStoryNative(ScriptObject* receiver) {
    Processor& processor = ProcessorOf(receiver);
    NativeArgs args(receiver);
    const String text = args.TextCopy();
    ShowStoryScreen(processor, text.View(), 0);
}

void ShowStoryWithFlagNative(ScriptObject* receiver) {
    Processor& processor = ProcessorOf(receiver);
    NativeArgs args(receiver);
    const uint32_t flags = args.Word();
    const String text = args.TextCopy();
    ShowStoryScreen(processor, text.View(), flags);
}

void LoadAndFlyNative(ScriptObject* receiver) {
    Processor& processor = ProcessorOf(receiver);
    // A script may fly demo after demo: what the rounds before made and destroyed (their players
    // among it) is given back as each begins.
    processor.ReleaseBetweenCalls(receiver);
    LoadAndFly(processor, GameManagerObject::Of(receiver));
}

void RegisterLoadAndFlyNatives() {
    GameManager::SetMethodHandler(9, ShowStoryNative);
    GameManager::SetMethodHandler(10, ShowStoryWithFlagNative);
    GameManager::SetMethodHandler(12, LoadAndFlyNative);
}
