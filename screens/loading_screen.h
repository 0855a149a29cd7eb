// The loading screen: a star field, the disk picture and the "loading" text, drawn once straight
// into the display while a game, a save or a demo loads and before a flight. It stays until the
// next frame is drawn.
#pragma once

#include <cstdint>

class Processor;

// The value is what callers pass along; it is not used. Missing fonts, pictures or the message fail
// through their caches.
void LoadingScreen(Processor& processor, int32_t value = 0);
