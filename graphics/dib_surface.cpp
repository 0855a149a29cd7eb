#include "graphics/dib_surface.h"

#include <cstring>

#include "foundation/config_blocks.h"
#include "foundation/exceptions.h"
#include "foundation/palette_block.h"
#include "graphics/video_mode.h"

DibSurface::DibSurface(Video& video, ScreenSettingsBlock* settings, PaletteBlock* palette,
                       int32_t rowAlignment)
    : ScreenSurface(CheckScreenMode(settings), palette, rowAlignment), video_(video) {
    BuildBitmapInfo(palette);
    memory_.assign(static_cast<size_t>(FrameBytes()), 0);
    SetPixels(memory_.data());
    settings->pixelFormat = 555;
    fullScreen_ = (settings->Flags() & ScreenSettingsBlock::kFullScreen) != 0;
    const DesktopMode desktop = OpenDrawDibMode(*settings, video_);
    if (fullScreen_) savedDesktop_ = desktop;
}

DibSurface::~DibSurface() {
    // Closing gives a full-screen desktop back; a window only loses its picture.
    video_.Close();
}

int32_t DibSurface::RowStep() const {
    return -Pitch();
}

uint8_t* DibSurface::RowAddress(int32_t y) const {
    return Pixels() + static_cast<intptr_t>(Height() - y - 1) * Pitch();
}

uint8_t* DibSurface::PixelAddress(int32_t x, int32_t y) const {
    return RowAddress(y) + static_cast<intptr_t>(BytesPerPixel()) * x;
}

void DibSurface::BuildBitmapInfo(const PaletteBlock* palette) {
    uint32_t entries = 0;
    if (BitsPerPixel() <= 8) {
        if (palette == nullptr) throw FatalExep(String("Palette required"));
        entries = 1u << BitsPerPixel();
        if (LoadU16(palette->Header() + 11) > entries)
            throw FatalExep(String("Too large palette for ScreenBuffer"));
    }
    bitmapInfo_.assign(kBitmapHeaderSize + 4 * entries, 0);
    uint8_t* header = bitmapInfo_.data();
    StoreU32(header, kBitmapHeaderSize);
    StoreU32(header + 4, static_cast<uint32_t>(Width()));
    StoreU32(header + 8, static_cast<uint32_t>(Height()));  // positive: rows bottom-up
    StoreU16(header + 12, 1);
    StoreU16(header + 14, static_cast<uint16_t>(BitsPerPixel()));
    if (entries == 0) return;
    // Only the entries the payload really holds; the rest of the table stays black.
    const uint32_t count = palette->Count();
    if (count > 0) std::memcpy(header + kBitmapHeaderSize, palette->Payload(), 4 * size_t{count});
}

std::vector<PaletteColor> DibSurface::ColourTableColours() const {
    std::vector<PaletteColor> colours;
    for (size_t at = kBitmapHeaderSize; at + 4 <= bitmapInfo_.size(); at += 4)
        colours.push_back(PaletteColor{bitmapInfo_[at + 2], bitmapInfo_[at + 1], bitmapInfo_[at]});
    return colours;
}
