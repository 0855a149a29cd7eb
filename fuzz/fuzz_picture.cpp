// Picture reader over arbitrary file content, then every operation on what it read: copies, hit
// tests, collisions, conversions, palette reduction and direction picking. Damaged input must end
// in an engine error, never a crash or a read outside a frame.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/block_reader.h"
#include "foundation/exceptions.h"
#include "fuzz/memory_file.h"
#include "graphics/direction_to_frame.h"
#include "graphics/image.h"

namespace {

void CollectFrames(Image& image, std::vector<Frame*>& frames) {
    for (uint32_t i = 0; i < image.FrameCount(); ++i)
        if (Frame* f = image.GetFrame(static_cast<int32_t>(i))) frames.push_back(f);
    for (uint32_t i = 0; i < image.SubImageCount(); ++i) {
        Image* sub = image.EntryAt(static_cast<int32_t>(i));
        if (sub != nullptr && sub != &image) CollectFrames(*sub, frames);
    }
}

void Probe(Image& picture) {
    std::vector<Frame*> frames;
    CollectFrames(picture, frames);
    int32_t cx = 0, cy = 0;
    for (size_t i = 0; i < frames.size() && i < 8; ++i) {
        const Frame& f = *frames[i];
        for (uint32_t code = 0; code < 8; ++code) {
            for (int32_t p = -2; p < 6; ++p) Frame::HitTest(f, 1, 2, code, p, p / 2);
            const Frame& other = *frames[(i + 1) % frames.size()];
            Frame::Collides(f, 0, 0, code, other, 1, -1, 7 - code, cx, cy);
        }
    }
    uint32_t orientation = 0;
    for (int32_t d = -3; d <= 3; ++d) DirectionToFrame(d, 3 - d, picture, orientation);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryFile file(data, size);
    FileBlockReader reader;
    if (!OpenInReader(file, reader)) return 0;
    auto picture = std::make_unique<Image>();
    try {
        reader >> *picture;
    } catch (const DExep&) {
        return 0;
    }
    try {
        Probe(*picture);
        Image copy(*picture);
        copy.ConvertAllTo565();
        copy.ConvertAllTo555();
        copy.ExpandAllTo16();
        Probe(copy);

        auto palette = std::make_unique<PaletteBlock>();
        palette->SetCount(16);
        for (uint32_t i = 0; i < 16; ++i)
            palette->SetColour(i, static_cast<uint8_t>(i * 16), static_cast<uint8_t>(255 - i * 16),
                               static_cast<uint8_t>(i * 7));
        if (const PaletteBlock* own = picture->EffectivePalette()) palette->SetDimension(own->Dimension());
        picture->ReduceToPalette(std::move(palette));
        Probe(*picture);
    } catch (const DExep&) {
    }
    return 0;
}
