// The "COL" block: a palette of colour entries (blue, green, red, unused byte each), as carried by
// pictures and by "Misc\Default.col". Two palettes convert into each other only when their dimension
// bytes agree.
#pragma once

#include <cstdint>

#include "foundation/byte_order.h"
#include "foundation/data_block.h"

class PaletteBlock : public DataBlock {
  public:
    static constexpr uint32_t kHeaderSize = 14;

    PaletteBlock();
    PaletteBlock(const PaletteBlock& other) = default;
    // A copy of any block of the palette layout, such as the default colours of 8-bit modes.
    explicit PaletteBlock(const DataBlock& source);
    PaletteBlock& operator=(const PaletteBlock&) = delete;
    ~PaletteBlock() override = default;

    // Rejects a payload that holds fewer entries than the count says.
    void AfterRead(BlockReader& reader) override;

    // Entries that can be read: the stored count, but never more than the payload holds.
    uint32_t Count() const;
    uint8_t Dimension() const { return Header()[13]; }
    void SetDimension(uint8_t dimension) { Header()[13] = dimension; }
    // Replaces the entries with count black ones.
    void SetCount(uint16_t count);

    // Entry i < Count().
    uint8_t Blue(uint32_t i) const { return Payload()[4 * i]; }
    uint8_t Green(uint32_t i) const { return Payload()[4 * i + 1]; }
    uint8_t Red(uint32_t i) const { return Payload()[4 * i + 2]; }
    void SetColour(uint32_t i, uint8_t red, uint8_t green, uint8_t blue);
};

// Index of the entry closest to the colour (sum of the three channel distances; the first of equals
// wins). 0 for a null or empty palette.
uint32_t FindNearestColour(const PaletteBlock* palette, int red, int green, int blue);
// The same over the first count entries only (count <= palette.Count()).
uint32_t NearestEntry(const PaletteBlock& palette, uint32_t count, int red, int green, int blue);
