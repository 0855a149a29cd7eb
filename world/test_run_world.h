// The game world's side of the two test runs of start modes 'f' and 'e': the level, the player and
// the ship the shell builds them from.
#pragma once

// Installs the world's part in the shell's hooks.
void InstallTestRunWorld();
