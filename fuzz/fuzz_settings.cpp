// The settings files over arbitrary content: "PakVersion.VERS", "Misc\Default.col", "Keys.INPD",
// "Screen.SCRS" with the choice of its display mode, "Language.LCFG", "HotKeys.HCFG" in two
// languages and "Sound.SNDS", each read from an archive entry as start-up reads them. Damaged input
// must end in an engine error, never a crash, an overrun or an allocation sized by the file.

#include <cstddef>
#include <cstdint>

#include "foundation/config_blocks.h"
#include "foundation/exceptions.h"
#include "foundation/version_block.h"
#include "fuzz/memory_archive.h"
#include "graphics/video_mode.h"
#include "shell/input_device.h"

namespace {

void Read(FD::File& archive, const char* name, DataBlock& block) {
    try {
        ReadConfigBlock(archive, String(name), block);
    } catch (const DExep&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes = InputBytes(data, size);
    MemoryArchive archive({{"PakVersion.VERS", bytes},
                           {"Misc\\Default.col", bytes},
                           {"Keys.INPD", bytes},
                           {"Screen.SCRS", bytes},
                           {"Language.LCFG", bytes},
                           {"HotKeys.HCFG", bytes},
                           {"Sound.SNDS", bytes}});
    FD::File& file = archive.File();
    Read(file, "PakVersion.VERS", DataVersion());
    PaletteBlock colours;
    Read(file, "Misc\\Default.col", colours);
    for (uint32_t i = 0; i < colours.Count() && i < 300; ++i) colours.SetColour(i, 1, 2, 3);
    InputDevice keys;
    Read(file, "Keys.INPD", keys);
    ScreenSettingsBlock screen;
    Read(file, "Screen.SCRS", screen);
    try {
        CheckScreenMode(&screen);
        for (VideoKind kind : {VideoKind::DirectDraw, VideoKind::DrawDib}) ScreenVideoMode(screen, kind);
    } catch (const DExep&) {
    }
    LanguageBlock language("LCFG");
    Read(file, "Language.LCFG", language);
    for (uint32_t wanted : {1u, language.Language()}) {
        LanguageBlock hotKeys("HCFG");
        try {
            ReadHotKeys(file, hotKeys, wanted);
        } catch (const DExep&) {
        }
    }
    SoundSettingsBlock sound;
    Read(file, "Sound.SNDS", sound);
    sound.SoundOn();
    return 0;
}
