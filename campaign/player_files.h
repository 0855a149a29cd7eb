// Player-configuration files (".PCFG" archive entries such as a campaign's or a demo's): one "PCFG"
// block per player, each paired with the next key mapping of "Keys.INPD". They start a new game, a
// scenario and a demo.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "foundation/engine_string.h"

class PlayerConfig;
class PlayerObject;
class Processor;

// The stored pilots of a player file, at most limit of them (0: all), each holding the next key
// mapping of "Keys.INPD". Other blocks are skipped. Nothing of the running game changes: a damaged
// file, or "Keys.INPD" with fewer mappings than players, fails with the reader's engine error, and
// a file without a pilot with "Wrong player confiruration file :" and its name.
std::vector<std::unique_ptr<PlayerConfig>> ReadPlayerFile(Processor& processor, const String& playerFile,
                                                          int32_t limit);

// The "PCFG" blocks of a player file, read as ReadPlayerFile reads it (the archive's entry or a loose
// file of that name); other blocks are skipped by their size. The reader's engine error when the
// file cannot be read.
uint32_t CountPlayers(Processor& processor, const String& playerFile);

// Empties the player list (object 23) and the ship list (object 8), makes a pilot of every stored
// one, in order, and keeps a copy of the last one's location as object 26. The new pilots that
// are still alive when all are made.
std::vector<PlayerObject*> ReplacePlayers(Processor& processor,
                                          const std::vector<std::unique_ptr<PlayerConfig>>& configs);

// A new game or a scenario: shows the loading screen, reads the players, makes the scenario object
// (object 27) of that class and runs its Start; while Start answers other than 0 all of it is done
// again. Returns when the game is over.
void LoadPlayerFile(Processor& processor, const String& playerFile, const String& scenarioClass,
                    int32_t limit);
