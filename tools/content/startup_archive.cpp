#include "tools/content/startup_archive.h"

#include <algorithm>

#include "tools/content/block_writer.h"
#include "tools/content/font_builder.h"
#include "tools/content/picture_builder.h"

namespace {

std::string Version() {
    return SEBlock("VERS", "", LeU16(1) + LeU16(10) + LeU16(2) + LeU16('a'));
}

std::string Screen(const StartupArchiveOptions& o) {
    return SEBlock("SCRC", "",
                   LeU16(o.screenFlags) + LeU16(o.bitsPerPixel) + LeU16(o.width) + LeU16(o.height));
}

std::string Grey(uint32_t count) {
    std::vector<Rgb> colours;
    for (uint32_t i = 0; i < count; ++i) {
        const auto v = static_cast<uint8_t>(i * 255 / (count - 1));
        colours.push_back({v, v, v});
    }
    return PaletteBlockBytes(colours);
}

// Sixteen interface colours in the top row.
std::string ColourStrip() {
    std::vector<uint16_t> pixels;
    for (uint16_t i = 0; i < 16; ++i) pixels.push_back(static_cast<uint16_t>(0x0842 * i));
    return PictureBlock({FrameBlock({.width = 16, .height = 1, .bitsPerPixel = 16, .pixels = pixels})});
}

std::string Cursor() {
    return PictureBlock({FrameBlock(
        {.width = 4, .height = 4, .bitsPerPixel = 16, .pixels = std::vector<uint16_t>(16, 0xFFFF)})});
}

// Hot keys: each letter maps to its upper-case key code.
std::string HotKeys(uint32_t language) {
    std::string table;
    for (int c = 0; c < 256; ++c) {
        const int code = (c >= 'a' && c <= 'z') ? c - 32 : ((c >= 'A' && c <= 'Z') ? c : 0);
        table += LeU16(static_cast<uint16_t>(code));
    }
    return HotKeyBlockBytes(language, table);
}

std::string Sound(const StartupArchiveOptions& o) {
    return SEBlock("SNDS", "",
                   LeU16(0) + LeU16(o.effectsVolume) + LeU16(o.musicVolume) + std::string(18, '\0'));
}

// A short silent 16-bit mono wave file.
std::string SilentWave() {
    const std::string samples(64, '\0');
    std::string format = LeU16(1) + LeU16(1) + LeU32(22050) + LeU32(44100) + LeU16(2) + LeU16(16);
    std::string body = "WAVE" + std::string("fmt ") + LeU32(static_cast<uint32_t>(format.size())) + format +
                       "data" + LeU32(static_cast<uint32_t>(samples.size())) + samples;
    return "RIFF" + LeU32(static_cast<uint32_t>(body.size())) + body;
}

}  // namespace

std::string HotKeyBlockBytes(uint32_t language, const std::string& payload) {
    return SEBlock("HCFG", payload, LeU32(language));
}

std::string InputDeviceFile(const std::vector<uint32_t>& codes, bool mouse) {
    std::string payload;
    for (uint32_t c : codes) payload += LeU32(c);
    BlockWriter w;
    w.tag = "INPD";
    w.headerFields = LeU32(mouse ? 1 : 0) + LeU32(0);
    w.subBlocks = {SEBlock("KEYS", payload, LeU16(static_cast<uint16_t>(codes.size())))};
    return w.SC();
}

std::vector<std::string> StartupEntryNames() {
    return {"PakVersion.VERS",    "Misc\\Default.col",      "Keys.INPD",
            "Screen.SCRS",        "Language.LCFG",          "HotKeys.HCFG",
            "Sound.SNDS",         "Misc\\Colors.dpf",       "Fonts.subs",
            "Fonts\\Default.dff", "Misc\\GalaxyCursor.dpf", "Sound.subs"};
}

std::vector<FdEntry> StartupArchiveEntries(const StartupArchiveOptions& o) {
    std::vector<FdEntry> entries = {
        {"PakVersion.VERS", Version()},
        {"Misc\\Default.col", Grey(256)},
        {"Keys.INPD", InputDeviceFile({0x25, 0x27, 0x26, 0x28, 0x20})},
        {"Screen.SCRS", Screen(o)},
        {"Language.LCFG", SEBlock("LCFG", "", LeU32(o.language))},
        {"HotKeys.HCFG", o.hotKeysFile.empty() ? HotKeys(1) : o.hotKeysFile},
        {"Sound.SNDS", Sound(o)},
        {"Misc\\Colors.dpf", ColourStrip(), true},
        {"Fonts.subs", "Default \"Fonts\\Default.dff\"\n"},
        {"Fonts\\Default.dff", FontBlock(UniformFont(96, 5, 7))},
        {"Misc\\GalaxyCursor.dpf", Cursor()},
        {"Sound.subs", "Click \"Misc\\Silence.wav\"\n"},
        {"Misc\\Silence.wav", SilentWave()},
    };
    std::erase_if(entries, [&](const FdEntry& e) {
        return std::find(o.omit.begin(), o.omit.end(), e.name) != o.omit.end();
    });
    entries.insert(entries.end(), o.extra.begin(), o.extra.end());
    return entries;
}

std::string StartupArchive(const StartupArchiveOptions& options) {
    FdWriter writer;
    writer.Group(StartupArchiveEntries(options));
    return writer.Build();
}
