#include "world/world_natives.h"

#include "script/native_binder.h"
#include "world/level.h"
#include "world/maze.h"
#include "world/maze_enemy.h"
#include "world/missiles.h"
#include "world/multi_actor.h"
#include "world/pro_actor.h"
#include "world/pseudo_actor.h"
#include "world/scenario.h"
#include "world/shots.h"

void RegisterWorldNatives() {
    RegisterNativeBinder("Level", Level::Bind);
    RegisterNativeBinder("Maze", Maze::Bind);
    RegisterNativeBinder("Scenario", Scenario::Bind);
    RegisterNativeBinder("Shot", Shot::Bind);
    RegisterNativeBinder("ShotExplosion", ShotExplosion::Bind);
    RegisterNativeBinder("Missile", Missile::Bind);
    RegisterNativeBinder("EnemyMissile", EnemyMissile::Bind);
    RegisterNativeBinder("MultiActor", MultiActor::Bind);
    RegisterNativeBinder("PseudoActor", PseudoActor::Bind);
    RegisterNativeBinder("ProActor", ProActor::Bind);
    RegisterNativeBinder("MazeEnemy", MazeEnemy::Bind);
}
