#include "tests/support/test_run_folder.h"

#include <fstream>

#include "tools/content/block_writer.h"
#include "tools/content/game_content.h"
#include "tools/content/script_subclass.h"
#include "tools/content/startup_archive.h"

namespace {

FdEntry Library(const ScriptSubclass& cls) {
    const ClassLibraryBuilder library = cls.Library();
    return {library.name.value_or("") + ".glc", library.Build()};
}

}  // namespace

std::vector<FdEntry> TestRunEntries() {
    // Actor pops picture, energy, x, y, speed x, speed y, damage and armour tables; pushed in
    // reverse. Ship pops picture, damage, protection, the slot counts from the last group to the
    // first, value A, value B, value C, mass and base consumption.
    return {
        Library({.name = "Experiment", .base = "Actor", .createValues = {0, 0, 0, 0, 24000, 32000, 100, 0}}),
        Library({.name = kTestRunShipClass,
                 .base = "Ship",
                 // Its fire and equipment steps are its own methods; they pass to the base's.
                 .methods = {{41, {BaseCallWord(41)}}, {42, {BaseCallWord(42)}}},
                 .uses = {"ImageManager"},
                 .createValues = {0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
                 .createCode = PushUnderClass(PushPictureWords("Test\\RunShip.dpf", 2))}),
        {"Misc\\Broker.dpf", ShapedPicture({.width = 2, .height = 2})},
        {"Test\\RunShip.dpf", ShapedPicture({.entries = 5, .frames = 2, .width = 8, .height = 8})}};
}

std::vector<std::pair<std::string, std::string>> TestRunFiles() {
    const std::string shipName = std::string(kTestRunShipClass) + '\0';
    // Arrows and space: left, right, up, down, fire.
    return {{"Ship1.SCFG", SEBlock("SCFG", shipName, LeU32(0))},
            {"Player1.INPD", InputDeviceFile({0x25, 0x27, 0x26, 0x28, 0x20})}};
}

bool WriteTestRunFiles(const std::filesystem::path& folder) {
    for (const auto& [name, bytes] : TestRunFiles()) {
        std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out) return false;
    }
    return true;
}
