#include "screens/screen_natives.h"

#include "campaign/game_natives.h"
#include "screens/high_scores.h"
#include "script/native_binder.h"

void RegisterAllNatives() {
    RegisterGameNatives();
    RegisterGameScreenNatives();
}

void RegisterGameScreenNatives() {
    RegisterNativeBinder("HighScoreManager", HighScoreManager::Bind);
}
