// Shutdown: releases what start-up put into the game's globals, on the main thread after the game
// thread has ended. Each step tests its global and empties it, so shutdown is safe after a partial
// start-up and safe to run again. The sound thread is joined before anything it plays from goes,
// and the frame timer's thread last.
#pragma once

void GameShutdown();
