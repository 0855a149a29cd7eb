#include "campaign/player_input.h"

#include "script/object_manager.h"
#include "script/processor.h"
#include "shell/game_ids.h"
#include "world/player.h"

InputDevice* FirstPlayerInput(Processor& processor) {
    auto* list = processor.Objects().ListAt(kPlayerListId);
    if (list == nullptr) return nullptr;
    for (auto* node = list->ObjectList().Head(); node != nullptr; node = node->next) {
        if (auto* player = dynamic_cast<PlayerObject*>(node->item)) return player->Input();
    }
    return nullptr;
}
