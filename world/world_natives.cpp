#include "world/world_natives.h"

#include "script/native_binder.h"
#include "world/actor.h"
#include "world/backgrounds.h"
#include "world/level.h"
#include "world/maze.h"
#include "world/maze_enemy.h"
#include "world/missiles.h"
#include "world/multi_actor.h"
#include "world/passive_picture.h"
#include "world/player.h"
#include "world/price_manager.h"
#include "world/pro_actor.h"
#include "world/pseudo_actor.h"
#include "world/scenario.h"
#include "world/shots.h"
#include "world/skills.h"
#include "world/splinter.h"
#include "world/stars_sky.h"

void RegisterWorldNatives() {
    RegisterNativeBinder("PriceManager", PriceManager::Bind);
    RegisterNativeBinder("Actor", Actor::Bind);
    RegisterNativeBinder("Splinter", Splinter::Bind);
    RegisterNativeBinder("ActiveBackGround", ActiveBackGround::Bind);
    RegisterNativeBinder("BackGround", BackGround::Bind);
    RegisterNativeBinder("CycleBackGround", CycleBackGround::Bind);
    RegisterNativeBinder("StarsSky", StarsSky::Bind);
    RegisterNativeBinder("PassivePicture", PassivePicture::Bind);
    RegisterNativeBinder("Explosion", Explosion::Bind);
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
    RegisterNativeBinder("Player", Player::Bind);
    Player::InstallSlotHooks();
    RegisterNativeBinder("Skill", Skill::Bind);
    RegisterNativeBinder("WeaponSkill", WeaponSkill::Bind);
    RegisterNativeBinder("CommerceSkill", CommerceSkill::Bind);
    RegisterNativeBinder("SwitchSkill", SwitchSkill::Bind);
}
