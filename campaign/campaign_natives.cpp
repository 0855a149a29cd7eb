#include "campaign/campaign_natives.h"

#include "campaign/galaxy.h"
#include "campaign/planet.h"
#include "script/native_binder.h"

void RegisterCampaignNatives() {
    RegisterNativeBinder("Planet", Planet::Bind);
    RegisterNativeBinder("PlanetZoomed", PlanetZoomed::Bind);
    RegisterGalaxyMethods();
}
