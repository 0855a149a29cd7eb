// The process-wide settings blocks, filled at start-up from small files read by name through the
// archive (loose files in the game folder first) and written back by the option screens.
#pragma once

#include <cstdint>

#include "foundation/data_block.h"
#include "foundation/engine_string.h"
#include "foundation/palette_block.h"

namespace FD {
class File;
}

// "SCRC", stored as "Screen.SCRS".
class ScreenSettingsBlock : public DataBlock {
  public:
    static constexpr uint16_t kDirectDraw = 1;  // flag bit 0: show frames through the lockable kind
    static constexpr uint16_t kFullScreen = 2;
    // The file the settings are read from and written to.
    static constexpr const char* kFileName = "Screen.SCRS";

    ScreenSettingsBlock();
    uint16_t Flags() const;
    void SetFlags(uint16_t flags);
    uint16_t BitsPerPixel() const;
    uint16_t Width() const;
    uint16_t Height() const;
    void SetMode(uint16_t bitsPerPixel, uint16_t width, uint16_t height);

    // The display's 16-bit pixel format (555 or 565); not stored.
    int32_t pixelFormat = 0;
};

// "Sound.SNDS": takes whatever tag its file holds.
class SoundSettingsBlock : public DataBlock {
  public:
    SoundSettingsBlock();
    bool SoundOn() const;
};

// "LCFG" and "HCFG": a language number at header offset 10.
class LanguageBlock : public DataBlock {
  public:
    explicit LanguageBlock(const char* tag = "LCFG");
    uint32_t Language() const;
    void SetLanguage(uint32_t language);
};

// Process-wide instances.
// "Misc\Default.col": the palette of 8-bit modes.
PaletteBlock& DefaultColours();
ScreenSettingsBlock& ScreenSettings();
SoundSettingsBlock& SoundSettings();
LanguageBlock& LanguageSettings();
LanguageBlock& HotKeys();

// Opens name through the archive and reads one block into block.
void ReadConfigBlock(FD::File& archive, const String& name, DataBlock& block);

// Reads the hot-key block of the current language from "HotKeys.HCFG": the block of the language
// wins; the language-1 block serves when the language has none.
void ReadHotKeys(FD::File& archive, LanguageBlock& hotKeys, uint32_t language);

// Reads every settings file in start-up order; keys is the input mapping read from "Keys.INPD".
void ReadConfiguration(FD::File& archive, DataBlock& keys);
