// Writes the seed corpora of the fuzz targets into <folder>/<target>/, built with the fixture
// builders of tests/support and the engine's own writers: valid files of each target's format and
// the format's edge cases. fuzz_processor writes its own into an empty corpus folder.

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
#include "tests/support/galaxy_table.h"
#include "tests/support/save_fixture.h"
#include "tools/content/block_writer.h"
#include "tools/content/class_library_builder.h"
#include "tools/content/fd_writer.h"
#include "tools/content/font_builder.h"
#include "tools/content/game_content.h"
#include "tools/content/picture_builder.h"
#include "tools/content/sound_builder.h"

namespace {

namespace fs = std::filesystem;

// For targets that take the bytes as they are (texts, sounds).
void SeedPlain(const std::string& target, const std::string& name, const std::string& bytes) {
    fs::create_directories(target);
    std::ofstream(fs::path(target) / name, std::ios::binary) << bytes;
}

// For targets that read through a block reader, which unpacks packed files: both forms.
void Seed(const std::string& target, const std::string& name, const std::string& bytes) {
    SeedPlain(target, name, bytes);
    SeedPlain(target, name + ".packed", SepkPacked(bytes));
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
    // Mostly header: a mutation lands on a field the decoders trust far more often.
    Seed("fuzz_sound", "wave short", WaveFile(8));
    Seed("fuzz_sound", "flac", FlacFile());
    Seed("fuzz_sound", "ogg", OggVorbisFile());
    Seed("fuzz_sound", "mp3", Mp3File());
    Seed("fuzz_sound", "module", ModFile({"M.K.", 4}));
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

// Every layout and its limits: "SE" with short and long headers, "SC" with the longest prefix the
// look-ahead takes and with one more, "SM", nesting, a missing sub-block mark; then the text
// tokens the same reader reads.
void BlockReaderSeeds() {
    const std::string t = "fuzz_block_reader";
    Seed(t, "plain",
         SEBlock("VERS", "payload", LeU32(7)) + SEBlock("EMPT", "") +
             SEBlock("LONG", "p", std::string(10, 'h')));
    Seed(t, "nested",
         SCBlock(
             "OUTR", "head", LeU32(1),
             {SEBlock("IN1", "x"), SCBlock("IN2", "", {SEBlock("DEEP", "y")}),
              SMBlock("LIST", {SEBlock("A", "1"), SCBlock("B", "2", {SMBlock("C", {SEBlock("D", "")})})})}));
    BlockWriter prefix;
    prefix.tag = "WIDE";
    prefix.payload = "abc";
    prefix.subBlocks = {SEBlock("SUB", "s")};
    prefix.prefix = 118;  // P + 10 = 128, all the look-ahead holds
    Seed(t, "longest prefix", prefix.SC());
    prefix.prefix = 119;
    Seed(t, "prefix too long", prefix.SC());
    BlockWriter gap;
    gap.tag = "CNT";
    gap.subBlocks = {SEBlock("ONE", "1"), "junk", SEBlock("TRE", "3")};
    gap.storedCount = 3;
    Seed(t, "missing mark", gap.SC() + gap.SM());
    BlockWriter directory;
    directory.tag = "DIR";
    directory.prefix = 10;
    directory.subBlocks = {SEBlock("E1", "a"), SEBlock("E2", "b")};
    Seed(t, "container", directory.SM());
    Seed(t, "text", "// comment\r\nword \"quoted text\" next\ttab /x\r\n\"open to the end");
    Seed(t, "blocks then text", SEBlock("HEAD", "x") + "Default \"Fonts\\Default.dff\"\r\n// end\r\n");
}

// Integers and texts (with quotes, backslashes and line feeds escaped), a repeated ID, the largest
// ID, the most values a record holds and one more.
void CharacteristicsSeeds() {
    const std::string t = "fuzz_characteristics";
    Seed(t, "records",
         CharacteristicsText({{10, {1, -2, 3}},
                              {11, {std::string("a b"), std::string("x\"y\\z\nw"), 12}},
                              {16777215, {0}},
                              {10, {5}}}));
    std::vector<CharValue> most(1000, CharValue{7});
    std::vector<CharValue> tooMany(1001, CharValue{std::string("v")});
    Seed(t, "limits", CharacteristicsText({{1, most}, {2, tooMany}, {3, {-2147483647 - 1, 2147483647}}}));
    Seed(t, "comments", "// header\r\n7 1 2 3\r\n8 \"text\" +4 -0\r\n16777216 1\r\n");
}

// One library with code, tables and debug records; then, cut by "|||", four libraries that use
// each other and the native class "N" and a substitution list, as the target loads them.
void ClassLibrarySeeds() {
    const std::string t = "fuzz_class_library";
    auto library = [](const std::string& name, std::vector<std::string> used, uint16_t base) {
        ClassLibraryBuilder b = ClassLibraryBuilder::Named(name, std::move(used));
        b.instanceFields = 2;
        b.classFields = 1;
        b.baseIndex = base;
        b.code =
            std::vector<uint32_t>{1, OpWord(Op::This), InstructionWord::kReturn, 1, InstructionWord::kReturn};
        b.methods = std::vector<uint32_t>{1, 4};
        b.virtualMethods = std::vector<uint32_t>{0, 1};
        b.WithDebugInfo(name + ".zs");
        return b.Build();
    };
    Seed(t, "one", library("A", {}, 0));
    Seed(t, "no debug records", ClassLibraryBuilder::Named("A").Build());
    const std::string uses = library("A", {"B", "N"}, 2) + "|||" + library("B", {"C"}, 1) + "|||" +
                             library("C", {}, 0) + "|||" + library("D", {"A", "D"}, 1) + "|||" +
                             "X \"C.glc\"\r\nY D\r\n";
    SeedPlain(t, "uses", uses);
}

// Archives of both directory layouts, with packed entries, several groups and an empty one.
void ArchiveSeeds() {
    const std::string t = "fuzz_fd_directory";
    FdWriter writer;
    writer.Group({{"Misc\\Default.col", PaletteBlockBytes({{0, 0, 0}, {255, 255, 255}})},
                  {"b.txt", std::string(300, 'b'), true},
                  {"A.TXT", "upper"}});
    writer.Group({{"Second\\one", "1"}, {"Second\\empty", ""}});
    Seed(t, "two groups", writer.Build());
    writer.layout = 'C';
    Seed(t, "sc directory", writer.Build());
    Seed(t, "no entries", FdWriter{}.Group({}).Build());
}

// A font of many glyphs, one with language variants and glyph offsets, one glyph of the widest
// row; the input's tail is also the text laid out.
void FontSeeds() {
    const std::string t = "fuzz_font";
    Seed(t, "uniform", FontBlock(UniformFont()) + "The quick brown fox, 12345 wraps here.");
    FontFixture languages = UniformFont(30, 8, 9, 65);
    languages.languages = {1, 2, 3};
    languages.glyphs[1].offset = -2;
    languages.glyphs[2].width = 12;
    FontFixture second = UniformFont(10, 3, 4);
    second.languages = {2};
    Seed(t, "languages", FontBlock(languages) + FontBlock(second) + "ABC\nDEF GHI");
    FontFixture wide = UniformFont(1, 127, 2, 32);
    Seed(t, "wide glyph", FontBlock(wide) + std::string(60, ' '));
}

// Lines as the installer's list holds them, and names a list must never reach outside with.
void LanguageListSeeds() {
    const std::string t = "fuzz_language_list";
    SeedPlain(t, "two", "1 English\n2 Deutsch\n");
    SeedPlain(t, "forms",
              " 0x10 Hex\r\n010 Octal\r\nno number\n-5 Minus\n\n3 " + std::string(120, 'L') +
                  "\n2 english\n99999999999 Big\n3");
}

// Texts of language 1 and of other language sections, comments, numbers out of range.
void MessageFileSeeds() {
    const std::string t = "fuzz_messages";
    Seed(t, "texts", MessageFileText({{1, "One"}, {2, "Two words"}, {16777215, "last"}}));
    Seed(t, "languages",
         "// texts\r\n1 one@ 2 two@\r\nLanguage 2\r\n1 eins@ 3 drei@\r\nLanguage 1\r\n4 four@");
    Seed(t, "out of range", "-1 minus@ 16777216 big@ x word@ 5 open text");
}

// Pictures as the builders make them: an 8-bit one with its palette, 16-bit frames with origins
// and a mask, direction entries, sub-pictures nested.
void PictureSeeds() {
    const std::string t = "fuzz_picture";
    FrameFixture frame{
        .width = 3, .height = 2, .originX = -1, .originY = 1, .flags = 1, .pixels = {0, 1, 2, 3, 0, 1}};
    Seed(t, "indexed",
         PictureBlock({PaletteBlockBytes({{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}}),
                       FrameBlock(frame), FrameBlock(frame)}));
    FrameFixture masked{.width = 4,
                        .height = 2,
                        .bitsPerPixel = 16,
                        .pixels = {0xFFFF, 0x7C00, 0x03E0, 0x001F, 0, 1, 2, 3},
                        .mask = std::vector<uint8_t>{0, 64, 128, 255, 255, 128, 64, 0}};
    Seed(t, "masked", PictureBlock({FrameBlock(masked)}));
    Seed(t, "directions", ShapedPicture({.entries = 8, .frames = 2, .width = 2, .height = 3}));
    Seed(t, "nested",
         PictureBlock({PictureBlock({FrameBlock(frame)}), PictureBlock({PictureBlock({FrameBlock(masked)})}),
                       FrameBlock(masked)}));
}

// Packed streams of short, repeating and varied content; long enough that the code table fills
// and starts again. Each seed is also unpacked as it is: the target packs and unpacks that too.
void PackedStreamSeeds() {
    const std::string t = "fuzz_sepk_unpack";
    std::string varied;
    for (uint32_t i = 0; varied.size() < 70000; ++i) varied += std::to_string(i * 2654435761u) + ' ';
    Seed(t, "empty", "");
    Seed(t, "short", "abababababcabc");
    Seed(t, "repeated", std::string(5000, 'z'));
    Seed(t, "varied", varied);
}

// Each kind of sound file the output takes, built in code.
void SoundFormatSeeds() {
    const std::string t = "fuzz_sound_format";
    SeedPlain(t, "wave", WaveFile(400));
    SeedPlain(t, "wave 8 kHz", WaveFile(100, 8000));
    SeedPlain(t, "ogg", OggVorbisFile());
    SeedPlain(t, "mp3", Mp3File());
    for (const ModTag& tag : {ModTag{"M.K.", 4}, ModTag{"6CHN", 6}, ModTag{"FLT4", 4}})
        SeedPlain(t, std::string("mod ") + (tag.tag[0] == 'M' ? "mk" : tag.tag), ModFile(tag));
    SeedPlain(t, "mtm", MtmFile());
}

// A list as the installer writes it, and names that climb out, are absolute or follow the link.
void UninstallListSeeds() {
    const std::string t = "fuzz_uninstall_list";
    SeedPlain(t, "installed", "a.txt\nMisc\\b.dat\nMisc\\Sub\\c.dat\nMisc\\Sub\nMisc\n");
    SeedPlain(t, "hostile",
              "..\\outside\\a.txt\r\n/etc/passwd\nC:\\a.txt\nLink\\a.txt\nLink\nMisc\\..\\..\\x\n\nlast");
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
        BlockReaderSeeds();
        CharacteristicsSeeds();
        ClassLibrarySeeds();
        ArchiveSeeds();
        FontSeeds();
        LanguageListSeeds();
        MessageFileSeeds();
        PictureSeeds();
        PackedStreamSeeds();
        SoundFormatSeeds();
        UninstallListSeeds();
        Natives();
    } catch (const DExep& e) {
        std::fprintf(stderr, "make_fuzz_seeds: %s\n", e.message.Text());
        return 1;
    }
    return 0;
}
