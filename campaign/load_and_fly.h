// Demos: a player file flown once with every player's input replayed from a recorded demo file,
// and the GameManager's story-screen natives (methods 9 and 10) and its demo native (method 12).
#pragma once

#include <cstdint>

class Processor;
class ScriptObject;

// GameManager method 12 on the GameManager (object 22): pops the player file, the level class and
// the demo file (so callers push demo, level, player file), loads every player of the file with its
// input taken from the demo, seeds the random generator with 0 and runs one flight of the level,
// dropping its result. The data stack runs short: "DStack underflow".
void LoadAndFly(Processor& processor, ScriptObject& gameManager);

// The story screen with a text popped from the data stack (method 9: flags 0; method 10: the flags
// popped first, then the text).
void ShowStoryNative(ScriptObject* receiver);
void ShowStoryWithFlagNative(ScriptObject* receiver);
void LoadAndFlyNative(ScriptObject* receiver);

// Hands methods 9, 10 and 12 to the GameManager's binding and lets the flight show the loading
// screen; RegisterCampaignNatives calls it.
void RegisterLoadAndFlyNatives();
