// Sounds the game world plays by name: looked up in the SoundManager's cache (object 15) and posted
// to the sound system (object 16).
#pragma once

class Processor;

// Plays the named sound once; nothing when either object or the sound is missing.
void PlayNamedSound(Processor& processor, const char* name);
