#include "campaign/campaign_natives.h"

#include "campaign/game_manager.h"
#include "campaign/help_system.h"
#include "campaign/in_game_menu.h"
#include "script/native_binder.h"

void RegisterCampaignNatives() {
    RegisterNativeBinder("GameManager", GameManager::Bind);
    GameManager::InstallTimeLookup();
    GameManager::SetMethodHandler(5, OpenGameMenuNative);
    RegisterNativeBinder("HelpSystem", HelpSystem::Bind);
    HelpSystem::InstallHelpRequest();
}
