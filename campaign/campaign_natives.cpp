#include "campaign/campaign_natives.h"

#include "campaign/game_manager.h"
#include "script/native_binder.h"

void RegisterCampaignNatives() {
    RegisterNativeBinder("GameManager", GameManager::Bind);
    GameManager::InstallTimeLookup();
}
