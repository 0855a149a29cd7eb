#include "campaign/screen_hooks.h"

ScreenHooks& Screens() {
    static ScreenHooks hooks;
    return hooks;
}
