// The main screen: the first screen of a normal start and the one the whole game is played from. A
// modal window over a moving star field with the ship in the middle, the notice and the version in
// the lower corners and a menu column in the upper right; MenuHandler carries out the menu.
#pragma once

#include "foundation/engine_string.h"
#include "foundation/version_words.h"

class DialogWindow;
class Processor;

// "1.11b" when the build is 0, else "1.11.03a".
String FormatVersion(const VersionWords& version);
// The number that tells versions apart; the letter takes no part.
int32_t VersionNumber(const VersionWords& version);

// Fills the window with the screen: the star field, the ship, the labels and the main column.
void BuildMainScreen(DialogWindow& window);
// Builds the screen, runs it with the key mapping of "Keys.INPD" until the player quits, and
// destroys it.
void MainScreen();
