// Script classes for tests of the pilot and its stored form: an item that keeps two words, an
// energy source, a ship with a few slots that keeps one word. Native code creates all of them by
// class name alone, as the loaders do.
#pragma once

#include <cstdint>
#include <string>

#include "tools/content/player_file.h"
#include "tools/content/script_subclass.h"

class GameHarness;
class PlayerConfig;

// "TestCharm": a QuestItem whose save leaves 7 and 9 (and the count 2); its restore drops two words.
constexpr const char* kCharmClass = "TestCharm";
// "TestCell": an Akb of capacity 500, keeping its charge.
constexpr const char* kCellClass = "TestCell";
// "TestShip": two weapon slots, one energy source slot, one engine slot; it keeps the word 42.
constexpr const char* kShipClass = "TestShip";
constexpr int32_t kTestShipWeaponSlots = 2;
// "TestGun": an EnergyWeapon that needs ammunition of kinds (1, 2); "TestShells": 30 shots of them.
constexpr const char* kGunClass = "TestGun";
constexpr const char* kShellsClass = "TestShells";
// Guns like "TestGun" whose offer of ammunition (virtual 19) does what a hostile script may: one
// hands it to the weapon its field 0 names and then fails, the other refuses it and answers with
// the object its field 0 names.
constexpr const char* kHandingGunClass = "TestGunHandsOnAndFails";
constexpr const char* kAnsweringGunClass = "TestGunAnswersItsField";

// Adds the classes to the game's archive (before Start).
void AddPilotClasses(GameHarness& game);

// Reads the first block of a file of the working folder into the configuration.
void ReadStored(PlayerConfig& config, const std::string& bytes, const std::string& file = "read.PCFG");
