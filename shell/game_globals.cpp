#include "shell/game_globals.h"

#include "shell/input_device.h"

GameGlobals& Game() {
    static GameGlobals globals;
    return globals;
}

InputDevice& GameKeys() {
    static InputDevice keys;
    return keys;
}
