#include "foundation/config_blocks.h"

#include <gtest/gtest.h>

#include <memory>

#include "foundation/block_reader.h"
#include "foundation/exceptions.h"
#include "foundation/fd_file.h"
#include "foundation/log_writer.h"
#include "foundation/version_block.h"
#include "tests/support/temp_dir.h"
#include "tools/content/block_writer.h"
#include "tools/content/fd_writer.h"

namespace {

struct Archive {
    explicit Archive(std::vector<FdEntry> entries) {
        FdWriter writer;
        writer.Group(std::move(entries));
        reader.Open(String(dir.Write("main.FD", writer.Build()).c_str()));
        archive = std::make_unique<FD::File>(&reader, 2, 10);
    }
    TempDir dir;
    FileBlockReader reader;
    std::unique_ptr<FD::File> archive;
};

std::string HotKeyBlock(uint32_t language, const std::string& payload) {
    return SEBlock("HCFG", payload, LeU32(language));
}

// Language number and payload of the hot-key block chosen from blocks for the given language.
std::pair<uint32_t, std::string> Choose(const std::vector<uint32_t>& languages, uint32_t language) {
    std::string file;
    for (uint32_t l : languages) file += HotKeyBlock(l, "keys" + std::to_string(l));
    Archive a({{"HotKeys.HCFG", file}});
    LanguageBlock hotKeys("HCFG");
    ReadHotKeys(*a.archive, hotKeys, language);
    return {hotKeys.Language(),
            std::string(reinterpret_cast<const char*>(hotKeys.Payload()), hotKeys.PayloadSize())};
}

}  // namespace

TEST(ConfigBlocks, HotKeysOfTheLanguageWin) {
    EXPECT_EQ(Choose({1, 2, 3}, 2), std::make_pair(2u, std::string("keys2")));
    EXPECT_EQ(Choose({1, 2, 3}, 5), std::make_pair(1u, std::string("keys1")));
    EXPECT_EQ(Choose({3, 1}, 3), std::make_pair(3u, std::string("keys3")));
    // A later block of the language replaces the language-1 block.
    EXPECT_EQ(Choose({1, 4, 3}, 3), std::make_pair(3u, std::string("keys3")));
    // Nothing matching leaves the block as constructed.
    EXPECT_EQ(Choose({4, 5}, 2), std::make_pair(0u, std::string()));
}

TEST(ConfigBlocks, ScreenSettingsKeepFieldsMissingFromAShortHeader) {
    std::string full = SEBlock("SCRC", "", LeU16(3) + LeU16(16) + LeU16(640) + LeU16(480));
    std::string shortHeader = SEBlock("SCRC", "", LeU16(1) + LeU16(8));
    Archive a({{"Screen.SCRS", full, true}, {"Short.SCRS", shortHeader}});
    ScreenSettingsBlock screen;
    ReadConfigBlock(*a.archive, String("screen.scrs"), screen);
    EXPECT_EQ(screen.Flags(), 3);
    EXPECT_EQ(screen.BitsPerPixel(), 16);
    EXPECT_EQ(screen.Width(), 640);
    EXPECT_EQ(screen.Height(), 480);
    ReadConfigBlock(*a.archive, String("Short.SCRS"), screen);
    EXPECT_EQ(screen.Flags(), 1);
    EXPECT_EQ(screen.BitsPerPixel(), 8);
    EXPECT_EQ(screen.Width(), 640);
    EXPECT_EQ(screen.Height(), 480);
}

TEST(ConfigBlocks, ReadConfigurationInStartupOrder) {
    std::string version = SEBlock("VERS", "", LeU16(1) + LeU16(10) + LeU16(2) + LeU16('a'));
    std::string colours =
        SEBlock("COL", std::string(8, '\x7f'), std::string(1, '\0') + LeU16(2) + std::string(1, '\0'));
    Archive a({{"PakVersion.VERS", version},
               {"Misc\\Default.col", colours},
               {"Keys.INPD", SEBlock("INPD", "", std::string(8, '\0'))},
               {"Screen.SCRS", SEBlock("SCRC", "", LeU16(0) + LeU16(16) + LeU16(800) + LeU16(600))},
               {"Language.LCFG", SEBlock("LCFG", "", LeU32(2))},
               {"HotKeys.HCFG", HotKeyBlock(1, "a") + HotKeyBlock(2, "b")},
               {"Sound.SNDS", SEBlock("SNDS", "", LeU16(0) + LeU16(1) + std::string(20, '\0'))}});
    DataBlock keys(18, false);
    ReadConfiguration(*a.archive, keys);
    VersionWords v = DataVersion().Words();
    EXPECT_EQ(v.major, 1);
    EXPECT_EQ(v.minor, 10);
    EXPECT_EQ(v.build, 2);
    EXPECT_EQ(v.letter, 'a');
    EXPECT_EQ(DefaultColours().Count(), 2u);
    EXPECT_EQ(DefaultColours().PayloadSize(), 8u);
    EXPECT_TRUE(keys.HasTag("INPD"));
    EXPECT_EQ(ScreenSettings().Width(), 800);
    EXPECT_EQ(LanguageSettings().Language(), 2u);
    EXPECT_EQ(HotKeys().Language(), 2u);
    EXPECT_TRUE(SoundSettings().SoundOn());
    EXPECT_TRUE(SoundSettings().HasTag("SNDS"));
}

TEST(ConfigBlocks, MissingFileIsTheArchivesError) {
    Archive a(std::vector<FdEntry>{{"Other", "x"}});
    ScreenSettingsBlock screen;
    EXPECT_THROW(ReadConfigBlock(*a.archive, String("Screen.SCRS"), screen), FatalExep);
}

TEST(VersionBlock, FreshAndPrinted) {
    VersionBlock block;
    EXPECT_TRUE(block.HasTag("VERS"));
    EXPECT_EQ(block.HeaderSize(), 18u);
    EXPECT_EQ(block.PayloadSize(), 0u);

    TempDir dir;
    VersionWords saved = ProgramVersion().Words();
    ProgramVersion().SetWords({1, 11, 0, 'b'});
    VersionWords data = DataVersion().Words();
    DataVersion().SetWords({1, 10, 2, 'a'});
    std::string file = (dir / "vondrel.log").string();
    WriteLog(file.c_str(), "text");
    EXPECT_NE(dir.Read("vondrel.log").find("> [v 1.11.00b/1.10.02a] : text\n"), std::string::npos);
    ProgramVersion().SetWords(saved);
    DataVersion().SetWords(data);
}
