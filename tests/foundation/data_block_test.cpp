#include "foundation/data_block.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "foundation/block_reader.h"
#include "foundation/exceptions.h"
#include "foundation/fw.h"
#include "foundation/script_memory.h"
#include "tests/support/temp_dir.h"
#include "tools/content/block_writer.h"
#include "tools/content/fd_writer.h"

namespace {

// A disk file with the given bytes, opened in a FileBlockReader.
struct OpenedFile {
    explicit OpenedFile(const std::string& bytes, const std::string& name = "blocks.bin") {
        path = dir.Write(name, bytes).string();
        reader.Open(String(path.c_str()));
    }
    TempDir dir;
    std::string path;
    FileBlockReader reader;
};

// Records the sub-blocks it is offered and reads those tagged "TAKE".
class Recorder : public DataBlock {
  public:
    explicit Recorder(uint32_t headerSize = 10) : DataBlock(headerSize, true) {}
    void ReadChunk(BlockReader& reader, const uint8_t* signature) override {
        tags.emplace_back(reinterpret_cast<const char*>(signature), 4);
        positions.push_back(reader.Tell());
        if (std::memcmp(signature, "TAKE", 4) == 0) {
            DataBlock child(10, true);
            reader >> child;
            taken.emplace_back(reinterpret_cast<const char*>(child.Payload()), child.PayloadSize());
        }
    }
    void AfterRead(BlockReader& reader) override {
        ++afterReads;
        reader.Seek(0, 0);  // may read elsewhere; the block read still ends at the block's end
    }
    std::vector<std::string> tags;
    std::vector<uint32_t> positions;
    std::vector<std::string> taken;
    int afterReads = 0;
};

std::string PayloadOf(const DataBlock& b) {
    return b.Payload() ? std::string(reinterpret_cast<const char*>(b.Payload()), b.PayloadSize()) : "<none>";
}

// The message of the engine error that reading one block from bytes throws.
template <class Exep>
std::string ReadError(const std::string& bytes, DataBlock& block) {
    OpenedFile file(bytes, "damaged.bin");
    try {
        file.reader >> block;
    } catch (const Exep& e) {
        return e.message.Text();
    }
    return "<no error>";
}

}  // namespace

TEST(DataBlock, WrittenAsSEMarkHeaderAndPayload) {
    TempDir dir;
    DataBlock empty(10, true);
    empty.SetSignature("VERS");
    DataBlock with(18, true);
    with.SetSignature("INPD");
    with.SetPayloadSize(100);
    with.AllocPayload();
    EXPECT_EQ(with.ChunkSize(), 120u);
    FW fw;
    fw.Create(String((dir / "out.bin").string().c_str()));
    fw << empty;
    fw.Close();
    EXPECT_EQ(dir.Read("out.bin"), std::string("SEVERS\x0A\0\0\0\0\0", 12));
}

TEST(DataBlock, CopiesOwnTheirBuffers) {
    DataBlock a(12, true);
    a.SetSignature("KEYS");
    a.Header()[10] = 7;
    a.SetPayloadSize(3);
    a.AllocPayload();
    std::memcpy(a.Payload(), "xyz", 3);
    DataBlock b(a);
    DataBlock c(0, false);
    c = a;
    a.Payload()[0] = 'q';
    for (DataBlock* copy : {&b, &c}) {
        EXPECT_TRUE(copy->HasTag("KEYS"));
        EXPECT_FALSE(copy->HasTag("KEY"));  // the padding byte counts
        EXPECT_FALSE(copy->HasTag("K"));
        EXPECT_EQ(copy->HeaderSize(), 12u);
        EXPECT_EQ(copy->Header()[10], 7);
        EXPECT_EQ(PayloadOf(*copy), "xyz");
        EXPECT_FALSE(InScriptRegion(copy->Header()) || InScriptRegion(copy->Payload()));
    }
    DataBlock none(0, true);
    EXPECT_FALSE(none.HasTag("KEYS"));
    none.SetSignature("KEYS");  // no header: nothing happens
    EXPECT_EQ(none.Header(), nullptr);
}

TEST(DataBlock, StoredHeaderShorterThanTheClassHeader) {
    OpenedFile file(SEBlock("KEYS", "payload", "ab") + "tail");
    DataBlock block(18, true);
    std::memset(block.Header() + 12, 0x5A, 6);
    file.reader >> block;
    EXPECT_TRUE(block.HasTag("KEYS"));
    EXPECT_EQ(LoadU16(block.Header() + 4), 18);
    EXPECT_EQ(block.Header()[10], 'a');
    EXPECT_EQ(block.Header()[11], 'b');
    for (int i = 12; i < 18; ++i) EXPECT_EQ(block.Header()[i], 0x5A);
    EXPECT_EQ(PayloadOf(block), "payload");
    EXPECT_EQ(block.PayloadPosition(), 14u);
    EXPECT_EQ(file.reader.Tell(), 21u);
}

TEST(DataBlock, StoredHeaderLongerThanTheClassHeader) {
    OpenedFile file(SEBlock("KEYS", "data", std::string(10, 'h')));
    DataBlock block(14, true);
    file.reader >> block;
    EXPECT_EQ(LoadU16(block.Header() + 4), 14);
    EXPECT_EQ(block.PayloadPosition(), 22u);  // 6 stored header bytes skipped
    EXPECT_EQ(PayloadOf(block), "data");
}

TEST(DataBlock, HeaderSizeZeroAdoptsTheStoredSize) {
    OpenedFile file(SEBlock("PCFG", "n", std::string(16, 'f')));
    DataBlock block(0, true);
    file.reader >> block;
    EXPECT_EQ(block.HeaderSize(), 26u);
    EXPECT_EQ(LoadU16(block.Header() + 4), 26);
    EXPECT_EQ(PayloadOf(block), "n");
}

TEST(DataBlock, WithoutLoadingThePayloadOnlyItsPositionIsKept) {
    OpenedFile file(SEBlock("FDB", "0123456789") + SEBlock("NEXT", ""));
    DataBlock block(10, false);
    file.reader >> block;
    EXPECT_EQ(block.Payload(), nullptr);
    EXPECT_EQ(block.PayloadPosition(), 12u);
    EXPECT_EQ(file.reader.Tell(), 22u);
    file.reader >> block;
    EXPECT_TRUE(block.HasTag("NEXT"));
}

TEST(DataBlock, SCStopsAtAMissingMarkAndEndsAtTheOuterEnd) {
    BlockWriter outer;
    outer.tag = "CLS";
    outer.payload = "pp";
    outer.prefix = 9;  // three skipped prefix bytes
    outer.subBlocks = {SEBlock("TAKE", "one"), "XX" + std::string(10, '\0'), SEBlock("TAKE", "three")};
    std::string bytes = outer.SC();
    OpenedFile file(bytes + SEBlock("AFTR", ""));
    Recorder block;
    file.reader >> block;
    EXPECT_EQ(block.tags, std::vector<std::string>{"TAKE"});
    EXPECT_EQ(block.taken, std::vector<std::string>{"one"});
    EXPECT_EQ(PayloadOf(block), "pp");
    EXPECT_EQ(block.afterReads, 1);
    EXPECT_EQ(file.reader.Tell(), bytes.size());
}

TEST(DataBlock, SCSkipsSubBlocksThatReadChunkLeaves) {
    std::string bytes = SCBlock("CLS", "",
                                {SEBlock("SKIP", "zzzz"), SCBlock("SKIP", "x", {SEBlock("A", "")}),
                                 SMBlock("SKIP", {}), SEBlock("TAKE", "last")});
    OpenedFile file(bytes);
    Recorder block;
    file.reader >> block;
    EXPECT_EQ(block.tags.size(), 4u);
    EXPECT_EQ(block.taken, std::vector<std::string>{"last"});
    EXPECT_TRUE(file.reader.AtEnd());
}

TEST(DataBlock, SMSubBlocksStartAfterItsPrefix) {
    OpenedFile file(SMBlock("DIR", {SEBlock("TAKE", "a"), SEBlock("TAKE", "b")}));
    Recorder block;
    file.reader >> block;
    EXPECT_EQ(block.PayloadPosition(), 14u);
    EXPECT_EQ(block.positions.front(), 14u);
    EXPECT_EQ(block.taken, (std::vector<std::string>{"a", "b"}));

    BlockWriter wide;
    wide.tag = "DIR";
    wide.prefix = 16;
    wide.subBlocks = {SEBlock("TAKE", "c")};
    OpenedFile other(wide.SM());
    Recorder second;
    other.reader >> second;
    EXPECT_EQ(second.positions.front(), 20u);
    EXPECT_EQ(second.taken, std::vector<std::string>{"c"});
}

TEST(DataBlock, NoMarkIsAWarningWithTheHexPosition) {
    DataBlock block(10, true);
    OpenedFile file(std::string(32, ' ') + "SX" + std::string(300, ' '));
    file.reader.Seek(32, 0);
    try {
        file.reader >> block;
        FAIL();
    } catch (const WarnExep& e) {
        EXPECT_EQ(e.code, 5);
        EXPECT_EQ(std::string(e.message.Text()),
                  "Signature not found at position 20 in \"" + file.path + "\"");
    }
    EXPECT_EQ(file.reader.Tell(), 32u);  // nothing consumed
    file.reader.Seek(255, 0);
    for (const char* bytes : {"", "S"}) {
        const std::string message = ReadError<WarnExep>(bytes, block);
        EXPECT_EQ(message.rfind("Signature not found at position 0 in \""), 0u) << message;
        EXPECT_NE(message.find("damaged.bin\""), std::string::npos) << message;
    }
    try {
        file.reader >> block;
        FAIL();
    } catch (const WarnExep& e) {
        EXPECT_EQ(std::string(e.message.Text()),
                  "Signature not found at position ff in \"" + file.path + "\"");
    }
}

// The look-ahead's error names the file and the block's position (hexadecimal, after a first
// block of 0x10 bytes).
TEST(DataBlock, SCPrefixBeyondTheLookAhead) {
    BlockWriter outer;
    outer.tag = "BIG";
    for (uint16_t prefix : {uint16_t{119}, uint16_t{0xFFFF}}) {  // P + 10 = 129 and the largest P
        outer.prefix = prefix;
        OpenedFile file(SEBlock("PRE", "1234") + outer.SC(), "Keys.INPD");
        DataBlock first(10, true);
        DataBlock block(10, true);
        file.reader >> first;
        try {
            file.reader >> block;
            ADD_FAILURE() << prefix;
        } catch (const FatalExep& e) {
            EXPECT_EQ(e.code, 1);
            EXPECT_EQ(std::string(e.message.Text()),
                      "FR::Buffer is too small at position 10 in \"" + file.path + "\"");
        }
    }
    outer.prefix = 118;
    OpenedFile file(outer.SC());
    DataBlock block(10, true);
    file.reader >> block;
    EXPECT_TRUE(block.HasTag("BIG"));
}

// Damaged blocks: each is refused with an engine error naming the file, before anything is
// allocated by the damaged size, and leaves the block's header as it was.
TEST(DataBlock, DamagedBlocksAreRefused) {
    auto damaged = [](const std::string& bytes) {
        DataBlock block(10, true);
        block.SetSignature("KEEP");
        std::string message = ReadError<FatalExep>(bytes, block);
        EXPECT_TRUE(block.HasTag("KEEP")) << message;
        return message;
    };
    auto expectNamed = [](const std::string& message, const char* what) {
        EXPECT_NE(message.find("\""), std::string::npos) << message;
        EXPECT_NE(message.find("damaged.bin"), std::string::npos) << message;
        EXPECT_NE(message.find(what), std::string::npos) << message;
    };

    BlockWriter b;
    b.tag = "BAD";
    b.payload = "12345678";
    b.storedHeaderSize = 6;  // below the minimum
    expectNamed(damaged(b.SE()), "header size below 10");
    expectNamed(damaged(b.SC()), "header size below 10");
    b.storedHeaderSize.reset();

    b.prefix = 5;
    expectNamed(damaged(b.SC()), "prefix length below 6");
    b.prefix = 9;
    expectNamed(damaged(b.SM()), "prefix length below 10");
    b.prefix = 0;

    b.storedPayloadSize = 0xFFFFFFF0u;  // would allocate 4 GiB
    expectNamed(damaged(b.SE()), "runs past");
    expectNamed(damaged(b.SC()), "runs past");
    b.storedPayloadSize = 9;  // one byte more than the block holds
    expectNamed(damaged(b.SC()), "payload runs past the end of the block");
    b.storedPayloadSize.reset();

    expectNamed(damaged(b.SE().substr(0, 15)), "runs past");  // truncated payload
    expectNamed(damaged(b.SE().substr(0, 9)), "truncated header");
    expectNamed(damaged(b.SM().substr(0, 13)), "truncated header");

    b.storedBlockSize = 3;  // ends before its own header
    expectNamed(damaged(b.SC()), "header runs past the end of the block");
    b.storedBlockSize = 0xFFFFFFFFu;  // the end would wrap around
    expectNamed(damaged(b.SC()), "runs past");
    expectNamed(damaged(b.SM()), "runs past");
    b.storedBlockSize = 2;
    b.prefix = 10;
    expectNamed(damaged(b.SM()), "prefix runs past the end of the block");
    b.storedBlockSize.reset();
    b.prefix = 0;

    // A sub-block that runs past its container.
    BlockWriter child;
    child.tag = "TAKE";
    child.payload = "abc";
    child.storedPayloadSize = 40;
    expectNamed(damaged(SMBlock("DIR", {child.SE()}) + std::string(100, '\0')),
                "runs past the end of its container");
}

TEST(DataBlock, ATruncatedPackedPayloadIsRefused) {
    // The SEPK header promises more bytes than the code stream holds.
    std::string plain = SEBlock("KEYS", std::string(300, 'k'));
    std::string packed = SepkPacked(plain.substr(0, 200));
    StoreU32(packed.data() + 14, static_cast<uint32_t>(plain.size()));
    DataBlock block(10, true);
    std::string message = ReadError<FatalExep>(packed, block);
    EXPECT_NE(message.find("truncated payload"), std::string::npos) << message;
}

TEST(DataBlock, ReadingUntilTheEndAlwaysAdvances) {
    // Blocks that claim no size at all still end after their mark and header.
    std::string bytes = SCBlock("A", "", {}) + SMBlock("B", {}) + SEBlock("C", "");
    OpenedFile file(bytes);
    int blocks = 0;
    while (!file.reader.AtEnd()) {
        DataBlock block(10, true);
        file.reader >> block;
        ASSERT_LT(++blocks, 4);
    }
    EXPECT_EQ(blocks, 3);
}
