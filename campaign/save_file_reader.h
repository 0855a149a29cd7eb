// Reading save files as outside data: the header checked before its payload is taken, every block
// read into memory before anything else happens.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "campaign/save_game.h"
#include "foundation/engine_string.h"
#include "script/script_object.h"
#include "world/player_config.h"

class BlockReader;
class Processor;

struct SaveFileContent {
    String source;
    SaveHeader header;
    std::vector<std::unique_ptr<PlayerConfig>> players;
};

// The whole of a save, checked: the "SAVE" header first (sane sizes, eight texts), then at least
// one "PCFG", and a scenario class that inherits from "Scenario". FatalExep "Wrong save game file"
// naming the file otherwise.
SaveFileContent ReadSaveFile(Processor& processor, const String& name);

// The next block's tag, without consuming; false when no block mark follows.
bool PeekTag(BlockReader& reader, uint8_t tag[4]);
// Reads the header that must come next; its sizes are checked before anything is allocated.
// FatalExep naming the file when it is not a sane "SAVE" block.
void ReadHeaderFrom(BlockReader& reader, SaveHeader& header);

// A virtual method that leaves a text on the data stack, read as a checked script text.
std::string AskScriptText(Processor& processor, ScriptObject* object, uint32_t number);

// An object a loader made, discarded unless handed on.
using MadeObject = std::unique_ptr<ScriptObject, ObjectDiscarder>;

// Makes the folder part of a content name ("Saves\" for "Saves\x.gsf") when it is missing.
void MakeFolderOf(const String& name);
