// Content that game tests put into the archive: message files, characteristics files, the font
// names the interface asks for, and pictures with direction entries and frames.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

struct MessageText {
    uint32_t number;
    std::string text;  // may not hold '@', which ends a text; leading blanks are not kept
};

// A ".mes" file of language 1: each text after its number, ended by '@'. std::invalid_argument for
// a text holding '@'.
std::string MessageFileText(const std::vector<MessageText>& messages);

// One value of a characteristics record: an integer or a text.
using CharValue = std::variant<int32_t, std::string>;
struct CharRecord {
    uint32_t id;
    std::vector<CharValue> values;
};

// A characteristics file: one line per record, texts quoted with '"', '\' and line feeds escaped.
std::string CharacteristicsText(const std::vector<CharRecord>& records);

// The font names the interface asks the FontManager for, "Default" first.
const std::vector<std::string>& InterfaceFontNames();

// A picture of 16-bit frames, every pixel set (none transparent). With entries 0 the frames belong
// to the picture itself; otherwise each of the entries direction entries holds frames frames.
// Tests tell frames apart by their objects: Image::EntryAt(e)->GetFrame(f).
struct PictureShape {
    uint32_t entries = 0;
    uint32_t frames = 1;
    uint32_t width = 4;
    uint32_t height = 4;
};
std::string ShapedPicture(const PictureShape& shape);
