// The player set-up tool (start mode 4, command letter 'p'): the default players of
// "DefPlCfg.PCFG" become the game's players, the first of them takes what it likes in the
// all-items shop, and on the user's yes the players are written to "Players.PCFG" with the start
// place, count and starting value typed into the shop.
#pragma once

#include <cstdint>
#include <string_view>

class Processor;

// Runs the tool; engine errors of the readers and the shop pass on.
void PlayerSetup(Processor& processor);
// A typed number as a decimal integer (its leading digits, with a sign; 0 when there are none),
// saturating at 32 bits.
int32_t TypedNumber(std::string_view text);
// The value stored in each written record: the typed number times 10, saturating at 32 bits.
int32_t StartingValue(std::string_view text);
