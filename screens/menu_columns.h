// The main screen's menu columns: one column of TextButtons at a time in the screen's upper right
// corner, each button's id the command MenuHandler carries out. A builder takes away the column
// before it (every control with an id from 40 to 99) and leaves the rest of the screen as it is.
#pragma once

#include <cstdint>

class DialogWindow;

// Command ids of the columns' entries.
enum MenuCommand : int32_t {
    kMenuNewGame = 40,
    kMenuLoadGame = 41,
    kMenuQuit = 42,
    kMenuCredits = 43,
    kMenuDemo = 44,
    kMenuBack = 45,
    kMenuCampaign = 46,
    kMenuArcade = 47,
    kMenuOptions = 48,
    kMenuInputSettings = 49,
    kMenuScreenOptions = 50,
    kMenuOnePlayer = 52,
    kMenuFourPlayers = 55,
    kMenuHighScores = 56,
    kMenuScenario = 60,
};

// The ids a column may use.
constexpr int32_t kFirstMenuId = 40;
constexpr int32_t kLastMenuId = 99;

// The main column; then, while a load was requested during a game, the load screen and the chosen
// save.
void BuildMainMenu(DialogWindow& window);
void ShowNewGameMenu(DialogWindow& window);
void ShowOptionsMenu(DialogWindow& window);
// One to four player entries (the first always, then as many as players, up to 4) and back.
void ShowPlayerCountMenu(DialogWindow& window, int32_t players);
