// Measuring and wrapping texts. A text is bytes ended by NUL: bytes 10 (newline) and 20 (soft line
// break) end a line, a space advances twice the letter spacing, "$$" is a '$' glyph, '$' and any
// other byte is a colour escape that takes no width, and a '$' as the last byte ends the text.
#pragma once

#include "foundation/engine_string.h"

class Font;

constexpr char kNewline = 10;
constexpr char kSoftBreak = 20;

// Width in pixels of the widest line.
int TextWidth(const Font& font, const char* text);
// Height in pixels of all lines (an empty last line not counted); at least 0.
int TextHeight(const Font& font, const char* text);
// The next word from position: skips spaces and carriage returns, takes the bytes up to a space,
// NUL, soft break or newline (a newline there is consumed), then skips spaces, carriage returns and
// soft breaks and consumes one newline that follows. lineEnd tells whether a newline was consumed.
void NextWord(const char* position, String& word, const char*& next, bool& lineEnd);
// Breaks the lines of text that are wider than width at spaces with soft line breaks, replacing the
// soft breaks it held; a word wider than width stands alone on its line. Newlines are kept, but two
// in a row (blank lines, CR LF pairs between them) become one.
void WrapText(String& text, int width, const Font& font);
