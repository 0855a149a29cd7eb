// Writes the seed corpora of the fuzz targets into <folder>/<target>/, built with the fixture
// builders of tests/support and the engine's own writers: valid files of each target's format and
// the format's edge cases. fuzz_processor writes its own into an empty corpus folder.

#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "foundation/exceptions.h"
#include "foundation/fw.h"
#include "fuzz/hostile_steps.h"
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

// Steps of fuzz_hostile_classes (fuzz/hostile_steps.h), written by name.
class HostileSteps {
  public:
    using Action = std::array<uint8_t, 4>;  // verb, subject, target, extra

    HostileSteps& Make(hostile::Kind kind, uint8_t slot, uint8_t extra = 0) {
        return Add({hostile::kMake, kind, slot, extra});
    }
    // Arms a virtual method (or, with isVirtual false, a method) of a hostile kind.
    HostileSteps& Arm(hostile::Kind kind, bool isVirtual, uint32_t number, uint8_t passing, bool everyCall,
                      std::initializer_list<Action> actions) {
        const hostile::KindName& name = hostile::kKindNames[kind];
        const uint8_t site =
            hostile::Site(name, FindNativeClassRow(name.base)->virtualMethods, isVirtual, number);
        Add({hostile::kArm, kind, site,
             hostile::Plan(passing, everyCall, static_cast<uint8_t>(actions.size()))});
        for (const Action& action : actions) Add({action[0], action[1], action[2], action[3]});
        return *this;
    }
    HostileSteps& Fit(uint8_t item, uint8_t ship, uint8_t group, uint8_t index, bool enabled,
                      uint8_t slotName, bool second = false) {
        const auto place =
            static_cast<uint8_t>(group | (index << 3) | (second ? 0x40 : 0) | (enabled ? 0x80 : 0));
        return Add({hostile::kFit, item, ship, place, slotName});
    }
    HostileSteps& Hand(uint8_t what, uint8_t owner, hostile::HandHow how) {
        return Add({hostile::kHand, what, owner, how});
    }
    HostileSteps& Drive(hostile::Step step, uint8_t operation, uint8_t pick, uint8_t value = 0) {
        if (step == hostile::kDialog) return Add({step, pick, value});
        return Add({step, operation, pick, value});
    }
    HostileSteps& ShipWindow(uint8_t ship, uint8_t hand, uint8_t firstClick, uint8_t secondClick) {
        return Add({hostile::kShipWindow, ship, hand, static_cast<uint8_t>(firstClick | secondClick << 4)});
    }
    HostileSteps& Delete(uint8_t pick) { return Add({hostile::kDelete, pick}); }
    const std::string& Bytes() const { return bytes_; }

  private:
    HostileSteps& Add(std::initializer_list<uint8_t> values) {
        for (uint8_t v : values) bytes_.push_back(static_cast<char>(v));
        return *this;
    }
    std::string bytes_;
};

// A world for each family of natives that call script code, with one of the callbacks armed.
void HostileClasses() {
    using namespace hostile;
    using A = HostileSteps::Action;
    const auto seed = [](const char* name, const HostileSteps& steps) {
        SeedPlain("fuzz_hostile_classes", name, steps.Bytes());
    };
    const uint8_t self = Object(kItself, 0);
    const auto named = [](uint8_t n) { return Object(kNamedObject, n); };
    const auto byId = [](IdIndex id) { return Object(kById, id); };
    const auto reached = [](Getter g) { return Object(kReached, g); };
    const auto list = [](IdIndex id) { return static_cast<uint8_t>(0x80 | id); };
    // A ship (0) with an energy source (1), an engine (2), a shield (3) and a grabber (4) fitted and
    // enabled, an item in its hold (5); the slots named 8-12.
    const auto fitted = [] {
        HostileSteps s;
        s.Make(kHShip, 0)
            .Make(kHAkb, 1)
            .Make(kHEngine, 2)
            .Make(kHShield, 3)
            .Make(kHGrabber, 4)
            .Make(kHOption, 5);
        s.Fit(1, 0, 1, 0, true, 8)
            .Fit(2, 0, 2, 0, true, 9)
            .Fit(3, 0, 3, 0, true, 10)
            .Fit(4, 0, 4, 0, true, 11);
        return s.Fit(5, 0, 5, 0, true, 12);
    };

    // Items: switched on and off by the recharge, shed for lack of energy, priced, saved, restored.
    seed("switch deletes the ship", fitted()
                                        .Arm(kHEngine, true, 15, 0, false, {A{kDeleteIt, reached(kItemShip)}})
                                        .Drive(kShips, kRecharge, 0, 10));
    seed("switch deletes its slot", fitted()
                                        .Arm(kHShield, true, 15, 0, false, {A{kDeleteIt, reached(kItemSlot)}})
                                        .Drive(kShips, kRecharge, 0, 10));
    seed("switch clears the ships", fitted()
                                        .Hand(0, list(kIdShips), kToList)
                                        .Arm(kHEngine, true, 15, 1, true, {A{kClearIt, 0, byId(kIdShips)}})
                                        .Drive(kShips, kRecharge, 0, 10)
                                        .Drive(kShips, kDrain, 0, 200));
    seed("switch deletes the next item", fitted()
                                             .Arm(kHEngine, true, 15, 0, true, {A{kDeleteIt, named(3)}})
                                             .Drive(kShips, kRecharge, 0, 1)
                                             .Drive(kShips, kRecompute, 0));
    seed("price deletes the item", HostileSteps()
                                       .Make(kHOption, 1)
                                       .Arm(kHOption, true, 16, 0, false, {A{kDeleteIt, self}})
                                       .Drive(kItems, kPrice, 1));
    seed("paid bonus price fails", HostileSteps()
                                       .Make(kHOption, 1)
                                       .Arm(kHOption, true, 16, 0, false, {A{kFail}})
                                       .Make(kHPaidBonus, 2, 1));
    seed("save deletes the ship", fitted()
                                      .Arm(kHOption, true, 5, 0, false, {A{kDeleteIt, reached(kItemShip)}})
                                      .Drive(kShips, kSaveConfig, 0));
    seed("restore deletes itself", fitted()
                                       .Drive(kShips, kSaveConfig, 0)
                                       .Arm(kHAkb, true, 6, 0, false, {A{kDeleteIt, self}})
                                       .Drive(kShips, kLoadConfig, 0, 6));
    seed("restore deletes the new ship",
         fitted()
             .Drive(kShips, kSaveConfig, 0)
             .Arm(kHOption, true, 6, 0, false, {A{kDeleteIt, reached(kItemShip)}})
             .Drive(kShips, kLoadConfig, 0, 6));
    seed("save and restore",
         fitted().Arm(kHAkb, true, 6, 0, false, {A{kDeleteIt, named(0)}}).Drive(kItems, kSaveRestore, 1, 1));
    seed("take out",
         fitted().Arm(kHShield, true, 15, 0, false, {A{kDeleteIt, self}}).Drive(kItems, kTakeOut, 3));

    // Weapons: triggered with ammunition loaded, offered ammunition, firing their own shots.
    const auto armed = [&] {
        HostileSteps s = fitted();
        s.Make(kHWeapon, 6).Make(kHAmmo, 7).Hand(7, 6, kToWeapon).Fit(6, 0, 0, 0, true, 13);
        return s;
    };
    seed("ammunition deletes the weapon",
         armed()
             .Arm(kHAmmo, true, 18, 0, false, {A{kDeleteIt, Object(kArgument, 0)}})
             .Drive(kWeapons, kTrigger, 6, 5));
    seed("ammunition deletes the ship on fire", armed()
                                                    .Arm(kHAmmo, true, 17, 0, false, {A{kDeleteIt, named(0)}})
                                                    .Drive(kShips, kRecharge, 0, 10)
                                                    .Drive(kShips, kFire, 0, 0));
    seed("offer deletes the weapon", HostileSteps()
                                         .Make(kHWeapon, 1)
                                         .Make(kHAmmo, 2)
                                         .Make(kHAmmo, 3)
                                         .Arm(kHWeapon, true, 19, 1, false, {A{kBaseNow}, A{kDeleteIt, self}})
                                         .Drive(kWeapons, kOfferAmmo, 1, 2)
                                         .Drive(kWeapons, kOfferAmmo, 1, 3));
    seed("prepared shot clears the shots",
         fitted()
             .Make(kHEnergyWeapon, 6)
             .Fit(6, 0, 0, 0, true, 13)
             .Arm(kHEnergyWeapon, true, 20, 0, false, {A{kClearIt, 0, byId(kIdShots)}})
             .Drive(kWeapons, kFireOwn, 6));
    seed("loaded ammunition restored deletes the weapon",
         armed()
             .Drive(kShips, kSaveConfig, 0)
             .Arm(kHAmmo, true, 6, 0, false, {A{kDeleteIt, Object(kArgument, 1)}})
             .Arm(kHWeapon, true, 19, 0, false, {A{kBaseNow}, A{kDeleteIt, self}})
             .Drive(kShips, kLoadConfig, 0, 14));
    seed("equipment step deletes the weapon", armed()
                                                  .Arm(kHWeapon, true, 2, 0, false, {A{kDeleteIt, self}})
                                                  .Drive(kShips, kRecharge, 0, 10)
                                                  .Drive(kShips, kStepEquipment, 0, 1));

    // Ships: updated with a pilot, hit, exploded, deleted with their equipment.
    seed("update deletes the pilot", fitted()
                                         .Make(kHPlayer, 7)
                                         .Hand(0, 7, kToPilotShip)
                                         .Arm(kHShip, false, 42, 0, false, {A{kDeleteIt, named(7)}})
                                         .Drive(kShips, kUpdate, 0, 1));
    seed("hit deletes the ship", fitted()
                                     .Make(kHActor, 6)
                                     .Arm(kHShip, true, 17, 0, false, {A{kDeleteIt, self}})
                                     .Drive(kShips, kShipHit, 0, 6));
    seed("destructor deletes the ship",
         fitted().Arm(kHEngine, false, 1, 0, false, {A{kDeleteIt, named(0)}}).Delete(2));
    seed("destructor hands itself to the flight",
         fitted().Arm(kHAkb, false, 1, 0, false, {A{kHandIt, self, byId(kIdFlight12), kListAdd}}).Delete(0));

    // Actors: exploded (a frozen copy, splinters), stepped; multi actors stepped and hit.
    seed("frozen copy deletes its source", HostileSteps()
                                               .Make(kHActor, 0)
                                               .Arm(kHActor, true, 8, 0, false, {A{kDeleteIt, self}})
                                               .Drive(kActors, kExplodeMode, 0, 3));
    seed("splinters clear the flight",
         HostileSteps()
             .Make(kHActor, 0)
             .Arm(kHActor, true, 10, 0, true, {A{kClearIt, 0, byId(kIdFlight12)}})
             .Drive(kActors, kExplodeMode, 0, 1));
    seed("splinter walk deletes itself", HostileSteps()
                                             .Make(kHActor, 0)
                                             .Arm(kHActor, true, 8, 1, false, {A{kDeleteIt, self}})
                                             .Drive(kActors, kSplinters, 0));
    seed("pseudo actor steps into splinters", HostileSteps()
                                                  .Make(kHActor, 0)
                                                  .Make(kHPseudo, 1, 0x40)
                                                  .Arm(kHPseudo, true, 7, 0, false, {A{kDeleteIt, self}})
                                                  .Drive(kActors, kSetState, 1, 0)
                                                  .Drive(kActors, kPseudoStep, 1));
    const auto multi = [] {
        HostileSteps s;
        s.Make(kHMulti, 0).Make(kHActor, 1).Make(kHActor, 2).Make(kHActor, 3);
        return s.Hand(1, 0, kToMulti).Hand(2, 0, kToMulti).Hand(3, 0, kToMulti);
    };
    seed("member step deletes the multi actor",
         multi().Arm(kHActor, true, 2, 0, false, {A{kDeleteIt, named(0)}}).Drive(kActors, kMultiStep, 0));
    seed("member step deletes the next member",
         multi().Arm(kHActor, true, 2, 0, false, {A{kDeleteIt, named(2)}}).Drive(kActors, kMultiStep, 0));
    seed("member goes and moves on",
         multi()
             .Arm(kHActor, true, 14, 0, true, {A{kHandIt, self, byId(kIdFlight12), kListAdd}})
             .Drive(kActors, kSetState, 1, 2)
             .Drive(kActors, kMultiStep, 0));
    seed("member hit deletes the multi actor", multi()
                                                   .Drive(kActors, kMultiEntries, 0)
                                                   .Arm(kHActor, true, 13, 0, false, {A{kDeleteIt, named(0)}})
                                                   .Drive(kActors, kActorHit, 0, 0x11));
    seed("member explodes the multi actor", multi()
                                                .Arm(kHActor, true, 15, 0, false, {A{kExplodeIt, named(0)}})
                                                .Drive(kActors, kSetState, 2, 1)
                                                .Drive(kActors, kMultiStep, 0));

    // Lists: cleared, swept, collided, deleted while their entries' callbacks change them.
    const auto listed = [] {
        HostileSteps s;
        s.Make(kList, 0).Make(kHActor, 1).Make(kHActor, 2).Make(kHActor, 3);
        return s.Hand(1, 0, kToList).Hand(2, 0, kToList).Hand(3, 0, kToList);
    };
    seed("clearing: an entry adds itself back",
         listed()
             .Arm(kHActor, false, 1, 0, false, {A{kHandIt, self, named(0), kListAdd}})
             .Drive(kLists, kClearList, 0));
    seed("clearing: an entry deletes the list",
         listed().Arm(kHActor, false, 1, 0, false, {A{kDeleteIt, named(0)}}).Drive(kLists, kClearList, 0));
    seed("clearing: an entry clears the list",
         listed().Arm(kHActor, false, 1, 1, false, {A{kClearIt, 0, named(0)}}).Drive(kLists, kClearList, 0));
    seed("removing: an entry deletes the next",
         listed().Arm(kHActor, false, 1, 0, false, {A{kDeleteIt, named(2)}}).Drive(kLists, kRemoveAt, 0, 0));
    seed("deleting the list", listed()
                                  .Arm(kHActor, false, 1, 0, true, {A{kRemoveFirst, 0, named(0)}})
                                  .Drive(kLists, kDeleteList, 0));
    seed("sweep: an explosion deletes the list",
         HostileSteps()
             .Make(kHActor, 1)
             .Make(kHActor, 2)
             .Hand(1, list(kIdFlight12), kToList)
             .Hand(2, list(kIdFlight12), kToList)
             .Drive(kActors, kSetState, 1, 1)
             .Drive(kActors, kSetState, 2, 1)
             .Arm(kHActor, true, 15, 0, false, {A{kDeleteIt, byId(kIdFlight12)}})
             .Drive(kLists, kSweep, list(kIdFlight12)));
    seed("collisions: a hit clears the ships",
         fitted()
             .Hand(0, list(kIdShips), kToList)
             .Make(kHActor, 6)
             .Hand(6, list(kIdFlightActors), kToList)
             .Arm(kHActor, true, 13, 0, true, {A{kClearIt, 0, byId(kIdShips)}})
             .Drive(kLists, kCollideFlight, 0));
    seed("drawing deletes the actors", HostileSteps()
                                           .Make(kHActor, 1)
                                           .Hand(1, list(kIdFlight12), kToList)
                                           .Arm(kHActor, true, 7, 0, true, {A{kDeleteIt, byId(kIdFlight12)}})
                                           .Drive(kLists, kDrawFlight, 0));

    // Supply and bonuses.
    seed("supplier deletes the supply",
         HostileSteps()
             .Make(kHSupplier, 0)
             .Hand(0, 0, kToSupply)
             .Make(kHOption, 1)
             .Arm(kHSupplier, true, 7, 0, false, {A{kBaseNow}, A{kDeleteIt, byId(kIdSupply)}})
             .Drive(kSupply, kOffer, 1));
    seed("service sends a ship", HostileSteps()
                                     .Make(kHService, 0)
                                     .Make(kHSupplyShip, 1)
                                     .Make(kHOption, 2)
                                     .Make(kHOption, 3)
                                     .Hand(2, 0, kToService)
                                     .Hand(3, 0, kToService)
                                     .Arm(kHService, true, 8, 0, false, {A{kNoBase}, A{kPushIt, named(1)}})
                                     .Arm(kHOption, true, 16, 0, false, {A{kDeleteIt, named(1)}})
                                     .Drive(kSupply, kServiceStep, 0, 50)
                                     .Drive(kSupply, kDropCargo, 1, 255));
    seed("supply ship step deletes itself",
         HostileSteps()
             .Make(kHSupplyShip, 0)
             .Make(kHOption, 1)
             .Hand(1, 0, kToCargo)
             .Arm(kHSupplyShip, true, 2, 0, false, {A{kBaseNow}, A{kDeleteIt, self}})
             .Drive(kSupply, kSupplyShipStep, 0));
    // A bonus is picked up by a ship with a pilot (named 8, over its slot's name).
    seed("pick-up deletes the bonus", fitted()
                                          .Make(kHPlayer, 8)
                                          .Hand(0, 8, kToPilotShip)
                                          .Make(kHOption, 6)
                                          .Make(kHBonus, 7, 6)
                                          .Arm(kHBonus, true, 13, 0, false, {A{kBaseNow}, A{kDeleteIt, self}})
                                          .Drive(kSupply, kPickUp, 7, 0));
    seed("ammunition pick-up deletes the weapon",
         armed()
             .Make(kHPlayer, 8)
             .Hand(0, 8, kToPilotShip)
             .Make(kHAmmo, 14)
             .Make(kHPaidBonus, 15, 14)
             .Arm(kHAmmo, false, 1, 0, false, {A{kDeleteIt, named(6)}})
             .Drive(kSupply, kPickUp, 15, 0));
    seed("money pick-up deletes the ship",
         fitted()
             .Make(kHMoneyBonus, 6)
             .Make(kHPlayer, 7)
             .Hand(0, 7, kToPilotShip)
             .Arm(kHGrabber, false, 1, 0, false, {A{kDeleteIt, named(0)}})
             .Arm(kHMoneyBonus, true, 13, 0, false, {A{kDeleteIt, named(4)}})
             .Drive(kSupply, kPickUp, 6, 0));
    seed("bonus drop clears the bonuses",
         HostileSteps()
             .Make(kHOption, 1)
             .Make(kHBonus, 2, 1)
             .Arm(kHBonus, true, 18, 0, false, {A{kBaseNow}, A{kClearIt, 0, byId(kIdBonuses)}})
             .Drive(kSupply, kBonusDrop, 2, 3));

    // Dialogs, pilots, the scene reset, the players file and the save.
    seed("dialog event deletes the dialog", HostileSteps()
                                                .Make(kHPlayer, 0)
                                                .Make(kHDialog, 1)
                                                .Arm(kHDialog, true, 7, 0, false, {A{kDeleteIt, self}})
                                                .Drive(kDialog, 0, 1, 0));
    seed("dialog start deletes the pilot", HostileSteps()
                                               .Make(kHPlayer, 0)
                                               .Make(kHDialog, 1)
                                               .Arm(kHDialog, true, 8, 0, false, {A{kDeleteIt, named(0)}})
                                               .Drive(kDialog, 0, 1, 0));
    const auto pilot = [&] {
        HostileSteps s = fitted();
        s.Make(kHPlayer, 6)
            .Make(kHOption, 7)
            .Make(kHSkill, 13)
            .Hand(7, 6, kToPilotItems)
            .Hand(0, 6, kToPilotShip);
        return s.Drive(kPilots, kPlaceSkill, 6, 13);
    };
    seed("store deletes the pilot",
         pilot().Arm(kHOption, true, 5, 0, false, {A{kDeleteIt, named(6)}}).Drive(kPilots, kStore, 6));
    seed("create: restore clears the pilots",
         pilot()
             .Drive(kPilots, kStore, 6)
             .Arm(kHOption, true, 6, 0, true, {A{kClearIt, 0, byId(kIdPlayers)}})
             .Drive(kPilots, kCreate, 6, 14));
    seed("scene reset: save clears the ships",
         pilot()
             .Arm(kHAkb, true, 5, 0, true, {A{kClearIt, 0, byId(kIdShips)}})
             .Drive(kPilots, kResetScene, 6));
    seed("players file: save deletes the pilot",
         pilot().Arm(kHShield, true, 5, 0, false, {A{kDeleteIt, named(6)}}).Drive(kPilots, kWritePlayers, 6));
    seed("save game: a name fails",
         pilot().Arm(kHEngine, true, 5, 0, false, {A{kFail}}).Drive(kPilots, kWriteSave, 6));
    seed("players replaced: restore deletes the ship",
         pilot()
             .Arm(kHAkb, true, 6, 0, false, {A{kDeleteIt, reached(kItemShip)}})
             .Drive(kPilots, kReplacePlayers, 6));
    seed("skill step deletes the pilot",
         pilot().Arm(kHSkill, true, 2, 0, false, {A{kDeleteIt, named(6)}}).Drive(kPilots, kPilotStep, 6));
    seed("skills applied clear the pilots",
         pilot()
             .Arm(kHSkill, true, 7, 0, false, {A{kClearIt, 0, byId(kIdPlayers)}})
             .Drive(kShips, kRecompute, 0));
    seed("loaded save: the old pilot's destructor clears the pilots",
         pilot()
             .Arm(kHPlayer, false, 1, 0, false, {A{kClearIt, 0, byId(kIdPlayers)}})
             .Drive(kPilots, kLoadSave, 6));
    seed("loaded save: the scenario deletes the ships",
         pilot()
             .Arm(kHScenario, true, 2, 0, false, {A{kClearIt, 0, byId(kIdShips)}})
             .Drive(kPilots, kLoadSave, 6));
    seed("item names delete the pilot",
         pilot().Arm(kHOption, true, 3, 0, false, {A{kDeleteIt, named(6)}}).Drive(kPilots, kWalkItems, 6));

    // Scenes: marks taken, scene classes and resources loaded, scene resets at the top and inside
    // script calls (a scene round: the marks, an object's virtual method 2, a reset), with holders
    // that outlive them.
    const auto sceneKind = [](Kind kind) { return static_cast<uint8_t>(kind - kFirstSceneKind); };
    // An actor (named 15) whose step, run as a scene, does the actions.
    const auto scene = [](HostileSteps s, std::initializer_list<A> actions) {
        return s.Make(kHActor, 15).Arm(kHActor, true, 2, 0, false, actions).Drive(kScene, kSceneRound, 15);
    };
    seed("scene items and marks", HostileSteps()
                                      .Make(kSOption, 1)
                                      .Drive(kScene, kTakeMarks, 0)
                                      .Make(kSAmmo, 2)
                                      .Make(kSWeapon, 3)
                                      .Hand(2, 3, kToWeapon)
                                      .Drive(kScene, kResetToMarks, 0)
                                      .Drive(kWeapons, kTrigger, 3, 1)
                                      .Drive(kScene, kResetToStart, 0)
                                      .Make(kSOption, 4));
    seed("scene font on the screen", scene(HostileSteps(), {A{kUseFont, 0, 0, Resource(3, kScreenFont)}})
                                         .Drive(kScene, kScreenText, 0, 5));
    seed("scene font on a control",
         scene(HostileSteps().Make(kHPlayer, 0).Make(kHDialog, 1).Make(kTextButton, 2).Hand(2, 1, kToDialog),
               {A{kUseFont, 0, named(2), Resource(4, kControlFont)}})
             .Drive(kDialog, 0, 1, 0));
    seed("scene control in a dialog",
         scene(HostileSteps().Make(kHPlayer, 0).Make(kHDialog, 1),
               {A{kMakeScene, 0, 5, sceneKind(kSText)}, A{kHandIt, named(5), named(1), kDialogControl}})
             .Drive(kDialog, 0, 1, 0));
    seed("scene stock in a shop",
         scene(HostileSteps().Make(kHPlayer, 0).Make(kShopDialog, 1, 0).Drive(kShop, kShopBuild, 1),
               {A{kMakeScene, 0, 5, sceneKind(kSOption)}, A{kHandIt, named(5), named(1), kShopStock}})
             .Drive(kShop, kShopBuild, 1)
             .Drive(kShop, kShopClick, 1, 0)
             .Drive(kDialog, 0, 1, 0));
    seed("shop kept past a scene reset", HostileSteps()
                                             .Make(kHPlayer, 0)
                                             .Make(kShopDialog, 1, 0)
                                             .Drive(kScene, kResetToStart, 0)
                                             .Drive(kShop, kShopBuild, 1)
                                             .Drive(kDialog, 0, 1, 0));
    seed("shop slot frames unloaded", scene(HostileSteps().Make(kHPlayer, 0).Make(kShopDialog, 1, 0),
                                            {A{kUsePicture, 0, named(1), Resource(5, kSlotFramesPicture)}})
                                          .Drive(kShop, kShopBuild, 1));
    seed("conversation fonts unloaded", HostileSteps()
                                            .Make(kHPlayer, 0)
                                            .Make(kConversation, 1)
                                            .Drive(kScene, kQuestion, 1, 0)
                                            .Drive(kScene, kResetToStart, 0)
                                            .Drive(kScene, kQuestion, 1, 1)
                                            .Drive(kDialog, 0, 1, 0));
    seed("conversation control given a scene font",
         scene(HostileSteps().Make(kHPlayer, 0).Make(kConversation, 1).Drive(kScene, kQuestion, 1, 0),
               {A{kUseFont, 0, Object(kControlOf, 1), Resource(3, kControlFont)},
                A{kUseFont, 0, Object(kControlOf, 1 | 1 << 3), Resource(4, kControlFont)}})
             .Drive(kDialog, 0, 1, 0));
    seed("dialog pointer unloaded", scene(HostileSteps().Make(kHPlayer, 0).Make(kHDialog, 1),
                                          {A{kUsePicture, 0, named(1), Resource(3, kCursorPicture)}})
                                        .Drive(kDialog, 0, 1, 0));
    seed("sounds played and unloaded", scene(HostileSteps(), {A{kPlaySound, 0, 0, SoundOf(2, false)},
                                                              A{kPlaySound, 0, 0, SoundOf(3, true)}})
                                           .Drive(kScene, kSceneSound, 0, 4)
                                           .Drive(kScene, kResetToStart, 0));
    seed("a dialog event runs a scene that fills the dialog",
         HostileSteps()
             .Make(kHPlayer, 0)
             .Make(kHDialog, 1)
             .Arm(kHDialog, true, 7, 0, false, {A{kSceneOf, named(15)}})
             .Make(kHActor, 15)
             .Arm(kHActor, true, 2, 0, false,
                  {A{kMakeScene, 0, 5, sceneKind(kSText)}, A{kHandIt, named(5), named(1), kDialogControl},
                   A{kUseFont, 0, named(5), Resource(7, kControlFont)}})
             .Drive(kDialog, 0, 1, 0));
    seed("scene pilot rebuilt", HostileSteps()
                                    .Make(kSPlayer, 0)
                                    .Make(kSOption, 1)
                                    .Hand(1, 0, kToPilotItems)
                                    .Drive(kScene, kResetToStart, 0)
                                    .Drive(kPilots, kWalkItems, 0)
                                    .Drive(kScene, kResetToStart, 0));
    seed("a scene round inside a scene reset", pilot()
                                                   .Arm(kHOption, true, 5, 0, false, {A{kSceneOf, named(15)}})
                                                   .Make(kHActor, 15)
                                                   .Drive(kScene, kResetToStart, 0));
    seed("nested scene rounds", HostileSteps()
                                    .Make(kHActor, 14)
                                    .Arm(kHActor, true, 2, 1, true,
                                         {A{kMakeScene, 0, 3, sceneKind(kSActor)}, A{kSceneOf, named(14)}})
                                    .Drive(kScene, kSceneRound, 14));

    // Offers answered with an item that another owner holds.
    const auto weaponFitted = [&] {
        HostileSteps s = fitted();
        s.Make(kHWeapon, 6).Fit(6, 0, 0, 0, true, 13).Make(kHAmmo, 7);
        return s.Arm(kHWeapon, true, 19, 0, false, {A{kAnswerHeld, named(1)}});
    };
    seed("offer answered with a fitted item", weaponFitted().Drive(kWeapons, kOfferAmmo, 6, 7));
    // The shop's lower pane shows the hold (slot controls 1000 and 1001): a weapon in its second place.
    seed("shop hand answered with a fitted item", weaponFitted()
                                                      .Make(kHWeapon, 10)
                                                      .Fit(10, 0, 5, 1, false, 11)
                                                      .Make(kHPlayer, 8)
                                                      .Hand(0, 8, kToPilotShip)
                                                      .Make(kShopDialog, 9, 8)
                                                      .Drive(kShop, kShopBuild, 9)
                                                      .Drive(kShop, kShopHand, 9, 7)
                                                      .Drive(kShop, kShopClick, 9, 1));
    // The ship window's slot controls: the hold's (100, 101), then the weapon place's (102).
    seed("ship window hand answered with a fitted item", weaponFitted().ShipWindow(0, 7, 2, 15));
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
        HostileClasses();
    } catch (const DExep& e) {
        std::fprintf(stderr, "make_fuzz_seeds: %s\n", e.message.Text());
        return 1;
    }
    return 0;
}
