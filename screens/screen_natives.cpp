#include "screens/screen_natives.h"

#include "campaign/game_natives.h"
#include "screens/slot_control.h"
#include "script/native_binder.h"

void RegisterAllNatives() {
    RegisterGameNatives();
    RegisterGameScreenNatives();
}

void RegisterGameScreenNatives() {
    RegisterNativeBinder("SlotControl", SlotControl::Bind);
}
