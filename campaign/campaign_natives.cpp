#include "campaign/campaign_natives.h"

#include "campaign/help_system.h"
#include "script/native_binder.h"

void RegisterCampaignNatives() {
    RegisterNativeBinder("HelpSystem", HelpSystem::Bind);
    HelpSystem::InstallHelpRequest();
}
