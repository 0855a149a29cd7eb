// Font reader over arbitrary file content, then language selection, glyph access and text layout
// with text taken from the same input. Damaged input must end in an engine error, never a crash or
// a read outside a glyph table.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "foundation/block_reader.h"
#include "foundation/exceptions.h"
#include "fuzz/memory_file.h"
#include "graphics/font.h"
#include "graphics/text_layout.h"

namespace {

// Touches every bitmap byte of every glyph a byte can reach.
unsigned TouchGlyphs(const Font& font) {
    unsigned sum = 0;
    for (int c = 0; c < 256; ++c) {
        const Glyph g = font.GlyphFor(static_cast<uint8_t>(c));
        if (g.bits == nullptr) continue;
        const int bytes = (g.width + 7) / 8 * g.height;
        for (int i = 0; i < bytes; ++i) sum += g.bits[i];
    }
    return sum;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryFile file(data, size);
    FileBlockReader reader;
    if (!OpenInReader(file, reader)) return 0;
    auto font = std::make_unique<Font>();
    try {
        ReadFontFile(reader, *font);
    } catch (const DExep&) {
        return 0;
    }
    // The tail of the input as a text.
    std::string text(reinterpret_cast<const char*>(data) + size / 2, size - size / 2);
    text.resize(std::min<size_t>(text.size(), 512));
    text = text.c_str();
    volatile unsigned sink = 0;
    for (uint32_t language : {1u, 2u, 3u, 0xFFFFFFFFu}) {
        font->SelectLanguage(language);
        sink = sink + TouchGlyphs(*font);
        sink = sink + static_cast<unsigned>(TextWidth(*font, text.c_str()) + TextHeight(*font, text.c_str()));
        String wrapped(text.c_str());
        WrapText(wrapped, static_cast<int>(size % 200), *font);
        sink = sink + static_cast<unsigned>(TextWidth(*font, wrapped.Text()));
    }
    return 0;
}
