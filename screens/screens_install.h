// The game screens: one call, made by the program before start-up, installs the hooks through
// which the layers below open them.
#pragma once

void InstallScreens();
