// A minimal game folder's "main.FD": every entry start-up reads (the settings blocks,
// "Misc\Colors.dpf", "Fonts.subs" with the "Default" font it names, "Misc\GalaxyCursor.dpf",
// "Sound.subs"), small and valid, built with the block, picture, font and archive builders.
// Options leave entries out or change the screen and language settings.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/content/fd_writer.h"

struct StartupArchiveOptions {
    std::vector<std::string> omit{};  // entry names left out
    uint16_t screenFlags = 0;         // bit 0 DirectDraw, bit 1 full screen
    uint16_t bitsPerPixel = 16;
    uint16_t width = 640;
    uint16_t height = 480;
    uint32_t language = 1;
    uint16_t effectsVolume = 1;  // "Sound.SNDS": 0 is sound off, up to 10
    uint16_t musicVolume = 0;
    std::string hotKeysFile{};     // in place of the usual "HotKeys.HCFG" when not empty
    std::vector<FdEntry> extra{};  // further entries
};

// The entries start-up cannot do without, in the order it reads them.
std::vector<std::string> StartupEntryNames();
std::vector<FdEntry> StartupArchiveEntries(const StartupArchiveOptions& options = {});
// The archive file's bytes.
std::string StartupArchive(const StartupArchiveOptions& options = {});

// A hot-key block ("HCFG") of the language with the payload as given.
std::string HotKeyBlockBytes(uint32_t language, const std::string& payload);
// An input device file ("INPD" with its "KEYS" mapping) for the keyboard, and the mouse when asked.
std::string InputDeviceFile(const std::vector<uint32_t>& codes, bool mouse = false);
