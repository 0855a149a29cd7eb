#include "screens/screen_natives.h"

#include "campaign/game_natives.h"
#include "screens/conversation.h"
#include "script/native_binder.h"

void RegisterAllNatives() {
    RegisterGameNatives();
    RegisterGameScreenNatives();
}

void RegisterGameScreenNatives() {
    RegisterNativeBinder("Conversation", Conversation::Bind);
}
