#include "screens/screen_natives.h"

#include "campaign/game_natives.h"

void RegisterAllNatives() {
    RegisterGameNatives();
    RegisterGameScreenNatives();
}

void RegisterGameScreenNatives() {}
