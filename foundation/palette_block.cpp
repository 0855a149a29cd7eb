#include "foundation/palette_block.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "foundation/block_reader.h"
#include "foundation/exceptions.h"

PaletteBlock::PaletteBlock() : DataBlock(kHeaderSize, true) {
    SetSignature("COL");
}

PaletteBlock::PaletteBlock(const DataBlock& source) : DataBlock(kHeaderSize, true) {
    SetSignature("COL");
    // The source's header may be shorter than a palette's: the rest stays 0.
    if (source.Header() != nullptr)
        std::memcpy(Header(), source.Header(), std::min(source.HeaderSize(), kHeaderSize));
    StoreU16(Header() + 4, static_cast<uint16_t>(kHeaderSize));
    const uint32_t size = source.Payload() != nullptr ? source.PayloadSize() : 0;
    SetPayloadSize(size);
    if (source.Payload() == nullptr) return;
    AllocPayload();
    std::memcpy(Payload(), source.Payload(), size);
}

void PaletteBlock::AfterRead(BlockReader& reader) {
    const uint32_t count = LoadU16(Header() + 11);
    const uint32_t held = Payload() == nullptr ? 0 : PayloadSize() / 4;
    if (held < count)
        ThrowFatal("Damaged palette in \"%s\": %d colours, room for %d", reader.Name().Text(),
                   static_cast<int>(count), static_cast<int>(held));
}

uint32_t PaletteBlock::Count() const {
    if (Payload() == nullptr) return 0;
    return std::min<uint32_t>(LoadU16(Header() + 11), PayloadSize() / 4);
}

void PaletteBlock::SetCount(uint16_t count) {
    StoreU16(Header() + 11, count);
    SetPayloadSize(4u * count);
    AllocPayload();
}

void PaletteBlock::SetColour(uint32_t i, uint8_t red, uint8_t green, uint8_t blue) {
    if (i >= Count()) return;
    uint8_t* entry = Payload() + 4 * i;
    entry[0] = blue;
    entry[1] = green;
    entry[2] = red;
    entry[3] = 0;
}

uint32_t NearestEntry(const PaletteBlock& palette, uint32_t count, int red, int green, int blue) {
    uint32_t best = 0;
    long long bestSum = INT_MAX;
    for (uint32_t i = 0; i < count; ++i) {
        const long long sum = std::llabs(static_cast<long long>(red) - palette.Red(i)) +
                              std::llabs(static_cast<long long>(green) - palette.Green(i)) +
                              std::llabs(static_cast<long long>(blue) - palette.Blue(i));
        if (sum < bestSum) {
            bestSum = sum;
            best = i;
            if (sum == 0) break;
        }
    }
    return best;
}

uint32_t FindNearestColour(const PaletteBlock* palette, int red, int green, int blue) {
    if (palette == nullptr) return 0;
    return NearestEntry(*palette, palette->Count(), red, green, blue);
}
