#include "world/world_natives.h"

#include "script/native_binder.h"
#include "world/level.h"
#include "world/maze.h"
#include "world/price_manager.h"
#include "world/scenario.h"

void RegisterWorldNatives() {
    RegisterNativeBinder("PriceManager", PriceManager::Bind);
    RegisterNativeBinder("Level", Level::Bind);
    RegisterNativeBinder("Maze", Maze::Bind);
    RegisterNativeBinder("Scenario", Scenario::Bind);
}
