#include "campaign/autosave.h"

#include "campaign/save_game.h"
#include "campaign/scene_reset.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "shell/game_ids.h"

namespace {

int demoFlights = 0;

bool HasPlayers(Processor& processor) {
    auto* list = processor.Objects().ListAt(kPlayerListId);
    return list != nullptr && list->ObjectList().Count() > 0;
}

}  // namespace

String AutoSaveFileName() {
    return SaveFileName(kAutoSaveStem);
}

void AutoSave(Processor& processor) {
    if (DemoFlightRunning() || !HasPlayers(processor)) return;
    SaveHeader header;
    header.Fill(CurrentGameTexts(processor, kAutoSaveStem, kAutoSaveTitle));
    WritePlayersConfig(processor, header, AutoSaveFileName());
}

DemoFlightGuard::DemoFlightGuard() {
    ++demoFlights;
}

DemoFlightGuard::~DemoFlightGuard() {
    --demoFlights;
}

bool DemoFlightRunning() {
    return demoFlights > 0;
}
