#include "foundation/fw.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>

#include "foundation/block_reader.h"
#include "foundation/byte_order.h"
#include "foundation/data_block.h"
#include "foundation/exceptions.h"
#include "foundation/packed_stream.h"
#include "tests/support/temp_dir.h"

namespace {

String PathOf(const TempDir& dir, const std::string& name) {
    return String((dir / name).string().c_str());
}

size_t FileCount(const TempDir& dir) {
    size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path())) ++n;
    return n;
}

}  // namespace

TEST(FW, ValuesAreWrittenLittleEndian) {
    TempDir dir;
    FW fw;
    fw.Create(PathOf(dir, "v.bin"));
    fw.WriteU32(258);
    fw.WriteU16(258);
    fw.Write("z", 1);
    fw.Close();
    EXPECT_EQ(dir.Read("v.bin"), std::string("\x02\x01\x00\x00\x02\x01z", 7));
}

TEST(FW, CreateFlagsChooseReplaceOrAppend) {
    TempDir dir;
    dir.Write("a.txt", "old");
    auto write = [&](uint8_t flags, const char* text) {
        FW fw;
        fw.Create(PathOf(dir, "a.txt"), flags);
        fw.Write(text, static_cast<uint32_t>(std::strlen(text)));
        fw.Close();
    };
    write(1, "+bin");
    EXPECT_EQ(dir.Read("a.txt"), "old+bin");
    write(3, "+text");
    EXPECT_EQ(dir.Read("a.txt"), "old+bin+text");
    write(0, "new");
    EXPECT_EQ(dir.Read("a.txt"), "new");
    write(2, "text");
    EXPECT_EQ(dir.Read("a.txt"), "text");
    EXPECT_EQ(FileCount(dir), 1u);
}

TEST(FW, CreateMatchesExistingNamesWithoutCase) {
    TempDir dir;
    dir.Write("Saves/KEYS.inpd", "old");
    FW fw;
    fw.Create(String((dir.Path().string() + "/saves\\Keys.INPD").c_str()));
    fw.Write("new", 3);
    fw.Close();
    EXPECT_EQ(dir.Read("Saves/KEYS.inpd"), "new");
    EXPECT_EQ(FileCount(dir), 1u);
}

TEST(FW, Failures) {
    TempDir dir;
    FW fw;
    try {
        fw.Create(PathOf(dir, "missing/x.bin"));
        FAIL();
    } catch (const FatalExep& e) {
        EXPECT_EQ(e.code, 1);
        EXPECT_EQ(e.message, "FW::Unable to create file");
    }
    try {
        fw.WriteU16(1);
        FAIL();
    } catch (const WarnExep& e) {
        EXPECT_EQ(e.code, 1);
        EXPECT_EQ(e.message, "File not OPENED!");
    }
    EXPECT_EQ(fw.Seek(0, 1), 0u);
    // A name that climbs out of the game folder is refused before anything is created.
    const std::filesystem::path saved = std::filesystem::current_path();
    std::filesystem::create_directory(dir.Path() / "game");
    std::filesystem::current_path(dir.Absolute() / "game");
    EXPECT_THROW(fw.Create(String("..\\outside.bin")), FatalExep);
    std::filesystem::current_path(saved);
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "outside.bin"));
}

TEST(FW, AnExceptionMidWriteLeavesTheOldFile) {
    TempDir dir;
    dir.Write("Keys.INPD", "old content");
    for (const bool packed : {false, true}) {
        SCOPED_TRACE(packed ? "packed" : "plain");
        try {
            std::unique_ptr<FW> fw = packed ? std::make_unique<PackedStream>() : std::make_unique<FW>();
            fw->Create(PathOf(dir, "Keys.INPD"));
            fw->Write("partial", 7);
            throw std::runtime_error("interrupted");
        } catch (const std::runtime_error&) {
        }
        EXPECT_EQ(dir.Read("Keys.INPD"), "old content");
        EXPECT_EQ(FileCount(dir), 1u);  // the temporary file is gone
    }
}

TEST(FW, DestroyedWithoutCloseCommitsUnlessAnExceptionUnwinds) {
    for (const bool packed : {false, true}) {
        SCOPED_TRACE(packed ? "packed" : "plain");
        TempDir dir;
        dir.Write("Keys.INPD", "old");
        // The writer goes at the end of the call, or while its exception unwinds.
        auto write = [&](const char* text, bool interrupted) {
            std::unique_ptr<FW> fw = packed ? std::make_unique<PackedStream>() : std::make_unique<FW>();
            fw->Create(PathOf(dir, "Keys.INPD"));
            fw->Write(text, static_cast<uint32_t>(std::strlen(text)));
            if (interrupted) throw std::runtime_error("interrupted");
        };
        auto content = [&] {
            FileBlockReader reader;
            reader.Open(PathOf(dir, "Keys.INPD"));
            std::string bytes(reader.Size(), '\0');
            reader.Read(bytes.data(), reader.Size());
            return bytes;
        };
        write("committed", false);
        EXPECT_EQ(content(), "committed");
        EXPECT_THROW(write("never seen", true), std::runtime_error);
        EXPECT_EQ(content(), "committed");
        EXPECT_EQ(FileCount(dir), 1u);
    }
}

TEST(FW, TemporaryFilesOfKilledWritesAreRemovedByTheNextWrite) {
    TempDir dir;
    dir.Write("Keys.INPD", "old");
    dir.Write("Keys.INPD.tmp0", "left by a killed write");
    dir.Write("Keys.INPD.tmp3", "left by another");
    dir.Write("Other.INPD.tmp0", "another target's");
    FW fw;
    fw.Create(PathOf(dir, "Keys.INPD"));
    fw.Write("new", 3);
    fw.Close();
    EXPECT_EQ(dir.Read("Keys.INPD"), "new");
    EXPECT_FALSE(std::filesystem::exists(dir / "Keys.INPD.tmp0"));
    EXPECT_FALSE(std::filesystem::exists(dir / "Keys.INPD.tmp3"));
    EXPECT_TRUE(std::filesystem::exists(dir / "Other.INPD.tmp0"));
}

TEST(FW, WritersOfOneTargetAtOnceKeepToTheirOwnFiles) {
    TempDir dir;
    FW first, second;
    first.Create(PathOf(dir, "Keys.INPD"));
    second.Create(PathOf(dir, "Keys.INPD"));  // a live writer's file is no leftover
    first.Write("first", 5);
    second.Write("second", 6);
    first.Close();
    EXPECT_EQ(dir.Read("Keys.INPD"), "first");
    second.Close();
    EXPECT_EQ(dir.Read("Keys.INPD"), "second");
    EXPECT_EQ(FileCount(dir), 1u);
}

TEST(FW, AReplacedFileKeepsItsPermissionBits) {
    namespace fs = std::filesystem;
    const fs::perms modes[] = {fs::perms::owner_read | fs::perms::owner_write,
                               fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read,
                               fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_write};
    for (const fs::perms mode : modes) {
        TempDir dir;
        dir.Write("HighScores.HISC", "old");
        fs::permissions(dir / "HighScores.HISC", mode);
        PackedStream fw;
        fw.Create(PathOf(dir, "HighScores.HISC"));
        fw.Write("new", 3);
        fw.Close();
        EXPECT_EQ(fs::status(dir / "HighScores.HISC").permissions(), mode);
    }
}

TEST(FW, NothingIsVisibleBeforeClose) {
    TempDir dir;
    FW fw;
    fw.Create(PathOf(dir, "new.bin"));
    fw.Write("abc", 3);
    EXPECT_FALSE(std::filesystem::exists(dir / "new.bin"));
    fw.Close();
    EXPECT_EQ(dir.Read("new.bin"), "abc");
}

TEST(FW, AFailedWriteIsReportedAndKeepsTheOldFile) {
    TempDir dir;
    dir.Write("big.bin", "old");
    // A file size limit makes the write fail (EFBIG) instead of filling a disk.
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit tight = saved;
    tight.rlim_cur = 64;
    setrlimit(RLIMIT_FSIZE, &tight);
    bool reported = false;
    try {
        FW fw;
        fw.Create(PathOf(dir, "big.bin"));
        std::string block(100000, 'x');
        fw.Write(block.data(), static_cast<uint32_t>(block.size()));
        fw.Close();
    } catch (const WarnExep& e) {
        reported = e.code == 1 && e.message == "Error on writing into file";
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_TRUE(reported);
    EXPECT_EQ(dir.Read("big.bin"), "old");
    EXPECT_EQ(FileCount(dir), 1u);
}

TEST(PackedStream, WritesAReadableSepkFile) {
    TempDir dir;
    DataBlock block(14, true);
    block.SetSignature("KEYS");
    block.SetPayloadSize(600);
    block.AllocPayload();
    for (uint32_t i = 0; i < 600; ++i) block.Payload()[i] = static_cast<uint8_t>(i % 7);
    {
        PackedStream out;
        out.Create(PathOf(dir, "Keys.INPD"));
        out << block << block;
        out.Close();
    }
    std::string bytes = dir.Read("Keys.INPD");
    ASSERT_GE(bytes.size(), 18u);
    EXPECT_EQ(bytes.substr(0, 6), std::string("SEPK\0\0", 6));
    EXPECT_EQ(LoadU32(bytes.data() + 8), bytes.size() - 18);       // code-stream size
    EXPECT_EQ(LoadU32(bytes.data() + 14), 2 * block.ChunkSize());  // unpacked size
    EXPECT_LT(bytes.size(), 2 * block.ChunkSize());

    FileBlockReader reader;
    reader.Open(PathOf(dir, "Keys.INPD"));
    EXPECT_TRUE(reader.IsPacked());
    for (int i = 0; i < 2; ++i) {
        DataBlock in(14, true);
        reader >> in;
        ASSERT_TRUE(in.HasTag("KEYS"));
        ASSERT_EQ(in.PayloadSize(), 600u);
        EXPECT_EQ(std::memcmp(in.Payload(), block.Payload(), 600), 0);
    }
    EXPECT_TRUE(reader.AtEnd());
}

TEST(PackedStream, OtherMethodsWritePlainly) {
    TempDir dir;
    PackedStream out(0);
    out.Create(PathOf(dir, "plain.bin"));
    out.WriteU16(0x4241);
    out.Close();
    EXPECT_EQ(dir.Read("plain.bin"), "AB");
}
