#include "tools/content/game_content.h"

#include <stdexcept>

#include "tools/content/picture_builder.h"

std::string MessageFileText(const std::vector<MessageText>& messages) {
    std::string file;
    for (const MessageText& m : messages) {
        if (m.text.find('@') != std::string::npos) throw std::invalid_argument("'@' inside a message text");
        file += std::to_string(m.number) + " " + m.text + "@\r\n";
    }
    return file;
}

namespace {

std::string Quoted(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (c == '\n') {
            quoted += "\\n";
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}

}  // namespace

std::string CharacteristicsText(const std::vector<CharRecord>& records) {
    std::string file;
    for (const CharRecord& r : records) {
        file += std::to_string(r.id);
        for (const CharValue& v : r.values) {
            file += ' ';
            file += std::holds_alternative<int32_t>(v) ? std::to_string(std::get<int32_t>(v))
                                                       : Quoted(std::get<std::string>(v));
        }
        file += "\r\n";
    }
    return file;
}

const std::vector<std::string>& InterfaceFontNames() {
    static const std::vector<std::string> names = {"Default",  "Hint",   "StaticText", "TextButton", "Slider",
                                                   "HelpFont", "Energy", "Loading",    "Story"};
    return names;
}

std::string ShapedPicture(const PictureShape& shape) {
    const std::vector<uint16_t> pixels(static_cast<size_t>(shape.width) * shape.height, 0x7FFF);
    std::vector<std::string> frames;
    for (uint32_t f = 0; f < shape.frames; ++f) {
        frames.push_back(
            FrameBlock({.width = shape.width, .height = shape.height, .bitsPerPixel = 16, .pixels = pixels}));
    }
    if (shape.entries == 0) return PictureBlock(frames);
    std::vector<std::string> entries(shape.entries, PictureBlock(frames));
    return PictureBlock(entries);
}
