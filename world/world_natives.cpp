#include "world/world_natives.h"

#include "script/native_binder.h"
#include "world/level.h"
#include "world/maze.h"
#include "world/scenario.h"

void RegisterWorldNatives() {
    RegisterNativeBinder("Level", Level::Bind);
    RegisterNativeBinder("Maze", Maze::Bind);
    RegisterNativeBinder("Scenario", Scenario::Bind);
}
