#include "campaign/campaign_natives.h"

#include "campaign/galaxy.h"
#include "campaign/game_manager.h"
#include "campaign/help_system.h"
#include "campaign/in_game_menu.h"
#include "campaign/planet.h"
#include "campaign/star_system_window.h"
#include "campaign/star_systems.h"
#include "script/native_binder.h"

void RegisterCampaignNatives() {
    RegisterNativeBinder("GameManager", GameManager::Bind);
    GameManager::InstallTimeLookup();
    RegisterNativeBinder("StarSystem", StarSystem::Bind);
    RegisterNativeBinder("StarSystemZoomed", StarSystemZoomed::Bind);
    GameManager::SetMethodHandler(6, LoadStarSystemsMethod);
    InstallGalaxyHooks();
    RegisterNativeBinder("Planet", Planet::Bind);
    RegisterNativeBinder("PlanetZoomed", PlanetZoomed::Bind);
    RegisterGalaxyMethods();
    GameManager::SetMethodHandler(5, OpenGameMenuNative);
    RegisterNativeBinder("HelpSystem", HelpSystem::Bind);
    HelpSystem::InstallHelpRequest();
}
