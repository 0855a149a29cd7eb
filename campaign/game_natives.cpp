#include "campaign/game_natives.h"

#include "campaign/campaign_natives.h"
#include "ui/ui_natives.h"
#include "world/world_natives.h"

void RegisterGameNatives() {
    RegisterUiNatives();
    RegisterWorldNatives();
    RegisterCampaignNatives();
}
