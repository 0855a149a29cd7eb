// Sizes taken from files decide no allocation before they are checked against what the input can
// hold: damaged settings files fail with an engine error naming the file and take little memory.
#include <gtest/gtest.h>

#include <memory>

#include "foundation/block_reader.h"
#include "foundation/config_blocks.h"
#include "foundation/fd_file.h"
#include "foundation/sepk_lzw.h"
#include "tests/support/error_message.h"
#include "tests/support/memory_peak.h"
#include "tests/support/temp_dir.h"
#include "tools/content/block_writer.h"
#include "tools/content/fd_writer.h"

namespace {

constexpr uint64_t kMemoryBound = 64ull << 20;

// A palette block that claims payloadSize bytes and holds none.
std::string ClaimingPalette(uint32_t payloadSize) {
    BlockWriter block;
    block.tag = "COL";
    block.headerFields = std::string(1, '\0') + LeU16(2) + std::string(1, '\0');
    block.storedPayloadSize = payloadSize;
    return block.SE();
}

// plain packed, with the header's unpacked size replaced by declared.
std::string PackedClaiming(const std::string& plain, uint32_t declared) {
    std::string packed = SepkPacked(plain);
    packed.replace(14, 4, LeU32(declared));
    return packed;
}

struct Case {
    const char* what;
    std::string bytes;
};

}  // namespace

TEST(HostileSizes, SettingsFilesThatClaimMoreThanTheyHoldFailNamingTheFile) {
    const Case cases[] = {
        {"packed, 4 GiB declared", PackedClaiming(ClaimingPalette(0xFFFFFF00u), 0xFFFFFFFFu)},
        {"packed, 1.5 GB declared", PackedClaiming(ClaimingPalette(0x5FFFFFF0u), 0x60000000u)},
        {"packed, honest size, 1.5 GB payload", SepkPacked(ClaimingPalette(0x60000000u))},
        {"packed, declared size within the code stream's reach", PackedClaiming(ClaimingPalette(4000), 4000)},
        {"plain, 1.5 GB payload", ClaimingPalette(0x60000000u)},
        {"plain, 4 GiB payload", ClaimingPalette(0xFFFFFFF0u)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        FdWriter writer;
        writer.Group({{"Misc\\Default.col", c.bytes}});
        FileBlockReader reader;
        reader.Open(String(dir.Write("main.FD", writer.Build()).c_str()));
        FD::File archive(&reader, 2, 10);
        MemoryPeak memory;
        PaletteBlock palette;
        const std::string message =
            ErrorMessage([&] { ReadConfigBlock(archive, String("Misc\\Default.col"), palette); });
        EXPECT_NE(message.find("Misc\\Default.col"), std::string::npos) << message;
        EXPECT_LT(memory.ResidentGrowth(), kMemoryBound);
        EXPECT_LT(memory.HeapGrowth(), kMemoryBound);
    }
}

TEST(HostileSizes, APackedHeaderCannotClaimMoreThanItsCodeStreamExpandsTo) {
    EXPECT_EQ(MaxUnpackedSize(0), 0u);
    EXPECT_EQ(MaxUnpackedSize(9), 8u * 255u);
    // Whatever the packer writes stays within the bound, even for the most repetitive content.
    const std::string zeros = SepkPacked(std::string(1 << 20, '\0'));
    EXPECT_LE(uint64_t{1} << 20, MaxUnpackedSize(zeros.size() - kSepkHeaderSize));

    TempDir dir;
    dir.Write("fits.bin", PackedClaiming("abc", static_cast<uint32_t>(MaxUnpackedSize(8))));
    dir.Write("claims.bin", PackedClaiming("abc", static_cast<uint32_t>(MaxUnpackedSize(8) + 1)));
    FileBlockReader reader;
    EXPECT_EQ(ErrorMessage([&] { reader.Open(String((dir / "fits.bin").c_str())); }), "no error");
    const std::string name = (dir / "claims.bin").string();
    EXPECT_EQ(ErrorMessage([&] { reader.Open(String(name.c_str())); }), "corrupt packed data in " + name);
}
