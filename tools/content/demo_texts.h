// The demo game's message files in its two languages, English (1) and Deutsch (2): the screens'
// captions ("system.mes"), the key names, the help and tips of every screen, the notice and the
// credits. Texts are written here in UTF-8 and stored in the game's 8-bit code page.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tools/content/fd_writer.h"

struct DemoText {
    uint32_t number;
    std::string first;   // language 1
    std::string second;  // language 2; empty: the first language's text
};

// The UTF-8 text in the game's code page (Windows-1252, of which the demo uses the Latin-1 letters).
// std::invalid_argument for a character the code page lacks.
std::string CodePageText(std::string_view utf8);
// A message file of both languages.
std::string TwoLanguageMessages(const std::vector<DemoText>& texts);

// "system.mes", "Keys.mes", "Help.mes", "Copyright.mes" and "Misc\Credits.mes".
std::vector<FdEntry> DemoMessageFiles();
