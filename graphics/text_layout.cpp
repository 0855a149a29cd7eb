#include "graphics/text_layout.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>

#include "graphics/font.h"

namespace {

int Clamped(int64_t value) {
    return static_cast<int>(std::clamp<int64_t>(value, 0, INT_MAX));
}

bool EndsLine(char c) {
    return c == kNewline || c == kSoftBreak;
}

}  // namespace

int TextWidth(const Font& font, const char* text) {
    // 64 bits: a long text in a font with a wide spacing must not overflow.
    const int64_t spacing = font.LetterSpacing();
    int64_t line = 0;
    int64_t widest = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        uint8_t c = static_cast<uint8_t>(*p);
        if (c == '$') {
            if (p[1] == '\0') break;
            ++p;
            if (*p != '$') continue;  // a colour escape
        }
        if (EndsLine(static_cast<char>(c))) {
            widest = std::max(widest, line - spacing);
            line = 0;
        } else if (c == ' ') {
            line += 2 * spacing;
        } else {
            line += font.GlyphFor(c).width + spacing;
        }
    }
    return Clamped(std::max(widest, line - spacing));
}

int TextHeight(const Font& font, const char* text) {
    const int64_t step = int64_t{font.LineHeight()} + font.LineGap();
    int64_t value = font.LineHeight();
    const char* p = text;
    for (; *p != '\0'; ++p)
        if (EndsLine(*p)) value += step;
    if (p == text || EndsLine(p[-1])) value -= step;
    return Clamped(value);
}

void NextWord(const char* position, String& word, const char*& next, bool& lineEnd) {
    lineEnd = false;
    const char* p = position;
    while (*p == ' ' || *p == '\r') ++p;
    const char* start = p;
    while (*p != '\0' && *p != ' ' && *p != kSoftBreak && *p != kNewline) ++p;
    word = String::FromBytes(start, static_cast<size_t>(p - start));
    if (*p == kNewline) {
        ++p;
        lineEnd = true;
    }
    while (*p == ' ' || *p == '\r' || *p == kSoftBreak) ++p;
    // One newline after the word's own is taken with it, so an empty line between two paragraphs
    // (LF LF or CR LF CR LF) collapses into one line end.
    if (*p == kNewline) {
        ++p;
        lineEnd = true;
    }
    next = p;
}

void WrapText(String& text, int width, const Font& font) {
    const int64_t gap = 3 * int64_t{font.LetterSpacing()};
    std::string result;
    int64_t line = 0;
    const char* p = text.Text();
    while (*p != '\0') {
        String word;
        bool lineEnd = false;
        NextWord(p, word, p, lineEnd);
        const int64_t wordWidth = TextWidth(font, word.Text());
        const int64_t w = wordWidth + (line != 0 ? gap : 0);
        if (line + w <= width) {
            if (line != 0) result += ' ';
            result += word.Text();
            line += w;
        } else {
            if (line != 0) result += kSoftBreak;
            result += word.Text();
            line = wordWidth;
        }
        if (lineEnd) {
            result += kNewline;
            line = 0;
        }
    }
    text = String(result.c_str());
}
