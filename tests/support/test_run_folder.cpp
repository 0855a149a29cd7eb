#include "tests/support/test_run_folder.h"

#include <cmath>
#include <fstream>
#include <iterator>
#include <memory>
#include <system_error>

#include "foundation/fw.h"
#include "script/operations.h"
#include "tools/content/block_writer.h"
#include "tools/content/game_content.h"
#include "tools/content/picture_builder.h"
#include "tools/content/script_subclass.h"
#include "tools/content/startup_archive.h"
#include "world/equipment_config.h"
#include "world/slot.h"
#include "world/slot_blocks.h"

namespace {

constexpr const char* kEngineClass = "TestRunEngine";
constexpr const char* kCellClass = "TestRunCell";

constexpr uint16_t Rgb555(int r, int g, int b) {
    return static_cast<uint16_t>((r >> 3) << 10 | (g >> 3) << 5 | (b >> 3));
}

FdEntry Library(const ScriptSubclass& cls) {
    const ClassLibraryBuilder library = cls.Library();
    return {library.name.value_or("") + ".glc", library.Build()};
}

// A size x size frame drawn by colourAt(x, y); 0 is transparent.
template <class Colour>
std::string Drawn(uint32_t size, Colour colourAt) {
    std::vector<uint16_t> pixels;
    for (uint32_t y = 0; y < size; ++y)
        for (uint32_t x = 0; x < size; ++x)
            pixels.push_back(colourAt(static_cast<int>(x), static_cast<int>(y)));
    return FrameBlock({.width = size,
                       .height = size,
                       .bitsPerPixel = 16,
                       .originX = static_cast<int32_t>(size / 2),
                       .originY = static_cast<int32_t>(size / 2),
                       .pixels = pixels});
}

// The ship pointing up: a blue wedge with a white cockpit and a flame that flickers between the two
// frames; the same in each of the five direction entries.
std::string ShipPicture() {
    constexpr int kSize = 24;
    std::vector<std::string> frames;
    for (int f = 0; f < 2; ++f) {
        frames.push_back(Drawn(kSize, [f](int x, int y) -> uint16_t {
            const int half = y / 2 + 1;  // the wedge widens downwards
            if (y < kSize - 4 && std::abs(x - kSize / 2) < half)
                return y > 6 && y < 11 && std::abs(x - kSize / 2) < 2 ? Rgb555(255, 255, 255)
                                                                      : Rgb555(70, 140, 255);
            if (y >= kSize - 4 && y < kSize - 2 + f && std::abs(x - kSize / 2) < 2)
                return Rgb555(255, 150, 30);
            return 0;
        }));
    }
    return PictureBlock(std::vector<std::string>(5, PictureBlock(frames)));
}

// The experiment: an orange ring round a yellow core.
std::string ExperimentPicture() {
    constexpr int kSize = 32;
    return PictureBlock({PictureBlock({Drawn(kSize, [](int x, int y) -> uint16_t {
        const double r = std::hypot(x - kSize / 2 + 0.5, y - kSize / 2 + 0.5);
        if (r < 7) return Rgb555(255, 230, 60);
        if (r > 11 && r < 15) return Rgb555(255, 150, 30);
        return 0;
    })})});
}

// The mask that cuts splinters: four quarters.
std::string BrokerPicture() {
    std::vector<std::string> quarters;
    for (int q = 0; q < 4; ++q) {
        quarters.push_back(Drawn(32, [q](int x, int y) -> uint16_t {
            return (x < 16) == (q % 2 == 0) && (y < 16) == (q < 2) ? 0x7FFF : 0;
        }));
    }
    return PictureBlock(quarters);
}

// Where the ship starts, in hundredths of a pixel: in the middle of the field's width, at 80
// hundredths of its height, as a flight places a lone ship. Its stored state holds the place, which
// its class's restoring method sets.
constexpr uint32_t kStartX = 320 * 100;
constexpr uint32_t kStartY = 480 * 80;

// "Ship1.SCFG": the ship with its cell, its engine and its place, as the configuration writer stores
// it. The writer needs a file of the working folder, which is removed again.
std::string ShipConfigBytes() {
    ShipConfig config;
    config.SetClassName(kTestRunShipClass);
    config.Slots().SetShipState(std::make_unique<SslcBlock>(std::vector<uint32_t>{kStartX, kStartY}));
    config.Slots().Items().push_back(std::make_unique<SsltBlock>(kSlotEnergy, 1, 0, kCellClass));
    config.Slots().Items().push_back(std::make_unique<SsltBlock>(kSlotEngine, 1, 0, kEngineClass));
    const char* scratch = "test-run-ship.scratch";
    {
        FW fw;
        fw.Create(String(scratch));
        config.Store(fw);
        fw.Close();
    }
    std::string bytes;
    {
        std::ifstream in(scratch, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::error_code ignored;
    std::filesystem::remove(scratch, ignored);
    return bytes;
}

}  // namespace

std::vector<FdEntry> TestRunEntries() {
    // Actor pops picture, energy, x, y, speed x, speed y, damage and armour tables; Ship pops picture,
    // damage, protection, the slot counts from the last group to the first, values A, B and C, mass
    // and base consumption; Akb pops picture, capacity, value F and base value; Engine picture,
    // thrust, consumption and two values. Each pushed in reverse, the picture by code.
    return {
        Library({.name = "Experiment",
                 .base = "Actor",
                 .uses = {"ImageManager"},
                 .createValues = {0, 0, 0, 0, 24000, 32000, 100},
                 .createCode = PushUnderClass(PushPictureWords("Test\\Experiment.dpf", 2))}),
        Library({.name = kTestRunShipClass,
                 .base = "Ship",
                 // Restoring its state (y on top of x) stores them through the references to y
                 // and x; its fire and equipment steps are its own methods, which pass to the base's.
                 .virtuals = {{6, {BaseCallWord(5), OpWord(Op::Store), BaseCallWord(4), OpWord(Op::Store)}}},
                 .methods = {{41, {BaseCallWord(41)}}, {42, {BaseCallWord(42)}}},
                 .uses = {"ImageManager"},
                 // One energy source and one engine.
                 .createValues = {0, 1, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0},
                 .createCode = PushUnderClass(PushPictureWords("Test\\RunShip.dpf", 2))}),
        Library({.name = kCellClass, .base = "Akb", .createValues = {50, 0, 30000, 0}}),
        // Little thrust: the runs make their frames as fast as they can, thousands a second, and at a
        // tenth of a pixel a frame the ship still crosses the screen in about a second.
        Library({.name = kEngineClass, .base = "Engine", .createValues = {40, 0, 60, 10, 0}}),
        {"Misc\\Broker.dpf", BrokerPicture()},
        {"Test\\RunShip.dpf", ShipPicture()},
        {"Test\\Experiment.dpf", ExperimentPicture()}};
}

std::vector<std::pair<std::string, std::string>> TestRunFiles() {
    // Arrows and space: left, right, up, down, fire.
    return {{"Ship1.SCFG", ShipConfigBytes()},
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
