#include "world/world_natives.h"

#include "script/native_binder.h"
#include "world/price_manager.h"

void RegisterWorldNatives() {
    RegisterNativeBinder("PriceManager", PriceManager::Bind);
}
