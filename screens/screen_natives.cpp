#include "screens/screen_natives.h"

#include "campaign/game_natives.h"
#include "screens/all_items_shop.h"
#include "screens/conversation.h"
#include "screens/high_scores.h"
#include "screens/shop_dialog.h"
#include "screens/slot_control.h"
#include "script/native_binder.h"

void RegisterAllNatives() {
    RegisterGameNatives();
    RegisterGameScreenNatives();
}

void RegisterGameScreenNatives() {
    RegisterNativeBinder("Conversation", Conversation::Bind);
    RegisterNativeBinder("HighScoreManager", HighScoreManager::Bind);
    RegisterNativeBinder("ShopDialog", ShopDialog::Bind);
    RegisterNativeBinder("AllItemsShop", AllItemsShop::Bind);
    RegisterNativeBinder("SlotControl", SlotControl::Bind);
}
