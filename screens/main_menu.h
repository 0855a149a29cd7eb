// MenuHandler: the main screen's window callback. A chosen entry of a menu column replaces the
// column, opens a screen or starts a game; games run inside the call and the main screen comes back
// when they are over. Left alone long enough, the screen plays a demo by itself.
#pragma once

#include <cstdint>
#include <functional>

#include "foundation/engine_string.h"

class DialogWindow;
class InputDevice;
class Processor;

// What the menu starts that lies outside the screens: the game's own calls unless a test put
// others in their place (a whole game is too long for most tests).
struct MainMenuGames {
    // A new game or a scenario: the players file, the scenario class and how many of the file's
    // players take part (0: all). Returns when the game is over.
    std::function<void(Processor&, const String& playerFile, const String& scenarioClass, int32_t players)>
        startGame;
    // The load and scenario screens: the chosen file, empty when cancelled.
    std::function<String(Processor&, InputDevice&)> loadDialog;
    std::function<String(Processor&, InputDevice&)> scenarioDialog;
    // Plays a save to its end.
    std::function<void(Processor&, const String& saveFile)> loadSave;
    // Flies a recorded demo once: its recording, level and players file.
    std::function<void(Processor&, const char* demoFile, const char* level, const char* playerFile)> playDemo;
    // The high-score tables, starting with their chooser.
    std::function<void(Processor&, InputDevice&)> highScores;
};

// The calls in use; tests replace fields and put the defaults back with ResetMainMenuGames.
MainMenuGames& MenuGames();
void ResetMainMenuGames();

// Rest reports in a row that start a demo: the demo starts on the one after.
constexpr int32_t kIdleDemoReports = 1051;

// The window callback.
void MenuHandler(DialogWindow& window, int32_t event, int32_t p1, int32_t p2);
// Consecutive rest reports so far.
int32_t IdleTicks();
// Forgets the idle count and the last new-game choice (the start of a main screen).
void ResetMenuState();

// The load screen over the main screen and, when a save was chosen, that game to its end. An
// engine error of the game is reported over the window and logged, and the menu goes on.
void LoadChosenGame(DialogWindow& window);
