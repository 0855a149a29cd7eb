// Which typed characters an edit field takes: letters and digits of the game's code page
// (Windows-1252), the space and the ASCII punctuation marks. Characters arrive from the character
// queue as their byte sign-extended; the queue's Alt marker is never a character.
#pragma once

#include <cstdint>

bool IsCodePageAlphaNumeric(uint8_t c);
bool EditFieldTakes(int32_t value);
// Whether a key (a virtual-key code) types into an edit field: the letter, digit, space,
// punctuation and number-pad keys, whose characters the field takes, and Backspace, which it takes
// to delete. With or without Shift, whatever the keyboard layout makes of them, these are the keys
// of typed text.
bool KeyTypesInEditField(int32_t virtualKey);
