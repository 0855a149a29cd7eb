// The in-game menu: a small modal window over the galaxy and planet windows (and opened by the
// GameManager for scripts) with a main page (settings, save, load, leave, back) and a settings page
// (keys, screen options, back). Its result tells the caller what to do next.
#pragma once

#include <cstdint>

class DialogWindow;
class Processor;
class ScriptObject;

// OpenGameMenu's flags: the main page leaves out the Save button.
constexpr uint32_t kGameMenuNoSave = 1;

// Results of OpenGameMenu.
constexpr int32_t kGameMenuClosed = 0;
constexpr int32_t kGameMenuContinue = 1;
constexpr int32_t kGameMenuLeave = 2;

// Runs the menu and gives its result. Over a parent window it takes the parent's display, pointer
// and input device; without one it runs over the game's display with the engine's pointer and the
// first player's input device (FatalExep when there is no player with one).
int32_t OpenGameMenu(Processor& processor, DialogWindow* parent, uint32_t flags);

// GameManager native 5: pops the parent window (a dialog object, or 0), then the flags; pushes the
// result.
void OpenGameMenuNative(ScriptObject* receiver);

// Rebuild the window as the main page (0) and the settings page (1).
void GameMenuMainPage(DialogWindow& window);
void GameMenuSettingsPage(DialogWindow& window);
// The menu window's callback.
void GameMenu(DialogWindow& window, int32_t event, int32_t p1, int32_t p2);
// The page shown: 0 main, 1 settings.
int32_t GameMenuPageNumber();

// Set when the player chose Load and confirmed leaving the game: the files menu reads it once the
// game has been left, clears it and opens the load screen.
bool LoadRequested();
void SetLoadRequested(bool requested);
