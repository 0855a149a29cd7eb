// The colour strip "Misc\Colors.dpf" over arbitrary content: read as a picture, converted to each
// screen mode as start-up converts it, and turned into the ColorManager's table, whose entries and
// nearest colours are then asked for. Damaged input must end in an engine error, never a crash or
// a read outside the strip's frame.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "foundation/exceptions.h"
#include "fuzz/memory_file.h"
#include "graphics/color_manager.h"
#include "graphics/image.h"

namespace {

void Probe(Image& strip) {
    ColorManager colours(nullptr, &strip);
    colours.BuildTable();
    volatile uint32_t sum = 0;
    for (uint32_t n = 0; n < colours.TableSize() + 2 && n < 1024; ++n) sum = sum + colours.Colour(n);
    for (uint32_t c : {0u, 0x7Fu, 0xFFu, 0x1234u}) sum = sum + colours.FromRGB(c, c >> 1, 255 - (c & 0xFF));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryFile file(data, size);
    FileBlockReader reader;
    if (!OpenInReader(file, reader)) return 0;
    auto strip = std::make_unique<Image>();
    try {
        reader >> *strip;
    } catch (const DExep&) {
        return 0;
    }
    try {
        Probe(*strip);
        auto wide = std::make_unique<Image>(*strip);
        wide->ConvertAllTo565();
        Probe(*wide);
        auto narrow = std::make_unique<Image>(*strip);
        narrow->ConvertAllTo555();
        Probe(*narrow);
    } catch (const DExep&) {
    }
    return 0;
}
