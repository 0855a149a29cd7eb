// The numbered interface colours as pixel values of the current screen mode. The ColorManager
// provides them; the screen buffer takes the colours of the text escapes from here.
#pragma once

#include <cstdint>

class ColourTable {
  public:
    virtual ~ColourTable() = default;
    virtual uint32_t TableSize() const = 0;
    // Colour n, or 0 beyond the table.
    virtual uint16_t Colour(uint32_t n) const = 0;
};
