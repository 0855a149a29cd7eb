// The frame memory that all drawing goes into, with its row addressing. The base lays rows out
// top-down in memory it is given; the display kinds derive from it.
#pragma once

#include <cstdint>

class PaletteBlock;
class ScreenSettingsBlock;

class ScreenSurface {
  public:
    // Width, height and depth come from the settings; pitch is the row size rounded up to a
    // multiple of rowAlignment. Pixels stay null until a derived kind provides memory.
    ScreenSurface(ScreenSettingsBlock* settings, PaletteBlock* palette, int32_t rowAlignment);
    virtual ~ScreenSurface() = default;
    ScreenSurface(const ScreenSurface&) = delete;
    ScreenSurface& operator=(const ScreenSurface&) = delete;

    // Signed byte step from one row to the next.
    virtual int32_t RowStep() const;
    virtual uint8_t* RowAddress(int32_t y) const;
    virtual uint8_t* PixelAddress(int32_t x, int32_t y) const;
    // Fills the whole frame memory: 16-bit modes with the colour, 8-bit modes with its low byte.
    virtual void Fill(uint32_t colour);
    // True when drawing may start; the pixels are valid until Unlock.
    virtual bool Lock();
    virtual void Unlock();

    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    int32_t Pitch() const { return pitch_; }
    int32_t BitsPerPixel() const { return bitsPerPixel_; }
    int32_t BytesPerPixel() const { return bytesPerPixel_; }
    int32_t RowAlignment() const { return rowAlignment_; }
    PaletteBlock* Palette() const { return palette_; }
    ScreenSettingsBlock* Settings() const { return settings_; }
    uint8_t* Pixels() const { return pixels_; }
    // Bytes of frame memory: pitch x height.
    uint64_t FrameBytes() const { return uint64_t(uint32_t(pitch_)) * uint32_t(height_); }

  protected:
    void SetPixels(uint8_t* pixels) { pixels_ = pixels; }

  private:
    int32_t width_;
    int32_t height_;
    int32_t pitch_;
    int32_t bitsPerPixel_;
    PaletteBlock* palette_;
    int32_t rowAlignment_;
    uint8_t* pixels_ = nullptr;
    int32_t bytesPerPixel_;
    ScreenSettingsBlock* settings_;
};

// A top-down surface over memory it owns: for tests and for off-screen drawing.
class MemorySurface : public ScreenSurface {
  public:
    MemorySurface(ScreenSettingsBlock* settings, PaletteBlock* palette, int32_t rowAlignment);
    ~MemorySurface() override;
};
