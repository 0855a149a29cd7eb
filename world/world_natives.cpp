#include "world/world_natives.h"

#include "script/native_binder.h"

void RegisterWorldNatives() {}
