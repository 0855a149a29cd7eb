// Writes the seed corpora of the fuzz targets into <folder>/<target>/, built with the fixture
// builders of tests/support and the engine's own writers.

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "foundation/exceptions.h"
#include "foundation/fw.h"
#include "script/native_catalogue.h"
#include "script/operations.h"
#include "shell/input_device.h"
#include "tests/support/block_writer.h"
#include "tests/support/class_library_builder.h"
#include "tests/support/fd_writer.h"
#include "tests/support/galaxy_table.h"
#include "tests/support/picture_builder.h"
#include "tests/support/save_fixture.h"

namespace {

namespace fs = std::filesystem;

void Seed(const std::string& target, const std::string& name, const std::string& bytes) {
    fs::create_directories(target);
    std::ofstream(fs::path(target) / name, std::ios::binary) << bytes;
    std::ofstream(fs::path(target) / (name + ".packed"), std::ios::binary) << SepkPacked(bytes);
}

std::string ReadFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string KeysFile(bool mouse, uint32_t joystick) {
    InputDevice device;
    device.Actions().SetCodes({0x25, 0x27, 0x26, 0x28, 0x20});
    device.SetMouseEnabled(mouse);
    device.SetJoystickNumber(joystick);
    FW writer;
    writer.Create(String("seed.INPD"));
    device.WriteKeysChunk(writer);
    writer.Close();
    const std::string bytes = ReadFile("seed.INPD");
    fs::remove("seed.INPD");
    return bytes;
}

std::string Recording(bool mouse, int polls) {
    InputDevice device;
    device.Actions().SetCodes({0x25, 0x27, 0x20});
    device.SetMouseEnabled(mouse);
    FW writer;
    writer.Create(String("seed.rec"));
    device.SetRecordingSink(&writer);
    for (int i = 0; i < polls; ++i) {
        device.SetMousePosition(i * 3, i * 5);
        device.Poll();
    }
    device.SetRecordingSink(nullptr);
    writer.Close();
    const std::string bytes = ReadFile("seed.rec");
    fs::remove("seed.rec");
    return bytes;
}

std::string WaveFile(uint32_t samples) {
    std::string data;
    for (uint32_t i = 0; i < samples; ++i) data += LeU16(static_cast<uint16_t>((i / 20) % 2 ? 3000 : -3000));
    return "RIFF" + LeU32(36 + static_cast<uint32_t>(data.size())) + "WAVEfmt " + LeU32(16) + LeU16(1) +
           LeU16(1) + LeU32(22050) + LeU32(44100) + LeU16(2) + LeU16(16) + "data" +
           LeU32(static_cast<uint32_t>(data.size())) + data;
}

void Settings() {
    const std::string t = "fuzz_settings";
    Seed(t, "version", SEBlock("VERS", "", LeU16(1) + LeU16(11) + LeU16(0) + LeU16('b')));
    Seed(t, "colours", PaletteBlockBytes({{0, 0, 0}, {255, 128, 7}, {9, 9, 9}}));
    Seed(t, "screen", SEBlock("SCRC", "", LeU16(2) + LeU16(16) + LeU16(640) + LeU16(480)));
    Seed(t, "screen8", SEBlock("SCRC", "", LeU16(1) + LeU16(8) + LeU16(800) + LeU16(600)));
    Seed(t, "language", SEBlock("LCFG", "", LeU32(2)));
    Seed(t, "hotkeys", SEBlock("HCFG", "keys1", LeU32(1)) + SEBlock("HCFG", "keys2", LeU32(2)));
    Seed(t, "sound", SEBlock("SNDS", "", LeU16(0) + LeU16(1) + std::string(20, '\0')));
    Seed(t, "keys", KeysFile(true, 0));
}

void InputDevices() {
    Seed("fuzz_input_device", "keyboard", KeysFile(false, 0));
    Seed("fuzz_input_device", "mouse", KeysFile(true, 0));
    Seed("fuzz_input_device", "joystick", KeysFile(false, 2));
    Seed("fuzz_replay", "keys", Recording(false, 12));
    Seed("fuzz_replay", "mouse", Recording(true, 12));
}

void Sounds() {
    Seed("fuzz_sound", "wave", WaveFile(400));
    Seed("fuzz_sound", "ogg", "OggS" + std::string(1, '\0') + std::string(1, '\2') + std::string(58, '\0'));
    Seed("fuzz_sound", "module", std::string("Extended Module: seed") + std::string(60, ' '));
}

void ColourStrip() {
    FrameFixture strip;
    strip.width = 6;
    strip.height = 2;
    strip.pixels = {0, 1, 2, 3, 4, 5, 5, 4, 3, 2, 1, 0};
    Seed("fuzz_colour_strip", "indexed",
         PictureBlock({PaletteBlockBytes(
                           {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {9, 9, 9}, {255, 255, 255}}),
                       FrameBlock(strip)}));
    strip.bitsPerPixel = 16;
    strip.pixels = {0x0000, 0xF800, 0x07E0, 0x001F, 0xFFFF, 0x1234};
    Seed("fuzz_colour_strip", "rgb565", PictureBlock({FrameBlock(strip)}));
}

void Lists() {
    Seed("fuzz_subs", "pairs",
         "Default Arial\r\n\"Big Title\" \"Fonts\\Title.dff\"\r\n// comment\r\nsmall tiny\r\n");
    Seed("fuzz_subs", "hostile", "Default \"\\etc\\passwd\"\r\nUp \"..\\..\\x\"\r\nDrive C:\\x\r\n");
    Seed("fuzz_sspl", "empty", SEBlock("SSPL", ""));
    Seed("fuzz_sspl", "payload", SEBlock("SSPL", "player settings") + SEBlock("SSPL", std::string(40, '\7')));
}

std::string Le32(int32_t value) {
    return LeU32(static_cast<uint32_t>(value));
}

void PlayerConfigs() {
    using std::string_literals::operator""s;
    const std::string inpd =
        SCBlock("INPD", "", Le32(0) + Le32(0), {SEBlock("KEYS", Le32(37) + Le32(39), LeU16(2))});
    const std::string sslt =
        SCBlock("SSLT", "Charm\0"s, Le32(1) + Le32(1) + Le32(0), {SEBlock("SSLC", Le32(7))});
    const std::string scfg = SCBlock("SCFG", "Ship1\0"s, Le32(2),
                                     {SEBlock("SSLD", std::string(108, '\1'), Le32(1) + Le32(0)), sslt});
    Seed("fuzz_player_config", "pilot",
         SCBlock("PCFG", "Ann\0"s, Le32(12340) + Le32(50) + Le32(3) + Le32(2),
                 {inpd, SEBlock("SSPL", "Sol\0Earth\0"s), scfg,
                  SEBlock("PEVN", "DONE\0yes\0"s, Le32(1) + Le32(5)),
                  SEBlock("PSKL", "SwitchSkill\0"s, Le32(52) + Le32(2)), sslt}));
    Seed("fuzz_player_config", "bare", SCBlock("PCFG", "Bo\0"s, Le32(0) + Le32(0) + Le32(1) + Le32(0), {}));
}

void SaveGames() {
    using std::string_literals::operator""s;
    const std::string pilot = SCBlock("PCFG", "Bo\0"s, Le32(0) + Le32(0) + Le32(1) + Le32(0), {});
    const std::string header = SaveHeaderBytes(1234, 151072, SaveTextsFor("00000001"));
    Seed("fuzz_save_game", "two pilots", header + pilot + pilot);
    Seed("fuzz_save_game", "header only", header);
}

void CallStacks() {
    ClassLibraryBuilder library = ClassLibraryBuilder::Named("Main");
    library.code = std::vector<uint32_t>(6, InstructionWord::kReturn);
    library.methods = std::vector<uint32_t>{1, 3};
    library.virtualMethods = std::vector<uint32_t>{0, 5};
    library.WithDebugInfo("main.zs");
    Seed("fuzz_call_stack", "main", library.Build());
}

std::string Le32s(std::initializer_list<uint32_t> words) {
    std::string bytes;
    for (uint32_t w : words) bytes += LeU32(w);
    return bytes;
}

std::string Block(const std::string& tag, const std::string& payload, const std::string& fields,
                  const std::vector<std::string>& children, bool container) {
    BlockWriter block;
    block.tag = tag;
    block.payload = payload;
    block.headerFields = fields;
    block.subBlocks = children;
    return container ? block.SC() : block.SE();
}

void SlotBlocks() {
    const std::string laser = Block("SSLT", std::string("Laser") + '\0', Le32s({1, 1, 0}), {}, false);
    const std::string state = Block("SSLC", Le32s({25, 3}), "", {}, false);
    const std::string rockets = Block("SSLT", std::string("Rockets") + '\0', Le32s({1, 0, 0}), {state}, true);
    std::string records;
    for (int i = 0; i < 9; ++i)
        records += Le32s({static_cast<uint32_t>(i * 10), static_cast<uint32_t>(-100), 1});
    const std::string directions = Block("SSLD", records, Le32s({1, 0}), {}, false);
    const std::string ship = std::string("Cruiser") + '\0';
    Seed("fuzz_slot_blocks", "empty", Block("SCFG", ship, Le32s({0}), {}, false));
    Seed("fuzz_slot_blocks", "equipped",
         Block("SCFG", ship, Le32s({3}),
               {directions, laser, rockets, Block("SSLC", Le32s({7}), "", {}, false)}, true));
    Seed("fuzz_slot_blocks", "odd kinds",
         Block("SCFG", ship, Le32s({0}),
               {Block("SSLT", std::string("Odd") + '\0', Le32s({2, 1, 70000}), {}, false),
                Block("JUNK", "x", "", {}, false)},
               true));
}

void StarSystems() {
    const StarSystemFacts sol{.name = "Sol", .x = 10, .y = 20, .description = "Galaxy\\Sol.txt"};
    const StarSystemFacts unnamed{.x = -4, .y = 9, .description = "Galaxy\\Sol.txt"};
    Seed("fuzz_star_systems", "three", StarSystemTable(std::vector<StarSystemFacts>{sol, unnamed, sol}));
    Seed("fuzz_star_systems", "other children",
         StarSystemTable(std::vector<std::string>{SEBlock("JUNK", "x"), StarSystemBlock(sol)}));
}

void HighScores() {
    using std::string_literals::operator""s;
    auto table = [](const std::string& payload, uint32_t count) {
        return "SE"s + "HISC" + LeU16(14) + LeU32(static_cast<uint32_t>(payload.size())) + LeU32(count) +
               payload;
    };
    const std::string arcade = table("Arcade\0Arcade game\0Ann\0"s + LeU32(300) + "Bob\0"s + LeU32(120), 2);
    Seed("fuzz_hisc_reader", "two tables", arcade + SEBlock("JUNK", "x"s) + table("Duel\0Duel\0"s, 0));
    Seed("fuzz_hisc_reader", "one entry", table("A\0B\0Cyd\0"s + LeU32(static_cast<uint32_t>(-5)), 1));
}

// Steps of fuzz_natives (see there): per catalogue class an object made, its methods and virtual
// methods called with a text and edge integers, and the object deleted; and the dialog frame of
// width 0x80000000.
void Natives() {
    auto steps = [](std::initializer_list<int> bytes) { return std::string(bytes.begin(), bytes.end()); };
    constexpr int kMade = 0x80, kOwnClass = 0x80, kText = 0x42, kMin = 19, kAll = 24, kHundred = 9;
    const auto rows = NativeCatalogue();
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
        std::string made = steps({0, i, 0});
        for (int m = 0; m < 16; ++m) made += steps({1, kMade, kOwnClass, m, 3, kText, kMin, kAll});
        for (int v = 0; v < 8; ++v) made += steps({2, kMade, v, 2, kHundred, kMin});
        Seed("fuzz_natives", rows[i]->name, made + steps({3, kMade}));
        if (std::string(rows[i]->name) == "Dialog")
            Seed("fuzz_natives", "dialog frame",
                 steps({0, i, 0, 1, kMade, kOwnClass, 14, 3, 3, kMin, kHundred}));
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_seeds <corpus folder>\n");
        return 2;
    }
    // The engine's writers create files only inside the working folder.
    fs::create_directories(argv[1]);
    if (chdir(argv[1]) != 0) return 1;
    try {
        Settings();
        StarSystems();
        InputDevices();
        Sounds();
        ColourStrip();
        Lists();
        CallStacks();
        SlotBlocks();
        PlayerConfigs();
        SaveGames();
        HighScores();
        Natives();
    } catch (const DExep& e) {
        std::fprintf(stderr, "make_fuzz_seeds: %s\n", e.message.Text());
        return 1;
    }
    return 0;
}
