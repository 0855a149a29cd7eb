#include "campaign/campaign_natives.h"

#include "campaign/autosave.h"
#include "campaign/date_steps.h"
#include "campaign/flight_loop.h"
#include "campaign/galaxy.h"
#include "campaign/game_manager.h"
#include "campaign/help_system.h"
#include "campaign/in_game_menu.h"
#include "campaign/load_and_fly.h"
#include "campaign/planet.h"
#include "campaign/star_system_window.h"
#include "campaign/star_systems.h"
#include "script/native_binder.h"

void RegisterCampaignNatives() {
    RegisterNativeBinder("GameManager", GameManager::Bind);
    FlightCampaignHooks().autoSave = AutoSave;
    FlightCampaignHooks().stampLastDate = StampLastDate;
    RegisterLoadAndFlyNatives();
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
