// The native classes of the game screens (the shop dialogs, conversations, the high-score manager).
#pragma once

// Binds every native class of the game, the screens' own last.
void RegisterAllNatives();
// The screens' own binders.
void RegisterGameScreenNatives();
