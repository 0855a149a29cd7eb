#include "campaign/campaign_natives.h"

#include "campaign/flight_loop.h"
#include "campaign/game_manager.h"
#include "campaign/load_and_fly.h"
#include "script/native_binder.h"

void RegisterCampaignNatives() {
    GameManager::SetMethodHandler(4, FlightLoopNative);
    RegisterNativeBinder("GameManager", GameManager::Bind);
    RegisterLoadAndFlyNatives();
    GameManager::InstallTimeLookup();
}
