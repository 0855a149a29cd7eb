// Reads fixture bytes back into objects through a temporary file, as the engine reads files:
//     auto font = ReadFont(FontBlock(UniformFont(96, 5)));
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "foundation/block_reader.h"
#include "graphics/font.h"

// Writes bytes to a temporary file called name, opens it and hands the reader to read.
void ReadFromBytes(const std::string& bytes, const std::function<void(BlockReader&)>& read,
                   const std::string& name = "test.dpf");

// Any block object read from bytes with `reader >> object`.
template <class T>
std::unique_ptr<T> ReadBlockObject(const std::string& bytes, const std::string& name = "test.dpf") {
    auto object = std::make_unique<T>();
    ReadFromBytes(
        bytes, [&](BlockReader& reader) { reader >> *object; }, name);
    return object;
}

// Reads a font file with ReadFontFile; the main font is active.
inline std::unique_ptr<Font> ReadFont(const std::string& bytes, const std::string& name = "test.dff") {
    auto font = std::make_unique<Font>();
    ReadFromBytes(
        bytes, [&](BlockReader& reader) { ReadFontFile(reader, *font); }, name);
    return font;
}
