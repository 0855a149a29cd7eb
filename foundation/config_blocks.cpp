#include "foundation/config_blocks.h"

#include "foundation/block_reader.h"
#include "foundation/byte_order.h"
#include "foundation/fd_file.h"
#include "foundation/version_block.h"

namespace {

uint16_t HeaderU16(const DataBlock& block, uint32_t at) {
    return at + 2 <= block.HeaderSize() ? LoadU16(block.Header() + at) : 0;
}

uint32_t HeaderU32(const DataBlock& block, uint32_t at) {
    return at + 4 <= block.HeaderSize() ? LoadU32(block.Header() + at) : 0;
}

void SetHeaderU16(DataBlock& block, uint32_t at, uint16_t value) {
    if (at + 2 <= block.HeaderSize()) StoreU16(block.Header() + at, value);
}

}  // namespace

ScreenSettingsBlock::ScreenSettingsBlock() : DataBlock(18, false) {
    SetSignature("SCRC");
}

uint16_t ScreenSettingsBlock::Flags() const {
    return HeaderU16(*this, 10);
}
void ScreenSettingsBlock::SetFlags(uint16_t flags) {
    SetHeaderU16(*this, 10, flags);
}
uint16_t ScreenSettingsBlock::BitsPerPixel() const {
    return HeaderU16(*this, 12);
}
uint16_t ScreenSettingsBlock::Width() const {
    return HeaderU16(*this, 14);
}
uint16_t ScreenSettingsBlock::Height() const {
    return HeaderU16(*this, 16);
}

void ScreenSettingsBlock::SetMode(uint16_t bitsPerPixel, uint16_t width, uint16_t height) {
    SetHeaderU16(*this, 12, bitsPerPixel);
    SetHeaderU16(*this, 14, width);
    SetHeaderU16(*this, 16, height);
}

SoundSettingsBlock::SoundSettingsBlock() : DataBlock(34, false) {}

bool SoundSettingsBlock::SoundOn() const {
    return HeaderU16(*this, 12) != 0;
}

LanguageBlock::LanguageBlock(const char* tag) : DataBlock(14, true) {
    SetSignature(tag);
}

uint32_t LanguageBlock::Language() const {
    return HeaderU32(*this, 10);
}

void LanguageBlock::SetLanguage(uint32_t language) {
    if (HeaderSize() >= 14) StoreU32(Header() + 10, language);
}

// Built on first use, in the order the settings need each other; destroyed at exit in reverse.
ScreenSettingsBlock& ScreenSettings() {
    static ScreenSettingsBlock block;
    return block;
}

SoundSettingsBlock& SoundSettings() {
    static SoundSettingsBlock block;
    return block;
}

LanguageBlock& LanguageSettings() {
    static LanguageBlock block("LCFG");
    return block;
}

PaletteBlock& DefaultColours() {
    static PaletteBlock block;
    return block;
}

LanguageBlock& HotKeys() {
    static LanguageBlock block("HCFG");
    return block;
}

void ReadConfigBlock(FD::File& archive, const String& name, DataBlock& block) {
    EntryBlockReader reader(&archive, 1024, 1024, 128);
    reader.Open(name);
    reader >> block;
    reader.Close();
}

void ReadHotKeys(FD::File& archive, LanguageBlock& hotKeys, uint32_t language) {
    EntryBlockReader reader(&archive, 1024, 1024, 128);
    reader.Open(String("HotKeys.HCFG"));
    while (!reader.AtEnd()) {
        LanguageBlock candidate("HCFG");
        reader >> candidate;
        uint32_t t = candidate.Language();
        if (hotKeys.Language() == 0) {
            if (t == 1 || t == language) hotKeys = candidate;
            if (t == language) break;
        } else if (t == language) {
            hotKeys = candidate;
            break;
        }
    }
    reader.Close();
}

void ReadConfiguration(FD::File& archive, DataBlock& keys) {
    ReadConfigBlock(archive, String("PakVersion.VERS"), DataVersion());
    ReadConfigBlock(archive, String("Misc\\Default.col"), DefaultColours());
    ReadConfigBlock(archive, String("Keys.INPD"), keys);
    ReadConfigBlock(archive, String(ScreenSettingsBlock::kFileName), ScreenSettings());
    ReadConfigBlock(archive, String("Language.LCFG"), LanguageSettings());
    ReadHotKeys(archive, HotKeys(), LanguageSettings().Language());
    ReadConfigBlock(archive, String("Sound.SNDS"), SoundSettings());
}
