#include "screens/screens_install.h"

#include "campaign/screen_hooks.h"

void InstallScreens() {}
