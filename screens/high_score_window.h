// The high-score list window: one table as lines of name, dots and score, and the chooser, a paged
// list of every table. Row i of the chooser has the command id kFirstHighScoreChoiceId + i, a range
// clear of the window's commands (42, 43, 104, 251) however many tables there are.
#pragma once

#include <cstdint>

#include "foundation/engine_string.h"

class DialogWindow;
class HighScoreManager;
class InputDevice;
class Processor;
struct HighScoreEntry;

constexpr int32_t kFirstHighScoreChoiceId = 1000;
constexpr int32_t kHighScoreUpId = 104;
constexpr int32_t kHighScoreDownId = 251;
constexpr int32_t kHighScoreRowsPerPage = 11;

// Shows the table of key (null: the chooser first) and, each time the player confirms the list, the
// chooser again; returns 0 when the player leaves. The windows run with input.
int32_t ShowHighScoreMenu(HighScoreManager& manager, InputDevice& input, const String* key);
// The main menu's entry: the chooser and the tables of the game's manager (object 36).
void ShowHighScores(Processor& processor, InputDevice& input);
// The chosen table's key, empty when nothing was chosen.
String ChooseHighScoreTable(HighScoreManager& manager, InputDevice& input);

// The list line of an entry: new entries marked with "$n", the score between "$h" marks.
String HighScoreLine(const HighScoreEntry& entry);
// Rebuilds the chooser page for the manager's first visible and selected rows.
void BuildHighScoreChooserPage(DialogWindow& window, HighScoreManager& manager);
// The chooser's callback.
void HighScoreChooserEvent(HighScoreManager& manager, DialogWindow& window, int32_t event, int32_t value,
                           int32_t command);
