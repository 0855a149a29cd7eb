// The game classes' natives of every folder above the shell, in the order start-up registers them.
#pragma once

void RegisterGameNatives();
