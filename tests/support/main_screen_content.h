// What the main screen and its menu show: the fonts, the "system.mes" captions and answers, the
// notice of "Copyright.mes" and the ship picture. Tests add it to a harness; the smoke run of the
// real program starts on an archive that holds it.
#pragma once

#include <vector>

#include "tools/content/fd_writer.h"
#include "tools/content/game_content.h"

class GameHarness;

// The captions of the menu columns, the quit question and the answers of the message boxes.
const std::vector<MessageText>& MainScreenMessages();
void AddMainScreenContent(GameHarness& game);
// The entries added to the start-up archive, and the start-up entries they stand in for.
std::vector<FdEntry> MainScreenArchiveEntries();
std::vector<std::string> MainScreenArchiveReplaced();
