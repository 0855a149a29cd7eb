// Game-date steps and the periodic-event pass. The GameManager (object 22) keeps the game date, the
// step by which the star-system window moves it, and the event groups with their periods; after
// every change of the date the groups whose period has run out fire: their events are taken from
// every pilot and a random choice of them is given to every pilot again.
#pragma once

#include <cstdint>
#include <vector>

class GTime;
class Processor;

// Step codes of the star-system window's time-step buttons.
constexpr int32_t kStepMinute = 1;
constexpr int32_t kStepHour = 2;
constexpr int32_t kStepTwoHours = 3;
constexpr int32_t kStepDay = 4;

// Sets step to the amount of a step code; any other code leaves it unchanged (false).
bool SetDateStep(GTime& step, int32_t code);
// The code of a step: 4 when it holds days, else 3 for two hours or more, 1 below an hour, 2 between.
int32_t DateStepCode(const GTime& step);

// Adds the GameManager's date step (AdvanceDate) or an amount (AdvanceDateBy) to its game date, then
// runs StampLastDate. FatalExep when there is no GameManager.
void AdvanceDate(Processor& processor);
void AdvanceDateBy(Processor& processor, const GTime& amount);

// The periodic-event pass over the GameManager's event groups, for its current game date; records
// and removes events through the EventManager (object 25). FatalExep when there is no GameManager.
void StampLastDate(Processor& processor);

// The distinct indexes below count that a group whose period ran out records, ascending: at most
// wanted of them (and at most 32768, as many as the draws can reach), drawn from the engine's random
// generator.
std::vector<uint32_t> PickDistinctEvents(uint32_t count, uint32_t wanted);
