#include "tests/support/pilot_fixture.h"

#include <fstream>
#include <iterator>
#include <utility>
#include <vector>

#include "foundation/block_reader.h"
#include "foundation/fw.h"
#include "script/operations.h"
#include "tests/support/game_harness.h"
#include "tests/support/hostile_scripts.h"
#include "tools/content/script_assembler.h"
#include "world/player_config.h"
#include "world/weapon.h"

namespace {

// EnergyWeapon pops picture, x, y, direction x and y, value D, consumption, alternative picture,
// interval, value J, kind B, kind A, needs ammunition, value F, base value, energy per shot, shot
// speed, shot value L, the two table addresses, shot value K.
const std::vector<int32_t> kGunValues = {0, 0, 0, 7, 3, 0, 0, 0, 1, 1, 2, 0, 10, 0, 0, 0, -100, 0, 0, 0, 0};

}  // namespace

void AddPilotClasses(GameHarness& game) {
    const uint32_t drop = OpWord(Op::Drop);
    game.AddClass(
        {.name = kCharmClass,
         .base = "QuestItem",
         .virtuals = {{5, CodeWords({PushIntWords(7), PushIntWords(9), PushIntWords(2)})}, {6, {drop, drop}}},
         .createValues = {0}});
    // Akb pops picture, capacity, value F, base value.
    game.AddClass({.name = kCellClass, .base = "Akb", .createValues = {0, 0, 500, 0}});
    // Ship pops picture, damage, protection, the slot counts from the last group to the first,
    // value A, value B, value C, mass, base consumption.
    game.AddClass({.name = kShipClass,
                   .base = "Ship",
                   .virtuals = {{5, CodeWords({PushIntWords(42), PushIntWords(1)})}, {6, {drop}}},
                   .createValues = {0, 100, 0, 0, 0, kTestShipWeaponSlots, 1, 1, 0, 0, 0, 0, 0, 0}});
    game.AddClass({.name = kGunClass, .base = "EnergyWeapon", .createValues = kGunValues});
    const uint32_t offer =
        ScriptAssembler::CallWord(kWeaponOfferAmmoVirtual, 0, true, ScriptAssembler::Receiver::Popped);
    const std::pair<const char*, std::vector<uint32_t>> offers[] = {
        {kHandingGunClass, CodeWords({FieldWords(0), {offer}, FailWords()})},
        {kAnsweringGunClass, CodeWords({{drop}, FieldWords(0)})}};
    for (const auto& [name, words] : offers)
        game.AddClass({.name = name,
                       .base = "EnergyWeapon",
                       .instanceFields = 1,
                       .virtuals = {{kWeaponOfferAmmoVirtual, words}},
                       .createValues = kGunValues});
    // Ammo pops picture, shots, kind B, kind A, base value, speed, shot value, armour, damage, value H.
    game.AddClass({.name = kShellsClass, .base = "Ammo", .createValues = {0, 0, 0, 9, 4, 0, 1, 2, 30, 0}});
}

void ReadStored(PlayerConfig& config, const std::string& bytes, const std::string& file) {
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    FileBlockReader reader;
    reader.Open(String(file.c_str()));
    reader >> config;
}
