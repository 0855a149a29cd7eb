#include "shell/game_hooks.h"

GameHooks& Hooks() {
    static GameHooks hooks;
    return hooks;
}
