// The story screen: a text scrolling up over a star field like film credits, one pixel every two
// frame periods, until it has gone or a key or click skips it. The game scripts show their story
// texts with it and the main menu its credits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

class Font;
class Processor;

// Bit 0 of the story screen's flags: start the text again once it has gone, until a key or a click.
constexpr uint32_t kStoryRepeat = 1;

// One line of a story text: the bytes [begin, begin + length) and where the next line starts.
struct StoryLine {
    size_t begin = 0;
    size_t length = 0;
    size_t next = 0;
};

// Breaks the line that starts at start: it ends at '\n', at the end of the text, or, once the line
// is wider than width, at its last blank. A blank is three letter spacings wide, another byte its
// glyph and one spacing. Without a blank to break at the line is empty and the next starts one
// byte on.
StoryLine NextStoryLine(const Font& font, std::string_view text, size_t start, int32_t width);

// Shows the text and returns when it is done or skipped. Keys pressed before it opens do not skip
// it; the key queue is empty when it returns.
void StoryScreen(Processor& processor, std::string_view text, uint32_t flags);
