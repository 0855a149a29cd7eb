// The ColorManager: the game's numbered interface colours as pixel values of the current screen
// mode, read from the colour strip "Misc\Colors.dpf" (frame 0, top row, left to right; already
// converted to the screen mode when loaded), and red-green-blue triples turned into screen values.
// The table lives in the script address space: scripts hold the address of an entry and read it
// back, also after the table was rebuilt in place.
#pragma once

#include <cstdint>

#include "graphics/colour_table.h"
#include "script/native_descriptor.h"
#include "script/weak_object.h"

class Image;

// The colour strip's entry name.
constexpr const char* kColourStripName = "Misc\\Colors.dpf";

class ColorManager : public NativeDescriptor, public ColourTable {
  public:
    // The strip is not owned (the picture cache keeps it); null gives an empty table.
    ColorManager(MethodRunner* processor, Image* strip);
    ~ColorManager() override;

    // Refills the table from the strip's top row (after the pictures were converted).
    void BuildTable();

    uint32_t TableSize() const override { return size_; }
    uint16_t Colour(uint32_t n) const override;

    // The screen value nearest to red, green, blue: a palette index when the strip is 8-bit, else
    // a 5-6-5 or 5-5-5 pixel as the strip's frame is converted.
    uint32_t FromRGB(uint32_t red, uint32_t green, uint32_t blue) const;
    // Script address of entry n (not checked: the read is).
    uint32_t EntryAddress(uint32_t n) const;
    // Script address of entry n for the colours the engine itself names: FatalExep naming the strip
    // when its table has no entry n (a strip narrower than the interface's colours).
    uint32_t CheckedEntryAddress(uint32_t n) const;
    // The entry at a script address; FatalExep naming the strip unless both bytes lie inside the
    // table.
    uint16_t ReadColour(uint32_t address) const;

    // The strip while it lives (it is loaded at start-up, before any scene).
    Image* Strip() const;

    void RegisterMethods(ZEMAClass& target) override;
    // Binds the ZEMAClass methods, then methods 4 (FromRGB), 5 (ColourRef) and 6 (ReadColour).
    static void Bind(ZEMAClass& target, const NativeClassRow& row);

  private:
    WeakObject strip_;
    uint32_t size_ = 0;
    uint8_t* table_ = nullptr;  // size_ little-endian u16 entries
};
