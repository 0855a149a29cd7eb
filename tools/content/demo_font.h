// The demo game's fonts: one hand-drawn 5x7 face, proportional, at two sizes, under every name the
// screens ask for. It holds the characters 16 to 255 of the game's 8-bit code page: the printable
// ASCII ones, the German letters and a few accented ones, and character 23, the solid block of level
// bars and carets.
#pragma once

#include <string>
#include <vector>

#include "tools/content/fd_writer.h"

// The font names, "Default" first.
const std::vector<std::string>& DemoFontNames();
// The fonts and "Fonts.subs", which lists them.
std::vector<FdEntry> DemoFonts();
