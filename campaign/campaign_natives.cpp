#include "campaign/campaign_natives.h"

#include "campaign/game_manager.h"
#include "campaign/load_and_fly.h"
#include "script/native_binder.h"

void RegisterCampaignNatives() {
    RegisterNativeBinder("GameManager", GameManager::Bind);
    RegisterLoadAndFlyNatives();
    GameManager::InstallTimeLookup();
}
