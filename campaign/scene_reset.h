// A flight or a visit to the galaxy loads classes, pictures, fonts, message files and sounds on
// demand. Before it starts the caller takes the resource marks; afterwards ResetScene unloads
// everything loaded since, deletes the ships and rebuilds the players from their stored form, so
// that the next scene starts from the same state.
#pragma once

#include <cstdint>
#include <functional>

#include "foundation/engine_string.h"

class DataBlock;
class GTime;
class Processor;
class ScriptObject;

// How far each resource manager was filled: the number of entries of its table, which holds them
// in the order they were loaded.
struct ResourceMarks {
    uint32_t classes = 0;    // object 1
    uint32_t images = 0;     // object 4
    uint32_t fonts = 0;      // object 13
    uint32_t messages = 0;   // object 14: message files
    bool hasSounds = false;  // object 15 existed when the marks were taken
    uint32_t sounds = 0;
};

ResourceMarks SaveResourceMarks(Processor& processor);

// Restores the state of the marks. The old players are destroyed before the new ones are built,
// so references to them are invalid afterwards. With rebuildSystemView the star-system windows
// (objects 17 and 20) are closed first and opened again on the same system and planet.
void ResetScene(Processor& processor, const ResourceMarks& marks, bool rebuildSystemView);

// What ResetScene needs of the star-system windows, installed by their owner. Not installed, the
// windows are left where they are.
struct SystemViewHooks {
    // The system a star-system window shows and its selected planet (left empty when none is).
    std::function<void(ScriptObject& window, String& system, String& planet)> describe;
    // Opens the window of the named system with the named planet selected (none when empty); null
    // when there is no such system.
    std::function<ScriptObject*(Processor&, const String& system, const String& planet)> open;
};
SystemViewHooks& SystemViewHook();

// Stamps the save block with the GameManager's game time and, when the name is not empty, writes
// the save block and one "PCFG" per player of the player list into the packed file. The whole file
// is built in memory first (the players' stored forms run script code) and replaces the old one
// only when complete. A file without players could never be loaded: FatalExep instead.
void WritePlayersConfig(Processor& processor, DataBlock& saveBlock, const String& fileName);
