#include "campaign/campaign_natives.h"

#include "script/native_binder.h"

void RegisterCampaignNatives() {}
