#include "campaign/campaign_natives.h"

#include "campaign/flight_loop.h"
#include "campaign/game_manager.h"
#include "script/native_binder.h"

void RegisterCampaignNatives() {
    GameManager::SetMethodHandler(4, FlightLoopNative);
    RegisterNativeBinder("GameManager", GameManager::Bind);
    GameManager::InstallTimeLookup();
}
